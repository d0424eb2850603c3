// Loading, pushing and saving: the documents they leave, the exact messages
// the host receives, and when the error count grows.
#include "sim/session.h"
#include "sim/writer.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace kordoc::sim;
using kordoc::test::crlf;
using kordoc::test::exists;
using kordoc::test::readFile;
using kordoc::test::TempDir;
using kordoc::test::writeFile;

namespace {

// A session whose host folder is a fresh folder, optionally holding an
// error-message file, and which records what it reports.
struct Host {
    explicit Host(bool listening = true, const std::string &errorFile = "")
    {
        if (!errorFile.empty())
            writeFile(dir.file("VELMOR.ERR"), errorFile);
        if (listening)
            session.setReporter([this](const std::string &m) { messages.push_back(m); });
    }
    std::string file(const std::string &name, const std::string &content) const
    {
        writeFile(dir.file(name), content);
        return dir.file(name);
    }
    TempDir dir;
    Session session{dir.path() + "/"};
    std::vector<std::string> messages;
};

const char *const errorFile =
    "# Messages\r\n"
    "\r\n"
    "# 1406 | commented out | no\r\n"
    "  1407 |  Unknown name  | Check the spelling. \r\n"
    "1407 | Second entry | ignored\r\n"
    "1401|Integer expected\r\n"
    "not a code | x | y\r\n";

}  // namespace

TEST(Session, PushMessages)
{
    const std::string fallback = "(Refer VELMOR.ERR for explanation)\n";
    struct Case {
        bool withFile;
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {false, "bogus", "Error 1407\n" + fallback + "\nLine:bogus\nPosition: 5"},
        {false, "apage([],[1]) junk", "Error 1047\n" + fallback + "\nLine:apage([],[1]) junk\nPosition: 15"},
        {false, "", "Error 1407\n" + fallback + "\nLine:\nPosition: 0"},
        {false, "snippet(1,0,[],[],\"open", "Error 1403\n" + fallback + "\nLine:snippet(1,0,[],[],\"open\nPosition: 23"},
        {true, "bogus", "Error 1407\nUnknown name\nCheck the spelling.\n\nLine:bogus\nPosition: 5"},
        {true, "apage([],[x])", "Error 1401\nInteger expected\n\n\nLine:apage([],[x])\nPosition: 10"},
        {true, "apage([],[1 2])", "Error 1406\n" + fallback + "\nLine:apage([],[1 2])\nPosition: 13"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Host host(true, c.withFile ? errorFile : "");
        host.session.push("catalog(\"kept\")");
        host.session.push(c.text);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], c.message);
        EXPECT_EQ(host.session.errorCount(), 1);
        EXPECT_EQ(documentText(host.session.document()), "catalog(\"kept\")\n");
        EXPECT_EQ(host.session.lastLine(), c.text);
    }
}

TEST(Session, PushCountsEvenWithoutReporter)
{
    Host host(false);
    host.session.push("bogus");
    host.session.push("catalog(1)");
    EXPECT_EQ(host.session.errorCount(), 2);
    EXPECT_TRUE(host.session.document().empty());
    EXPECT_EQ(host.session.lastError().code, 1403);
    EXPECT_EQ(host.session.lastError().position, 9u);
}

TEST(Session, PushAddsFactsFirstSnippetWins)
{
    Host host;
    host.session.push("snippet(1,0,[],[],\"first\")\n");
    host.session.push("snippet(1,0,[],[],\"second\")");
    host.session.push("apage([],[1]) \t\r\n");
    host.session.push("apage([],[1])");
    host.session.push("snippet(2,0,[],[],\"two\")");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.session.errorCount(), 0);
    EXPECT_EQ(documentText(host.session.document()),
              "snippet(1,0,[],[],\"first\")\nsnippet(2,0,[],[],\"two\")\napage([],[1])\napage([],[1])\n");
}

TEST(Session, LoadKeepsFactsBeforeTheFailingLine)
{
    const std::string content = "catalog(\"a\")\r\napage([],[1])\nsnippet(1,0,[],[],\"s\") trailing text\nbogus(\n"
                                "snippet(2,0,[],[],\"never\")\n";
    for (bool listening : {true, false}) {
        SCOPED_TRACE(listening);
        Host host(listening);
        const std::string path = host.file("four.sim", content);
        host.session.load(path);
        EXPECT_EQ(documentText(host.session.document()),
                  "catalog(\"a\")\nsnippet(1,0,[],[],\"s\")\napage([],[1])\n");
        EXPECT_EQ(host.session.lastError().code, 1407);
        EXPECT_EQ(host.session.lastError().position, 5u);
        EXPECT_EQ(host.session.lastLine(), "bogus(");
        EXPECT_EQ(host.session.errorCount(), listening ? 1 : 0);
        if (listening) {
            EXPECT_EQ(host.messages, std::vector<std::string>{path + "\nwas NOT loaded!"});
        }
    }
}

