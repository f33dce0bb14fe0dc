// An order of hoods as a spreadsheet writes it: CSV in UTF-8 with or without
// a byte-order mark (or in Windows-1251, as an older Russian spreadsheet saves
// it), comma or semicolon separated, CRLF or LF, quoted fields, and a header
// row naming the columns in any order.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv::cli {

// The columns an order may have. Only "type" is needed: a column left out
// is a column of empty cells.
enum Column { kType, kH, kL1, kL2, kS, kP1, kP2, kD, kQty, kName, kColumns };

// The column's name in the header ("type", "H" ... "name").
const char* ColumnName(Column c);

struct OrderRow {
    int line = 0; // in the file, from 1 (the header is line 1 or later)
    std::array<std::string, kColumns> cells; // empty where the row or the file has none
};

struct Order {
    std::vector<OrderRow> rows; // rows whose every cell is empty are left out
    bool windows1251 = false; // the file was read as Windows-1251; the cells are UTF-8 all the same
    char delimiter = ','; // of the file's cells: ',' or ';'
    // Set when the file cannot be read as an order at all.
    std::string error;
    int errorLine = 0;
};

// Reads the whole file's bytes. Every row has the header's cells: one with
// more, or with fewer (a file cut short), is an error of the file, as is a
// header with an unknown, repeated or missing column, a quote left open and
// bytes that are neither UTF-8 nor Windows-1251. Header cells left empty, as
// spreadsheets save unused columns, are no columns while the cells below
// them are empty too.
Order ReadOrder(std::string_view bytes);

// The same reading, with each row handed to `onRow` as it is read instead of
// kept, so that an order of any length takes the memory of one row: the rows,
// lines and errors are ReadOrder's, and the returned order has no rows. A row
// read before an error further on is handed over all the same.
Order ReadOrderRows(std::string_view bytes, const std::function<void(OrderRow&)>& onRow);

// True when `bytes` are UTF-8 a JSON writer takes: no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view bytes);

// A cell as a message on the terminal quotes it: what is no text (control
// bytes, bytes that are no UTF-8) as \xNN, and cut short after 40 characters.
std::string ShownCell(std::string_view cell);

} // namespace kiv::cli
