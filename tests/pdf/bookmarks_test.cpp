// The outline: one item per toc fact and the outline root.
#include "pdftest.h"
#include "pdftest_folder.h"

#include <gtest/gtest.h>
#include <regex>

using namespace kordoc;
using namespace kordoc::pdftest;

namespace {

// Every /Parent, /Prev, /Next, /First and /Last of the outline items and
// the root names an object that is an outline item (or the root), so no
// reference points at another kind of object or at nothing.
void expectOutlineReferencesResolve(const std::string &pdf)
{
    const CrossReference x = crossReference(pdf);
    ASSERT_EQ(x.problem, "");
    const std::regex ref(R"(/(Parent|Prev|Next|First|Last) (\d+) 0 R)");
    for (auto [number, offset] : x.inUse) {
        const std::string text = object(pdf, number);
        const bool item = text.rfind("<< /Title (", 0) == 0;
        if (!item && number != 19)
            continue;
        for (std::sregex_iterator m(text.begin(), text.end(), ref), end; m != end; ++m) {
            const auto target = static_cast<std::uint32_t>(std::stoul((*m)[2]));
            ASSERT_TRUE(x.inUse.count(target)) << "object " << number << " names " << target << ", which is free";
            EXPECT_TRUE(target == 19 || object(pdf, target).rfind("<< /Title (", 0) == 0)
                << "object " << number << " names " << target << ": " << object(pdf, target);
        }
    }
}

}  // namespace

TEST(Bookmarks, IntroExampleAndRoot)
{
    const std::string pdf = producePdf(
        {"apage([],[])", R"(toc(1,"One",goto(1,""),0,1,2,empty))", R"(toc(2,"Intro",goto(1,""),0,1,3,sub(2,4,5)))",
         R"(toc(3,"Three",goto(1,""),0,2,3,empty))", R"(toc(4,"Four",goto(1,""),2,4,5,empty))",
         R"(toc(5,"Five",goto(1,""),2,4,5,empty))"});
    EXPECT_EQ(object(pdf, 21), "<< /Title (Intro) /Dest [ 0 /XYZ null null null ] /Parent 19 0 R /Prev 20 0 R  /Next "
                               "22 0 R  /Count -2 /First 23 0 R /Last 24 0 R >> \nendobj\n");
    EXPECT_EQ(object(pdf, 20), "<< /Title (One) /Dest [ 0 /XYZ null null null ] /Parent 19 0 R  /Next 21 0 R   >> \nendobj\n");
    EXPECT_EQ(object(pdf, 24), "<< /Title (Five) /Dest [ 0 /XYZ null null null ] /Parent 21 0 R /Prev 23 0 R    >> \nendobj\n");
    // The root names its own children: the first and the last top-level
    // item, though the last fact processed is a nested one.
    EXPECT_EQ(object(pdf, 19), "<</First 20 0 R /Last 22 0 R /Count 3 >> \nendobj\n");
    EXPECT_NE(object(pdf, 25).find("/F1 5 0 R"), std::string::npos) << "the font resource dictionary follows";
}

TEST(Bookmarks, ItemFormsTable)
{
    struct Case {
        const char *name;
        std::string toc;
        std::string item;  // object 20
    };
    const Case cases[] = {
        {"leaf without siblings", R"(toc(1,"Only",goto(1,""),0,1,1,empty))",
         "<< /Title (Only) /Dest [ 0 /XYZ null null null ] /Parent 19 0 R    >> \nendobj\n"},
        {"title escaped", R"(toc(1,"(a) \\ \"q\"",goto(1,""),0,1,1,empty))",
         "<< /Title (\\(a\\) \\\\ \\42q\\42) /Dest [ 0 /XYZ null null null ] /Parent 19 0 R    >> \nendobj\n"},
        {"template", R"(toc(1,"Fit",go(2,"[ % /FitH 700 ]"),0,1,1,empty))",
         "<< /Title (Fit) /Dest [ 1 /FitH 700 ] /Parent 19 0 R    >> \nendobj\n"},
        {"go with 0 is a destination too", R"(toc(1,"Web",go(0,"http://example.com/"),0,1,1,empty))",
         "<< /Title (Web) /Dest [ -1 /XYZ null null null ] /Parent 19 0 R    >> \nendobj\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pdf = producePdf({"apage([],[])", "apage([],[])", c.toc});
        EXPECT_EQ(object(pdf, 20), c.item);
        EXPECT_EQ(object(pdf, 19), "<</First 20 0 R /Last 20 0 R /Count 1 >> \nendobj\n");
    }
}

