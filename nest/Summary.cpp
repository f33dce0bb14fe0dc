#include "nest/Summary.h"

#include <algorithm>
#include <cmath>

namespace kiv::nest {

MaterialSummary Summarise(const std::vector<Part>& parts, const Layout& layout,
                          const Stock& stock, double coilEnd) {
    MaterialSummary s;
    s.width = stock.width;
    if (layout.fault != NestFault::None || layout.sheets <= 0) {
        return s;
    }
    const double sheetLength = stock.coil ? layout.lastLength + coilEnd : stock.length;
    s.sheets.assign(static_cast<std::size_t>(layout.sheets), SheetUse{sheetLength, 0, 0});
    for (const Placement& p : layout.placements) {
        const double area = std::abs(OutlineArea(parts[static_cast<std::size_t>(p.part)].outline));
        s.sheets[static_cast<std::size_t>(p.sheet)].partsArea += area;
        s.partsArea += area;
    }
    for (SheetUse& sheet : s.sheets) {
        const double area = sheet.length * stock.width;
        sheet.utilisation = area > 0 ? sheet.partsArea / area : 0;
        s.stockArea += area;
    }
    s.wasteArea = std::max(0.0, s.stockArea - s.partsArea);
    s.remnantArea = stock.coil ? 0 : std::max(0.0, stock.length - layout.lastLength) * stock.width;
    s.utilisation = s.stockArea > 0 ? s.partsArea / s.stockArea : 0;
    return s;
}

std::vector<Part> BlankParts(const std::vector<Part>& parts) {
    std::vector<Part> out;
    out.reserve(parts.size());
    for (const Part& part : parts) {
        Part blank{part.name, {}, part.quantity};
        if (!part.outline.empty()) {
            double minX = part.outline[0].x, maxX = minX, minY = part.outline[0].y, maxY = minY;
            for (const Vec& v : part.outline) {
                minX = std::min(minX, v.x);
                maxX = std::max(maxX, v.x);
                minY = std::min(minY, v.y);
                maxY = std::max(maxY, v.y);
            }
            blank.outline = {{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}};
        }
        out.push_back(std::move(blank));
    }
    return out;
}

} // namespace kiv::nest
