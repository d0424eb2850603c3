// The library loaded at run time by file name, as a host that binds late
// does, and its exported surface.
#include "support/testsupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>

using kordoc::test::runCommand;

namespace {

const char *const exportNames[] = {"initializesim", "setcallbacks",   "pushsim",       "loadsimfile",
                                   "savesimfile",   "producepdf",     "stepthroughsim", "stepthroughsimextras",
                                   "geterrorcount", "smoothenstring", "terminatesim"};

}  // namespace

TEST(Library, ExportsExactlyTheElevenFunctions)
{
    auto r = runCommand(std::string("nm -D --defined-only '") + KORDOC_LIBRARY + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    std::vector<std::string> names;
    std::istringstream lines(r.output);
    std::string address, kind, name;
    while (lines >> address >> kind >> name)
        names.push_back(name);
    std::vector<std::string> expected(std::begin(exportNames), std::end(exportNames));
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

TEST(Library, HeaderCompilesAsCAndCpp)
{
    for (const char *compiler : {"cc -x c -std=c99", "c++ -x c++ -std=c++11"}) {
        auto r = runCommand(std::string(compiler) + " -Wall -Wextra -Wpedantic -Werror -fsyntax-only '" +
                            KORDOC_HEADER + "'");
        EXPECT_EQ(r.status, 0) << compiler << ": " << r.output;
    }
}

namespace {
int pages = 0;
std::string lastError;
void onPage(double, double, double, double) { ++pages; }
void onError(const char *message) { lastError = message; }
}  // namespace

TEST(Library, LoadedByNameProducesAPdf)
{
    void *lib = dlopen(KORDOC_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const char *n : exportNames)
        EXPECT_NE(dlsym(lib, n), nullptr) << n;
    EXPECT_EQ(dlsym(lib, "_ZN6kordoc3sim8Document5clearEv"), nullptr) << "engine internals must stay hidden";

    using Init = void (*)(int32_t, int32_t, int32_t, int32_t);
    using SetCallbacks = void (*)(void (*)(double, double, double, double), void *, void *, void (*)(const char *));
    using Text = void (*)(const char *);
    using Plain = void (*)();
    using Count = void (*)(int32_t *);
    auto init = reinterpret_cast<Init>(dlsym(lib, "initializesim"));
    auto setcb = reinterpret_cast<SetCallbacks>(dlsym(lib, "setcallbacks"));
    auto push = reinterpret_cast<Text>(dlsym(lib, "pushsim"));
    auto produce = reinterpret_cast<Text>(dlsym(lib, "producepdf"));
    auto step = reinterpret_cast<Plain>(dlsym(lib, "stepthroughsim"));
    auto count = reinterpret_cast<Count>(dlsym(lib, "geterrorcount"));

    kordoc::test::TempDir dir;
    init(0, 0, 0, 0);
    setcb(onPage, nullptr, nullptr, onError);
    push("snippet(1,0,[0,0,6,2],[1,0,0,1,1,8],\"Loaded at run time\")");
    push("apage([paper(0,0,8.5,11)],[1])");
    const std::string out = dir.file("late.pdf");
    produce(out.c_str());
    step();
    int32_t errors = -1;
    count(&errors);
    EXPECT_EQ(errors, 0) << lastError;
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(kordoc::test::pdfReadersComplaint(out), "");
    EXPECT_NE(kordoc::test::pdfText(out).find("Loaded at run time"), std::string::npos);
    dlclose(lib);
}
