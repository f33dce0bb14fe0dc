#include "export/Template.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <optional>

namespace kiv {

namespace {

// Beyond this the hood is not a paper job: the layout is refused rather than
// laid out over endless pages.
constexpr double kMaxPages = 10000;
// Candidate places for the check square and the title block, mm apart.
constexpr double kSearchStep = 5;
// Room kept between a placed box and the pattern, for the point names that
// stand beside the contour's corners.
constexpr double kClearance = 4;

// Pages needed along one side: n pages of `printable` reach n * step + overlap.
double PagesAlong(double length, double printable, double overlap) {
    const double step = printable - overlap;
    return std::max(1.0, std::ceil((length - overlap) / step));
}

std::string RowLetters(int row) {
    // Bijective base 26: A ... Z, AA, AB ...
    std::string letters;
    for (int n = row + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

Rect Grown(const Rect& r) {
    return {r.x - kClearance, r.y - kClearance, r.w + 2 * kClearance, r.h + 2 * kClearance};
}

class Obstacles {
public:
    explicit Obstacles(const ShopDrawing& d) : contour_(d.contour), lines_(LinesOf(d)) {}

    // How many lines of the pattern the box, grown by the clearance, meets.
    int linesMet(const Rect& box) const {
        const Rect grown = Grown(box);
        return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [&](const Segment& s) {
            return SegmentMeets(s.a, s.b, grown);
        }));
    }

    // Whether any line of the pattern reaches into the box.
    bool anyLine(const Rect& box) const {
        return std::any_of(lines_.begin(), lines_.end(),
                           [&](const Segment& s) { return SegmentMeets(s.a, s.b, box); });
    }

    // A box that meets no line lies wholly on or wholly off the pattern.
    bool onPattern(const Rect& box) const {
        const Rect grown = Grown(box);
        return InsidePolygon(contour_, {grown.x, grown.y});
    }

    // Only the lines that can reach a box standing within `zone`: a page of a
    // large hood crosses a handful of the pattern's lines at most, and the
    // search tries hundreds of places on every one of thousands of pages.
    Obstacles near(const Rect& zone) const {
        const Rect grown = Grown(zone);
        Obstacles some(contour_);
        std::copy_if(lines_.begin(), lines_.end(), std::back_inserter(some.lines_),
                     [&](const Segment& s) { return SegmentMeets(s.a, s.b, grown); });
        return some;
    }

private:
    explicit Obstacles(const std::vector<Point>& contour) : contour_(contour) {}

    const std::vector<Point>& contour_;
    std::vector<Segment> lines_;
};

struct Place {
    Rect box;
    int linesMet = 0;
    bool onPattern = false;
    // Off the pattern beats on its surface between lines, which beats
    // crossing the fewest lines.
    int rank() const { return linesMet > 0 ? 2 + linesMet : onPattern ? 1 : 0; }
};

// The best place for a w x h box within `zone` that keeps off `avoid`, nearest
// a corner of the zone among equals.
std::optional<Place> FindPlace(const Obstacles& obstacles, const Rect& zone, double w, double h,
                               const Rect* avoid) {
    if (zone.w < w || zone.h < h) {
        return std::nullopt;
    }
    std::vector<double> xs, ys;
    const auto positions = [](double from, double span, std::vector<double>& out) {
        // Counted in whole steps: a sum of steps would drift.
        const auto steps = static_cast<int>(std::ceil(span / kSearchStep));
        for (int i = 0; i < steps; ++i) {
            out.push_back(from + i * kSearchStep);
        }
        out.push_back(from + span); // flush with the far side
    };
    positions(zone.x, zone.w - w, xs);
    positions(zone.y, zone.h - h, ys);

    std::optional<Place> best;
    double bestDistance = 0;
    for (double y : ys) {
        for (double x : xs) {
            const Rect box{x, y, w, h};
            if (avoid != nullptr && Overlap(box, *avoid)) {
                continue;
            }
            const double dx = std::min(x - zone.x, zone.x + zone.w - (x + w));
            const double dy = std::min(y - zone.y, zone.y + zone.h - (y + h));
            const double distance = std::hypot(dx, dy);
            Place place{box, obstacles.linesMet(box), false};
            place.onPattern = place.linesMet == 0 && obstacles.onPattern(box);
            if (!best || place.rank() < best->rank() ||
                (place.rank() == best->rank() && distance < bestDistance)) {
                best = place;
                bestDistance = distance;
            }
        }
    }
    return best;
}

// The best place on the page, away from the strips shared with neighbours
// unless the whole page does better, so that trimming a sheet rarely cuts
// into it.
std::optional<Place> PlaceOnPage(const Obstacles& obstacles, const Rect& view, double overlap,
                                 double w, double h, const Rect* avoid) {
    const Rect inner{view.x + overlap, view.y + overlap, view.w - 2 * overlap,
                     view.h - 2 * overlap};
    const Obstacles onPage = obstacles.near(view);
    const auto innerPlace = FindPlace(onPage, inner, w, h, avoid);
    if (innerPlace && innerPlace->rank() == 0) {
        return innerPlace;
    }
    const auto anyPlace = FindPlace(onPage, view, w, h, avoid);
    if (!innerPlace || (anyPlace && anyPlace->rank() < innerPlace->rank())) {
        return anyPlace;
    }
    return innerPlace;
}

bool Finite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// Whether the drawing and the options can be laid out at all: a finite
// contour of at least three points, finite sizes, none negative.
bool CanLayOut(const ShopDrawing& drawing, const TemplateOptions& o) {
    const auto& contour = drawing.contour;
    return contour.size() >= 3 &&
           std::all_of(contour.begin(), contour.end(),
                       [](const Point& p) { return Finite({p.x, p.y}); }) &&
           Finite({o.paper.width, o.paper.height, o.margin, o.overlap, o.square, o.titleWidth,
                   o.titleHeight}) &&
           !(o.margin < 0 || o.overlap < 0 || o.square <= 0 || o.titleWidth <= 0 ||
             o.titleHeight <= 0);
}

// The part of a sheet inside its margins, mm.
struct PrintArea {
    double w = 0, h = 0;
};

// The sheets' orientation, size and number for a pattern of `bounds`; false
// when no page would reach past its neighbour's strip or the pages are too many.
bool ChooseGrid(const Rect& bounds, const TemplateOptions& o, TemplateLayout& layout,
                PrintArea& print) {
    const Paper sold = AsSold(o.paper.width, o.paper.height);
    const double shortSide = sold.width - 2 * o.margin;
    const double longSide = sold.height - 2 * o.margin;
    if (!(shortSide > o.overlap)) {
        return false;
    }
    const double B1 = bounds.w, B2 = bounds.h;
    const double portrait =
        PagesAlong(B1, shortSide, o.overlap) * PagesAlong(B2, longSide, o.overlap);
    const double landscape =
        PagesAlong(B1, longSide, o.overlap) * PagesAlong(B2, shortSide, o.overlap);
    const bool turned = o.orientation == Orientation::Landscape ||
                        (o.orientation == Orientation::Automatic && landscape < portrait);
    if (!((turned ? landscape : portrait) <= kMaxPages)) {
        return false;
    }
    layout.overlap = o.overlap;
    layout.landscape = turned;
    const Paper laid = AsLaid(sold, turned);
    const double printW = laid.width - 2 * o.margin;
    const double printH = laid.height - 2 * o.margin;
    layout.pageWidth = printW + 2 * o.margin;
    layout.pageHeight = printH + 2 * o.margin;
    layout.columns = static_cast<int>(PagesAlong(B1, printW, o.overlap));
    layout.rows = static_cast<int>(PagesAlong(B2, printH, o.overlap));
    print = {printW, printH};
    return true;
}

// The grid of pages, centred on the pattern; a sheet with no line on it has
// nothing to trace or to lay on its neighbours and is left out.
void CutPages(const Rect& b, const PrintArea& print, const Obstacles& obstacles,
              TemplateLayout& layout) {
    const double printW = print.w, printH = print.h, overlap = layout.overlap;
    const double stepX = printW - overlap, stepY = printH - overlap;
    const double gridW = layout.columns * stepX + overlap;
    const double gridH = layout.rows * stepY + overlap;
    const double left = b.x + b.w / 2 - gridW / 2;
    const double top = b.y + b.h / 2 + gridH / 2;
    layout.pages.reserve(static_cast<std::size_t>(layout.rows * layout.columns) + 1);
    for (int r = 0; r < layout.rows; ++r) {
        for (int c = 0; c < layout.columns; ++c) {
            TemplatePage page;
            page.row = r;
            page.column = c;
            page.label = RowLetters(r) + std::to_string(c + 1);
            page.view = {left + c * stepX, top - r * stepY - printH, printW, printH};
            if (obstacles.anyLine(page.view)) {
                layout.pages.push_back(std::move(page));
            } else {
                layout.leftOut.push_back(std::move(page));
            }
        }
    }
}

// The title block, on the first sheet if it fits off the pattern: it must
// never hide a line. Otherwise it gets a sheet of its own, in front.
void PlaceTitle(const TemplateOptions& o, const Obstacles& obstacles, TemplateLayout& layout) {
    const auto title = PlaceOnPage(obstacles, layout.pages.front().view, o.overlap, o.titleWidth,
                                   o.titleHeight, nullptr);
    if (title && title->rank() == 0) {
        layout.pages.front().title = true;
        layout.pages.front().titleBlock = title->box;
        return;
    }
    TemplatePage sheet;
    sheet.label = "0";
    sheet.pattern = false;
    sheet.title = true;
    sheet.view = layout.pages.front().view;
    sheet.titleBlock = {sheet.view.x, sheet.view.y + sheet.view.h - o.titleHeight, o.titleWidth,
                        o.titleHeight};
    layout.pages.insert(layout.pages.begin(), std::move(sheet));
}

// A sheet's check square: off the pattern if there is room; else on the
// sheet's surface between its lines; else across the fewest lines.
void PlaceSquare(const TemplateOptions& o, const Obstacles& obstacles, TemplatePage& page) {
    // The square keeps clear of the title block's frame, so that neither
    // is read as part of the other.
    const Rect keepClear = Grown(page.titleBlock);
    const Rect* avoid = page.title ? &keepClear : nullptr;
    if (!page.pattern) {
        // Lower left, under the title block; a big square on a low sheet
        // moves to the lower right rather than onto the block.
        page.square = {page.view.x, page.view.y, o.square, o.square};
        if (Overlap(page.square, keepClear) && page.view.w > o.square) {
            page.square.x = page.view.x + page.view.w - o.square;
        }
        return;
    }
    if (auto place = PlaceOnPage(obstacles, page.view, o.overlap, o.square, o.square, avoid)) {
        page.square = place->box;
    } else {
        // The sheet is smaller than the square: it stands in the corner.
        page.square = {page.view.x, page.view.y + page.view.h - o.square, o.square, o.square};
    }
}

} // namespace

TemplateLayout LayoutTemplate(const ShopDrawing& drawing, const TemplateOptions& o) {
    if (!CanLayOut(drawing, o)) {
        return {};
    }
    const Rect b = BoundsOf(drawing.contour);
    TemplateLayout layout;
    PrintArea print;
    if (!ChooseGrid(b, o, layout, print)) {
        return {};
    }
    const Obstacles obstacles(drawing);
    CutPages(b, print, obstacles, layout);
    if (layout.pages.empty()) {
        return {}; // cannot be: the grid covers the pattern
    }
    PlaceTitle(o, obstacles, layout);
    for (TemplatePage& page : layout.pages) {
        PlaceSquare(o, obstacles, page);
    }
    return layout;
}

} // namespace kiv
