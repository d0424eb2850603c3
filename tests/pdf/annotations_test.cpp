// Notes, movies and links of text streams, and the pages' /Annots lists.
#include "pdftest.h"
#include "pdftest_folder.h"
#include "pdf/pdfwriter.h"
#include "sim/errors.h"

#include <gtest/gtest.h>

using namespace kordoc;
using namespace kordoc::pdftest;

namespace {

constexpr std::string_view snippetAt12 = R"(snippet(1,0,[0,0,3,3],[1,0,0,1,1,2],"s.txt"))";

// qpdf's JSON of one object, with line ends and indentation taken out.
std::string qpdfObject(const std::string &json, const std::string &ref)
{
    const std::string key = "\"obj:" + ref + "\": {";
    std::size_t at = json.find(key);
    if (at == std::string::npos)
        return {};
    std::size_t end = json.find("\"obj:", at + key.size());
    std::string block = json.substr(at, end == std::string::npos ? std::string::npos : end - at);
    std::string compact;
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (block[i] == '\n') {
            while (i + 1 < block.size() && block[i + 1] == ' ')
                ++i;
            continue;
        }
        compact += block[i];
    }
    return compact;
}

}  // namespace

using Annotations = InFolder;

// One statement in the stream of a snippet placed one inch right and two
// up; the object it gives (the first annotation, object 21).
TEST_F(Annotations, TemplatesTable)
{
    put("clip.avi", "not really a movie");
    struct Case {
        const char *name;
        std::string statement;
        std::string object;
    };
    const std::string r = "[ 72.00 144.00 144.00 216.00 ]", tight = "[72.00 144.00 144.00 216.00]";
    const Case cases[] = {
        {"note", R"(textannotation([0,0,1,1],"","Hello"))",
         "<</Type /Annot /Subtype /Text /Rect " + r + " /Contents (Hello)  >> \nendobj\n"},
        {"note escaped", R"(textannotation([0,0,1,1],"/Open true","a(b\\c"))",
         "<</Type /Annot /Subtype /Text /Rect " + r + " /Contents (a\\(b\\\\c) /Open true >> \nendobj\n"},
        {"movie, aspect form", R"(annot([0,0,1,1],"","320 240 clip.avi"))",
         "<</Type /Annot /Subtype /Movie /Rect " + r +
             " /Movie << /F (clip.avi) /Aspect [ 320 240 ]>> /A << /FWScale [ 1 1] >>   >> \nendobj\n"},
        {"movie, plain form", R"s(annot([0,0,1,1],"/T (m)","clip.avi"))s",
         "<</Type /Annot /Subtype /Movie /Rect " + r + " /Movie << /F (clip.avi)>> /T (m) >> \nendobj\n"},
        {"movie without its file", R"(annot([0,0,1,1],"","320 240 gone.avi"))",
         "<</Type /Annot /Subtype /Text /Rect " + r + " /Contents (320 240 gone.avi)  >> \nendobj\n"},
        {"corners kept as given", R"(textannotation([1,1,0,0],"","x"))",
         "<</Type /Annot /Subtype /Text /Rect [ 144.00 216.00 72.00 144.00 ] /Contents (x)  >> \nendobj\n"},
        {"web link", R"(link([0,0,1,1],"/Border [0 0 1]",go(0,"http://example.com/a")))",
         "<</Type /Annot /Subtype /Link /Rect " + tight +
             " /Border [0 0 1] /C [1 0 0.5] /A\n    << /Type /Action /S  /URI\n     /URI (http://example.com/a)>> >>\nendobj\n"},
        {"launch with parameters", R"(link([0,0,1,1],"",go(-1,"notepad.exe readme.txt")))",
         "<</Type /Annot /Subtype /Link /Rect " + tight +
             "  /C [1 0 0.5] /A  <<\n   /Type /Action /S /Launch\n   /Win <</F (notepad.exe) /P ( readme.txt)>>\n"
             "   >> >>\nendobj\n"},
        {"launch without", R"(link([0,0,1,1],"",go(-1,"notepad.exe")))",
         "<</Type /Annot /Subtype /Link /Rect " + tight +
             "  /C [1 0 0.5] /A  <<\n   /Type /Action /S /Launch\n   /Win <</F (notepad.exe) /P ()>>\n   >> >>\nendobj\n"},
        {"go-to page 3", R"(link([0,0,1,1],"",goto(3,"")))",
         "<</Type /Annot /Subtype /Link /Rect " + r + " /Dest [ 2 /XYZ null null null ]  /C [ 0 0 1 ] >>\nendobj\n"},
        {"go-to with a template", R"(link([0,0,1,1],"/Border [0 0 0]",go(3,"[ % /Fit ]")))",
         "<</Type /Annot /Subtype /Link /Rect " + r + " /Dest [ 2 /Fit ] /Border [0 0 0] /C [ 0 0 1 ] >>\nendobj\n"},
        {"go-to with /FitH", R"(link([0,0,1,1],"",goto(2,"[ % /FitH 700 ]")))",
         "<</Type /Annot /Subtype /Link /Rect " + r + " /Dest [ 1 /FitH 700 ]  /C [ 0 0 1 ] >>\nendobj\n"},
        {"web address as go-to", R"(link([0,0,1,1],"",goto(0,"http://example.com/a")))",
         "<</Type /Annot /Subtype /Link /Rect " + r + " /Dest [ -1 /XYZ null null null ]  /C [ 0 0 1 ] >>\nendobj\n"},
        {"web address that does not convert", R"(link([0,0,1,1],"",go(0,"pdf(\"x")))",
         "<</Type /Annot /Subtype /Link /Rect " + r + " /Dest [ -1 /XYZ null null null ]  /C [ 0 0 1 ] >>\nendobj\n"},
        {"sound without its file", R"(link([0,0,1,1],"",go(-2,"gone.raw")))",
         "<</Type /Annot /Subtype /Link /Rect " + r + " /Dest [ -3 /XYZ null null null ]  /C [ 0 0 1 ] >>\nendobj\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        put("s.txt", c.statement + "\nText\n");
        // Poppler on this system cannot launch a program named for Windows, and says so.
        const Produced p = produceJudged(
            simDocument({snippetAt12, "apage([paper(0,0,8.5,11)],[1])", "apage([],[])", "apage([],[])"}));
        expectOnlyComplaints(p.complaint, {"Bad launch-type link action"});
        EXPECT_EQ(object(p.bytes, 21), c.object);
        // Annotation 21, form 22, contents 23 to 25, pages 26 to 28.
        EXPECT_NE(object(p.bytes, 26).find("/Annots [ 21 0 R  ]"), std::string::npos) << object(p.bytes, 26);
    }
}

