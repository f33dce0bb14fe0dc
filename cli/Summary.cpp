#include "cli/Summary.h"

#include "core/PatternType.h"
#include "export/TitleBlock.h"
#include "report/FormatFixed.h"
#include "road/Road.h"

#include <algorithm>

namespace kiv::cli {

const char* const kSummaryHeader =
    "line,name,type,H,L1,L2,S,P1,P2,d,qty,B1_mm,B2_mm,blank_area_m2,pattern_area_m2,steel_kg,"
    "aluminium_kg,copper_kg,wire_length_mm,files\r\n";

namespace {

std::string Fixed(double v, int decimals) {
    return FormatFixed(v, 15, decimals);
}

// A number cell: with ";" between the cells the decimal point is a comma.
std::string Decimal(std::string number, char separator) {
    if (separator == ';') {
        std::replace(number.begin(), number.end(), '.', ',');
    }
    return number;
}

} // namespace

std::string SummaryHeader(char separator) {
    std::string header = kSummaryHeader;
    std::replace(header.begin(), header.end(), ',', separator);
    return header;
}

std::string CsvCell(const std::string& s, char separator) {
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (s.find_first_of(special) == std::string::npos) {
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
                        const std::vector<std::string>& files, char separator) {
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
    const auto cell = [&text, separator](const std::string& value) {
        text += separator;
        text += value;
    };
    const auto number = [&cell, separator](const std::string& value) {
        if (separator == ',') {
            cell(value);
        } else {
            cell(Decimal(value, separator));
        }
    };
    cell(CsvCell(name, separator));
    cell(std::to_string(type));
    for (double v : {d.H, d.L1, d.L2, d.S}) {
        number(ShortNumber(v));
    }
    const auto t = PatternTypeOf(type);
    const bool seams = HasSeams(t), wire = HasWire(t);
    number(seams ? ShortNumber(wire ? d.AllP1 : d.FalthP1) : std::string());
    number(seams ? ShortNumber(wire ? d.AllP2 : d.FalthP2) : std::string());
    number(wire ? ShortNumber(d.AllD) : std::string());
    cell(std::to_string(qty));
    number(Fixed(s.B1, 2));
    number(Fixed(s.B2, 2));
    number(Fixed(s.blankArea * q / 1e6, 6));
    number(Fixed(s.patternArea * q / 1e6, 6));
    for (double m : s.blankMass) {
        number(Fixed(m * q, 3));
    }
    number(wire ? Fixed(WireLength(d) * q, 1) : std::string());
    cell(CsvCell(fileList, separator));
    text += "\r\n";
    return text;
}

std::string TotalsLine(long hoods, double area, const double (&mass)[3], double wire, char separator) {
    std::string text = "total" + std::string(10, separator);
    text += std::to_string(hoods);
    text += std::string(3, separator);
    text += Decimal(Fixed(area / 1e6, 6), separator);
    text += std::string(2, separator);
    for (double m : mass) {
        text += Decimal(Fixed(m, 3), separator);
        text += separator;
    }
    text += Decimal(Fixed(wire, 1), separator);
    text += separator;
    text += "\r\n";
    return text;
}

} // namespace kiv::cli
