// Automatic pages: renumbering (pictures first, page lists follow) and the
// splitting of texts at "<page>" lines into snippets and pages of their own.
// Documents are written and compared as sim text.
#include "sim/autopages.h"
#include "sim/reader.h"
#include "sim/writer.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace kordoc::sim;
using kordoc::test::TempDir;
using kordoc::test::WorkingFolder;
using kordoc::test::writeFile;

namespace {

Document documentOf(const std::vector<std::string> &facts)
{
    Document doc;
    for (const std::string &text : facts) {
        TermReader r(text);
        Fact f;
        EXPECT_TRUE(r.readFact(f)) << text << ": " << r.error().code << " at " << r.error().position;
        doc.append(std::move(f));
    }
    return doc;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t lf; (lf = text.find('\n', from)) != std::string::npos; from = lf + 1)
        out.push_back(text.substr(from, lf - from));
    return out;
}

// Streams that name files: the files live in a folder that is the working
// folder while the document is rewritten.
class AutoPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(dir_.file("pic.jpg"), std::string("\xFF\xD8\xFF\xD9", 4));
        writeFile(dir_.file("flow.txt"), "A $p\r\n<page>\r\nB $p\r\n");
        writeFile(dir_.file("note.txt"), "Note $p\r\nline");
        writeFile(dir_.file("data.z"), "passed through\n<page>\nunchanged\n");
    }
    TempDir dir_;
    WorkingFolder cwd_{dir_.path()};
};

}  // namespace

