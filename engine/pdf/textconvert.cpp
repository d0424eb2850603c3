#include "textconvert.h"

#include "../sim/scan.h"

#include <cstring>

namespace kordoc::pdf {

void escapetext(std::string &out, std::string_view text)
{
    const char *p = text.data();
    const char *end = p + text.size();
    while (p < end) {
        const char *q = sim::findFirstOf4(p, end, '\\', '(', ')', '"');
        out.append(p, q);
        if (q == end)
            break;
        switch (*q) {
        case '\\': out += "\\\\"; break;
        case '(': out += "\\("; break;
        case ')': out += "\\)"; break;
        default: out += "\\42"; break;
        }
        p = q + 1;
    }
}

std::string escapetext(std::string_view text)
{
    std::string s;
    s.reserve(text.size());
    escapetext(s, text);
    return s;
}

namespace {

// The marker pdf(" of an inline passage. Text rarely holds a double quote,
// so the search looks for quotes and checks what stands before them.
std::size_t findMarker(std::string_view line)
{
    std::size_t from = 4;
    while (from < line.size()) {
        const void *q = std::memchr(line.data() + from, '"', line.size() - from);
        if (!q)
            return std::string_view::npos;
        std::size_t at = static_cast<std::size_t>(static_cast<const char *>(q) - line.data());
        if (line.compare(at - 4, 4, "pdf(") == 0)
            return at - 4;
        from = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace

bool smoothenstring(std::string &out, std::string_view line)
{
    static constexpr std::string_view marker = "pdf(\"";
    static constexpr std::string_view end = "\")";
    const std::size_t start = out.size();
    for (;;) {
        std::size_t at = findMarker(line);
        if (at == std::string_view::npos) {
            escapetext(out, line);
            return true;
        }
        std::string_view rest = line.substr(at + marker.size());
        std::size_t close = rest.find(end);
        if (close == std::string_view::npos) {
            out.resize(start);
            return false;
        }
        escapetext(out, line.substr(0, at));
        out += ")Tj ";
        out.append(rest.substr(0, close));
        out += " (";
        line = rest.substr(close + end.size());
    }
}

}  // namespace kordoc::pdf
