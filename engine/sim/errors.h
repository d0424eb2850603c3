// Run-time errors of the engine: a code that the error-message file
// explains, and a detail that names what failed (usually a file).
#pragma once

#include <stdexcept>
#include <string>

namespace kordoc {

namespace errc {
constexpr int FormatError = 1109;   // a destination template without a placeholder
constexpr int OutputCreate = 2101;  // the PDF file cannot be created
constexpr int OutputWrite = 2102;   // the PDF file cannot be written (disk full, I/O error)
constexpr int ImageRead = 2103;     // a picture that exists cannot be read
constexpr int FileChanged = 2104;   // a picture or sound changed while the PDF was made
constexpr int OutOfMemory = 2105;
constexpr int NullArgument = 2106;  // the host passed no text where one is needed
constexpr int Reentered = 2107;     // a callback called back into the engine
constexpr int Internal = 2199;
}  // namespace errc

class EngineError : public std::runtime_error {
public:
    EngineError(int code, std::string detail)
        : std::runtime_error("error " + std::to_string(code) + ": " + detail), code_(code), detail_(std::move(detail))
    {
    }
    int code() const { return code_; }
    const std::string &detail() const { return detail_; }

private:
    int code_;
    std::string detail_;
};

}  // namespace kordoc
