#include "cli/Calc.h"

#include "cli/Common.h"
#include "cli/HoodJson.h"
#include "cli/SaveFile.h"
#include "core/PatternType.h"
#include "road/Road.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace kiv::cli {

bool InputOfOption(const std::string& option, int type, Input& in) {
    const struct {
        const char* option;
        Input input[4]; // by type, 1 to 3
        bool used[4];
    } rows[] = {
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
    if (!PatternTypeOf(type)) {
        return false;
    }
    const auto t = static_cast<std::size_t>(type);
    for (const auto& r : rows) {
        if (option == r.option) {
            in = r.input[t];
            return r.used[t];
        }
    }
    return false;
}

const char* OptionOfInput(Input in) {
    switch (in) {
    case Input::S:
        return "-S";
    case Input::L1:
        return "--L1";
    case Input::L2:
        return "--L2";
    case Input::H:
        return "-H";
    case Input::FalthP1:
    case Input::AllP1:
        return "--P1";
    case Input::FalthP2:
    case Input::AllP2:
        return "--P2";
    case Input::AllD:
        return "-d";
    }
    return "";
}

namespace {

void PrintTexts(const Confirmation& c, int type) {
    std::cout << ConsoleLines(c.report.radii) << "\n\n";
    std::cout << "Заготовка B1 x B2 = " << c.report.b1 << " x " << c.report.b2 << " мм\n";
    std::cout << ConsoleLines(c.report.summary) << "\n";
    if (PatternTypeOf(type) == PatternType::SeamAndWire) {
        std::cout << "Припуск на закатывание проволоки: " << c.wireAllowance << " мм\n";
    }
}

} // namespace

int RunCalc(const CalcOptions& o) {
    FieldTexts texts;
    for (const auto& [option, text] : o.fields) {
        Input in{};
        if (!InputOfOption(option, o.type, in)) {
            std::cerr << "kiv: параметр " << option << " не относится к развертке типа "
                      << o.type << "\n";
            return kRefused;
        }
        texts[in] = text;
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
    switch (c.outcome) {
    case Outcome::Refused:
        std::cerr << "kiv: параметр " << OptionOfInput(c.refusal.input) << ":\n"
                  << ConsoleLines(RefusalText(c.refusal)) << "\n";
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

    // Every file is made in memory first, so a hood that cannot give one of
    // them writes none.
    struct File {
        const char* format;
        std::string path;
        std::string bytes;
    };
    std::vector<File> files;
    const auto pathOf = [&](const std::optional<std::string>& asked, const char* extension) {
        return asked->empty() ? OutputFileName(road.scriptName, extension) : *asked;
    };
    if (o.scr) {
        files.push_back({"scr", pathOf(o.scr, "scr"), road.outputs.script});
    }
    if (o.dxf) {
        files.push_back({"dxf", pathOf(o.dxf, "dxf"), road.outputs.dxf});
    }
    if (o.pdf) {
        File pdf{"pdf", pathOf(o.pdf, "pdf"), {}};
        // The document's title is the file's name without its extension, as the window gives it.
        const std::string title = std::filesystem::path(pdf.path).stem().string();
        if (!TemplatePdfBytes(road.data, o.type, o.paper, title, pdf.bytes, error)) {
            std::cerr << "kiv: " << error << "\n";
            return kFileFailed;
        }
        files.push_back(std::move(pdf));
    }

    int status = kDone;
    std::vector<std::pair<std::string, std::string>> written;
    for (const File& f : files) {
        std::string reason;
        if (SaveWhole(f.path, f.bytes, reason)) {
            written.emplace_back(f.format, f.path);
        } else {
            std::cerr << "kiv: не удалось записать файл " << f.path << ": " << reason << "\n";
            status = kFileFailed;
        }
    }

    // New files reach the disk before the command says they are written.
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
