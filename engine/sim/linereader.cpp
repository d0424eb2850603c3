#include "linereader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kordoc::sim {

namespace {
constexpr std::size_t chunk = 1 << 20;
}

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
    begin_ = end_ = 0;
    eof_ = failed_ = false;
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        close();
        return false;
    }
    // Read up to the size the file has now: one that grows while it is read,
    // or a kernel file that reports no size but reads on for terabytes
    // (/proc/self/pagemap), cannot make the read go on without end.
    left_ = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    return true;
}

// Moves the unread rest to the front and reads another chunk behind it,
// growing the buffer only for lines longer than what it holds.
bool LineReader::fill()
{
    if (eof_ || fd_ < 0)
        return false;
    if (begin_ > 0) {
        std::memmove(buf_.get(), buf_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (capacity_ - end_ < chunk) {
        std::size_t grown = std::max(capacity_ * 2, end_ + chunk);
        std::unique_ptr<char[]> bigger(new char[grown]);
        if (end_)
            std::memcpy(bigger.get(), buf_.get(), end_);
        buf_ = std::move(bigger);
        capacity_ = grown;
    }
    ssize_t n = 0;
    if (left_ > 0)
        do
            n = ::read(fd_, buf_.get() + end_, std::min(capacity_ - end_, left_));
        while (n < 0 && errno == EINTR);
    if (n <= 0) {
        eof_ = true;
        failed_ = n < 0;
        return false;
    }
    end_ += static_cast<std::size_t>(n);
    left_ -= static_cast<std::size_t>(n);
    return true;
}

bool LineReader::next(std::string_view &line)
{
    std::size_t from = begin_;  // where the search for the line feed goes on
    std::size_t stop, after;
    for (;;) {
        const void *lf = end_ > from ? std::memchr(buf_.get() + from, '\n', end_ - from) : nullptr;
        if (lf) {
            stop = static_cast<std::size_t>(static_cast<const char *>(lf) - buf_.get());
            after = stop + 1;
            break;
        }
        std::size_t searched = end_ - begin_;
        if (!fill()) {
            if (failed_ || end_ == begin_)
                return false;
            // Carriage returns after the last line feed are dropped like all
            // others: they leave no line behind.
            if (std::all_of(buf_.get() + begin_, buf_.get() + end_, [](char c) { return c == '\r'; })) {
                begin_ = end_;
                return false;
            }
            stop = after = end_;
            break;
        }
        from = begin_ + searched;
    }
    line = std::string_view(buf_.get() + begin_, stop - begin_);
    begin_ = after;
    if (std::memchr(line.data(), '\r', line.size())) {
        cleaned_.assign(line);
        std::erase(cleaned_, '\r');
        line = cleaned_;
    }
    return true;
}

bool LineReader::next(std::string &line)
{
    std::string_view view;
    if (!next(view)) {
        line.clear();
        return false;
    }
    line.assign(view);
    return true;
}

}  // namespace kordoc::sim
