#include "report/Texts.h"
#include "script/Script.h"
#include "tests/support/default_scripts.h"
#include "tests/support/engine_fixtures.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

kiv::RaschetData Confirmed(int type, std::string osmode = "4133") {
    kiv::RaschetData d = kiv::test::Defaults();
    d.OsmodeValue = std::move(osmode);
    EXPECT_EQ(kiv::RunPattern(d, type).status, kiv::CalcStatus::Ok);
    return d;
}

using kiv::test::Crlf;

struct FileCase {
    const char* name;
    int type;
    std::size_t lines;
    const char* osmode;
};
// Rows show by name in the test listing.
void PrintTo(const FileCase& row, std::ostream* os) {
    *os << row.name;
}


class DefaultScript : public ::testing::TestWithParam<FileCase> {};

// Byte for byte, CRLF after every line including the last; the settings value
// is copied raw, an empty one giving an empty last line.
TEST_P(DefaultScript, Bytes) {
    const FileCase& c = GetParam();
    const std::string bytes = kiv::ScriptBytes(Confirmed(c.type, c.osmode), c.type);
    const std::vector<std::string> lines = kiv::test::DefaultScriptLines(c.type, c.osmode);
    ASSERT_EQ(lines.size(), c.lines);
    EXPECT_EQ(bytes, Crlf(lines));
}

INSTANTIATE_TEST_SUITE_P(
    Types, DefaultScript,
    ::testing::Values(FileCase{"NoAllowances", 1, 29, "4133"}, FileCase{"Seam", 2, 40, "4133"},
                      FileCase{"SeamAndWire", 3, 58, "4133"}, FileCase{"EmptySetting", 1, 29, ""},
                      FileCase{"RawSettingBytes", 3, 58, " 1\xE9 \x01z"}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

TEST(ScriptBytes, UnknownTypeWritesNothing) {
    EXPECT_TRUE(kiv::ScriptBytes(kiv::RaschetData{}, 0).empty());
    EXPECT_TRUE(kiv::ScriptBytes(kiv::RaschetData{}, 4).empty());
}

// Point 7 is point 1 mirrored: the sign goes on before the rounding, so an
// exact half rounds away from zero on both sides.
TEST(ScriptBytes, ExactHalfRoundsAwayOnBothSides) {
    kiv::RaschetData d = Confirmed(1);
    d.L2 = 200.0625;
    ASSERT_EQ(kiv::RunPattern(d, 1).status, kiv::CalcStatus::Ok);
    const std::string bytes = kiv::ScriptBytes(d, 1);
    EXPECT_EQ(bytes.find("_pline\r\n100.0313,0.0000\r\n"), 12u) << bytes;
    EXPECT_NE(bytes.find("\r\n-100.0313,0.0000\r\n_close\r\n"), std::string::npos) << bytes;
}

struct NameCase {
    const char* name;
    std::vector<std::string> texts;
    const char* file;
};
// Rows show by name in the test listing.
void PrintTo(const NameCase& row, std::ostream* os) {
    *os << row.name;
}


class ScriptName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ScriptName, File) {
    const std::string file = kiv::ScriptFileName(GetParam().texts);
    EXPECT_EQ(file, GetParam().file);
    EXPECT_LE(file.size(), 50u);
    EXPECT_EQ(file.substr(file.size() - 4), ".scr");
}

// A name longer than 50 characters keeps its first 37 characters and gets "~"
// and the CRC-32 of the whole joined texts (goldens from Python's zlib.crc32),
// before an extension that the CAD program's script dialog still lists.
INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptName,
    ::testing::Values(
        NameCase{"Type1", {"200", "400", "100", "0.5"}, "200x400x100x0.5.scr"},
        NameCase{"Type2", {"200", "400", "100", "0.5", "3", "2"}, "200x400x100x0.5x3x2.scr"},
        NameCase{"Type3", {"200", "400", "100", "0.5", "3", "2", "2"}, "200x400x100x0.5x3x2x2.scr"},
        NameCase{"TextsNotValues", {"200.0", "400", "100", "0.5"}, "200.0x400x100x0.5.scr"},
        NameCase{"ExactlyFifty",
                 {"200.000000000", "400.00000000", "100.0000000000", "0.50"},
                 "200.000000000x400.00000000x100.0000000000x0.50.scr"},
        NameCase{"FiftyOneGetsTheChecksum",
                 {"200.000000000", "400.00000000", "100.0000000000", "0.500"},
                 "200.000000000x400.00000000x100.000000~01794585.scr"},
        NameCase{"LongTextsKeepTheExtension",
                 {"200.000000000000", "400.000000000000", "100.000000000000", "0.5"},
                 "200.000000000000x400.000000000000x100~a642aeac.scr"},
        NameCase{"HoodsDifferingAfterTheCutWire25",
                 {"2345.6789", "3456.7891", "1234.5678", "0.55", "12.345", "10.123", "2.5"},
                 "2345.6789x3456.7891x1234.5678x0.55x12~cc741d8a.scr"},
        NameCase{"HoodsDifferingAfterTheCutWire26",
                 {"2345.6789", "3456.7891", "1234.5678", "0.55", "12.345", "10.123", "2.6"},
                 "2345.6789x3456.7891x1234.5678x0.55x12~557d4c30.scr"}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

TEST(ScriptName, InputsInNameOrder) {
    using kiv::Input;
    const auto type3 = kiv::NameInputsFor(3);
    const std::vector<Input> expected = {Input::L1,    Input::L2,    Input::H,   Input::S,
                                         Input::AllP1, Input::AllP2, Input::AllD};
    EXPECT_EQ(std::vector<Input>(type3.begin(), type3.end()), expected);
    const auto type2 = kiv::NameInputsFor(2);
    EXPECT_EQ(std::vector<Input>(type2.begin(), type2.end()),
              (std::vector<Input>{Input::L1, Input::L2, Input::H, Input::S, Input::FalthP1,
                                  Input::FalthP2}));
    EXPECT_EQ(kiv::NameInputsFor(1).size(), 4u);
    EXPECT_TRUE(kiv::NameInputsFor(0).empty());
}

TEST(ScriptName, Caption) {
    EXPECT_EQ(kiv::ScriptButtonCaption("200x400x100x0.5.scr"), "Файл  \"200x400x100x0.5.scr\"");
}

} // namespace
