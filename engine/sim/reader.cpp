#include "reader.h"

#include "scan.h"

#include <cfloat>
#include <charconv>
#include <cstring>

namespace kordoc::sim {

namespace {

bool isDelimiter(char c) { return c == '(' || c == ')' || c == ',' || c == ']'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Whether a decimal real that a double cannot hold is tiny rather than huge:
// its first significant digit stands after the decimal point. Only the sign
// of that position matters, so the exponent is read saturating.
bool belowOne(std::string_view number)
{
    long long position = 0;  // digits before the point, from the first significant one
    bool significant = false;
    std::size_t i = 0;
    for (; i < number.size() && isDigit(number[i]); ++i) {
        if (significant || number[i] != '0')
            significant = true, ++position;
    }
    if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && isDigit(number[i]); ++i) {
            if (!significant && number[i] == '0')
                --position;
            else
                significant = true;
        }
    }
    long long exponent = 0;
    bool negative = false;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negative = number[i++] == '-';
        for (; i < number.size() && isDigit(number[i]); ++i)
            exponent = exponent < 1000000000 ? exponent * 10 + (number[i] - '0') : exponent;
    }
    return position + (negative ? -exponent : exponent) <= 0;
}

}  // namespace

bool maybeStatement(std::string_view line)
{
    std::size_t q = 0;
    while (q < line.size() && line[q] == ' ')
        ++q;
    std::string_view rest = line.substr(q);
    auto named = [rest](std::string_view name) {
        return rest.substr(0, name.size()) == name && (rest.size() == name.size() || isDelimiter(rest[name.size()]));
    };
    return named("textannotation") || named("annot") || named("link") || named("usefont") || named("pdf");
}

bool isPushWhitespace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13) || c == 26; }

bool TermReader::fail(int code, std::size_t position)
{
    err_.code = code;
    err_.position = position;
    return false;
}

void TermReader::skipBlanks()
{
    while (p_ < s_.size() && s_[p_] == ' ')
        ++p_;
}

// A name runs to the first delimiter, so no blank may stand between a name
// and its parenthesis: "apage (" is the unknown name "apage ".
std::string_view TermReader::readName()
{
    skipBlanks();
    std::size_t start = p_;
    while (p_ < s_.size() && !isDelimiter(s_[p_]))
        ++p_;
    return s_.substr(start, p_ - start);
}

// A delimiter that was read and found wrong counts as consumed.
bool TermReader::open(std::string_view)
{
    if (p_ < s_.size() && s_[p_] == '(') {
        ++p_;
        return true;
    }
    return fail(ArgsOpenExpected, p_ < s_.size() ? p_ + 1 : p_);
}

bool TermReader::separator(bool last)
{
    skipBlanks();
    char want = last ? ')' : ',';
    if (p_ < s_.size() && s_[p_] == want) {
        ++p_;
        return true;
    }
    return fail(ArgsSepExpected, p_ < s_.size() ? p_ + 1 : p_);
}

// An argument-less name may be followed by "(" and, after blanks, ")".
bool TermReader::noArguments()
{
    if (p_ < s_.size() && s_[p_] == '(') {
        ++p_;
        skipBlanks();
        if (p_ < s_.size() && s_[p_] == ')') {
            ++p_;
            return true;
        }
        return fail(ArgsSepExpected, p_ < s_.size() ? p_ + 1 : p_);
    }
    return true;
}

bool TermReader::readMagnitude(std::uint64_t &v, bool &negative)
{
    skipBlanks();
    const std::size_t start = p_;
    std::size_t q = p_;
    negative = false;
    if (q < s_.size() && s_[q] == '-') {
        negative = true;
        ++q;
    }
    unsigned base = 10;
    if (q + 1 < s_.size() && s_[q] == '0' && (s_[q + 1] == 'x' || s_[q + 1] == 'X')) {
        base = 16;
        q += 2;
    } else if (q + 1 < s_.size() && s_[q] == '0' && (s_[q + 1] == 'o' || s_[q + 1] == 'O')) {
        base = 8;
        q += 2;
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; q < s_.size(); ++q) {
        int d = base == 16 ? hexValue(s_[q]) : (isDigit(s_[q]) ? s_[q] - '0' : -1);
        if (d < 0 || d >= static_cast<int>(base))
            break;
        value = value * base + static_cast<unsigned>(d);
        ++digits;
        if (value > UINT32_MAX)
            return fail(OutOfRange, start);
    }
    if (digits == 0)
        return fail(IntegerExpected, start);
    v = value;
    p_ = q;
    return true;
}

