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
        // The summary written hood by hood is laid out as one whole document.
        const std::string json = ReadAll(dir / "out" / "summary.json");
        EXPECT_EQ(json, nlohmann::ordered_json::parse(json).dump(2) + "\n") << r.name;
    }
    // The script of the last row is the window's default script of type 3.
    kiv::OutputRequest request;
    request.script = true;
    EXPECT_EQ(ReadAll(dir / "out" / "200x400x100x0.5x3x2x2.scr"),
              kiv::RunRoad(3, kiv::FieldTexts(), "0", request).outputs.script);
}

// An order saved by a Russian spreadsheet, with ";" and decimal commas, is
// the same order as one with points, under any locale; its summary keeps
// ";" and the decimal comma, a "," order's summary keeps the points.
TEST_F(Batch, DecimalCommasAndLocalesGiveTheSameHoods) {
    const std::string point = "type,H,L1,L2,S,P1,P2,d,qty,name\n3,150.5,300,500,0.5,3.5,2,2.5,2,\"a; b\"\n"
                              "1,100,200.25,400,1,,,,1,c\n";
    const std::string semicolons = "type;H;L1;L2;S;P1;P2;d;qty;name\r\n3;150,5;300;500;0,5;3,5;2;2,5;2;\"a; b\"\r\n"
                                   "1;100;200,25;400;1;;;;1;c\r\n";
    const std::string quoted = "type,H,L1,L2,S,P1,P2,d,qty,name\n3,\"150,5\",300,500,\"0,5\",\"3,5\",2,\"2,5\",2,"
                               "\"a; b\"\n1,100,\"200,25\",400,1,,,,1,c\n";
    ASSERT_EQ(batch(point, {"--formats", "scr,pdf"}).status, 0);
    const std::string json = ReadAll(dir / "out" / "summary.json"), csv = ReadAll(dir / "out" / "summary.csv");
    const std::vector<std::string> files = written();
    // The ";" summary cell by cell: the numbers with the comma, the names and files as they were.
    std::string expected;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const std::size_t cell = csv.find_last_of(",\n", i - (i > 0)) + 1;
        const bool file = csv.find_first_of("x ", cell) < csv.find_first_of(",\r", cell);
        expected += csv[i] == ',' ? ';' : csv[i] == '.' && !file ? ',' : csv[i];
    }
    expected.replace(expected.find("a; b"), 4, "\"a; b\"");
    for (const std::string* order : {&point, &semicolons, &quoted}) {
        for (const std::string& shopLocale : kiv::test::kShopLocales) {
            SCOPED_TRACE(*order + " in " + shopLocale);
            locale = shopLocale;
            std::filesystem::remove_all(dir / "out");
            const kiv::test::Ran run = batch(*order, {"--formats", "scr,pdf"});
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(written(), files);
            EXPECT_EQ(ReadAll(dir / "out" / "summary.json"), json);
            EXPECT_EQ(ReadAll(dir / "out" / "summary.csv"), order == &semicolons ? expected : csv);
        }
    }
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
                            "1,100,200,400,0.5,f\n"
                            "1," +
                            std::string(10000, '9') +
                            ",200,400,0.5,g\n"
                            "\x01\x1B[2J,100,200,400,0.5,h\n";
    const struct {
        const char* text;
    } messages[] = {
        {"строка 3, колонка H: '1O0' — не число."},
        {"строка 4, колонка L2: '1e400' — не число."},
        {"строка 5, колонка type:"},
        // Rows 2 and 7 would write the same files: the second one is refused.
        {"строка 7, колонка name: имя файла 200x400x100x0.5.scr уже занято строкой 2"},
        // A long or binary cell is quoted cut short, what is no text escaped.
        {"строка 8, колонка H: '9999999999999999999999999999999999999999… (всего 10000 байт)'"},
        {"строка 9, колонка type: тип развертки должен быть 1, 2 или 3, а не '\\x01\\x1B[2J'"},
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
        {"unknown column", "type,H,L1,L2,S,colour\n1,1,1,1,1,red\n",
         "неизвестная колонка 'colour'"},
        {"repeated column", "type,H,H,L1,L2,S\n", "повторяется"},
        {"no type column", "H,L1,L2,S\n100,200,400,0.5\n", "нет колонки 'type'"},
        {"too many cells", "type,H,L1,L2,S\n1,100,200,400,0.5,9\n", "строка 2"},
        {"a row cut short", "name;type;H;L1;L2;S;qty\nцелая;1;;;;;\nобрыв;3;100;5\n",
         "строка 3: в строке 4 ячейки, а колонок в заголовке 7"},
        {"a value under an unnamed column", "type,H,\n1,100,\n1,100,7\n",
         "строка 3: в колонке 3 значение '7'"},
        {"a quote left open", "type,name\n1,\"a\n1,b\n", "строка 2: кавычка открыта"},
        {"neither UTF-8 nor Windows-1251", "type,name\n1,a\n1,\xEA\x98\n",
         "строка 3: файл заказа не в кодировке UTF-8"},
        {"a control byte in a Windows-1251 file", "type,name\n1,\xEA\x01\n", "CSV UTF-8"},
        {"UTF-16, as Excel saves Unicode text", std::string("\xFF\xFEt\0y\0p\0e\0\n\0", 12),
         "UTF-16"},
    };
    for (const auto& r : rows) {
        for (const char* strict : {"--jobs=1", "--strict"}) {
            const kiv::test::Ran run = batch(r.csv, {strict});
            EXPECT_EQ(run.status, 2) << r.name;
            EXPECT_NE(run.err.find(r.message), std::string::npos) << r.name << "\n" << run.err;
            EXPECT_TRUE(written().empty()) << r.name;
        }
    }
    std::filesystem::create_directory(dir / "folder");
    const struct {
        const char* file;
        const char* says;
    } files[] = {
        {"folder", "folder — папка, а не файл заказа"},
        {"/dev/zero", "/dev/zero: файл заказа больше 64 МБ"},
        {"missing.csv", "не удалось прочитать файл заказа missing.csv"},
    };
    for (const auto& f : files) {
        const kiv::test::Ran run = runKiv({"batch", f.file, "--out", "out", "--osmode", "0"});
        EXPECT_EQ(run.status, 2) << f.file;
        EXPECT_NE(run.err.find(f.says), std::string::npos) << run.err;
        EXPECT_TRUE(written().empty()) << f.file;
    }
}

