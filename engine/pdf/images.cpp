// The image pass: every JPEG snippet becomes an Image XObject whose data is
// the file copied byte for byte under the DCT filter.
#include "../sim/errors.h"
#include "../sim/fileaccess.h"
#include "../sim/streamkind.h"
#include "format.h"
#include "jpeginfo.h"
#include "production.h"

namespace kordoc::pdf {

namespace {

// The frame header's own size, bits and colour space: a grey or CMYK
// picture labelled RGB shows as garbage. Without a readable frame header
// the numbers come from the snippet.
std::string imageHead(const sim::SnippetFact &s, long long size, const std::optional<JpegInfo> &info)
{
    if (!info)
        return filled("<< /Type /XObject /Subtype /Image /Name /Snip% /Width %  /Height % \n"
                      "/BitsPerComponent 8 /ColorSpace /DeviceRGB /Length % /Filter /DCTDecode >>\nstream\n",
                      {s.id, s.rect[2], s.rect[3], size});
    std::string_view space = info->components == 1   ? "/DeviceGray"
                             : info->components == 4 ? (info->adobe ? "/DeviceCMYK /Decode [ 1 0 1 0 1 0 1 0 ]"
                                                                    : "/DeviceCMYK")
                                                     : "/DeviceRGB";
    return filled("<< /Type /XObject /Subtype /Image /Name /Snip% /Width %  /Height % \n"
                  "/BitsPerComponent % /ColorSpace % /Length % /Filter /DCTDecode >>\nstream\n",
                  {s.id, info->width, info->height, info->bits, space, size});
}

}  // namespace

void Production::imagepass()
{
    for (const sim::SnippetFact &s : doc_.snippets()) {
        if (s.matrix.size() != 6 || s.rect.size() != 4 || s.id == 0 || s.id > maxPlannedId ||
            imageById_.count(s.id) || !sim::isjpegstream(s.stream))
            continue;
        auto file = sim::findFile(s.stream);
        std::string bytes;
        if (!file || sim::readWholeFile(*file, bytes) != sim::ReadStatus::Ok)
            throw EngineError(errc::ImageRead, s.stream + " cannot be read");
        ImageRecord r;
        r.id = s.id;
        for (int k = 0; k < 4; ++k)
            r.scale[k] = s.matrix[k];
        r.width = s.rect[2];
        r.height = s.rect[3];
        r.e = s.matrix[4] * 72;
        r.f = s.matrix[5] * 72;
        r.file = *file;
        r.size = static_cast<long long>(bytes.size());
        r.head = imageHead(s, r.size, readJpegInfo(bytes));
        imageById_.emplace(s.id, images_.size());
        images_.push_back(std::move(r));
        progress("-*" + s.stream + "*-");
    }
}

void Production::writeImages()
{
    for (const ImageRecord &r : images_)
        emitWithFile(snippetsStart_ + r.id, r.head, r.file, r.size, "\nendstream\nendobj\n");
}

}  // namespace kordoc::pdf
