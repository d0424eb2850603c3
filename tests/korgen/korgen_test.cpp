// korgen as a user meets it: the real program, started in a folder of its
// own, judged by what it prints, its exit status and the files it leaves.
#include "korgen_process.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace kordoc::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr const char *usageText =
    "Usage: INFILE OUTFILE\nDo NOT specify filename extensions\nINFILE is assumed to have an extension of .sim\n"
    "OUTFILE is always given .pdf extension\nAlso, OUTFILE must NOT be existing\n";

// One page with one line of text: the smallest sim that makes a real PDF.
constexpr const char *helloSim = "snippet(1,0,[0,0,4,1],[1,0,0,1,1,9],\"Hello\")\napage([paper(0,0,8.5,11)],[1])\n";

std::string joined(const std::vector<std::string> &args)
{
    std::string s;
    for (std::size_t i = 0; i < args.size(); ++i)
        s += (i ? " " : "") + args[i];
    return s;
}

std::string marks(int count) { return std::string(std::size_t(count) * 2, '-'); }

// Every file of a folder with its bytes, to show that a run left it alone.
std::map<std::string, std::string> folderContent(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = readFile(entry.path().string());
    return files;
}

std::size_t occurrences(const std::string &text, const std::string &part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

TEST(KorgenArguments, RefusedRunsPrintTheUsageTextAndExitTwo)
{
    struct Case {
        const char *what;
        std::vector<std::string> args;
        std::map<std::string, std::string> files;
    };
    const std::string keep = "%PDF-1.2\r\nnot korgen's: keep me\x00\xff\r\n"s;
    const std::vector<Case> cases = {
        {"no arguments", {}, {{"in.sim", helloSim}}},
        {"one word", {"in"}, {{"in.sim", helloSim}}},
        {"the output file exists", {"in", "out"}, {{"in.sim", helloSim}, {"out.pdf", keep}}},
        {"INFILE written with its extension means in.sim.sim", {"in.sim", "out"}, {{"in.sim", helloSim}}},
        {"the input file is missing", {"gone", "out"}, {{"in.sim", helloSim}}},
        {"OUTFILE is empty", {"in", ""}, {{"in.sim", helloSim}}},
        {"OUTFILE is only white space", {"in", " \t "}, {{"in.sim", helloSim}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const auto &[name, bytes] : c.files)
            writeFile(dir.file(name), bytes);
        const KorgenRun run = runKorgen(dir.path(), c.args);
        EXPECT_EQ(run.output, korgenBanner(realFolder(dir.path()), joined(c.args)) + usageText);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(folderContent(dir.path()), c.files) << "a refused run must not create or change a file";
    }
}

TEST(KorgenArguments, TheExtensionIsAlwaysAppended)
{
    TempDir dir;
    writeFile(dir.file("x.sim.sim"), helloSim);
    const KorgenRun run = runKorgen(dir.path(), {"x.sim", "out"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("\nx.sim.sim has been read\n"), std::string::npos) << run.output;
    ASSERT_TRUE(exists(dir.file("out.pdf")));
    EXPECT_EQ(pdfReadersComplaint(dir.file("out.pdf")), "");
}

TEST(KorgenArguments, OutfileIsEverythingAfterTheFirstBlankWithoutLeadingWhiteSpace)
{
    struct Case {
        std::vector<std::string> args;
        std::string pdf;
    };
    const std::vector<Case> cases = {
        {{"in", "", "out"}, "out.pdf"},      // two blanks between the names
        {{"in", "\tout"}, "out.pdf"},        // a tab after the blank
        {{"in", "a", "b", "c"}, "a b c.pdf"},  // OUTFILE keeps its inner blanks
        {{"in", "  b  c"}, "b  c.pdf"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(joined(c.args));
        TempDir dir;
        writeFile(dir.file("in.sim"), helloSim);
        const KorgenRun run = runKorgen(dir.path(), c.args);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output.rfind(korgenBanner(realFolder(dir.path()), joined(c.args)), 0), 0u) << run.output;
        EXPECT_NE(run.output.find(c.pdf + " has been written\n"), std::string::npos) << run.output;
        std::map<std::string, std::string> files = folderContent(dir.path());
        EXPECT_EQ(files.size(), 2u) << "only the sim and " << c.pdf << " may be there";
        ASSERT_TRUE(files.count(c.pdf));
        EXPECT_EQ(pdfReadersComplaint(dir.file(c.pdf)), "");
    }
}

TEST(KorgenReading, EachBadLineIsReportedAndEveryOtherFactIsUsed)
{
    TempDir dir;
    writeFile(dir.file("in.sim"), "snippet(1,0,[0,0,4,1],[1,0,0,1,1,9],\"First fact\")\n"
                                  "apage([paper(0,0,8.5,11)],[x])\n"
                                  "apage([paper(0,0,8.5,11)],[1])\n"
                                  "apage ([paper(0,0,8.5,11)],[1])\n"
                                  "toc(1,\"T\",go(1,\"\"),0,1,1,sub(1,2))\n"
                                  "snippet(2,0,[0,0,4,1],[1,0,0,1,1,9],\"Last fact\")\n"
                                  "apage([paper(0,0,8.5,11)],[2])\n");
    const KorgenRun run = runKorgen(dir.path(), {"in", "out"});
    // Two pages, two text snippets: a mark per page in the contents pass and
    // in the page pass, one per form, and one per object written (19
    // document objects, the font resources, 2 forms, 2 contents, 2 pages).
    const int progress = 2 + 2 + 2 + (19 + 1 + 2 + 2 + 2);
    EXPECT_EQ(run.output, korgenBanner(realFolder(dir.path()), "in out") +
                              "Error 1401 at position: 27 in\napage([paper(0,0,8.5,11)],[x])\n"
                              "Error 1407 at position: 6 in\napage ([paper(0,0,8.5,11)],[1])\n"
                              "Error 1409 at position: 33 in\ntoc(1,\"T\",go(1,\"\"),0,1,1,sub(1,2))\n"
                              "in.sim has been read\n"
                              "Reading an internal stream and checking for pages\n"
                              "Reading an internal stream and checking for pages\n" +
                              marks(progress) + "out.pdf has been written\n");
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(pdfReadersComplaint(dir.file("out.pdf")), "");
    EXPECT_EQ(pdfPageCount(dir.file("out.pdf")), 2);
    const std::string text = pdfText(dir.file("out.pdf"));
    EXPECT_NE(text.find("First fact"), std::string::npos) << text;
    EXPECT_NE(text.find("Last fact"), std::string::npos) << text;
    EXPECT_EQ(readFile(dir.file("out.pdf")).find("/Title (T)"), std::string::npos)
        << "the rejected toc line must not have made an outline item";
}

TEST(KorgenReading, BlankLinesCarriageReturnsAndAFinalLineWithoutLineFeed)
{
    TempDir dir;
    writeFile(dir.file("in.sim"), "\n"
                                  "snippet(1,0,[0,0,4,1],[1,0,0,1,1,9],\"Page one\")\r\n"
                                  "\n"
                                  "   \n"
                                  "\t \t\n"
                                  "apage([paper(0,0,8.5,11)],[1])\r\n"
                                  "snippet(2,0,[0,0,4,1],[1,0,0,1,1,9],\"Page two\")\n"
                                  "\n"
                                  "apage([paper(0,0,8.5,11)],[2])");
    const KorgenRun run = runKorgen(dir.path(), {"in", "out"});
    EXPECT_EQ(run.output, korgenBanner(realFolder(dir.path()), "in out") +
                              "in.sim has been read\n"
                              "Reading an internal stream and checking for pages\n"
                              "Reading an internal stream and checking for pages\n" +
                              marks(2 + 2 + 2 + 26) + "out.pdf has been written\n");
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(pdfReadersComplaint(dir.file("out.pdf")), "");
    EXPECT_EQ(pdfPageCount(dir.file("out.pdf")), 2) << "the last line, without its line feed, is a page too";
    EXPECT_NE(pdfText(dir.file("out.pdf")).find("Page two"), std::string::npos);
}

// Tests run as root, who can open any file: the unreadable files are made
// unreadable for user 65534, and korgen runs as that user.
class KorgenUnreadable : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string why = whyNobodyCannotRun();
        if (!why.empty())
            GTEST_SKIP() << why;
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(dir_.path().c_str(), 65534, 65534), 0);
        }
    }
    void lockUp(const std::string &name) { ASSERT_EQ(::chmod(dir_.file(name).c_str(), 0), 0); }

    TempDir dir_;
};

