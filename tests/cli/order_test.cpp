// The order reader on the files a spreadsheet, a cut copy or a wrong save gives.
#include "cli/Order.h"

#include <gtest/gtest.h>

namespace {

using kiv::cli::ReadOrder;

std::string Times(int n, const std::string& s) {
    std::string all;
    for (int i = 0; i < n; ++i)
        all += s;
    return all;
}

TEST(OrderReader, RowsAndTheirLines) {
    const struct {
        const char* name;
        std::string csv;
        std::vector<int> lines; // of the rows read
        std::string lastName;   // the last row's name cell
        bool windows1251;
    } rows[] = {
        {"a quoted cell over two lines", "type,name\n1,\"a\nb\"\n2,c\n", {2, 4}, "c", false},
        {"quoted first cell", "name,type\n\"a\nb\",1\n\"c\",2\n", {2, 4}, "c", false},
        {"cells left empty on purpose", "type;H;L1;L2;S;qty;name\n3;100;5;;;;\n", {2}, "", false},
        {"unused columns a spreadsheet keeps", "type,name,,\n1,a,,\n1,b\n", {2, 3}, "b", false},
        {"Windows-1251", "type;name\n1;\xEA\xF0\xFB\xF8\xE0 \xB9\n", {2}, "крыша №", true},
        {"UTF-8 that is also Windows-1251 text", "type;name\n1;\xD0\x90\n", {2}, "А", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const kiv::cli::Order order = ReadOrder(r.csv);
        ASSERT_EQ(order.error, "");
        std::vector<int> lines;
        for (const auto& row : order.rows)
            lines.push_back(row.line);
        EXPECT_EQ(lines, r.lines);
        EXPECT_EQ(order.rows.back().cells[kiv::cli::kName], r.lastName);
        EXPECT_EQ(order.windows1251, r.windows1251);
    }
}

TEST(OrderReader, FilesThatAreNoOrder) {
    const struct {
        const char* name;
        std::string csv;
        int line;
        const char* says;
    } rows[] = {
        {"a row cut short", "type,H,L1,L2,S,P1,P2\n1,1,1,1,1,1,1\nобрыв,3,100,5\n", 3,
         "в строке 4 ячейки, а колонок в заголовке 7"},
        {"one cell of five", "type,H,L1,L2,S\n1\n", 2,
         "в строке 1 ячейка, а колонок в заголовке 5"},
        {"a cell too many", "type,H\n1,2,3,4,5\n", 2, "в строке 5 ячеек, а колонок в заголовке 2"},
        {"a value under an unnamed column", "type,,H\n1,x,1\n", 2, "в колонке 2 значение 'x'"},
        {"a quote left open on line 2", "type,name\n1,\"a\n\n1,b\n", 2, "кавычка открыта"},
        {"a quote left open after a quoted row", "type,name\n1,\"a\nb\"\n1,\"c\n", 4,
         "кавычка открыта"},
        {"a cut row after a quoted first cell", "name,type,H\n\"a\nb\",1,1\n\"c\",2\n", 4,
         "в строке 2 ячейки"},
        {"a zero byte", std::string("type\n1\n\0\n", 9), 3, "нулевые байты"},
        {"0x98, no character in Windows-1251", "type\n1\n\x98\n", 3,
         "не в кодировке UTF-8 (байт \\x98)"},
        {"a control byte beside a non-UTF-8 byte", "type,name\n1,\xFF\x02\n", 2, "CSV UTF-8"},
        {"a long unknown column cut short", "type," + std::string(100, 'x') + "\n", 1,
         "неизвестная колонка 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx… (всего 100 байт)'"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const kiv::cli::Order order = ReadOrder(r.csv);
        EXPECT_NE(order.error.find(r.says), std::string::npos) << order.error;
        EXPECT_EQ(order.errorLine, r.line);
    }
}

TEST(OrderReader, Utf8AsJsonTakesIt) {
    for (const char* valid : {"крыша €𝄞", "\xF4\x8F\xBF\xBF"}) // up to U+10FFFF
        EXPECT_TRUE(kiv::cli::IsUtf8(valid)) << valid;
    // Overlong forms, a surrogate, above U+10FFFF, cut short, a lone continuation byte.
    for (const char* invalid :
         {"\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80"})
        EXPECT_FALSE(kiv::cli::IsUtf8(invalid)) << invalid;
}

TEST(OrderReader, CellsAsMessagesShowThem) {
    const struct {
        std::string cell;
        std::string shown;
    } rows[] = {
        {"1O0", "1O0"},
        {"a\r\nb\x7F", "a\\x0D\\x0Ab\\x7F"},
        {"\xFF\xD0", "\\xFF\\xD0"},
        {Times(40, "я"), Times(40, "я")}, // 40 characters, 80 bytes: whole
        // Cut at a character, never within one.
        {Times(50, "ж"), Times(40, "ж") + "… (всего 100 байт)"},
        {Times(41, "\x01"), Times(40, "\\x01") + "… (всего 41 байт)"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(kiv::cli::ShownCell(r.cell), r.shown);
}

} // namespace

// Rows handed over one by one are the rows the whole reading keeps, with its
// lines, and an error further on leaves the same message and line.
TEST(OrderReader, RowsOneByOneAreTheWholeReadingsRows) {
    const std::string files[] = {
        "type,name\n1,\"a\nb\"\n2,c\n",
        "type,name,,\n1,a,,\n\n1,b\n",
        "type;name\n1;\xEA\xF0\xFB\xF8\xE0 \xB9\n",
        "type,H\n1,2\n1,2,3,4,5\n1,3\n",   // an error after a good row
        "type,name\n1,a\n1,\"c\n",          // a quote left open at the end
        "type," + std::string(100, 'x') + "\n1,2\n",
    };
    for (const std::string& csv : files) {
        SCOPED_TRACE(csv);
        const kiv::cli::Order whole = ReadOrder(csv);
        std::vector<kiv::cli::OrderRow> got;
        const kiv::cli::Order streamed =
            kiv::cli::ReadOrderRows(csv, [&](kiv::cli::OrderRow& r) { got.push_back(r); });
        EXPECT_TRUE(streamed.rows.empty());
        ASSERT_EQ(got.size(), whole.rows.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].line, whole.rows[i].line);
            EXPECT_EQ(got[i].cells, whole.rows[i].cells);
        }
        EXPECT_EQ(streamed.error, whole.error);
        EXPECT_EQ(streamed.errorLine, whole.errorLine);
        EXPECT_EQ(streamed.windows1251, whole.windows1251);
    }
}
