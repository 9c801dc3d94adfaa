#include <gtest/gtest.h>
int common_placeholder();
TEST(Placeholder, Runs) { EXPECT_EQ(common_placeholder(), 2); }
