#include "support/testsupport.h"
#include <gtest/gtest.h>
TEST(Hostile, Placeholder) { SUCCEED(); }
