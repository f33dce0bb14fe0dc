#include "sheets/NestFiles.h"

#include "core/Calculation.h"
#include "input/SaveFile.h"
#include "nest/DrawingParts.h"
#include "report/FormatFixed.h"
#include "report/Plural.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string_view>

namespace kiv::sheets {

namespace {

std::string Num(double v, int decimals) { return FormatFixed(v, 15, decimals); }

std::string SheetFile(int number) { return "sheet-" + std::to_string(number) + ".dxf"; }

double SteelKg(double areaMm2, double thickness) { return areaMm2 * thickness * kSteel / 1000; }

} // namespace

std::string Mm(double v) {
    std::string s = Num(v, 1);
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0)
        s.resize(s.size() - 2);
    return s;
}

std::string CopyLabel(int hood, int copy) {
    return std::to_string(hood) + "-" + std::to_string(copy);
}

std::string FaultText(nest::NestFault fault) {
    switch (fault) {
    case nest::NestFault::BadStock:
        return "размер листа должен быть положительным числом";
    case nest::NestFault::BadOptions:
        return "зазор и поле должны быть неотрицательными числами";
    case nest::NestFault::NoParts:
        return "в заказе нет ни одного зонта";
    case nest::NestFault::Stopped:
        return "поиск остановлен до первого раскроя со всеми зонтами; ничего не записано";
    default:
        return "ошибка программы: раскрой не построен";
    }
}

NestedOrder NestOrder(const std::vector<Hood>& hoods, const nest::Stock& stock,
                      const nest::Options& options, const ProgressFor& progress,
                      const std::function<bool()>& cancelled) {
    NestedOrder out;
    out.stock = stock;
    out.options = options;
    std::map<double, Group> groups;
    for (std::size_t i = 0; i < hoods.size(); ++i) {
        const Hood& hood = hoods[i];
        Group& g = groups[hood.thickness];
        g.thickness = hood.thickness;
        g.parts.push_back(nest::PartOf(hood.drawing, hood.name, hood.quantity));
        g.hoods.push_back(hood);
        g.numbers.push_back(static_cast<int>(i) + 1);
    }
    if (groups.empty()) {
        out.refusal = FaultText(nest::NestFault::NoParts);
        return out;
    }
    const auto bar = [&](const std::string& what) {
        return progress ? progress(what) : nest::Progress{};
    };
    const auto stop = [&] {
        out.cancelled = cancelled && cancelled();
        if (out.cancelled)
            out.groups.clear();
        return out.cancelled;
    };
    // One time cap for the whole order: each search gets its share of what
    // is left (a group's true shapes four times its blanks'), and a first
    // layout may take all that is left. An order whose first layouts do not
    // come within the cap is refused, not laid out some quicker, wasteful way.
    const auto start = std::chrono::steady_clock::now();
    const auto share = [&](double weight, double weightLeft) {
        nest::Options o = options;
        if (options.timeLimit > 0) {
            const double left = std::max(
                options.timeLimit -
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                1e-6);
            o.timeLimit = left * weight / weightLeft;
            o.hardLimit = left;
        }
        return o;
    };
    const auto outOfTime = [&] {
        out.refusal = "заказ слишком велик для заданного времени: за " + Mm(options.timeLimit) +
                      " с не построен даже первый раскрой со всеми зонтами; дайте больше "
                      "времени, крупнее шаг поворота или разбейте заказ; ничего не записано";
        out.groups.clear();
        return out;
    };
    constexpr double kLayoutShare = 4, kBlankShare = 1;
    double groupsLeft = static_cast<double>(groups.size());
    // The layouts, every one before any file is made.
    for (auto& [thickness, g] : groups) {
        g.layout = nest::Nest(g.parts, stock, share(kLayoutShare, groupsLeft * (kLayoutShare + kBlankShare)),
                              bar("Раскрой S " + Mm(thickness)), cancelled);
        if (stop())
            return out;
        if (g.layout.fault == nest::NestFault::OutOfTime)
            return outOfTime();
        if (g.layout.fault == nest::NestFault::PartTooLarge ||
            g.layout.fault == nest::NestFault::BadPart) {
            const auto part = static_cast<std::size_t>(std::max(0, g.layout.faultPart));
            const nest::Extent e = nest::SmallestExtent(g.parts[part].outline, options.rotations);
            out.refusal = g.hoods[part].title + ": развертка " + Mm(e.across) + " × " +
                          Mm(e.along) + " мм не помещается " +
                          (stock.coil ? "на рулон шириной " + Mm(stock.width) + " мм"
                                      : "на лист " + Mm(stock.width) + " × " +
                                            Mm(stock.length) + " мм") +
                          " с полем " + Mm(options.margin) + " мм; ничего не записано";
            out.groups.clear();
            return out;
        }
        if (g.layout.fault != nest::NestFault::None) {
            out.refusal = FaultText(g.layout.fault);
            out.groups.clear();
            return out;
        }
        g.material = nest::Summarise(g.parts, g.layout, stock, options.margin);
        // The same hoods as rectangular blanks, each turned a quarter at most
        // as a worker turns a blank.
        nest::Options blankOptions = options;
        if (options.rotations != nest::HalfTurns())
            blankOptions.rotations = nest::QuarterTurns();
        const nest::Options blankShare =
            share(kBlankShare, kBlankShare + (groupsLeft - 1) * (kLayoutShare + kBlankShare));
        blankOptions.timeLimit = blankShare.timeLimit;
        blankOptions.hardLimit = blankShare.hardLimit;
        g.blanks = nest::Nest(nest::BlankParts(g.parts), stock, blankOptions,
                              bar("Заготовки S " + Mm(thickness)), cancelled);
        if (stop())
            return out;
        if (g.blanks.fault == nest::NestFault::OutOfTime)
            return outOfTime();
        groupsLeft -= 1;
        g.blankMaterial = nest::Summarise(g.parts, g.blanks, stock, options.margin);
        g.firstSheet = out.sheets + 1;
        out.sheets += g.layout.sheets;
        out.stockArea += g.material.stockArea;
        out.partsArea += g.material.partsArea;
        if (g.blanks.fault == nest::NestFault::None)
            out.blankSheets += g.blanks.sheets;
        out.groups.push_back(std::move(g));
    }
    return out;
}