// An older Russian spreadsheet saves Windows-1251: the names reach the files
// and both summaries as UTF-8.
TEST_F(Batch, ReadsAnOrderInWindows1251) {
    // "name;type;...\nкрыша;3;...\nвент;2;..." as Windows-1251
    const std::string csv = "name;type;H;L1;L2;S;P1;P2;d;qty\r\n"
                            "\xEA\xF0\xFB\xF8\xE0;3;100;200;400;0.5;;;;4\r\n"
                            "\xE2\xE5\xED\xF2;2;150;300;600;0.7;4;3;;2\r\n";
    const kiv::test::Ran run = batch(csv, {"--name", "{name}_{L1}"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("прочитан как Windows-1251"), std::string::npos) << run.err;
    EXPECT_EQ(written(),
              (std::vector<std::string>{"summary.csv", "summary.json", "вент_300.dxf",
                                        "вент_300.scr", "крыша_200.dxf", "крыша_200.scr"}));
    EXPECT_EQ(summary()["hoods"][0]["name"], "крыша");
    EXPECT_NE(ReadAll(dir / "out" / "summary.csv").find("\r\n3;вент;2;"), std::string::npos);
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

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--name", "{colour}"},
                                                {"--formats", "svg"},
                                                {"--name", "{name"},
                                                {"--name", "\xFF{name}"}}) {
        std::filesystem::remove_all(dir / "out");
        EXPECT_EQ(batch(csv, bad).status, 2) << bad.back();
        EXPECT_TRUE(written().empty()) << bad.back();
    }
}

// A mask that names a file a file manager hides, or none, refuses the row.
TEST_F(Batch, NoHiddenFilesFromTheMask) {
    const kiv::test::Ran run = batch("name,type\n,1\n.x,2\n  ,3\nok,1\n", {"--name", "{name}"});
    EXPECT_EQ(run.status, 2);
    for (const char* message :
         {"строка 2, колонка name: по маске --name '{name}' получилось пустое имя файла",
          "строка 3, колонка name: недопустимое имя файла '.x.scr'",
          "строка 4, колонка name: по маске"})
        EXPECT_NE(run.err.find(message), std::string::npos) << message << "\n" << run.err;
    EXPECT_EQ(written(),
              (std::vector<std::string>{"ok.dxf", "ok.scr", "summary.csv", "summary.json"}));
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

// The names taken are kept however many rows came before: a row far down
// the order that would write the first row's files is refused all the same.
TEST_F(Batch, ANameTakenThousandsOfRowsBackIsStillTaken) {
    std::string csv = "type,L1,L2,H,name\n";
    for (int i = 0; i < 3000; ++i)
        csv.append("1,100,400,100,n").append(std::to_string(i)).append("\n");
    csv.append("1,150,400,100,n0\n");
    const kiv::test::Ran run = batch(csv, {"--formats", "scr", "--name", "{name}"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "kiv: строка 3002, колонка name: имя файла n0.scr уже занято строкой 2\n");
    EXPECT_EQ(summary()["hoods"].size(), 3000u);
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

// A run stopped midway keeps the old summaries: none lists a row whose files
// are not written, and no half summary stays behind.
TEST_F(Batch, StoppedRunLeavesNoSummaryOfUnwrittenRows) {
    std::string csv = "type,L1,L2\n";
    for (int i = 0; i < 40000; ++i)
        csv += "1," + std::to_string(150 + i % 1000) + "," + std::to_string(1200 + i / 1000) + "\n";
    kiv::test::WriteAll(dir / "order.csv", csv);
    for (const char* signal : {"INT", "TERM"}) {
        SCOPED_TRACE(signal);
        std::filesystem::create_directory(dir / "out");
        kiv::test::WriteAll(dir / "out" / "summary.csv", "old");
        kiv::test::WriteAll(dir / "out" / "summary.json", "old");
        // Stopped while the files are written (the whole run takes far longer).
        const std::string command = "cd " + kiv::test::Quoted(dir.string()) + " && timeout -s " + signal +
                                    " 1.5 " + kiv::test::Quoted(KIV_BINARY) +
                                    " batch order.csv --out out --osmode 0 --formats scr -j 1 2>&-";
        EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 124);
        EXPECT_EQ(ReadAll(dir / "out" / "summary.csv") + ReadAll(dir / "out" / "summary.json"), "oldold");
        // On one core at most the drawing being saved may leave its new
        // file; the summaries' new files go with the signal.
        const std::vector<std::string> names = written();
        EXPECT_LE(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n[0] == '.'; }), 1);
        std::filesystem::remove_all(dir / "out");
    }
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
