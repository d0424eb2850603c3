#include "sim/writer.h"
#include <gtest/gtest.h>
TEST(Writer, Smoke) { std::string s; kordoc::sim::appendReal(s, 612); EXPECT_EQ(s, "612"); }
