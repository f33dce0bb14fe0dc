// `kiv batch`: an order of hoods from a CSV file, worked on all cores, with
// its files and a summary in one folder.
#pragma once

#include "cli/Order.h"
#include "export/Template.h"
#include "road/Road.h"

#include <string>
#include <utility>
#include <vector>

namespace kiv::cli {

struct BatchOptions {
    std::string orders;  // the CSV file
    std::string out;     // the folder for the files and the summary
    std::string formats = "scr,dxf";
    std::string nameMask; // empty: the script's name rule
    bool strict = false;
    bool osmodeGiven = false;
    std::string osmode;
    TemplateOptions paper;
    unsigned jobs = 0; // 0: all cores
};

int RunBatch(const BatchOptions& options);

// Reads the order file; false, with the message on the terminal, when it
// cannot be read or is no order.
bool LoadOrder(const std::string& path, Order& order);

// A row of an order taken to a confirmed hood, or the reason it was refused.
struct ConfirmedRow {
    int type = 0;
    long qty = 1;
    RaschetData data;
    Confirmation confirmation;
    FieldTexts texts; // as the hood was made: empty cells hold the initial texts
    std::string scriptName;
    std::string error; // why the row is refused ("строка N, колонка C: ..."); empty while good
};

// The first part of a row's road: its type and quantity, the texts, the
// validators, the calculation and the drawing's check.
void ConfirmRow(const OrderRow& row, const std::string& osmode, ConfirmedRow& out);

// One row of the order on its way through the batch.
struct BatchRow : ConfirmedRow {
    const OrderRow* row = nullptr;
    std::vector<std::pair<std::string, std::string>> files; // format, name in the folder
    bool written = false;                                   // every file of the row is on the disk
};

// The batch up to the disk: every row of `order` confirmed on `jobs` threads
// and its files named in `formats`. False, with the message on the terminal,
// when the name mask itself is wrong. The rows point into `order`.
bool PlanBatch(const BatchOptions& options, const std::vector<std::string>& formats,
               const std::string& osmode, const Order& order, unsigned jobs,
               std::vector<BatchRow>& rows);

// The summary: one row per hood whose files are all written, for its
// quantity, in the order's order, and the totals; as CSV and as JSON, the
// CSV with `separator` between cells (';' puts decimal commas in its numbers),
// as the batch writes them into its folder.
void Summarise(const std::vector<BatchRow>& rows, char separator, std::string& csv, std::string& json);

} // namespace kiv::cli
