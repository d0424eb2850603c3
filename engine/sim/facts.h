// The facts of a sim document and the stream statements read from text
// streams. Every value is owned: a stored fact is independent of the text
// it was read from.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace kordoc::sim {

// One page attribute: paper(X1,Y1,X2,Y2), crop(X1,Y1,X2,Y2) or ex(Text).
struct PageAttr {
    enum class Kind : std::uint8_t { Paper, Crop, Ex };
    Kind kind = Kind::Paper;
    double box[4] = {0, 0, 0, 0};  // Paper and Crop, in inches
    std::string text;              // Ex
    bool operator==(const PageAttr &) const = default;
};

// Link target go(N,S) or goto(N,S).
struct Target {
    enum class Kind : std::uint8_t { Go, Goto };
    Kind kind = Kind::Go;
    std::int32_t page = 0;
    std::string text;
    bool operator==(const Target &) const = default;
};

// Children of a bookmark: sub(Count,First,Last) or empty.
struct Kids {
    bool sub = false;
    std::uint32_t count = 0, first = 0, last = 0;
    bool operator==(const Kids &) const = default;
};

struct CatalogFact {
    std::string text;
    bool operator==(const CatalogFact &) const = default;
};

struct InfoFact {
    std::string author, creator, title, subject, keywords;
    bool operator==(const InfoFact &) const = default;
};

struct DefaultsFact {
    std::vector<PageAttr> attrs;
    bool operator==(const DefaultsFact &) const = default;
};

struct SnippetFact {
    std::uint32_t id = 0;
    std::uint8_t flag = 0;
    std::vector<double> rect;
    std::vector<double> matrix;
    std::string stream;
    bool hasGeometry() const { return rect.size() == 4 && matrix.size() == 6; }
    bool operator==(const SnippetFact &) const = default;
};

struct PageFact {
    std::vector<PageAttr> attrs;
    std::vector<std::int32_t> ids;
    bool operator==(const PageFact &) const = default;
};

struct TocFact {
    std::uint32_t id = 0;
    std::string title;
    Target target;
    std::uint32_t parent = 0, prev = 0, next = 0;
    Kids kids;
    bool operator==(const TocFact &) const = default;
};

// The six kinds, in declaration order: reading tries the names in this
// order and saving writes the kinds in it.
using Fact = std::variant<CatalogFact, InfoFact, DefaultsFact, SnippetFact, PageFact, TocFact>;

// Stream statements: not facts of the document, but lines of text streams.
struct TextAnnotationStmt {
    std::vector<double> rect;
    std::string extra, contents;
};
struct AnnotStmt {
    std::vector<double> rect;
    std::string extra, movie;  // the movie file, optionally after its width and height
};
struct LinkStmt {
    std::vector<double> rect;
    std::string border;
    Target target;
};
struct UseFontStmt {
    std::uint32_t font = 0, size = 0;
};
struct PdfStmt {
    std::string text;
};

using Statement = std::variant<TextAnnotationStmt, AnnotStmt, LinkStmt, UseFontStmt, PdfStmt>;

}  // namespace kordoc::sim
