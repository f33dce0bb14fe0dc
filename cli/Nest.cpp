#include "cli/Nest.h"

#include "cli/Batch.h"
#include "cli/Common.h"
#include "cli/Order.h"
#include "input/Conversion.h"
#include "sheets/NestFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace kiv::cli {

namespace {

using sheets::FaultText;

std::string HoodTitle(int line, const std::string& name) {
    return "строка " + std::to_string(line) + (name.empty() ? "" : " (" + name + ")");
}

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

// `step` is the step asked for, also when the engine cannot use it.
bool TurnsOf(const std::string& text, std::vector<double>& turns, double& step) {
    if (text == "90") {
        turns = nest::QuarterTurns();
        return true;
    }
    if (text == "180") {
        turns = nest::HalfTurns();
        return true;
    }
    const std::optional<double> parsed = TextToFloat(text, DecimalSign::PointOrComma);
    if (!parsed)
        return false;
    step = *parsed;
    turns = nest::TurnsEvery(step);
    return !turns.empty();
}

} // namespace

int RunNest(const NestOptions& o) {
    nest::Stock stock;
    if (o.coilGiven && o.sheetGiven) {
        std::cerr << "kiv: параметры --coil и --sheet: задайте рулон или лист, а не оба сразу\n";
        return kRefused;
    }
    if (o.coilGiven) {
        if (!std::isfinite(o.coil) || o.coil <= 0) {
            std::cerr << "kiv: параметр --coil: ширина рулона должна быть положительным числом\n";
            return kRefused;
        }
        stock = {o.coil, 0, true};
    } else if (!sheets::ParseSheetSize(o.sheet, stock.width, stock.length)) {
        std::cerr << "kiv: параметр --sheet: размер листа задается как ШИРИНАxДЛИНА в мм, "
                     "например 1250x2500, а не '"
                  << o.sheet << "'\n";
        return kRefused;
    }
    nest::Options options;
    double step = 0;
    if (!TurnsOf(o.turns, options.rotations, step)) {
        if (step > 0 && step < nest::kFinestTurnStep) {
            std::cerr << "kiv: параметр --turns: шаг поворота не мельче "
                      << sheets::Mm(nest::kFinestTurnStep) << "° (не больше " << nest::kMostTurns
                      << " поворотов): более мелкого шага раскрой не успевает использовать, "
                         "а не '"
                      << o.turns << "'\n";
            return kRefused;
        }
        std::cerr << "kiv: параметр --turns: допустимы 90, 180 или шаг поворота в градусах от "
                     "1 до 360, а не '"
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
    std::vector<sheets::Hood> hoods;
    bool refused = false;
    for (const OrderRow& row : order.rows) {
        ConfirmedRow c;
        ConfirmRow(row, "0", c);
        if (!c.error.empty()) {
            std::cerr << "kiv: " << c.error << "\n";
            refused = true;
            continue;
        }
        hoods.push_back({row.line, row.cells[kName], HoodTitle(row.line, row.cells[kName]),
                         c.data.S, static_cast<int>(c.qty), c.confirmation.drawing});
    }
    if (refused) {
        std::cerr << "kiv: раскрой не построен, ничего не записано\n";
        return kRefused;
    }

    sheets::NestedOrder nested = sheets::NestOrder(hoods, stock, options, Bar);
    nested.separator = order.delimiter;
    if (!nested.refusal.empty()) {
        std::cerr << "kiv: " << nested.refusal << "\n";
        return kRefused;
    }
    for (const sheets::Group& g : nested.groups) {
        if (g.layout.stopped) {
            std::cerr << "kiv: поиск остановлен по времени (--time), шагов сделано: "
                      << g.layout.iterationsDone << " из " << options.iterations
                      << "; с теми же данными результат может отличаться\n";
        }
    }
    std::vector<sheets::OutputFile> files;
    std::string error;
    if (!sheets::OrderFiles(nested, files, error)) {
        std::cerr << "kiv: " << error << "\n";
        return kFileFailed;
    }
    std::vector<std::string> failures;
    if (!sheets::WriteOrderFiles(o.out, files, nested.sheets, failures)) {
        for (const std::string& f : failures)
            std::cerr << "kiv: " << f << "\n";
        return kFileFailed;
    }
    std::cout << sheets::DoneText(nested) << "\n";
    return kDone;
}

} // namespace kiv::cli