bool TermReader::readUnsigned(std::uint32_t &v)
{
    std::uint64_t m;
    bool negative;
    const std::size_t start = (skipBlanks(), p_);
    if (p_ < s_.size() && s_[p_] == '-')
        return fail(IntegerExpected, start);
    if (!readMagnitude(m, negative))
        return false;
    v = static_cast<std::uint32_t>(m);
    return true;
}

bool TermReader::readInteger(std::int32_t &v)
{
    std::uint64_t m;
    bool negative;
    const std::size_t start = (skipBlanks(), p_);
    if (!readMagnitude(m, negative))
        return false;
    if (m > 2147483647u) {
        p_ = start;
        return fail(OutOfRange, start);
    }
    v = negative ? -static_cast<std::int32_t>(m) : static_cast<std::int32_t>(m);
    return true;
}

bool TermReader::readByte(std::uint8_t &v)
{
    std::uint64_t m;
    bool negative;
    const std::size_t start = (skipBlanks(), p_);
    if (!readMagnitude(m, negative))
        return false;
    if (negative && m != 0) {
        p_ = start;
        return fail(IntegerExpected, start);
    }
    if (m > 255) {
        p_ = start;
        return fail(OutOfRange, start);
    }
    v = static_cast<std::uint8_t>(m);
    return true;
}

