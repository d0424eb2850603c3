// The sim text writer: reals with ten significant digits, string escapes,
// the exact text of every fact kind, and grouping by kind.
#include "sim/document.h"
#include "sim/reader.h"
#include "sim/writer.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace kordoc::sim;
using namespace std::string_literals;

TEST(Writer, RealFormatting)
{
    struct Case {
        double value;
        const char *text;
    };
    const Case cases[] = {
        {612, "612"},
        {0.5, "0.5"},
        {1.0 / 3, "0.3333333333"},
        {2.0 / 3, "0.6666666667"},
        {-2.25, "-2.25"},
        {12345.678, "12345.678"},
        {1e10, "1E+10"},
        {0.000015, "1.5E-05"},
        {0.00012, "0.00012"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-0.000015, "-1.5E-05"},
        {1e100, "1E+100"},
        {1e-300, "1E-300"},
        {-1.5e-7, "-1.5E-07"},
        {0.0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {100, "100"},
        {-7.2, "-7.2"},
        {0.1 + 0.2, "0.3"},
        {1e9, "1000000000"},
        {9999999999.0, "9999999999"},
        {9999999999.4, "9999999999"},
        {9999999999.5, "1E+10"},
        {-9999999999.5, "-1E+10"},
        {999999999.96, "1000000000"},
        {12345678901.0, "1.23456789E+10"},
        {1234567890123.0, "1.23456789E+12"},
        {123456.78901234, "123456.789"},
        {1.00000000051, "1.000000001"},
        {1.00000000049, "1"},
        {0.00099999999996, "0.001"},
        {5e-324, "4.940656458E-324"},
        {DBL_MAX, "1.797693135E+308"},
        {8.5 * 72, "612"},
    };
    for (const Case &c : cases) {
        std::string s;
        appendReal(s, c.value);
        EXPECT_EQ(s, c.text) << "value " << c.value;
    }
}

TEST(Writer, StringEscapes)
{
    struct Case {
        std::string text;
        std::string written;
    };
    const Case cases[] = {
        {"", R"("")"},
        {"a\nb", R"("a\nb")"},
        {"a\rb", R"("a\rb")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\dir\\", R"("C:\\dir\\")"},
        {"\\t", R"("\\t")"},
        {"tab\there", "\"tab\there\""},
        {"\xe9\xff\x01\x7f", "\"\xe9\xff\x01\x7f\""},
    };
    for (const Case &c : cases) {
        std::string s;
        appendQuoted(s, c.text);
        EXPECT_EQ(s, c.written);
        // And it reads back unchanged.
        const std::string line = "catalog(" + s + ")";
        TermReader r(line);
        Fact f;
        ASSERT_TRUE(r.readFact(f)) << s;
        EXPECT_EQ(std::get<CatalogFact>(f).text, c.text);
    }
}

// Every kind's exact text: no blanks, bare "empty"; and the text reads back
// to the same fact.
TEST(Writer, FactTexts)
{
    SnippetFact full{4294967295u, 255, {0, 0, 3, 4}, {1, 0, 0, 1, 1.25, 2}, "a.txt"};
    SnippetFact bare{1, 0, {}, {}, "line one\nline \"two\""};
    PageFact page{{PageAttr{PageAttr::Kind::Paper, {0, 0, 8.5, 11}, ""}, PageAttr{PageAttr::Kind::Ex, {}, "/Rotate 90"}},
                  {-2147483647, 0, 3, 3}};
    TocFact leaf{1, "Title", Target{Target::Kind::Go, -2, "/XYZ null null null"}, 0, 1, 1, Kids{}};
    TocFact parent{7, "", Target{Target::Kind::Goto, 3, ""}, 0, 7, 8, Kids{true, 2, 3, 4}};
    struct Case {
        Fact fact;
        std::string text;
    };
    const Case cases[] = {
        {CatalogFact{"/PageMode /UseOutlines"}, R"(catalog("/PageMode /UseOutlines"))"},
        {InfoFact{"a", "b", "c\"", "d", ""}, R"(info("a","b","c\"","d",""))"},
        {DefaultsFact{{PageAttr{PageAttr::Kind::Crop, {0.5, 0.5, 8, 10.5}, ""}}}, "defaults([crop(0.5,0.5,8,10.5)])"},
        {DefaultsFact{}, "defaults([])"},
        {full, R"(snippet(4294967295,255,[0,0,3,4],[1,0,0,1,1.25,2],"a.txt"))"},
        {bare, R"(snippet(1,0,[],[],"line one\nline \"two\""))"},
        {page, R"(apage([paper(0,0,8.5,11),ex("/Rotate 90")],[-2147483647,0,3,3]))"},
        {PageFact{}, "apage([],[])"},
        {leaf, R"(toc(1,"Title",go(-2,"/XYZ null null null"),0,1,1,empty))"},
        {parent, R"(toc(7,"",goto(3,""),0,7,8,sub(2,3,4)))"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(factText(c.fact), c.text);
        TermReader r(c.text);
        Fact back;
        ASSERT_TRUE(r.readFact(back)) << c.text << ": " << r.error().code << " at " << r.error().position;
        EXPECT_TRUE(back == c.fact) << c.text;
        std::string appended = "x";
        appendFact(appended, c.fact);
        EXPECT_EQ(appended, "x" + c.text);
    }
}

TEST(Writer, DocumentGroupsKindsInDeclarationOrder)
{
    Document doc;
    EXPECT_EQ(documentText(doc), "");
    doc.append(Fact{TocFact{1, "t", Target{}, 0, 1, 1, Kids{}}});
    doc.append(Fact{PageFact{{}, {2}}});
    doc.append(Fact{SnippetFact{2, 0, {}, {}, "b"}});
    doc.append(Fact{DefaultsFact{}});
    doc.append(Fact{PageFact{{}, {1}}});
    doc.append(Fact{InfoFact{"x", "", "", "", ""}});
    doc.append(Fact{SnippetFact{1, 0, {}, {}, "a"}});
    doc.append(Fact{CatalogFact{"c2"}});
    doc.append(Fact{InfoFact{"y", "", "", "", ""}});
    doc.append(Fact{CatalogFact{"c1"}});
    EXPECT_EQ(documentText(doc), R"(catalog("c2")
catalog("c1")
info("x","","","","")
info("y","","","","")
defaults([])
snippet(2,0,[],[],"b")
snippet(1,0,[],[],"a")
apage([],[2])
apage([],[1])
toc(1,"t",go(0,""),0,1,1,empty)
)");
}
