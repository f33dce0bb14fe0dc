#include "export/TitleBlock.h"

#include "core/PatternType.h"
#include "report/FormatFixed.h"
#include "report/Texts.h"

namespace kiv {

std::vector<std::string> TitleLines(const RaschetData& d, int type, const BlankSummary& summary,
                                    const TemplateLayout& layout, std::string_view date) {
    std::vector<std::string> lines;
    lines.push_back("Шаблон развертки зонта, масштаб 1:1 (размеры в мм)");
    lines.push_back("Зонт: H = " + ShortNumber(d.H) + ", L1 = " + ShortNumber(d.L1) +
                    ", L2 = " + ShortNumber(d.L2) + ", S = " + ShortNumber(d.S));
    switch (PatternTypeOf(type).value_or(PatternType::SeamAndWire)) {
    case PatternType::Plain:
        lines.push_back("Развертка без припусков");
        break;
    case PatternType::LockSeam:
        lines.push_back("Развертка с припусками на фальц: Р1 = " + ShortNumber(d.FalthP1) +
                        ", Р2 = " + ShortNumber(d.FalthP2));
        break;
    case PatternType::SeamAndWire:
        lines.push_back("Развертка с припусками на фальц и проволоку:");
        lines.push_back("Р1 = " + ShortNumber(d.AllP1) + ", Р2 = " + ShortNumber(d.AllP2) +
                        ", d = " + ShortNumber(d.AllD) + ", полоса " + WireAllowanceText(d.AllD));
        break;
    }
    lines.push_back("Заготовка B1 x B2 = " + BlankSizeText(summary.B1) + " x " +
                    BlankSizeText(summary.B2));

    // The marking radii, one line each as the window shows them.
    const std::string radii = RadiiText(d);
    std::size_t from = 0;
    while (from <= radii.size()) {
        const std::size_t cut = radii.find('\r', from);
        lines.push_back(radii.substr(from, cut == std::string::npos ? cut : cut - from));
        if (cut == std::string::npos) {
            break;
        }
        from = cut + 1;
    }

    const bool titleSheet = !layout.pages.empty() && !layout.pages.front().pattern;
    const std::size_t printed = layout.pages.size() - (titleSheet ? 1 : 0);
    const std::string leftOut =
        layout.leftOut.empty() ? ""
                               : ", пустых не печатается: " + std::to_string(layout.leftOut.size());
    lines.push_back("Листов с разверткой: " + std::to_string(printed) + " (" +
                    std::to_string(layout.rows) + " x " + std::to_string(layout.columns) + leftOut +
                    ")" + (titleSheet ? " и титульный" : "") + ", " +
                    OrientationText(layout.landscape) + " ориентация");
    lines.push_back("Перекрытие соседних листов " + ShortNumber(layout.overlap) + " мм");
    lines.push_back("Дата: " + std::string(date));
    return lines;
}

} // namespace kiv
