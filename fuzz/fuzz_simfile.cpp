// The bytes as a sim file: split into lines as the line reader does (every
// carriage return dropped, a line feed ends a line, a last line without one
// counts) and each line read as one fact, going on after bad lines as the
// generator does.
#include "simbytes.h"
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
    kordoc::sim::Document doc = documentFromBytes(bytes);
    // The snippet index is built lazily: ask it about every snippet.
    for (const auto &s : doc.snippets())
        if (!doc.findSnippet(s.id))
            __builtin_trap();
    return 0;
}
