// The order reader on arbitrary bytes: it never crashes, and what it gives
// is consistent: either an error with its line, in UTF-8 and short, or rows
// in the file's order, their cells in UTF-8.
#include "cli/Order.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kiv::cli::Order order = kiv::cli::ReadOrder(bytes);
    if (!order.error.empty()) {
        if (!order.rows.empty() && order.errorLine < order.rows.back().line) {
            __builtin_trap(); // rows read past the fault
        }
        if (order.errorLine < 1 || !kiv::cli::IsUtf8(order.error) || order.error.size() > 1000) {
            __builtin_trap(); // the message quotes the file's bytes raw or whole
        }
        return 0;
    }
    int previous = 0;
    for (const kiv::cli::OrderRow& row : order.rows) {
        // Rows come in the file's order, after the header, within its lines.
        if (row.line <= previous || row.line < 2) {
            __builtin_trap();
        }
        previous = row.line;
        bool any = false;
        std::size_t cellBytes = 0;
        for (const auto& cell : row.cells) {
            any = any || !cell.empty();
            cellBytes += cell.size();
            if (!kiv::cli::IsUtf8(cell)) {
                __builtin_trap(); // every cell is UTF-8, whatever the file's encoding
            }
        }
        // An all-empty row is skipped; cells come from the file (Windows-1251
        // takes at most three bytes a character in UTF-8).
        if (!any || cellBytes > 3 * size) {
            __builtin_trap();
        }
    }
    return 0;
}
