#include "testsupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace kordoc::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kordoc-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

WorkingFolder::WorkingFolder(const std::string &path)
{
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path);
}

WorkingFolder::~WorkingFolder()
{
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string &path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool exists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

CommandResult runCommand(const std::string &command)
{
    CommandResult r;
    FILE *p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.output.append(buf, n);
    int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

namespace {
std::string quoted(const std::string &path) { return "'" + path + "'"; }
}  // namespace

std::string pdfReadersComplaint(const std::string &path)
{
    std::string complaint;
    CommandResult q = runCommand("qpdf --check " + quoted(path));
    if (q.status != 0 || q.output.find("No syntax or stream encoding errors") == std::string::npos)
        complaint += "qpdf --check: " + q.output;
    CommandResult i = runCommand("pdfinfo " + quoted(path));
    if (i.status != 0 || i.output.find("Syntax Error") != std::string::npos ||
        i.output.find("Syntax Warning") != std::string::npos)
        complaint += "pdfinfo: " + i.output;
    CommandResult t = runCommand("pdftotext " + quoted(path) + " /dev/null");
    if (t.status != 0 || t.output.find("Error") != std::string::npos)
        complaint += "pdftotext: " + t.output;
    return complaint;
}

std::string pdfText(const std::string &path) { return runCommand("pdftotext " + quoted(path) + " -").output; }

std::string sourcePath(std::string_view relative) { return std::string(KORDOC_SOURCE_DIR) + "/" + std::string(relative); }

std::string crlf(std::string_view text)
{
    std::string s;
    for (char c : text) {
        if (c == '\n')
            s += '\r';
        s += c;
    }
    return s;
}

}  // namespace kordoc::test
