#include "cli/Calc.h"

#include "cli/Common.h"
#include "cli/HoodJson.h"
#include "input/Conversion.h"
#include "input/SaveFile.h"
#include "core/PatternType.h"
#include "road/Road.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string_view>

namespace kiv::cli {

namespace {

// A file the command writes, made in memory first.
struct File {
    const char* format;
    std::string path;
    std::string bytes;
};

void PrintTexts(const Confirmation& c, int type) {
    std::cout << ConsoleLines(c.report.radii) << "\n\n";
    std::cout << "Заготовка B1 x B2 = " << c.report.b1 << " x " << c.report.b2 << " мм\n";
    std::cout << ConsoleLines(c.report.summary) << "\n";
    if (PatternTypeOf(type) == PatternType::SeamAndWire) {
        std::cout << "Припуск на закатывание проволоки: " << c.wireAllowance << " мм\n";
    }
}

// The fields' texts by input; false with the message for an option that
// has no field in the pattern's type.
bool TextsOf(const CalcOptions& o, FieldTexts& texts) {
    for (const auto& [option, text] : o.fields) {
        Input in{};
        if (!InputOfOption(option, o.type, in)) {
            std::cerr << "kiv: параметр " << option << " не относится к развертке типа "
                      << o.type << "\n";
            return false;
        }
        texts[in] = WithDecimalPoint(text);
    }
    return true;
}

// Why a hood is not confirmed, on the terminal, and the status it ends
// with; kDone for a confirmed one.
int TellOutcome(const Confirmation& c, const FieldTexts& texts) {
    switch (c.outcome) {
    case Outcome::Refused:
        std::cerr << "kiv: параметр " << OptionOfInput(c.refusal.input) << ":\n"
                  << RefusalLines(c.refusal, texts) << "\n";
        return kRefused;
    case Outcome::AllowancesDoNotFit:
    case Outcome::NotFinite:
        std::cerr << "kiv: " << ConsoleLines(OutcomeText(c.outcome)) << "\n";
        return kRefused;
    case Outcome::DrawingFault:
        std::cerr << "kiv: " << OutcomeText(c.outcome) << "\n" << DrawingFaultText(c.fault)
                  << "\n";
        return kFileFailed;
    case Outcome::Confirmed:
        break;
    }
    return kDone;
}

// Whether two names given on the command line are one file: the same path
// written two ways, or two names of one existing file.
bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path left = fs::absolute(a, ec).lexically_normal();
    const fs::path right = fs::absolute(b, ec).lexically_normal();
    return left == right || fs::equivalent(a, b, ec);
}

// The files asked for, by name, without their bytes; false with the message
// when two of them have one name, for the second would overwrite the first.
bool NameFiles(const CalcOptions& o, const RoadResult& road, std::vector<File>& files) {
    const auto pathOf = [&](const std::optional<std::string>& asked, const char* extension) {
        return asked->empty() ? OutputFileName(road.scriptName, extension) : *asked;
    };
    const std::pair<const char*, const std::optional<std::string>*> asks[] = {
        {"scr", &o.scr}, {"dxf", &o.dxf}, {"pdf", &o.pdf}};
    for (const auto& [format, asked] : asks) {
        if (!*asked) {
            continue;
        }
        const std::string path = pathOf(*asked, format);
        for (const File& other : files) {
            if (SameFile(path, other.path)) {
                std::cerr << "kiv: параметры --" << other.format << " и --" << format
                          << " называют один файл " << path << "; ничего не записано\n";
                return false;
            }
        }
        files.push_back({format, path, {}});
    }
    return true;
}

// The bytes of every file named, made in memory, so that a hood that cannot
// give one of them writes none; false with the message when one cannot be made.
bool MakeFiles(const CalcOptions& o, const RoadResult& road, std::vector<File>& files) {
    for (File& f : files) {
        if (std::string_view(f.format) == "scr") {
            f.bytes = road.outputs.script;
        } else if (std::string_view(f.format) == "dxf") {
            f.bytes = road.outputs.dxf;
        }
    }
    for (File& pdf : files) {
        if (std::string_view(pdf.format) != "pdf") {
            continue;
        }
        // The document's title is the file's name without its extension, as the window gives it.
        const std::string title = std::filesystem::path(pdf.path).stem().string();
        std::string error;
        if (!TemplatePdfBytes(road.data, o.type, o.paper, title, pdf.bytes, error)) {
            std::cerr << "kiv: " << error << "\n";
            return false;
        }
    }
    return true;
}

// Writes the files, each whole or not at all, and brings the new ones to the
// disk before the command says they are written. `written` gets the format
// and path of each file written.
int WriteFiles(const std::vector<File>& files,
               std::vector<std::pair<std::string, std::string>>& written) {
    int status = kDone;
    for (const File& f : files) {
        std::string reason;
        if (SaveWhole(f.path, f.bytes, reason, NewFileSync::ByCaller)) {
            written.emplace_back(f.format, f.path);
        } else {
            std::cerr << "kiv: не удалось записать файл " << f.path << ": " << reason << "\n";
            status = kFileFailed;
        }
    }
    std::vector<std::string> folders;
    for (const auto& [format, path] : written) {
        std::string folder = std::filesystem::path(path).parent_path().string();
        folder = folder.empty() ? "." : folder;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    for (const std::string& folder : folders) {
        std::string reason;
        if (!SyncFolder(folder, reason)) {
            std::cerr << "kiv: " << folder << ": " << reason << "\n";
            status = kFileFailed;
        }
    }
    return status;
}

} // namespace

int RunCalc(const CalcOptions& o) {
    FieldTexts texts;
    if (!TextsOf(o, texts)) {
        return kRefused;
    }
    std::string osmode, error;
    if (!ResolveOsmode(o.osmodeGiven, o.osmode, osmode, error)) {
        std::cerr << "kiv: " << error << "\n";
        return kRefused;
    }
    OutputRequest request;
    request.script = o.scr.has_value();
    request.dxf = o.dxf.has_value();
    const RoadResult road = RunRoad(o.type, texts, osmode, request);
    const Confirmation& c = road.confirmation;
    if (const int refused = TellOutcome(c, texts); refused != kDone) {
        return refused;
    }
    std::vector<File> files;
    if (!NameFiles(o, road, files)) {
        return kRefused;
    }
    if (!MakeFiles(o, road, files)) {
        return kFileFailed;
    }
    std::vector<std::pair<std::string, std::string>> written;
    const int status = WriteFiles(files, written);

    if (o.json) {
        nlohmann::ordered_json j = HoodJson(road.data, o.type, c);
        j["files"] = nlohmann::ordered_json::array();
        for (const auto& [format, path] : written) {
            j["files"].push_back({{"format", format}, {"path", path}});
        }
        std::cout << j.dump(2) << "\n";
    } else {
        PrintTexts(c, o.type);
        for (const auto& [format, path] : written) {
            std::cout << "Записан файл: " << path << "\n";
        }
    }
    return status;
}

} // namespace kiv::cli
