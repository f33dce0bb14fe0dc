#include "cli/Order.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace kiv::cli {

namespace {

// libcsv's state between rows: no cell of a row begun.
constexpr int kRowNotBegun = 0;
// libcsv's state within a cell; with `quoted` set the quote is still open.
constexpr int kFieldBegun = 2;

const char* const kNames[kColumns] = {"type", "H", "L1", "L2", "S", "P1", "P2", "d", "qty", "name"};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Windows-1251's characters from 0x80 to 0xBF; 0x98 has none. From 0xC0 on
// the alphabet follows in order from U+0410.
const char16_t kWindows1251[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

unsigned char Byte(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// The length of the UTF-8 character at `i`; 0 when the bytes there are none.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
    const unsigned c = Byte(s, i);
    if (c < 0x80) {
        return 1;
    }
    std::size_t n = 0;
    unsigned low = 0x80, high = 0xBF; // of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        low = c == 0xE0 ? 0xA0 : low;   // no overlong form
        high = c == 0xED ? 0x9F : high; // no surrogate
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        low = c == 0xF0 ? 0x90 : low;
        high = c == 0xF4 ? 0x8F : high; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + n > s.size() || Byte(s, i + 1) < low || Byte(s, i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < n; ++k) {
        if (Byte(s, i + k) < 0x80 || Byte(s, i + k) > 0xBF) {
            return 0;
        }
    }
    return n;
}

// Where the bytes stop being UTF-8; npos when they all are.
std::size_t FirstNonUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8Length(s, i);
        if (n == 0) {
            return i;
        }
        i += n;
    }
    return std::string_view::npos;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The bytes read as Windows-1251, in UTF-8. False when they are not text in
// it: a byte with no character, or a control byte other than tab and line ends.
bool FromWindows1251(std::string_view bytes, std::string& text) {
    text.clear();
    text.reserve(bytes.size() * 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned c = Byte(bytes, i);
        char32_t u = c;
        if (c >= 0xC0) {
            u = 0x0410 + (c - 0xC0);
        } else if (c >= 0x80) {
            u = kWindows1251[c - 0x80];
        }
        if (u == 0 || u == 0x7F || (u < 0x20 && u != '\t' && u != '\r' && u != '\n')) {
            return false;
        }
        AppendUtf8(u, text);
    }
    return true;
}

// The line of byte `at`, from 1; a line ends with LF, CRLF or a lone CR.
int LineOf(std::string_view bytes, std::size_t at) {
    int line = 1;
    for (std::size_t i = 0; i < at && i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

std::string Hex(unsigned char c) {
    const char* const digits = "0123456789ABCDEF";
    return std::string("\\x") + digits[c >> 4] + digits[c & 15];
}

// Russian count: 1 ячейка, 2 ячейки, 5 ячеек.
std::string Count(std::size_t n, const char* one, const char* few, const char* many) {
    const std::size_t tens = n % 100, units = n % 10;
    const char* word = many;
    if (tens < 11 || tens > 14) {
        word = units == 1 ? one : (units >= 2 && units <= 4 ? few : many);
    }
    return std::to_string(n) + " " + word;
}

std::string Cells(std::size_t n) {
    return Count(n, "ячейка", "ячейки", "ячеек");
}

// Semicolon when the header line has more of them than commas.
unsigned char Delimiter(std::string_view bytes) {
    const std::string_view header = bytes.substr(0, bytes.find('\n'));
    const auto semicolons = std::count(header.begin(), header.end(), ';');
    const auto commas = std::count(header.begin(), header.end(), ',');
    return semicolons > commas ? ';' : ',';
}

struct Reader {
    int line = 1;      // the line being fed to the parser
    int startLine = 1; // where the parser last stood between rows
    int rowLine = 0;   // where the row being read began
    std::vector<std::string> cells;
    bool header = true;
    std::array<int, kColumns> position{}; // of each column in a row; -1 when absent
    std::vector<std::size_t> unnamed;     // positions of the header's empty cells
    std::size_t width = 0;                // cells in the header
    std::size_t needed = 0;               // cells up to the last named column
    Order order;
    const std::function<void(OrderRow&)>* onRow = nullptr;

    void cell(const char* s, std::size_t n) {
        if (cells.empty()) {
            rowLine = startLine;
        }
        cells.emplace_back(s == nullptr ? "" : std::string(s, n));
    }

    void fail(const std::string& what, int at) {
        if (order.error.empty()) {
            order.error = what;
            order.errorLine = at;
        }
    }

    void row() {
        std::vector<std::string> got;
        got.swap(cells);
        if (!order.error.empty() ||
            std::all_of(got.begin(), got.end(), [](const std::string& c) { return c.empty(); })) {
            return;
        }
        if (header) {
            header = false;
            readHeader(got);
            return;
        }
        if (got.size() > width) {
            fail("в строке " + Cells(got.size()) + ", а колонок в заголовке " +
                     std::to_string(width) + ": лишняя ячейка или разделитель",
                 rowLine);
            return;
        }
        // A row cut short would take the missing cells' defaults and make
        // another hood than the one ordered; cells meant empty are written
        // as separators ("1;100;;;").
        if (got.size() < needed) {
            fail("в строке " + Cells(got.size()) + ", а колонок в заголовке " +
                     std::to_string(needed) +
                     ": строка оборвана? Пустые ячейки в конце строки отмечаются разделителями",
                 rowLine);
            return;
        }
        for (std::size_t at : unnamed) {
            if (at < got.size() && !got[at].empty()) {
                fail("в колонке " + std::to_string(at + 1) + " значение '" + ShownCell(got[at]) +
                         "', а у колонки нет названия в заголовке",
                     rowLine);
                return;
            }
        }
        OrderRow r;
        r.line = rowLine;
        for (std::size_t c = 0; c < kColumns; ++c) {
            const int at = position[c];
            if (at >= 0 && static_cast<std::size_t>(at) < got.size()) {
                r.cells[c] = std::move(got[static_cast<std::size_t>(at)]);
            }
        }
        (*onRow)(r);
    }

    void readHeader(const std::vector<std::string>& names) {
        position.fill(-1);
        width = names.size();
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i].empty()) {
                unnamed.push_back(i);
                continue;
            }
            needed = i + 1;
            std::optional<std::size_t> found;
            for (std::size_t c = 0; c < kColumns; ++c) {
                if (SameName(names[i], kNames[c])) {
                    found = c;
                }
            }
            if (!found) {
                fail("неизвестная колонка '" + ShownCell(names[i]) +
                         "' (допустимы type,H,L1,L2,S,P1,P2,d,qty,name)",
                     rowLine);
                return;
            }
            if (position[*found] >= 0) {
                fail("колонка '" + names[i] + "' повторяется", rowLine);
                return;
            }
            position[*found] = static_cast<int>(i);
        }
        if (position[kType] < 0) {
            fail("нет колонки 'type'", rowLine);
        }
    }
};

