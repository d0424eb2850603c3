// The sim term reader. The grammar is driven by the declared kind of every
// argument: the same characters read as an integer, a real or a string
// depending on where they stand.
#pragma once

#include "facts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kordoc::sim {

// Reader error codes, reported as numbers to users.
enum ReadCode : int {
    OutOfRange = 1031,       // integer out of range for its kind
    TrailingText = 1047,     // characters other than whitespace after a pushed fact
    IntegerExpected = 1401,  // or a minus sign on an unsigned or byte value
    RealExpected = 1402,     // also a real beyond the range of a double
    StringExpected = 1403,   // no opening double quote, or the string is not closed on its line
    ListOpenExpected = 1405,
    ListSepExpected = 1406,
    UnknownName = 1407,      // also: an empty line
    ArgsOpenExpected = 1408,
    ArgsSepExpected = 1409,
};

// Where and why the last read failed. Position counts the characters of the
// line consumed when the error was detected.
struct ReadError {
    int code = 0;
    std::size_t position = 0;
};

// A byte block in a font definitions line: $[0A,FF,...].
using Bytes = std::string;

// One object of a font definitions file: tob(Number,Head,$[..],Tail,FileName).
struct TobFact {
    std::int32_t number = 0;
    std::string head;
    Bytes payload;
    std::string tail;
    std::string fileName;
};

class TermReader {
public:
    explicit TermReader(std::string_view text) : s_(text) {}

    // Each reads one term from the current position. On failure error()
    // tells the code and the position; nothing is kept of the failing term.
    bool readFact(Fact &out);
    bool readStatement(Statement &out);
    bool readTob(TobFact &out);

    // For pushed text: after the fact only whitespace may follow.
    bool expectOnlyWhitespace();

    const ReadError &error() const { return err_; }
    std::size_t position() const { return p_; }

private:
    bool fail(int code, std::size_t position);
    void skipBlanks();
    std::string_view readName();
    bool open(std::string_view name);
    bool separator(bool last);
    bool noArguments();

    bool readUnsigned(std::uint32_t &v);
    bool readInteger(std::int32_t &v);
    bool readByte(std::uint8_t &v);
    bool readMagnitude(std::uint64_t &v, bool &negative);
    bool readReal(double &v);
    bool readString(std::string &v);
    bool readReals(std::vector<double> &v);
    bool readIntegers(std::vector<std::int32_t> &v);
    bool readAttrs(std::vector<PageAttr> &v);
    bool readAttr(PageAttr &v);
    bool readTarget(Target &v);
    bool readKids(Kids &v);
    bool readBytes(Bytes &v);
    template <class F>
    bool readList(F element);

    std::string_view s_;
    std::size_t p_ = 0;
    ReadError err_;
};

// Whether a stream line can be a statement at all: its name is one of the
// five statement names. Text lines fail this test at once.
bool maybeStatement(std::string_view line);

// Whitespace allowed after a pushed fact.
bool isPushWhitespace(unsigned char c);

}  // namespace kordoc::sim
