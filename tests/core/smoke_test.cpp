#include <gtest/gtest.h>
#include "core/platform/code_pages.h"
TEST(Smoke, Builds) { EXPECT_EQ(1, 1); }
