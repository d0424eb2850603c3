#include "autopages.h"

#include "console.h"
#include "fileaccess.h"
#include "streamkind.h"

#include <string>
#include <unordered_map>

namespace kordoc::sim {

void renumber(Document &doc)
{
    std::vector<SnippetFact> all = doc.takeSnippets();
    std::vector<char> image(all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        image[i] = isjpegstream(all[i].stream);

    // Pictures first, then the rest, each in table order; the first snippet
    // with an old number decides where pages that name it now point.
    std::vector<SnippetFact> renumbered;
    renumbered.reserve(all.size());
    std::unordered_map<std::uint32_t, std::uint32_t> newId;
    newId.reserve(all.size());
    std::uint32_t scnt = 1;
    for (int pass = 1; pass >= 0; --pass)
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (image[i] != pass)
                continue;
            newId.try_emplace(all[i].id, scnt);
            all[i].id = scnt++;
            renumbered.push_back(std::move(all[i]));
        }

    std::vector<PageFact> pages = doc.takePages();
    for (PageFact &page : pages) {
        std::size_t kept = 0;
        for (std::int32_t id : page.ids) {
            if (id < 0)
                continue;
            auto it = newId.find(static_cast<std::uint32_t>(id));
            if (it != newId.end())
                page.ids[kept++] = static_cast<std::int32_t>(it->second);
        }
        page.ids.resize(kept);
    }
    doc.replaceSnippets(std::move(renumbered));
    doc.replacePages(std::move(pages));
}

namespace {

constexpr std::string_view pageMark = "\n<page>\n";

// The stream text of a text snippet: the file's content when the stream
// names a readable file, otherwise the stream itself.
std::string streamText(SnippetFact &s, Console *console)
{
    if (s.stream.size() < maxFileNameLength) {
        if (auto file = findFile(s.stream)) {
            std::string text;
            if (readWholeFile(*file, text) == ReadStatus::Ok) {
                if (console)
                    console->print("Reading " + s.stream + " and checking for pages\n");
                dropCarriageReturns(text);
                return text;
            }
        }
    }
    if (console)
        console->print("Reading an internal stream and checking for pages\n");
    return std::move(s.stream);
}

void numberPiece(std::string &piece, std::uint32_t number)
{
    std::size_t at = piece.find("$p");
    if (at != std::string::npos)
        piece.replace(at, 2, std::to_string(number));
}

struct SnipInfo {
    std::uint8_t flag;
    std::uint32_t first, last;
};

}  // namespace

void generatepages(Document &doc, Console *console)
{
    std::vector<SnippetFact> snippets = doc.takeSnippets();
    std::vector<SnippetFact> tmpsnippet;
    tmpsnippet.reserve(snippets.size());
    std::unordered_map<std::uint32_t, SnipInfo> byOld;
    std::unordered_map<std::uint32_t, SnipInfo> byFirst;
    // A passed-through snippet is numbered like a one-piece text snippet, so
    // its number stays clear of the pieces of texts split before it; it is
    // not repeated on generated pages, as pictures are not.
    std::unordered_map<std::uint32_t, std::uint32_t> passedThrough;
    std::uint32_t lea = 0;

    for (SnippetFact &s : snippets) {
        if (isjpegstream(s.stream)) {
            tmpsnippet.push_back(std::move(s));
            continue;
        }
        if (ispassedthrough(s.stream)) {
            passedThrough.try_emplace(s.id, s.id + lea);
            s.id += lea;
            tmpsnippet.push_back(std::move(s));
            continue;
        }
        std::string text = streamText(s, console);
        const std::uint32_t first = s.id + lea;
        std::uint32_t pano = 0;
        std::size_t from = 0;
        for (;;) {
            std::size_t mark = text.find(pageMark, from);
            SnippetFact piece;
            piece.id = s.id + lea + pano;
            piece.flag = 0;
            if (mark == std::string::npos && from == 0) {
                piece.stream = std::move(text);
            } else {
                piece.stream = text.substr(from, mark == std::string::npos ? std::string::npos : mark - from);
            }
            numberPiece(piece.stream, ++pano);
            bool last = mark == std::string::npos;
            piece.rect = s.rect;
            piece.matrix = s.matrix;
            if (last) {
                piece.rect = std::move(s.rect);
                piece.matrix = std::move(s.matrix);
            }
            tmpsnippet.push_back(std::move(piece));
            if (last)
                break;
            from = mark + pageMark.size();
        }
        lea += pano - 1;
        SnipInfo info{s.flag, first, first + pano - 1};
        byOld.try_emplace(s.id, info);
        byFirst.try_emplace(first, info);
    }
    doc.replaceSnippets(std::move(tmpsnippet));

    std::vector<PageFact> pages = doc.takePages();
    std::vector<PageFact> tmppage;
    tmppage.reserve(pages.size());
    for (PageFact &page : pages) {
        for (std::int32_t &id : page.ids) {
            if (id < 0)
                continue;
            auto key = static_cast<std::uint32_t>(id);
            if (auto it = byOld.find(key); it != byOld.end())
                id = static_cast<std::int32_t>(it->second.first);
            else if (auto pt = passedThrough.find(key); pt != passedThrough.end())
                id = static_cast<std::int32_t>(pt->second);
        }
        std::vector<std::int32_t> reused;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> split;  // (first, last) of split texts
        for (std::int32_t id : page.ids) {
            auto it = byFirst.find(static_cast<std::uint32_t>(id));
            if (id < 0 || it == byFirst.end())
                continue;
            if (it->second.first == it->second.last) {
                if (it->second.flag != 0)
                    reused.push_back(id);
            } else if (it->second.last > static_cast<std::uint32_t>(id)) {
                split.emplace_back(static_cast<std::uint32_t>(id), it->second.last);
            }
        }
        std::vector<PageAttr> attrs = split.empty() ? std::vector<PageAttr>() : page.attrs;
        tmppage.push_back(std::move(page));
        for (auto [x, last] : split)
            for (std::uint32_t k = x + 1; k <= last; ++k) {
                PageFact generated;
                generated.attrs = attrs;
                generated.ids.reserve(reused.size() + 1);
                generated.ids.push_back(static_cast<std::int32_t>(k));
                generated.ids.insert(generated.ids.end(), reused.begin(), reused.end());
                tmppage.push_back(std::move(generated));
            }
    }
    doc.replacePages(std::move(tmppage));
}

}  // namespace kordoc::sim
