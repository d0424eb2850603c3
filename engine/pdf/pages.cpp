// Pages: one content stream placing the page's snippets (pictures first)
// and one page object with its boxes, annotations and resources.
#include "format.h"
#include "production.h"

#include <cmath>

namespace kordoc::pdf {

namespace {

// Halves upward: floor(value + 0.5), printed as an integer.
long long rounded(double v)
{
    double r = std::floor(v + 0.5);
    if (!(r > -9.2e18 && r < 9.2e18))
        return 0;
    return static_cast<long long>(r);
}

bool placeable(std::int32_t id) { return id > 0 && static_cast<std::uint32_t>(id) <= maxPlannedId; }

}  // namespace

std::string Production::pageattrs(const std::vector<sim::PageAttr> &attrs)
{
    std::string text;
    for (const sim::PageAttr &a : attrs) {
        if (a.kind == sim::PageAttr::Kind::Ex) {
            text += ' ';
            text += a.text;
            continue;
        }
        fill(text, a.kind == sim::PageAttr::Kind::Paper ? " /MediaBox [ %0.2f %0.2f %0.2f %0.2f ]"
                                                         : " /CropBox [ %0.2f %0.2f %0.2f %0.2f ]",
             {a.box[0] * 72, a.box[1] * 72, a.box[2] * 72, a.box[3] * 72});
    }
    return text;
}

std::string Production::pageresources(const sim::PageFact &page) const
{
    std::string text = "\n\t/XObject << ";
    for (std::int32_t id : page.ids)
        if (placeable(id))
            fill(text, "\n\t/Snip% % 0 R ", {id, snippetsStart_ + static_cast<std::uint32_t>(id)});
    text += "\n\t\t>>\n\n\t/ProcSet 4 0 R";
    return text;
}

void Production::writeContents()
{
    std::string images, texts, body;
    const auto &pages = doc_.pages();
    for (std::size_t p = 0; p < pages.size(); ++p) {
        progress("--");
        images.clear();
        texts.clear();
        std::uint64_t k = 0;
        for (std::int32_t id : pages[p].ids) {
            if (!placeable(id))
                continue;
            ++k;
            auto it = imageById_.find(static_cast<std::uint32_t>(id));
            if (it == imageById_.end()) {
                fill(texts, " q /Snip% Do Q\n", {id});
                continue;
            }
            const ImageRecord &r = images_[it->second];
            fill(images, " q % 0 0 % % % cm /Snip% Do Q\n",
                 {rounded(r.width * r.scale[0]), rounded(r.height * r.scale[3]), rounded(r.e), rounded(r.f), id});
        }
        body.clear();
        fill(body, "<<\n/Length %\n>>\nstream\n", {images.size() + texts.size() + k});
        body += images;
        body += texts;
        body += "\nendstream\nendobj\n";
        emit(contentsStart_ + static_cast<std::uint32_t>(p) + 1, body);
    }
}

void Production::writePages()
{
    const auto &pages = doc_.pages();
    std::string refs, body;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        progress("--");
        refs.clear();
        std::uint32_t number = annotStart_ + 1 + pageFirstAnnotation_[p];
        for (std::int32_t id : pages[p].ids)
            for (const AnnotationObject &a : placedAnnotations(id)) {
                fill(refs, "% 0 R ", {number});
                number += a.objects();
            }
        body.clear();
        fill(body,
             "<</Type /Page % /Parent % 0 R \n/Annots [ % ] /Resources \n\t<< % \n\t>>\n \t  /Contents % 0 R >> \nendobj\n",
             {pageattrs(pages[p].attrs), 3, refs, pageresources(pages[p]),
              contentsStart_ + static_cast<std::uint32_t>(p) + 1});
        emit(pagesStart_ + static_cast<std::uint32_t>(p) + 1, body);
    }
}

}  // namespace kordoc::pdf
