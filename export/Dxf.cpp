#include "export/Dxf.h"

#include <dl_attributes.h>
#include <dl_codes.h>
#include <dl_dxf.h>
#include <dl_entities.h>
#include <dl_writer_ascii.h>

#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <system_error>

namespace kiv {

namespace {

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

// ACI colours: cut white/black, folds red, seams green, wire blue.
constexpr int kColourCut = 7;
constexpr int kColourFold = 1;
constexpr int kColourSeam = 3;
constexpr int kColourWire = 5;

// Dashes of the fold-line type, mm: 6 drawn, 3 gap.
constexpr int kDashes = 2;

DL_Attributes On(const char* layer) {
    return DL_Attributes(layer, 256, -1, "BYLAYER", 1.0);
}

void Tables(DL_Dxf& dxf, MemoryWriter& w, int type) {
    w.sectionTables();
    dxf.writeVPort(w);

    double dash[kDashes] = {6.0, -3.0};
    w.tableLinetypes(4);
    dxf.writeLinetype(w, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(w, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(w, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
    dxf.writeLinetype(w, DL_LinetypeData("DASHED", "__ __ __", 0, kDashes, 9.0, dash));
    w.tableEnd();

    struct LayerRow {
        const char* name;
        int colour;
        const char* linetype;
    };
    const LayerRow rows[] = {{"0", kColourCut, "CONTINUOUS"},
                             {kLayerCut, kColourCut, "CONTINUOUS"},
                             {kLayerFold, kColourFold, "DASHED"},
                             {kLayerSeam, kColourSeam, "DASHED"},
                             {kLayerWire, kColourWire, "DASHED"}};
    // Only the layers this type draws on, so a CAM program lists no empty ones.
    const int count = type == 1 ? 3 : type == 2 ? 4 : 5;
    w.tableLayers(count);
    for (int i = 0; i < count; ++i) {
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

void Lines(DL_Dxf& dxf, MemoryWriter& w, const std::vector<Segment>& lines, const char* layer) {
    for (const auto& s : lines) {
        dxf.writeLine(w, DL_LineData(s.a.x, s.a.y, 0, s.b.x, s.b.y, 0), On(layer));
    }
}

} // namespace

DxfOutput DxfBytes(const RaschetData& d, int type, const BlankSummary& summary) {
    DxfOutput out;
    const ShopDrawing drawing = ShopDrawingOf(d, type);
    out.fault = CheckDrawing(drawing, summary);
    if (out.fault != DrawingFault::None) {
        return out;
    }

    DL_Dxf dxf;
    // out() is dxflib's only way to set the version its writers follow; the
    // file writer it makes for an empty name is never used.
    std::unique_ptr<DL_WriterA> unused(dxf.out("", DL_Codes::AC1009));
    MemoryWriter w;
    dxf.writeHeader(w);
    w.dxfString(9, "$INSUNITS");
    w.dxfInt(70, 4);
    w.dxfString(9, "$MEASUREMENT");
    w.dxfInt(70, 1);
    w.sectionEnd();

    Tables(dxf, w, type);

    w.sectionBlocks();
    w.sectionEnd();

    w.sectionEntities();
    const auto& c = drawing.contour;
    dxf.writePolyline(w, DL_PolylineData(static_cast<int>(c.size()), 0, 0, DL_CLOSED_PLINE),
                      On(kLayerCut));
    for (const auto& p : c) {
        dxf.writeVertex(w, DL_VertexData(p.x, p.y, 0, 0));
    }
    dxf.writePolylineEnd(w);
    Lines(dxf, w, drawing.folds, kLayerFold);
    Lines(dxf, w, drawing.seams, kLayerSeam);
    Lines(dxf, w, drawing.wires, kLayerWire);
    w.sectionEnd();
    w.dxfEOF();

    out.bytes = w.take();
    return out;
}

} // namespace kiv