void OnCell(void* s, std::size_t n, void* data) {
    static_cast<Reader*>(data)->cell(static_cast<const char*>(s), n);
}

void OnRow(int, void* data) {
    static_cast<Reader*>(data)->row();
}

} // namespace

const char* ColumnName(Column c) {
    return kNames[c];
}

bool IsUtf8(std::string_view bytes) {
    return FirstNonUtf8(bytes) == std::string_view::npos;
}

std::string ShownCell(std::string_view cell) {
    constexpr std::size_t kShown = 40; // characters
    std::string shown;
    std::size_t characters = 0, i = 0;
    for (; i < cell.size() && characters < kShown; ++characters) {
        const std::size_t n = Utf8Length(cell, i);
        const unsigned char c = Byte(cell, i);
        if (n == 0 || c < 0x20 || c == 0x7F) {
            shown += Hex(c);
            ++i;
        } else {
            shown.append(cell.substr(i, n));
            i += n;
        }
    }
    if (i < cell.size()) {
        shown += "… (всего " + Count(cell.size(), "байт", "байта", "байт") + ")";
    }
    return shown;
}

Order ReadOrder(std::string_view bytes) {
    std::vector<OrderRow> rows;
    Order order = ReadOrderRows(bytes, [&](OrderRow& r) { rows.push_back(std::move(r)); });
    order.rows = std::move(rows);
    return order;
}

