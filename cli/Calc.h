// `kiv calc`: one hood from the fields' texts, its texts on the terminal and
// its files on request.
#pragma once

#include "export/Template.h"
#include "input/Validators.h"

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

// The input an option names for pattern `type` ("-H", "--P1" ...); false when
// the option has no field in that type.
bool InputOfOption(const std::string& option, int type, Input& in);

// The option that names `in` ("-H", "--P1" ...).
const char* OptionOfInput(Input in);

int RunCalc(const CalcOptions& options);

} // namespace kiv::cli
