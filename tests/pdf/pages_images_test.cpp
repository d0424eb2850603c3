// Pages, their content streams and the pictures they place.
#include "pdftest.h"
#include "pdftest_folder.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace kordoc;
using namespace kordoc::pdftest;

namespace {

// The data between "stream" and "endstream" of an object as the engine built it.
std::string streamData(const std::string &object)
{
    const std::size_t at = object.find("stream\n");
    const std::size_t end = object.rfind("endstream");
    if (at == std::string::npos || end == std::string::npos)
        return {};
    return object.substr(at + 7, end - at - 7);
}

struct Pixel {
    int r = -1, g = -1, b = -1;
};

// Renders page 1 at 72 dpi (one pixel per point) and returns the pixel at x, y from the top left.
Pixel renderedPixel(const std::string &pdf, int x, int y)
{
    test::CommandResult r = test::runCommand("pdftoppm -r 72 -f 1 -l 1 -singlefile '" + pdf + "' '" + pdf + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    const std::string ppm = test::readFile(pdf + ".ppm");
    int w = 0, h = 0, max = 0, used = 0;
    if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used) != 3 || x >= w || y >= h)
        return {};
    const std::size_t at = static_cast<std::size_t>(used + 1 + (y * w + x) * 3);
    auto byte = [&ppm](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(ppm[i])); };
    return {byte(at), byte(at + 1), byte(at + 2)};
}

}  // namespace

TEST(Pages, TwoPagesNumberedInOrder)
{
    const std::string pdf = producePdf({R"(snippet(1,0,[0,0,1,1],[1,0,0,1,0,0],"One"))",
                                        R"(snippet(2,0,[0,0,1,1],[1,0,0,1,0,0],"Two"))", "apage([],[1])",
                                        "apage([paper(0,0,8.5,11)],[2])"});
    EXPECT_EQ(object(pdf, 3), "<</Type /Pages /Kids [ 25 0 R 26 0 R  ] /Count 2 >> \nendobj\n");
    EXPECT_EQ(object(pdf, 23), "<<\n/Length 16\n>>\nstream\n q /Snip1 Do Q\n\nendstream\nendobj\n");
    EXPECT_EQ(object(pdf, 24), "<<\n/Length 16\n>>\nstream\n q /Snip2 Do Q\n\nendstream\nendobj\n");
    EXPECT_EQ(object(pdf, 25), "<</Type /Page  /Parent 3 0 R \n/Annots [  ] /Resources \n\t<< \n\t/XObject << "
                               "\n\t/Snip1 21 0 R \n\t\t>>\n\n\t/ProcSet 4 0 R \n\t>>\n \t  /Contents 23 0 R >> \nendobj\n");
    EXPECT_NE(object(pdf, 26).find("<</Type /Page  /MediaBox [ 0.00 0.00 612.00 792.00 ] /Parent 3 0 R"),
              std::string::npos);
    EXPECT_NE(object(pdf, 26).find("/Snip2 22 0 R "), std::string::npos);
    EXPECT_NE(object(pdf, 26).find("/Contents 24 0 R >>"), std::string::npos);
    EXPECT_LT(pdf.find("\r\n25 0 obj"), pdf.find("\r\n26 0 obj"));
}

TEST(Pages, EmptyPageAndPageAttributes)
{
    struct Case {
        const char *page;
        const char *attrs;
    };
    const Case cases[] = {
        {"apage([paper(0,0,8.5,11)],[])", " /MediaBox [ 0.00 0.00 612.00 792.00 ]"},
        {"apage([crop(0.5,0.5,8,10.5),paper(0,0,8.5,11)],[])",
         " /CropBox [ 36.00 36.00 576.00 756.00 ] /MediaBox [ 0.00 0.00 612.00 792.00 ]"},
        {R"(apage([paper(0,0,8.5,11),ex("/Rotate 90 /UserUnit 1"),crop(0,0,4,4)],[]))",
         " /MediaBox [ 0.00 0.00 612.00 792.00 ] /Rotate 90 /UserUnit 1 /CropBox [ 0.00 0.00 288.00 288.00 ]"},
        {"apage([],[])", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.page);
        const sim::Document doc = simDocument({"defaults([paper(0,0,8.5,11)])", c.page});
        const std::string pdf = produce(doc);
        EXPECT_EQ(object(pdf, 21), "<<\n/Length 0\n>>\nstream\n\nendstream\nendobj\n");
        EXPECT_EQ(object(pdf, 22), std::string("<</Type /Page ") + c.attrs +
                                       " /Parent 3 0 R \n/Annots [  ] /Resources \n\t<< \n\t/XObject << \n\t\t>>\n\n\t"
                                       "/ProcSet 4 0 R \n\t>>\n \t  /Contents 21 0 R >> \nendobj\n");
    }
}

