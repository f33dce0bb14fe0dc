// `kiv nest` run as a process: the sheets it writes are read back by ezdxf
// and checked with shapely, not with the program's own geometry.
#include "cli/Nest.h"
#include "sheets/NestFiles.h"
#include "tests/support/checkers.h"
#include "run_kiv.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

using kiv::test::KivTest;
using kiv::test::Quoted;
using kiv::test::ReadAll;
using kiv::test::WriteAll;

// Three hoods of two thicknesses: a type 1 five times, a type 2 three times
// (same sheets), a type 3 twice (sheets of its own).
const char* const kOrder = "type,H,L1,L2,S,qty,name\n"
                           "1,100,200,400,0.5,5,a\n"
                           "2,150,300,500,0.5,3,b\n"
                           "3,200,400,600,1,2,c\n";
const char* const kCopies = "1:5 2:3 3:2";

class NestCommand : public KivTest {
protected:
    // The independent reader's verdict on the folder's sheets; its faults
    // are printed into the test's output.
    int check(const std::filesystem::path& folder, const std::string& gap,
              const std::string& margin, const std::string& copies) const {
        const std::string command = "env -u PYTHONPATH -u PYTHONHOME " +
                                    std::string(kiv::test::kDebianPython) + " " +
                                    Quoted(NEST_CHECK) + " " + Quoted(folder.string()) + " " +
                                    gap + " " + margin + " " + copies;
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

TEST_F(NestCommand, SheetsReadBackInsideTheMarginApartByTheGapEveryCopyOnce) {
    KIV_SKIP_IF_MISSING(kiv::test::MissingPython({"ezdxf", "shapely"}));
    const struct {
        const char* name;
        std::vector<std::string> options;
        const char* gap;
        const char* margin;
    } rows[] = {
        {"defaults", {}, "5", "10"},
        {"smaller sheet, wider gap and margin",
         {"--sheet", "1000x2000", "--gap", "8", "--margin", "15"}, "8", "15"},
        {"half turns only, the sheet written with a times sign",
         {"--sheet", "1500×3000", "--turns", "180"}, "5", "10"},
        {"a coil", {"--coil", "1250"}, "5", "10"},
        {"no gap, no margin, turns every 45 degrees",
         {"--gap", "0", "--margin", "0", "--turns", "45"}, "0", "0"},
    };
    WriteAll(dir / "order.csv", kOrder);
    int n = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string out = "out" + std::to_string(n++);
        std::vector<std::string> args = {"nest", "order.csv", "--out", out, "--iterations", "30"};
        args.insert(args.end(), r.options.begin(), r.options.end());
        const auto ran = runKiv(args);
        ASSERT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(ran.err, ""); // no progress bar when stderr is no terminal
        EXPECT_EQ(check(dir / out, r.gap, r.margin, kCopies), 0);
        for (const char* file : {"nest-sheets.pdf", "nest-summary.csv", "nest-summary.json"})
            EXPECT_TRUE(std::filesystem::exists(dir / out / file)) << file;
        EXPECT_EQ(ReadAll(dir / out / "nest-sheets.pdf").rfind("%PDF-", 0), 0u);
    }
}

TEST_F(NestCommand, TheCheckCatchesALayoutThatBreaksTheRules) {
    KIV_SKIP_IF_MISSING(kiv::test::MissingPython({"ezdxf", "shapely"}));
    // The same files judged by stricter rules than they were made by, and
    // against an order they do not hold: the check must refuse each.
    WriteAll(dir / "order.csv", kOrder);
    ASSERT_EQ(runKiv({"nest", "order.csv", "--out", "out", "--iterations", "10"}).status, 0);
    const struct {
        const char* name;
        const char* gap;
        const char* margin;
        const char* copies;
    } rows[] = {
        {"a gap wider than the one nested with", "60", "10", kCopies},
        {"a margin wider than the one nested with", "5", "400", kCopies},
        {"a copy more than written", "5", "10", "1:6 2:3 3:2"},
        {"a hood the order does not hold", "5", "10", "1:5 2:3"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(check(dir / "out", r.gap, r.margin, r.copies), 1);
    }
}

TEST_F(NestCommand, TimeLimitStopsTheSearchWithAWarningAndAValidLayout) {
    KIV_SKIP_IF_MISSING(kiv::test::MissingPython({"ezdxf", "shapely"}));
    WriteAll(dir / "order.csv", kOrder);
    const auto ran = runKiv({"nest", "order.csv", "--out", "out", "--iterations", "1000000",
                             "--time", "1"});
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_NE(ran.err.find("поиск остановлен по времени"), std::string::npos) << ran.err;
    EXPECT_EQ(check(dir / "out", "5", "10", kCopies), 0);
    EXPECT_NE(ReadAll(dir / "out" / "nest-summary.json").find("\"stopped_by_time\": true"),
              std::string::npos);
}

TEST_F(NestCommand, SameOrderAndSeedGiveTheSameFiles) {
    WriteAll(dir / "order.csv", kOrder);
    // The PDF carries the moment it was made: the reproducible-build date
    // fixes it (the runs are a second apart, so the clock would show).
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    for (const char* out : {"first", "second"}) {
        ASSERT_EQ(runKiv({"nest", "order.csv", "--out", out, "--seed", "7"}).status, 0);
        ::sleep(1);
    }
    ::unsetenv("SOURCE_DATE_EPOCH");
    const auto names = entries(dir / "first");
    EXPECT_EQ(names.size(), 5u); // two sheets, the PDF, the two summaries
    EXPECT_EQ(names, entries(dir / "second"));
    for (const auto& name : names)
        EXPECT_EQ(ReadAll(dir / "first" / name), ReadAll(dir / "second" / name)) << name;
    EXPECT_NE(ReadAll(dir / "first" / "nest-sheets.pdf").find("/CreationDate (D:20231114221320"),
              std::string::npos);
}

TEST_F(NestCommand, SheetsOfAnEarlierLongerLayoutAreRemovedOthersKept) {
    WriteAll(dir / "order.csv", "type\n1\n");
    std::filesystem::create_directories(dir / "out");
    for (const char* name : {"sheet-2.dxf", "sheet-17.dxf", "sheet-1.dxf.bak", "sheet-x.dxf",
                             "notes.txt"})
        WriteAll(dir / "out" / name, "old");
    const auto ran = runKiv({"nest", "order.csv", "--out", "out"});
    ASSERT_EQ(ran.status, 0);
    // One sheet, as Russian counts it; it used to be "1 листов".
    EXPECT_NE(ran.out.find("Листов: 1, "), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("прямоугольными заготовками: 1 лист\n"), std::string::npos) << ran.out;
    EXPECT_EQ(entries(dir / "out"),
              (std::vector<std::string>{"nest-sheets.pdf", "nest-summary.csv", "nest-summary.json",
                                        "notes.txt", "sheet-1.dxf", "sheet-1.dxf.bak",
                                        "sheet-x.dxf"}));
    EXPECT_NE(ReadAll(dir / "out" / "sheet-1.dxf"), "old");
}

// A file of the set that cannot be written (a folder stands in its place)
// must leave every file of the earlier layout: sheets of two layouts in one
// folder would be cut as one.
TEST_F(NestCommand, AFailedFileKeepsEveryOldFileOfTheSet) {
    WriteAll(dir / "order.csv", kOrder);
    std::filesystem::create_directories(dir / "out" / "nest-summary.json");
    for (const char* name : {"sheet-1.dxf", "sheet-2.dxf", "sheet-3.dxf", "nest-summary.csv"})
        WriteAll(dir / "out" / name, "old");
    const auto ran = runKiv({"nest", "order.csv", "--out", "out", "--iterations", "10"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.err.find("nest-summary.json: в папке уже есть папка с таким именем"),
              std::string::npos)
        << ran.err;
    EXPECT_EQ(entries(dir / "out"),
              (std::vector<std::string>{"nest-summary.csv", "nest-summary.json", "sheet-1.dxf",
                                        "sheet-2.dxf", "sheet-3.dxf"}));
    for (const char* name : {"sheet-1.dxf", "sheet-2.dxf", "sheet-3.dxf", "nest-summary.csv"})
        EXPECT_EQ(ReadAll(dir / "out" / name), "old") << name;
}

TEST_F(NestCommand, RefusedInputNamesTheCauseAndWritesNothing) {
    const struct {
        const char* name;
        const char* order;
        std::vector<std::string> options;
        std::vector<std::string> says;
    } rows[] = {
        {"a hood larger than the sheet",
         "type,L1,L2,H,name\n1,200,400,100,small\n1,2000,3000,500,big\n",
         {},
         {"строка 3 (big)", "не помещается на лист 1250 × 2500 мм", "ничего не записано"}},
        {"a hood wider than the coil",
         "type,L1,L2,H\n1,2000,3000,500\n",
         {"--coil", "600"},
         {"строка 2:", "на рулон шириной 600 мм"}},
        {"a refused row stops the whole order",
         "type,L1,L2,H\n1,200,400,100\n4,200,400,100\n",
         {},
         {"строка 3, колонка type", "ничего не записано"}},
        {"a sheet that is no size", "type\n1\n", {"--sheet", "1250x"}, {"--sheet"}},
        {"a turn step out of range", "type\n1\n", {"--turns", "400"}, {"--turns"}},
        {"a negative gap", "type\n1\n", {"--gap", "-1"}, {"зазор"}},
        {"a row cut short", "type,L1,L2,H\n1,200\n", {}, {"строка 2:", "строка оборвана"}},
        {"bytes in no encoding", "type,name\n1,\x98\n", {}, {"строка 2:", "CSV UTF-8"}},
        {"a coil of no width", "type\n1\n", {"--coil", "0"}, {"--coil", "положительным"}},
        {"a coil of a negative width", "type\n1\n", {"--coil", "-5"}, {"--coil", "положительным"}},
        {"a coil and a sheet at once", "type\n1\n", {"--coil", "1250", "--sheet", "1000x2000"},
         {"--coil и --sheet"}},
        {"a turn step finer than a degree", "type\n1\n", {"--turns", "0.01"},
         {"--turns", "не мельче 1°", "'0.01'"}},
        {"a negative seed", "type\n1\n", {"--seed", "-1"}, {"--seed", "от 0 до 18446744073709551615"}},
        {"a seed past 64 bits", "type\n1\n", {"--seed", "18446744073709551616"}, {"--seed"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        WriteAll(dir / "order.csv", r.order);
        std::vector<std::string> args = {"nest", "order.csv", "--out", "out"};
        args.insert(args.end(), r.options.begin(), r.options.end());
        const auto ran = runKiv(args);
        EXPECT_EQ(ran.status, 2);
        for (const auto& s : r.says)
            EXPECT_NE(ran.err.find(s), std::string::npos) << s << "\n" << ran.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out"));
    }
}

// Sizes, turns and lengths read the same under every locale, with the point
// or the decimal comma.
TEST_F(NestCommand, NumbersReadTheSameInEveryLocale) {
    WriteAll(dir / "order.csv", "type;H;L1;L2;S\n1;100;200;400;0,5\n");
    const std::vector<std::string> point = {"--sheet", "1250.5x2500", "--turns", "22.5", "--gap", "2.5",
                                            "--margin", "7.5", "--time", "5.5"};
    std::vector<std::string> comma = point;
    for (std::string& option : comma)
        std::replace(option.begin(), option.end(), '.', ',');
    std::string first;
    for (const std::string& shopLocale : kiv::test::kShopLocales) {
        for (const std::vector<std::string>& options : {point, comma}) {
            SCOPED_TRACE(shopLocale + " " + options[1]);
            locale = shopLocale;
            std::filesystem::remove_all(dir / "out");
            std::vector<std::string> args = {"nest", "order.csv", "--out", "out", "--iterations", "3"};
            args.insert(args.end(), options.begin(), options.end());
            const auto ran = runKiv(args);
            ASSERT_EQ(ran.status, 0) << ran.err;
            first = first.empty() ? ReadAll(dir / "out" / "nest-summary.csv") : first;
            EXPECT_EQ(ReadAll(dir / "out" / "nest-summary.csv"), first);
            // A ';' order gets its summary as a spreadsheet with decimal commas reads it.
            EXPECT_NE(first.find("sheet;sheet-1.dxf;0,5;1;1250,5;"), std::string::npos) << first;
        }
    }
    locale = "ru_RU.UTF-8";
    WriteAll(dir / "order.csv", "type\n1\n");
    for (const char* option : {"--gap", "--margin", "--time", "--coil"}) {
        const auto ran = runKiv({"nest", "order.csv", "--out", "bad", option, "2,5,"});
        EXPECT_EQ(ran.status, 2) << option;
        EXPECT_NE(ran.err.find(std::string("параметр ") + option + ": нужно число, а не '2,5,'"), ran.err.npos);
        EXPECT_FALSE(std::filesystem::exists(dir / "bad"));
    }
}

// The time limit holds for the whole run, the thicknesses, the blanks and
// the first layouts included: a layout, or the order refused as too large for
// the time, within the limit and a margin for a loaded machine (was 10-40 s).
TEST_F(NestCommand, EveryRunEndsWithinItsTimeLimit) {
    const std::pair<const char*, const char*> rows[] = {
        {"type;qty\n3;999999\n", "90"}, {kOrder, "1"}, {kOrder, "10"}};
    for (const auto& [order, turns] : rows) {
        SCOPED_TRACE(turns);
        WriteAll(dir / "order.csv", order);
        std::filesystem::remove_all(dir / "out");
        const auto start = std::chrono::steady_clock::now();
        const auto ran = runKiv({"nest", "order.csv", "--out", "out", "--time", "1", "--iterations",
                                 "1000000", "--turns", turns});
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 4);
        EXPECT_EQ(std::filesystem::exists(dir / "out"), ran.status == 0);
        if (ran.status != 0) {
            EXPECT_EQ(ran.status, 2);
            EXPECT_NE(ran.err.find("заказ слишком велик для заданного времени: за 1 с"),
                      std::string::npos);
        }
    }
}

TEST_F(NestCommand, SummaryComparesTheTrueShapesWithRectangularBlanks) {
    WriteAll(dir / "order.csv", "type,H,L1,L2,qty\n1,150,300,500,12\n");
    ASSERT_EQ(runKiv({"nest", "order.csv", "--out", "out", "--iterations", "30"}).status, 0);
    const std::string csv = ReadAll(dir / "out" / "nest-summary.csv");
    EXPECT_EQ(csv.rfind("kind,file,S_mm,sheets,", 0), 0u);
    // Parts area is the same hoods either way; the blanks take at least as
    // much stock, so their use is never the higher.
    const auto field = [&](const std::string& kind, int column) {
        std::size_t at = csv.find("\n" + kind + ",");
        EXPECT_NE(at, std::string::npos) << kind;
        std::string line = csv.substr(at + 1, csv.find('\r', at + 1) - at - 1);
        for (int c = 0; c < column; ++c)
            line = line.substr(line.find(',') + 1);
        return std::stod(line.substr(0, line.find(',')));
    };
    EXPECT_EQ(field("total", 6), 12);
    EXPECT_EQ(field("blanks", 6), 12);
    EXPECT_DOUBLE_EQ(field("total", 7), field("blanks", 7));
    EXPECT_GE(field("total", 9), field("blanks", 9));
    EXPECT_GT(field("sheet", 9), 0);
}

// A copy is labelled by its hood's place in the order and its own number,
// both from 1, as the window labels the copies of its one hood: not by the
// hood's line in the file, which the header and blank lines shift, nor by
// the sheets of its thickness.
TEST_F(NestCommand, CopiesAreLabelledByTheHoodsPlaceInTheOrder) {
    WriteAll(dir / "order.csv", "type,H,L1,L2,S,qty,name\n\n1,100,200,400,1,2,a\n\n\n2,150,300,500,0.5,3,b\n");
    const auto ran = runKiv({"nest", "order.csv", "--out", "out", "--iterations", "10"});
    ASSERT_EQ(ran.status, 0) << ran.err;
    const std::map<std::string, int> lines{{"a", 3}, {"b", 6}};
    std::map<std::string, std::vector<std::string>> labels;
    const auto summary = nlohmann::json::parse(ReadAll(dir / "out" / "nest-summary.json"));
    for (const auto& group : summary["thicknesses"])
        for (const auto& sheet : group["sheets"])
            for (const auto& part : sheet["parts"]) {
                EXPECT_EQ(part["line"], lines.at(part["name"])) << "the summary keeps the file's line";
                labels[part["name"]].push_back(part["label"]);
            }
    std::sort(labels["b"].begin(), labels["b"].end());
    EXPECT_EQ(labels["a"], (std::vector<std::string>{"1-1", "1-2"}));
    EXPECT_EQ(labels["b"], (std::vector<std::string>{"2-1", "2-2", "2-3"}));
}

} // namespace

namespace {

TEST(SheetSize, WidthTimesLengthInPositiveMillimetres) {
    const struct {
        const char* text;
        bool ok;
        double width, length;
    } rows[] = {
        {"1250x2500", true, 1250, 2500}, {"1000X2000", true, 1000, 2000},
        {"1500×3000", true, 1500, 3000}, {"1250.5x2500", true, 1250.5, 2500},
        {"1250,5x2500", true, 1250.5, 2500}, {"1250,5x2500,5", true, 1250.5, 2500.5},
        {"1250,5,5x2500", false, 0, 0},  {"0x10x2500", false, 0, 0},
        {"1000х2000", true, 1000, 2000}, {"1500Х3000", true, 1500, 3000}, // Cyrillic
        {"1250хх2500", false, 0, 0},
        {"1250x", false, 0, 0},          {"x2500", false, 0, 0},
        {"0x2500", false, 0, 0},         {"-1250x2500", false, 0, 0},
        {"1250x2500x3", false, 0, 0},    {"1250 2500", false, 0, 0},
        {"infx2500", false, 0, 0},       {"nanx2500", false, 0, 0},
        {"1250x2500mm", false, 0, 0},    {"", false, 0, 0},
    };
    // The window's Qt sets the number locale from the environment: a Russian
    // one must not change what a size means.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* locale : {"C", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, locale) == nullptr) {
            ADD_FAILURE() << "locale " << locale << " is not installed (tools/setup.sh makes it)";
            continue;
        }
        for (const auto& r : rows) {
            SCOPED_TRACE(std::string(r.text) + " in " + locale);
            double width = 0, length = 0;
            EXPECT_EQ(kiv::sheets::ParseSheetSize(r.text, width, length), r.ok);
            if (r.ok) {
                EXPECT_EQ(width, r.width);
                EXPECT_EQ(length, r.length);
            }
        }
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
