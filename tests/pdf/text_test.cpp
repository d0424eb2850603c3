// Text snippets: how stream lines become the content of a Form XObject.
#include "pdf/textconvert.h"
#include "pdftest.h"
#include "pdftest_folder.h"

#include <gtest/gtest.h>

using namespace kordoc;
using namespace kordoc::pdftest;

namespace {

constexpr std::string_view opening = "BT\n12 TL\n /F9 10 Tf\n1 0 0 1 0.00 132.00 Tm\n";

// The stream data of snippet 1's form (object 21 when nothing comes
// before it), and a check that its /Length counts the bytes as written.
std::string formData(const std::string &pdf, std::uint32_t number = 21)
{
    const std::string raw = rawObject(pdf, number);
    const std::size_t length = raw.find("/Length ");
    const std::size_t data = raw.find(">>\r\nstream\r\n");
    const std::size_t end = raw.rfind("endstream\r\nendobj\r\n");
    if (length == std::string::npos || data == std::string::npos || end == std::string::npos) {
        ADD_FAILURE() << "object " << number << " is no form: " << raw.substr(0, 200);
        return {};
    }
    EXPECT_EQ(std::stoul(raw.substr(length + 8)), end - data - 12) << "/Length of object " << number;
    return lf(raw.substr(data + 12, end - data - 12));
}

}  // namespace

using TextSnippets = InFolder;

TEST_F(TextSnippets, HelloHeadAndContent)
{
    put("s.txt", "Hello\n");
    const std::string pdf =
        producePdf({R"(snippet(1,0,[0,0,5.5,2],[1,0,0,1,1,7],"s.txt"))", "apage([paper(0,0,8.5,11)],[1])"});
    const std::string form = object(pdf, 21);
    EXPECT_EQ(form.substr(0, form.find("/Length ")),
              "<</Type /XObject /Subtype /Form /FormType 1 /Name /Snip1 /BBox [ 0 0 396 144 ] /Matrix [ 1.00 0.00 "
              "0.00 1.00 72.00 504.00 ]  /Resources \n    <<\n\n/Font 20 0 R\n    >>\n  ");
    EXPECT_EQ(formData(pdf), "BT\n12 TL\n /F9 10 Tf\n1 0 0 1 0.00 132.00 Tm\n(Hello)Tj T*\nET\n\n");
    const std::string data = "BT\n12 TL\n /F9 10 Tf\n1 0 0 1 0.00 132.00 Tm\n(Hello)Tj T*\nET\n\n";
    EXPECT_NE(form.find("/Length " + std::to_string(test::crlf(data).size()) + ">>\nstream\n"), std::string::npos);
}

