// One line through the term reader, and the same bytes pushed as one fact.
#include "sim/reader.h"
#include "sim/session.h"
#include "sim/writer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);

    kordoc::sim::TermReader reader(text);
    kordoc::sim::Fact fact;
    if (reader.readFact(fact)) {
        if (reader.position() > text.size())
            __builtin_trap();
        reader.expectOnlyWhitespace();
        // What is saved must load again, and saving that changes nothing
        // more (the first save may round reals to ten digits).
        const std::string saved = kordoc::sim::factText(fact);
        kordoc::sim::TermReader again(saved);
        kordoc::sim::Fact reread;
        if (!again.readFact(reread) || !again.expectOnlyWhitespace() || kordoc::sim::factText(reread) != saved)
            __builtin_trap();
    } else if (reader.error().position > text.size()) {
        __builtin_trap();
    }

    // No host folder with VELMOR.ERR: messages fall back to their numbers.
    kordoc::sim::Session session("/nonexistent/");
    session.push(text);
    return 0;
}
