// `kiv batch` as a shop runs it on an order from a spreadsheet.
#include "run_kiv.h"

#include "road/Road.h"

#include <nlohmann/json.hpp>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace {

using kiv::test::KivTest;
using kiv::test::ReadAll;

class Batch : public KivTest {
protected:
    kiv::test::Ran batch(const std::string& csv, std::vector<std::string> more = {}) {
        kiv::test::WriteAll(dir / "order.csv", csv);
        std::vector<std::string> args = {"batch", "order.csv", "--out", "out", "--osmode", "0"};
        args.insert(args.end(), more.begin(), more.end());
        return runKiv(args);
    }
    nlohmann::json summary() const {
        return nlohmann::json::parse(ReadAll(dir / "out" / "summary.json"));
    }
    std::vector<std::string> written() const {
        return std::filesystem::exists(dir / "out") ? entries(dir / "out")
                                                    : std::vector<std::string>{};
    }
};

const std::string kDefault1 = "200x400x100x0.5";

// The ways spreadsheets write an order, each read as the same hoods.
TEST_F(Batch, ReadsWhatSpreadsheetsWrite) {
    const struct {
        const char* name;
        std::string csv;
        std::vector<std::string> files; // besides the summaries
        long hoods;
    } rows[] = {
        {"header only", "type,H,L1,L2,S,P1,P2,d,qty,name\r\n", {}, 0},
        {"comma, LF", "type,H,L1,L2,S\n1,100,200,400,0.5\n", {kDefault1 + ".dxf", kDefault1 + ".scr"}, 1},
        {"lone CR line ends", "type,H,L1,L2,S\r1,100,200,400,0.5\r", {kDefault1 + ".dxf", kDefault1 + ".scr"}, 1},
        {"BOM, semicolon, CRLF",
         "\xEF\xBB\xBFtype;H;L1;L2;S;qty\r\n1;100;200;400;0.5;3\r\n",
         {kDefault1 + ".dxf", kDefault1 + ".scr"},
         3},
        {"columns in any order, names in any case, quoted cells",
         "S,name,QTY,l2,\"L1\",h,Type\n\"0.5\",\"a, \"\"b\"\"\",2,400,200,100,1\n",
         {kDefault1 + ".dxf", kDefault1 + ".scr"},
         2},
        {"empty cells take the window's texts, empty rows are skipped",
         "type,H,L1,L2,S,P1,P2,d\n\n3,,,,,,,\n,,,,,,,\n",
         {"200x400x100x0.5x3x2x2.dxf", "200x400x100x0.5x3x2x2.scr"},
         1},
    };
    for (const auto& r : rows) {
        std::filesystem::remove_all(dir / "out");
        const kiv::test::Ran run = batch(r.csv);
        EXPECT_EQ(run.status, 0) << r.name << "\n" << run.err;
        std::vector<std::string> expected = r.files;
        expected.insert(expected.end(), {"summary.csv", "summary.json"});
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(written(), expected) << r.name;
        EXPECT_EQ(summary()["totals"]["hoods"], r.hoods) << r.name;
    }
    // The script of the last row is the window's default script of type 3.
    kiv::OutputRequest request;
    request.script = true;
    EXPECT_EQ(ReadAll(dir / "out" / "200x400x100x0.5x3x2x2.scr"),
              kiv::RunRoad(3, kiv::FieldTexts(), "0", request).outputs.script);
}

