// `kiv nest`: the hoods of an order laid out on stock sheets, true shape,
// with a DXF per sheet, the sheets as PDF and the material summary.
#pragma once

#include <cstdint>
#include <string>

namespace kiv::cli {

struct NestOptions {
    std::string orders; // the CSV file, in the batch's format
    std::string out;    // the folder for the files
    std::string sheet = "1250x2500"; // W x L, mm
    bool sheetGiven = false;
    double coil = 0; // the width of a coil to use instead of sheets, when given
    bool coilGiven = false;
    double gap = 5, margin = 10;
    std::string turns = "90"; // 90, 180 or any step in degrees
    double time = 10;   // seconds, a safety cap on the search
    int iterations = 300;
    std::uint64_t seed = 1;
};

int RunNest(const NestOptions& options);

} // namespace kiv::cli
