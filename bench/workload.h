/*
 * Deterministic text of the benchmark workload W(N).
 *
 * The sim generator, the libharu peer and the floor program all include this
 * header, so the three documents carry exactly the same text and the
 * comparison measures writers, not workloads.
 *
 * Every line is built from a fixed word list by a small LCG seeded from the
 * page and line numbers, so any line can be produced on its own without
 * state (the peer and floor never read the sim file).
 *
 * Characters that appear: letters, digits, space and , . ; : ! ? - ( ).
 * A double quote or a backslash never appears (they would need escaping in
 * the sim string and would make the three writers' inputs differ in how they
 * are quoted).  A parenthesis is only ever glued to the front "(" or back ")"
 * of a word, so a word is never followed by "(" and no line can look like a
 * statement call (such as "link(") to the sim reader.
 */
#ifndef KORVEL_BENCH_WORKLOAD_H
#define KORVEL_BENCH_WORKLOAD_H

#include <errno.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { WORKLOAD_LINES = 40 };

/* One step of a 32-bit LCG (Numerical Recipes constants); cheap and identical
 * on every platform, which is all the workload needs. */
/* The page count N from a command-line word, or 0 (after a message) when it
 * is not a number from 1 to 10,000,000. */
static inline unsigned long workload_pages(const char *program, const char *word)
{
    char *end;
    errno = 0;
    unsigned long n = strtoul(word, &end, 10);
    if (errno || *end || n < 1 || n > 10000000ul) {
        fprintf(stderr, "%s: N must be a page count >= 1\n", program);
        return 0;
    }
    return n;
}

static inline unsigned workload_lcg(unsigned *s)
{
    *s = *s * 1664525u + 1013904223u;
    return *s >> 8; /* the low bits of an LCG are weak; drop them */
}

/*
 * Writes line `line` (0..39) of page `page` (1..N) into buf as a
 * NUL-terminated string of about 60 characters (never more than 68).
 * Returns the length written (truncated to cap-1 if cap is small).
 */
static inline size_t workload_line(unsigned page, unsigned line, char *buf,
                                   size_t cap)
{
    static const char *const words[] = {
        "alpha",   "bravo",    "carbon",   "delta",    "echo",
        "fabric",  "garden",   "harbor",   "island",   "jungle",
        "kernel",  "lantern",  "meadow",   "needle",   "orbit",
        "pepper",  "quartz",   "river",    "saddle",   "timber",
        "umbrella","valley",   "willow",   "xenon",    "yonder",
        "zephyr",  "anchor",   "beacon",   "candle",   "dynamo",
        "ember",   "falcon",   "glacier",  "hollow",   "ivory",
        "jasper",  "kettle",   "ledger",   "marble",   "nectar",
        "oyster",  "pillar",   "quiver",   "ribbon",   "silver",
        "thunder", "utmost",   "velvet",   "walnut",   "yearly",
        "a",       "an",       "the",      "of",       "to",
        "in",      "on",       "and",      "or",       "by",
        "page",    "line",     "text",     "word",     "note",
        "1998",    "42",       "7",        "300",      "12.5",
    };
    enum { NWORDS = sizeof words / sizeof words[0] };
    static const char punct[] = ",.;:!?-";

    /* Seed from page and line so every line of every page differs. */
    unsigned s = page * 2654435761u ^ (line + 1u) * 40503u;
    workload_lcg(&s);

    char tmp[96];
    size_t n = 0;
    int first = 1;
    while (n < 57) {
        const char *w = words[workload_lcg(&s) % NWORDS];
        unsigned r = workload_lcg(&s) % 100u;
        int open = r < 4;            /* "(word" now and then */
        int close = r >= 4 && r < 8; /* "word)" now and then */
        int mark = r >= 8 && r < 20; /* "word," and friends */
        size_t wl = strlen(w);
        size_t need = (first ? 0 : 1) + (size_t)open + wl + (size_t)close +
                      (size_t)mark;
        if (n + need > 68)
            break;
        if (!first)
            tmp[n++] = ' ';
        if (open)
            tmp[n++] = '(';
        memcpy(tmp + n, w, wl);
        n += wl;
        if (close)
            tmp[n++] = ')';
        if (mark)
            tmp[n++] = punct[workload_lcg(&s) % (sizeof punct - 1)];
        first = 0;
    }
    if (cap == 0)
        return 0;
    if (n >= cap)
        n = cap - 1;
    memcpy(buf, tmp, n);
    buf[n] = '\0';
    return n;
}

#endif
