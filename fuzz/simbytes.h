// Fuzz input read like a sim file: split at line feeds, carriage returns
// dropped, every line that parses appended, the others skipped (as korgen
// reads).
#pragma once

#include "sim/document.h"
#include "sim/reader.h"

#include <string>
#include <string_view>

inline kordoc::sim::Document documentFromBytes(std::string_view bytes)
{
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
    return doc;
}
