// What every DXF file of the program shares: dxflib's writer kept in memory,
// the header in millimetres, the tables with the layers a file uses, and the
// polylines and lines of a shop drawing. Used by the export library's own
// writers only; it brings dxflib's headers along.
#pragma once

#include "export/Dxf.h"
#include "export/LineStyles.h"

#include <dl_attributes.h>
#include <dl_codes.h>
#include <dl_dxf.h>
#include <dl_entities.h>
#include <dl_writer_ascii.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace kiv::dxf_detail {


// dxflib writes through DL_WriterA, which only knows files by name. This one
// collects the group codes in memory instead, so that the window can put the
// file on disk in one atomic step, and writes every real number exactly: the
// shortest decimal that reads back as the same double, never in exponent form.
class MemoryWriter : public DL_WriterA {
public:
    // The base class opens no file for an empty name; nothing goes to it.
    MemoryWriter() : DL_WriterA("", DL_Codes::AC1009) {}

    void dxfReal(int gc, double value) const override {
        std::array<char, 400> text{};
        // -0 would read back the same, but "0" is what every reader expects.
        const double v = value == 0 ? 0.0 : value;
        const auto r =
            std::to_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
        std::string number(text.data(), r.ec == std::errc() ? r.ptr : text.data());
        if (number.find('.') == std::string::npos) {
            number += ".0";
        }
        group(gc, number);
    }
    void dxfInt(int gc, int value) const override { group(gc, std::to_string(value)); }
    void dxfHex(int gc, int value) const override {
        std::array<char, 16> text{};
        const auto r = std::to_chars(text.data(), text.data() + text.size(), value, 16);
        std::string hex(text.data(), r.ptr);
        for (char& c : hex) {
            c = c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        group(gc, hex);
    }
    void dxfString(int gc, const char* value) const override { group(gc, value); }
    void dxfString(int gc, const std::string& value) const override { group(gc, value); }

    std::string take() { return std::move(bytes_); }

private:
    // A group is its code right-aligned in three places, then its value.
    void group(int gc, std::string_view value) const {
        const std::string code = std::to_string(gc);
        bytes_.append(code.size() < 3 ? 3 - code.size() : 0, ' ');
        bytes_ += code;
        bytes_ += '\n';
        bytes_ += value;
        bytes_ += '\n';
    }

    mutable std::string bytes_;
};

inline DL_Attributes On(const char* layer) {
    return DL_Attributes(layer, 256, -1, "BYLAYER", 1.0);
}

// Width to height of the view a CAD program opens on.
constexpr double kViewAspect = 1.5;
// Room around the pattern in that view, as a share of its size.
constexpr double kViewMargin = 0.05;

// The one viewport, *ACTIVE, on which a CAD program opens the file: centred
// on the pattern and tall enough to show all of it with a little room.
inline void ActiveViewport(MemoryWriter& w, const Rect& e) {
    const double width = e.w, height = e.h;
    const double view = std::max({height, width / kViewAspect, 1.0}) * (1 + 2 * kViewMargin);
    w.dxfString(0, "TABLE");
    w.dxfString(2, "VPORT");
    w.dxfInt(70, 1);
    w.dxfString(0, "VPORT");
    w.dxfString(2, "*ACTIVE");
    w.dxfInt(70, 0);
    const struct {
        int code;
        double value;
    } reals[] = {
        {10, 0.0},           {20, 0.0},           {11, 1.0},  {21, 1.0},  // the whole screen
        {12, e.x + e.w / 2}, {22, e.y + e.h / 2},                         // view centre
        {13, 0.0},           {23, 0.0},           {14, 10.0}, {24, 10.0}, // snap base and spacing
        {15, 10.0},          {25, 10.0},                                  // grid
        {16, 0.0},           {26, 0.0},           {36, 1.0},              // looking down the z axis
        {17, 0.0},           {27, 0.0},           {37, 0.0},              // target
        {40, view},          {41, kViewAspect},   {42, 50.0},             // height, aspect, lens
        {43, 0.0},           {44, 0.0},           {50, 0.0},  {51, 0.0},
    };
    for (const auto& r : reals) {
        w.dxfReal(r.code, r.value);
    }
    const int ints[][2] = {{71, 0}, {72, 100}, {73, 1}, {74, 3},
                           {75, 0}, {76, 0},   {77, 0}, {78, 0}};
    for (const auto& i : ints) {
        w.dxfInt(i[0], i[1]);
    }
    w.tableEnd();
}

// The layers a drawing uses: name, ACI colour and line type.
struct LayerRow {
    const char* name;
    int colour;
    const char* linetype;
};

constexpr LayerRow RowOf(LineKind kind) {
    const LineStyle& s = StyleOf(kind);
    return {s.layer, s.aci, s.linetype};
}

// The shop drawing's layers, in the order a drawing of type 1, 2, 3 takes
// them (the first 3, 4 or 5): the default layer looks like the contour.
inline constexpr LayerRow kDrawingLayers[] = {
    {kDefaultLayer, StyleOf(LineKind::Cut).aci, StyleOf(LineKind::Cut).linetype},
    RowOf(LineKind::Cut),
    RowOf(LineKind::Fold),
    RowOf(LineKind::Seam),
    RowOf(LineKind::Wire)};

inline void Tables(DL_Dxf& dxf, MemoryWriter& w, const std::vector<LayerRow>& rows,
                   const Rect& extents) {
    w.sectionTables();
    ActiveViewport(w, extents);

    // A line type's pattern: a dash drawn, then a gap (negative).
    double dash[] = {kFoldDash.drawn, -kFoldDash.gap};
    w.tableLinetypes(4);
    dxf.writeLinetype(w, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(w, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(w, DL_LinetypeData(kSolidLinetype, "Solid line", 0, 0, 0.0));
    dxf.writeLinetype(w, DL_LinetypeData(kDashedLinetype, "__ __ __", 0,
                                         static_cast<int>(std::size(dash)),
                                         kFoldDash.drawn + kFoldDash.gap, dash));
    w.tableEnd();

    w.tableLayers(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        dxf.writeLayer(w, DL_LayerData(rows[i].name, 0),
                       DL_Attributes("", rows[i].colour, -1, rows[i].linetype, 1.0));
    }
    w.tableEnd();

    w.tableStyle(1);
    dxf.writeStyle(w, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    w.tableEnd();
    dxf.writeView(w);
    dxf.writeUcs(w);
    w.tableAppid(1);
    dxf.writeAppid(w, "ACAD");
    w.tableEnd();
    dxf.writeDimStyle(w, 1, 1, 1, 1, 1);
    w.sectionEnd();
}

// A polyline on the layer of its kind of line; `flags` DL_CLOSED_PLINE
// closes it, 0 leaves it open.
inline void Polyline(DL_Dxf& dxf, MemoryWriter& w, const std::vector<Point>& points, int flags,
                     LineKind kind) {
    dxf.writePolyline(w, DL_PolylineData(static_cast<int>(points.size()), 0, 0, flags),
                      On(StyleOf(kind).layer));
    for (const auto& p : points) {
        dxf.writeVertex(w, DL_VertexData(p.x, p.y, 0, 0));
    }
    dxf.writePolylineEnd(w);
}

inline void Lines(DL_Dxf& dxf, MemoryWriter& w, const std::vector<Segment>& lines, LineKind kind) {
    for (const auto& s : lines) {
        dxf.writeLine(w, DL_LineData(s.a.x, s.a.y, 0, s.b.x, s.b.y, 0), On(StyleOf(kind).layer));
    }
}

// Every line of a shop drawing: the contour and slit on CUT, the fold,
// seam and wire lines on their layers.
inline void DrawingEntities(DL_Dxf& dxf, MemoryWriter& w, const ShopDrawing& drawing) {
    Polyline(dxf, w, drawing.contour, DL_CLOSED_PLINE, LineKind::Cut);
    if (!drawing.slit.empty()) {
        Polyline(dxf, w, drawing.slit, 0, LineKind::Slit);
    }
    Lines(dxf, w, drawing.folds, LineKind::Fold);
    Lines(dxf, w, drawing.seams, LineKind::Seam);
    Lines(dxf, w, drawing.wires, LineKind::Wire);
}

// The file's start: dxflib's header with millimetres and the drawing's
// extreme corners as they are.
inline void Header(DL_Dxf& dxf, MemoryWriter& w, Point min, Point max) {
    dxf.writeHeader(w);
    w.dxfString(9, "$INSUNITS");
    w.dxfInt(70, 4);
    w.dxfString(9, "$MEASUREMENT");
    w.dxfInt(70, 1);
    w.dxfString(9, "$EXTMIN");
    w.dxfReal(10, min.x);
    w.dxfReal(20, min.y);
    w.dxfReal(30, 0.0);
    w.dxfString(9, "$EXTMAX");
    w.dxfReal(10, max.x);
    w.dxfReal(20, max.y);
    w.dxfReal(30, 0.0);
    w.sectionEnd();
}

} // namespace kiv::dxf_detail
