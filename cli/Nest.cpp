#include "cli/Nest.h"

#include "cli/Batch.h"
#include "cli/Common.h"
#include "cli/HoodJson.h"
#include "cli/Order.h"
#include "input/SaveFile.h"
#include "cli/Summary.h"
#include "nest/DrawingParts.h"
#include "nest/Summary.h"
#include "report/FormatFixed.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <unistd.h>

namespace kiv::cli {

namespace {

// A confirmed hood of the order with the line and name that identify it.
struct Hood {
    int line = 0;
    std::string name;
    ShopDrawing drawing;
};

// The hoods of one thickness: they share sheets, hoods of another do not.
struct Group {
    double thickness = 0;
    std::vector<Hood> hoods; // beside `parts`
    std::vector<nest::Part> parts;
    nest::Layout layout, blanks;
    nest::MaterialSummary material, blankMaterial;
    int firstSheet = 0; // the number of this group's first sheet in the files, from 1
};

std::string Num(double v, int decimals) { return FormatFixed(v, 15, decimals); }

// A size in millimetres as a user typed it: no trailing zeros after the point.
std::string Mm(double v) {
    std::string s = Num(v, 1);
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0)
        s.resize(s.size() - 2);
    return s;
}

std::string HoodTitle(const Hood& hood) {
    return "строка " + std::to_string(hood.line) + (hood.name.empty() ? "" : " (" + hood.name + ")");
}

std::string SheetFile(int number) { return "sheet-" + std::to_string(number) + ".dxf"; }

double SteelKg(double areaMm2, double thickness) { return areaMm2 * thickness * kSteel / 1000; }

// The search's progress on a terminal only; a log file gets no bar.
nest::Progress Bar(const std::string& what) {
    if (::isatty(STDERR_FILENO) != 1)
        return {};
    return [what](int done, int planned) {
        constexpr int kWidth = 30;
        const int filled = planned > 0 ? kWidth * std::min(done, planned) / planned : kWidth;
        std::fprintf(stderr, "\r%s [%s%s] %d/%d ", what.c_str(),
                     std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), done,
                     planned);
        if (done >= planned)
            std::fputs("\n", stderr);
        return true;
    };
}

bool TurnsOf(const std::string& text, std::vector<double>& turns) {
    if (text == "90") {
        turns = nest::QuarterTurns();
        return true;
    }
    if (text == "180") {
        turns = nest::HalfTurns();
        return true;
    }
    char* end = nullptr;
    const double step = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(step))
        return false;
    turns = nest::TurnsEvery(step);
    return !turns.empty();
}

std::string FaultText(nest::NestFault fault) {
    switch (fault) {
    case nest::NestFault::BadStock:
        return "размер листа должен быть положительным числом";
    case nest::NestFault::BadOptions:
        return "зазор и поле должны быть неотрицательными числами";
    case nest::NestFault::NoParts:
        return "в заказе нет ни одного зонта";
    default:
        return "ошибка программы: раскрой не построен";
    }
}

} // namespace