// Digits, an optional point and digits, an optional exponent. Reading stops
// at the first character that does not fit; the enclosing term checks it.
bool TermReader::readReal(double &v)
{
    skipBlanks();
    const std::size_t start = p_;
    std::size_t q = p_;
    bool negative = false;
    if (q < s_.size() && (s_[q] == '+' || s_[q] == '-')) {
        negative = s_[q] == '-';
        ++q;
    }
    const std::size_t numberStart = q;
    std::size_t digits = 0;
    while (q < s_.size() && isDigit(s_[q]))
        ++q, ++digits;
    if (q < s_.size() && s_[q] == '.') {
        ++q;
        while (q < s_.size() && isDigit(s_[q]))
            ++q, ++digits;
    }
    if (digits == 0)
        return fail(RealExpected, start);
    if (q < s_.size() && (s_[q] == 'e' || s_[q] == 'E')) {
        std::size_t e = q + 1;
        if (e < s_.size() && (s_[e] == '+' || s_[e] == '-'))
            ++e;
        if (e < s_.size() && isDigit(s_[e])) {
            while (e < s_.size() && isDigit(s_[e]))
                ++e;
            q = e;
        }
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(s_.data() + numberStart, s_.data() + q, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is no real at all.
        // The exponent's sign alone does not tell: 1<400 zeros>e-10 is huge.
        if (!belowOne(s_.substr(numberStart, q - numberStart))) {
            // Saved with ten digits, the largest doubles come out as
            // 1.797693135E+308, just above the range: they read back as
            // the largest double, so that a saved file always loads.
            long double wide = 0;
            auto [wptr, wec] = std::from_chars(s_.data() + numberStart, s_.data() + q, wide,
                                               std::chars_format::general);
            if (wec != std::errc() || wptr != s_.data() + q || wide > 1.797693135e308L)
                return fail(RealExpected, start);
            value = DBL_MAX;
        } else {
            value = 0;
        }
    } else if (ec != std::errc() || ptr != s_.data() + q) {
        return fail(RealExpected, start);
    }
    v = negative ? -value : value;
    p_ = q;
    return true;
}

bool TermReader::readString(std::string &v)
{
    skipBlanks();
    if (p_ >= s_.size() || s_[p_] != '"')
        return fail(StringExpected, p_ < s_.size() ? p_ + 1 : p_);
    std::size_t q = p_ + 1;
    v.clear();
    const char *data = s_.data();
    const std::size_t n = s_.size();
    // Find the closing quote (one not escaped by an odd run of backslashes)
    // and reserve once: stream strings run to megabytes and growing them
    // step by step dominated reading.
    for (std::size_t e = q;;) {
        const void *hit = std::memchr(data + e, '"', n - e);
        if (!hit) {
            v.reserve(n - q);
            break;
        }
        std::size_t at = static_cast<std::size_t>(static_cast<const char *>(hit) - data);
        std::size_t run = 0;
        while (at - run > q && data[at - run - 1] == '\\')
            ++run;
        if (run % 2 == 0) {
            v.reserve(at - q);
            break;
        }
        e = at + 1;
    }
    for (;;) {
        const char *stop = findFirstOf4(data + q, data + n, '"', '\\', '\0', '"');
        std::size_t at = static_cast<std::size_t>(stop - data);
        v.append(data + q, at - q);
        q = at;
        // A string must be closed on its own line; NUL cannot be in a string.
        if (q >= n || data[q] == '\0')
            return fail(StringExpected, q);
        if (data[q] == '"') {
            p_ = q + 1;
            return true;
        }
        // Backslash: \n \r \\ \" are escapes; any other keeps the backslash
        // and the next character is read normally.
        char next = q + 1 < n ? data[q + 1] : '\0';
        switch (next) {
        case 'n': v.push_back('\n'); q += 2; break;
        case 'r': v.push_back('\r'); q += 2; break;
        case '\\': v.push_back('\\'); q += 2; break;
        case '"': v.push_back('"'); q += 2; break;
        default: v.push_back('\\'); q += 1; break;
        }
    }
}

template <class F>
bool TermReader::readList(F element)
{
    skipBlanks();
    if (p_ >= s_.size() || s_[p_] != '[')
        return fail(ListOpenExpected, p_ < s_.size() ? p_ + 1 : p_);
    ++p_;
    skipBlanks();
    if (p_ < s_.size() && s_[p_] == ']') {
        ++p_;
        return true;
    }
    for (;;) {
        if (!element())
            return false;
        skipBlanks();
        if (p_ < s_.size() && s_[p_] == ',') {
            ++p_;
            continue;
        }
        if (p_ < s_.size() && s_[p_] == ']') {
            ++p_;
            return true;
        }
        return fail(ListSepExpected, p_ < s_.size() ? p_ + 1 : p_);
    }
}

bool TermReader::readReals(std::vector<double> &v)
{
    v.clear();
    return readList([&] {
        double d;
        if (!readReal(d))
            return false;
        v.push_back(d);
        return true;
    });
}

bool TermReader::readIntegers(std::vector<std::int32_t> &v)
{
    v.clear();
    return readList([&] {
        std::int32_t i;
        if (!readInteger(i))
            return false;
        v.push_back(i);
        return true;
    });
}

bool TermReader::readAttr(PageAttr &a)
{
    std::string_view name = readName();
    if (name == "paper" || name == "crop") {
        a.kind = name == "paper" ? PageAttr::Kind::Paper : PageAttr::Kind::Crop;
        return open(name) && readReal(a.box[0]) && separator(false) && readReal(a.box[1]) && separator(false) &&
               readReal(a.box[2]) && separator(false) && readReal(a.box[3]) && separator(true);
    }
    if (name == "ex") {
        a.kind = PageAttr::Kind::Ex;
        return open(name) && readString(a.text) && separator(true);
    }
    return fail(UnknownName, p_);
}

bool TermReader::readAttrs(std::vector<PageAttr> &v)
{
    v.clear();
    return readList([&] {
        PageAttr a;
        if (!readAttr(a))
            return false;
        v.push_back(std::move(a));
        return true;
    });
}

bool TermReader::readTarget(Target &t)
{
    std::string_view name = readName();
    if (name == "go")
        t.kind = Target::Kind::Go;
    else if (name == "goto")
        t.kind = Target::Kind::Goto;
    else
        return fail(UnknownName, p_);
    return open(name) && readInteger(t.page) && separator(false) && readString(t.text) && separator(true);
}

bool TermReader::readKids(Kids &k)
{
    std::string_view name = readName();
    if (name == "sub") {
        k.sub = true;
        return open(name) && readUnsigned(k.count) && separator(false) && readUnsigned(k.first) &&
               separator(false) && readUnsigned(k.last) && separator(true);
    }
    if (name == "empty") {
        k = Kids{};
        return noArguments();
    }
    return fail(UnknownName, p_);
}

bool TermReader::readFact(Fact &out)
{
    std::string_view name = readName();
    if (name == "catalog") {
        CatalogFact f;
        if (!(open(name) && readString(f.text) && separator(true)))
            return false;
        out = std::move(f);
        return true;
    }
    if (name == "info") {
        InfoFact f;
        if (!(open(name) && readString(f.author) && separator(false) && readString(f.creator) &&
              separator(false) && readString(f.title) && separator(false) && readString(f.subject) &&
              separator(false) && readString(f.keywords) && separator(true)))
            return false;
        out = std::move(f);
        return true;
    }
    if (name == "defaults") {
        DefaultsFact f;
        if (!(open(name) && readAttrs(f.attrs) && separator(true)))
            return false;
        out = std::move(f);
        return true;
    }
    if (name == "snippet") {
        SnippetFact f;
        if (!(open(name) && readUnsigned(f.id) && separator(false) && readByte(f.flag) && separator(false) &&
              readReals(f.rect) && separator(false) && readReals(f.matrix) && separator(false) &&
              readString(f.stream) && separator(true)))
            return false;
        out = std::move(f);
        return true;
    }
    if (name == "apage") {
        PageFact f;
        if (!(open(name) && readAttrs(f.attrs) && separator(false) && readIntegers(f.ids) && separator(true)))
            return false;
        out = std::move(f);
        return true;
    }
    if (name == "toc") {
        TocFact f;
        if (!(open(name) && readUnsigned(f.id) && separator(false) && readString(f.title) && separator(false) &&
              readTarget(f.target) && separator(false) && readUnsigned(f.parent) && separator(false) &&
              readUnsigned(f.prev) && separator(false) && readUnsigned(f.next) && separator(false) &&
              readKids(f.kids) && separator(true)))
            return false;
        out = std::move(f);
        return true;
    }
    return fail(UnknownName, p_);
}

bool TermReader::readStatement(Statement &out)
{
    // Most stream lines are text: reject them before scanning for a name.
    std::size_t q = p_;
    while (q < s_.size() && s_[q] == ' ')
        ++q;
    if (!maybeStatement(s_.substr(q))) {
        // Consumed up to the delimiter, as for any name that matches nothing.
        const char *stop = findFirstOf4(s_.data() + q, s_.data() + s_.size(), '(', ')', ',', ']');
        return fail(UnknownName, static_cast<std::size_t>(stop - s_.data()));
    }

    std::string_view name = readName();
    if (name == "textannotation") {
        TextAnnotationStmt st;
        if (!(open(name) && readReals(st.rect) && separator(false) && readString(st.extra) && separator(false) &&
              readString(st.contents) && separator(true)))
            return false;
        out = std::move(st);
        return true;
    }
    if (name == "annot") {
        AnnotStmt st;
        if (!(open(name) && readReals(st.rect) && separator(false) && readString(st.extra) && separator(false) &&
              readString(st.movie) && separator(true)))
            return false;
        out = std::move(st);
        return true;
    }
    if (name == "link") {
        LinkStmt st;
        if (!(open(name) && readReals(st.rect) && separator(false) && readString(st.border) && separator(false) &&
              readTarget(st.target) && separator(true)))
            return false;
        out = std::move(st);
        return true;
    }
    if (name == "usefont") {
        UseFontStmt st;
        if (!(open(name) && readUnsigned(st.font) && separator(false) && readUnsigned(st.size) && separator(true)))
            return false;
        out = st;
        return true;
    }
    if (name == "pdf") {
        PdfStmt st;
        if (!(open(name) && readString(st.text) && separator(true)))
            return false;
        out = std::move(st);
        return true;
    }
    return fail(UnknownName, p_);
}

// $[0A, ff ,00]: byte values of exactly two hexadecimal digits.
bool TermReader::readBytes(Bytes &v)
{
    skipBlanks();
    if (p_ >= s_.size() || s_[p_] != '$')
        return fail(ListOpenExpected, p_ < s_.size() ? p_ + 1 : p_);
    ++p_;
    if (p_ >= s_.size() || s_[p_] != '[')
        return fail(ListOpenExpected, p_ < s_.size() ? p_ + 1 : p_);
    ++p_;
    v.clear();
    for (;;) {
        skipBlanks();
        int hi = p_ < s_.size() ? hexValue(s_[p_]) : -1;
        int lo = p_ + 1 < s_.size() ? hexValue(s_[p_ + 1]) : -1;
        if (hi < 0 || lo < 0 || (p_ + 2 < s_.size() && hexValue(s_[p_ + 2]) >= 0))
            return fail(IntegerExpected, p_);
        v.push_back(static_cast<char>(hi * 16 + lo));
        p_ += 2;
        skipBlanks();
        if (p_ < s_.size() && s_[p_] == ',') {
            ++p_;
            continue;
        }
        if (p_ < s_.size() && s_[p_] == ']') {
            ++p_;
            return true;
        }
        return fail(ListSepExpected, p_ < s_.size() ? p_ + 1 : p_);
    }
}

bool TermReader::readTob(TobFact &out)
{
    std::string_view name = readName();
    if (name != "tob")
        return fail(UnknownName, p_);
    return open(name) && readInteger(out.number) && separator(false) && readString(out.head) &&
           separator(false) && readBytes(out.payload) && separator(false) && readString(out.tail) &&
           separator(false) && readString(out.fileName) && separator(true);
}

bool TermReader::expectOnlyWhitespace()
{
    for (std::size_t q = p_; q < s_.size(); ++q)
        if (!isPushWhitespace(static_cast<unsigned char>(s_[q])))
            return fail(TrailingText, q + 1);
    return true;
}

}  // namespace kordoc::sim