// Each stream (a file, as the composer writes them) and the text lines it
// gives between the opening of the text object and "ET".
TEST_F(TextSnippets, LinesAndStatementsTable)
{
    put("ops.txt", "0 1 0 rg\r\n");
    struct Case {
        const char *name;
        std::string stream;
        std::string fonts;  // before "BT"
        std::string lines;
    };
    const Case cases[] = {
        {"parentheses", "Hello (world)\n", "", "(Hello \\(world\\))Tj T*\n"},
        {"inline passage", "Total pdf(\"1 0 0 rg\")(net)\n", "", "(Total )Tj 1 0 0 rg (\\(net\\))Tj T*\n"},
        {"two passages", "a pdf(\"1 g\")b pdf(\"0 g\")c\n", "", "(a )Tj 1 g (b )Tj 0 g (c)Tj T*\n"},
        {"passage without end disappears", "A\nbad pdf(\"x\nB\n", "", "(A)Tj T*\n(B)Tj T*\n"},
        {"backslash and quote", "a\\b say \"hi\"\n", "", "(a\\\\b say \\42hi\\42)Tj T*\n"},
        {"tab and bytes above 127", "a\tb\xE9\xFF\n", "", "(a\tb\xE9\xFF)Tj T*\n"},
        {"empty line keeps its space", "A\n\nB\n", "", "(A)Tj T*\n()Tj T*\n(B)Tj T*\n"},
        {"last line without line feed", "A\nB", "", "(A)Tj T*\n(B)Tj T*\n"},
        {"pdf statement has no line feed", "pdf(\"0 0 1 rg\")\n(Blue)\n", "", "0 0 1 rg(\\(Blue\\))Tj T*\n"},
        {"word after a statement is dropped", "pdf(\"0 0 1 rg\") red\nX\n", "", "0 0 1 rg(X)Tj T*\n"},
        {"usefont goes before BT", "A\nusefont(5,12)\nB\n", "/F5 12 Tf\n", "(A)Tj T*\n(B)Tj T*\n"},
        {"only statements", "pdf(\" 0 0 1 rg \")\nusefont(2,8)\n", "/F2 8 Tf\n", " 0 0 1 rg "},
        {"pdf text naming a file", "pdf(\"ops.txt\")\nGreen\n", "", "0 1 0 rg\n(Green)Tj T*\n"},
        {"statement look-alike is text", "pdfx(\"a\")\nlink(oops)\n", "", "(pdfx\\(\\42a\\42\\))Tj T*\n(link\\(oops\\))Tj T*\n"},
        {"notes and links show nothing", "textannotation([0,0,1,1],\"\",\"n\")\nSeen\n", "", "(Seen)Tj T*\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        put("s.txt", c.stream);
        const std::string pdf =
            producePdf({R"(snippet(1,0,[0,0,5.5,2],[1,0,0,1,1,7],"s.txt"))", "apage([paper(0,0,8.5,11)],[1])"});
        const std::uint32_t form = c.name == std::string_view("notes and links show nothing") ? 22 : 21;
        EXPECT_EQ(formData(pdf, form), c.fonts + std::string(opening) + c.lines + "ET\n\n");
    }
}

TEST_F(TextSnippets, InlineStreamsAndNames)
{
    put("a.txt", "from the file a.txt\n");
    struct Case {
        const char *name;
        const char *stream;  // as written in the sim
        std::string data;
    };
    const Case cases[] = {
        {"carriage returns dropped", R"(A\r\nB\rC\r)", std::string(opening) + "(A)Tj T*\n(BC)Tj T*\nET\n\n"},
        {"missing file shows its name", "nosuch.txt", std::string(opening) + "(nosuch.txt)Tj T*\nET\n\n"},
        {"question mark matching no file is text", "?bc", std::string(opening) + "(?bc)Tj T*\nET\n\n"},
        {"question mark matching a file reads it", "?.txt", std::string(opening) + "(from the file a.txt)Tj T*\nET\n\n"},
        {"empty stream", "", "\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pdf = producePdf({std::string("snippet(1,0,[0,0,5.5,2],[1,0,0,1,1,7],\"") + c.stream + "\")",
                                            "apage([paper(0,0,8.5,11)],[1])"});
        EXPECT_EQ(formData(pdf), c.data);
    }
    // The empty stream's form: a single line end, /Length 2.
    const std::string pdf = producePdf({R"(snippet(1,0,[0,0,5.5,2],[1,0,0,1,1,7],""))", "apage([],[1])"});
    EXPECT_NE(object(pdf, 21).find("  /Length 2>>\nstream\n\nendstream\nendobj\n"), std::string::npos);
}

TEST(TextConversion, RotatedMatrixKeepsTwoDecimals)
{
    const std::string pdf =
        producePdf({R"(snippet(1,0,[0,0,2,1],[0.866,0.5,-0.5,0.866,1,1],"Turned"))", "apage([paper(0,0,8.5,11)],[1])"});
    EXPECT_NE(object(pdf, 21).find("/BBox [ 0 0 144 72 ] /Matrix [ 0.87 0.50 -0.50 0.87 72.00 72.00 ]  /Resources"),
              std::string::npos);
}

TEST(TextConversion, SmoothenstringTable)
{
    struct Case {
        std::string line;
        bool ok;
        std::string out;
    };
    const Case cases[] = {
        {"", true, ""},
        {"plain", true, "plain"},
        {"Total pdf(\"1 0 0 rg\")(net)", true, "Total )Tj 1 0 0 rg (\\(net\\)"},
        {"pdf(\"\")", true, ")Tj  ("},
        {"a pdf(\"x\")b pdf(\"y", false, ""},
        {"\\ ( ) \"", true, "\\\\ \\( \\) \\42"},
    };
    for (const Case &c : cases) {
        std::string out = "kept";
        EXPECT_EQ(pdf::smoothenstring(out, c.line), c.ok) << c.line;
        EXPECT_EQ(out, "kept" + c.out) << c.line;
    }
}

