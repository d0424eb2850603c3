// The whole path: the bytes as a sim file, read with the generator's loop,
// then renumbering, automatic pages and production into memory. The output
// must be framed as a PDF and its cross-reference table must point at the
// objects it names.
#include "pdf/pdfwriter.h"
#include "pdf/produce.h"
#include "simbytes.h"
#include "sim/autopages.h"
#include "sim/document.h"
#include "sim/errors.h"
#include "sim/reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// Stream, picture and sound names are looked up relative to the working
// folder: a fresh one of our own, holding only the few small files below,
// keeps generated names from reaching the files of whoever runs the fuzzer.
// Corpus and artifact paths given to libFuzzer must therefore be absolute.
// Absolute names still reach the machine's files, as a sim may: it is
// trusted like source code.
char folder[] = "/tmp/kordoc-fuzz-XXXXXX";

const struct {
    const char *name;
    std::string_view bytes;
} fixtures[] = {
    {"t.txt", "From a file\r\nusefont(2,11)\nlink([0,0,1,1],\"\",go(1,\"\"))\n<page>\nPiece $p\n"},
    // Start of image, a baseline frame header of 16 x 16 pixels in three
    // components, end of image: all production asks of a picture.
    {"p.jpg", std::string_view("\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x10\x00\x10\x03"
                               "\x01\x22\x00\x02\x11\x01\x03\x11\x01\xFF\xD9",
                               23)},
    {"s.au", "\x01\x02\x03\x04 sound"},
    {"m.mov", "movie"},
    {"m.z", "passed through"},
};

void removeFolder()
{
    for (const auto &f : fixtures)
        ::unlink(f.name);
    ::chdir("/");
    ::rmdir(folder);
}

bool enterFolder()
{
    if (!::mkdtemp(folder) || ::chdir(folder) != 0)
        std::abort();
    for (const auto &f : fixtures) {
        std::FILE *out = std::fopen(f.name, "wb");
        if (!out || std::fwrite(f.bytes.data(), 1, f.bytes.size(), out) != f.bytes.size() || std::fclose(out) != 0)
            std::abort();
    }
    std::atexit(removeFolder);
    return true;
}

std::uint64_t number(std::string_view s, std::size_t &at)
{
    std::uint64_t v = 0;
    while (at < s.size() && s[at] >= '0' && s[at] <= '9')
        v = v * 10 + static_cast<std::uint64_t>(s[at++] - '0');
    return v;
}

void checkFraming(std::string_view pdf)
{
    if (pdf.substr(0, 8) != "%PDF-1.2" || pdf.size() < 7 || pdf.substr(pdf.size() - 7) != "%%EOF\r\n")
        __builtin_trap();
    std::size_t sx = pdf.rfind("startxref\r\n");
    if (sx == std::string_view::npos)
        __builtin_trap();
    std::size_t at = sx + 11;
    std::uint64_t xref = number(pdf, at);
    if (xref >= pdf.size() || pdf.substr(xref, 7) != "xref\r\n0")
        __builtin_trap();
    at = xref + 7;
    ++at;  // the blank after the first number
    std::uint64_t count = number(pdf, at);
    at += 2;
    for (std::uint64_t n = 0; n < count; ++n, at += 20) {
        if (at + 20 > pdf.size() || pdf.substr(at + 18, 2) != "\r\n")
            __builtin_trap();
        if (pdf[at + 17] != 'n')
            continue;
        std::size_t p = at;
        std::uint64_t offset = number(pdf, p);
        std::string head = std::to_string(n) + " 0 obj\r\n";
        if (offset >= pdf.size() || pdf.substr(offset, head.size()) != head)
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool inFolder = enterFolder();
    (void)inFolder;

    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    kordoc::sim::Document doc = documentFromBytes(bytes);

    kordoc::sim::renumber(doc);
    kordoc::sim::generatepages(doc);
    // A page that names a split text N times gets N times its pages: a few
    // kilobytes of sim can ask for millions of pages, whose PDF held in
    // memory here is as large as it is meant to be. Such runs say nothing
    // about the engine's soundness and would only stall the fuzzer.
    if (doc.pages().size() > 20000)
        return 0;
    kordoc::pdf::ProduceOptions options;
    options.creationTime = 1700000000;
    options.creationTimeUtc = true;
    kordoc::pdf::MemorySink sink;
    try {
        kordoc::pdf::producefile(doc, sink, options);
    } catch (const kordoc::EngineError &) {
        return 0;  // a clear error is a sound result
    }
    checkFraming(sink.bytes);
    return 0;
}
