// The term reader: every error code with its exact position, the value
// forms of each declared kind, and the statement and byte-block readers.
#include "sim/reader.h"
#include "sim/writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace kordoc::sim;
using namespace std::string_literals;

namespace {

struct Outcome {
    bool ok = false;
    int code = 0;
    std::size_t position = 0;
    Fact fact;
};

Outcome readOne(const std::string &line)
{
    TermReader r(line);
    Outcome o;
    o.ok = r.readFact(o.fact);
    o.code = r.error().code;
    o.position = r.error().position;
    return o;
}

std::string printable(const std::string &s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c < 32 || c > 126) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out.size() > 120 ? out.substr(0, 120) + "..." : out;
}

const std::string tocHead = "toc(1,\"t\",go(1,\"x\"),0,1,1,";  // 26 characters

}  // namespace

// Lines that must fail, with the code and the number of characters consumed
// when the failure was detected.
TEST(Reader, ErrorCodesAndPositions)
{
    struct Case {
        std::string line;
        int code;
        std::size_t position;
    };
    const Case cases[] = {
        // 1407: unknown names, consumed up to their delimiter.
        {"", 1407, 0},
        {"   ", 1407, 3},
        {"\tcatalog(\"a\")", 1407, 8},
        {"apage ([],[1])", 1407, 6},
        {"Catalog(\"a\")", 1407, 7},
        {"bogus", 1407, 5},
        {"cat\0alog(\"a\")"s, 1407, 8},
        {"cata\x01log(\"a\")", 1407, 8},
        {"defaults([pape(0,0,1,1)])", 1407, 14},
        {"defaults([paper 0,0,1,1)])", 1407, 17},
        {"defaults([ex(\"a\"),])", 1407, 18},
        {"toc(1,\"t\",gone(1,\"x\"),0,1,1,empty)", 1407, 14},
        {tocHead + "empty (", 1407, 32},
        {tocHead + "none)", 1407, 30},
        {tocHead + "empty )", 1407, 32},
        // 1408: a name that takes arguments without "(".
        {"catalog", 1408, 7},
        {"catalog)", 1408, 8},
        {"catalog,\"a\")", 1408, 8},
        {"defaults([crop])", 1408, 15},
        // 1409: argument lists.
        {"catalog(\"a\"", 1409, 11},
        {"catalog(\"a\",\"b\")", 1409, 12},
        {"catalog(\"a\" x)", 1409, 13},
        {"apage([])", 1409, 9},
        {"defaults([paper(0,0,1,1])", 1409, 24},
        {"snippet(0x1G,0,[],[],\"\")", 1409, 12},
        {"snippet(1a,0,[],[],\"\")", 1409, 10},
        {tocHead + "empty(x)", 1409, 33},
        {tocHead + "empty(", 1409, 32},
        {tocHead + "empty()x", 1409, 34},
        {tocHead + "sub(1,2))", 1409, 34},
        // 1403: strings.
        {"catalog(a)", 1403, 9},
        {"catalog( a)", 1403, 10},
        {"catalog(\"abc)", 1403, 13},
        {"catalog(\"a\\\")", 1403, 13},
        {"catalog(\"a\0b\")"s, 1403, 10},
        {"toc(1,\"t\",go(1,x),0,1,1,empty)", 1403, 16},
        // 1405 and 1406: lists.
        {"defaults(x)", 1405, 10},
        {"defaults( x)", 1405, 11},
        {"defaults(", 1405, 9},
        {"apage([],1)", 1405, 10},
        {"defaults([paper(0,0,1,1) crop(0,0,1,1)])", 1406, 26},
        {"apage([],[1 2])", 1406, 13},
        {"apage([],[1", 1406, 11},
        // 1402: reals; the number is not consumed, the blanks before it are.
        {"defaults([paper(0,0,1,x)])", 1402, 22},
        {"defaults([paper(0,0,1,  x)])", 1402, 24},
        {"defaults([paper(0,0,1,.)])", 1402, 22},
        {"defaults([paper(0,0,1,-)])", 1402, 22},
        {"defaults([paper(0,0,1,1e999)])", 1402, 22},
        // 1401 and 1031: integer kinds.
        {"apage([],[1,])", 1401, 12},
        {"apage([],[x])", 1401, 10},
        {"apage([],[ -])", 1401, 11},
        {"apage([],[+1])", 1401, 10},
        {"apage([],[2147483648])", 1031, 10},
        {"apage([],[ -2147483648])", 1031, 11},
        {"snippet(-1,0,[],[],\"\")", 1401, 8},
        {"snippet(-0,0,[],[],\"\")", 1401, 8},
        {"snippet(0x,0,[],[],\"\")", 1401, 8},
        {"snippet(0O8,0,[],[],\"\")", 1401, 8},
        {"snippet(4294967296,0,[],[],\"\")", 1031, 8},
        {"snippet(0x100000000,0,[],[],\"\")", 1031, 8},
        {"snippet(0o40000000000,0,[],[],\"\")", 1031, 8},
        {"snippet(" + std::string(1000, '9') + ",0,[],[],\"\")", 1031, 8},
        {"snippet(1,256,[],[],\"\")", 1031, 10},
        {"snippet(1, 0x100,[],[],\"\")", 1031, 11},
        {"snippet(1,-5,[],[],\"\")", 1401, 10},
        {"toc(1,\"t\",go(2147483648,\"x\"),0,1,1,empty)", 1031, 13},
        {"toc(-1,\"t\",go(1,\"x\"),0,1,1,empty)", 1401, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(printable(c.line));
        Outcome o = readOne(c.line);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.code, c.code);
        EXPECT_EQ(o.position, c.position);
    }
}

