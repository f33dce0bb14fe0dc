#include "report/Texts.h"

#include "core/Geometry.h"
#include "core/PatternType.h"
#include "report/FormatFixed.h"

namespace kiv {

namespace {

// Radii and blank sizes: 2 decimals; areas and masses: 3; enlargements: 1.
std::string Mm(double v) {
    return FormatFixed(v, 9, 2);
}
std::string Three(double v) {
    return FormatFixed(v, 9, 3);
}
std::string One(double v) {
    return FormatFixed(v, 9, 1);
}

void AreaAndMasses(std::string& text, const char* what, double area, const double (&mass)[3]) {
    text += what;
    text += "площадь " + Three(area / 1000000) + " кв. м;\r";
    text += " вес (кг): стальная - " + Three(mass[0]) + ";\r";
    text += "  алюминиевая - " + Three(mass[1]) + ";\r";
    text += "  медная - " + Three(mass[2]) + ".";
}

} // namespace

std::string RadiiText(const RaschetData& d) {
    const std::string half = Mm(d.L2 / 2);
    std::string text = "Радиусы для разметки развертки засечками:\r";
    text += " - точка 1: 0-1 = " + half + ";\r";
    text += " - точка 4: 0-4 = " + Mm(d.R04) + ";\r";
    text += " - точка 2: 1-2 = " + Mm(d.L1) + ";   4-2 = " + Mm(d.R42) + ";\r";
    text += " - точка 3: 2-3 = " + half + ";   4-3 = " + Mm(d.R04) + ";\r";
    text += "Точки 5, 6, 7 симетричны относительно оси Y\r";
    text += "точкам 3, 2, 1 соответственно.";
    return text;
}

std::string SummaryText(const BlankSummary& s) {
    std::string text;
    AreaAndMasses(text, "Заготовка: ", s.blankArea, s.blankMass);
    text += "\r";
    AreaAndMasses(text, "Развертка: ", s.patternArea, s.patternMass);
    if (PatternTypeOf(s.type) == PatternType::SeamAndWire) {
        text += "\rВнимание! Из-за закатывания проволоки габариты зонта увеличились:\r";
        text +=
            "- ширина - на " + One(s.widen) + " мм;  - длина - на " + One(s.lengthen) + " мм;\r";
        text += "- высота - на " + One(s.heighten) + " мм.";
    }
    return text;
}

std::string BlankSizeText(double v) {
    return Mm(v);
}

std::string WireAllowanceText(double allD) {
    return One(WireBandWidth(allD));
}

TypeReport RunPattern(RaschetData& d, int type) {
    const CalcResult result = Calculate(d, type);
    TypeReport report;
    report.status = result.status;
    if (result.status == CalcStatus::NotFinite) {
        return report;
    }
    // The radii belong to the base development, which ran even when the
    // allowances then did not fit.
    report.radii = RadiiText(d);
    if (result.status == CalcStatus::Ok) {
        report.b1 = BlankSizeText(result.summary.B1);
        report.b2 = BlankSizeText(result.summary.B2);
        report.summary = SummaryText(result.summary);
        report.blank = result.summary;
    }
    return report;
}

} // namespace kiv
