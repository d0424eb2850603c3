/*
 * kordoc: the Korvel engine library. It turns sim page descriptions into
 * PDF 1.2 files.
 *
 * Contract
 * - The engine holds one sim document and one error count for the whole
 *   process. Every function works on that state; none returns a value:
 *   results come back through out-parameters and the four callbacks.
 * - Texts the host passes are owned by the host and only read during the
 *   call. Texts the engine passes to a callback or through an out-parameter
 *   belong to the engine and stay valid until the host calls the engine
 *   again; copy what you keep.
 * - Failures of pushsim, loadsimfile, savesimfile and producepdf reach the
 *   host only through the error callback and the error count (geterrorcount).
 *   pushsim and producepdf count their failures even when no callbacks are
 *   registered; loadsimfile and savesimfile count them only with callbacks.
 *   A null pointer where a text or a result place is needed is such a failure.
 * - Callbacks run synchronously on the calling thread, inside the function
 *   that calls them. From inside a callback the host may call geterrorcount
 *   and smoothenstring; every other call is refused: it does nothing, reports
 *   error 2107 through the error callback (unless it was made from the error
 *   callback itself) and counts it.
 * - The engine is single-threaded by contract. Calls from several threads are
 *   serialised by a lock, so a careless host cannot corrupt it.
 * - The error-message file VELMOR.ERR and the font definitions file fnt.def
 *   are looked for in the folder of the process's executable.
 */
#ifndef KORDOC_H
#define KORDOC_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define KORDOC_CALL __stdcall
#else
#define KORDOC_CALL
#endif

#if defined(_WIN32)
#define KORDOC_API __declspec(dllimport)
#elif defined(__GNUC__)
#define KORDOC_API __attribute__((visibility("default")))
#else
#define KORDOC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The page's paper rectangle in inches. */
typedef void(KORDOC_CALL *kordoc_page_callback)(double x1, double y1, double x2, double y2);
/* One snippet placed on the page: number, reuse flag, Rect, Matrix, stream. */
typedef void(KORDOC_CALL *kordoc_snippet_callback)(int32_t id, int32_t flag, double r1, double r2, double r3,
                                                   double r4, double m1, double m2, double m3, double m4, double m5,
                                                   double m6, const char *stream);
/* One fact in sim syntax. */
typedef void(KORDOC_CALL *kordoc_extra_callback)(const char *text);
/* One failure's message. */
typedef void(KORDOC_CALL *kordoc_error_callback)(const char *message);

/* Clears the document and the error count; the four numbers are not used. */
KORDOC_API void KORDOC_CALL initializesim(int32_t a, int32_t b, int32_t c, int32_t d);
/* Registers the callbacks, replacing earlier ones; four nulls register none. */
KORDOC_API void KORDOC_CALL setcallbacks(kordoc_page_callback page, kordoc_snippet_callback snippet,
                                         kordoc_extra_callback extra, kordoc_error_callback error);
/* Adds one fact written in sim syntax; a snippet whose number is present is ignored. */
KORDOC_API void KORDOC_CALL pushsim(const char *text);
/* Replaces the document by the facts of a sim file. */
KORDOC_API void KORDOC_CALL loadsimfile(const char *name);
/* Renumbers the document and writes it as a sim file. */
KORDOC_API void KORDOC_CALL savesimfile(const char *name);
/* Renumbers, generates the automatic pages and writes the PDF. On failure no
   file of that name is created or changed. */
KORDOC_API void KORDOC_CALL producepdf(const char *name);
/* Calls the page callback for every page and the snippet callback for every
   snippet it places. */
KORDOC_API void KORDOC_CALL stepthroughsim(void);
/* Calls the extra callback with the first info, catalog and defaults facts
   and every toc fact, as sim text. */
KORDOC_API void KORDOC_CALL stepthroughsimextras(void);
/* Stores the error count. */
KORDOC_API void KORDOC_CALL geterrorcount(int32_t *count);
/* Stores the PDF text-line conversion of line; the line itself when it
   cannot be converted. */
KORDOC_API void KORDOC_CALL smoothenstring(const char *line, const char **result);
/* Clears the document and the error count. */
KORDOC_API void KORDOC_CALL terminatesim(void);

#ifdef __cplusplus
}
#endif

#endif /* KORDOC_H */
