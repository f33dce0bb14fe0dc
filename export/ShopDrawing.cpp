#include "export/ShopDrawing.h"

#include "core/PatternType.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kiv {

namespace {

// A drawing under construction: the named points of the right half, their
// mirror images on demand, and the contour by names.
class Builder {
public:
    explicit Builder(ShopDrawing& out) : out_(out) {}

    void name(std::string n, double x, double y) { out_.points.push_back({std::move(n), {x, y}}); }

    Point at(const std::string& n) const {
        for (const auto& p : out_.points) {
            if (p.name == n) {
                return p.at;
            }
        }
        return {}; // every caller names a point it added
    }

    void contour(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            out_.contour.push_back(at(n));
            out_.contourNames.emplace_back(n);
        }
    }

    Segment line(const char* a, const char* b) const { return {at(a), at(b)}; }

    // Parts the seam strips: from where the contour crosses the axis between
    // them down to the apex. Equal allowances end both strips at the same
    // point of the axis; allowances that differ only in their last digits end
    // them a few rounding errors apart, too close for any crossing test to
    // judge, so the two ends count as one vertex.
    void slit() {
        const Point f2 = at("F2"), f4 = at("F4");
        double reach = 1;
        for (const auto& p : out_.contour) {
            reach = std::max({reach, std::fabs(p.x), std::fabs(p.y)});
        }
        const bool oneEnd = std::fabs(f2.y - f4.y) <= 1e-9 * reach;
        if (oneEnd) {
            const auto i = static_cast<std::ptrdiff_t>(
                std::find(out_.contourNames.begin(), out_.contourNames.end(), "F4") -
                out_.contourNames.begin());
            out_.contour.erase(out_.contour.begin() + i);
            out_.contourNames.erase(out_.contourNames.begin() + i);
        }
        out_.slit = {!oneEnd && f4.y < f2.y ? f4 : f2, at("4")};
    }

private:
    ShopDrawing& out_;
};

double Cross(Point o, Point a, Point b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

int Side(Point o, Point a, Point b) {
    const double c = Cross(o, a, b);
    return (c > 0) - (c < 0);
}

// p lies within the box of segment a-b (used once p is known to be collinear).
bool Within(Point a, Point b, Point p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// Closed segments a-b and c-d share at least one point.
bool Touch(Point a, Point b, Point c, Point d) {
    const int s1 = Side(a, b, c), s2 = Side(a, b, d), s3 = Side(c, d, a), s4 = Side(c, d, b);
    if (s1 * s2 < 0 && s3 * s4 < 0) {
        return true;
    }
    return (s1 == 0 && Within(a, b, c)) || (s2 == 0 && Within(a, b, d)) ||
           (s3 == 0 && Within(c, d, a)) || (s4 == 0 && Within(c, d, b));
}

// Edges a-v and v-b turn back on themselves at v: collinear, opposite ways.
bool FoldsBack(Point a, Point v, Point b) {
    const double dot = (a.x - v.x) * (b.x - v.x) + (a.y - v.y) * (b.y - v.y);
    return Cross(v, a, b) == 0 && dot > 0;
}

bool SimplePolygon(const std::vector<Point>& p) {
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (FoldsBack(p[i], p[(i + 1) % n], p[(i + 2) % n])) {
            return false;
        }
        for (std::size_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1) {
                continue; // the closing edge is the first edge's neighbour
            }
            if (Touch(p[i], p[i + 1], p[j], p[(j + 1) % n])) {
                return false;
            }
        }
    }
    return true;
}

