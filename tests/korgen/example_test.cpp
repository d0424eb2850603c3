// The shipped example, made the way the README tells a newcomer to make it:
// korgen run inside a copy of examples/ as "korgen tour tour".
#include "korgen_process.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kordoc::test {
namespace {

namespace fs = std::filesystem;

TEST(KorgenExample, TheTourIsMadeAndReadsAsWritten)
{
    TempDir dir;
    fs::copy(sourcePath("examples"), dir.path(), fs::copy_options::recursive);
    ASSERT_FALSE(exists(dir.file("tour.pdf"))) << "the example must not ship its PDF";

    const KorgenRun run = runKorgen(dir.path(), {"tour", "tour"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find("Error"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Could not read"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Reading flow.txt and checking for pages\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("-*sunset.jpg*-"), std::string::npos) << run.output;

    const std::string pdfPath = dir.file("tour.pdf");
    ASSERT_EQ(pdfReadersComplaint(pdfPath), "");
    EXPECT_EQ(pdfPageCount(pdfPath), 5) << "two pages of its own and three pages of flowing text";

    // What a reader shows, page by page, in the order it stands there.
    const std::string text = pdfText(pdfPath);
    std::size_t at = 0;
    for (const char *expected :
         {"A tour of Korvel", "Welcome", "their style", "The fourteen standard fonts", "Helvetica-BoldOblique",
          "On the next pages", "Links, a sound and a movie", "A web link", "A go-to link",
          "A launch link", "A sound link", "A movie annotation", "Part 1 of 3: text that flows over pages",
          "Headers and footers come along", "Part 2 of 3: what a sim file holds",
          "Part 3 of 3: making this tour yourself", "korgen tour tour", "Back to the first page"}) {
        const std::size_t found = text.find(expected, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << expected << "\n" << text;
        at = found;
    }
    // The reused footer follows the flowing text onto the pages it makes.
    std::size_t footers = 0;
    for (std::size_t f = text.find("made by korgen 2.01"); f != std::string::npos;
         f = text.find("made by korgen 2.01", f + 1))
        ++footers;
    EXPECT_EQ(footers, 5u);

    // Every kind of annotation and the outline are there for a reader.
    const std::string pdf = readFile(pdfPath);
    for (const char *part : {"/PageMode /UseOutlines", "/Subtype /Text", "/S  /URI", "/S /Launch",
                             "/S /Sound /Synchronous true", "/Subtype /Movie", "/Dest [ 0 /Fit ]",
                             "/Title (Part 2: what a sim file holds)", "/Subtype /Image",
                             // pdftotext leaves out turned text, such as the stamp
                             "(MADE WITH KORGEN)Tj", "/Matrix [ 0.97 0.26 -0.26 0.97 "})
        EXPECT_NE(pdf.find(part), std::string::npos) << part;
    const CommandResult outline = runCommand("mutool show '" + pdfPath + "' outline");
    if (outline.status == 0) {
        EXPECT_NE(outline.output.find("\"Making this tour yourself\"\t#page=5"), std::string::npos) << outline.output;
        EXPECT_NE(outline.output.find("\"A sound and a movie\"\t#page=2"), std::string::npos) << outline.output;
        EXPECT_EQ(outline.output.find("warning"), std::string::npos) << outline.output;
    }
}

}  // namespace
}  // namespace kordoc::test
