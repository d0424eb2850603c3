// The document-level objects 1 to 19: catalog, information dictionary,
// pages tree, procedure set, the fonts and the outline root.
#include "../sim/fileaccess.h"
#include "../sim/linereader.h"
#include "format.h"
#include "production.h"
#include "textconvert.h"

#include <cstdlib>
#include <ctime>

namespace kordoc::pdf {

namespace {

constexpr const char *fontNames[14] = {
    "Courier",     "Courier-Bold",     "Courier-Oblique",   "Courier-BoldOblique",   "Times-Roman",
    "Times-Bold",  "Times-Italic",     "Times-BoldItalic",  "Helvetica",             "Helvetica-Bold",
    "Helvetica-Oblique", "Helvetica-BoldOblique", "Symbol", "ZapfDingbats",
};

struct CreationDate {
    std::tm tm{};
    long offset = 0;  // seconds east of UTC
};

// Local time with the machine's real offset; SOURCE_DATE_EPOCH pins the
// instant (in UTC) so that the same sim gives the same bytes.
CreationDate creationDate(const ProduceOptions &o)
{
    CreationDate d;
    std::time_t t = std::time(nullptr);
    bool utc = false;
    if (o.creationTime) {
        t = *o.creationTime;
        utc = o.creationTimeUtc;
    } else if (const char *epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        char *end = nullptr;
        long long v = std::strtoll(epoch, &end, 10);
        if (end && *end == '\0') {
            t = static_cast<std::time_t>(v);
            utc = true;
        }
    }
    if (utc) {
        gmtime_r(&t, &d.tm);
    } else {
        localtime_r(&t, &d.tm);
        d.offset = d.tm.tm_gmtoff;
    }
    return d;
}

std::string dateText(const CreationDate &d)
{
    std::string s = filled("D:%04d%02d%02d%02d%02d%02d",
                           {d.tm.tm_year + 1900, d.tm.tm_mon + 1, d.tm.tm_mday, d.tm.tm_hour, d.tm.tm_min, d.tm.tm_sec});
    long off = d.offset < 0 ? -d.offset : d.offset;
    s += d.offset < 0 ? '-' : '+';
    fill(s, "%02d'%02d'", {off / 3600, (off % 3600) / 60});
    return s;
}

}  // namespace

// The file's objects replace the fourteen fonts only when the whole file
// reads; its objects keep their numbers, which must lie among the font
// numbers 5 to 18 so that no number is used twice.
void Production::loadFontDefinitions()
{
    useTob_ = false;
    tob_.clear();
    if (!opt_.fontDefinitions)
        return;
    sim::LineReader in;
    if (!in.open(*opt_.fontDefinitions))
        return;
    std::string line;
    while (in.next(line)) {
        sim::TermReader reader(line);
        sim::TobFact t;
        if (!reader.readTob(t)) {
            tob_.clear();
            return;
        }
        tob_.push_back(std::move(t));
    }
    if (in.failed()) {
        tob_.clear();
        return;
    }
    useTob_ = true;
}

void Production::writeDocumentObjects()
{
    // 1: catalog.
    const sim::CatalogFact *catalog = doc_.firstCatalog();
    emit(1, filled("<</Type /Catalog /Pages % 0 R /Outlines % 0 R % >> \nendobj\n",
                   {3, 19, catalog ? std::string_view(catalog->text) : std::string_view()}));

    // 2: information dictionary.
    const std::string date = dateText(creationDate(opt_));
    std::string info;
    if (const sim::InfoFact *i = doc_.firstInfo()) {
        std::string author, title, subject, keywords;
        if (smoothenstring(author, i->author) && smoothenstring(title, i->title) &&
            smoothenstring(subject, i->subject) && smoothenstring(keywords, i->keywords))
            info = filled("<</Author (%) /CreationDate (%) /Creator (%) /Producer (VANTREL PDF Generator %) "
                          "/Title (%) /Subject (%) /Keywords (%) >> \nendobj\n",
                          {author, date, escapetext(i->creator), opt_.profile.version, title, subject, keywords});
    }
    if (info.empty())
        info = filled("<</CreationDate (%) /Producer (VANTREL PDF Generator) >> \nendobj\n", {date});
    emit(2, info);

    // 3: pages tree.
    std::string kids;
    const std::size_t pages = doc_.pages().size();
    kids.reserve(pages * 10);
    for (std::size_t p = 1; p <= pages; ++p)
        fill(kids, "% 0 R ", {pagesStart_ + static_cast<std::uint32_t>(p)});
    const sim::DefaultsFact *defaults = doc_.firstDefaults();
    emit(3, filled("<</Type /Pages /Kids [ % ] /Count % %>> \nendobj\n",
                   {kids, pages, defaults ? pageattrs(defaults->attrs) : std::string()}));

    // 4: procedure set.
    emit(4, "[ /PDF /Text ]\nendobj\n");

    // 5 to 18: fonts, or the font definitions file's objects; its last
    // fact is written first.
    if (useTob_) {
        std::vector<char> used(19, 0);
        std::string bytes;
        for (auto t = tob_.rbegin(); t != tob_.rend(); ++t) {
            if (t->number < 5 || t->number > 18 || used[static_cast<std::size_t>(t->number)])
                continue;
            used[static_cast<std::size_t>(t->number)] = 1;
            const auto number = static_cast<std::uint32_t>(t->number);
            if (t->tail.empty() && t->fileName.empty()) {
                emit(number, t->head);
                continue;
            }
            emit(number, t->head);
            auto file = sim::findFile(t->fileName);
            if (file && sim::readWholeFile(*file, bytes) == sim::ReadStatus::Ok && !bytes.empty())
                out_->bytes(bytes);
            else
                out_->bytes(t->payload);
            out_->text(t->tail);
        }
    } else {
        for (unsigned k = 1; k <= 14; ++k)
            emit(k + 4, filled("<</Type /Font /Subtype /Type1 /Name /F% /BaseFont /% /Encoding /WinAnsiEncoding >> "
                               "\nendobj\n",
                               {k, fontNames[k - 1]}));
    }

    // 19: outline root.
    if (firstBookmark_ && lastBookmark_ && countBookmarks_)
        emit(19, filled("<</First % 0 R /Last % 0 R /Count % >> \nendobj\n",
                        {*firstBookmark_, *lastBookmark_, *countBookmarks_}));
    else
        emit(19, "<</Count 0 >> \nendobj\n");
}

}  // namespace kordoc::pdf
