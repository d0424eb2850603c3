#include "fileaccess.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kordoc::sim {

namespace {

bool hasControl(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
}

bool isRegular(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// "*" any run of characters, "?" exactly one.
bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p, ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace

std::optional<std::string> findFile(std::string_view name)
{
    if (name.empty() || name.size() >= maxFileNameLength || hasControl(name))
        return std::nullopt;
    std::string path(name);
    std::size_t slash = path.rfind('/');
    std::string_view last = std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    if (last.find_first_of("*?") == std::string_view::npos) {
        if (isRegular(path))
            return path;
        return std::nullopt;
    }
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return std::nullopt;
    std::vector<std::string> matches;
    while (dirent *e = ::readdir(dir)) {
        std::string_view entry = e->d_name;
        if (entry == "." || entry == "..")
            continue;
        if (wildcardMatch(last, entry) && isRegular(folder + std::string(entry)))
            matches.emplace_back(folder + std::string(entry));
    }
    ::closedir(dir);
    if (matches.empty())
        return std::nullopt;
    return *std::min_element(matches.begin(), matches.end());
}

bool fileExists(std::string_view name) { return findFile(name).has_value(); }

ReadStatus readWholeFile(const std::string &path, std::string &out)
{
    out.clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadStatus::Missing;
    }
    // A file is read up to the size it had when opened: one that grows
    // while it is read, or a kernel file that reports no size but reads on
    // for terabytes (/proc/self/pagemap), cannot make the read go on
    // without end. Such kernel files read as empty.
    const std::size_t size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    out.reserve(size);
    char buf[65536];
    while (out.size() < size) {
        ssize_t n = ::read(fd, buf, std::min(sizeof buf, size - out.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            out.clear();
            return ReadStatus::Unreadable;
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Ok;
}

long long regularFileSize(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<long long>(st.st_size);
}

void dropCarriageReturns(std::string &text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
}

std::string toLower(std::string_view text)
{
    std::string s(text);
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string executableFolder()
{
    std::string buf(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0)
        return "./";
    buf.resize(static_cast<std::size_t>(n));
    std::size_t slash = buf.rfind('/');
    return slash == std::string::npos ? std::string("./") : buf.substr(0, slash + 1);
}

}  // namespace kordoc::sim
