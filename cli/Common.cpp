#include "cli/Common.h"

#include "core/PatternType.h"
#include "input/SettingsFile.h"
#include "report/Dates.h"

#include <optional>

namespace kiv::cli {

std::string ConsoleLines(std::string_view text) {
    std::string s(text);
    for (char& c : s) {
        if (c == '\r') {
            c = '\n';
        }
    }
    return s;
}

bool ResolveOsmode(bool given, const std::string& option, std::string& value,
                   std::string& error) {
    if (given) {
        // Digits only, no sign and no blanks: what AutoCAD takes as OSMODE.
        bool digits = !option.empty() && option.size() <= 5;
        for (char c : option) {
            digits = digits && c >= '0' && c <= '9';
        }
        if (!digits || std::stol(option) > 32767) {
            error = "параметр --osmode: '" + option +
                    "' — нужно целое число от 0 до 32767 (значение OSMODE в AutoCAD)";
            return false;
        }
        value = std::to_string(std::stol(option));
        return true;
    }
    SettingsRead settings = ReadSettingsFile("Kiv_ini.txt");
    if (settings.notFound) {
        error = "Не найден файл Kiv_ini.txt в текущей папке, и не задан параметр --osmode.\n"
                "Задайте значение OSMODE одним из двух способов: --osmode N (целое число от 0 "
                "до 32767) или первой строкой файла Kiv_ini.txt.";
        return false;
    }
    value = std::move(settings.value);
    return true;
}

bool ParsePaper(const std::string& paper, const std::string& orientation,
                TemplateOptions& options, std::string& error) {
    const std::optional<Paper> sheet = PaperNamed(paper);
    if (!sheet) {
        error = "параметр --paper: '" + paper + "' — допустимы " + PaperNames();
        return false;
    }
    const std::optional<Orientation> lying = OrientationNamed(orientation);
    if (!lying) {
        error = "параметр --orientation: '" + orientation + "' — допустимы " + OrientationNames();
        return false;
    }
    options.paper = *sheet;
    options.orientation = *lying;
    return true;
}

std::string RefusalLines(const Refusal& refusal, const FieldTexts& texts) {
    if (refusal.verdict.kind == Verdict::NotANumber)
        return "'" + texts[refusal.input] + "' — не число.";
    return ConsoleLines(RefusalText(refusal));
}

std::string Today() {
    return TitleDate();
}

namespace {

// Each field's option, and the input it names in each pattern type (1 to 3),
// if it has one there.
const struct {
    const char* option;
    Input input[4];
    bool used[4];
} kOptionInputs[] = {
    {"-S", {Input::S, Input::S, Input::S, Input::S}, {false, true, true, true}},
    {"--L1", {Input::L1, Input::L1, Input::L1, Input::L1}, {false, true, true, true}},
    {"--L2", {Input::L2, Input::L2, Input::L2, Input::L2}, {false, true, true, true}},
    {"-H", {Input::H, Input::H, Input::H, Input::H}, {false, true, true, true}},
    {"--P1",
     {Input::FalthP1, Input::FalthP1, Input::FalthP1, Input::AllP1},
     {false, false, true, true}},
    {"--P2",
     {Input::FalthP2, Input::FalthP2, Input::FalthP2, Input::AllP2},
     {false, false, true, true}},
    {"-d", {Input::AllD, Input::AllD, Input::AllD, Input::AllD}, {false, false, false, true}},
};

} // namespace

bool InputOfOption(const std::string& option, int type, Input& in) {
    if (!PatternTypeOf(type)) {
        return false;
    }
    const auto t = static_cast<std::size_t>(type);
    for (const auto& r : kOptionInputs) {
        if (option == r.option) {
            in = r.input[t];
            return r.used[t];
        }
    }
    return false;
}

const char* OptionOfInput(Input in) {
    for (const auto& r : kOptionInputs) {
        for (std::size_t t = 1; t <= 3; ++t) {
            if (r.used[t] && r.input[t] == in) {
                return r.option;
            }
        }
    }
    return "";
}

} // namespace kiv::cli
