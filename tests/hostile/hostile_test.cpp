// Hostile input: names that resolve to things other than regular files,
// enormous lines and numbers, bytes that are not text, outlines that lie,
// and outputs that cannot be written. Each must end in a clear error or a
// sound result; a hang trips the watchdog instead of stalling the run.
#include "pdf/pdfwriter.h"
#include "pdf/produce.h"
#include "pdf/textconvert.h"
#include "sim/autopages.h"
#include "sim/errors.h"
#include "sim/linereader.h"
#include "sim/reader.h"
#include "sim/session.h"
#include "sim/writer.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace kordoc;
using kordoc::test::TempDir;
using kordoc::test::WorkingFolder;
using kordoc::test::pdfReadersComplaint;
using kordoc::test::readFile;
using kordoc::test::writeFile;

// A call that blocks (a FIFO opened for reading, a device read to its end)
// ends the test program with SIGALRM rather than hanging the suite.
class Hostile : public ::testing::Test {
protected:
    void SetUp() override { ::alarm(240); }
    void TearDown() override { ::alarm(0); }
};

pdf::ProduceOptions pinned()
{
    pdf::ProduceOptions o;
    o.creationTime = 1700000000;
    o.creationTimeUtc = true;
    return o;
}

// Reads sim text as the generator does: every line that parses is a fact.
sim::Document documentOf(std::string_view text)
{
    sim::Document doc;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t lf = text.find('\n', from);
        std::size_t stop = lf == std::string_view::npos ? text.size() : lf;
        sim::TermReader reader(text.substr(from, stop - from));
        sim::Fact fact;
        if (reader.readFact(fact))
            doc.append(std::move(fact));
        from = stop + 1;
    }
    return doc;
}

// Renumbers, generates pages and writes the PDF, as a production run does.
void produce(std::string_view sim, const std::string &out)
{
    sim::Document doc = documentOf(sim);
    sim::renumber(doc);
    sim::generatepages(doc);
    pdf::producefile(doc, out, pinned());
}

std::vector<std::string> folderEntries(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return names;
}

int readCode(std::string_view line)
{
    sim::TermReader reader(line);
    sim::Fact fact;
    return reader.readFact(fact) ? 0 : reader.error().code;
}

// ---------------------------------------------------------------------------
// Names that are no regular files.

struct Oddity {
    const char *kind;
    std::function<void(const std::string &path)> make;
};

const Oddity oddities[] = {
    {"directory", [](const std::string &p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0); }},
    {"fifo", [](const std::string &p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
    {"zero", [](const std::string &p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); }},
    {"urandom", [](const std::string &p) { ASSERT_EQ(::symlink("/dev/urandom", p.c_str()), 0); }},
    {"dangling", [](const std::string &p) { ASSERT_EQ(::symlink("no-such-target", p.c_str()), 0); }},
};

// Every way a sim names a file, at once: a text stream, a picture, a sound,
// a movie (with and without its aspect) and a pdf text. None of them is a
// file, so each falls back to what a name that matches nothing gives: the
// stream and the pdf text are their own text, the picture snippet is a text
// snippet, the sound link a go-to link, the movie a note.
TEST_F(Hostile, NamesThatAreNoRegularFilesAreNotRead)
{
    for (const Oddity &o : oddities) {
        SCOPED_TRACE(o.kind);
        TempDir dir;
        WorkingFolder here(dir.path());
        const std::string k = o.kind;
        // The pdf text's name reads as an operator should it be shown.
        for (const std::string &name : {k + ".txt", k + ".jpg", k + ".au", k + ".mov", std::string("0 g"), k + ".sim"})
            o.make(dir.file(name));

        const std::string sim =
            "snippet(1,0,[0,0,3,2],[1,0,0,1,1,8],\"" + k + ".txt\")\n"
            "snippet(2,0,[0,0,16,16],[0.1,0,0,0.1,1,5],\"" + k + ".jpg\")\n"
            "snippet(3,0,[0,0,3,2],[1,0,0,1,1,2],\"shown\\n"
            "link([0,0,1,1],\\\"\\\",go(-2,\\\"" + k + ".au\\\"))\\n"
            "link([0,0,1,1],\\\"\\\",go(-2,\\\"8000 Raw " + k + ".au\\\"))\\n"
            "annot([0,0,1,1],\\\"\\\",\\\"" + k + ".mov\\\")\\n"
            "annot([0,0,1,1],\\\"\\\",\\\"4 3 " + k + ".mov\\\")\\n"
            "pdf(\\\"0 g\\\")\\nafter\")\n"
            "apage([paper(0,0,8.5,11)],[1,2,3])\n";
        const std::string out = dir.file("out.pdf");
        produce(sim, out);
        ASSERT_EQ(pdfReadersComplaint(out), "");
        const std::string pdf = readFile(out);
        EXPECT_LT(pdf.size(), 20000u);  // no device bytes copied in
        EXPECT_EQ(pdf.find("/Subtype /Image"), std::string::npos);
        EXPECT_EQ(pdf.find("/Subtype /Movie"), std::string::npos);
        EXPECT_EQ(pdf.find("/Sound"), std::string::npos);
        const std::string text = kordoc::test::pdfText(out);
        EXPECT_NE(text.find(k + ".txt"), std::string::npos) << text;
        EXPECT_NE(text.find(k + ".jpg"), std::string::npos) << text;

        // Loading it as a sim fails like a missing file.
        sim::Session session("/nonexistent/");
        std::vector<std::string> messages;
        session.setReporter([&](const std::string &m) { messages.push_back(m); });
        session.load(k + ".sim");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], k + ".sim\nwas NOT loaded!");

        sim::LineReader reader;
        EXPECT_FALSE(reader.open(dir.file(k + ".sim")));
    }
}