// Both placements and both (identical) resource entries are written; qpdf
// notes the repeated key, the one thing any reader has to say about it.
TEST(Pages, SnippetListedTwice)
{
    const Produced p = produceJudged(simDocument({R"(snippet(1,0,[0,0,1,1],[1,0,0,1,0,0],"T"))", "apage([],[1,1])"}));
    expectOnlyQpdfWarning(p.complaint, "dictionary has duplicated key /Snip1");
    const std::string &pdf = p.bytes;
    EXPECT_EQ(object(pdf, 22), "<<\n/Length 32\n>>\nstream\n q /Snip1 Do Q\n q /Snip1 Do Q\n\nendstream\nendobj\n");
    EXPECT_NE(object(pdf, 23).find("\n\t/XObject << \n\t/Snip1 21 0 R \n\t/Snip1 21 0 R \n\t\t>>\n"), std::string::npos);
}

using Pictures = InFolder;

TEST_F(Pictures, ImagesArePaintedFirstInListOrder)
{
    copyFixture("rgb16x8.jpg", dir.file("pic.jpg"));
    const std::string pdf = producePdf({R"(snippet(1,0,[0,0,1,1],[1,0,0,1,0,0],"A"))",
                                        R"(snippet(2,0,[0,0,16,8],[1,0,0,1,1,1],"pic.jpg"))",
                                        R"(snippet(3,0,[0,0,1,1],[1,0,0,1,0,0],"B"))", "apage([],[1,2,3])"});
    // Renumbered: the picture is 1, A is 2 and B is 3, so the page lists [2,1,3].
    const std::string content = " q 16 0 0 8 72 72 cm /Snip1 Do Q\n q /Snip2 Do Q\n q /Snip3 Do Q\n";
    EXPECT_EQ(object(pdf, 24), "<<\n/Length " + std::to_string(test::crlf(content).size()) + "\n>>\nstream\n" +
                                   content + "\nendstream\nendobj\n");
    EXPECT_NE(object(pdf, 25).find("\n\t/Snip2 22 0 R \n\t/Snip1 21 0 R \n\t/Snip3 23 0 R \n"), std::string::npos);
}