TEST(Session, LoadOutcomes)
{
    struct Case {
        const char *name;
        std::string content;  // nullptr-like: see kind
        int kind;             // 0 file, 1 missing, 2 directory
        std::string document;
        bool loaded;
        int code;  // of the failing line
    };
    const Case cases[] = {
        {"empty file", "", 0, "", true, 0},
        {"final line feed", "catalog(\"a\")\n", 0, "catalog(\"a\")\n", true, 0},
        {"no final line feed", "catalog(\"a\")\napage([],[])", 0, "catalog(\"a\")\napage([],[])\n", true, 0},
        {"empty last line", "catalog(\"a\")\n\n", 0, "catalog(\"a\")\n", false, 1407},
        {"blank line", "catalog(\"a\")\n \t\ncatalog(\"b\")\n", 0, "catalog(\"a\")\n", false, 1407},
        {"carriage returns anywhere", "cata\rlog(\"a\r\rb\")\r\n\r", 0, "catalog(\"ab\")\n", true, 0},
        {"NUL after a fact", std::string("catalog(\"a\")\0\x01\xff\n", 16), 0, "catalog(\"a\")\n", true, 0},
        {"open string", "catalog(\"a)\n", 0, "", false, 1403},
        {"missing file", "", 1, "", false, 0},
        {"directory", "", 2, "", false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Host host;
        host.session.push("catalog(\"before\")");
        std::string path = host.dir.file("in.sim");
        if (c.kind == 0)
            writeFile(path, c.content);
        else if (c.kind == 2)
            std::filesystem::create_directory(path);
        host.session.load(path);
        EXPECT_EQ(documentText(host.session.document()), c.document);
        if (c.loaded) {
            EXPECT_TRUE(host.messages.empty());
            EXPECT_EQ(host.session.errorCount(), 0);
        } else {
            EXPECT_EQ(host.messages, std::vector<std::string>{path + "\nwas NOT loaded!"});
            EXPECT_EQ(host.session.errorCount(), 1);
        }
        if (c.code) {
            EXPECT_EQ(host.session.lastError().code, c.code);
        }
    }
}

// A file that exists but cannot be opened. Root reads any file, so the
// load runs in a child process that has become the unprivileged "nobody".
TEST(Session, LoadUnreadableFile)
{
    Host host;
    const std::string path = host.file("locked.sim", "catalog(\"a\")\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    ASSERT_EQ(::chmod(host.dir.path().c_str(), 0755), 0);
    host.session.push("catalog(\"before\")");
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                std::_Exit(2);
            host.session.load(path);
            bool ok = host.session.document().empty() &&
                      host.messages == std::vector<std::string>{path + "\nwas NOT loaded!"} &&
                      host.session.errorCount() == 1;
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A saved file is CR LF text that reads back to the same document, reals
// rounded to ten significant digits.
TEST(Session, SaveWritesCrLfAndReadsBack)
{
    Host host;
    for (const char *text : {
             "toc(1,\"Intro \\\"one\\\"\",goto(1,\"/XYZ null null null\"),0,1,1,sub(1,2,2))",
             "apage([paper(0,0,8.5,11),crop(0.25,0.25,8.25,10.75),ex(\"/Rotate 90\")],[1,2,1])",
             "snippet(1,1,[0,0,8,1],[1,0,0,1,0.33333333333333,10.5],\"Header\\nline \\\\ two\")",
             "info(\"A\",\"B\",\"C\",\"D\",\"E\")",
             "snippet(2,0,[0,0,1e-7,12345678901],[1,0,0,1,0,0],\"\xe9\tx\")",
             "catalog(\"/PageMode /UseOutlines\")",
             "defaults([paper(0,0,8.5,11)])",
             "toc(2,\"Sub\",go(-1,\"x\"),1,2,2,empty)",
         })
        host.session.push(text);
    ASSERT_TRUE(host.messages.empty());
    const std::string path = host.dir.file("out.sim");
    writeFile(path, "old content that is replaced\n");
    host.session.save(path);
    ASSERT_TRUE(host.messages.empty());
    const std::string expected = R"(catalog("/PageMode /UseOutlines")
info("A","B","C","D","E")
defaults([paper(0,0,8.5,11)])
snippet(1,1,[0,0,8,1],[1,0,0,1,0.3333333333,10.5],"Header\nline \\ two")
snippet(2,0,[0,0,1E-07,1.23456789E+10],[1,0,0,1,0,0],")"
                                 "\xe9\tx"
                                 R"(")
apage([paper(0,0,8.5,11),crop(0.25,0.25,8.25,10.75),ex("/Rotate 90")],[1,2,1])
toc(1,"Intro \"one\"",goto(1,"/XYZ null null null"),0,1,1,sub(1,2,2))
toc(2,"Sub",go(-1,"x"),1,2,2,empty)
)";
    EXPECT_EQ(readFile(path), crlf(expected));

    Host again;
    again.session.load(path);
    ASSERT_TRUE(again.messages.empty());
    EXPECT_EQ(documentText(again.session.document()), expected);
    const SnippetFact *header = again.session.document().findSnippet(1);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->stream, "Header\nline \\ two");
    EXPECT_EQ(header->matrix[4], 0.3333333333);
    const std::string second = again.dir.file("again.sim");
    again.session.save(second);
    EXPECT_EQ(readFile(second), readFile(path));
    // Nothing but the file itself is left in the folder.
    std::size_t entries = 0;
    for (const auto &e : std::filesystem::directory_iterator(host.dir.path()))
        entries += e.path().filename() != "out.sim";
    EXPECT_EQ(entries, 0u);
}

TEST(Session, SaveRenumbersPicturesFirst)
{
    Host host;
    kordoc::test::WorkingFolder cwd(host.dir.path());
    writeFile(host.dir.file("photo.jpg"), std::string("\xFF\xD8\xFF\xD9", 4));
    host.session.push("snippet(5,0,[],[],\"text\")");
    host.session.push("snippet(9,0,[0,0,64,48],[],\"photo.jpg\")");
    host.session.push("apage([],[5,9,4])");
    host.session.push("apage([],[4])");
    host.session.save("out.sim");
    EXPECT_EQ(readFile(host.dir.file("out.sim")), crlf(R"(snippet(1,0,[0,0,64,48],[],"photo.jpg")
snippet(2,0,[],[],"text")
apage([],[2,1])
apage([],[])
)"));
    // The document in memory was renumbered too.
    EXPECT_EQ(host.session.document().snippets().front().stream, "photo.jpg");
}

TEST(Session, SaveFailures)
{
    for (bool listening : {true, false}) {
        SCOPED_TRACE(listening);
        Host host(listening);
        host.session.push("catalog(\"a\")");
        const std::string missing = host.dir.file("no/such/folder/out.sim");
        host.session.save(missing);
        EXPECT_FALSE(exists(missing));
        const std::string folder = host.dir.file("folder");
        std::filesystem::create_directory(folder);
        host.session.save(folder);
        EXPECT_TRUE(std::filesystem::is_directory(folder));
        EXPECT_EQ(host.session.errorCount(), listening ? 2 : 0);
        if (listening) {
            EXPECT_EQ(host.messages,
                      (std::vector<std::string>{missing + "\nwas NOT saved!", folder + "\nwas NOT saved!"}));
        }
        std::size_t entries = 0;
        for (const auto &e : std::filesystem::directory_iterator(host.dir.path()))
            entries += e.path().filename() != "folder";
        EXPECT_EQ(entries, 0u) << "a temporary file was left behind";
    }
}

TEST(Session, SaveEmptyDocumentWritesEmptyFile)
{
    Host host;
    host.session.save(host.dir.file("empty.sim"));
    EXPECT_TRUE(exists(host.dir.file("empty.sim")));
    EXPECT_EQ(readFile(host.dir.file("empty.sim")), "");
    EXPECT_TRUE(host.messages.empty());
}

TEST(Session, ReportAndClear)
{
    Host quiet(false);
    quiet.session.report("not heard");
    EXPECT_EQ(quiet.session.errorCount(), 0);
    quiet.session.reportAlways("counted");
    EXPECT_EQ(quiet.session.errorCount(), 1);

    Host host;
    host.session.report("one");
    host.session.reportAlways("two");
    host.session.push("catalog(\"x\")");
    EXPECT_EQ(host.messages, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(host.session.errorCount(), 2);
    host.session.clear();
    EXPECT_EQ(host.session.errorCount(), 0);
    EXPECT_TRUE(host.session.document().empty());
}
