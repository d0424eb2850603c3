#include "writer.h"

#include "document.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace kordoc::sim {

void appendReal(std::string &out, double value)
{
    if (value == 0) {
        out += '0';
        return;
    }
    // "%.9e" gives the value rounded to 10 significant digits: d.ddddddddde±X.
    char buf[40];
    int n = std::snprintf(buf, sizeof buf, "%.9e", value);
    if (n <= 0) {
        out += '0';
        return;
    }
    const char *p = buf;
    bool negative = *p == '-';
    if (negative)
        ++p;
    char digits[10];
    int count = 0;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits[count++] = *p;
    int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (count > 1 && digits[count - 1] == '0')
        --count;
    const int point = exponent + 1;  // digits before the decimal point
    if (negative)
        out += '-';
    if (point >= -3 && point <= 10) {
        if (point <= 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-point), '0');
            out.append(digits, static_cast<std::size_t>(count));
        } else if (count <= point) {
            out.append(digits, static_cast<std::size_t>(count));
            out.append(static_cast<std::size_t>(point - count), '0');
        } else {
            out.append(digits, static_cast<std::size_t>(point));
            out += '.';
            out.append(digits + point, static_cast<std::size_t>(count - point));
        }
        return;
    }
    out += digits[0];
    if (count > 1) {
        out += '.';
        out.append(digits + 1, static_cast<std::size_t>(count - 1));
    }
    out += 'E';
    int e = point - 1;
    out += e < 0 ? '-' : '+';
    if (e < 0)
        e = -e;
    if (e < 10)
        out += '0';
    out += std::to_string(e);
}

void appendQuoted(std::string &out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    out += '"';
}

namespace {

void appendUnsigned(std::string &out, std::uint64_t v)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void appendSigned(std::string &out, std::int64_t v)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void appendReals(std::string &out, const std::vector<double> &v)
{
    out += '[';
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i)
            out += ',';
        appendReal(out, v[i]);
    }
    out += ']';
}

void appendAttrs(std::string &out, const std::vector<PageAttr> &attrs)
{
    out += '[';
    for (std::size_t i = 0; i < attrs.size(); ++i) {
        if (i)
            out += ',';
        const PageAttr &a = attrs[i];
        if (a.kind == PageAttr::Kind::Ex) {
            out += "ex(";
            appendQuoted(out, a.text);
            out += ')';
            continue;
        }
        out += a.kind == PageAttr::Kind::Paper ? "paper(" : "crop(";
        for (int k = 0; k < 4; ++k) {
            if (k)
                out += ',';
            appendReal(out, a.box[k]);
        }
        out += ')';
    }
    out += ']';
}

void appendTarget(std::string &out, const Target &t)
{
    out += t.kind == Target::Kind::Go ? "go(" : "goto(";
    appendSigned(out, t.page);
    out += ',';
    appendQuoted(out, t.text);
    out += ')';
}

template <class T>
void writeFact(std::string &out, const T &f)
{
            if constexpr (std::is_same_v<T, CatalogFact>) {
                out += "catalog(";
                appendQuoted(out, f.text);
            } else if constexpr (std::is_same_v<T, InfoFact>) {
                out += "info(";
                appendQuoted(out, f.author);
                out += ',';
                appendQuoted(out, f.creator);
                out += ',';
                appendQuoted(out, f.title);
                out += ',';
                appendQuoted(out, f.subject);
                out += ',';
                appendQuoted(out, f.keywords);
            } else if constexpr (std::is_same_v<T, DefaultsFact>) {
                out += "defaults(";
                appendAttrs(out, f.attrs);
            } else if constexpr (std::is_same_v<T, SnippetFact>) {
                out += "snippet(";
                appendUnsigned(out, f.id);
                out += ',';
                appendUnsigned(out, f.flag);
                out += ',';
                appendReals(out, f.rect);
                out += ',';
                appendReals(out, f.matrix);
                out += ',';
                appendQuoted(out, f.stream);
            } else if constexpr (std::is_same_v<T, PageFact>) {
                out += "apage(";
                appendAttrs(out, f.attrs);
                out += ",[";
                for (std::size_t i = 0; i < f.ids.size(); ++i) {
                    if (i)
                        out += ',';
                    appendSigned(out, f.ids[i]);
                }
                out += ']';
            } else {
                out += "toc(";
                appendUnsigned(out, f.id);
                out += ',';
                appendQuoted(out, f.title);
                out += ',';
                appendTarget(out, f.target);
                out += ',';
                appendUnsigned(out, f.parent);
                out += ',';
                appendUnsigned(out, f.prev);
                out += ',';
                appendUnsigned(out, f.next);
                out += ',';
                if (f.kids.sub) {
                    out += "sub(";
                    appendUnsigned(out, f.kids.count);
                    out += ',';
                    appendUnsigned(out, f.kids.first);
                    out += ',';
                    appendUnsigned(out, f.kids.last);
                    out += ')';
                } else {
                    out += "empty";
                }
            }
            out += ')';
}

}  // namespace

void appendFact(std::string &out, const Fact &fact)
{
    std::visit([&out](const auto &f) { writeFact(out, f); }, fact);
}

std::string factText(const Fact &fact)
{
    std::string s;
    appendFact(s, fact);
    return s;
}

std::string documentText(const Document &doc)
{
    std::string out;
    auto all = [&out](const auto &table) {
        for (const auto &f : table) {
            writeFact(out, f);
            out += '\n';
        }
    };
    all(doc.catalogs());
    all(doc.infos());
    all(doc.defaults());
    all(doc.snippets());
    all(doc.pages());
    all(doc.tocs());
    return out;
}

}  // namespace kordoc::sim