// Kernel files are regular files that report no size; some read on for
// terabytes (/proc/self/pagemap). As a text stream, a picture, a sound, a
// movie and a pdf text they must not make production read without end.
TEST_F(Hostile, KernelFilesThatReportNoSize)
{
    TempDir dir;
    WorkingFolder here(dir.path());
    for (const char *name : {"k.txt", "k.jpg", "k.au", "k.mov"})
        ASSERT_EQ(::symlink("/proc/self/pagemap", dir.file(name).c_str()), 0);
    const std::string out = dir.file("out.pdf");
    produce("snippet(1,0,[0,0,3,2],[1,0,0,1,1,8],\"k.txt\")\n"
            "snippet(2,0,[0,0,16,16],[0.1,0,0,0.1,1,5],\"k.jpg\")\n"
            "snippet(3,0,[0,0,3,2],[1,0,0,1,1,2],\"shown\\n"
            "link([0,0,1,1],\\\"\\\",go(-2,\\\"k.au\\\"))\\n"
            "annot([0,0,1,1],\\\"\\\",\\\"k.mov\\\")\\n"
            "pdf(\\\"/proc/self/pagemap\\\")\\n"
            "after\")\n"
            "apage([paper(0,0,8.5,11)],[1,2,3])\n",
            out);
    EXPECT_EQ(pdfReadersComplaint(out), "");
    EXPECT_LT(readFile(out).size(), 20000u);

    // Loaded as a sim it is read like the empty file it claims to be.
    ASSERT_EQ(::symlink("/proc/self/pagemap", dir.file("k.sim").c_str()), 0);
    sim::LineReader reader;
    ASSERT_TRUE(reader.open("k.sim"));
    std::string line;
    EXPECT_FALSE(reader.next(line));
    EXPECT_FALSE(reader.failed());
    sim::Session session("/nonexistent/");
    session.setReporter([](const std::string &) {});
    session.load("k.sim");
    EXPECT_TRUE(session.document().empty());
}

// ---------------------------------------------------------------------------
// Sizes without limit.

TEST_F(Hostile, AHundredMegabyteLine)
{
    TempDir dir;
    const std::size_t size = 100u << 20;
    std::string text = "catalog(\"";
    text.append(size, 'a');
    text += "\")\napage([],[])";
    writeFile(dir.file("long.sim"), text);

    sim::LineReader reader;
    ASSERT_TRUE(reader.open(dir.file("long.sim")));
    std::string line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.size(), size + 11);
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "apage([],[])");
    EXPECT_FALSE(reader.next(line));
    EXPECT_FALSE(reader.failed());

    sim::Session session("/nonexistent/");
    session.setReporter([](const std::string &) {});
    session.load(dir.file("long.sim"));
    EXPECT_EQ(session.errorCount(), 0);
    ASSERT_EQ(session.document().catalogs().size(), 1u);
    EXPECT_EQ(session.document().catalogs()[0].text.size(), size);
    EXPECT_EQ(session.document().pages().size(), 1u);

    // The same line pushed, and a line of 100 MB that is no fact at all.
    session.clear();
    session.push(text.substr(0, size + 11));
    EXPECT_EQ(session.errorCount(), 0);
    std::string junk(size, 'x');
    EXPECT_EQ(readCode(junk), sim::UnknownName);
    junk.replace(0, 9, "catalog(\"");  // a string that never closes
    EXPECT_EQ(readCode(junk), sim::StringExpected);
}

