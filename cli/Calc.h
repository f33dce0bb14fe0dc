// `kiv calc`: one hood from the fields' texts, its texts on the terminal and
// its files on request.
#pragma once

#include "export/Template.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kiv::cli {

struct CalcOptions {
    int type = 0;
    // The fields given on the command line: option name and text, in the
    // order given; the others keep the window's initial texts.
    std::vector<std::pair<std::string, std::string>> fields;
    bool osmodeGiven = false;
    std::string osmode;
    bool json = false;
    // Each output asked for, with its file name (empty: the default name).
    std::optional<std::string> scr, dxf, pdf;
    TemplateOptions paper;
};

int RunCalc(const CalcOptions& options);

} // namespace kiv::cli