// Lines that read, shown by the canonical text they write back as.
TEST(Reader, AcceptedFormsWriteBackCanonically)
{
    struct Case {
        std::string line;
        std::string canonical;
    };
    const Case cases[] = {
        {"apage([paper(0,0,8.5,11)],[1,2])", "apage([paper(0,0,8.5,11)],[1,2])"},
        {"apage( [ paper( 0 , 0 , 8.5 , 11 ) ] , [ 1 , 2 ] )", "apage([paper(0,0,8.5,11)],[1,2])"},
        {"  catalog(\"a\")", "catalog(\"a\")"},
        {"catalog(\"a\") text after the fact", "catalog(\"a\")"},
        {"catalog(\"a\")\0after"s, "catalog(\"a\")"},
        {"info(\"a\",\"b\", \"c\" ,\"d\",\"e\")", "info(\"a\",\"b\",\"c\",\"d\",\"e\")"},
        {"defaults([])", "defaults([])"},
        {"defaults([ ])", "defaults([])"},
        {"defaults([crop(1,2,3,4),ex(\"/Rotate 90\"), paper(0,0,1,1)])",
         "defaults([crop(1,2,3,4),ex(\"/Rotate 90\"),paper(0,0,1,1)])"},
        {"snippet(4294967295,255,[],[],\"\")", "snippet(4294967295,255,[],[],\"\")"},
        {"snippet(0x1F,0o17,[],[],\"\")", "snippet(31,15,[],[],\"\")"},
        {"snippet(0X1f,0O17,[],[],\"\")", "snippet(31,15,[],[],\"\")"},
        {"snippet(0xffffffff,0XFF,[],[],\"\")", "snippet(4294967295,255,[],[],\"\")"},
        {"snippet(007,-0,[],[],\"\")", "snippet(7,0,[],[],\"\")"},
        {"snippet(0,00,[ 1 ],[],\"\")", "snippet(0,0,[1],[],\"\")"},
        {"apage([],[-2147483647,2147483647,-0x7FFFFFFF,0o17,-0])", "apage([],[-2147483647,2147483647,-2147483647,15,0])"},
        {tocHead + "empty)", tocHead + "empty)"},
        {tocHead + "empty())", tocHead + "empty)"},
        {tocHead + "empty( ))", tocHead + "empty)"},
        {"toc(2,\"t\",goto(-2,\"x\"),1,2,2,sub(0,0x3, 4 ))", "toc(2,\"t\",goto(-2,\"x\"),1,2,2,sub(0,3,4))"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(printable(c.line));
        Outcome o = readOne(c.line);
        ASSERT_TRUE(o.ok) << "code " << o.code << " at " << o.position;
        EXPECT_EQ(factText(o.fact), c.canonical);
    }
}

TEST(Reader, RealForms)
{
    const std::string head = "snippet(1,0,[", tail = "],[],\"\")";
    struct Case {
        std::string text;
        int code;               // 0: reads as value
        double value;           // when it reads
        std::size_t position;   // offset into text when it fails
    };
    const Case cases[] = {
        {"612", 0, 612, 0},
        {"5.", 0, 5, 0},
        {".5", 0, 0.5, 0},
        {"+.5", 0, 0.5, 0},
        {"-.5", 0, -0.5, 0},
        {"7.", 0, 7, 0},
        {"1.5e-3", 0, 1.5e-3, 0},
        {"1.5E-3", 0, 1.5e-3, 0},
        {"1.5E+3", 0, 1500, 0},
        {"00012.50", 0, 12.5, 0},
        {"  2", 0, 2, 0},
        {"1e-999", 0, 0, 0},
        {"-1e-999", 0, 0, 0},
        {"0." + std::string(400, '0') + "1", 0, 0, 0},
        {"1" + std::string(400, '0') + "e-100", 0, 1e300, 0},
        {".", 1402, 0, 0},
        {"-", 1402, 0, 0},
        {"+", 1402, 0, 0},
        {"--1", 1402, 0, 0},
        {"+-1", 1402, 0, 0},
        {" x", 1402, 0, 1},
        {"e5", 1402, 0, 0},
        {"1e999", 1402, 0, 0},
        {"-1e999", 1402, 0, 0},
        {"1" + std::string(400, '0'), 1402, 0, 0},
        {"1" + std::string(400, '0') + "e-10", 1402, 0, 0},
        // Reading stops at the first character that does not fit; the list
        // then finds it wrong.
        {"1.5e", 1406, 0, 4},
        {"1e+", 1406, 0, 2},
        {"0x10", 1406, 0, 2},
        {"1 .5", 1406, 0, 3},
        {"1,5", 0, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(printable(c.text));
        Outcome o = readOne(head + c.text + tail);
        if (c.code == 0) {
            ASSERT_TRUE(o.ok) << "code " << o.code << " at " << o.position;
            const auto &rect = std::get<SnippetFact>(o.fact).rect;
            ASSERT_FALSE(rect.empty());
            EXPECT_EQ(rect[0], c.value);
        } else {
            EXPECT_FALSE(o.ok);
            EXPECT_EQ(o.code, c.code);
            EXPECT_EQ(o.position, head.size() + c.position);
        }
    }
}

TEST(Reader, StringEscapes)
{
    struct Case {
        std::string written;  // between catalog( and )
        std::string text;
    };
    const Case cases[] = {
        {R"("")", ""},
        {R"("a\nb")", "a\nb"},
        {R"("a\rb")", "a\rb"},
        {R"("C:\\dir")", "C:\\dir"},
        {R"("say \"hi\"")", "say \"hi\""},
        {R"("a\tb")", "a\\tb"},
        {R"("\q")", "\\q"},
        {R"("a\\")", "a\\"},
        {R"("a\\\\b")", "a\\\\b"},
        {"\"tab\there\"", "tab\there"},
        {"\"\xe9\xff\x80\x7f\x01\"", "\xe9\xff\x80\x7f\x01"},
        {R"( "(,)]" )", "(,)]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(printable(c.written));
        Outcome o = readOne("catalog(" + c.written + ")");
        ASSERT_TRUE(o.ok) << "code " << o.code << " at " << o.position;
        EXPECT_EQ(std::get<CatalogFact>(o.fact).text, c.text);
    }
}

// After a pushed fact only whitespace may follow: blank, 9 to 13 and 26.
TEST(Reader, PushedTextRule)
{
    struct Case {
        std::string text;
        bool ok;
        std::size_t position;
    };
    const Case cases[] = {
        {"catalog(\"a\")", true, 0},
        {"catalog(\"a\") \t\r\n\v\f\x1a", true, 0},
        {"catalog(\"a\")\n", true, 0},
        {"catalog(\"a\") x", false, 14},
        {"apage([],[1]) junk", false, 15},
        {"catalog(\"a\")\0"s, false, 13},
        {"catalog(\"a\")\x1b", false, 13},
        {"catalog(\"a\")\xa0", false, 13},
        {"catalog(\"a\")\n\ncatalog(\"b\")", false, 15},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(printable(c.text));
        TermReader r(c.text);
        Fact f;
        ASSERT_TRUE(r.readFact(f));
        EXPECT_EQ(r.expectOnlyWhitespace(), c.ok);
        if (!c.ok) {
            EXPECT_EQ(r.error().code, 1047);
            EXPECT_EQ(r.error().position, c.position);
        }
    }
}

namespace {

std::string describe(const Statement &st)
{
    auto reals = [](const std::vector<double> &v) {
        std::string s;
        for (double d : v)
            appendReal(s += s.empty() ? "" : " ", d);
        return "[" + s + "]";
    };
    auto target = [](const Target &t) {
        return std::string(t.kind == Target::Kind::Go ? "go " : "goto ") + std::to_string(t.page) + " " + t.text;
    };
    return std::visit(
        [&](const auto &s) -> std::string {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, TextAnnotationStmt>)
                return "textannotation " + reals(s.rect) + " " + s.extra + "|" + s.contents;
            else if constexpr (std::is_same_v<T, AnnotStmt>)
                return "annot " + reals(s.rect) + " " + s.extra + "|" + s.movie;
            else if constexpr (std::is_same_v<T, LinkStmt>)
                return "link " + reals(s.rect) + " " + s.border + "|" + target(s.target);
            else if constexpr (std::is_same_v<T, UseFontStmt>)
                return "usefont " + std::to_string(s.font) + " " + std::to_string(s.size);
            else
                return "pdf " + s.text;
        },
        st);
}

}  // namespace

