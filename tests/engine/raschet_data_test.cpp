#include "core/RaschetData.h"
#include "road/Road.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Each input must land in its own record field: a crossed mapping would store
// the thickness where the height belongs and every later check would be wrong.
TEST(RaschetDataTest, EveryInputHasItsOwnField) {
    kiv::RaschetData d;
    double value = 1;
    for (kiv::Input in : kiv::kAllInputs) {
        kiv::Field(d, in) = value++;
    }
    EXPECT_EQ(d.S, 1);
    EXPECT_EQ(d.L1, 2);
    EXPECT_EQ(d.L2, 3);
    EXPECT_EQ(d.H, 4);
    EXPECT_EQ(d.FalthP1, 5);
    EXPECT_EQ(d.FalthP2, 6);
    EXPECT_EQ(d.AllP1, 7);
    EXPECT_EQ(d.AllP2, 8);
    EXPECT_EQ(d.AllD, 9);
}

TEST(RaschetDataTest, StartsEmpty) {
    const kiv::RaschetData d;
    EXPECT_EQ(d.RazvType, 0);
    EXPECT_TRUE(d.OsmodeValue.empty());
    EXPECT_EQ(d.X2, 0);
}

} // namespace
