// An order from arbitrary bytes through the whole batch but the disk: the
// reader, each row's road, the files' names and both summaries. Whatever the
// bytes, every text that reaches a file name, a message or the summaries is
// UTF-8, the names stay within the folder and are not hidden, and the JSON
// summary is written and reads back.
#include "cli/Batch.h"
#include "cli/Common.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

namespace kiv::cli {

// The template needs Qt's painter, which this build has not; a batch of
// scripts and drawings never paints one.
bool TemplatePdfBytes(const RaschetData&, int, const TemplateOptions&, const std::string&,
                      std::string&, std::string&) {
    __builtin_trap();
}

} // namespace kiv::cli

namespace {

bool Utf8(const std::string& s) {
    return kiv::cli::IsUtf8(s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kiv::cli;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Order order = ReadOrder(bytes);
    if (!order.error.empty()) {
        if (!Utf8(order.error)) {
            __builtin_trap(); // the message quotes the file's bytes raw
        }
        return 0;
    }
    // The mask by the input's length, so that each is tried on every kind of order.
    const char* const masks[] = {"", "{name}", "{name}_{L1}x{L2}x{H}_{qty}"};
    BatchOptions options;
    options.nameMask = masks[size % 3];
    const std::vector<std::string> formats = {"scr", "dxf"};
    std::vector<BatchRow> rows;
    if (!PlanBatch(options, formats, "0", order, 1, rows) || rows.size() != order.rows.size()) {
        __builtin_trap(); // each mask is sound
    }
    std::set<std::string> names;
    for (BatchRow& row : rows) {
        for (const std::string& cell : row.row->cells) {
            if (!Utf8(cell)) {
                __builtin_trap();
            }
        }
        if (!row.error.empty()) {
            if (!Utf8(row.error) || !row.files.empty()) {
                __builtin_trap();
            }
            continue;
        }
        for (const auto& [format, name] : row.files) {
            if (!Utf8(name) || name.empty() || name[0] == '.' ||
                name.find('/') != std::string::npos || !names.insert(name).second ||
                name == "summary.csv" || name == "summary.json") {
                __builtin_trap(); // a name outside the folder, hidden, or taken twice
            }
        }
        if (row.files.size() != formats.size()) {
            __builtin_trap();
        }
        row.written = true; // as the writer marks a row whose files are all on the disk
    }
    std::string csv, json;
    Summarise(rows, order.delimiter, csv, json);
    if (!Utf8(csv)) {
        __builtin_trap();
    }
    // Nothing replaced on the way: the summary's names are the order's.
    const nlohmann::json summary = nlohmann::json::parse(json);
    std::size_t hood = 0;
    for (const BatchRow& row : rows) {
        if (row.error.empty() &&
            summary["hoods"][hood++]["name"].get<std::string>() != row.row->cells[kName]) {
            __builtin_trap();
        }
    }
    return 0;
}
