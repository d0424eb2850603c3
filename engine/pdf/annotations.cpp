// The annotation pass: every statement of a placed snippet that makes a
// note, a movie or a link becomes an annotation object of the page, again
// for every placement.
#include "../sim/console.h"
#include "../sim/fileaccess.h"
#include "format.h"
#include "production.h"
#include "textconvert.h"
#include "textstream.h"

#include <array>
#include <cctype>
#include <charconv>

namespace kordoc::pdf {

namespace {

struct Token {
    enum Kind { None, Integer, Real, Name, Char } kind = None;
    long long value = 0;
    std::string_view text;
};

bool isSpace(char c) { return c == ' ' || (c >= 9 && c <= 13); }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// A token: after white space, the longest number (an integer, or a real
// when a point or an exponent follows), a name, or else one character.
Token nextToken(std::string_view &s)
{
    std::size_t p = 0;
    while (p < s.size() && isSpace(s[p]))
        ++p;
    Token t;
    if (p >= s.size()) {
        s = s.substr(p);
        return t;
    }
    const std::size_t start = p;
    bool digitStart = std::isdigit(static_cast<unsigned char>(s[p])) ||
                      (s[p] == '-' && p + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[p + 1])));
    if (digitStart) {
        std::size_t q = p + (s[p] == '-');
        int base = 10;
        if (q + 1 < s.size() && s[q] == '0' && (s[q + 1] == 'x' || s[q + 1] == 'X') &&
            std::isxdigit(static_cast<unsigned char>(q + 2 < s.size() ? s[q + 2] : 'g')))
            base = 16, q += 2;
        else if (q + 1 < s.size() && s[q] == '0' && (s[q + 1] == 'o' || s[q + 1] == 'O') && q + 2 < s.size() &&
                 s[q + 2] >= '0' && s[q + 2] <= '7')
            base = 8, q += 2;
        std::size_t digits = q;
        while (q < s.size() && (base == 16 ? std::isxdigit(static_cast<unsigned char>(s[q]))
                                           : (s[q] >= '0' && s[q] <= (base == 8 ? '7' : '9'))))
            ++q;
        if (base == 10 && q < s.size() && (s[q] == '.' || s[q] == 'e' || s[q] == 'E')) {
            double d;
            auto r = std::from_chars(s.data() + start, s.data() + s.size(), d);
            t.kind = Token::Real;
            q = r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - s.data()) : q + 1;
        } else {
            unsigned long long v = 0;
            auto r = std::from_chars(s.data() + digits, s.data() + q, v, base);
            t.kind = r.ec == std::errc() && v <= 2147483647ull ? Token::Integer : Token::Real;
            t.value = s[start] == '-' ? -static_cast<long long>(v) : static_cast<long long>(v);
        }
        t.text = s.substr(start, q - start);
        s = s.substr(q);
        return t;
    }
    std::size_t q = p;
    while (q < s.size() && isNameChar(s[q]))
        ++q;
    t.kind = q > p ? Token::Name : Token::Char;
    if (q == p)
        ++q;
    t.text = s.substr(start, q - start);
    s = s.substr(q);
    return t;
}

std::string_view skipSpace(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    return s;
}

// "W H file" of a movie, or "Rate Encoding file" of a sound: two tokens
// and the rest, white space before it removed.
struct ThreeParts {
    Token first, second;
    std::string rest;
};

std::optional<ThreeParts> threeParts(std::string_view text, Token::Kind secondKind)
{
    ThreeParts t;
    t.first = nextToken(text);
    if (t.first.kind != Token::Integer)
        return std::nullopt;
    t.second = nextToken(text);
    if (t.second.kind != secondKind)
        return std::nullopt;
    t.rest = std::string(skipSpace(text));
    return t;
}

struct AnnotationStatements {
    std::vector<sim::TextAnnotationStmt> notes;
    std::vector<sim::AnnotStmt> annots;
    std::vector<sim::LinkStmt> links;
    void open(const std::vector<double> &) {}
    void line(std::string_view) {}
    void close() {}
    void statement(sim::Statement &&st)
    {
        if (auto *n = std::get_if<sim::TextAnnotationStmt>(&st))
            notes.push_back(std::move(*n));
        else if (auto *a = std::get_if<sim::AnnotStmt>(&st))
            annots.push_back(std::move(*a));
        else if (auto *l = std::get_if<sim::LinkStmt>(&st))
            links.push_back(std::move(*l));
    }
};

}  // namespace

