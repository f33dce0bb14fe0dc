#include "cli/Summary.h"

#include "core/PatternType.h"
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
    std::string fileList;
    for (const std::string& f : files) {
        if (!fileList.empty()) {
            fileList += ' ';
        }
        fileList += f;
    }
    // Appended cell by cell: building "," + cell as temporaries costs more
    // and trips a false warning of GCC 12 at -O3.
    std::string text = std::to_string(line);
    const auto cell = [&text](const std::string& value) {
        text += ',';
        text += value;
    };
    cell(CsvCell(name));
    cell(std::to_string(type));
    for (double v : {d.H, d.L1, d.L2, d.S}) {
        cell(ShortNumber(v));
    }
    const auto t = PatternTypeOf(type);
    const bool seams = HasSeams(t), wire = HasWire(t);
    cell(seams ? ShortNumber(wire ? d.AllP1 : d.FalthP1) : std::string());
    cell(seams ? ShortNumber(wire ? d.AllP2 : d.FalthP2) : std::string());
    cell(wire ? ShortNumber(d.AllD) : std::string());
    cell(std::to_string(qty));
    cell(Fixed(s.B1, 2));
    cell(Fixed(s.B2, 2));
    cell(Fixed(s.blankArea * q / 1e6, 6));
    cell(Fixed(s.patternArea * q / 1e6, 6));
    for (double m : s.blankMass) {
        cell(Fixed(m * q, 3));
    }
    cell(wire ? Fixed(WireLength(d) * q, 1) : std::string());
    cell(CsvCell(fileList));
    text += "\r\n";
    return text;
}

std::string TotalsLine(long hoods, double area, const double (&mass)[3], double wire) {
    std::string text = "total,,,,,,,,,,";
    text += std::to_string(hoods);
    text += ",,,";
    text += Fixed(area / 1e6, 6);
    text += ",,";
    for (double m : mass) {
        text += Fixed(m, 3);
        text += ',';
    }
    text += Fixed(wire, 1);
    text += ",\r\n";
    return text;
}

} // namespace kiv::cli