TEST_F(Hostile, AMillionFacts)
{
    TempDir dir;
    constexpr int count = 1000000;
    std::string text;
    text.reserve(std::size_t(count) * 48);
    for (int i = 1; i <= count; ++i)
        text += "snippet(" + std::to_string(i) + ",0,[0,0,1,1],[1,0,0,1,0,0],\"\")\n";
    writeFile(dir.file("many.sim"), text);

    sim::Session session("/nonexistent/");
    session.setReporter([](const std::string &) {});
    session.load(dir.file("many.sim"));
    EXPECT_EQ(session.errorCount(), 0);
    EXPECT_EQ(session.document().snippets().size(), std::size_t(count));

    // Pushing them again: every number is taken, so none is added.
    for (int i = 1; i <= count; i += 1000)
        session.push("snippet(" + std::to_string(i) + ",0,[0,0,1,1],[1,0,0,1,0,0],\"again\")");
    EXPECT_EQ(session.document().snippets().size(), std::size_t(count));
    for (int i = 0; i < count; ++i)
        session.push("apage([],[1])");
    EXPECT_EQ(session.document().pages().size(), std::size_t(count));
    EXPECT_EQ(session.errorCount(), 0);
}

TEST_F(Hostile, AMillionEscapesInAString)
{
    constexpr std::size_t count = 1000000;
    std::string line = "info(\"";
    for (std::size_t i = 0; i < count; ++i)
        line += i % 4 == 0 ? "\\n" : i % 4 == 1 ? "\\\"" : i % 4 == 2 ? "\\\\" : "\\t";
    line += "\",\"c\",\"t\",\"s\",\"k\")";
    sim::TermReader reader(line);
    sim::Fact fact;
    ASSERT_TRUE(reader.readFact(fact));
    const std::string &author = std::get<sim::InfoFact>(fact).author;
    EXPECT_EQ(author.size(), count / 4 * 5);  // \t stays two characters
    EXPECT_EQ(author.substr(0, 5), "\n\"\\\\t");

    // Through production, in the information dictionary.
    TempDir dir;
    const std::string out = dir.file("out.pdf");
    produce(line + "\napage([paper(0,0,8.5,11)],[])\n", out);
    EXPECT_EQ(pdfReadersComplaint(out), "");
}

TEST_F(Hostile, AHundredThousandInlinePassages)
{
    constexpr std::size_t count = 100000;
    std::string line;
    for (std::size_t i = 0; i < count; ++i)
        line += "a(b) pdf(\"0 g\")";
    std::string out;
    ASSERT_TRUE(pdf::smoothenstring(out, line));
    std::size_t shows = 0;
    for (std::size_t at = out.find(")Tj 0 g ("); at != std::string::npos; at = out.find(")Tj 0 g (", at + 1))
        ++shows;
    EXPECT_EQ(shows, count);

    // One passage without its end spoils the line and appends nothing.
    out = "kept";
    EXPECT_FALSE(pdf::smoothenstring(out, line + "pdf(\"1 g"));
    EXPECT_EQ(out, "kept");

    TempDir dir;
    const std::string file = dir.file("out.pdf");
    produce("snippet(1,0,[0,0,8,10],[1,0,0,1,0,0],\"" + line + "\")\napage([paper(0,0,8.5,11)],[1])\n", file);
    EXPECT_EQ(pdfReadersComplaint(file), "");
}

// ---------------------------------------------------------------------------
// Numbers beyond their kinds.

