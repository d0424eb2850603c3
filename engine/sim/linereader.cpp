#include "linereader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kordoc::sim {

LineReader::~LineReader() { close(); }

void LineReader::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool LineReader::open(const std::string &path)
{
    close();
    buf_.clear();
    pos_ = 0;
    eof_ = failed_ = false;
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        close();
        return false;
    }
    return true;
}

bool LineReader::fill()
{
    if (eof_ || fd_ < 0)
        return false;
    if (pos_ > 0) {
        buf_.erase(0, pos_);
        pos_ = 0;
    }
    std::size_t old = buf_.size();
    const std::size_t chunk = 1 << 20;
    buf_.resize(old + chunk);
    ssize_t n;
    do
        n = ::read(fd_, buf_.data() + old, chunk);
    while (n < 0 && errno == EINTR);
    if (n <= 0) {
        buf_.resize(old);
        eof_ = true;
        failed_ = n < 0;
        return false;
    }
    buf_.resize(old + static_cast<std::size_t>(n));
    return true;
}

bool LineReader::next(std::string &line)
{
    line.clear();
    std::size_t from = pos_;  // where the search for the line feed goes on
    for (;;) {
        const void *lf = std::memchr(buf_.data() + from, '\n', buf_.size() - from);
        if (lf) {
            std::size_t end = static_cast<std::size_t>(static_cast<const char *>(lf) - buf_.data());
            line.assign(buf_, pos_, end - pos_);
            pos_ = end + 1;
            break;
        }
        std::size_t searched = buf_.size() - pos_;
        if (!fill()) {
            if (failed_ || buf_.size() == pos_)
                return false;
            line.assign(buf_, pos_, std::string::npos);
            pos_ = buf_.size();
            break;
        }
        from = pos_ + searched;
    }
    if (line.find('\r') != std::string::npos)
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    return true;
}

}  // namespace kordoc::sim