TEST_F(KorgenUnreadable, AnInputThatCannotBeOpenedGivesAnEmptyPdfAndAFailingStatus)
{
    writeFile(dir_.file("in.sim"), helloSim);
    lockUp("in.sim");
    const KorgenRun run = runKorgen(dir_.path(), {"in", "out"}, true);
    // An empty document: no pages or snippets, so only the 19 document
    // objects and the font resources are written.
    EXPECT_EQ(run.output, korgenBanner(realFolder(dir_.path()), "in out") + "Could not read in.sim\n" +
                              "in.sim has been read\n" + marks(20) + "out.pdf has been written\n");
    EXPECT_EQ(run.status, 1);
    ASSERT_TRUE(exists(dir_.file("out.pdf")));
    // A PDF without pages is what an empty document gives; poppler refuses
    // any page tree of count 0, so the file is checked by qpdf alone here.
    const CommandResult check = runCommand("qpdf --check '" + dir_.file("out.pdf") + "'");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("No syntax or stream encoding errors"), std::string::npos) << check.output;
    const CommandResult pages = runCommand("qpdf --show-npages '" + dir_.file("out.pdf") + "'");
    EXPECT_EQ(pages.output, "0\n");
}

TEST_F(KorgenUnreadable, AStreamFileThatCannotBeOpenedIsReportedAndShowsNothing)
{
    writeFile(dir_.file("in.sim"), "snippet(1,0,[0,0,4,1],[1,0,0,1,1,9],\"secret.txt\")\n"
                                   "snippet(2,0,[0,0,4,1],[1,0,0,1,1,7],\"Still here\")\n"
                                   "apage([paper(0,0,8.5,11)],[1,2])\n");
    writeFile(dir_.file("secret.txt"), "Nobody may read this\n");
    lockUp("secret.txt");
    const KorgenRun run = runKorgen(dir_.path(), {"in", "out"}, true);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(occurrences(run.output, "Could not read secret.txt\n"), 1u) << run.output;
    EXPECT_EQ(occurrences(run.output, "Could not read"), 1u) << run.output;
    ASSERT_EQ(pdfReadersComplaint(dir_.file("out.pdf")), "");
    const std::string text = pdfText(dir_.file("out.pdf"));
    EXPECT_NE(text.find("Still here"), std::string::npos) << text;
    EXPECT_EQ(text.find("Nobody"), std::string::npos) << text;
}