TEST_F(Hostile, NumbersBeyondTheirKinds)
{
    const std::string thousand(1000, '7');
    const std::string zeros(1000, '0');
    const std::string tail = ",0,[0,0,1,1],[1,0,0,1,0,0],\"\")";
    struct Case {
        std::string line;
        int code;  // 0: reads
    } cases[] = {
        {"snippet(1,0,[1e999,0,1,1],[1,0,0,1,0,0],\"\")", sim::RealExpected},
        {"snippet(1,0,[-1E+999,0,1,1],[1,0,0,1,0,0],\"\")", sim::RealExpected},
        {"snippet(1,0,[1e-999,0,1,1],[1,0,0,1,0,0],\"\")", 0},
        {"snippet(1,0,[1" + zeros + "e-10,0,1,1],[1,0,0,1,0,0],\"\")", sim::RealExpected},
        {"snippet(1,0,[0." + zeros + "1e10,0,1,1],[1,0,0,1,0,0],\"\")", 0},
        {"snippet(1,0,[" + thousand + ",0,1,1],[1,0,0,1,0,0],\"\")", sim::RealExpected},
        {"snippet(1,0,[1e99999999999999999999,0,1,1],[1,0,0,1,0,0],\"\")", sim::RealExpected},
        {"snippet(1,0,[1.797693135E+308,-1.797693135E+308,0,1],[1,0,0,1,0,0],\"\")", 0},
        {"snippet(1,0,[1.797693136E+308,0,1,1],[1,0,0,1,0,0],\"\")", sim::RealExpected},
        {"snippet(" + thousand + tail, sim::OutOfRange},
        {"snippet(0x" + thousand + tail, sim::OutOfRange},
        {"snippet(" + zeros + "1" + tail, 0},
        {"apage([],[-" + thousand + "])", sim::OutOfRange},
        {"snippet(1," + thousand + ",[0,0,1,1],[1,0,0,1,0,0],\"\")", sim::OutOfRange},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readCode(c.line), c.code) << c.line.substr(0, 80);

    sim::TermReader tiny("snippet(1,0,[1e-999,0,1,1],[1,0,0,1,0,0],\"\")");
    sim::Fact fact;
    ASSERT_TRUE(tiny.readFact(fact));
    EXPECT_EQ(std::get<sim::SnippetFact>(fact).rect[0], 0.0);

    // Saved with ten digits, the largest doubles must still load.
    for (double v : {DBL_MAX, -DBL_MAX, 1.7976931345e308, 1.7976931344e308}) {
        sim::SnippetFact s;
        s.id = 1;
        s.rect = {v, 0, 1, 1};
        s.matrix = {1, 0, 0, 1, 0, 0};
        const std::string saved = sim::factText(s);
        sim::TermReader again(saved);
        sim::Fact reread;
        ASSERT_TRUE(again.readFact(reread)) << saved;
        const double back = std::get<sim::SnippetFact>(reread).rect[0];
        EXPECT_LE(std::abs(back - v), 1e-9 * std::abs(v)) << saved;
    }
}

// ---------------------------------------------------------------------------
// Bytes that are not text.

TEST_F(Hostile, NulAndControlBytes)
{
    using namespace std::string_literals;
    EXPECT_EQ(readCode("catalog(\"a\0b\")"s), sim::StringExpected);
    EXPECT_EQ(readCode("catalog\0(\"a\")"s), sim::UnknownName);
    EXPECT_EQ(readCode("\0"s), sim::UnknownName);
    EXPECT_EQ(readCode("apage([],[1\0])"s), sim::ListSepExpected);

    std::string controls;
    for (int c = 1; c < 32; ++c)
        controls += static_cast<char>(c);
    controls += "\x7f\xff";
    const std::string line = "catalog(\"" + controls + "\")";
    sim::TermReader reader(line);  // reads from the text it is given: keep it
    sim::Fact fact;
    ASSERT_TRUE(reader.readFact(fact));
    EXPECT_EQ(std::get<sim::CatalogFact>(fact).text, controls);

    // Pushed: NUL after the fact is no whitespace.
    sim::Session session("/nonexistent/");
    session.push("apage([],[])\0"s);
    EXPECT_EQ(session.errorCount(), 1);
    EXPECT_EQ(session.lastError().code, sim::TrailingText);

    // Every byte in a stream file's lines, in info texts and in an inline
    // stream: the PDF still reads.
    TempDir dir;
    WorkingFolder here(dir.path());
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    writeFile(dir.file("bytes.txt"), all + "\n" + all + "\n");
    std::string quoted;  // the control bytes as they may stand in a sim string
    for (char c : controls)
        if (c != '\n' && c != '\r')
            quoted += c;
    produce("info(\"" + quoted + "\",\"" + quoted + "\",\"t\",\"s\",\"k\")\n"
            "snippet(1,0,[0,0,3,3],[1,0,0,1,1,1],\"bytes.txt\")\n"
            "snippet(2,0,[0,0,3,3],[1,0,0,1,4,4],\"" + quoted + "\")\n"
            "apage([paper(0,0,8.5,11)],[1,2])\n",
            dir.file("out.pdf"));
    EXPECT_EQ(pdfReadersComplaint(dir.file("out.pdf")), "");
}