TEST(Bookmarks, ThreeChildren)
{
    const std::string pdf = producePdf(
        {"apage([],[])", R"(toc(1,"Top",goto(1,""),0,1,2,sub(3,4,6)))", R"(toc(2,"Two",goto(1,""),0,1,3,empty))",
         R"(toc(3,"Three",goto(1,""),0,2,3,empty))", R"(toc(4,"A",goto(1,""),1,4,5,empty))",
         R"(toc(5,"B",goto(1,""),1,4,6,empty))", R"(toc(6,"C",goto(1,""),1,5,6,empty))"});
    EXPECT_EQ(object(pdf, 20), "<< /Title (Top) /Dest [ 0 /XYZ null null null ] /Parent 19 0 R  /Next 21 0 R  /Count -3 "
                               "/First 23 0 R /Last 25 0 R >> \nendobj\n");
    expectOutlineReferencesResolve(pdf);
}

TEST(Bookmarks, NestedItemsOnlyGiveAnEmptyRoot)
{
    const std::string pdf = producePdf({"apage([],[])", R"(toc(1,"A",goto(1,""),2,1,1,empty))",
                                        R"(toc(2,"B",goto(1,""),1,2,2,empty))"});
    EXPECT_EQ(object(pdf, 19), "<</Count 0 >> \nendobj\n");
    EXPECT_EQ(object(pdf, 20), "<< /Title (A) /Dest [ 0 /XYZ null null null ] /Parent 21 0 R    >> \nendobj\n");
    EXPECT_TRUE(hasObject(pdf, 21));
}

// An item whose title does not convert has no object, and its number is a
// free entry; the root names only items that exist.
TEST(Bookmarks, TitleThatDoesNotConvert)
{
    const std::string pdf = producePdf({"apage([],[])", R"(toc(1,"bad pdf(\"x",goto(1,""),0,1,2,empty))",
                                        R"(toc(2,"Good",goto(1,""),0,1,2,empty))"});
    EXPECT_FALSE(hasObject(pdf, 20));
    EXPECT_EQ(object(pdf, 21), "<< /Title (Good) /Dest [ 0 /XYZ null null null ] /Parent 19 0 R    >> \nendobj\n");
    EXPECT_EQ(object(pdf, 19), "<</First 21 0 R /Last 21 0 R /Count 1 >> \nendobj\n");
    const CrossReference x = crossReference(pdf);
    EXPECT_TRUE(x.free.count(20));
    EXPECT_TRUE(hasObject(pdf, 22)) << "the font resource dictionary";
}

