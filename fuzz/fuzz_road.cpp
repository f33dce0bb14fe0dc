// The whole road of a confirmation from nine arbitrary field texts: the
// validators in their order, each pattern type's calculation and texts, and
// the script with its name. What follows the ninth text is the settings
// file, whose value ends every script.
#include "input/SettingsFile.h"
#include "road/Road.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool Clean(const std::string& text) {
    return text.find("inf") == std::string::npos && text.find("nan") == std::string::npos &&
           text.find('?') == std::string::npos;
}

// Lines ended by CRLF, no bare CR or LF anywhere else.
std::size_t CrlfLines(const std::string& bytes) {
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') {
                __builtin_trap();
            }
            ++lines;
            ++i;
        } else if (bytes[i] == '\n') {
            __builtin_trap();
        }
    }
    if (!bytes.empty() && bytes.size() >= 2 && bytes.substr(bytes.size() - 2) != "\r\n") {
        __builtin_trap();
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Nine texts separated by newlines; missing ones stay empty. The rest of
    // the input, newlines and all, is the settings file.
    std::array<std::string, 9> texts;
    std::size_t field = 0;
    std::size_t i = 0;
    for (; i < size && field < texts.size(); ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') {
            ++field;
        } else {
            texts[field] += c;
        }
    }
    const std::string osmode =
        size > i
            ? kiv::OsmodeFromBytes(std::string_view(reinterpret_cast<const char*>(data + i), size - i))
            : std::string("4133");
    kiv::FieldTexts fields;
    for (std::size_t k = 0; k < kiv::kAllInputs.size(); ++k) {
        fields[kiv::kAllInputs[k]] = texts[k];
    }

    kiv::OutputRequest request;
    request.script = true;
    request.dxf = true;
    for (int type = 1; type <= 3; ++type) {
        const kiv::RoadResult road = kiv::RunRoad(type, fields, osmode, request);
        const kiv::Confirmation& c = road.confirmation;
        if (c.outcome == kiv::Outcome::Refused) {
            continue;
        }
        const kiv::TypeReport& report = c.report;
        if (!Clean(report.radii) || !Clean(report.b1) || !Clean(report.b2) ||
            !Clean(report.summary)) {
            __builtin_trap();
        }
        if (report.status != kiv::CalcStatus::Ok) {
            continue;
        }
        if (report.b1.empty() || report.b2.empty() || report.summary.empty()) {
            __builtin_trap();
        }
        // A pattern the window confirms goes to a cutting machine: its
        // contour passes the check (closed, not crossing itself, the blank's
        // extents), or nothing is written. For any hood up to a kilometre it
        // must pass; beyond, doubles no longer hold the shape and a refusal
        // is the right answer, but never a file with a faulty contour. The
        // seam allowances count too: a strip of 1e27 mm is no hood either.
        const kiv::RaschetData& d = road.data;
        const double p1 = type == 2 ? d.FalthP1 : type == 3 ? d.AllP1 : 0;
        const bool realistic = d.L2 <= 1e6 && d.H <= 1e6 && p1 <= 1e6;
        if ((c.outcome == kiv::Outcome::Confirmed) != (c.fault == kiv::DrawingFault::None) ||
            (realistic && c.outcome != kiv::Outcome::Confirmed)) {
            __builtin_trap();
        }
        if (c.outcome != kiv::Outcome::Confirmed) {
            continue;
        }
        const kiv::HoodOutputs& out = road.outputs;
        if (out.status != kiv::CalcStatus::Ok || out.fault != kiv::DrawingFault::None ||
            out.dxf.empty()) {
            __builtin_trap();
        }
        const std::string& bytes = out.script;
        const std::size_t expected[] = {0, 29, 40, 58};
        if (CrlfLines(bytes) != expected[type]) {
            __builtin_trap();
        }
        // The settings value is copied as it is; everything before it is ours.
        const std::string footer = "_osmode\r\n" + osmode + "\r\n";
        if (bytes.size() < footer.size() ||
            bytes.compare(bytes.size() - footer.size(), footer.size(), footer) != 0 ||
            !Clean(bytes.substr(0, bytes.size() - footer.size()))) {
            __builtin_trap();
        }
        const std::string& name = road.scriptName;
        if (name.size() > 50 || name.size() < 4 || name.substr(name.size() - 4) != ".scr") {
            __builtin_trap();
        }
    }
    return 0;
}
