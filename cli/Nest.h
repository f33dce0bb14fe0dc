// `kiv nest`: the hoods of an order laid out on stock sheets, true shape,
// with a DXF per sheet, the sheets as PDF and the material summary.
#pragma once

#include "export/SheetDxf.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kiv::cli {

struct NestOptions {
    std::string orders; // the CSV file, in the batch's format
    std::string out;    // the folder for the files
    std::string sheet = "1250x2500"; // W x L, mm
    double coil = 0;    // > 0: a coil of this width instead of sheets
    double gap = 5, margin = 10;
    std::string turns = "90"; // 90, 180 or any step in degrees
    double time = 10;   // seconds, a safety cap on the search
    int iterations = 300;
    std::uint64_t seed = 1;
};

int RunNest(const NestOptions& options);

// Parses "W x L" ("1250x2500", "1250X2500", "1250×2500") into positive finite
// sizes; false when the text is no such pair.
bool ParseSheetSize(const std::string& text, double& width, double& length);

// One sheet for the workshop's PDF.
struct NestSheet {
    double length = 0, width = 0;
    std::vector<SheetPart> parts;
    std::string heading;
};

// The sheets as PDF bytes, painted within a PaintSession; false when Qt
// could not make the file.
bool SheetsPdfBytes(const std::vector<NestSheet>& sheets, const std::string& title,
                    std::string& bytes);

} // namespace kiv::cli
