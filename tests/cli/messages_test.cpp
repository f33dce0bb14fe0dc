// What `kiv` says when the user's command line, order or folder is wrong:
// every message Russian, naming the real cause, with the help of the verb
// the mistake was made in.
#include "run_kiv.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

using kiv::test::KivTest;
using kiv::test::WriteAll;

// The Latin words a Russian message may hold: the command and its verbs,
// names of formats and programs, and values the user types that the message
// lists as allowed.
const char* const kAllowed[] = {"kiv",  "calc", "batch", "nest",   "OSMODE",   "AutoCAD",
                                "PDF",  "DXF",  "CSV",   "JSON",   "UTF",      "scr",
                                "dxf",  "pdf",  "auto",  "Letter", "portrait", "landscape",
                                "type", "qty",  "name"};

// The message without what may be Latin: quoted values, option names and
// file names (any word with a dot or a slash), and the allowed words.
std::string LatinLeft(const std::string& message) {
    std::string s = std::regex_replace(message, std::regex("'[^'\n]*'|«[^»]*»"), " ");
    s = std::regex_replace(s, std::regex("(^|[\\s(,])--?[A-Za-z][A-Za-z0-9_-]*"), " ");
    s = std::regex_replace(s, std::regex("[^\\s,;:()]*[./][^\\s,;:()]*"), " ");
    for (const char* word : kAllowed)
        s = std::regex_replace(s, std::regex(std::string("\\b") + word + "\\b"), " ");
    std::smatch latin;
    return std::regex_search(s, latin, std::regex("[A-Za-z]{3,}")) ? latin.str() : "";
}

class Messages : public KivTest {};