// The seam strips' ends lie on the y axis, the slit runs down the axis from
// the lower of them, a vertex of the contour, to the apex, and from there on
// it stays inside the contour without touching it again.
DrawingFault CheckSlit(const ShopDrawing& drawing) {
    const auto& c = drawing.contour;
    const auto& names = drawing.contourNames;
    const auto apex = std::find_if(drawing.points.begin(), drawing.points.end(),
                                   [](const NamedPoint& p) { return p.name == "4"; });
    if (drawing.slit.size() != 2 || apex == drawing.points.end()) {
        return DrawingFault::SlitMisplaced;
    }
    const Point top = drawing.slit[0], tip = drawing.slit[1];
    if (top.x != 0 || tip.x != 0 || tip.y != apex->at.y || apex->at.x != 0 || !(top.y > tip.y)) {
        return DrawingFault::SlitMisplaced;
    }
    std::size_t start = c.size();
    for (std::size_t i = 0; i < c.size(); ++i) {
        if ((names[i] == "F2" || names[i] == "F4") && c[i].x != 0) {
            return DrawingFault::SlitMisplaced;
        }
        if (c[i].x == top.x && c[i].y == top.y) {
            start = i;
        }
    }
    if (start == c.size()) {
        return DrawingFault::SlitMisplaced;
    }
    const std::size_t n = c.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point a = c[i], b = c[(i + 1) % n];
        if (i == start || (i + 1) % n == start) {
            // An edge from the slit's start may not run down along it.
            const Point other = i == start ? b : a;
            if (FoldsBack(other, top, tip)) {
                return DrawingFault::SelfCrossing;
            }
        } else if (Touch(a, b, top, tip)) {
            return DrawingFault::SelfCrossing;
        }
    }
    if (!InsidePolygon(c, tip)) {
        return DrawingFault::SlitMisplaced;
    }
    return DrawingFault::None;
}

// The named points of the pattern `type`: the outline's, the seam strips'
// and the wire band's, the band's left half primed.
void NamePoints(Builder& b, const RaschetData& d, PatternType t) {
    b.name("0", 0, 0);
    b.name("1", d.X1, d.Y1);
    b.name("2", d.X2, d.Y2);
    b.name("3", d.X3, d.Y3);
    b.name("4", d.X4, d.Y4);
    b.name("5", -d.X3, d.Y3);
    b.name("6", -d.X2, d.Y2);
    b.name("7", -d.X1, d.Y1);
    if (HasSeams(t)) {
        b.name("F1", d.XF1, d.YF1);
        b.name("F2", d.XF2, d.YF2);
        b.name("F3", d.XF3, d.YF3);
        b.name("F4", d.XF4, d.YF4);
    }
    if (HasWire(t)) {
        const double w[5][2] = {
            {d.XW1, d.YW1}, {d.XW2, d.YW2}, {d.XW3, d.YW3}, {d.XW4, d.YW4}, {d.XW5, d.YW5}};
        for (int i = 0; i < 5; ++i) {
            // Built char by char: GCC 12 at -O3 mistakes a concatenation here
            // for an overlapping copy.
            std::string n = "W";
            n += static_cast<char>('1' + i);
            b.name(n, w[i][0], w[i][1]);
            n += '\'';
            b.name(n, -w[i][0], w[i][1]);
        }
    }
}

} // namespace

ShopDrawing ShopDrawingOf(const RaschetData& d, int type) {
    ShopDrawing out;
    const auto t = PatternTypeOf(type);
    if (!t) {
        return out;
    }
    out.type = type;
    Builder b(out);
    NamePoints(b, d, *t);

    switch (*t) {
    case PatternType::Plain:
        b.contour({"1", "2", "3", "4", "5", "6", "7"});
        break;
    case PatternType::LockSeam:
        b.contour({"1", "2", "3", "F1", "F2", "F4", "F3", "5", "6", "7"});
        break;
    case PatternType::SeamAndWire:
        // The script's wire outline, joined with the seam strips across the gap.
        b.contour({"3",   "W1",  "W2", "2",   "W3",  "W4", "1",  "W5", "W5'", "7",
                   "W4'", "W3'", "6",  "W2'", "W1'", "5",  "F3", "F4", "F2",  "F1"});
        break;
    }
    if (HasSeams(t)) {
        b.slit();
    }

    out.folds = {b.line("4", "1"), b.line("4", "2"), b.line("4", "6"), b.line("4", "7")};
    if (HasSeams(t)) {
        out.seams = {b.line("4", "3"), b.line("4", "5")};
    }
    if (HasWire(t)) {
        out.wires = {b.line("3", "2"), b.line("2", "1"), b.line("1", "7"), b.line("7", "6"),
                     b.line("6", "5")};
    }
    return out;
}