// Two single "%" drop the text from the second on. The template is raw
// PDF from the sim, like Extra and Border, and is trusted: the dictionary
// it leaves open spoils that one annotation, and the readers still get
// through the rest of the file.
TEST_F(Annotations, TemplateWithTwoPlaceholders)
{
    put("s.txt", "link([0,0,1,1],\"\",goto(1,\"[ % /XYZ % ]\"))\n");
    const Produced p = produceJudged(simDocument({snippetAt12, "apage([],[1])"}));
    EXPECT_EQ(object(p.bytes, 21),
              "<</Type /Annot /Subtype /Link /Rect [ 72.00 144.00 144.00 216.00 ] /Dest [ 0 /XYZ   /C [ 0 0 1 ] >>\n"
              "endobj\n");
    EXPECT_NE(p.complaint.find("qpdf: operation succeeded with warnings"), std::string::npos) << p.complaint;
    EXPECT_EQ(count(p.complaint, "WARNING:"), count(p.complaint, "(object 21 0, offset")) << p.complaint;
    EXPECT_NE(p.complaint.find("Pages:           1"), std::string::npos) << p.complaint;
    EXPECT_EQ(crossReference(p.bytes).problem, "");
}

TEST_F(Annotations, DoubledPercentOnlyIsError1109)
{
    put("s.txt", "link([0,0,1,1],\"\",goto(1,\"[ %% /Fit ]\"))\n");
    pdf::MemorySink sink;
    try {
        pdf::producefile(simDocument({snippetAt12, "apage([],[1])"}), sink, pinnedOptions());
        FAIL() << "no error";
    } catch (const EngineError &e) {
        EXPECT_EQ(e.code(), 1109);
    }
}

TEST_F(Annotations, SoundLinkTwoObjectsPerProfile)
{
    const std::string sound = std::string("\x01\n\r\n\x80\xFF", 6);
    put("beep.raw", sound);
    struct Case {
        const char *name;
        pdf::Profile profile;
        const char *sound;
        std::string link, soundHead;
    };
    const std::string tight = "[72.00 144.00 144.00 216.00]";
    const Case cases[] = {
        {"library", pdf::Profile::library(), "beep.raw",
         "<</Type /Annot /Subtype /Link /Rect " + tight +
             "  /C [1 0 0.5] /A   <<\n   /Type /Action /S /Sound \n   /Sound  22 0 R  >>\n>>\nendobj\n",
         "<< /Type /Sound /R 10000 /C 1 /B 8 /E /Raw /Length 6 >>\nstream\n"},
        {"library, rate and encoding", pdf::Profile::library(), "8000 Signed beep.raw",
         "<</Type /Annot /Subtype /Link /Rect " + tight +
             "  /C [1 0 0.5] /A   <<\n   /Type /Action /S /Sound \n   /Sound  22 0 R  >>\n>>\nendobj\n",
         "<< /Type /Sound /R 8000 /C 1 /B 8 /E /Signed /Length 6 >>\nstream\n"},
        {"generator", pdf::Profile::generator(nullptr), "beep.raw",
         "<</Type /Annot /Subtype /Link /Rect " + tight +
             "  /C [1 0 0.5] /A   <<\n   /Type /Action /S /Sound /Synchronous true\n   /Sound 22 0 R >>\n>>\nendobj\n",
         "<< /Type /Sound /R 10000 /E /Raw /Length 6 >>\nstream\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        put("s.txt", std::string("link([0,0,1,1],\"\",go(-2,\"") + c.sound + "\"))\nText\n");
        const std::string pdf = produce(simDocument({snippetAt12, "apage([],[1])"}), pinnedOptions(c.profile));
        EXPECT_EQ(object(pdf, 21), c.link);
        EXPECT_EQ(rawObject(pdf, 22), test::crlf(c.soundHead) + sound + "\r\nendstream\r\nendobj\r\n");
        EXPECT_NE(object(pdf, 25).find("/Annots [ 21 0 R  ]"), std::string::npos) << "the sound is no annotation";
    }
}