// Input the composer never writes: every file is still sound, no number
// serves two objects and no outline reference lands elsewhere.
TEST(Bookmarks, IrregularTreesTable)
{
    struct Case {
        const char *name;
        std::initializer_list<std::string_view> tocs;
    };
    const Case cases[] = {
        {"ids out of order",
         {R"(toc(3,"C",goto(1,""),0,2,3,empty))", R"(toc(1,"A",goto(1,""),0,1,2,empty))",
          R"(toc(2,"B",goto(1,""),0,1,3,empty))"}},
        {"gaps", {R"(toc(1,"A",goto(1,""),0,1,5,empty))", R"(toc(5,"E",goto(1,""),0,1,5,empty))"}},
        {"duplicate ids", {R"(toc(1,"A",goto(1,""),0,1,1,empty))", R"(toc(1,"Again",goto(1,""),0,1,1,empty))"}},
        {"id 0", {R"(toc(0,"Zero",goto(1,""),0,0,0,empty))", R"(toc(1,"A",goto(1,""),0,1,1,empty))"}},
        {"missing relatives", {R"(toc(1,"A",goto(1,""),7,9,8,sub(2,11,12)))", R"(toc(2,"B",goto(1,""),0,3,4,empty))"}},
        {"huge id", {R"(toc(4000000000,"Far",goto(1,""),0,1,1,empty))", R"(toc(1,"A",goto(1,""),0,1,1,empty))"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Document doc = simDocument(c.tocs);
        doc.append(simDocument({R"(snippet(1,0,[0,0,1,1],[1,0,0,1,0,0],"Text"))"}, false).snippets().front());
        doc.append(simDocument({"apage([],[1])"}, false).pages().front());
        const std::string pdf = produce(doc);
        const CrossReference x = crossReference(pdf);
        ASSERT_EQ(x.problem, "");
        for (auto [number, offset] : x.inUse)
            EXPECT_EQ(pdf.substr(offset, std::to_string(number).size() + 7), std::to_string(number) + " 0 obj\r");
        EXPECT_EQ(x.inUse.size() + x.free.size(), x.size);
        EXPECT_EQ(count(pdf, " 0 obj\r\n"), x.inUse.size()) << "each number opens one object";
        expectOutlineReferencesResolve(pdf);
        EXPECT_NE(object(pdf, x.size - 1).find("/Type /Page "), std::string::npos) << "the page is the last object";
    }
}

TEST(Bookmarks, ReaderResolvesEveryTitleToItsPage)
{
    test::TempDir dir;
    const std::string path = dir.file("outline.pdf");
    produceAt(simDocument({"apage([paper(0,0,8.5,11)],[])", "apage([paper(0,0,8.5,11)],[])",
                           "apage([paper(0,0,8.5,11)],[])", R"(toc(1,"One",goto(1,""),0,1,2,empty))",
                           R"(toc(2,"Intro",goto(2,""),0,1,5,sub(2,3,4)))", R"(toc(3,"Sub A",goto(3,""),2,3,4,empty))",
                           R"(toc(4,"Sub B",go(1,"[ % /Fit ]"),2,3,4,empty))",
                           R"(toc(5,"Last",goto(3,"[ % /FitH 700 ]"),0,2,5,empty))"}),
              path);
    const test::CommandResult r = test::runCommand("mutool show '" + path + "' outline");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "|\t\"One\"\t#page=1&zoom=nan,nan,nan\n"
                        "+\t\"Intro\"\t#page=2&zoom=nan,nan,nan\n"
                        "|\t\t\"Sub A\"\t#page=3&zoom=nan,nan,nan\n"
                        "|\t\t\"Sub B\"\t#page=1&view=Fit\n"
                        "|\t\"Last\"\t#page=3&view=FitH,92\n")  // 700 from the bottom of a 792-point page
        << "no warning either: the last item is a top-level one";
}

// Facts in tree order end with the last chapter's sections: the root's
// /Last must still be the last chapter, or readers repair the outline.
TEST(Bookmarks, LastFactNestedStillGivesAWellFormedRoot)
{
    test::TempDir dir;
    const std::string path = dir.file("tree.pdf");
    produceAt(simDocument({"apage([paper(0,0,8.5,11)],[])", "apage([paper(0,0,8.5,11)],[])",
                           R"(toc(1,"Chapter 1",goto(1,""),0,1,2,empty))",
                           R"(toc(2,"Chapter 2",goto(2,""),0,1,2,sub(1,3,3)))",
                           R"(toc(3,"Section 2.1",goto(2,""),2,3,3,empty))"}),
              path);
    const std::string pdf = test::readFile(path);
    EXPECT_EQ(object(pdf, 19), "<</First 20 0 R /Last 21 0 R /Count 2 >> \nendobj\n");
    const test::CommandResult r = test::runCommand("mutool show '" + path + "' outline");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "|\t\"Chapter 1\"\t#page=1&zoom=nan,nan,nan\n"
                        "+\t\"Chapter 2\"\t#page=2&zoom=nan,nan,nan\n"
                        "|\t\t\"Section 2.1\"\t#page=2&zoom=nan,nan,nan\n");
}