TEST(KorgenProduction, ProgressMarksCountEveryPassAndEveryObject)
{
    TempDir dir;
    const std::string jpeg = readFile(sourcePath("examples/sunset.jpg"));
    ASSERT_FALSE(jpeg.empty());
    writeFile(dir.file("photo.jpg"), jpeg);
    writeFile(dir.file("Second.JPG"), jpeg);
    writeFile(dir.file("body.txt"), "Body first piece $p\n<page>\nBody second piece $p\n");
    writeFile(dir.file("in.sim"),
              "info(\"Ann Author\",\"Maker\",\"Marks\",\"Progress\",\"korgen\")\n"
              "snippet(7,0,[0,0,6,8],[1,0,0,1,1,2],\"body.txt\")\n"
              "snippet(8,1,[0,0,6,0.5],[1,0,0,1,1,0.5],\"Footer\")\n"
              "snippet(3,0,[0,0,480,320],[0.25,0,0,0.25,1,9],\"photo.jpg\")\n"
              "snippet(4,0,[0,0,480,320],[0.25,0,0,0.25,4,9],\"Second.JPG\")\n"
              "apage([paper(0,0,8.5,11)],[3,7,8,4])\n");
    const KorgenRun run = runKorgen(dir.path(), {"in", "out"});
    // body.txt flows over two pages, the footer comes along: 2 pages and 3
    // text snippets. Objects: 19 document objects, the font resources, 2
    // images, 3 forms, 2 contents and 2 pages.
    const int objects = 19 + 1 + 2 + 3 + 2 + 2;
    EXPECT_EQ(run.output, korgenBanner(realFolder(dir.path()), "in out") +
                              "in.sim has been read\n"
                              "Reading body.txt and checking for pages\n"
                              "Reading an internal stream and checking for pages\n"
                              "-*photo.jpg*-"
                              "-*Second.JPG*-" +
                              marks(2 + 2 + 3 + objects) + "out.pdf has been written\n");
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(pdfReadersComplaint(dir.file("out.pdf")), "");
    EXPECT_EQ(pdfPageCount(dir.file("out.pdf")), 2);
    const std::string text = pdfText(dir.file("out.pdf"));
    EXPECT_NE(text.find("Body first piece 1"), std::string::npos) << text;
    EXPECT_NE(text.find("Body second piece 2"), std::string::npos) << text;
    EXPECT_EQ(occurrences(text, "Footer"), 2u) << text;
    const std::string pdf = readFile(dir.file("out.pdf"));
    EXPECT_NE(pdf.find("\r\n%Generated by Korvel 2.01\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Producer (VANTREL PDF Generator 2.01)"), std::string::npos);
    EXPECT_EQ(pdf.find("2.02"), std::string::npos) << "the library's version text";
}

