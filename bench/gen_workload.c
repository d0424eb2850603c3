/*
 * gen_workload N OUT.sim
 *
 * Writes the sim description of the benchmark workload W(N): N letter pages,
 * each with its own 40-line text snippet carrying one web link, the same
 * JPEG snippet ("photo.jpg", looked up beside the sim) on every page, and one
 * flat outline item per page.
 *
 * The 100,000-page file is about 270 MB, so the text goes through one large
 * stdio buffer instead of many small writes.
 */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "workload.h"

static FILE *out;

static void put(const char *s) { fputs(s, out); }

/* Writes s as the inside of a sim string: the sim reader wants a double
 * quote as \" and a backslash as \\.  The workload text contains neither,
 * but the generator stays correct if the word list ever changes. */
static void put_escaped(const char *s)
{
    if (!strpbrk(s, "\"\\")) { /* the common case: nothing to escape */
        fputs(s, out);
        return;
    }
    for (; *s; s++) {
        if (*s == '"' || *s == '\\')
            fputc('\\', out);
        fputc(*s, out);
    }
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s N OUT.sim\n", argv[0]);
        return 2;
    }
    unsigned long n = workload_pages(argv[0], argv[1]);
    if (n == 0)
        return 2;
    out = fopen(argv[2], "wb");
    if (!out) {
        perror(argv[2]);
        return 1;
    }
    static char iobuf[1 << 20];
    setvbuf(out, iobuf, _IOFBF, sizeof iobuf);

    put("defaults([paper(0,0,8.5,11)])\n");
    /* Snippet 1: the picture; 640x480 box scaled by one half, at 1in,6in. */
    put("snippet(1,0,[0,0,640,480],[0.5,0,0,0.5,1,6],\"photo.jpg\")\n");

    char line[128];
    for (unsigned long p = 1; p <= n; p++) {
        fprintf(out, "snippet(%lu,0,[0,0,7.5,5],[1,0,0,1,0.5,0.5],\"", p + 1);
        for (unsigned l = 0; l < WORKLOAD_LINES; l++) {
            workload_line((unsigned)p, l, line, sizeof line);
            put_escaped(line);
            put("\\n");
        }
        /* The link statement is the stream's last line; its own strings are
         * quoted inside the sim string, hence the \" pairs. */
        fprintf(out,
                "link([0,4.6,3,4.9],\\\"/Border [0 0 1]\\\","
                "go(0,\\\"https://example.org/page/%lu\\\"))\")\n",
                p);
    }
    for (unsigned long p = 1; p <= n; p++)
        fprintf(out, "apage([paper(0,0,8.5,11)],[1,%lu])\n", p + 1);
    for (unsigned long p = 1; p <= n; p++) {
        /* No previous (next) sibling: the item names itself. */
        unsigned long prev = p > 1 ? p - 1 : p;
        unsigned long next = p < n ? p + 1 : p;
        fprintf(out, "toc(%lu,\"Page %lu\",go(%lu,\"\"),0,%lu,%lu,empty)\n", p,
                p, p, prev, next);
    }
    if (fclose(out) != 0) {
        perror(argv[2]);
        return 1;
    }
    return 0;
}
