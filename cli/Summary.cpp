#include "cli/Summary.h"

#include "export/TitleBlock.h"
#include "report/FormatFixed.h"
#include "road/Road.h"

namespace kiv::cli {

const char* const kSummaryHeader =
    "line,name,type,H,L1,L2,S,P1,P2,d,qty,B1_mm,B2_mm,blank_area_m2,pattern_area_m2,steel_kg,"
    "aluminium_kg,copper_kg,wire_length_mm,files\r\n";

namespace {

std::string Fixed(double v, int decimals) {
    return FormatFixed(v, 15, decimals);
}

} // namespace

std::string CsvCell(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) {
        return s;
    }
    std::string quoted = "\"";
    for (char c : s) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string SummaryLine(int line, const std::string& name, int type, long qty,
                        const RaschetData& d, const BlankSummary& s,
                        const std::vector<std::string>& files) {
    const auto q = static_cast<double>(qty);
    const double p1 = type == 3 ? d.AllP1 : d.FalthP1;
    const double p2 = type == 3 ? d.AllP2 : d.FalthP2;
    std::string fileList;
    for (const std::string& f : files) {
        fileList += (fileList.empty() ? "" : " ") + f;
    }
    std::string text = std::to_string(line) + "," + CsvCell(name) + "," + std::to_string(type);
    for (double v : {d.H, d.L1, d.L2, d.S}) {
        text += "," + ShortNumber(v);
    }
    text += "," + (type >= 2 ? ShortNumber(p1) : "") + "," + (type >= 2 ? ShortNumber(p2) : "") +
            "," + (type == 3 ? ShortNumber(d.AllD) : "") + "," + std::to_string(qty) + "," +
            Fixed(s.B1, 2) + "," + Fixed(s.B2, 2) + "," + Fixed(s.blankArea * q / 1e6, 6) + "," +
            Fixed(s.patternArea * q / 1e6, 6);
    for (double m : s.blankMass) {
        text += "," + Fixed(m * q, 3);
    }
    text += "," + (type == 3 ? Fixed(WireLength(d) * q, 1) : "") + "," + CsvCell(fileList) +
            "\r\n";
    return text;
}

std::string TotalsLine(long hoods, double area, const double (&mass)[3], double wire) {
    return "total,,,,,,,,,," + std::to_string(hoods) + ",,," + Fixed(area / 1e6, 6) + ",," +
           Fixed(mass[0], 3) + "," + Fixed(mass[1], 3) + "," + Fixed(mass[2], 3) + "," +
           Fixed(wire, 1) + ",\r\n";
}

} // namespace kiv::cli
