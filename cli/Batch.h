// `kiv batch`: an order of hoods from a CSV file, worked on all cores, with
// its files and a summary in one folder.
#pragma once

#include "cli/Order.h"
#include "export/Template.h"
#include "road/Road.h"

#include <string>

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

} // namespace kiv::cli
