// Text snippets: the shared font resource dictionary and one Form XObject
// per text snippet, its content built from the stream's elements.
#include "../sim/console.h"
#include "../sim/fileaccess.h"
#include "format.h"
#include "production.h"
#include "textconvert.h"
#include "textstream.h"

#include <algorithm>

namespace kordoc::pdf {

namespace {

// Form content: the usefont texts first (the grouping order puts them
// before the text object), then every other element in reading order.
struct FormContent {
    std::string fonts;
    std::string body;

    void open(const std::vector<double> &rect)
    {
        body += textObjectOpen;
        appendTextMatrix(body, rect);
    }
    void line(std::string_view text)
    {
        const std::size_t mark = body.size();
        body += '(';
        if (smoothenstring(body, text))
            body += ")Tj T*\n";
        else
            body.resize(mark);  // a passage without its end adds nothing
    }
    void statement(sim::Statement &&st)
    {
        if (auto *u = std::get_if<sim::UseFontStmt>(&st)) {
            fill(fonts, "/F% % Tf\n", {u->font, u->size});
        } else if (auto *p = std::get_if<sim::PdfStmt>(&st)) {
            // A pdf text naming a readable file gives the file's text.
            std::string file;
            if (p->text.size() < sim::maxFileNameLength)
                if (auto found = sim::findFile(p->text);
                    found && sim::readWholeFile(*found, file) == sim::ReadStatus::Ok) {
                    sim::dropCarriageReturns(file);
                    body += file;
                    return;
                }
            body += p->text;
        }
    }
    void close() { body += textObjectClose; }
};

}  // namespace

// A font definitions file may define only some of the fourteen fonts: an
// entry for a font without its object would name a free number, which
// readers take for a damaged file.
void Production::makefontresource()
{
    auto defined = [this](unsigned number) {
        return !useTob_ || std::any_of(tob_.begin(), tob_.end(), [number](const sim::TobFact &t) {
                   return t.number == static_cast<std::int32_t>(number);
               });
    };
    std::string body = "<<";
    for (unsigned n = 1; n <= 14; ++n)
        if (defined(n + 4))
            fill(body, "\n\t/F% % 0 R", {n, n + 4});
    body += "\n\t\t>>\n\nendobj\n";
    emit(fontresStart_ + 1, body);
}

// Which text snippets get a Form XObject: read by the annotation pass (a
// snippet no page uses is never read), not a picture, with a matrix of six
// and a box of four numbers; one object per number.
void Production::planForms()
{
    std::uint32_t top = 0;
    for (const ImageRecord &r : images_)
        top = std::max(top, r.id);
    std::unordered_map<std::uint32_t, char> taken;
    for (const sim::SnippetFact &s : doc_.snippets()) {
        if (s.id == 0 || s.id > maxPlannedId || imageById_.count(s.id) || s.matrix.size() != 6 ||
            s.rect.size() != 4)
            continue;
        auto x = extracted_.find(s.id);
        if (x == extracted_.end() || !x->second.ok || !taken.emplace(s.id, 1).second)
            continue;
        forms_.push_back(&s);
        top = std::max(top, s.id);
    }
    // Pages name their snippets whether or not these got an object.
    for (const sim::PageFact &p : doc_.pages())
        for (std::int32_t id : p.ids)
            if (id > 0 && static_cast<std::uint32_t>(id) <= maxPlannedId)
                top = std::max(top, static_cast<std::uint32_t>(id));
    snippetTop_ = top;
}

void Production::writeForms()
{
    if (!images_.empty()) {
        formResources_ = "         /XObject <<";
        for (const ImageRecord &r : images_)
            fill(formResources_, "\n       /Snip% % 0 R", {r.id, snippetsStart_ + r.id});
        formResources_ += "\n                >>";
    }
    FormContent content;
    std::string head;
    for (const sim::SnippetFact *s : forms_) {
        const Extraction &x = extracted_.at(s->id);
        content.fonts.clear();
        content.body.clear();
        walkstream(x.text(), x.fact->rect, content);
        content.body += '\n';
        const std::uint64_t length =
            PdfWriter::encodedLength(content.fonts) + PdfWriter::encodedLength(content.body);
        const std::vector<double> &r = s->rect, &m = s->matrix;
        head.clear();
        fill(head,
             "% /Snip% /BBox [ % % % % ] /Matrix [ %0.2f %0.2f %0.2f %0.2f %0.2f %0.2f ]  /Resources \n"
             "    <<\n%\n/Font % 0 R\n    >>\n  /Length %>>\nstream\n",
             {"<</Type /XObject /Subtype /Form /FormType 1 /Name", s->id, r[0] * 72, r[1] * 72, r[2] * 72, r[3] * 72,
              m[0], m[1], m[2], m[3], m[4] * 72, m[5] * 72, formResources_, fontresStart_ + 1, length});
        progress("--");
        emit(snippetsStart_ + s->id, head);
        out_->text(content.fonts);
        out_->text(content.body);
        out_->text("endstream\nendobj\n");
    }
}

}  // namespace kordoc::pdf