// A JPEG loaded as a sim, and pseudo-random bytes as a sim and as a stream.
TEST_F(Hostile, FilesThatAreNotText)
{
    TempDir dir;
    WorkingFolder here(dir.path());
    static const char jpegBytes[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
                                    "\xFF\xC0\x00\x11\x08\x00\x10\x00\x10\x03\x01\x22\x00\x02\x11\x01\x03\x11"
                                    "\x01\xFF\xD9";
    const std::string jpeg(jpegBytes, sizeof jpegBytes - 1);
    writeFile(dir.file("picture.sim"), jpeg);
    std::string noise;
    std::uint32_t x = 2463534242u;
    for (int i = 0; i < 1 << 16; ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        noise += static_cast<char>(x & 0xFF);
    }
    writeFile(dir.file("noise.sim"), noise);
    writeFile(dir.file("noise.txt"), noise);

    for (const char *name : {"picture.sim", "noise.sim"}) {
        SCOPED_TRACE(name);
        sim::Session session("/nonexistent/");
        std::vector<std::string> messages;
        session.setReporter([&](const std::string &m) { messages.push_back(m); });
        session.load(name);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], std::string(name) + "\nwas NOT loaded!");
        EXPECT_NE(session.lastError().code, 0);
        EXPECT_TRUE(session.document().empty());
    }

    const std::string out = dir.file("out.pdf");
    produce(noise + "\nsnippet(1,0,[0,0,8,10],[1,0,0,1,0,0],\"noise.txt\")\napage([paper(0,0,8.5,11)],[1])\n", out);
    EXPECT_EQ(pdfReadersComplaint(out), "");
}

// ---------------------------------------------------------------------------
// Outlines that lie.

TEST_F(Hostile, OutlinesThatLie)
{
    const std::string page = "apage([paper(0,0,8.5,11)],[])\n";
    struct Case {
        const char *what;
        std::string tocs;
    } cases[] = {
        {"references to items that do not exist",
         "toc(1,\"a\",go(1,\"\"),77,88,99,sub(3,55,66))\ntoc(2,\"b\",go(9,\"\"),1,12,13,sub(1,1,14))\n"},
        {"a cycle of parents and siblings",
         "toc(1,\"a\",go(1,\"\"),2,2,2,sub(1,2,2))\ntoc(2,\"b\",go(1,\"\"),1,1,1,sub(1,1,1))\n"},
        {"items naming themselves", "toc(1,\"a\",go(1,\"\"),1,1,1,sub(1,1,1))\n"},
        {"id 0", "toc(0,\"zero\",go(1,\"\"),0,0,0,empty)\ntoc(1,\"a\",go(1,\"\"),0,0,0,sub(1,0,0))\n"},
        {"duplicate ids",
         "toc(1,\"a\",go(1,\"\"),0,0,1,empty)\ntoc(1,\"again\",go(1,\"\"),1,1,0,empty)\n"
         "toc(2,\"b\",go(1,\"\"),1,1,1,sub(2,1,1))\n"},
        {"an id of 4000000000",
         "toc(4000000000,\"big\",go(1,\"\"),0,0,0,empty)\ntoc(1,\"a\",go(1,\"\"),4000000000,4000000000,"
         "4000000000,sub(1,4000000000,4000000000))\n"},
        {"counts that lie", "toc(1,\"a\",go(1,\"\"),0,0,0,sub(4294967295,2,2))\ntoc(2,\"b\",go(1,\"\"),1,0,0,empty)\n"},
        {"a title whose passage never ends",
         "toc(1,\"pdf(\\\"a\",go(1,\"\"),0,0,2,empty)\ntoc(2,\"b\",go(1,\"\"),0,1,0,empty)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string out = dir.file("out.pdf");
        produce(page + c.tocs, out);
        EXPECT_EQ(pdfReadersComplaint(out), "");
        EXPECT_LT(readFile(out).size(), 100000u);
    }
}

// ---------------------------------------------------------------------------
// Outputs that cannot be written.

const char *simpleSim = "snippet(1,0,[0,0,3,3],[1,0,0,1,1,1],\"Hello\")\napage([paper(0,0,8.5,11)],[1])\n";

// After a failure, a new run into a good folder must still work.
void expectEngineStillWorks()
{
    TempDir dir;
    const std::string out = dir.file("after.pdf");
    produce(simpleSim, out);
    EXPECT_EQ(pdfReadersComplaint(out), "");
}

TEST_F(Hostile, OutputPathsThatCannotBeCreated)
{
    TempDir dir;
    writeFile(dir.file("plain"), "a regular file");
    struct Case {
        const char *what;
        std::string path;
    } cases[] = {
        {"the output folder missing", dir.file("missing/out.pdf")},
        {"the parent a regular file", dir.file("plain/out.pdf")},
        {"the output a directory's name", dir.path() + "/"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        try {
            produce(simpleSim, c.path);
            ADD_FAILURE() << "no error";
        } catch (const EngineError &e) {
            EXPECT_EQ(e.code(), errc::OutputCreate);
            EXPECT_NE(e.detail().find(c.path), std::string::npos) << e.detail();
        }
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"plain"});
        EXPECT_EQ(readFile(dir.file("plain")), "a regular file");
    }
    expectEngineStillWorks();
}

