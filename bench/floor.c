/*
 * floor N JPEG OUT.pdf
 *
 * The floor of the benchmark: the least work that can produce a document
 * comparable to korgen's output for W(N).  It reads no sim, parses nothing
 * and keeps no object graph: it formats the same objects korgen writes with
 * snprintf into one growing buffer and hands that to the kernel with a
 * single fwrite.  Whatever korgen spends beyond this is its own overhead.
 *
 * Per page: a form XObject with the 40 escaped text lines, a link annotation
 * with a URI action, a content stream, a page object and an outline item.
 * Once: the shared image XObject (the JPEG bytes as they are, DCTDecode),
 * one Helvetica font, the pages tree, the catalog, the outline root, the
 * info dictionary, then the xref table and trailer.  CR LF line ends and no
 * compression, as in korgen's files.  The result must pass qpdf --check.
 */
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "workload.h"

/* ---- the output buffer -------------------------------------------------- */

static char *buf;
static size_t len, cap;

static void die(const char *what)
{
    fprintf(stderr, "floor: %s\n", what);
    exit(1);
}

static void reserve(size_t more)
{
    if (len + more <= cap)
        return;
    size_t ncap = cap ? cap : 1u << 20;
    while (ncap < len + more)
        ncap *= 2; /* doubling keeps the number of copies logarithmic */
    char *p = realloc(buf, ncap);
    if (!p)
        die("out of memory");
    buf = p;
    cap = ncap;
}

/* Appends formatted text.  Most calls fit in the slack left by reserve(), so
 * vsnprintf normally runs once. */
static void out(const char *fmt, ...)
{
    va_list ap;
    reserve(256);
    va_start(ap, fmt);
    int n = vsnprintf(buf + len, cap - len, fmt, ap);
    va_end(ap);
    if (n < 0)
        die("formatting failed");
    if ((size_t)n >= cap - len) {
        reserve((size_t)n + 1);
        va_start(ap, fmt);
        vsnprintf(buf + len, cap - len, fmt, ap);
        va_end(ap);
    }
    len += (size_t)n;
}

static void out_bytes(const void *p, size_t n)
{
    reserve(n);
    memcpy(buf + len, p, n);
    len += n;
}

/* ---- objects ------------------------------------------------------------ */

static size_t *offsets; /* offsets[i]: where object i starts */

static void begin_obj(size_t num)
{
    offsets[num] = len;
    out("%zu 0 obj\r\n", num);
}

/* Writes a stream object whose dictionary is `dict` (without /Length) and
 * whose data is data[0..n). */
static void stream_obj(size_t num, const char *dict, const void *data,
                       size_t n)
{
    begin_obj(num);
    out("<< %s /Length %zu >>\r\nstream\r\n", dict, n);
    out_bytes(data, n);
    out("\r\nendstream\r\nendobj\r\n");
}

/* Copies s into dst as the inside of a PDF literal string: parentheses are
 * escaped so unbalanced ones cannot end the string early, and a backslash
 * would be too if the word list ever grew one. */
static size_t pdf_escape(const char *s, char *dst)
{
    size_t n = 0;
    for (; *s; s++) {
        if (*s == '(' || *s == ')' || *s == '\\')
            dst[n++] = '\\';
        dst[n++] = *s;
    }
    dst[n] = '\0';
    return n;
}

/* Finds width, height and component count in the JPEG's start-of-frame
 * marker: the image dictionary must state them, and they are the only facts
 * the floor needs from the file. */
static int jpeg_info(const unsigned char *p, size_t n, unsigned *w,
                     unsigned *h, unsigned *comps)
{
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return 0;
    size_t i = 2;
    while (i + 4 <= n) {
        if (p[i] != 0xFF)
            return 0;
        unsigned m = p[i + 1];
        if (m == 0xFF) { /* fill byte */
            i++;
            continue;
        }
        size_t seg = (size_t)p[i + 2] << 8 | p[i + 3];
        /* SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC). */
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            if (i + 10 > n)
                return 0;
            *h = (unsigned)p[i + 5] << 8 | p[i + 6];
            *w = (unsigned)p[i + 7] << 8 | p[i + 8];
            *comps = p[i + 9];
            return 1;
        }
        i += 2 + seg;
    }
    return 0;
}