TEST(KorgenProduction, TheSoundLinkIsSynchronousAndTheInfoIsShortWithoutAnInfoFact)
{
    TempDir dir;
    writeFile(dir.file("tone.raw"), std::string(100, '\x80'));
    writeFile(dir.file("in.sim"),
              "snippet(1,0,[0,0,4,1],[1,0,0,1,1,9],\"link([0,0,1,1],\\\"\\\",go(-2,\\\"tone.raw\\\"))\\nPlay\")\n"
              "apage([paper(0,0,8.5,11)],[1])\n");
    const KorgenRun run = runKorgen(dir.path(), {"in", "out"});
    EXPECT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(pdfReadersComplaint(dir.file("out.pdf")), "");
    const std::string pdf = readFile(dir.file("out.pdf"));
    // The link is the first annotation (object 21), its sound the next one.
    EXPECT_NE(pdf.find("<</Type /Annot /Subtype /Link /Rect [72.00 648.00 144.00 720.00]  /C [1 0 0.5] /A   <<\r\n"
                       "   /Type /Action /S /Sound /Synchronous true\r\n   /Sound 22 0 R >>\r\n>>"),
              std::string::npos)
        << pdf;
    EXPECT_NE(pdf.find("22 0 obj\r\n<< /Type /Sound /R 10000 /E /Raw /Length 100 >>\r\nstream\r\n" +
                       std::string(100, '\x80') + "\r\nendstream"),
              std::string::npos);
    EXPECT_EQ(pdf.find("/C 1 /B 8"), std::string::npos);
    EXPECT_NE(pdf.find("/Producer (VANTREL PDF Generator) >>"), std::string::npos);
    EXPECT_NE(pdf.find("%Generated by Korvel 2.01\r\n"), std::string::npos);
}

TEST(KorgenProduction, ARunTimeFailureNamesItsNumberAndLeavesNoFile)
{
    TempDir dir;
    // A destination whose only "%" signs are doubled has no place for the page.
    const std::string sim = "snippet(1,0,[0,0,4,1],[1,0,0,1,1,9],"
                            "\"link([0,0,1,1],\\\"\\\",go(2,\\\"[ %% /Fit ]\\\"))\\nText\")\n"
                            "apage([paper(0,0,8.5,11)],[1])\napage([paper(0,0,8.5,11)],[1])\n";
    writeFile(dir.file("in.sim"), sim);
    const KorgenRun run = runKorgen(dir.path(), {"in", "out"});
    EXPECT_NE(run.output.find("Error 1109"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("has been written"), std::string::npos) << run.output;
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.status, 2) << "2 is kept for the usage text";
    EXPECT_EQ(folderContent(dir.path()), (std::map<std::string, std::string>{{"in.sim", sim}}))
        << "neither out.pdf nor a temporary file may be left";
}

}  // namespace
}  // namespace kordoc::test
