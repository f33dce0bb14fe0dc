#include "report/Plural.h"

#include <gtest/gtest.h>

namespace {

// Each count with the sheet noun as a worker reads it, and the row noun's
// form for the same count: the three forms come from the right field.
TEST(Counted, AgreesWithItsNumber) {
    const struct {
        long long count;
        const char* sheets;
        const char* rows;
    } kRows[] = {
        {0, "0 листов", "строк"},      {1, "1 лист", "строка"},      {2, "2 листа", "строки"},
        {4, "4 листа", "строки"},      {5, "5 листов", "строк"},     {11, "11 листов", "строк"},
        {12, "12 листов", "строк"},    {14, "14 листов", "строк"},   {21, "21 лист", "строка"},
        {22, "22 листа", "строки"},    {25, "25 листов", "строк"},   {101, "101 лист", "строка"},
        {111, "111 листов", "строк"},  {112, "112 листов", "строк"}, {1000, "1000 листов", "строк"},
        {1001, "1001 лист", "строка"}, {-1, "-1 лист", "строка"},    {-12, "-12 листов", "строк"},
    };
    for (const auto& r : kRows) {
        EXPECT_EQ(kiv::Counted(r.count, kiv::kSheetForms), r.sheets) << r.count;
        EXPECT_STREQ(kiv::NounFor(r.count, kiv::kRowForms), r.rows) << r.count;
    }
}

} // namespace