TEST(Reader, Statements)
{
    struct Case {
        std::string line;
        std::string result;  // empty: must fail
        int code;
        std::size_t position;
    };
    const Case cases[] = {
        {"textannotation([0,0,1,1],\"/C [1 0 0]\",\"note\")", "textannotation [0 0 1 1] /C [1 0 0]|note", 0, 0},
        {"annot([1,2,3,4],\"\",\"movie.mov\")", "annot [1 2 3 4] |movie.mov", 0, 0},
        {"link([0,0,1,1],\"0 0 1\",go(0,\"http://x\"))", "link [0 0 1 1] 0 0 1|go 0 http://x", 0, 0},
        {"link([.5,0,1,1],\"\",goto(-3,\"/Fit\"))", "link [0.5 0 1 1] |goto -3 /Fit", 0, 0},
        {"usefont(0x3,12)", "usefont 3 12", 0, 0},
        {" pdf(\"BT ET\")", "pdf BT ET", 0, 0},
        {"pdf(\"q\") and text after it", "pdf q", 0, 0},
        // Text lines are unknown names, consumed up to their delimiter.
        {"", "", 1407, 0},
        {"hello world", "", 1407, 11},
        {"Hello, world", "", 1407, 5},
        {"plain text, more", "", 1407, 10},
        {"\tpdf(\"x\")", "", 1407, 4},
        {"pdf (\"x\")", "", 1407, 4},
        {"snippet(1,0,[],[],\"\")", "", 1407, 7},
        {"link([0,0,1,1],\"\",web(0,\"x\"))", "", 1407, 21},
        {"usefont(1,-2)", "", 1401, 10},
        {"usefont(1)", "", 1409, 10},
        {"pdf(x)", "", 1403, 5},
        {"annot(1,\"\",\"\")", "", 1405, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(printable(c.line));
        TermReader r(c.line);
        Statement st;
        bool ok = r.readStatement(st);
        if (!c.result.empty()) {
            ASSERT_TRUE(ok) << "code " << r.error().code << " at " << r.error().position;
            EXPECT_EQ(describe(st), c.result);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(r.error().code, c.code);
            EXPECT_EQ(r.error().position, c.position);
        }
    }
}

TEST(Reader, TobLines)
{
    {
        TermReader r("tob(-5,\"<< /A \\\"x\\\" >>\",$[0A,ff, 00 ,7F],\"endobj\",\"f.afm\")");
        TobFact t;
        ASSERT_TRUE(r.readTob(t)) << r.error().code << " at " << r.error().position;
        EXPECT_EQ(t.number, -5);
        EXPECT_EQ(t.head, "<< /A \"x\" >>");
        EXPECT_EQ(t.payload, "\x0a\xff\x00\x7f"s);
        EXPECT_EQ(t.tail, "endobj");
        EXPECT_EQ(t.fileName, "f.afm");
    }
    struct Case {
        std::string line;
        int code;
        std::size_t position;
    };
    const Case cases[] = {
        {"tob(1,\"\",$[0A,F],\"\",\"\")", 1401, 14},
        {"tob(1,\"\",$[0AB],\"\",\"\")", 1401, 11},
        {"tob(1,\"\",$[],\"\",\"\")", 1401, 11},
        {"tob(1,\"\",$[G0],\"\",\"\")", 1401, 11},
        {"tob(1,\"\",[0A],\"\",\"\")", 1405, 10},
        {"tob(1,\"\",$0A],\"\",\"\")", 1405, 11},
        {"tob(1,\"\",$[0A;0B],\"\",\"\")", 1406, 14},
        {"tob(1,\"\",$[0A 0B],\"\",\"\")", 1406, 15},
        {"tob(1,\"\",$[0A],\"\")", 1409, 18},
        {"tub(1,\"\",$[0A],\"\",\"\")", 1407, 3},
        {"catalog(\"a\")", 1407, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(printable(c.line));
        TermReader r(c.line);
        TobFact t;
        EXPECT_FALSE(r.readTob(t));
        EXPECT_EQ(r.error().code, c.code);
        EXPECT_EQ(r.error().position, c.position);
    }
}

// Binary garbage must fail or read, never hang or run past the line.
TEST(Reader, HostileBytesEndTheParse)
{
    std::string noise;
    for (int i = 0; i < 256; ++i)
        noise += static_cast<char>(i);
    const std::string lines[] = {
        noise,
        "catalog(\"" + noise.substr(1),
        "apage([],[" + std::string(100000, '1') + "])",
        "apage([" + std::string(100000, '[') + "],[])",
        "defaults([paper(" + std::string(100000, '9') + ",0,0,0)])",
    };
    for (const std::string &line : lines) {
        SCOPED_TRACE(printable(line));
        Outcome o = readOne(line);
        EXPECT_FALSE(o.ok);
        EXPECT_LE(o.position, line.size());
    }
}