// W = Width x a, H = Height x d, E and F in points, each rounded halves upward.
TEST_F(Pictures, PlacementRounding)
{
    copyFixture("rgb16x8.jpg", dir.file("pic.jpg"));
    struct Case {
        const char *rect, *matrix, *placement;
    };
    const Case cases[] = {
        {"[0,0,5,5]", "[0.5,0,0,-0.5,1,5]", " q 3 0 0 -2 72 360 cm /Snip1 Do Q\n"},
        {"[0,0,3,3]", "[0.5,0.7,0.7,-0.5,0,0]", " q 2 0 0 -1 0 0 cm /Snip1 Do Q\n"},
        {"[0,0,640.5,480]", "[1,0,0,1,-0.5,0.25]", " q 641 0 0 480 -36 18 cm /Snip1 Do Q\n"},
        {"[0,0,16,8]", "[0.49,0,0,1,0,0]", " q 8 0 0 8 0 0 cm /Snip1 Do Q\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.matrix);
        const std::string snippet = std::string("snippet(1,0,") + c.rect + "," + c.matrix + ",\"pic.jpg\")";
        const std::string pdf = producePdf({snippet, "apage([paper(0,0,8.5,11)],[1])"});
        EXPECT_EQ(streamData(object(pdf, 22)), std::string(c.placement) + "\n");
    }
    // Four pictures; the fourth is 640 by 480 pixels at half scale, one inch right and five up.
    const std::string pdf = producePdf(
        {R"(snippet(1,0,[0,0,16,8],[1,0,0,1,0,0],"pic.jpg"))", R"(snippet(2,0,[0,0,16,8],[1,0,0,1,0,0],"pic.jpg"))",
         R"(snippet(3,0,[0,0,16,8],[1,0,0,1,0,0],"pic.jpg"))",
         R"(snippet(4,0,[0,0,640,480],[0.5,0,0,0.5,1,5],"pic.jpg"))", "apage([paper(0,0,8.5,11)],[4])"});
    EXPECT_EQ(streamData(object(pdf, 25)), " q 320 0 0 240 72 360 cm /Snip4 Do Q\n\n");
}

TEST_F(Pictures, RgbHeadAndBytesAsTheFileHoldsThem)
{
    copyFixture("rgb16x8.jpg", dir.file("pic.jpg"));
    const std::string jpeg = test::readFile(dir.file("pic.jpg"));
    ASSERT_NE(jpeg.find('\n'), std::string::npos) << "the fixture must hold a byte 10";
    ASSERT_NE(jpeg.find('\r'), std::string::npos) << "the fixture must hold a byte 13";
    const std::string pdfPath = dir.file("out.pdf");
    const std::string pdf = produceAt(
        simDocument({R"(snippet(1,0,[0,0,16,8],[1,0,0,1,1,1],"pic.jpg"))", "apage([paper(0,0,8.5,11)],[1])"}), pdfPath);
    EXPECT_EQ(rawObject(pdf, 21), test::crlf("<< /Type /XObject /Subtype /Image /Name /Snip1 /Width 16  /Height 8 \n"
                                             "/BitsPerComponent 8 /ColorSpace /DeviceRGB /Length " +
                                             std::to_string(jpeg.size()) + " /Filter /DCTDecode >>\nstream\n") +
                                       jpeg + "\r\nendstream\r\nendobj\r\n");
    test::CommandResult r = test::runCommand("pdfimages -all '" + pdfPath + "' '" + dir.file("x") + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(test::readFile(dir.file("x-000.jpg")), jpeg) << "the extracted picture is the source file";
}

TEST_F(Pictures, FrameHeaderDecidesSizeBitsAndColourSpace)
{
    copyFixture("rgb16x8.jpg", dir.file("rgb.jpg"));
    copyFixture("gray16.jpg", dir.file("gray.jpg"));
    copyFixture("cmyk8.jpg", dir.file("cmyk.jpg"));
    put("fake.jpg", "not a picture at all");
    struct Case {
        const char *stream, *rect, *head;
    };
    const Case cases[] = {
        {"rgb.jpg", "[0,0,640.5,480]", "/Width 16  /Height 8 \n/BitsPerComponent 8 /ColorSpace /DeviceRGB "},
        {"gray.jpg", "[0,0,16,16]", "/Width 16  /Height 16 \n/BitsPerComponent 8 /ColorSpace /DeviceGray "},
        {"cmyk.jpg", "[0,0,8,8]",
         "/Width 8  /Height 8 \n/BitsPerComponent 8 /ColorSpace /DeviceCMYK /Decode [ 1 0 1 0 1 0 1 0 ] "},
        {"fake.jpg", "[0,0,0.5,7]", "/Width 0.5  /Height 7 \n/BitsPerComponent 8 /ColorSpace /DeviceRGB "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stream);
        // The picture is listed by no page: it still gets its object. A
        // file that is no JPEG is copied all the same, which qpdf notes.
        const Produced p = produceJudged(
            simDocument({std::string("snippet(1,0,") + c.rect + ",[1,0,0,1,0,0],\"" + c.stream + "\")",
                         R"(snippet(2,0,[0,0,1,1],[1,0,0,1,0,0],"Text"))", "apage([],[2])"}));
        if (std::string_view(c.stream) == "fake.jpg")
            expectOnlyQpdfWarning(p.complaint, "error decoding stream data for object 21 0: Not a JPEG file");
        else
            EXPECT_EQ(p.complaint, "");
        const std::string &pdf = p.bytes;
        const std::string size = std::to_string(test::readFile(dir.file(c.stream)).size());
        EXPECT_EQ(object(pdf, 21).substr(0, 400).find(std::string("<< /Type /XObject /Subtype /Image /Name /Snip1 ") +
                                                      c.head + "/Length " + size + " /Filter /DCTDecode >>\nstream\n"),
                  0u);
        EXPECT_EQ(object(pdf, 24).find("/Snip1"), std::string::npos) << "the page does not name it";
    }
}

TEST_F(Pictures, GrayscaleRendersLikeTheSourceAndExtractsUnchanged)
{
    copyFixture("gray16.jpg", dir.file("gray.jpg"));
    const std::string pdfPath = dir.file("gray.pdf");
    // A page of 16 by 16 points with the picture at one point per pixel.
    produceAt(simDocument({R"(snippet(1,0,[0,0,16,16],[1,0,0,1,0,0],"gray.jpg"))",
                           "apage([paper(0,0,0.2222222222222222,0.2222222222222222)],[1])"}),
              pdfPath);
    const Pixel top = renderedPixel(pdfPath, 8, 3), bottom = renderedPixel(pdfPath, 8, 12);
    EXPECT_NEAR(top.r, 64, 12);
    EXPECT_NEAR(top.g, 64, 12);
    EXPECT_NEAR(bottom.b, 192, 12);
    test::CommandResult r = test::runCommand("pdfimages -j '" + pdfPath + "' '" + dir.file("g") + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(test::readFile(dir.file("g-000.jpg")), test::readFile(dir.file("gray.jpg")));
}

TEST_F(Pictures, AdobeCmykRendersWithItsInkNotInverted)
{
    copyFixture("cmyk8.jpg", dir.file("cmyk.jpg"));
    const std::string pdfPath = dir.file("cmyk.pdf");
    produceAt(simDocument({R"(snippet(1,0,[0,0,8,8],[1,0,0,1,0,0],"cmyk.jpg"))",
                           "apage([paper(0,0,0.1111111111111111,0.1111111111111111)],[1])"}),
              pdfPath);
    // A little yellow ink and nothing else: a light yellow, not the near
    // black an inverted reading gives.
    const Pixel p = renderedPixel(pdfPath, 4, 4);
    EXPECT_GT(p.r, 200);
    EXPECT_GT(p.g, 200);
    EXPECT_GT(p.b, 100);
    EXPECT_LT(p.b, 210);
}

TEST_F(Pictures, WhichStreamsArePictures)
{
    copyFixture("rgb16x8.jpg", dir.file("Photo.JPG"));
    copyFixture("rgb16x8.jpg", dir.file("a.jpeg"));
    copyFixture("rgb16x8.jpg", dir.file("scan.jif"));
    copyFixture("rgb16x8.jpg", dir.file("photo.jpg.txt"));
    put("a.jpe", "the text of a.jpe\n");
    struct Case {
        const char *stream;
        bool picture;
    };
    const Case cases[] = {{"Photo.JPG", true}, {"a.jpeg", true},  {"scan.jif", true}, {"photo.jpg.txt", true},
                          {"P*o.JPG", true},   {"a.jpe", false},  {"missing.jpg", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stream);
        const std::string pdf = producePdf(
            {std::string("snippet(1,0,[0,0,16,8],[1,0,0,1,0,0],\"") + c.stream + "\")", "apage([],[1])"});
        const std::string snip = object(pdf, 21);
        EXPECT_EQ(snip.find("/Subtype /Image") != std::string::npos, c.picture) << snip.substr(0, 120);
        if (std::string_view(c.stream) == "missing.jpg") {
            EXPECT_NE(snip.find("(missing.jpg)Tj T*"), std::string::npos) << "a missing picture shows its name";
        }
        if (std::string_view(c.stream) == "a.jpe") {
            EXPECT_NE(snip.find("(the text of a.jpe)Tj T*"), std::string::npos);
        }
    }
}
