// Reads a text file line by line without holding it whole: every carriage
// return is dropped, a line ends at a line feed, a last line without one
// counts, and lines have no length limit.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kordoc::sim {

class LineReader {
public:
    LineReader() = default;
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;
    ~LineReader();

    // False when the name is no regular file or it cannot be opened.
    bool open(const std::string &path);
    // False at the end of the file or on a read error (see failed()). The
    // view stays valid until the next call.
    bool next(std::string_view &line);
    bool next(std::string &line);
    bool failed() const { return failed_; }
    void close();

private:
    bool fill();

    int fd_ = -1;
    std::unique_ptr<char[]> buf_;
    std::size_t capacity_ = 0, begin_ = 0, end_ = 0;
    std::size_t left_ = 0;  // bytes still to read, by the size at opening
    std::string cleaned_;
    bool eof_ = false;
    bool failed_ = false;
};

}  // namespace kordoc::sim