int RunNest(const NestOptions& o) {
    nest::Stock stock;
    if (o.coil != 0) {
        if (!std::isfinite(o.coil) || o.coil <= 0) {
            std::cerr << "kiv: параметр --coil: ширина рулона должна быть положительным числом\n";
            return kRefused;
        }
        stock = {o.coil, 0, true};
    } else if (!ParseSheetSize(o.sheet, stock.width, stock.length)) {
        std::cerr << "kiv: параметр --sheet: размер листа задается как ШИРИНАxДЛИНА в мм, "
                     "например 1250x2500, а не '"
                  << o.sheet << "'\n";
        return kRefused;
    }
    nest::Options options;
    if (!TurnsOf(o.turns, options.rotations)) {
        std::cerr << "kiv: параметр --turns: допустимы 90, 180 или шаг поворота в градусах от "
                     "0 до 360, а не '"
                  << o.turns << "'\n";
        return kRefused;
    }
    if (!std::isfinite(o.gap) || o.gap < 0 || !std::isfinite(o.margin) || o.margin < 0) {
        std::cerr << "kiv: " << FaultText(nest::NestFault::BadOptions) << "\n";
        return kRefused;
    }
    if (!std::isfinite(o.time) || o.time <= 0 || o.iterations < 0) {
        std::cerr << "kiv: параметры --time и --iterations: время должно быть больше нуля, "
                     "число шагов — не меньше нуля\n";
        return kRefused;
    }
    options.gap = o.gap;
    options.margin = o.margin;
    options.seed = o.seed;
    options.iterations = o.iterations;
    options.timeLimit = o.time;

    Order order;
    if (!LoadOrder(o.orders, order)) {
        return kRefused;
    }

    // Every hood first: a layout missing a refused row would buy the wrong
    // metal, so one bad row stops the whole order.
    std::map<double, Group> groups;
    bool refused = false;
    for (const OrderRow& row : order.rows) {
        ConfirmedRow c;
        ConfirmRow(row, "0", c);
        if (!c.error.empty()) {
            std::cerr << "kiv: " << c.error << "\n";
            refused = true;
            continue;
        }
        Group& g = groups[c.data.S];
        g.thickness = c.data.S;
        Hood hood{row.line, row.cells[kName], c.confirmation.drawing};
        g.parts.push_back(nest::PartOf(hood.drawing, hood.name, static_cast<int>(c.qty)));
        g.hoods.push_back(std::move(hood));
    }
    if (refused) {
        std::cerr << "kiv: раскрой не построен, ничего не записано\n";
        return kRefused;
    }
    if (groups.empty()) {
        std::cerr << "kiv: " << FaultText(nest::NestFault::NoParts) << "\n";
        return kRefused;
    }

    // The layouts, every one before any file is written.
    int sheets = 0;
    for (auto& [thickness, g] : groups) {
        g.layout = nest::Nest(g.parts, stock, options, Bar("Раскрой S " + Mm(thickness)));
        if (g.layout.fault == nest::NestFault::PartTooLarge ||
            g.layout.fault == nest::NestFault::BadPart) {
            const auto part = static_cast<std::size_t>(std::max(0, g.layout.faultPart));
            const nest::Extent e = nest::SmallestExtent(g.parts[part].outline, options.rotations);
            std::cerr << "kiv: " << HoodTitle(g.hoods[part]) << ": развертка " << Mm(e.across)
                      << " × " << Mm(e.along) << " мм не помещается "
                      << (stock.coil ? "на рулон шириной " + Mm(stock.width) + " мм"
                                     : "на лист " + Mm(stock.width) + " × " + Mm(stock.length) +
                                           " мм")
                      << " с полем " << Mm(options.margin) << " мм; ничего не записано\n";
            return kRefused;
        }
        if (g.layout.fault != nest::NestFault::None) {
            std::cerr << "kiv: " << FaultText(g.layout.fault) << "\n";
            return kRefused;
        }
        if (g.layout.stopped) {
            std::cerr << "kiv: поиск остановлен по времени (--time) после "
                      << g.layout.iterationsDone << " шагов из " << options.iterations
                      << "; с теми же данными результат может отличаться\n";
        }
        g.material = nest::Summarise(g.parts, g.layout, stock, options.margin);
        // The same hoods as rectangular blanks, each turned a quarter at most
        // as a worker turns a blank.
        nest::Options blankOptions = options;
        if (options.rotations != nest::HalfTurns())
            blankOptions.rotations = nest::QuarterTurns();
        g.blanks = nest::Nest(nest::BlankParts(g.parts), stock, blankOptions,
                              Bar("Заготовки S " + Mm(thickness)));
        g.blankMaterial = nest::Summarise(g.parts, g.blanks, stock, options.margin);
        g.firstSheet = sheets + 1;
        sheets += g.layout.sheets;
    }

    // The files in memory: a DXF per sheet, the PDF, the summary.
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<NestSheet> pages;
    std::string csv =
        "kind,file,S_mm,sheets,width_mm,length_mm,parts,parts_area_m2,stock_area_m2,"
        "utilisation_pct,waste_area_m2,waste_steel_kg,remnant_area_m2\r\n";
    nlohmann::ordered_json jsonGroups = nlohmann::ordered_json::array();
    double allStock = 0, allParts = 0, allWasteKg = 0, allBlankStock = 0, allBlankWasteKg = 0;
    int allBlankSheets = 0;
    const auto m2 = [](double mm2) { return Num(mm2 / 1e6, 4); };
    for (const auto& entry : groups) {
        // Named copies: a lambda below uses them, and clang captures no
        // structured binding.
        const double thickness = entry.first;
        const Group& g = entry.second;
        nlohmann::ordered_json jsonSheets = nlohmann::ordered_json::array();
        for (int s = 0; s < g.layout.sheets; ++s) {
            const nest::SheetUse& use = g.material.sheets[static_cast<std::size_t>(s)];
            const int number = g.firstSheet + s;
            NestSheet page{use.length, stock.width, {}, {}};
            nlohmann::ordered_json jsonParts = nlohmann::ordered_json::array();
            for (const nest::Placement& p : g.layout.placements) {
                if (p.sheet != s)
                    continue;
                const Hood& hood = g.hoods[static_cast<std::size_t>(p.part)];
                const std::string label =
                    std::to_string(hood.line) + "-" + std::to_string(p.copy + 1);
                page.parts.push_back({label, nest::PlaceDrawing(hood.drawing, p)});
                jsonParts.push_back({{"label", label},
                                     {"line", hood.line},
                                     {"name", hood.name},
                                     {"copy", p.copy + 1},
                                     {"angle_deg", p.angle},
                                     {"x_mm", p.offset.x},
                                     {"y_mm", p.offset.y}});
            }
            const double area = use.length * stock.width;
            page.heading = "Лист " + std::to_string(number) + " из " + std::to_string(sheets) +
                           ": " + Mm(stock.width) + " × " + Mm(use.length) + " мм, S " +
                           Mm(thickness) + " мм, деталей " + std::to_string(page.parts.size()) +
                           ", использование " + Num(use.utilisation * 100, 1) + " %";
            files.emplace_back(SheetFile(number),
                               SheetDxfBytes(use.length, stock.width, page.parts));
            csv += "sheet," + SheetFile(number) + "," + Mm(thickness) + ",1," + Mm(stock.width) +
                   "," + Mm(use.length) + "," + std::to_string(page.parts.size()) + "," +
                   m2(use.partsArea) + "," + m2(area) + "," + Num(use.utilisation * 100, 1) +
                   "," + m2(area - use.partsArea) + "," +
                   Num(SteelKg(area - use.partsArea, thickness), 2) + ",\r\n";
            jsonSheets.push_back({{"file", SheetFile(number)},
                                  {"length_mm", use.length},
                                  {"parts_area_mm2", use.partsArea},
                                  {"utilisation", use.utilisation},
                                  {"parts", jsonParts}});
            pages.push_back(std::move(page));
        }
        const auto totals = [&](const char* kind, const nest::Layout& layout,
                                const nest::MaterialSummary& m) {
            if (layout.fault != nest::NestFault::None) {
                csv += std::string(kind) + ",," + Mm(thickness) + ",,,,,,,,,,\r\n";
                return nlohmann::ordered_json(nullptr);
            }
            const double wasteKg = SteelKg(m.wasteArea, thickness);
            csv += std::string(kind) + ",," + Mm(thickness) + "," + std::to_string(layout.sheets) +
                   "," + Mm(stock.width) + "," + Mm(stock.coil ? m.sheets.back().length : stock.length) +
                   "," + std::to_string(layout.placements.size()) + "," + m2(m.partsArea) + "," +
                   m2(m.stockArea) + "," + Num(m.utilisation * 100, 1) + "," + m2(m.wasteArea) +
                   "," + Num(wasteKg, 2) + "," + m2(m.remnantArea) + "\r\n";
            return nlohmann::ordered_json{{"sheets", layout.sheets},
                                          {"last_length_mm", layout.lastLength},
                                          {"stock_area_mm2", m.stockArea},
                                          {"parts_area_mm2", m.partsArea},
                                          {"utilisation", m.utilisation},
                                          {"waste_area_mm2", m.wasteArea},
                                          {"waste_steel_kg", wasteKg},
                                          {"remnant_area_mm2", m.remnantArea}};
        };
        nlohmann::ordered_json trueShape = totals("total", g.layout, g.material);
        nlohmann::ordered_json blanks = totals("blanks", g.blanks, g.blankMaterial);
        allStock += g.material.stockArea;
        allParts += g.material.partsArea;
        allWasteKg += SteelKg(g.material.wasteArea, thickness);
        if (g.blanks.fault == nest::NestFault::None) {
            allBlankSheets += g.blanks.sheets;
            allBlankStock += g.blankMaterial.stockArea;
            allBlankWasteKg += SteelKg(g.blankMaterial.wasteArea, thickness);
        }
        jsonGroups.push_back({{"S_mm", thickness},
                              {"sheets", jsonSheets},
                              {"true_shape", trueShape},
                              {"blanks", blanks},
                              {"iterations_done", g.layout.iterationsDone},
                              {"stopped_by_time", g.layout.stopped}});
    }
    const nlohmann::ordered_json summary = {
        {"stock",
         {{"coil", stock.coil},
          {"width_mm", stock.width},
          {"length_mm", stock.coil ? nlohmann::ordered_json(nullptr)
                                   : nlohmann::ordered_json(stock.length)}}},
        {"options",
         {{"gap_mm", options.gap},
          {"margin_mm", options.margin},
          {"turns_deg", options.rotations},
          {"seed", options.seed},
          {"iterations", options.iterations}}},
        {"thicknesses", jsonGroups},
        {"totals",
         {{"sheets", sheets},
          {"stock_area_mm2", allStock},
          {"parts_area_mm2", allParts},
          {"utilisation", allStock > 0 ? allParts / allStock : 0},
          {"waste_steel_kg", allWasteKg},
          {"blank_sheets", allBlankSheets},
          {"blank_stock_area_mm2", allBlankStock},
          {"blank_waste_steel_kg", allBlankWasteKg}}},
    };

    std::string pdf;
    if (!SheetsPdfBytes(pages, "Раскрой", pdf)) {
        std::cerr << "kiv: ошибка программы: листы PDF не построены; ничего не записано\n";
        return kFileFailed;
    }
    files.emplace_back("nest-sheets.pdf", std::move(pdf));
    files.emplace_back("nest-summary.csv", std::move(csv));
    files.emplace_back("nest-summary.json", summary.dump(2) + "\n");

    std::error_code ec;
    std::filesystem::create_directories(o.out, ec);
    if (!std::filesystem::is_directory(o.out)) {
        std::cerr << "kiv: не удалось создать папку " << o.out << "\n";
        return kFileFailed;
    }
    int status = kDone;
    for (const auto& [name, text] : files) {
        std::string reason;
        if (!SaveWhole(o.out + "/" + name, text, reason, NewFileSync::ByCaller)) {
            std::cerr << "kiv: не удалось записать файл " << name << ": " << reason << "\n";
            status = kFileFailed;
        }
    }
    if (status == kDone) {
        // Sheets of an earlier, longer layout in the same folder would be cut
        // as if they belonged to this one.
        for (const auto& entry : std::filesystem::directory_iterator(o.out, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.size() > 10 && name.rfind("sheet-", 0) == 0 &&
                name.compare(name.size() - 4, 4, ".dxf") == 0) {
                const std::string digits = name.substr(6, name.size() - 10);
                if (digits.find_first_not_of("0123456789") == std::string::npos &&
                    digits.size() < 9 && std::stoi(digits) > sheets) {
                    std::filesystem::remove(entry.path(), ec);
                }
            }
        }
    }
    std::string reason;
    if (!SyncFolder(o.out, reason)) {
        std::cerr << "kiv: " << o.out << ": " << reason << "\n";
        status = kFileFailed;
    }
    if (status == kDone) {
        std::cout << "Листов: " << sheets << ", использование "
                  << Num(allStock > 0 ? allParts / allStock * 100 : 0, 1)
                  << " %; прямоугольными заготовками: " << allBlankSheets << " листов\n";
    }
    return status;
}

} // namespace kiv::cli