namespace {

// The summary as a spreadsheet with decimal commas reads it: ';' between the
// cells and a comma in every number. Its cells are words, file names and
// numbers, none with a comma or a quote, so each line splits at its commas.
std::string InSemicolons(const std::string& csv) {
    std::string out;
    out.reserve(csv.size());
    std::size_t cell = 0; // where the cell being copied began in `out`
    const auto number = [&out](std::size_t from) {
        const std::string_view text(out.data() + from, out.size() - from);
        return !text.empty() &&
               text.find_first_not_of("0123456789.-") == std::string_view::npos;
    };
    const auto endCell = [&] {
        if (number(cell)) {
            std::replace(out.begin() + static_cast<std::ptrdiff_t>(cell), out.end(), '.', ',');
        }
    };
    for (char c : csv) {
        if (c == ',' || c == '\r' || c == '\n') {
            endCell();
            out += c == ',' ? ';' : c;
            cell = out.size();
        } else {
            out += c;
        }
    }
    endCell();
    return out;
}

} // namespace

bool OrderFiles(const NestedOrder& order, std::vector<OutputFile>& files, std::string& error,
                const PagesDone& pagesDone) {
    files.clear();
    const nest::Stock& stock = order.stock;
    const nest::Options& options = order.options;
    std::vector<SheetPageText> pages;
    std::string csv =
        "kind,file,S_mm,sheets,width_mm,length_mm,parts,parts_area_m2,stock_area_m2,"
        "utilisation_pct,waste_area_m2,waste_steel_kg,remnant_area_m2\r\n";
    nlohmann::ordered_json jsonGroups = nlohmann::ordered_json::array();
    double allWasteKg = 0, allBlankStock = 0, allBlankWasteKg = 0;
    const auto m2 = [](double mm2) { return Num(mm2 / 1e6, 4); };
    for (const Group& g : order.groups) {
        const double thickness = g.thickness;
        nlohmann::ordered_json jsonSheets = nlohmann::ordered_json::array();
        for (int s = 0; s < g.layout.sheets; ++s) {
            const nest::SheetUse& use = g.material.sheets[static_cast<std::size_t>(s)];
            const int number = g.firstSheet + s;
            SheetPageText page{use.length, stock.width, {}, {}};
            nlohmann::ordered_json jsonParts = nlohmann::ordered_json::array();
            for (const nest::Placement& p : g.layout.placements) {
                if (p.sheet != s)
                    continue;
                const Hood& hood = g.hoods[static_cast<std::size_t>(p.part)];
                const std::string label =
                    CopyLabel(g.numbers[static_cast<std::size_t>(p.part)], p.copy + 1);
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
            page.heading = "Лист " + std::to_string(number) + " из " +
                           std::to_string(order.sheets) + ": " + Mm(stock.width) + " × " +
                           Mm(use.length) + " мм, S " + Mm(thickness) + " мм, " +
                           Counted(static_cast<long long>(page.parts.size()), kPartForms) +
                           ", использование " + Num(use.utilisation * 100, 1) + " %";
            files.push_back({SheetFile(number), SheetDxfBytes(use.length, stock.width, page.parts)});
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
            // A cancel is heard while the sheets' drawings are made too,
            // not only once their pages are painted.
            if (pagesDone && !pagesDone(0, order.sheets)) {
                files.clear();
                error.clear();
                return false;
            }
        }
        const auto totals = [&](const char* kind, const nest::Layout& layout,
                                const nest::MaterialSummary& m) {
            if (layout.fault != nest::NestFault::None) {
                csv += std::string(kind) + ",," + Mm(thickness) + ",,,,,,,,,,\r\n";
                return nlohmann::ordered_json(nullptr);
            }
            const double wasteKg = SteelKg(m.wasteArea, thickness);
            csv += std::string(kind) + ",," + Mm(thickness) + "," + std::to_string(layout.sheets) +
                   "," + Mm(stock.width) + "," +
                   Mm(stock.coil ? m.sheets.back().length : stock.length) + "," +
                   std::to_string(layout.placements.size()) + "," + m2(m.partsArea) + "," +
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
        allWasteKg += SteelKg(g.material.wasteArea, thickness);
        if (g.blanks.fault == nest::NestFault::None) {
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
         {{"sheets", order.sheets},
          {"stock_area_mm2", order.stockArea},
          {"parts_area_mm2", order.partsArea},
          {"utilisation", order.stockArea > 0 ? order.partsArea / order.stockArea : 0},
          {"waste_steel_kg", allWasteKg},
          {"blank_sheets", order.blankSheets},
          {"blank_stock_area_mm2", allBlankStock},
          {"blank_waste_steel_kg", allBlankWasteKg}}},
    };

    std::string pdf;
    bool ended = false;
    const PagesDone done = [&](int page, int all) {
        ended = pagesDone && !pagesDone(page, all);
        return !ended;
    };
    if (!SheetsPdfBytes(pages, "Раскрой", pdf, done)) {
        files.clear();
        error = ended ? "" : "ошибка программы: листы PDF не построены; ничего не записано";
        return false;
    }
    files.push_back({"nest-sheets.pdf", std::move(pdf)});
    files.push_back({"nest-summary.csv", order.separator == ';' ? InSemicolons(csv) : std::move(csv)});
    files.push_back({"nest-summary.json", summary.dump(2) + "\n"});
    return true;
}

bool WriteOrderFiles(const std::string& folder, const std::vector<OutputFile>& files, int sheets,
                     std::vector<std::string>& failures) {
    failures.clear();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder)) {
        failures.push_back("не удалось создать папку " + folder +
                           (ec ? std::string(": ") + SystemCause(ec.value()) : std::string()));
        return false;
    }
    std::string failure;
    if (!SaveAllWhole(folder, files, failure, NewFileSync::ByCaller))
        failures.push_back(failure);
    if (failures.empty()) {
        // Sheets of an earlier, longer layout in the same folder would be cut
        // as if they belonged to this one.
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
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
    if (!SyncFolder(folder, reason))
        failures.push_back(folder + ": " + reason);
    return failures.empty();
}

std::string DoneText(const NestedOrder& order) {
    return "Листов: " + std::to_string(order.sheets) + ", использование " +
           Num(order.stockArea > 0 ? order.partsArea / order.stockArea * 100 : 0, 1) +
           " %; прямоугольными заготовками: " + Counted(order.blankSheets, kSheetForms);
}

} // namespace kiv::sheets