// A bad row names its line, its column and the window's message; the other
// rows still go through and the status says some failed. --strict writes nothing.
TEST_F(Batch, BadRowsAreReportedAndTheRestGoThrough) {
    const std::string csv = "type,H,L1,L2,S,name\n"
                            "1,100,200,400,0.5,a\n"
                            "1,1O0,200,400,0.5,b\n"
                            "2,100,200,1e400,0.5,c\n"
                            "4,100,200,400,0.5,d\n"
                            "1,150,200,400,0.5,e\n"
                            "1,100,200,400,0.5,f\n";
    const struct {
        const char* text;
    } messages[] = {
        {"строка 3, колонка H: '1O0' is not a valid floating point value."},
        {"строка 4, колонка L2: '1e400' is not a valid floating point value."},
        {"строка 5, колонка type:"},
        // Rows 2 and 7 would write the same files: the second one is refused.
        {"строка 7, колонка name: имя файла 200x400x100x0.5.scr уже занято строкой 2"},
    };
    kiv::test::Ran run = batch(csv);
    EXPECT_EQ(run.status, 2);
    for (const auto& m : messages)
        EXPECT_NE(run.err.find(m.text), std::string::npos) << m.text << "\n" << run.err;
    const nlohmann::json s = summary();
    ASSERT_EQ(s["hoods"].size(), 2u);
    EXPECT_EQ(s["hoods"][0]["name"], "a");
    EXPECT_EQ(s["hoods"][1]["name"], "e");

    std::filesystem::remove_all(dir / "out");
    run = batch(csv, {"--strict"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(written().empty()) << "--strict writes nothing";
}

TEST_F(Batch, OrdersThatCannotBeRead) {
    const struct {
        const char* name;
        std::string csv;
        const char* message;
    } rows[] = {
        {"empty file", "", "пуст"},
        {"blank lines only", "\r\n\r\n", "пуст"},
        {"unknown column", "type,H,L1,L2,S,colour\n1,1,1,1,1,red\n", "неизвестная колонка 'colour'"},
        {"repeated column", "type,H,H,L1,L2,S\n", "повторяется"},
        {"no type column", "H,L1,L2,S\n100,200,400,0.5\n", "нет колонки 'type'"},
        {"too many cells", "type,H,L1,L2,S\n1,100,200,400,0.5,9\n", "строка 2"},
    };
    for (const auto& r : rows) {
        const kiv::test::Ran run = batch(r.csv);
        EXPECT_EQ(run.status, 2) << r.name;
        EXPECT_NE(run.err.find(r.message), std::string::npos) << r.name << "\n" << run.err;
        EXPECT_TRUE(written().empty()) << r.name;
    }
}

// "-1" read as an unsigned count would ask for four billion threads.
TEST_F(Batch, ThreadCountsThatAreNoWholeNumberAreRefused) {
    for (const char* jobs : {"-1", "1.5", "4294967296"}) {
        const kiv::test::Ran run = batch("type\n1\n", {"-j", jobs});
        EXPECT_EQ(run.status, 2) << jobs;
        EXPECT_NE(run.err.find("--jobs: число потоков"), std::string::npos) << run.err;
        EXPECT_TRUE(written().empty()) << jobs;
    }
}

// Names from a mask, formats on request; a name that would leave the folder is refused.
TEST_F(Batch, NamesFromTheMaskAndTheFormatsAsked) {
    const std::string csv = "name,type,H,L1,L2,S,P1,P2,d\n"
                            "roof,2,120,250,500,0.5,,,\n"
                            "../up,1,100,200,400,0.5,,,\n"
                            "cap,3,100,200,400,0.5,4,,\n";
    const kiv::test::Ran run =
        batch(csv, {"--name", "{name}_{L1}x{L2}x{H}_P{P1}", "--formats", "dxf, scr"});
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("строка 3, колонка name: недопустимое имя файла"), std::string::npos)
        << run.err;
    EXPECT_EQ(written(), (std::vector<std::string>{"cap_200x400x100_P4.dxf",
                                                   "cap_200x400x100_P4.scr", "roof_250x500x120_P3.dxf",
                                                   "roof_250x500x120_P3.scr", "summary.csv",
                                                   "summary.json"}));
    EXPECT_EQ(summary()["hoods"][1]["files"],
              nlohmann::json::parse(R"(["cap_200x400x100_P4.dxf","cap_200x400x100_P4.scr"])"));

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--name", "{colour}"}, {"--formats", "svg"}, {"--name", "{name"}}) {
        std::filesystem::remove_all(dir / "out");
        EXPECT_EQ(batch(csv, bad).status, 2) << bad.back();
        EXPECT_TRUE(written().empty()) << bad.back();
    }
}

// Rows are worked on several threads; the files are the road's and the
// summary keeps the order's order, its totals counting every hood of qty.
TEST_F(Batch, ManyRowsOnAllCoresKeepTheirOrder) {
    std::string csv = "type,L1,L2,H,qty,name\n";
    double area = 0, copper = 0, wire = 0;
    long hoods = 0;
    for (int i = 0; i < 60; ++i) {
        const int type = 1 + i % 3;
        const std::string L1 = std::to_string(100 + i), qty = std::to_string(1 + i % 4);
        csv.append(std::to_string(type)).append(",").append(L1).append(",400,100,").append(qty);
        csv.append(",n").append(std::to_string(i)).append("\n");
        kiv::FieldTexts texts;
        texts[kiv::Input::L1] = L1;
        const kiv::RoadResult road = kiv::RunRoad(type, texts, "0");
        const double q = std::stod(qty);
        area += road.confirmation.report.blank.blankArea * q;
        copper += road.confirmation.report.blank.blankMass[2] * q;
        wire += type == 3 ? kiv::WireLength(road.data) * q : 0;
        hoods += 1 + i % 4;
    }
    const kiv::test::Ran run = batch(csv, {"--jobs", "3"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << "no progress bar when stderr is not a terminal";
    const nlohmann::json s = summary();
    ASSERT_EQ(s["hoods"].size(), 60u);
    for (std::size_t i = 0; i < 60; ++i)
        EXPECT_EQ(s["hoods"][i]["name"], "n" + std::to_string(i));
    EXPECT_EQ(s["totals"]["hoods"], hoods);
    EXPECT_NEAR(s["totals"]["blank_area_mm2"].get<double>(), area, 1e-6 * area);
    EXPECT_NEAR(s["totals"]["blank_mass_kg"]["copper"].get<double>(), copper, 1e-9 * copper);
    EXPECT_DOUBLE_EQ(s["totals"]["wire_length_mm"].get<double>(), wire);
    // The CSV summary: a header, one line per row and the totals.
    const std::string table = ReadAll(dir / "out" / "summary.csv");
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 62);
    EXPECT_NE(table.find("\r\ntotal,"), std::string::npos);
}

// A full disk: status 1, nothing half-written, no temporary file.
TEST_F(Batch, FullDiskLeavesNoHalfFile) {
    const std::filesystem::path out = dir / "out";
    std::filesystem::create_directory(out);
    if (::mount("tmpfs", out.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    std::string csv = "type,L1\n";
    for (int i = 0; i < 20; ++i)
        csv += "3," + std::to_string(200 + i) + "\n";
    const kiv::test::Ran run = batch(csv);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("не удалось записать файл"), std::string::npos);
    // Whatever is there is whole: every drawing ends with its EOF.
    for (const std::string& name : written()) {
        EXPECT_NE(name.rfind(".kiv-", 0), 0u) << "a temporary file stayed: " << name;
        if (name.ends_with(".dxf")) {
            const std::string bytes = ReadAll(out / name);
            EXPECT_TRUE(bytes.find("EOF") != std::string::npos) << name;
        }
    }
    ::umount(out.c_str());
}

// Templates for a batch: one PDF per row, painted off screen.
TEST_F(Batch, PdfTemplatesOnRequest) {
    const kiv::test::Ran run =
        batch("type,name\n1,a\n2,b\n", {"--formats", "pdf", "--name", "{name}", "--paper", "A3"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(written(),
              (std::vector<std::string>{"a.pdf", "b.pdf", "summary.csv", "summary.json"}));
    EXPECT_EQ(ReadAll(dir / "out" / "a.pdf").rfind("%PDF", 0), 0u);
}

} // namespace
