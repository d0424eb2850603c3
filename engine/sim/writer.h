// Sim text writer: the exact text in which facts are saved and stepped
// through. No blanks anywhere; reals with ten significant digits.
#pragma once

#include "facts.h"

#include <string>

namespace kordoc::sim {

// Appends the text of one fact, without a line end.
void appendFact(std::string &out, const Fact &fact);
std::string factText(const Fact &fact);

// A real with 10 significant digits: plain notation while the point falls
// within -3..10 digits of the first significant one, otherwise 1.5E-05 form.
void appendReal(std::string &out, double value);

// A string in double quotes with \n \r \" \\ escaped.
void appendQuoted(std::string &out, std::string_view text);

class Document;
// The whole document, kinds in declaration order, one fact per line (LF).
std::string documentText(const Document &doc);

}  // namespace kordoc::sim
