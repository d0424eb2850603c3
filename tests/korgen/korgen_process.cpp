#include "korgen_process.h"

#include "support/testsupport.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace kordoc::test {

namespace {

std::string findSetpriv()
{
    for (const char *candidate : {"/usr/bin/setpriv", "/bin/setpriv", "/usr/sbin/setpriv"})
        if (::access(candidate, X_OK) == 0)
            return candidate;
    return {};
}

}  // namespace

KorgenRun runKorgen(const std::string &folder, const std::vector<std::string> &args, bool asNobody)
{
    std::vector<std::string> words;
    if (asNobody && ::geteuid() == 0)
        words = {findSetpriv(), "--reuid=65534", "--regid=65534", "--clear-groups"};
    words.push_back(KORGEN_BINARY);
    words.insert(words.end(), args.begin(), args.end());
    // Everything the child needs is prepared before fork: after it only
    // async-signal-safe calls are made.
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    KorgenRun run;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return run;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return run;
    }
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            ::dup2(null, STDIN_FILENO);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0)
            run.output.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string whyNobodyCannotRun()
{
    if (::geteuid() != 0)
        return {};
    if (findSetpriv().empty())
        return "setpriv is not installed";
    // The program and the folders above it must be reachable for that user.
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    KorgenRun probe = runKorgen(dir.path(), {}, true);
    if (probe.output.rfind("Korvel Generator\n", 0) != 0)
        return "korgen cannot be started as user 65534 here: " + probe.output;
    return {};
}

std::string korgenBanner(const std::string &folder, const std::string &arguments)
{
    return "Korvel Generator\nVersion 2.01\n(Refer KORGEN.PDF for help)\n--------------------------------\n"
           "Folder: " +
           folder + " Args: [" + arguments + "]\n\n";
}

std::string realFolder(const std::string &folder) { return std::filesystem::canonical(folder).string(); }

int pdfPageCount(const std::string &path)
{
    const CommandResult info = runCommand("pdfinfo '" + path + "'");
    const std::size_t at = info.output.find("\nPages:");
    if (info.status != 0 || at == std::string::npos)
        return -1;
    return std::atoi(info.output.c_str() + at + 7);
}

}  // namespace kordoc::test