DrawingFault CheckDrawing(const ShopDrawing& drawing, const BlankSummary& summary) {
    const auto& c = drawing.contour;
    const std::size_t n = c.size();
    if (n < 3 || drawing.contourNames.size() != n) {
        return DrawingFault::Empty;
    }
    for (const auto* points : {&c, &drawing.slit}) {
        for (const auto& p : *points) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
                return DrawingFault::NotFinite;
            }
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        const Point a = c[i], b = c[(i + 1) % n];
        if (a.x == b.x && a.y == b.y) {
            return DrawingFault::ZeroLength;
        }
    }

    if (!SimplePolygon(c)) {
        return DrawingFault::SelfCrossing;
    }
    if (HasSeams(PatternTypeOf(drawing.type))) {
        if (const DrawingFault slit = CheckSlit(drawing); slit != DrawingFault::None) {
            return slit;
        }
    } else if (!drawing.slit.empty()) {
        return DrawingFault::SlitMisplaced;
    }

    const auto [left, right] = std::minmax_element(
        c.begin(), c.end(), [](const Point& a, const Point& b) { return a.x < b.x; });
    const auto [low, high] = std::minmax_element(
        c.begin(), c.end(), [](const Point& a, const Point& b) { return a.y < b.y; });
    const double minX = left->x, maxX = right->x, minY = low->y, maxY = high->y;
    // The blank stands centred on the hood's axis, so its width is twice the
    // contour's widest reach from the axis; with one seam strip wider than
    // the other that is a little more than the contour's own width.
    const double width = 2 * std::max(std::fabs(minX), std::fabs(maxX));
    const double tolerance = 1e-9 * std::max({1.0, summary.B1, summary.B2});
    if (!(std::fabs(width - summary.B1) <= tolerance) ||
        !(std::fabs((maxY - minY) - summary.B2) <= tolerance)) {
        return DrawingFault::ExtentsDiffer;
    }
    return DrawingFault::None;
}

const char* DrawingFaultText(DrawingFault fault) {
    switch (fault) {
    case DrawingFault::None:
        return "";
    case DrawingFault::Empty:
        return "Контур развертки не построен.";
    case DrawingFault::NotFinite:
        return "Координаты контура не являются числами.";
    case DrawingFault::ZeroLength:
        return "В контуре есть отрезок нулевой длины.";
    case DrawingFault::SlitMisplaced:
        return "Разрез между полосами фальца не лежит на оси развертки.";
    case DrawingFault::SelfCrossing:
        return "Контур развертки пересекает сам себя.";
    case DrawingFault::ExtentsDiffer:
        return "Габариты контура не совпадают с размерами заготовки.";
    }
    return "";
}

std::vector<Segment> LinesOf(const ShopDrawing& d) {
    std::vector<Segment> lines;
    for (std::size_t i = 0; i < d.contour.size(); ++i) {
        lines.push_back({d.contour[i], d.contour[(i + 1) % d.contour.size()]});
    }
    if (d.slit.size() == 2) {
        lines.push_back({d.slit[0], d.slit[1]});
    }
    for (const auto* group : {&d.folds, &d.seams, &d.wires}) {
        lines.insert(lines.end(), group->begin(), group->end());
    }
    return lines;
}

// Liang-Barsky clipping.
bool SegmentMeets(Point a, Point b, const Rect& r) {
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - r.x, r.x + r.w - a.x, a.y - r.y, r.y + r.h - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
        } else {
            const double t = q[i] / p[i];
            if (p[i] < 0) {
                t0 = std::max(t0, t);
            } else {
                t1 = std::min(t1, t);
            }
            if (t0 > t1) {
                return false;
            }
        }
    }
    return true;
}

Rect BoundsOf(const std::vector<Point>& points) {
    if (points.empty()) {
        return {};
    }
    double minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
    for (const Point& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return {minX, minY, maxX - minX, maxY - minY};
}

bool InsidePolygon(const std::vector<Point>& c, Point p) {
    bool inside = false;
    for (std::size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
        if ((c[i].y > p.y) != (c[j].y > p.y) &&
            p.x < (c[j].x - c[i].x) * (p.y - c[i].y) / (c[j].y - c[i].y) + c[i].x) {
            inside = !inside;
        }
    }
    return inside;
}

double PolygonArea(const std::vector<Point>& polygon) {
    double twice = 0;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point a = polygon[i], b = polygon[(i + 1) % n];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2;
}

std::string NotWrittenText(std::string_view what) {
    return "Ошибка программы: " + std::string(what) + " не записан.";
}

} // namespace kiv