Order ReadOrderRows(std::string_view bytes, const std::function<void(OrderRow&)>& onRow) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    Reader reader;
    reader.onRow = &onRow;
    // Excel's "Unicode text" is UTF-16, with a byte-order mark or without:
    // text in it has a zero byte in every other place, which no CSV has.
    if (const std::size_t zero = bytes.find('\0'); zero != std::string_view::npos ||
                                                   bytes.substr(0, 2) == "\xFF\xFE" ||
                                                   bytes.substr(0, 2) == "\xFE\xFF") {
        reader.fail("файл заказа не текст CSV: в нем нулевые байты или метка UTF-16; сохраните его "
                    "в таблице как "
                    "\"CSV UTF-8\" (Файл → Сохранить как)",
                    zero == std::string_view::npos ? 1 : LineOf(bytes, zero));
        return reader.order;
    }
    // Bytes that are UTF-8 are read as UTF-8; else an older spreadsheet's
    // Windows-1251 is taken when every byte is a character there, so that
    // the names reach the files and the summaries as the order spells them.
    std::string converted;
    if (const std::size_t bad = FirstNonUtf8(bytes); bad != std::string_view::npos) {
        if (!FromWindows1251(bytes, converted)) {
            reader.fail("файл заказа не в кодировке UTF-8 (байт " + Hex(Byte(bytes, bad)) +
                            "): сохраните его в таблице как \"CSV UTF-8\" (Файл → Сохранить как)",
                        LineOf(bytes, bad));
            return reader.order;
        }
        bytes = converted;
        reader.order.windows1251 = true;
    }
    csv_parser parser{};
    if (csv_init(&parser, 0) != 0) {
        reader.order.error = "нет памяти для чтения файла";
        return reader.order;
    }
    reader.order.delimiter = static_cast<char>(Delimiter(bytes));
    csv_set_delim(&parser, static_cast<unsigned char>(reader.order.delimiter));
    // Fed line by line, so that every row knows the line it began on. A line
    // ends with LF, CRLF or a lone CR, as the parser's rows do; a row begins
    // at a line's start unless a quoted cell carries over from the line before.
    bool parsed = true;
    while (!bytes.empty() && parsed) {
        std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size() - 1) + 1;
        if (bytes[end - 1] == '\r' && end < bytes.size() && bytes[end] == '\n') {
            ++end;
        }
        if (parser.pstate == kRowNotBegun) {
            reader.startLine = reader.line;
        }
        parsed = csv_parse(&parser, bytes.data(), end, OnCell, OnRow, &reader) == end;
        bytes.remove_prefix(end);
        ++reader.line;
    }
    if (parsed && parser.pstate == kFieldBegun && parser.quoted != 0) {
        // A file cut within a quoted cell: the rest of the file would be one cell.
        reader.fail("кавычка открыта и не закрыта до конца файла", reader.startLine);
    }
    if (parsed) {
        csv_fini(&parser, OnCell, OnRow, &reader);
    } else {
        reader.fail("файл не прочитан: нет памяти", reader.line);
    }
    csv_free(&parser);
    if (reader.order.error.empty() && reader.header) {
        reader.fail("файл заказа пуст: нет строки заголовка", 1);
    }
    return reader.order;
}

} // namespace kiv::cli
