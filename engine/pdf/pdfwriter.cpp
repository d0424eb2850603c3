#include "pdfwriter.h"

#include "../sim/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kordoc::pdf {

namespace {
constexpr std::size_t bufferSize = 1 << 20;
}

PdfWriter::PdfWriter(ByteSink &sink) : sink_(sink) { buf_.reserve(bufferSize + 4096); }

void PdfWriter::flush()
{
    if (!buf_.empty())
        sink_.write(buf_.data(), buf_.size());
    buf_.clear();
}

void PdfWriter::reserve(std::size_t n)
{
    if (buf_.size() + n > bufferSize)
        flush();
}

std::uint64_t PdfWriter::encodedLength(std::string_view s)
{
    std::uint64_t n = s.size();
    for (const char *p = s.data(), *end = p + s.size();
         (p = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))); ++p)
        ++n;
    return n;
}

void PdfWriter::text(std::string_view s)
{
    const char *p = s.data();
    const char *end = p + s.size();
    while (p < end) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char *stop = lf ? lf : end;
        std::size_t run = static_cast<std::size_t>(stop - p);
        if (run > bufferSize) {
            flush();
            sink_.write(p, run);
        } else {
            reserve(run + 2);
            buf_.append(p, run);
        }
        offset_ += run;
        if (lf) {
            buf_ += "\r\n";
            offset_ += 2;
            p = lf + 1;
        } else {
            p = end;
        }
    }
}

void PdfWriter::bytes(std::string_view s)
{
    if (s.size() > bufferSize) {
        flush();
        sink_.write(s.data(), s.size());
    } else {
        reserve(s.size());
        buf_.append(s);
    }
    offset_ += s.size();
}

OutputFile::OutputFile(std::string path) : path_(std::move(path))
{
    temp_ = path_ + ".XXXXXX";
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0)
        throw EngineError(errc::OutputCreate, path_ + ": " + std::strerror(errno));
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

void OutputFile::write(const char *data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int e = n < 0 ? errno : ENOSPC;
            throw EngineError(errc::OutputWrite, path_ + ": " + std::strerror(e));
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void OutputFile::commit(bool replace)
{
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        throw EngineError(errc::OutputWrite, path_ + ": " + std::strerror(errno));
    if (replace) {
        if (std::rename(temp_.c_str(), path_.c_str()) != 0)
            throw EngineError(errc::OutputCreate, path_ + ": " + std::strerror(errno));
    } else {
        // link() fails when the name exists: the generator never overwrites.
        if (::link(temp_.c_str(), path_.c_str()) != 0)
            throw EngineError(errc::OutputCreate, path_ + ": " + std::strerror(errno));
        ::unlink(temp_.c_str());
    }
    temp_.clear();
}

}  // namespace kordoc::pdf
