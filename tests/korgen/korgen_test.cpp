#include "support/testsupport.h"
#include <gtest/gtest.h>
TEST(Korgen, Placeholder) { EXPECT_TRUE(kordoc::test::exists(KORGEN_BINARY)); }
