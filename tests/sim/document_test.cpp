// The document's tables: first facts, lookup by number (first wins, with
// and without the geometry requirement, kept current as facts are added),
// page order, and clearing.
#include "sim/document.h"

#include <gtest/gtest.h>

using namespace kordoc::sim;

namespace {

SnippetFact snippet(std::uint32_t id, std::string stream, std::size_t rect = 4, std::size_t matrix = 6)
{
    return SnippetFact{id, 0, std::vector<double>(rect, 1.0), std::vector<double>(matrix, 1.0), std::move(stream)};
}

}  // namespace

TEST(Document, FirstFactOfEachSingleKind)
{
    Document doc;
    EXPECT_TRUE(doc.empty());
    EXPECT_EQ(doc.firstCatalog(), nullptr);
    EXPECT_EQ(doc.firstInfo(), nullptr);
    EXPECT_EQ(doc.firstDefaults(), nullptr);
    doc.append(Fact{CatalogFact{"one"}});
    doc.append(Fact{CatalogFact{"two"}});
    doc.append(Fact{InfoFact{"first", "", "", "", ""}});
    doc.append(Fact{InfoFact{"second", "", "", "", ""}});
    doc.append(Fact{DefaultsFact{{PageAttr{PageAttr::Kind::Paper, {0, 0, 1, 1}, ""}}}});
    doc.append(Fact{DefaultsFact{}});
    ASSERT_NE(doc.firstCatalog(), nullptr);
    EXPECT_EQ(doc.firstCatalog()->text, "one");
    EXPECT_EQ(doc.firstInfo()->author, "first");
    EXPECT_EQ(doc.firstDefaults()->attrs.size(), 1u);
    // The later facts stay in the document.
    EXPECT_EQ(doc.catalogs().size(), 2u);
    EXPECT_EQ(doc.infos().size(), 2u);
    EXPECT_EQ(doc.defaults().size(), 2u);
    EXPECT_FALSE(doc.empty());
}

TEST(Document, FindSnippetFirstWinsWithAndWithoutGeometry)
{
    Document doc;
    EXPECT_EQ(doc.findSnippet(5), nullptr);  // builds the index while empty
    doc.append(Fact{snippet(5, "no geometry", 3, 6)});
    doc.append(Fact{snippet(7, "seven")});
    doc.append(Fact{snippet(5, "geometry")});
    doc.append(Fact{snippet(5, "later geometry")});
    doc.append(Fact{snippet(9, "bad matrix", 4, 5)});

    struct Case {
        std::uint32_t id;
        bool geometry;
        const char *stream;  // nullptr: none
    };
    const Case cases[] = {
        {5, false, "no geometry"}, {5, true, "geometry"}, {7, false, "seven"}, {7, true, "seven"},
        {9, false, "bad matrix"},  {9, true, nullptr},     {6, false, nullptr}, {0, false, nullptr},
    };
    for (const Case &c : cases) {
        const SnippetFact *s = doc.findSnippet(c.id, c.geometry);
        if (!c.stream) {
            EXPECT_EQ(s, nullptr) << c.id << " " << c.geometry;
        } else {
            ASSERT_NE(s, nullptr) << c.id << " " << c.geometry;
            EXPECT_EQ(s->stream, c.stream);
        }
    }

    // Facts added after a lookup are found too, and do not displace earlier ones.
    doc.append(snippet(9, "good"));
    doc.append(snippet(11, "eleven"));
    ASSERT_NE(doc.findSnippet(9, true), nullptr);
    EXPECT_EQ(doc.findSnippet(9, true)->stream, "good");
    EXPECT_EQ(doc.findSnippet(9)->stream, "bad matrix");
    ASSERT_NE(doc.findSnippet(11), nullptr);
    EXPECT_EQ(doc.findSnippet(11)->stream, "eleven");

    // Replacing the table forgets the old numbers.
    std::vector<SnippetFact> taken = doc.takeSnippets();
    EXPECT_EQ(taken.size(), 7u);
    EXPECT_EQ(doc.findSnippet(5), nullptr);
    doc.replaceSnippets({snippet(1, "only")});
    EXPECT_EQ(doc.findSnippet(11), nullptr);
    ASSERT_NE(doc.findSnippet(1), nullptr);
    EXPECT_EQ(doc.findSnippet(1)->stream, "only");
}

TEST(Document, PageOrderIgnoresSnippetsAddedBetweenPages)
{
    Document doc;
    for (std::int32_t n = 1; n <= 4; ++n) {
        doc.append(Fact{PageFact{{}, {n, n}}});
        doc.append(Fact{snippet(static_cast<std::uint32_t>(10 - n), "s")});
        doc.append(Fact{TocFact{static_cast<std::uint32_t>(n), "t", Target{}, 0, 1, 1, Kids{}}});
    }
    ASSERT_EQ(doc.pages().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(doc.pages()[i].ids, (std::vector<std::int32_t>{static_cast<std::int32_t>(i + 1),
                                                                 static_cast<std::int32_t>(i + 1)}));
    EXPECT_EQ(doc.snippets().front().id, 9u);
    EXPECT_EQ(doc.tocs().back().id, 4u);
}

TEST(Document, ClearEmptiesEveryTableAndTheIndex)
{
    Document doc;
    doc.append(Fact{CatalogFact{"c"}});
    doc.append(Fact{InfoFact{}});
    doc.append(Fact{DefaultsFact{}});
    doc.append(Fact{snippet(1, "s")});
    doc.append(Fact{PageFact{}});
    doc.append(Fact{TocFact{}});
    ASSERT_NE(doc.findSnippet(1), nullptr);
    doc.clear();
    EXPECT_TRUE(doc.empty());
    EXPECT_EQ(doc.findSnippet(1), nullptr);
    EXPECT_EQ(doc.firstCatalog(), nullptr);
    doc.append(Fact{snippet(1, "new")});
    ASSERT_NE(doc.findSnippet(1), nullptr);
    EXPECT_EQ(doc.findSnippet(1)->stream, "new");
}
