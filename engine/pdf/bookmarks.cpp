// The outline: one item per toc fact, numbered 19 + its id, and the three
// records from which the outline root is built.
#include "format.h"
#include "production.h"
#include "textconvert.h"

#include <unordered_set>

namespace kordoc::pdf {

std::string Production::destination(const sim::Target &target)
{
    std::string_view tmpl =
        target.text.find('%') != std::string::npos ? std::string_view(target.text) : "[ % /XYZ null null null ]";
    return filled(tmpl, {static_cast<long long>(target.page) - 1});
}

// Id 0 would be the outline root's own number, a repeated id a second
// object under one number, and a huge id a cross-reference table of
// millions of free entries: such items get no object.
void Production::planBookmarks()
{
    const auto &tocs = doc_.tocs();
    tocHasObject_.assign(tocs.size(), 0);
    std::unordered_set<std::uint32_t> seen;
    for (std::size_t i = 0; i < tocs.size(); ++i) {
        const sim::TocFact &toc = tocs[i];
        if (toc.id == 0 || toc.id > maxPlannedId || !seen.insert(toc.id).second)
            continue;
        const std::uint32_t number = 19 + toc.id;
        tocTop_ = std::max(tocTop_, toc.id);
        std::string title;
        if (!smoothenstring(title, toc.title))
            continue;
        tocHasObject_[i] = 1;
        tocById_.emplace(toc.id, i);
        // The root's /First and /Last are its own children: the first and
        // the last top-level item. Naming a nested item there, or a number
        // without an object, makes readers repair (or drop) the outline.
        if (toc.parent == 0) {
            countBookmarks_ = countBookmarks_.value_or(0) + 1;
            if (!firstBookmark_)
                firstBookmark_ = number;
            lastBookmark_ = number;
        }
    }
}

bool Production::tocWritten(std::uint32_t id) const { return tocById_.count(id) != 0; }

// References to items that have no object are left out (a missing parent
// becomes the outline root), so no reference points at another object.
std::string Production::tocObject(const sim::TocFact &toc)
{
    std::string title;
    smoothenstring(title, toc.title);
    std::string dest = destination(toc.target);
    std::uint32_t parent = toc.parent != 0 && tocWritten(toc.parent) ? 19 + toc.parent : 19;
    std::string prev, next, children;
    if (toc.prev != toc.id && tocWritten(toc.prev))
        prev = filled("/Prev % 0 R ", {19 + toc.prev});
    if (toc.next != toc.id && tocWritten(toc.next))
        next = filled("/Next % 0 R ", {19 + toc.next});
    if (toc.kids.sub && tocWritten(toc.kids.first) && tocWritten(toc.kids.last))
        children = filled("/Count % /First % 0 R /Last % 0 R",
                          {-static_cast<long long>(toc.kids.count), 19 + toc.kids.first, 19 + toc.kids.last});
    return filled("<< /Title (%) /Dest % /Parent % 0 R % % % >> \nendobj\n",
                  {title, dest, parent, prev, next, children});
}

void Production::writeBookmarks()
{
    const auto &tocs = doc_.tocs();
    for (std::size_t i = 0; i < tocs.size(); ++i)
        if (tocHasObject_[i])
            emit(19 + tocs[i].id, tocObject(tocs[i]));
}

}  // namespace kordoc::pdf
