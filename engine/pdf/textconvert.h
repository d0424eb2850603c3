// Text for PDF strings: escaping, and the line conversion that lets inline
// pdf("...") passages through as operators.
#pragma once

#include <string>
#include <string_view>

namespace kordoc::pdf {

// Backslash doubled, "(" and ")" escaped, '"' as \42; everything else as it is.
void escapetext(std::string &out, std::string_view text);
std::string escapetext(std::string_view text);

// The line escaped, with each pdf("...") passage closing the string being
// shown, putting its operators in the content and opening a new string:
// Total pdf("1 0 0 rg")(net) gives Total )Tj 1 0 0 rg (\(net\). Fails (and
// appends nothing) when a passage has no end. Iterative: a line with any
// number of passages uses constant stack.
bool smoothenstring(std::string &out, std::string_view line);

}  // namespace kordoc::pdf