// Notes first, then movies, then links, whatever the stream's order; every
// placement gets its own objects; each page lists its own.
TEST_F(Annotations, NumberingAndPageLists)
{
    put("s.txt", "link([0,0,1,1],\"\",goto(1,\"\"))\nannot([0,0,1,1],\"\",\"m\")\ntextannotation([0,0,1,1],\"\",\"n\")\n");
    put("t.txt", "textannotation([0,0,1,1],\"\",\"two\")\n");
    const Produced p = produceJudged(simDocument(
        {snippetAt12, R"(snippet(2,0,[0,0,1,1],[1,0,0,1,0,0],"t.txt"))", "apage([],[1])", "apage([],[2,1,2])"}));
    expectOnlyQpdfWarning(p.complaint, "dictionary has duplicated key /Snip2");
    const std::string &pdf = p.bytes;
    EXPECT_NE(object(pdf, 21).find("/Subtype /Text /Rect [ 72.00 144.00 144.00 216.00 ] /Contents (n)"),
              std::string::npos);
    EXPECT_NE(object(pdf, 22).find("/Contents (m)"), std::string::npos);
    EXPECT_NE(object(pdf, 23).find("/Subtype /Link"), std::string::npos);
    EXPECT_NE(object(pdf, 24).find("/Rect [ 0.00 0.00 72.00 72.00 ] /Contents (two)"), std::string::npos);
    EXPECT_NE(object(pdf, 25).find("/Contents (n)"), std::string::npos);
    EXPECT_NE(object(pdf, 28).find("/Contents (two)"), std::string::npos);
    // Annotations 21 to 28, forms 29 and 30, contents 31 and 32, pages 33 and 34.
    EXPECT_NE(object(pdf, 33).find("/Annots [ 21 0 R 22 0 R 23 0 R  ]"), std::string::npos);
    EXPECT_NE(object(pdf, 34).find("/Annots [ 24 0 R 25 0 R 26 0 R 27 0 R 28 0 R  ]"), std::string::npos);
    EXPECT_EQ(crossReference(pdf).size, 35u);
}

TEST_F(Annotations, QpdfListsEachPagesLinksWithTheirActions)
{
    put("s.txt", "link([0,0,1,1],\"/Border [0 0 1]\",go(0,\"http://example.com/a\"))\n"
                 "link([0,1,1,2],\"\",goto(2,\"[ % /Fit ]\"))\nlink([0,2,1,3],\"\",go(-1,\"notepad.exe readme.txt\"))\n");
    const std::string path = dir.file("links.pdf");
    pdf::producefile(simDocument({snippetAt12, "apage([paper(0,0,8.5,11)],[1])", "apage([paper(0,0,8.5,11)],[])"}),
                     path, pinnedOptions());
    expectOnlyComplaints(test::pdfReadersComplaint(path), {"Bad launch-type link action"});
    const test::CommandResult r = test::runCommand("qpdf --json '" + path + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    // Annotations 21 to 23, form 24, contents 25 and 26, pages 27 and 28.
    EXPECT_NE(qpdfObject(r.output, "27 0 R").find("\"/Annots\": [\"21 0 R\",\"22 0 R\",\"23 0 R\"]"),
              std::string::npos);
    EXPECT_NE(qpdfObject(r.output, "28 0 R").find("\"/Annots\": []"), std::string::npos);
    const std::string web = qpdfObject(r.output, "21 0 R");
    EXPECT_NE(web.find("\"/S\": \"/URI\""), std::string::npos) << web;
    EXPECT_NE(web.find("\"/URI\": \"u:http://example.com/a\""), std::string::npos) << web;
    const std::string go = qpdfObject(r.output, "22 0 R");
    EXPECT_NE(go.find("\"/Dest\": [1,\"/Fit\"]"), std::string::npos) << go;
    const std::string launch = qpdfObject(r.output, "23 0 R");
    EXPECT_NE(launch.find("\"/S\": \"/Launch\""), std::string::npos) << launch;
    EXPECT_NE(launch.find("\"/F\": \"u:notepad.exe\""), std::string::npos) << launch;
    EXPECT_NE(launch.find("\"/P\": \"u: readme.txt\""), std::string::npos) << launch;
}
