#include "script/Script.h"

#include "core/PatternType.h"
#include "report/FormatFixed.h"

#include <zlib.h>

#include <array>
#include <cstdio>

namespace kiv {

namespace {

constexpr std::array<Input, 6> kFalthName = {Input::L1, Input::L2,      Input::H,
                                             Input::S,  Input::FalthP1, Input::FalthP2};
constexpr std::array<Input, 7> kAllName = {Input::L1,    Input::L2,    Input::H,   Input::S,
                                           Input::AllP1, Input::AllP2, Input::AllD};

constexpr std::size_t kMaxName = 50;
constexpr std::string_view kExtension = ".scr";
// A name too long to keep whole: its beginning, "~" and the 8 hex digits of
// the CRC-32 of the whole joined texts fill the 50 characters exactly.
constexpr std::size_t kKeptOfLongName = kMaxName - kExtension.size() - 1 - 8;

// Builds the file line by line; every line, the last included, ends in CRLF.
class Lines {
public:
    // The longest file, 58 lines of at most about 25 bytes, in one allocation.
    Lines() { bytes_.reserve(2048); }
    void add(std::string_view line) {
        bytes_ += line;
        bytes_ += "\r\n";
    }
    void point(double x, double y) {
        bytes_ += FormatFixed(x, 10, 4);
        bytes_ += ',';
        bytes_ += FormatFixed(y, 10, 4);
        bytes_ += "\r\n";
    }
    // A polyline through `points`, ended by `end` ("_close" or an empty line).
    void polyline(std::initializer_list<std::array<double, 2>> points, std::string_view end) {
        add("_pline");
        for (const auto& p : points) {
            point(p[0], p[1]);
        }
        add(end);
    }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// The closed outline 1-2-3-4-5-6-7 and the four fold lines from the apex.
void Outline(Lines& out, const RaschetData& d) {
    out.polyline({{d.X1, d.Y1},
                  {d.X2, d.Y2},
                  {d.X3, d.Y3},
                  {d.X4, d.Y4},
                  {-d.X3, d.Y3},
                  {-d.X2, d.Y2},
                  {-d.X1, d.Y1}},
                 "_close");
    const double corners[4][2] = {{d.X1, d.Y1}, {d.X2, d.Y2}, {-d.X2, d.Y2}, {-d.X1, d.Y1}};
    for (const auto& c : corners) {
        out.add("_line");
        out.point(d.X4, d.Y4);
        out.point(c[0], c[1]);
        out.add("");
    }
}

// The two seam strips. The P2 strip needs no side back to the apex: it would
// lie on the y axis within the P1 strip's side F2-4.
void SeamStrips(Lines& out, const RaschetData& d) {
    out.polyline({{d.X3, d.Y3}, {d.XF1, d.YF1}, {d.XF2, d.YF2}, {d.X4, d.Y4}}, "");
    out.polyline({{-d.X3, d.Y3}, {d.XF3, d.YF3}, {d.XF4, d.YF4}}, "");
}

// The wire band's outer edge, from point 3 round the rim to point 5, returning
// to each base corner between two bands.
void WireOutline(Lines& out, const RaschetData& d) {
    const double right[][2] = {{d.X3, d.Y3},   {d.XW1, d.YW1}, {d.XW2, d.YW2}, {d.X2, d.Y2},
                               {d.XW3, d.YW3}, {d.XW4, d.YW4}, {d.X1, d.Y1},   {d.XW5, d.YW5}};
    out.add("_pline");
    for (const auto& p : right) {
        out.point(p[0], p[1]);
    }
    for (auto p = std::rbegin(right); p != std::rend(right); ++p) {
        out.point(-(*p)[0], (*p)[1]);
    }
    out.add("");
}

} // namespace

std::span<const Input> NameInputsFor(int type) {
    const auto t = PatternTypeOf(type);
    if (!t) {
        return {};
    }
    switch (*t) {
    case PatternType::Plain:
        return std::span<const Input>(kFalthName).first(4);
    case PatternType::LockSeam:
        return kFalthName;
    case PatternType::SeamAndWire:
        return kAllName;
    }
    return {};
}

std::string ScriptBaseName(const std::vector<std::string>& texts) {
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        joined += (i > 0 ? "x" : "") + texts[i];
    }
    if (joined.size() + kExtension.size() <= kMaxName) {
        return joined;
    }
    // Cutting alone would give two hoods that differ only after the cut one
    // file, and the second script would silently replace the first. The
    // checksum of everything keeps them apart; the cut falls before the
    // extension so that the CAD program's script dialog still lists the file.
    const auto crc = crc32_z(crc32_z(0, nullptr, 0),
                             reinterpret_cast<const Bytef*>(joined.data()), joined.size());
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08lx", static_cast<unsigned long>(crc));
    return joined.substr(0, kKeptOfLongName) + "~" + hex;
}

std::string ScriptFileName(const std::vector<std::string>& texts) {
    return ScriptBaseName(texts) + std::string(kExtension);
}

std::string ScriptButtonCaption(std::string_view name) {
    return "Файл  \"" + std::string(name) + "\"";
}

std::string ScriptBytes(const RaschetData& d, int type) {
    const auto t = PatternTypeOf(type);
    if (!t) {
        return {};
    }
    Lines out;
    // Running object snaps would pull the typed points onto nearby geometry.
    out.add("_osmode");
    out.add("0");
    Outline(out, d);
    if (HasSeams(t)) {
        SeamStrips(out, d);
    }
    if (HasWire(t)) {
        WireOutline(out, d);
    }
    out.add("_osmode");
    out.add(d.OsmodeValue);
    return out.take();
}

} // namespace kiv