TEST_F(Messages, EveryErrorIsRussianAndNamesItsCause) {
    const char* const kGoodOrder = "type,H\n1,100\n";
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* order; // written as order.csv when given
        int status;
        const char* says; // a part of the message that names the cause
        const char* help; // the help the message points to, if any
    } kRows[] = {
        {"unknown option", {"calc", "--type", "3", "-H", "100", "-L", "200"}, nullptr, 2,
         "неизвестный параметр -L; лишнее слово в командной строке: '200'", "kiv calc --help"},
        {"unknown verb", {"cut"}, nullptr, 2, "неизвестная команда 'cut'", "kiv --help"},
        {"unknown option before a verb", {"--bogus"}, nullptr, 2, "неизвестный параметр --bogus",
         "kiv --help"},
        {"missing value", {"calc", "--type"}, nullptr, 2, "у параметра --type нет значения",
         "kiv calc --help"},
        {"missing file value", {"nest", "order.csv", "--out"}, nullptr, 2,
         "у параметра --out нет значения", "kiv nest --help"},
        {"type not in its set", {"calc", "--type", "5"}, nullptr, 2,
         "параметр --type: недопустимое значение '5'", "kiv calc --help"},
        {"type no number", {"calc", "--type", "x"}, nullptr, 2, "недопустимое значение 'x'",
         "kiv calc --help"},
        {"required option", {"calc", "-H", "100"}, nullptr, 2,
         "не задан обязательный параметр --type", "kiv calc --help"},
        {"no order file", {"batch"}, nullptr, 2, "не задан файл заказа", "kiv batch --help"},
        {"no folder", {"batch", "order.csv"}, nullptr, 2, "не задан обязательный параметр --out",
         "kiv batch --help"},
        {"whole number no number", {"nest", "order.csv", "--out", "o", "--iterations", "abc"},
         kGoodOrder, 2, "параметр --iterations: 'abc' — не число", "kiv nest --help"},
        {"whole number with a fraction", {"nest", "order.csv", "--out", "o", "--iterations", "1.5"},
         kGoodOrder, 2, "'1.5' — нужно целое число", "kiv nest --help"},
        {"negative count", {"batch", "order.csv", "--out", "o", "-j", "-3"}, kGoodOrder, 2,
         "'-3' — нужно число не меньше нуля", "kiv batch --help"},
        {"extra word", {"calc", "--type", "1", "--scr", "a.scr", "b.scr"}, nullptr, 2,
         "лишнее слово в командной строке: 'b.scr'", "kiv calc --help"},
        {"bad paper", {"calc", "--type", "1", "--osmode", "0", "--paper", "B5"}, nullptr, 2,
         "параметр --paper: 'B5'", nullptr},
        {"field no number", {"calc", "--type", "1", "--osmode", "0", "-H", "abc"}, nullptr, 2,
         "'abc' — не число", nullptr},
        {"order cell no number", {"batch", "order.csv", "--out", "o", "--osmode", "0"},
         "type,H\n1,abc\n", 2, "строка 2, колонка H: 'abc' — не число.", nullptr},
        {"order cell no number in nest", {"nest", "order.csv", "--out", "o"}, "type,L1\n2,1.2.3\n",
         2, "'1.2.3' — не число", nullptr},
        {"order unknown column", {"batch", "order.csv", "--out", "o", "--osmode", "0"},
         "type,width\n1,2\n", 2, "неизвестная колонка 'width'", nullptr},
        {"order row too long", {"batch", "order.csv", "--out", "o", "--osmode", "0"},
         "type\n1,2,3\n", 2, "в строке больше ячеек", nullptr},
        {"no such order", {"batch", "none.csv", "--out", "o", "--osmode", "0"}, nullptr, 2,
         "не удалось прочитать файл заказа none.csv: нет такого файла", nullptr},
        {"order is a folder", {"batch", ".", "--out", "o", "--osmode", "0"}, nullptr, 2,
         "не удалось прочитать файл заказа .: это папка, а не файл", nullptr},
        {"two outputs of one name", {"calc", "--type", "3", "--osmode", "0", "--scr", "same.x",
                                     "--dxf", "./same.x"},
         nullptr, 2, "параметры --scr и --dxf называют один файл", nullptr},
        {"folder never made", {"calc", "--type", "3", "--osmode", "0", "--dxf", "nodir/x.dxf"},
         nullptr, 1, "не удалось записать файл nodir/x.dxf: нет такой папки", nullptr},
        {"system folder", {"batch", "order.csv", "--out", "/proc/self", "--osmode", "0"},
         kGoodOrder, 1, "в эту папку нельзя записывать файлы", nullptr},
        {"folder where a file is", {"batch", "order.csv", "--out", "order.csv/o", "--osmode", "0"},
         kGoodOrder, 1, "не удалось создать папку order.csv/o: часть пути к папке — файл", nullptr},
        {"nest folder where a file is", {"nest", "order.csv", "--out", "order.csv/o"}, kGoodOrder,
         1, "не удалось создать папку order.csv/o: часть пути к папке — файл", nullptr},
    };
    for (const auto& r : kRows) {
        std::filesystem::remove(dir / "order.csv");
        if (r.order != nullptr)
            WriteAll(dir / "order.csv", r.order);
        const kiv::test::Ran ran = runKiv(r.args);
        EXPECT_EQ(ran.status, r.status) << r.name << "\n" << ran.err;
        EXPECT_NE(ran.err.find(r.says), std::string::npos) << r.name << "\n" << ran.err;
        EXPECT_EQ(LatinLeft(ran.err), "") << r.name << "\n" << ran.err;
        if (r.help != nullptr) {
            EXPECT_NE(ran.err.find(std::string("Справка: ") + r.help + "\n"), std::string::npos)
                << r.name << "\n" << ran.err;
        }
    }
    // Nothing was written by any of them; a refused pair of names keeps
    // the folder as it was.
    EXPECT_FALSE(std::filesystem::exists(dir / "same.x"));
}

// The filter itself: English between the allowed parts is found.
TEST(LatinLeft, FindsEnglishBetweenNamesAndValues) {
    const struct {
        const char* message;
        const char* left;
    } kRows[] = {
        {"kiv: лишние слова (The following arguments were not expected: 200 -L)", "The"},
        {"kiv: параметр -H:\n'abc' is not a valid floating point value.", "not"},
        {"kiv: нет права записи в папку (No such file or directory)", "such"},
        {"kiv: параметр --paper: 'B5' — допустимы A4, A3, Letter\nСправка: kiv calc --help\n", ""},
        {"kiv: не удалось записать файл /proc/self/a.scr: в эту папку нельзя", ""},
    };
    for (const auto& r : kRows)
        EXPECT_EQ(LatinLeft(r.message), r.left) << r.message;
}

} // namespace
