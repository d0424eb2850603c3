// The byte layer under the PDF file: text is written with each line feed
// stored as CR LF, byte blocks unchanged, and the running byte count gives
// every object's offset without asking the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kordoc::pdf {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Throws EngineError on failure.
    virtual void write(const char *data, std::size_t size) = 0;
};

class PdfWriter {
public:
    explicit PdfWriter(ByteSink &sink);
    PdfWriter(const PdfWriter &) = delete;
    PdfWriter &operator=(const PdfWriter &) = delete;

    void text(std::string_view s);
    void bytes(std::string_view s);
    std::uint64_t offset() const { return offset_; }
    void flush();

    // The bytes text() stores for s: its length plus one per line feed.
    static std::uint64_t encodedLength(std::string_view s);

private:
    void reserve(std::size_t n);

    ByteSink &sink_;
    std::string buf_;
    std::uint64_t offset_ = 0;
};

// Holds everything in memory: tests and fuzzing.
class MemorySink : public ByteSink {
public:
    void write(const char *data, std::size_t size) override { bytes.append(data, size); }
    std::string bytes;
};

// The output file, built under a temporary name in the same folder and
// moved into place only when complete, so a failed run leaves no partial
// file under the output name.
class OutputFile : public ByteSink {
public:
    // Throws EngineError 2101 when the temporary file cannot be created.
    explicit OutputFile(std::string path);
    ~OutputFile() override;
    void write(const char *data, std::size_t size) override;
    // Moves the file into place. Without `replace`, an existing file of the
    // output name is never overwritten (error 2101).
    void commit(bool replace);

private:
    void discard();

    std::string path_;
    std::string temp_;
    int fd_ = -1;
};

}  // namespace kordoc::pdf
