/* A host program written in C, linked against libkordoc at build time. It
 * drives the library the way a host does and checks what comes back through
 * the callbacks. Prints one line per check and "N passed, M failed". */
#define _POSIX_C_SOURCE 200809L
#include "kordoc.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int passed, failed;

#define CHECK(cond)                                                                                                    \
    do {                                                                                                               \
        if (cond) {                                                                                                    \
            ++passed;                                                                                                  \
        } else {                                                                                                       \
            ++failed;                                                                                                  \
            printf("FAIL %s:%d: %s\n", __FILE__, __LINE__, #cond);                                                     \
        }                                                                                                              \
    } while (0)

/* Everything the callbacks saw, as one text. */
static char seen[65536];
static int errors_seen;
static char last_error[4096];

static void append(const char *text)
{
    size_t n = strlen(seen);
    snprintf(seen + n, sizeof seen - n, "%s", text);
}

static void on_page(double x1, double y1, double x2, double y2)
{
    char buf[128];
    snprintf(buf, sizeof buf, "page %g %g %g %g\n", x1, y1, x2, y2);
    append(buf);
}

static void on_snippet(int32_t id, int32_t flag, double r1, double r2, double r3, double r4, double m1, double m2,
                       double m3, double m4, double m5, double m6, const char *stream)
{
    char buf[512];
    snprintf(buf, sizeof buf, "snippet %d %d [%g %g %g %g] [%g %g %g %g %g %g] %s\n", id, flag, r1, r2, r3, r4, m1,
             m2, m3, m4, m5, m6, stream);
    append(buf);
}

static void on_extra(const char *text)
{
    append("extra ");
    append(text);
    append("\n");
}

static void on_error(const char *message)
{
    ++errors_seen;
    snprintf(last_error, sizeof last_error, "%s", message);
}

static int32_t count(void)
{
    int32_t n = -1;
    geterrorcount(&n);
    return n;
}

static void reset(void)
{
    initializesim(0, 0, 0, 0);
    seen[0] = '\0';
    errors_seen = 0;
    last_error[0] = '\0';
}

static void test_step_through(void)
{
    reset();
    pushsim("snippet(2,1,[0,0,3,4],[1,0,0,1,1,2],\"two\")");
    pushsim("snippet(1,0,[0,0,1,1],[1,0,0,1,0,0],\"one\")");
    pushsim("snippet(1,0,[9,9,9,9],[1,0,0,1,0,0],\"duplicate is ignored\")");
    pushsim("snippet(5,0,[0,0,1,1,1],[1,0,0,1,0,0],\"five numbers\")");
    pushsim("apage([paper(0,0,8.5,11)],[2,1,2,5,7])");
    pushsim("defaults([paper(0,0,5,5)])");
    pushsim("apage([crop(0,0,1,1)],[])");
    pushsim("apage([],[1])");
    stepthroughsim();
    CHECK(strcmp(seen, "page 0 0 8.5 11\n"
                       "snippet 2 1 [0 0 3 4] [1 0 0 1 1 2] two\n"
                       "snippet 1 0 [0 0 1 1] [1 0 0 1 0 0] one\n"
                       "snippet 2 1 [0 0 3 4] [1 0 0 1 1 2] two\n"
                       "page 0 0 8.5 10.5\n"
                       "page 0 0 5 5\n"
                       "snippet 1 0 [0 0 1 1] [1 0 0 1 0 0] one\n") == 0);
    CHECK(count() == 0);
}

static void test_extras_order(void)
{
    reset();
    pushsim("toc(1,\"One\",go(1,\"\"),0,1,1,empty)");
    pushsim("info(\"a\",\"c\",\"t\",\"s\",\"k\")");
    pushsim("catalog(\"/PageMode /UseOutlines\")");
    pushsim("info(\"second\",\"\",\"\",\"\",\"\")");
    stepthroughsimextras();
    CHECK(strcmp(seen, "extra info(\"a\",\"c\",\"t\",\"s\",\"k\")\n"
                       "extra catalog(\"/PageMode /UseOutlines\")\n"
                       "extra toc(1,\"One\",go(1,\"\"),0,1,1,empty)\n") == 0);
}

static void test_error_count(void)
{
    reset();
    pushsim("nonsense(1)");
    pushsim("apage([],[1]) junk");
    CHECK(count() == 2);
    CHECK(errors_seen == 2);
    CHECK(strstr(last_error, "Error 1047\n") == last_error);
    CHECK(strstr(last_error, "\nLine:apage([],[1]) junk\nPosition: ") != NULL);
    initializesim(0, 0, 0, 0);
    CHECK(count() == 0);
}

static void test_smoothen(void)
{
    const char *result = NULL;
    smoothenstring("Total pdf(\"1 0 0 rg\")(net)", &result);
    CHECK(result && strcmp(result, "Total )Tj 1 0 0 rg (\\(net\\)") == 0);
    smoothenstring("open pdf(\"never closed", &result);
    CHECK(result && strcmp(result, "open pdf(\"never closed") == 0);
}

static void test_null_pointers(void)
{
    reset();
    pushsim(NULL);
    loadsimfile(NULL);
    savesimfile(NULL);
    producepdf(NULL);
    smoothenstring(NULL, NULL);
    geterrorcount(NULL);
    CHECK(count() == 6);
    CHECK(errors_seen == 6);
    CHECK(strstr(last_error, "Error 2106\n") == last_error);
}

static int file_exists(const char *name) { return access(name, F_OK) == 0; }

static char *read_all(const char *name, long *size)
{
    FILE *f = fopen(name, "rb");
    if (!f)
        return NULL;
    fseek(f, 0, SEEK_END);
    *size = ftell(f);
    fseek(f, 0, SEEK_SET);
    char *buf = malloc((size_t)*size + 1);
    if (fread(buf, 1, (size_t)*size, f) != (size_t)*size)
        *size = -1;
    fclose(f);
    return buf;
}

static void test_produce_twice(const char *folder)
{
    char a[1024], b[1024];
    snprintf(a, sizeof a, "%s/first.pdf", folder);
    snprintf(b, sizeof b, "%s/second.pdf", folder);
    reset();
    pushsim("snippet(1,1,[0,0,7,1],[1,0,0,1,0.5,9.5],\"Header $p\")");
    pushsim("snippet(2,0,[0,0,7,8],[1,0,0,1,0.5,1],\"one\\n<page>\\ntwo\")");
    pushsim("apage([paper(0,0,8.5,11)],[1,2])");
    producepdf(a);
    producepdf(b);
    CHECK(count() == 0);
    long sa = 0, sb = 0;
    char *da = read_all(a, &sa), *db = read_all(b, &sb);
    CHECK(da && db && sa > 0 && sa == sb && memcmp(da, db, (size_t)sa) == 0);
    CHECK(da && strstr(da, "/Count 2 >>") != NULL);
    free(da);
    free(db);

    /* Saving after producing writes the rewritten document: the split text,
       the generated page with the reused header on it. Pieces carry flag
       0: the split is done. */
    char saved[1024];
    snprintf(saved, sizeof saved, "%s/after.sim", folder);
    savesimfile(saved);
    long ss = 0;
    char *ds = read_all(saved, &ss);
    CHECK(ds && ss > 0);
    if (ds) {
        ds[ss] = '\0';
        CHECK(strcmp(ds, "snippet(1,0,[0,0,7,1],[1,0,0,1,0.5,9.5],\"Header 1\")\r\n"
                         "snippet(2,0,[0,0,7,8],[1,0,0,1,0.5,1],\"one\")\r\n"
                         "snippet(3,0,[0,0,7,8],[1,0,0,1,0.5,1],\"two\")\r\n"
                         "apage([paper(0,0,8.5,11)],[1,2])\r\n"
                         "apage([paper(0,0,8.5,11)],[3,1])\r\n") == 0);
    }
    free(ds);
}

static void test_produce_failure(const char *folder)
{
    char name[1024];
    snprintf(name, sizeof name, "%s/missing/out.pdf", folder);
    reset();
    pushsim("apage([paper(0,0,8.5,11)],[])");
    producepdf(name);
    CHECK(count() == 1);
    CHECK(errors_seen == 1);
    CHECK(strstr(last_error, "Error 2101\n") == last_error);
    CHECK(!file_exists(name));

    reset();
    snprintf(name, sizeof name, "%s/bad.pdf", folder);
    pushsim("snippet(1,0,[0,0,1,1],[1,0,0,1,0,0],\"link([0,0,1,1],\\\"\\\",go(2,\\\"[ %% /Fit ]\\\"))\")");
    pushsim("apage([],[1])");
    producepdf(name);
    CHECK(count() == 1);
    CHECK(strstr(last_error, "Error 1109\n") == last_error);
    CHECK(!file_exists(name));
}

static void test_load_save(const char *folder)
{
    char name[1024], expected[1200];
    snprintf(name, sizeof name, "%s/saved.sim", folder);
    reset();
    pushsim("snippet(5,0,[0,0,1,1],[1,0,0,1,0,0],\"text\")");
    pushsim("apage([],[5])");
    savesimfile(name);
    loadsimfile(name);
    stepthroughsim();
    CHECK(strcmp(seen, "page 0 0 8.5 10.5\nsnippet 1 0 [0 0 1 1] [1 0 0 1 0 0] text\n") == 0);
    CHECK(count() == 0);

    snprintf(name, sizeof name, "%s/absent.sim", folder);
    loadsimfile(name);
    snprintf(expected, sizeof expected, "%s\nwas NOT loaded!", name);
    CHECK(strcmp(last_error, expected) == 0);
    snprintf(name, sizeof name, "%s/missing/x.sim", folder);
    savesimfile(name);
    snprintf(expected, sizeof expected, "%s\nwas NOT saved!", name);
    CHECK(strcmp(last_error, expected) == 0);
    CHECK(count() == 2);
}

/* Callbacks that call back into the engine. */
static int32_t inner_count = -1;
static void reentering_page(double x1, double y1, double x2, double y2)
{
    (void)x1, (void)y1, (void)x2, (void)y2;
    pushsim("apage([],[])"); /* refused */
    geterrorcount(&inner_count); /* served */
}
static void reentering_error(const char *message)
{
    (void)message;
    ++errors_seen;
    pushsim("nonsense"); /* refused and counted, not reported again */
}

static void test_reentry(void)
{
    reset();
    setcallbacks(reentering_page, on_snippet, on_extra, on_error);
    pushsim("apage([],[])");
    stepthroughsim();
    CHECK(strstr(last_error, "Error 2107\n") == last_error);
    CHECK(inner_count == 1);
    CHECK(count() == 1);
    setcallbacks(on_page, on_snippet, on_extra, reentering_error);
    errors_seen = 0;
    pushsim("bad");
    CHECK(errors_seen == 1);
    CHECK(count() == 3);
    setcallbacks(on_page, on_snippet, on_extra, on_error);
}

static void test_without_callbacks(void)
{
    setcallbacks(NULL, NULL, NULL, NULL);
    initializesim(0, 0, 0, 0);
    pushsim("bad");          /* counted without callbacks */
    loadsimfile("/nonexistent/x.sim"); /* not counted without callbacks */
    CHECK(count() == 1);
    setcallbacks(on_page, on_snippet, on_extra, on_error);
}

int main(void)
{
    char folder[] = "/tmp/kordoc-host-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    setcallbacks(on_page, on_snippet, on_extra, on_error);
    test_step_through();
    test_extras_order();
    test_error_count();
    test_smoothen();
    test_null_pointers();
    test_produce_twice(folder);
    test_produce_failure(folder);
    test_load_save(folder);
    test_reentry();
    test_without_callbacks();
    terminatesim();
    char command[1100];
    snprintf(command, sizeof command, "rm -rf '%s'", folder);
    if (system(command) != 0)
        printf("could not remove %s\n", folder);
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