const Extraction *Production::extractstream(std::uint32_t id)
{
    if (auto it = extracted_.find(id); it != extracted_.end())
        return &it->second;
    const sim::SnippetFact *fact = doc_.findSnippet(id);
    if (!fact)
        return nullptr;
    Extraction &x = extracted_[id];
    x.fact = fact;
    if (fact->stream.size() < sim::maxFileNameLength) {
        if (auto file = sim::findFile(fact->stream)) {
            x.fromFile = true;
            if (sim::readWholeFile(*file, x.fileText) != sim::ReadStatus::Ok) {
                x.fileText.clear();
                progress("Could not read " + fact->stream + "\n");
            }
        }
    }
    AnnotationStatements statements;
    x.ok = walkstream(x.text(), fact->rect, statements);
    if (!x.ok || fact->matrix.size() != 6)
        return &x;

    const double e = fact->matrix[4], f = fact->matrix[5];
    auto rectOf = [e, f](const std::vector<double> &r) {
        return std::array<double, 4>{(r[0] + e) * 72, (r[1] + f) * 72, (r[2] + e) * 72, (r[3] + f) * 72};
    };
    for (const auto &n : statements.notes) {
        if (n.rect.size() != 4)
            continue;
        auto r = rectOf(n.rect);
        AnnotationObject a;
        a.text = filled("<</Type /Annot /Subtype /Text /Rect [ %0.2f %0.2f %0.2f %0.2f ] /Contents (%) % >> \nendobj\n",
                        {r[0], r[1], r[2], r[3], escapetext(n.contents), n.extra});
        x.annotations.push_back(std::move(a));
    }
    for (const auto &m : statements.annots) {
        if (m.rect.size() != 4)
            continue;
        auto r = rectOf(m.rect);
        std::string subtype = "/Text", part;
        if (m.movie.size() < sim::maxFileNameLength) {
            auto aspect = threeParts(m.movie, Token::Integer);
            if (aspect && sim::fileExists(aspect->rest)) {
                subtype = "/Movie";
                part = filled("/Movie << /F (%) /Aspect [ % % ]>> /A << /FWScale [ 1 1] >> ",
                              {escapetext(aspect->rest), aspect->first.value, aspect->second.value});
            } else if (sim::fileExists(m.movie)) {
                subtype = "/Movie";
                part = filled("/Movie << /F (%)>>", {escapetext(m.movie)});
            }
        }
        if (part.empty())
            part = filled("/Contents (%)", {escapetext(m.movie)});
        AnnotationObject a;
        a.text = filled("<</Type /Annot /Subtype % /Rect [ %0.2f %0.2f %0.2f %0.2f ] % % >> \nendobj\n",
                        {subtype, r[0], r[1], r[2], r[3], part, m.extra});
        x.annotations.push_back(std::move(a));
    }
    for (const auto &l : statements.links) {
        if (l.rect.size() != 4)
            continue;
        auto r = rectOf(l.rect);
        const bool go = l.target.kind == sim::Target::Kind::Go;
        const std::string &s = l.target.text;
        AnnotationObject a;
        std::string converted;
        if (go && l.target.page == 0 && smoothenstring(converted, s)) {
            a.text = filled("<</Type /Annot /Subtype /Link /Rect [%0.2f %0.2f %0.2f %0.2f] % /C [1 0 0.5] /A\n"
                            "    << /Type /Action /S  /URI\n     /URI (%s)>> >>",
                            {r[0], r[1], r[2], r[3], l.border, converted});
        } else if (go && l.target.page == -1 && smoothenstring(converted, s)) {
            std::size_t blank = converted.find(' ');
            std::string program = converted.substr(0, blank);
            std::string parameters = blank == std::string::npos ? std::string() : converted.substr(blank);
            a.text = filled("<</Type /Annot /Subtype /Link /Rect [%0.2f %0.2f %0.2f %0.2f] % /C [1 0 0.5] /A  <<\n"
                            "   /Type /Action /S /Launch\n   /Win <</F (%) /P (%)>>\n   >> >>",
                            {r[0], r[1], r[2], r[3], l.border, program, parameters});
        } else if (go && l.target.page == -2 && s.size() < sim::maxFileNameLength) {
            long long rate = 10000;
            std::string_view encoding = "Raw";
            std::optional<std::string> found;
            auto described = threeParts(s, Token::Name);
            if (described && (found = sim::findFile(described->rest))) {
                rate = described->first.value;
                encoding = described->second.text;
            } else {
                found = sim::findFile(s);
            }
            std::string probe;
            if (found && sim::readWholeFile(*found, probe) == sim::ReadStatus::Ok) {
                // The sound object's number is the link's + 1, known when written.
                const std::string_view action = opt_.profile.soundAction;
                a.sound = true;
                a.text = filled(action, {r[0], r[1], r[2], r[3], l.border});
                a.afterNumber = std::string(action.substr(action.rfind('%') + 1));
                a.soundFile = *found;
                a.soundSize = static_cast<long long>(probe.size());
                a.soundHead = filled(opt_.profile.soundObject, {rate, encoding, a.soundSize});
            }
        }
        if (a.text.empty())
            a.text = filled("<</Type /Annot /Subtype /Link /Rect [ %0.2f %0.2f %0.2f %0.2f ] /Dest % % /C [ 0 0 1 ] >>",
                            {r[0], r[1], r[2], r[3], destination(l.target), l.border});
        if (!a.sound)
            a.text += "\nendobj\n";
        x.annotations.push_back(std::move(a));
    }
    return &x;
}

void Production::annotationpass()
{
    const auto &pages = doc_.pages();
    pageFirstAnnotation_.assign(pages.size(), 0);
    std::uint32_t count = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        pageFirstAnnotation_[p] = count;
        for (std::int32_t id : pages[p].ids) {
            if (id <= 0)
                continue;
            if (const Extraction *x = extractstream(static_cast<std::uint32_t>(id)))
                for (const AnnotationObject &a : x->annotations)
                    count += a.objects();
        }
    }
    annotationCount_ = count;
}

const std::vector<AnnotationObject> &Production::placedAnnotations(std::int32_t id) const
{
    static const std::vector<AnnotationObject> none;
    if (id <= 0)
        return none;
    auto it = extracted_.find(static_cast<std::uint32_t>(id));
    return it == extracted_.end() ? none : it->second.annotations;
}

void Production::writeAnnotations()
{
    std::uint32_t number = annotStart_ + 1;
    std::string text;
    for (const sim::PageFact &page : doc_.pages())
        for (std::int32_t id : page.ids)
            for (const AnnotationObject &a : placedAnnotations(id)) {
                if (!a.sound) {
                    emit(number++, a.text);
                    continue;
                }
                text = a.text;
                appendNumber(text, number + 1);
                text += a.afterNumber;
                text += "\nendobj\n";
                emit(number++, text);
                emitWithFile(number++, a.soundHead, a.soundFile, a.soundSize, "\nendstream\nendobj\n");
            }
}

}  // namespace kordoc::pdf
