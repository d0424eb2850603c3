// Reading a text stream into its elements: each line is a stream statement
// or text to show. The walk hands elements to the caller in reading order,
// so the annotation pass can take the statements without converting text
// and the form pass can convert text straight into the content.
#pragma once

#include "../sim/facts.h"
#include "../sim/reader.h"
#include "format.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kordoc::pdf {

inline constexpr std::string_view textObjectOpen = "BT\n12 TL\n /F9 10 Tf\n";
inline constexpr std::string_view textObjectClose = "ET\n";

// The text matrix that opens a snippet's text: the left edge of the box,
// the first baseline 12 points below its top.
inline void appendTextMatrix(std::string &out, const std::vector<double> &rect)
{
    out += "1 0 0 1 ";
    appendFixed2(out, rect[0] * 72);
    out += ' ';
    appendFixed2(out, rect[3] * 72 - 12);
    out += " Tm\n";
}

// Consumer interface (duck-typed):
//   void open(const std::vector<double> &rect);   the text object opens
//   void line(std::string_view text);             a text line to show
//   void statement(sim::Statement &&s);           a stream statement
//   void close();                                 "ET"
// Returns false when a line comes and the box does not hold four numbers:
// the text object cannot be opened and the stream gives no elements.
template <class Consumer>
bool walkstream(std::string_view text, const std::vector<double> &rect, Consumer &consumer)
{
    bool opened = false;
    // Carriage returns go first, as when the stream is read as a text file:
    // a lone CR is no line.
    std::string cleaned;
    if (std::memchr(text.data(), '\r', text.size())) {
        cleaned.assign(text);
        std::erase(cleaned, '\r');
        text = cleaned;
    }
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t lf = text.find('\n', from);
        std::size_t stop = lf == std::string_view::npos ? text.size() : lf;
        std::string_view line = text.substr(from, stop - from);
        from = lf == std::string_view::npos ? text.size() : lf + 1;
        if (!opened) {
            if (rect.size() != 4)
                return false;
            consumer.open(rect);
            opened = true;
        }
        sim::Statement st;
        if (sim::maybeStatement(line) && sim::TermReader(line).readStatement(st))
            consumer.statement(std::move(st));
        else
            consumer.line(line);
    }
    if (opened)
        consumer.close();
    return true;
}

}  // namespace kordoc::pdf
