#include "cli/Order.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace kiv::cli {

namespace {

const char* const kNames[kColumns] = {"type", "H", "L1", "L2", "S", "P1", "P2", "d", "qty", "name"};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
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
    int rowLine = 0;   // where the row being read began
    std::vector<std::string> cells;
    bool header = true;
    std::array<int, kColumns> position{}; // of each column in a row; -1 when absent
    std::size_t width = 0;
    Order order;

    void cell(const char* s, std::size_t n) {
        if (cells.empty()) {
            rowLine = line;
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
            fail("в строке больше ячеек (" + std::to_string(got.size()) + "), чем колонок (" +
                     std::to_string(width) + ")",
                 rowLine);
            return;
        }
        OrderRow r;
        r.line = rowLine;
        for (std::size_t c = 0; c < kColumns; ++c) {
            const int at = position[c];
            if (at >= 0 && static_cast<std::size_t>(at) < got.size()) {
                r.cells[c] = std::move(got[static_cast<std::size_t>(at)]);
            }
        }
        order.rows.push_back(std::move(r));
    }

    void readHeader(const std::vector<std::string>& names) {
        position.fill(-1);
        width = names.size();
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::optional<std::size_t> found;
            for (std::size_t c = 0; c < kColumns; ++c) {
                if (SameName(names[i], kNames[c])) {
                    found = c;
                }
            }
            if (!found) {
                fail("неизвестная колонка '" + names[i] +
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

Order ReadOrder(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    Reader reader;
    csv_parser parser{};
    if (csv_init(&parser, 0) != 0) {
        reader.order.error = "нет памяти для чтения файла";
        return reader.order;
    }
    reader.order.delimiter = static_cast<char>(Delimiter(bytes));
    csv_set_delim(&parser, static_cast<unsigned char>(reader.order.delimiter));
    // Fed line by line, so that every row knows the line it began on. A line
    // ends with LF, CRLF or a lone CR, as the parser's rows do.
    bool parsed = true;
    while (!bytes.empty() && parsed) {
        std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size() - 1) + 1;
        if (bytes[end - 1] == '\r' && end < bytes.size() && bytes[end] == '\n') {
            ++end;
        }
        parsed = csv_parse(&parser, bytes.data(), end, OnCell, OnRow, &reader) == end;
        bytes.remove_prefix(end);
        ++reader.line;
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