// A text big enough that its PDF cannot fit the folder's space.
std::string bigSim()
{
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += "A line of text that fills the page and the disk\\n";
    return "snippet(1,0,[0,0,8,10],[1,0,0,1,0,0],\"" + text + "\")\napage([paper(0,0,8.5,11)],[1])\n";
}

class SmallDisk {
public:
    explicit SmallDisk(const std::string &path) : path_(path)
    {
        mounted_ = kordoc::test::runCommand("mount -t tmpfs -o size=64k tmpfs '" + path + "' 2>&1").status == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            kordoc::test::runCommand("umount '" + path_ + "' 2>&1");
    }
    bool mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

TEST_F(Hostile, AFullDisk)
{
    TempDir dir;
    SmallDisk disk(dir.path());
    if (!disk.mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here; FailingSink covers the writer";
    writeFile(dir.file("old.pdf"), "kept");
    const std::string out = dir.file("out.pdf");
    try {
        produce(bigSim(), out);
        ADD_FAILURE() << "no error";
    } catch (const EngineError &e) {
        EXPECT_EQ(e.code(), errc::OutputWrite);
        EXPECT_NE(e.detail().find(out), std::string::npos) << e.detail();
        EXPECT_NE(e.detail().find("No space left on device"), std::string::npos) << e.detail();
    }
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"old.pdf"});

    // Replacing an existing file on a full disk leaves the old one whole.
    try {
        produce(bigSim(), dir.file("old.pdf"));
        ADD_FAILURE() << "no error";
    } catch (const EngineError &e) {
        EXPECT_EQ(e.code(), errc::OutputWrite);
    }
    EXPECT_EQ(readFile(dir.file("old.pdf")), "kept");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"old.pdf"});

    // Small output still fits, on the same disk, in the same process.
    produce(simpleSim, out);
    EXPECT_EQ(pdfReadersComplaint(out), "");
    expectEngineStillWorks();
}

// A writer that fails after some bytes, as a disk does when it fills.
class FailingSink : public pdf::ByteSink {
public:
    explicit FailingSink(std::size_t room) : room_(room) {}
    void write(const char *, std::size_t size) override
    {
        if (size > room_)
            throw EngineError(errc::OutputWrite, "sink: No space left on device");
        room_ -= size;
    }

private:
    std::size_t room_;
};

TEST_F(Hostile, AWriterThatFailsPartWay)
{
    for (std::size_t room : {std::size_t(0), std::size_t(1000), std::size_t(150000)}) {
        SCOPED_TRACE(room);
        sim::Document doc = documentOf(bigSim());
        sim::renumber(doc);
        sim::generatepages(doc);
        FailingSink sink(room);
        try {
            pdf::producefile(doc, sink, pinned());
            ADD_FAILURE() << "no error";
        } catch (const EngineError &e) {
            EXPECT_EQ(e.code(), errc::OutputWrite);
        }
    }
    expectEngineStillWorks();
}

}  // namespace
