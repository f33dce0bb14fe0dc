// An order of hoods as a spreadsheet writes it: CSV in UTF-8 with or without
// a byte-order mark, comma or semicolon separated, CRLF or LF, quoted fields,
// and a header row naming the columns in any order.
#pragma once

#include <array>
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
    char delimiter = ','; // of the file's cells: ',' or ';'
    // Set when the file cannot be read as an order at all.
    std::string error;
    int errorLine = 0;
};

// Reads the whole file's bytes. A row with more cells than the header is an
// error of the file, as is a header with an unknown, repeated or missing column.
Order ReadOrder(std::string_view bytes);

} // namespace kiv::cli
