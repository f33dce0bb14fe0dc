#include "export/Dxf.h"

#include "core/PatternType.h"
#include "export/DxfWriter.h"

#include <iterator>
#include <memory>

namespace kiv {

using namespace dxf_detail;

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
    // The contour holds everything else the file draws; its extreme
    // coordinates are written as they are, not as a corner plus a size.
    const auto& c = drawing.contour;
    const auto [left, right] =
        std::minmax_element(c.begin(), c.end(), [](Point a, Point b) { return a.x < b.x; });
    const auto [low, high] =
        std::minmax_element(c.begin(), c.end(), [](Point a, Point b) { return a.y < b.y; });
    Header(dxf, w, {left->x, low->y}, {right->x, high->y});
    const Rect e = BoundsOf(c);
    // Only the layers this type draws on, so a CAM program lists no empty ones.
    const auto t = PatternTypeOf(type);
    const std::size_t layers = 3 + (HasSeams(t) ? 1U : 0U) + (HasWire(t) ? 1U : 0U);
    Tables(dxf, w, {std::begin(kDrawingLayers), std::begin(kDrawingLayers) + layers}, e);

    w.sectionBlocks();
    w.sectionEnd();

    w.sectionEntities();
    DrawingEntities(dxf, w, drawing);
    w.sectionEnd();
    w.dxfEOF();

    out.bytes = w.take();
    return out;
}

} // namespace kiv
