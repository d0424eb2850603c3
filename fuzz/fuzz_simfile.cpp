// The bytes as a sim file: split into lines as the line reader does (every
// carriage return dropped, a line feed ends a line, a last line without one
// counts) and each line read as one fact, going on after bad lines as the
// generator does.
#include "sim/document.h"
#include "sim/reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    kordoc::sim::Document doc;
    std::size_t from = 0;
    while (from < bytes.size()) {
        std::size_t lf = bytes.find('\n', from);
        std::size_t stop = lf == std::string_view::npos ? bytes.size() : lf;
        std::string line(bytes.substr(from, stop - from));
        std::erase(line, '\r');
        from = lf == std::string_view::npos ? bytes.size() : lf + 1;

        kordoc::sim::TermReader reader(line);
        kordoc::sim::Fact fact;
        if (reader.readFact(fact))
            doc.append(std::move(fact));
    }
    // The snippet index is built lazily: ask it about every snippet.
    for (const auto &s : doc.snippets())
        if (!doc.findSnippet(s.id))
            __builtin_trap();
    return 0;
}
