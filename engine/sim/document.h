// The sim document: six ordered fact tables, one per kind. Adding appends
// to the kind's table; the order between kinds is not kept.
#pragma once

#include "facts.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace kordoc::sim {

class Document {
public:
    void clear();
    void append(Fact fact);
    void append(SnippetFact fact);
    void append(PageFact fact) { pages_.push_back(std::move(fact)); }

    // Of catalog, info and defaults only the first fact counts.
    const CatalogFact *firstCatalog() const { return catalogs_.empty() ? nullptr : &catalogs_.front(); }
    const InfoFact *firstInfo() const { return infos_.empty() ? nullptr : &infos_.front(); }
    const DefaultsFact *firstDefaults() const { return defaults_.empty() ? nullptr : &defaults_.front(); }

    const std::vector<CatalogFact> &catalogs() const { return catalogs_; }
    const std::vector<InfoFact> &infos() const { return infos_; }
    const std::vector<DefaultsFact> &defaults() const { return defaults_; }
    const std::vector<SnippetFact> &snippets() const { return snippets_; }
    const std::vector<PageFact> &pages() const { return pages_; }
    const std::vector<TocFact> &tocs() const { return tocs_; }

    // The first snippet with this number; with `geometry`, the first one
    // whose Rect has four and whose Matrix has six elements. An index keeps
    // this constant-time: production asks once per page element.
    const SnippetFact *findSnippet(std::uint32_t id, bool geometry = false) const;

    // Tables replaced whole by the rewriting steps of automatic pages.
    // The tables are moved out (leaving them empty) so that rewriting does
    // not copy every stream.
    void replaceSnippets(std::vector<SnippetFact> snippets);
    void replacePages(std::vector<PageFact> pages);
    std::vector<SnippetFact> takeSnippets();
    std::vector<PageFact> takePages();

    bool empty() const;

private:
    struct IndexEntry {
        std::uint32_t first;
        std::uint32_t firstWithGeometry;  // npos when none
    };
    static constexpr std::uint32_t npos = UINT32_MAX;
    void indexSnippet(std::uint32_t position) const;
    void buildIndex() const;

    std::vector<CatalogFact> catalogs_;
    std::vector<InfoFact> infos_;
    std::vector<DefaultsFact> defaults_;
    std::vector<SnippetFact> snippets_;
    std::vector<PageFact> pages_;
    std::vector<TocFact> tocs_;

    mutable std::unordered_map<std::uint32_t, IndexEntry> index_;
    mutable bool indexed_ = false;
};

}  // namespace kordoc::sim
