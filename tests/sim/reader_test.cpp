#include "sim/reader.h"
#include <gtest/gtest.h>
TEST(Reader, Smoke) { kordoc::sim::TermReader r("catalog(\"x\")"); kordoc::sim::Fact f; EXPECT_TRUE(r.readFact(f)); }
