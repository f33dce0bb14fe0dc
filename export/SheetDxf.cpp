#include "export/SheetDxf.h"

#include "export/DxfWriter.h"

#include <memory>

namespace kiv {

using namespace dxf_detail;

namespace {

// Label height: a tenth of the part's smaller side, between 3 and 20 mm.
double LabelHeight(const ShopDrawing& drawing) {
    const Rect box = BoundsOf(drawing.contour);
    return std::clamp(std::min(box.w, box.h) / 10, 3.0, 20.0);
}

} // namespace

Point LabelPoint(const ShopDrawing& drawing) {
    const auto& c = drawing.contour;
    double a = 0, cx = 0, cy = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const Point p = c[i], q = c[(i + 1) % c.size()];
        const double cross = p.x * q.y - q.x * p.y;
        a += cross;
        cx += (p.x + q.x) * cross;
        cy += (p.y + q.y) * cross;
    }
    const Rect box = BoundsOf(c);
    if (std::abs(a) <= 1e-9 * std::max(1.0, box.w * box.h)) {
        return {box.x + box.w / 2, box.y + box.h / 2};
    }
    return {cx / (3 * a), cy / (3 * a)};
}

std::string SheetDxfBytes(double length, double width, const std::vector<SheetPart>& parts) {
    DL_Dxf dxf;
    // As in the single drawing: out() only sets the version dxflib writes.
    std::unique_ptr<DL_WriterA> unused(dxf.out("", DL_Codes::AC1009));
    MemoryWriter w;
    Header(dxf, w, {0, 0}, {length, width});

    std::vector<LayerRow> layers(std::begin(kDrawingLayers), std::end(kDrawingLayers));
    layers.push_back(RowOf(LineKind::Sheet));
    layers.push_back(RowOf(LineKind::Labels));
    Tables(dxf, w, layers, {0, 0, length, width});

    w.sectionBlocks();
    w.sectionEnd();

    w.sectionEntities();
    Polyline(dxf, w, {{0, 0}, {length, 0}, {length, width}, {0, width}}, DL_CLOSED_PLINE,
             LineKind::Sheet);
    for (const SheetPart& part : parts) {
        DrawingEntities(dxf, w, part.drawing);
    }
    for (const SheetPart& part : parts) {
        const Point at = LabelPoint(part.drawing);
        // Centred on the point (horizontal 1, vertical 2): R12 places such a
        // text by its second point.
        dxf.writeText(w,
                      DL_TextData(at.x, at.y, 0, at.x, at.y, 0, LabelHeight(part.drawing), 1.0, 0,
                                  1, 2, part.label, "STANDARD", 0.0),
                      On(StyleOf(LineKind::Labels).layer));
    }
    w.sectionEnd();
    w.dxfEOF();
    return w.take();
}

} // namespace kiv
