#include "document.h"

namespace kordoc::sim {

void Document::clear()
{
    catalogs_.clear();
    infos_.clear();
    defaults_.clear();
    snippets_.clear();
    pages_.clear();
    tocs_.clear();
    index_.clear();
    indexed_ = false;
}

bool Document::empty() const
{
    return catalogs_.empty() && infos_.empty() && defaults_.empty() && snippets_.empty() && pages_.empty() &&
           tocs_.empty();
}

void Document::append(Fact fact)
{
    std::visit(
        [this](auto &&f) {
            using T = std::decay_t<decltype(f)>;
            if constexpr (std::is_same_v<T, CatalogFact>)
                catalogs_.push_back(std::move(f));
            else if constexpr (std::is_same_v<T, InfoFact>)
                infos_.push_back(std::move(f));
            else if constexpr (std::is_same_v<T, DefaultsFact>)
                defaults_.push_back(std::move(f));
            else if constexpr (std::is_same_v<T, SnippetFact>)
                append(std::move(f));
            else if constexpr (std::is_same_v<T, PageFact>)
                pages_.push_back(std::move(f));
            else
                tocs_.push_back(std::move(f));
        },
        std::move(fact));
}

void Document::append(SnippetFact fact)
{
    snippets_.push_back(std::move(fact));
    if (indexed_)
        indexSnippet(static_cast<std::uint32_t>(snippets_.size() - 1));
}

void Document::indexSnippet(std::uint32_t position) const
{
    const SnippetFact &s = snippets_[position];
    auto [it, inserted] = index_.try_emplace(s.id, IndexEntry{position, npos});
    if (it->second.firstWithGeometry == npos && s.hasGeometry())
        it->second.firstWithGeometry = position;
    (void)inserted;
}

void Document::buildIndex() const
{
    index_.clear();
    index_.reserve(snippets_.size());
    for (std::uint32_t i = 0; i < snippets_.size(); ++i)
        indexSnippet(i);
    indexed_ = true;
}

const SnippetFact *Document::findSnippet(std::uint32_t id, bool geometry) const
{
    if (!indexed_)
        buildIndex();
    auto it = index_.find(id);
    if (it == index_.end())
        return nullptr;
    std::uint32_t pos = geometry ? it->second.firstWithGeometry : it->second.first;
    return pos == npos ? nullptr : &snippets_[pos];
}

void Document::replaceSnippets(std::vector<SnippetFact> snippets)
{
    snippets_ = std::move(snippets);
    index_.clear();
    indexed_ = false;
}

std::vector<SnippetFact> Document::takeSnippets()
{
    std::vector<SnippetFact> s = std::move(snippets_);
    snippets_.clear();
    index_.clear();
    indexed_ = false;
    return s;
}

std::vector<PageFact> Document::takePages()
{
    std::vector<PageFact> p = std::move(pages_);
    pages_.clear();
    return p;
}

void Document::replacePages(std::vector<PageFact> pages) { pages_ = std::move(pages); }

}  // namespace kordoc::sim