TEST_F(AutoPages, RenumberAndGenerate)
{
    struct Case {
        const char *name;
        std::vector<std::string> in;
        std::vector<std::string> out;  // snippets, then pages
    };
    const Case cases[] = {
        {"header and two marks",
         {R"(snippet(1,1,[0,0,8,1],[1,0,0,1,0,10],"Header $p"))",
          R"(snippet(2,0,[0,0,8,9],[1,0,0,1,0,0.5],"A $p\n<page>\nB $p\n<page>\nC $p $p"))",
          R"(apage([paper(0,0,8.5,11)],[1,2]))"},
         {R"(snippet(1,0,[0,0,8,1],[1,0,0,1,0,10],"Header 1"))", R"(snippet(2,0,[0,0,8,9],[1,0,0,1,0,0.5],"A 1"))",
          R"(snippet(3,0,[0,0,8,9],[1,0,0,1,0,0.5],"B 2"))", R"(snippet(4,0,[0,0,8,9],[1,0,0,1,0,0.5],"C 3 $p"))",
          R"(apage([paper(0,0,8.5,11)],[1,2]))", R"(apage([paper(0,0,8.5,11)],[3,1]))",
          R"(apage([paper(0,0,8.5,11)],[4,1]))"}},
        {"a mark at the very start or end is text",
         {R"(snippet(1,0,[],[],"<page>\nA"))", R"(snippet(2,0,[],[],"B\n<page>"))", R"(apage([],[1,2]))"},
         {R"(snippet(1,0,[],[],"<page>\nA"))", R"(snippet(2,0,[],[],"B\n<page>"))", R"(apage([],[1,2]))"}},
        {"marks around an empty line give an empty piece",
         {R"(snippet(1,0,[],[],"A\n<page>\n\n<page>\nB"))", R"(apage([],[1]))"},
         {R"(snippet(1,0,[],[],"A"))", R"(snippet(2,0,[],[],""))", R"(snippet(3,0,[],[],"B"))", R"(apage([],[1]))",
          R"(apage([],[2]))", R"(apage([],[3]))"}},
        {"two marks in a row are one mark",
         {R"(snippet(1,0,[],[],"A\n<page>\n<page>\nB"))", R"(apage([],[1]))"},
         {R"(snippet(1,0,[],[],"A"))", R"(snippet(2,0,[],[],"<page>\nB"))", R"(apage([],[1]))", R"(apage([],[2]))"}},
        {"a final mark line leaves an empty last piece",
         {R"(snippet(1,0,[],[],"A\n<page>\n"))", R"(apage([],[1]))"},
         {R"(snippet(1,0,[],[],"A"))", R"(snippet(2,0,[],[],""))", R"(apage([],[1]))", R"(apage([],[2]))"}},
        {"$p is numbered per piece, first occurrence only",
         {R"(snippet(1,0,[],[],"x\n<page>\nno mark\n<page>\n$p$p"))", R"(apage([],[1]))"},
         {R"(snippet(1,0,[],[],"x"))", R"(snippet(2,0,[],[],"no mark"))", R"(snippet(3,0,[],[],"3$p"))",
          R"(apage([],[1]))", R"(apage([],[2]))", R"(apage([],[3]))"}},
        {"a split snippet with flag 1 is not repeated; one-piece flagged ones are",
         {R"(snippet(1,1,[],[],"A\n<page>\nB"))", R"(snippet(2,1,[],[],"H"))", R"(snippet(3,0,[],[],"F"))",
          R"(apage([],[1,2,3]))"},
         {R"(snippet(1,0,[],[],"A"))", R"(snippet(2,0,[],[],"B"))", R"(snippet(3,0,[],[],"H"))",
          R"(snippet(4,0,[],[],"F"))", R"(apage([],[1,3,4]))", R"(apage([],[2,3]))"}},
        {"unknown numbers leave the list, the page stays",
         {R"(snippet(1,0,[],[],"A"))", R"(apage([],[1,9,1,-1]))", R"(apage([],[9]))", R"(apage([],[]))"},
         {R"(snippet(1,0,[],[],"A"))", R"(apage([],[1,1]))", R"(apage([],[]))", R"(apage([],[]))"}},
        {"generated pages follow their page, by snippet then piece",
         {R"(snippet(1,0,[],[],"a\n<page>\nb"))", R"(snippet(2,0,[],[],"c\n<page>\nd\n<page>\ne"))",
          R"(snippet(3,1,[],[],"h"))", R"(apage([ex("p1")],[1,2,3]))", R"(apage([ex("p2")],[2]))"},
         {R"(snippet(1,0,[],[],"a"))", R"(snippet(2,0,[],[],"b"))", R"(snippet(3,0,[],[],"c"))",
          R"(snippet(4,0,[],[],"d"))", R"(snippet(5,0,[],[],"e"))", R"(snippet(6,0,[],[],"h"))",
          R"(apage([ex("p1")],[1,3,6]))", R"(apage([ex("p1")],[2,6]))", R"(apage([ex("p1")],[4,6]))",
          R"(apage([ex("p1")],[5,6]))", R"(apage([ex("p2")],[3]))", R"(apage([ex("p2")],[4]))",
          R"(apage([ex("p2")],[5]))"}},
        {"a split snippet named twice on a page generates twice",
         {R"(snippet(1,0,[],[],"a\n<page>\nb"))", R"(apage([],[1,1]))"},
         {R"(snippet(1,0,[],[],"a"))", R"(snippet(2,0,[],[],"b"))", R"(apage([],[1,1]))", R"(apage([],[2]))",
          R"(apage([],[2]))"}},
        {"pictures are numbered first",
         {R"(snippet(7,0,[],[],"T"))", R"(snippet(3,1,[0,0,10,20],[],"pic.jpg"))", R"(apage([],[7,3]))"},
         {R"(snippet(1,1,[0,0,10,20],[],"pic.jpg"))", R"(snippet(2,0,[],[],"T"))", R"(apage([],[2,1]))"}},
        {"a picture with flag 1 is not repeated",
         {R"(snippet(1,0,[],[],"A\n<page>\nB"))", R"(snippet(2,1,[],[],"pic.jpg"))", R"(apage([],[1,2]))"},
         {R"(snippet(1,1,[],[],"pic.jpg"))", R"(snippet(2,0,[],[],"A"))", R"(snippet(3,0,[],[],"B"))",
          R"(apage([],[2,1]))", R"(apage([],[3]))"}},
        {"a missing picture is text",
         {R"(snippet(1,0,[],[],"gone.jpg"))", R"(apage([],[1]))"},
         {R"(snippet(1,0,[],[],"gone.jpg"))", R"(apage([],[1]))"}},
        {"marks written with CR LF in a file",
         {R"(snippet(1,0,[],[],"flow.txt"))", R"(apage([],[1]))"},
         {R"(snippet(1,0,[],[],"A 1"))", R"(snippet(2,0,[],[],"B 2\n"))", R"(apage([],[1]))", R"(apage([],[2]))"}},
        {"a file without a mark becomes inline text",
         {R"(snippet(1,0,[],[],"note.txt"))", R"(apage([],[1]))"},
         {R"(snippet(1,0,[],[],"Note 1\nline"))", R"(apage([],[1]))"}},
        {"a passed-through file after a split text keeps a number of its own",
         {R"(snippet(1,0,[],[],"a\n<page>\nb\n<page>\nc"))", R"(snippet(2,1,[],[],"data.z"))",
          R"(snippet(3,1,[],[],"t"))", R"(apage([],[1,2,3]))"},
         {R"(snippet(1,0,[],[],"a"))", R"(snippet(2,0,[],[],"b"))", R"(snippet(3,0,[],[],"c"))",
          R"(snippet(4,1,[],[],"data.z"))", R"(snippet(5,0,[],[],"t"))", R"(apage([],[1,4,5]))",
          R"(apage([],[2,5]))", R"(apage([],[3,5]))"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Document doc = documentOf(c.in);
        renumber(doc);
        generatepages(doc);
        EXPECT_EQ(lines(documentText(doc)), c.out);
        std::set<std::uint32_t> ids;
        for (const SnippetFact &s : doc.snippets())
            EXPECT_TRUE(ids.insert(s.id).second) << "number " << s.id << " twice";
    }
}

TEST_F(AutoPages, RenumberAloneAndAgain)
{
    Document doc = documentOf({
        R"(snippet(5,1,[],[],"text five"))",
        R"(snippet(9,0,[],[],"pic.jpg"))",
        R"(snippet(5,0,[],[],"second five"))",
        R"(snippet(2,0,[],[],"a\n<page>\nb"))",
        R"(apage([],[5,9,2,4]))",
        R"(apage([],[9]))",
    });
    renumber(doc);
    const std::vector<std::string> once = {
        R"(snippet(1,0,[],[],"pic.jpg"))",        R"(snippet(2,1,[],[],"text five"))",
        R"(snippet(3,0,[],[],"second five"))",    R"(snippet(4,0,[],[],"a\n<page>\nb"))",
        R"(apage([],[2,1,4]))",                   R"(apage([],[1]))",
    };
    EXPECT_EQ(lines(documentText(doc)), once);
    ASSERT_NE(doc.findSnippet(4), nullptr);
    EXPECT_EQ(doc.findSnippet(4)->stream, "a\n<page>\nb");
    renumber(doc);
    EXPECT_EQ(lines(documentText(doc)), once);
}

TEST(AutoPagesNoFiles, EmptyDocumentStaysEmpty)
{
    Document doc;
    renumber(doc);
    generatepages(doc);
    EXPECT_TRUE(doc.empty());
}
