// One production run. All object numbers are planned before the first byte
// is written; then every object is built and written in file order, so the
// PDF is never held in memory as a whole.
#pragma once

#include "../sim/document.h"
#include "../sim/reader.h"
#include "pdfwriter.h"
#include "produce.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kordoc::pdf {

// An annotation object of a snippet, the same for every placement of it
// except for its number.
struct AnnotationObject {
    std::string text;  // the whole object text, or the sound link's text before its number
    bool sound = false;
    std::string afterNumber;  // sound link: the text after the sound object's number
    std::string soundHead;
    std::string soundFile;
    long long soundSize = 0;
    // Objects it takes: two for a sound link (the link and its sound).
    unsigned objects() const { return sound ? 2 : 1; }
};

// A snippet's stream as read once per run.
struct Extraction {
    bool ok = false;
    const sim::SnippetFact *fact = nullptr;  // whose rect and stream were read
    bool fromFile = false;
    std::string fileText;                    // the file's text, when the stream is a file
    std::vector<AnnotationObject> annotations;
    std::string_view text() const { return fromFile ? std::string_view(fileText) : std::string_view(fact->stream); }
};

struct ImageRecord {
    std::uint32_t objNo = 0;
    std::uint32_t id = 0;
    double scale[4] = {0, 0, 0, 0};
    double width = 0, height = 0, e = 0, f = 0;
    std::string head;
    std::string file;
    long long size = 0;
};

class Production {
public:
    Production(const sim::Document &doc, const ProduceOptions &options);
    void run(ByteSink &sink);

    // Pieces shared with tests.
    static std::string pageattrs(const std::vector<sim::PageAttr> &attrs);
    static std::string destination(const sim::Target &target);

private:
    // Planning, in the order the objects will stand in the file.
    void planBookmarks();
    void annotationpass();
    const Extraction *extractstream(std::uint32_t id);
    void buildAnnotations(Extraction &x, const sim::SnippetFact &fact);
    void imagepass();
    void planForms();
    void planNumbers();
    void loadFontDefinitions();

    // Writing.
    void writeHeader();
    void writeDocumentObjects();
    void writeBookmarks();
    void makefontresource();
    void writeAnnotations();
    void writeImages();
    void writeForms();
    void writeContents();
    void writePages();
    void writeTrailer();

    void emit(std::uint32_t number, std::string_view text);
    void emitWithFile(std::uint32_t number, std::string_view head, const std::string &file, long long size,
                      std::string_view tail);
    void beginObject(std::uint32_t number);
    void progress(std::string_view text);

    std::string tocObject(const sim::TocFact &toc);
    std::string pageresources(const sim::PageFact &page) const;
    bool tocWritten(std::uint32_t id) const;
    // The annotations a placement of snippet id gives (none for unknown ids).
    const std::vector<AnnotationObject> &placedAnnotations(std::int32_t id) const;

    const sim::Document &doc_;
    const ProduceOptions &opt_;
    PdfWriter *out_ = nullptr;
    std::vector<std::uint64_t> offsets_;  // by object number; noOffset for free numbers

    // Numbering plan.
    std::uint32_t tocTop_ = 0;  // highest outline item id
    std::uint32_t fontresStart_ = 0, annotStart_ = 0, snippetsStart_ = 0;
    std::uint32_t contentsStart_ = 0, pagesStart_ = 0, highest_ = 0;

    // Bookmarks.
    std::optional<std::uint32_t> firstBookmark_, lastBookmark_, countBookmarks_;
    std::vector<char> tocHasObject_;  // by toc table position
    std::unordered_map<std::uint32_t, std::size_t> tocById_;  // id -> table position of its object

    // Annotations and streams.
    std::unordered_map<std::uint32_t, Extraction> extracted_;
    std::vector<std::uint32_t> pageFirstAnnotation_;
    std::uint32_t annotationCount_ = 0;

    // Snippet XObjects.
    std::vector<ImageRecord> images_;
    std::unordered_map<std::uint32_t, std::size_t> imageById_;
    std::string formResources_;
    std::vector<const sim::SnippetFact *> forms_;
    std::uint32_t snippetTop_ = 0;

    // Fonts from a font definitions file, in file order.
    std::vector<sim::TobFact> tob_;
    bool useTob_ = false;
};

// Above this, numbers would make the cross-reference table unreasonably
// large: outline item ids and snippet ids beyond it get no object.
inline constexpr std::uint32_t maxPlannedId = 8000000;

}  // namespace kordoc::pdf