// A line of a hundred thousand passages converts without deep recursion.
TEST(TextConversion, HundredThousandPassages)
{
    std::string line, expected;
    for (int i = 0; i < 100000; ++i) {
        line += "a(pdf(\"1 g\")";
        expected += "a\\()Tj 1 g (";
    }
    std::string out;
    ASSERT_TRUE(pdf::smoothenstring(out, line));
    EXPECT_EQ(out, expected);
    line += "pdf(\"";
    out.clear();
    EXPECT_FALSE(pdf::smoothenstring(out, line));
    EXPECT_EQ(out, "");
}

TEST_F(TextSnippets, FormsListEveryPicture)
{
    copyFixture("rgb16x8.jpg", dir.file("one.jpg"));
    copyFixture("gray16.jpg", dir.file("two.jpg"));
    const std::string pdf = producePdf(
        {R"(snippet(1,0,[0,0,1,1],[1,0,0,1,0,0],"First"))", R"(snippet(2,0,[0,0,16,8],[1,0,0,1,0,0],"one.jpg"))",
         R"s(snippet(3,0,[0,0,1,1],[1,0,0,1,0,0],"pdf(\" /Snip1 Do \")"))s",
         R"(snippet(4,0,[0,0,16,16],[1,0,0,1,0,0],"two.jpg"))", "apage([],[1,3])"});
    // Renumbered: pictures 1 and 2 (objects 21, 22), texts 3 and 4 (23, 24).
    const std::string resources =
        "  /Resources \n    <<\n         /XObject <<\n       /Snip1 21 0 R\n       /Snip2 22 0 R\n                >>\n"
        "/Font 20 0 R\n    >>\n";
    EXPECT_NE(object(pdf, 23).find(resources), std::string::npos) << object(pdf, 23);
    EXPECT_NE(object(pdf, 24).find(resources), std::string::npos) << object(pdf, 24);
}

TEST_F(TextSnippets, ReaderSeesTheLinesInOrder)
{
    put("s.txt", "First line\nSecond pdf(\"0 0 1 rg\")line\n\nThird line (last)\n");
    const std::string path = dir.file("text.pdf");
    produceAt(simDocument({R"(snippet(1,0,[0,0,6,3],[1,0,0,1,1,7],"s.txt"))", "apage([paper(0,0,8.5,11)],[1])"}),
              path);
    const std::string text = test::pdfText(path);
    const std::size_t first = text.find("First line"), second = text.find("Second"), third = text.find("Third line (last)");
    ASSERT_NE(first, std::string::npos) << text;
    ASSERT_NE(second, std::string::npos) << text;
    ASSERT_NE(third, std::string::npos) << text;
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_NE(text.find("line", second), std::string::npos);
}

// Snippets that cannot become forms: no object, and the page still names it.
TEST(TextSnippetsWithoutForm, UnusedOrMalformed)
{
    const std::string pdf = producePdf({R"(snippet(1,0,[0,0,1,1],[1,0,0,1,0,0],"Used"))",
                                        R"(snippet(2,0,[0,0,1,1],[1,0,0,1,0,0],"Unused"))", "apage([],[1])"});
    EXPECT_EQ(count(pdf, "/Subtype /Form"), 1u) << "a snippet no page uses gets no form";
    EXPECT_NE(object(pdf, 21).find("/Name /Snip1 "), std::string::npos);
    const Produced p = produceJudged(simDocument({R"(snippet(1,0,[0,0,1],[1,0,0,1,0,0],"Bad box"))",
                                                  R"(snippet(2,0,[0,0,1,1],[1,0,0,1,0],"Bad matrix"))",
                                                  R"(snippet(3,0,[0,0,1,1],[1,0,0,1,0,0],"Good"))", "apage([],[3])"}));
    EXPECT_EQ(p.complaint, "");
    EXPECT_FALSE(hasObject(p.bytes, 21));
    EXPECT_FALSE(hasObject(p.bytes, 22));
    EXPECT_TRUE(hasObject(p.bytes, 23));
}
