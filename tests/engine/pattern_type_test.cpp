// The stored type numbers and what each type carries.
#include "core/PatternType.h"

#include <gtest/gtest.h>

namespace {

using kiv::PatternType;

TEST(PatternTypeNumbers, NameTheThreeTypesOnly) {
    const struct {
        int number;
        std::optional<PatternType> type;
        bool seams, wire;
    } rows[] = {
        {0, std::nullopt, false, false}, // before the first confirmation
        {1, PatternType::Plain, false, false},     {2, PatternType::LockSeam, true, false},
        {3, PatternType::SeamAndWire, true, true}, {4, std::nullopt, false, false},
        {-1, std::nullopt, false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.number);
        const auto type = kiv::PatternTypeOf(r.number);
        EXPECT_EQ(type, r.type);
        EXPECT_EQ(kiv::HasSeams(type), r.seams);
        EXPECT_EQ(kiv::HasWire(type), r.wire);
        if (type) {
            EXPECT_EQ(kiv::NumberOf(*type), r.number) << "stored back as read";
        }
    }
}

} // namespace
