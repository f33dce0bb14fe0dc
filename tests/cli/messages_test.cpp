// What `kiv` says when the user's command line, order or folder is wrong:
// every message Russian, naming the real cause, with the help of the verb
// the mistake was made in.
#include "run_kiv.h"

#include <gtest/gtest.h>

#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using kiv::test::KivTest;
using kiv::test::WriteAll;

// The Latin words a Russian message may hold: the command and its verbs,
// names of formats and programs, and values the user types that the message
// lists as allowed.
const char* const kAllowed[] = {
    "kiv", "calc", "batch", "nest", "OSMODE", "AutoCAD",  "PDF",       "DXF",  "CSV", "JSON", "UTF",
    "scr", "dxf",  "pdf",   "auto", "Letter", "portrait", "landscape", "type", "qty", "name"};

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
    const char* const kOrder = "type,H\n1,100\n";
    const struct {
        const char* command; // the words after `kiv`
        const char* order;   // written as order.csv when given
        int status;
        const char* says; // the part of the message that names the cause
    } kRows[] = {
        {"calc --type 3 -H 100 -L 200", nullptr, 2,
         "неизвестный параметр -L; лишнее слово в командной строке: '200'\nСправка: kiv calc "
         "--help"},
        {"cut", nullptr, 2,
         "неизвестная команда 'cut' (есть calc, batch и nest)\nСправка: kiv --help"},
        {"calc --type", nullptr, 2, "у параметра --type нет значения"},
        {"calc --type 5", nullptr, 2, "параметр --type: недопустимое значение '5'"},
        {"calc -H 100", nullptr, 2, "не задан обязательный параметр --type"},
        {"batch", nullptr, 2, "не задан файл заказа\nСправка: kiv batch --help"},
        {"nest order.csv --out o --iterations abc", kOrder, 2,
         "параметр --iterations: 'abc' — не число\nСправка: kiv nest --help"},
        {"nest order.csv --out o --iterations 1.5", kOrder, 2, "'1.5' — нужно целое число"},
        {"batch order.csv --out o -j -3", kOrder, 2, "число потоков — целое число от 0 до 4294967295, а не '-3'"},
        {"calc --type 1 --osmode 0 -H abc", nullptr, 2, "'abc' — не число"},
        {"batch order.csv --out o --osmode 0", "type,H\n1,abc\n", 2,
         "строка 2, колонка H: 'abc' — не число."},
        {"batch order.csv --out o --osmode 0", "type,width\n1,2\n", 2,
         "неизвестная колонка 'width'"},
        {"batch none.csv --out o --osmode 0", nullptr, 2, "файл заказа none.csv: нет такого файла"},
        {"batch . --out o --osmode 0", nullptr, 2, ". — папка, а не файл заказа"},
        {"calc --type 3 --osmode 0 --scr same.x --dxf ./same.x", nullptr, 2,
         "параметры --scr и --dxf называют один файл"},
        {"calc --type 3 --osmode 0 --dxf nodir/x.dxf", nullptr, 1,
         "не удалось записать файл nodir/x.dxf: нет такой папки"},
        {"batch order.csv --out /proc/self --osmode 0", kOrder, 1,
         "в эту папку нельзя записывать файлы"},
        {"nest order.csv --out order.csv/o", kOrder, 1,
         "не удалось создать папку order.csv/o: часть пути к папке — файл"},
    };
    for (const auto& r : kRows) {
        std::filesystem::remove(dir / "order.csv");
        if (r.order != nullptr)
            WriteAll(dir / "order.csv", r.order);
        std::istringstream words(r.command);
        const kiv::test::Ran ran = runKiv({std::istream_iterator<std::string>(words), {}});
        EXPECT_EQ(ran.status, r.status) << ran.err;
        EXPECT_NE(ran.err.find(r.says), std::string::npos) << ran.err;
        EXPECT_EQ(LatinLeft(ran.err), "") << ran.err;
    }
    // Nothing was written by any of them; a refused pair of names keeps
    // the folder as it was.
    EXPECT_FALSE(std::filesystem::exists(dir / "same.x"));
}

// The filter itself: English between the allowed parts is found.
TEST(LatinLeft, FindsEnglishBetweenNamesAndValues) {
    EXPECT_EQ(LatinLeft("kiv: лишние слова (The following arguments were not expected: 200 -L)"),
              "The");
    EXPECT_EQ(LatinLeft("kiv: --paper: 'B5' — допустимы A4, Letter; файл "
                        "/proc/self/a.scr\nСправка: kiv calc --help"),
              "");
}

} // namespace
