/*
 * peer_hpdf N JPEG OUT.pdf
 *
 * The peer in the benchmark: builds the same document as W(N) with libharu,
 * the fastest PDF writer available on this machine, so korgen's times have a
 * real-world yardstick.  It regenerates the text from workload.h instead of
 * reading the sim, which gives libharu a head start (no parsing) that the
 * comparison accepts.
 *
 * Compression is off because korgen writes uncompressed streams; the JPEG is
 * loaded once and drawn on every page, as korgen shares one image object.
 * libharu cannot put text in a form XObject, so the text goes straight into
 * the page's content stream; the bytes are comparable all the same.
 */
#include <errno.h>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>

#include <hpdf.h>

#include "workload.h"

/* Pages per intermediate Pages node when the document is too big for one
 * flat Kids array. */
enum { PAGES_PER_NODE = 10000 };

static jmp_buf on_error;

/* libharu reports errors through a callback; one failure is enough to make
 * the timing meaningless, so jump out and exit non-zero. */
static void error_handler(HPDF_STATUS error_no, HPDF_STATUS detail_no,
                          void *user_data)
{
    (void)user_data;
    fprintf(stderr, "peer_hpdf: libharu error 0x%04X, detail %u\n",
            (unsigned)error_no, (unsigned)detail_no);
    longjmp(on_error, 1);
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s N JPEG OUT.pdf\n", argv[0]);
        return 2;
    }
    unsigned long n = workload_pages(argv[0], argv[1]);
    if (n == 0)
        return 2;

    HPDF_Doc pdf = HPDF_New(error_handler, NULL);
    if (!pdf) {
        fprintf(stderr, "%s: cannot create the document\n", argv[0]);
        return 1;
    }
    if (setjmp(on_error)) {
        HPDF_Free(pdf);
        return 1;
    }

    HPDF_SetCompressionMode(pdf, HPDF_COMP_NONE);
    /* libharu keeps a flat pages tree by default, and its arrays stop at
     * 32767 entries, so 100,000 pages need intermediate Pages nodes. */
    if (n > PAGES_PER_NODE)
        HPDF_SetPagesConfiguration(pdf, PAGES_PER_NODE);
    HPDF_SetPageMode(pdf, HPDF_PAGE_MODE_USE_OUTLINE);
    HPDF_Font font = HPDF_GetFont(pdf, "Helvetica", NULL);
    HPDF_Image image = HPDF_LoadJpegImageFromFile(pdf, argv[2]);

    char line[128], uri[64], title[32];
    for (unsigned long p = 1; p <= n; p++) {
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, 612);
        HPDF_Page_SetHeight(page, 792);

        /* The picture: 320x240 points with its lower left at (72,432). */
        HPDF_Page_DrawImage(page, image, 72, 432, 320, 240);

        /* The text box sits at (36,36), 540x360; first baseline 12 points
         * below its top, Helvetica 10 on a 12-point leading. */
        HPDF_Page_BeginText(page);
        HPDF_Page_SetFontAndSize(page, font, 10);
        HPDF_Page_SetTextLeading(page, 12);
        HPDF_Page_MoveTextPos(page, 36, 36 + 360 - 12);
        for (unsigned l = 0; l < WORKLOAD_LINES; l++) {
            if (l > 0)
                HPDF_Page_MoveToNextLine(page);
            workload_line((unsigned)p, l, line, sizeof line);
            HPDF_Page_ShowText(page, line);
        }
        HPDF_Page_EndText(page);

        /* The link box [0,4.6,3,4.9] inches inside the text box. */
        HPDF_Rect rect = {36, 36 + 4.6f * 72, 36 + 3 * 72, 36 + 4.9f * 72};
        snprintf(uri, sizeof uri, "https://example.org/page/%lu", p);
        HPDF_Annotation link = HPDF_Page_CreateURILinkAnnot(page, rect, uri);
        HPDF_LinkAnnot_SetBorderStyle(link, 1, 0, 0);

        /* One flat outline item per page; libharu chains the siblings. */
        snprintf(title, sizeof title, "Page %lu", p);
        HPDF_Outline item = HPDF_CreateOutline(pdf, NULL, title, NULL);
        HPDF_Outline_SetDestination(item, HPDF_Page_CreateDestination(page));
    }

    HPDF_SaveToFile(pdf, argv[3]);
    HPDF_Free(pdf);
    return 0;
}
