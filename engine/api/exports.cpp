// The exported C functions. Each body runs inside one guard that takes the
// lock, refuses calls made from inside a callback, and turns every
// exception into the error channel: nothing escapes to the host.
#include "engine.h"
#include "sim/errors.h"
#include "sim/fileaccess.h"

#include <mutex>
#include <new>

namespace {

using kordoc::Engine;
namespace errc = kordoc::errc;

std::mutex engineLock;
thread_local int depth = 0;  // > 0 while this thread runs inside an export

Engine &engine()
{
    static Engine instance(kordoc::sim::executableFolder());
    return instance;
}

void absorb(Engine &e)
{
    try {
        throw;
    } catch (const kordoc::EngineError &x) {
        e.fail(x.code(), x.detail());
    } catch (const std::bad_alloc &) {
        e.fail(errc::OutOfMemory, "The engine ran out of memory.");
    } catch (const std::exception &x) {
        e.fail(errc::Internal, x.what());
    } catch (...) {
        e.fail(errc::Internal, "An unknown failure.");
    }
}

// Mutating calls: refused from inside a callback, where the engine is in the
// middle of the call that invoked it.
template <class F>
void guarded(const char *name, F &&body)
{
    try {
        Engine &e = engine();
        if (depth > 0) {
            e.fail(errc::Reentered, std::string(name) + " was called from inside a callback and was ignored.");
            return;
        }
        std::lock_guard<std::mutex> lock(engineLock);
        ++depth;
        try {
            e.releaseTexts();
            body(e);
        } catch (...) {
            absorb(e);
        }
        --depth;
    } catch (...) {
        // Only the lock or the engine's construction can get here; the host
        // must never see an exception.
    }
}

// Reading calls: served from inside a callback too (the lock is then held by
// this very thread, so it is not taken again).
template <class F>
void reading(F &&body)
{
    try {
        Engine &e = engine();
        if (depth > 0) {
            body(e);
            return;
        }
        std::lock_guard<std::mutex> lock(engineLock);
        ++depth;
        try {
            body(e);
        } catch (...) {
            absorb(e);
        }
        --depth;
    } catch (...) {
    }
}

}  // namespace

extern "C" {

KORDOC_API void KORDOC_CALL initializesim(int32_t, int32_t, int32_t, int32_t)
{
    guarded("initializesim", [](Engine &e) { e.initialize(); });
}

KORDOC_API void KORDOC_CALL setcallbacks(kordoc_page_callback page, kordoc_snippet_callback snippet,
                                         kordoc_extra_callback extra, kordoc_error_callback error)
{
    guarded("setcallbacks", [&](Engine &e) { e.setCallbacks({page, snippet, extra, error}); });
}

KORDOC_API void KORDOC_CALL pushsim(const char *text)
{
    guarded("pushsim", [&](Engine &e) { e.push(text); });
}

KORDOC_API void KORDOC_CALL loadsimfile(const char *name)
{
    guarded("loadsimfile", [&](Engine &e) { e.load(name); });
}

KORDOC_API void KORDOC_CALL savesimfile(const char *name)
{
    guarded("savesimfile", [&](Engine &e) { e.save(name); });
}

KORDOC_API void KORDOC_CALL producepdf(const char *name)
{
    guarded("producepdf", [&](Engine &e) { e.produce(name); });
}

KORDOC_API void KORDOC_CALL stepthroughsim(void)
{
    guarded("stepthroughsim", [](Engine &e) { e.stepThrough(); });
}

KORDOC_API void KORDOC_CALL stepthroughsimextras(void)
{
    guarded("stepthroughsimextras", [](Engine &e) { e.stepThroughExtras(); });
}

KORDOC_API void KORDOC_CALL geterrorcount(int32_t *count)
{
    reading([&](Engine &e) {
        if (!count)
            return e.fail(errc::NullArgument, "geterrorcount was given no place for the count.");
        *count = e.errorCount();
    });
}

KORDOC_API void KORDOC_CALL smoothenstring(const char *line, const char **result)
{
    reading([&](Engine &e) {
        if (!result)
            return e.fail(errc::NullArgument, "smoothenstring was given no place for the result.");
        if (!line) {
            *result = "";
            return e.fail(errc::NullArgument, "smoothenstring was given no text.");
        }
        *result = e.smoothen(line);
    });
}

KORDOC_API void KORDOC_CALL terminatesim(void)
{
    guarded("terminatesim", [](Engine &e) { e.initialize(); });
}

}  // extern "C"
