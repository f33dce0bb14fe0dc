// `kiv calc` as a user runs it: the same bytes as the window for the same
// texts, the window's refusals with exit status 2, files whole or not at all.
#include "tests/support/checkers.h"
#include "run_kiv.h"

#include "cli/Common.h"
#include "core/Version.h"
#include "road/Road.h"
#include "tests/support/default_scripts.h"

#include <nlohmann/json.hpp>

#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

namespace {

using kiv::Input;
using kiv::test::KivTest;
using kiv::test::ReadAll;

// The option of every input, as `kiv calc` names them.
const std::pair<Input, const char*> kOptions[] = {
    {Input::S, "-S"},         {Input::L1, "--L1"},      {Input::L2, "--L2"},
    {Input::H, "-H"},         {Input::FalthP1, "--P1"}, {Input::FalthP2, "--P2"},
    {Input::AllP1, "--P1"},   {Input::AllP2, "--P2"},   {Input::AllD, "-d"}};

// The arguments that give `texts` to the type's fields.
std::vector<std::string> Args(int type, const kiv::FieldTexts& texts) {
    std::vector<std::string> args = {"calc", "--type", std::to_string(type), "--osmode", "4133"};
    for (Input in : kiv::ValidatorsFor(type)) {
        for (const auto& [input, option] : kOptions) {
            if (input == in) {
                args.push_back(option);
                args.push_back(texts[in]);
            }
        }
    }
    return args;
}

// Each input named by its option, and each option taken as the input of
// that type's field, or refused where the type has no such field: a refusal
// must name the option the user typed.
TEST(CalcOptions, OptionsAndInputsMapBothWays) {
    for (const auto& [input, option] : kOptions) {
        EXPECT_STREQ(kiv::cli::OptionOfInput(input), option);
    }
    for (int type = 1; type <= 3; ++type) {
        const auto used = kiv::ValidatorsFor(type);
        for (const auto& row : kOptions) {
            // Named copies: clang captures no structured binding in a lambda.
            const auto input = row.first;
            const std::string option = row.second;
            const bool inType = std::find(used.begin(), used.end(), input) != used.end();
            Input taken{};
            const bool accepted = kiv::cli::InputOfOption(option, type, taken);
            if (accepted) {
                EXPECT_NE(std::find(used.begin(), used.end(), taken), used.end())
                    << option << " type " << type;
            }
            if (inType) {
                EXPECT_TRUE(accepted) << option << " type " << type;
                EXPECT_EQ(taken, input) << option << " type " << type;
            } else if (!accepted) {
                // --P1 names FalthP1 in type 2 and AllP1 in type 3: refused
                // only where no input of the type answers to it.
                EXPECT_TRUE(std::none_of(used.begin(), used.end(), [&](Input in) {
                    return std::string(kiv::cli::OptionOfInput(in)) == option;
                })) << option << " type " << type;
            }
        }
    }
    Input unused{};
    EXPECT_FALSE(kiv::cli::InputOfOption("-H", 0, unused));
    EXPECT_FALSE(kiv::cli::InputOfOption("--L3", 1, unused));
}

class Calc : public KivTest {};

// For the defaults and seeded random hoods, the command's script and drawing
// are byte for byte what the window's road gives for the same texts.
TEST_F(Calc, FilesAreTheWindowsBytes) {
    const std::vector<const char*> good[] = {
        {"0.5", "0.1", "1", "2"}, {"200", "150", "20.5"}, {"400", "200", "1000"},
        {"100", "1000", "40"},    {"3", "20", "60"},      {"2", "3"},
        {"3", "20", "60"},        {"2", "3"},             {"2", "1", "10", "4"}};
    std::mt19937 rng(20261208u);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    int compared = 0;
    for (int round = 0; round < 12; ++round) {
        const int type = 1 + round % 3;
        kiv::FieldTexts texts; // the first three rounds: the defaults
        if (round >= 3) {
            for (std::size_t i = 0; i < kiv::kAllInputs.size(); ++i)
                texts[kiv::kAllInputs[i]] = good[i][pick(good[i].size())];
        }
        kiv::OutputRequest request;
        request.script = request.dxf = true;
        const kiv::RoadResult road = kiv::RunRoad(type, texts, "4133", request);
        std::vector<std::string> args = Args(type, texts);
        args.insert(args.end(), {"--scr", "--dxf", "out.dxf"});
        const kiv::test::Ran run = runKiv(args);
        if (road.confirmation.outcome != kiv::Outcome::Confirmed) {
            EXPECT_EQ(run.status, 2) << run.err;
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadAll(dir / road.scriptName), road.outputs.script) << road.scriptName;
        EXPECT_EQ(ReadAll(dir / "out.dxf"), road.outputs.dxf) << road.scriptName;
        if (round < 3) {
            EXPECT_EQ(road.outputs.script,
                      kiv::test::Crlf(kiv::test::DefaultScriptLines(type, "4133")));
        }
        std::filesystem::remove(dir / road.scriptName);
        ++compared;
    }
    EXPECT_GE(compared, 6);
}

// Every refusal the window can show, with the window's text, the option that
// caused it, exit status 2 and no file.
TEST_F(Calc, RefusalsGiveTheWindowsTextAndStatus2) {
    const struct {
        int type;
        Input input;
        const char* text;
        const char* option; // the option the message names; nullptr for a whole-hood message
    } rows[] = {
        {1, Input::S, "0.09", "-S"},
        {1, Input::L1, "4", "--L1"},
        {1, Input::L2, "199", "--L2"},
        {1, Input::H, "0.5", "-H"},
        {1, Input::H, "abc", "-H"},
        {1, Input::L2, "1e400", "--L2"},
        {1, Input::S, "", "-S"},
        {2, Input::FalthP2, "1.9", "--P2"},
        {2, Input::FalthP1, "1", "--P1"},
        {3, Input::AllP2, "1", "--P2"},
        {3, Input::AllP1, "1.5", "--P1"},
        {3, Input::AllD, "0.9", "-d"},
        {3, Input::AllD, "11", "-d"},
        {2, Input::FalthP1, "300", nullptr}, // the allowances do not fit
        {1, Input::L2, "1e308", nullptr},    // too large to calculate
    };
    for (const auto& r : rows) {
        kiv::FieldTexts texts;
        texts[r.input] = r.text;
        if (r.option == nullptr && r.type == 1)
            texts[Input::L1] = texts[Input::H] = "1e300";
        const kiv::RoadResult road = kiv::RunRoad(r.type, texts, "0");
        const kiv::Confirmation& c = road.confirmation;
        ASSERT_NE(c.outcome, kiv::Outcome::Confirmed) << r.text;
        // The window's text, but the number reader's English one in Russian.
        const bool noNumber = c.outcome == kiv::Outcome::Refused &&
                              c.refusal.verdict.kind == kiv::Verdict::NotANumber;
        const std::string expected =
            noNumber ? "'" + std::string(r.text) + "' — не число."
                     : kiv::cli::ConsoleLines(c.outcome == kiv::Outcome::Refused
                                                  ? kiv::RefusalText(c.refusal)
                                                  : kiv::OutcomeText(c.outcome));
        std::vector<std::string> args = Args(r.type, texts);
        args.insert(args.end(), {"--scr", "--dxf"});
        const kiv::test::Ran run = runKiv(args);
        EXPECT_EQ(run.status, 2) << r.text;
        EXPECT_NE(run.err.find(expected), std::string::npos) << r.text << "\n" << run.err;
        if (r.option != nullptr) {
            EXPECT_NE(run.err.find(std::string("параметр ") + r.option + ":"), std::string::npos)
                << run.err;
        }
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(entries().empty()) << "nothing may be written for a refused hood";
    }
}

// A decimal comma reads as the point, and neither depends on the locale:
// the texts, the file's name and its bytes are those of the point.
TEST_F(Calc, DecimalCommaAndLocaleChangeNothing) {
    const struct {
        const char *type, *option, *comma, *point;
    } rows[] = {{"1", "-S", "0,7", "0.7"}, {"2", "--P1", "3,5", "3.5"}, {"3", "-d", "2,5", "2.5"},
                {"1", "--L1", "250,25", "250.25"}};
    for (const auto& r : rows) {
        const auto run = [&](const std::string& shopLocale, const char* text) {
            locale = shopLocale;
            kiv::test::Ran ran = runKiv({"calc", "--type", r.type, "--osmode", "0", r.option, text, "--scr", "s.scr"});
            ran.out += ReadAll(dir / "s.scr");
            std::filesystem::remove(dir / "s.scr");
            return ran;
        };
        const kiv::test::Ran expected = run("C.UTF-8", r.point);
        ASSERT_EQ(expected.status, 0) << expected.err;
        for (const std::string& shopLocale : kiv::test::kShopLocales) {
            for (const char* text : {r.comma, r.point}) {
                const kiv::test::Ran got = run(shopLocale, text);
                EXPECT_EQ(got.status, 0) << shopLocale << " " << text << "\n" << got.err;
                EXPECT_EQ(got.out, expected.out) << shopLocale << " " << text;
            }
        }
    }
    // A comma that makes no number is quoted as typed.
    locale = "ru_RU.UTF-8";
    const kiv::test::Ran bad = runKiv({"calc", "--type", "1", "--osmode", "0", "-S", "0,5,1"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("'0,5,1' — не число"), std::string::npos) << bad.err;
}

// Where the settings value comes from, and what is refused.
TEST_F(Calc, OsmodeFromTheOptionElseTheSettingsFile) {
    const struct {
        std::vector<std::string> osmode; // the option and its value, or nothing
        const char* settings;            // Kiv_ini.txt, or nullptr for none
        int status;
        const char* last; // the script's last line
    } rows[] = {
        {{"--osmode", "32767"}, nullptr, 0, "32767"},
        {{"--osmode", "0"}, "99\r\n", 0, "0"}, // the option wins
        {{"--osmode", "007"}, nullptr, 0, "7"},
        {{"--osmode", "32768"}, nullptr, 2, nullptr},
        {{"--osmode", "-1"}, nullptr, 2, nullptr},
        {{"--osmode", "1.5"}, nullptr, 2, nullptr},
        {{"--osmode", ""}, nullptr, 2, nullptr},
        {{}, "4133\r\nsecond line\r\n", 0, "4133"},
        {{}, "1234567\n", 0, "123456"}, // the window's first 6 characters
        {{}, nullptr, 2, nullptr},
    };
    for (const auto& r : rows) {
        std::filesystem::remove(dir / "Kiv_ini.txt");
        if (r.settings != nullptr)
            kiv::test::WriteAll(dir / "Kiv_ini.txt", r.settings);
        std::vector<std::string> args = {"calc", "--type", "1", "--scr", "h.scr"};
        args.insert(args.end(), r.osmode.begin(), r.osmode.end());
        const kiv::test::Ran run = runKiv(args);
        EXPECT_EQ(run.status, r.status) << run.err;
        if (r.last != nullptr) {
            const std::string script = ReadAll(dir / "h.scr");
            EXPECT_TRUE(script.ends_with(std::string("_osmode\r\n") + r.last + "\r\n")) << r.last;
        } else {
            EXPECT_FALSE(std::filesystem::exists(dir / "h.scr"));
        }
        std::filesystem::remove(dir / "h.scr");
    }
    // Without either, the message names both ways.
    const kiv::test::Ran run = runKiv({"calc", "--type", "1"});
    EXPECT_NE(run.err.find("--osmode"), std::string::npos);
    EXPECT_NE(run.err.find("Kiv_ini.txt"), std::string::npos);
}

TEST_F(Calc, BadUsageIsStatus2) {
    const std::vector<std::string> rows[] = {
        {"calc"},                                        // no type
        {"calc", "--type", "4", "--osmode", "0"},        // no such type
        {"calc", "--type", "1", "--osmode", "0", "--P1", "3"}, // no allowance on type 1
        {"calc", "--type", "2", "--osmode", "0", "-d", "3"},   // no wire on type 2
        {"calc", "--type", "1", "--osmode", "0", "--bogus"},
        {"calc", "--type", "1", "--osmode", "0", "--paper", "A5", "--pdf"},
        {"calc", "--type", "1", "--osmode", "0", "--orientation", "sideways"},
        {"frobnicate"},
    };
    for (const auto& args : rows) {
        const kiv::test::Ran run = runKiv(args);
        EXPECT_EQ(run.status, 2) << args.back() << "\n" << run.err;
        EXPECT_TRUE(entries().empty());
    }
    EXPECT_EQ(runKiv({"--version"}).out, "kiv " + std::string(kiv::kVersion) + "\n");
    const kiv::test::Ran help = runKiv({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Использование"), std::string::npos);
}

// The JSON object carries the road's numbers and names the files written.
TEST_F(Calc, JsonHasTheRoadsNumbers) {
    const kiv::test::Ran run =
        runKiv({"calc", "--type", "3", "--osmode", "0", "--json", "--scr", "--dxf", "d.dxf"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    const kiv::RoadResult road = kiv::RunRoad(3, kiv::FieldTexts(), "0");
    const kiv::BlankSummary& s = road.confirmation.report.blank;
    EXPECT_EQ(j["type"], 3);
    EXPECT_EQ(j["inputs"], nlohmann::json::parse(
                               R"({"S":0.5,"L1":200,"L2":400,"H":100,"P2":2,"P1":3,"d":2})"));
    EXPECT_DOUBLE_EQ(j["B1_mm"].get<double>(), s.B1);
    EXPECT_DOUBLE_EQ(j["B2_mm"].get<double>(), s.B2);
    EXPECT_DOUBLE_EQ(j["blank_area_mm2"].get<double>(), s.blankArea);
    EXPECT_DOUBLE_EQ(j["blank_mass_kg"]["copper"].get<double>(), s.blankMass[2]);
    EXPECT_DOUBLE_EQ(j["radii_mm"]["4-2"].get<double>(), road.data.R42);
    EXPECT_DOUBLE_EQ(j["wire_length_mm"].get<double>(), 1200);
    EXPECT_EQ(j["checks_passed"].size(), 5u);
    EXPECT_EQ(j["files"], nlohmann::json::parse(
                              R"([{"format":"scr","path":"200x400x100x0.5x3x2x2.scr"},
                                  {"format":"dxf","path":"d.dxf"}])"));
}

// A file that cannot be written: exit status 1, the old file as it was, no
// temporary file left.
class CalcOnSmallDisk : public KivTest {
protected:
    void SetUp() override {
        KivTest::SetUp();
        mnt = dir / "mnt";
        std::filesystem::create_directory(mnt);
        if (::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=16k") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
        mounted = true;
        kiv::test::WriteAll(mnt / "old.dxf", kOld);
    }
    void TearDown() override {
        if (mounted)
            ::umount(mnt.c_str());
        KivTest::TearDown();
    }
    const std::string kOld = "the user's old drawing\n";
    std::filesystem::path mnt;
    bool mounted = false;
};

TEST_F(CalcOnSmallDisk, FullOrReadOnlyKeepsTheOldFile) {
    // Full: a filler takes what is left.
    {
        std::ofstream filler(mnt / "filler", std::ios::binary);
        const std::string block(512, 'x');
        while (filler.write(block.data(), 512) && filler.flush()) {
        }
    }
    const std::vector<std::string> args = {"calc", "--type", "3", "--osmode", "0", "--dxf",
                                           "old.dxf"};
    kiv::test::Ran run = runKiv(args, mnt);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("old.dxf"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(mnt / "old.dxf"), kOld);
    EXPECT_EQ(entries(mnt), (std::vector<std::string>{"filler", "old.dxf"}));

    // Read-only: the same.
    std::filesystem::remove(mnt / "filler");
    ASSERT_EQ(::mount("tmpfs", mnt.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=16k"), 0);
    run = runKiv(args, mnt);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(ReadAll(mnt / "old.dxf"), kOld);
    EXPECT_EQ(entries(mnt), (std::vector<std::string>{"old.dxf"}));
}

// The templates of the three defaults have the pages of the window's layout,
// and poppler finds A4 and the check square at 100 mm on every page.
TEST_F(Calc, PdfHasTheLayoutsPagesAndAnExactCheckSquare) {
    KIV_SKIP_IF_MISSING(kiv::test::MissingProgram("pdfinfo"));
    KIV_SKIP_IF_MISSING(kiv::test::MissingProgram("pdftoppm"));
    KIV_SKIP_IF_MISSING(kiv::test::MissingProgram("pdftotext"));
    KIV_SKIP_IF_MISSING(kiv::test::MissingPython({}));
    for (int type = 1; type <= 3; ++type) {
        const std::string name = "type" + std::to_string(type) + ".pdf";
        const kiv::test::Ran run =
            runKiv({"calc", "--type", std::to_string(type), "--osmode", "0", "--pdf", name});
        ASSERT_EQ(run.status, 0) << run.err;
        kiv::OutputRequest request;
        request.layout = true;
        const kiv::RoadResult road = kiv::RunRoad(type, kiv::FieldTexts(), "0", request);
        const std::string pdfinfo = "pdfinfo " + kiv::test::Quoted((dir / name).string()) + " > " +
                                 kiv::test::Quoted((dir / "info").string());
        ASSERT_EQ(std::system(pdfinfo.c_str()), 0);
        const std::string info = ReadAll(dir / "info");
        const std::size_t pages = info.find("Pages:");
        ASSERT_NE(pages, std::string::npos) << info;
        EXPECT_EQ(std::stoul(info.substr(pages + 6)), road.outputs.document.layout.pages.size())
            << ReadAll(dir / "info");
    }
    const std::string check =
        "env -u PYTHONPATH -u PYTHONHOME " + std::string(kiv::test::kDebianPython) + " " +
        kiv::test::Quoted(POPPLER_CHECK) + " " + kiv::test::Quoted(dir.string()) + " >/dev/null";
    EXPECT_EQ(std::system(check.c_str()), 0);
}

} // namespace

namespace {

class Dated : public KivTest {};

// With a reproducible build's moment set, the templates of `calc` and `batch`
// carry it, in the file's date and in the title block, so that runs a second
// apart give the same bytes; they used to carry the clock's.
TEST_F(Dated, TemplatesCarryTheFixedMoment) {
    kiv::test::WriteAll(dir / "order.csv", "type,name\n2,hood\n");
    const bool readText = kiv::test::MissingProgram("pdftotext").empty();
    const std::pair<std::vector<std::string>, const char*> kRows[] = {
        {{"calc", "--type", "2", "--osmode", "0", "--pdf", "t.pdf"}, "t.pdf"},
        {{"batch", "../order.csv", "--out", "o", "--osmode", "0", "--formats", "pdf", "--name",
          "{name}"},
         "o/hood.pdf"},
    };
    ::setenv("SOURCE_DATE_EPOCH", "0", 1);
    for (const auto& [args, pdf] : kRows) {
        for (const char* run : {"first", "second"}) {
            std::filesystem::create_directories(dir / run);
            ASSERT_EQ(runKiv(args, dir / run).status, 0) << pdf;
            ::sleep(1);
        }
        const std::string bytes = ReadAll(dir / "first" / pdf);
        EXPECT_EQ(bytes, ReadAll(dir / "second" / pdf)) << pdf;
        EXPECT_NE(bytes.find("/CreationDate (D:19700101000000"), std::string::npos) << pdf;
        const std::string text = "pdftotext " + kiv::test::Quoted((dir / "first" / pdf).string()) +
                                 " " + kiv::test::Quoted((dir / "text").string());
        if (readText && std::system(text.c_str()) == 0) {
            EXPECT_NE(ReadAll(dir / "text").find("01.01.1970"), std::string::npos) << pdf;
        }
        std::filesystem::remove_all(dir / "first");
        std::filesystem::remove_all(dir / "second");
    }
    ::unsetenv("SOURCE_DATE_EPOCH");
}

} // namespace
