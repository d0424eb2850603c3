// A text stream: walked line by line with a four-number box, every line
// also read as one statement, converted with smoothenstring and escaped.
#include "pdf/textconvert.h"
#include "pdf/textstream.h"
#include "sim/reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Collect {
    std::size_t opened = 0, closed = 0, lines = 0, statements = 0;
    std::string out;
    void open(const std::vector<double> &rect)
    {
        ++opened;
        kordoc::pdf::appendTextMatrix(out, rect);
    }
    void line(std::string_view text)
    {
        ++lines;
        kordoc::pdf::smoothenstring(out, text);
    }
    void statement(kordoc::sim::Statement &&) { ++statements; }
    void close() { ++closed; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);

    Collect c;
    const std::vector<double> rect{0.5, 1, 4.25, 9.75};
    kordoc::pdf::walkstream(text, rect, c);
    if (c.opened != c.closed || c.opened > 1)
        __builtin_trap();

    kordoc::sim::TermReader reader(text);
    kordoc::sim::Statement st;
    reader.readStatement(st);

    std::string smooth;
    if (!kordoc::pdf::smoothenstring(smooth, text) && !smooth.empty())
        __builtin_trap();  // a failure appends nothing

    std::string escaped = kordoc::pdf::escapetext(text);
    if (escaped.size() < text.size())
        __builtin_trap();
    return 0;
}
