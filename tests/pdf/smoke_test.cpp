#include "pdf/produce.h"
#include "sim/reader.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

TEST(Production, SmokeOnePage)
{
    kordoc::test::TempDir dir;
    kordoc::sim::Document doc;
    kordoc::sim::Fact f;
    kordoc::sim::TermReader r("apage([paper(0,0,8.5,11)],[])");
    ASSERT_TRUE(r.readFact(f));
    doc.append(std::move(f));
    kordoc::pdf::producefile(doc, dir.file("x.pdf"), {});
    EXPECT_EQ(kordoc::test::pdfReadersComplaint(dir.file("x.pdf")), "");
}
