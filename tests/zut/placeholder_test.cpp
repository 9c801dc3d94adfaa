#include <gtest/gtest.h>
namespace zut { int placeholder(); }
TEST(Placeholder, Runs) { EXPECT_EQ(zut::placeholder(), 1); }
