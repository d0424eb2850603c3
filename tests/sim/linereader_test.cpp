// Reading text files line by line: carriage returns dropped wherever they
// stand, lines end at LF, a last line without LF counts, no length limit
// (lines longer than the read chunk and line feeds at its edges).
#include "sim/linereader.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using kordoc::sim::LineReader;
using kordoc::test::TempDir;
using kordoc::test::writeFile;

namespace {

constexpr std::size_t chunk = 1 << 20;

std::vector<std::string> readLines(const std::string &path)
{
    LineReader in;
    EXPECT_TRUE(in.open(path));
    std::vector<std::string> out;
    std::string line;
    while (in.next(line))
        out.push_back(line);
    EXPECT_FALSE(in.failed());
    EXPECT_FALSE(in.next(line)) << "lines after the end";
    return out;
}

}  // namespace

TEST(LineReader, Contents)
{
    const std::string big(chunk + chunk / 2, 'x');
    const std::string huge(5 * chunk + 3, 'y');
    struct Case {
        const char *name;
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"one line without LF", "a", {"a"}},
        {"one line with LF", "a\n", {"a"}},
        {"empty last line", "a\n\n", {"a", ""}},
        {"only a line feed", "\n", {""}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"CR inside and alone", "a\rb\r\r\nc\rd", {"ab", "cd"}},
        {"CR only", "\r\r", {}},
        {"CR after the last LF", "a\n\r", {"a"}},
        {"CR line between", "a\n\r\nb", {"a", "", "b"}},
        {"NUL and control bytes", std::string("a\0b\x01\x1a\xff\n", 7), {std::string("a\0b\x01\x1a\xff", 6)}},
        {"line longer than a chunk", big + "\nshort\n", {big, "short"}},
        {"line of several chunks without LF", "first\n" + huge, {"first", huge}},
        {"LF as the chunk's last byte", std::string(chunk - 1, 'z') + "\nnext", {std::string(chunk - 1, 'z'), "next"}},
        {"LF as the next chunk's first byte", std::string(chunk, 'z') + "\nnext", {std::string(chunk, 'z'), "next"}},
        {"CR LF split over chunks", std::string(chunk - 1, 'z') + "\r\nnext\r\n", {std::string(chunk - 1, 'z'), "next"}},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("f.txt");
        writeFile(path, c.content);
        std::vector<std::string> got = readLines(path);
        ASSERT_EQ(got.size(), c.lines.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i] == c.lines[i]) << "line " << i + 1 << " differs (" << got[i].size() << " vs "
                                              << c.lines[i].size() << " bytes)";
    }
}

TEST(LineReader, RefusesWhatIsNoRegularFile)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    LineReader in;
    EXPECT_FALSE(in.open(dir.file("missing.txt")));
    EXPECT_FALSE(in.open(dir.file("folder")));
    std::string line;
    EXPECT_FALSE(in.next(line));
    // A reader can be opened again after a failed open.
    writeFile(dir.file("ok.txt"), "x\ny");
    ASSERT_TRUE(in.open(dir.file("ok.txt")));
    ASSERT_TRUE(in.next(line));
    EXPECT_EQ(line, "x");
    ASSERT_TRUE(in.open(dir.file("ok.txt")));
    ASSERT_TRUE(in.next(line));
    EXPECT_EQ(line, "x");
}
