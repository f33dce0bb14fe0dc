// `kiv batch`: an order of hoods from a CSV file, worked on all cores, with
// its files and a summary in one folder.
#pragma once

#include "export/Template.h"

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

} // namespace kiv::cli
