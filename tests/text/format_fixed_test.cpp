#include "report/FormatFixed.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatFixedSmoke, Defaults) { EXPECT_EQ(kiv::FormatFixed(200, 9, 2), "200.00"); }

} // namespace