static unsigned char *read_file(const char *path, size_t *n)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return NULL;
    unsigned char *data = NULL;
    size_t size = 0, have = 0;
    for (;;) {
        if (size == have) {
            have = have ? have * 2 : 65536;
            unsigned char *p = realloc(data, have);
            if (!p) {
                free(data);
                fclose(f);
                return NULL;
            }
            data = p;
        }
        size_t got = fread(data + size, 1, have - size, f);
        size += got;
        if (got == 0)
            break;
    }
    int bad = ferror(f);
    fclose(f);
    if (bad) {
        free(data);
        return NULL;
    }
    *n = size;
    return data;
}

/* ---- the document ------------------------------------------------------- */

/* Fixed object numbers; page p (from 1) owns the five objects from
 * page_base(p) on, so every reference can be computed before it is written. */
enum {
    OBJ_CATALOG = 1,
    OBJ_PAGES,
    OBJ_OUTLINES,
    OBJ_INFO,
    OBJ_FONT,
    OBJ_IMAGE,
    OBJ_FIRST_PAGE
};
enum { PER_PAGE = 5 };
static size_t page_base(unsigned long p)
{
    return OBJ_FIRST_PAGE + (size_t)(p - 1) * PER_PAGE;
}
#define FORM_OF(p) (page_base(p))
#define ANNOT_OF(p) (page_base(p) + 1)
#define CONTENT_OF(p) (page_base(p) + 2)
#define PAGE_OF(p) (page_base(p) + 3)
#define ITEM_OF(p) (page_base(p) + 4)

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s N JPEG OUT.pdf\n", argv[0]);
        return 2;
    }
    unsigned long n = workload_pages(argv[0], argv[1]);
    if (n == 0)
        return 2;
    size_t jpeg_len;
    unsigned char *jpeg = read_file(argv[2], &jpeg_len);
    if (!jpeg) {
        perror(argv[2]);
        return 1;
    }
    unsigned iw, ih, comps;
    if (!jpeg_info(jpeg, jpeg_len, &iw, &ih, &comps) ||
        (comps != 1 && comps != 3)) {
        fprintf(stderr, "%s: %s: not a grey or RGB JPEG\n", argv[0], argv[2]);
        return 1;
    }

    size_t nobj = page_base(n + 1); /* objects 0 .. nobj-1 */
    offsets = calloc(nobj, sizeof *offsets);
    if (!offsets)
        die("out of memory");
    /* A first guess of the size (about 3.3 KB per page) saves most of the
     * regrowth copies; the buffer still grows if the guess is short. */
    reserve(jpeg_len + (size_t)n * 3400u + 65536u);

    /* The second line's bytes above 127 tell transfer programs the file is
     * binary. */
    out("%%PDF-1.2\r\n%%\xE2\xE3\xCF\xD3\r\n");

    begin_obj(OBJ_FONT);
    out("<< /Type /Font /Subtype /Type1 /Name /F1 /BaseFont /Helvetica"
        " /Encoding /WinAnsiEncoding >>\r\nendobj\r\n");

    char dict[256];
    snprintf(dict, sizeof dict,
             "/Type /XObject /Subtype /Image /Name /Im1 /Width %u /Height %u"
             " /ColorSpace /%s /BitsPerComponent 8 /Filter /DCTDecode",
             iw, ih, comps == 3 ? "DeviceRGB" : "DeviceGray");
    stream_obj(OBJ_IMAGE, dict, jpeg, jpeg_len);
    free(jpeg);

    /* Scratch space for one page's text stream: 40 lines of at most 68
     * characters, each doubled at worst by escaping, plus the operators. */
    static char text[WORKLOAD_LINES * (2 * 128 + 16) + 64];
    char line[128], esc[2 * 128 + 1];
    const double link_rect[4] = {36, 36 + 4.6 * 72, 36 + 3 * 72, 36 + 4.9 * 72};

    for (unsigned long p = 1; p <= n; p++) {
        /* The text form: box 540x360 (7.5x5 in), first baseline 12 pt below
         * its top, Helvetica 10 on 12 pt leading. */
        size_t t = (size_t)snprintf(text, sizeof text,
                                    "BT\r\n/F1 10 Tf\r\n12 TL\r\n0 348 Td\r\n");
        for (unsigned l = 0; l < WORKLOAD_LINES; l++) {
            workload_line((unsigned)p, l, line, sizeof line);
            pdf_escape(line, esc);
            t += (size_t)snprintf(text + t, sizeof text - t, "%s(%s) Tj\r\n",
                                  l ? "T* " : "", esc);
        }
        t += (size_t)snprintf(text + t, sizeof text - t, "ET");
        snprintf(dict, sizeof dict,
                 "/Type /XObject /Subtype /Form /BBox [0 0 540 360]"
                 " /Resources << /Font << /F1 %d 0 R >> /ProcSet [/PDF /Text]"
                 " >>",
                 OBJ_FONT);
        stream_obj(FORM_OF(p), dict, text, t);

        begin_obj(ANNOT_OF(p));
        out("<< /Type /Annot /Subtype /Link /Rect [%g %g %g %g]"
            " /Border [0 0 1] /A << /S /URI /URI (https://example.org/page/%lu)"
            " >> >>\r\nendobj\r\n",
            link_rect[0], link_rect[1], link_rect[2], link_rect[3], p);

        /* The page places the picture 320x240 at (72,432) and the text form
         * at the text box's corner (36,36). */
        static const char content[] = "q\r\n320 0 0 240 72 432 cm\r\n/Im1 Do\r\n"
                                      "Q\r\nq\r\n1 0 0 1 36 36 cm\r\n/Fm1 Do\r\n"
                                      "Q";
        stream_obj(CONTENT_OF(p), "", content, sizeof content - 1);

        begin_obj(PAGE_OF(p));
        out("<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792]"
            " /Resources << /ProcSet [/PDF /Text /ImageC]"
            " /XObject << /Im1 %d 0 R /Fm1 %zu 0 R >> >>"
            " /Contents %zu 0 R /Annots [%zu 0 R] >>\r\nendobj\r\n",
            OBJ_PAGES, OBJ_IMAGE, FORM_OF(p), CONTENT_OF(p), ANNOT_OF(p));

        /* A flat outline: siblings chained by /Prev and /Next, where the
         * first item has no /Prev and the last no /Next. */
        begin_obj(ITEM_OF(p));
        out("<< /Title (Page %lu) /Parent %d 0 R", p, OBJ_OUTLINES);
        if (p > 1)
            out(" /Prev %zu 0 R", ITEM_OF(p - 1));
        if (p < n)
            out(" /Next %zu 0 R", ITEM_OF(p + 1));
        out(" /Dest [%zu 0 R /XYZ null null null] >>\r\nendobj\r\n",
            PAGE_OF(p));
    }

    begin_obj(OBJ_PAGES);
    out("<< /Type /Pages /Count %lu /Kids [", n);
    for (unsigned long p = 1; p <= n; p++)
        out(p % 10 ? " %zu 0 R" : "\r\n%zu 0 R", PAGE_OF(p));
    out("] >>\r\nendobj\r\n");

    begin_obj(OBJ_OUTLINES);
    out("<< /Type /Outlines /First %zu 0 R /Last %zu 0 R /Count %lu >>\r\n"
        "endobj\r\n",
        ITEM_OF(1), ITEM_OF(n), n);

    begin_obj(OBJ_INFO);
    out("<< /Producer (Korvel bench floor) /CreationDate (D:20000101000000)"
        " >>\r\nendobj\r\n");

    begin_obj(OBJ_CATALOG);
    out("<< /Type /Catalog /Pages %d 0 R /Outlines %d 0 R"
        " /PageMode /UseOutlines >>\r\nendobj\r\n",
        OBJ_PAGES, OBJ_OUTLINES);

    /* Each xref entry is exactly 20 bytes: that is why the line end here is
     * the two-byte CR LF. */
    size_t xref = len;
    out("xref\r\n0 %zu\r\n0000000000 65535 f\r\n", nobj);
    reserve(nobj * 20);
    for (size_t i = 1; i < nobj; i++)
        out("%010zu 00000 n\r\n", offsets[i]);
    out("trailer\r\n<< /Size %zu /Root %d 0 R /Info %d 0 R >>\r\n"
        "startxref\r\n%zu\r\n%%%%EOF\r\n",
        nobj, OBJ_CATALOG, OBJ_INFO, xref);

    FILE *f = fopen(argv[3], "wb");
    if (!f) {
        perror(argv[3]);
        return 1;
    }
    if (fwrite(buf, 1, len, f) != len || fclose(f) != 0) {
        perror(argv[3]);
        return 1;
    }
    free(offsets);
    free(buf);
    return 0;
}
