#include "shape/Fold.h"

#include "core/PatternType.h"

#include <algorithm>
#include <cmath>

namespace kiv {

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(double k, Vec3 a) {
    return {k * a.x, k * a.y, k * a.z};
}
double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 CrossV(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Norm(const Vec3& a) {
    return std::sqrt(Dot(a, a));
}

Vec3 Rigid::operator()(Vec3 p) const {
    return {r[0][0] * p.x + r[0][1] * p.y + r[0][2] * p.z + t.x,
            r[1][0] * p.x + r[1][1] * p.y + r[1][2] * p.z + t.y,
            r[2][0] * p.x + r[2][1] * p.y + r[2][2] * p.z + t.z};
}

bool HoodCorner(const RaschetData& d, const std::string& name, Vec3& at) {
    const double x = d.L2 / 2, y = d.L1 / 2;
    const struct {
        const char* name;
        Vec3 at;
    } corners[] = {{"0", {0, -y, 0}},  {"1", {x, -y, 0}}, {"2", {x, y, 0}},  {"3", {0, y, 0}},
                   {"4", {0, 0, d.H}}, {"5", {0, y, 0}},  {"6", {-x, y, 0}}, {"7", {-x, -y, 0}}};
    for (const auto& c : corners) {
        if (name == c.name) {
            at = c.at;
            return true;
        }
    }
    return false;
}

namespace {

// Turning by `angle` about the line through `p` along the unit vector `u`,
// after `before`.
Rigid TurnAfter(const Rigid& before, const Vec3& p, const Vec3& u, double angle) {
    const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    const double turn[3][3] = {
        {c + u.x * u.x * k, u.x * u.y * k - u.z * s, u.x * u.z * k + u.y * s},
        {u.y * u.x * k + u.z * s, c + u.y * u.y * k, u.y * u.z * k - u.x * s},
        {u.z * u.x * k - u.y * s, u.z * u.y * k + u.x * s, c + u.z * u.z * k}};
    Rigid out;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            out.r[i][j] = turn[i][0] * before.r[0][j] + turn[i][1] * before.r[1][j] +
                          turn[i][2] * before.r[2][j];
        }
    }
    const Vec3 q = before.t - p;
    out.t = Vec3{turn[0][0] * q.x + turn[0][1] * q.y + turn[0][2] * q.z,
                 turn[1][0] * q.x + turn[1][1] * q.y + turn[1][2] * q.z,
                 turn[2][0] * q.x + turn[2][1] * q.y + turn[2][2] * q.z} +
            p;
    return out;
}

// The front face stands on its base edge (the x axis of the pattern, moved
// to y = -L1/2) and tilts up by `angle`.
Rigid FrontTilt(double halfL1, double angle) {
    Rigid m;
    m.r[1][1] = std::cos(angle);
    m.r[2][1] = std::sin(angle);
    m.r[1][2] = -std::sin(angle);
    m.r[2][2] = std::cos(angle);
    m.t = {0, -halfL1, 0};
    return m;
}

// Each side face hangs on its neighbour nearer the front, about its fold
// line; `far` is its corner off that line, which shows how far it turns.
struct Hinge {
    int face, parent;
    const char *a, *b, *far;
};
constexpr Hinge kHinges[] = {
    {1, 2, "4", "1", "2"}, {0, 1, "4", "2", "3"}, {3, 2, "4", "7", "6"}, {4, 3, "4", "6", "5"}};

bool Find(const ShopDrawing& drawing, const std::string& n, Point& at) {
    for (const auto& p : drawing.points) {
        if (p.name == n) {
            at = p.at;
            return true;
        }
    }
    return false;
}

// The pieces of the pattern and the lines between them, by the drawing's
// point names; false when a name is missing from the drawing.
bool LayPieces(const ShopDrawing& drawing, std::vector<Piece>& pieces,
               std::vector<FoldLine>& lines) {
    bool complete = true;
    const auto named = [&](std::initializer_list<const char*> names) {
        std::vector<Point> out;
        for (const char* n : names) {
            Point p;
            complete = Find(drawing, n, p) && complete;
            out.push_back(p);
        }
        return out;
    };
    const auto piece = [&](PieceKind kind, int face, std::initializer_list<const char*> names) {
        Piece p;
        p.kind = kind;
        p.face = face;
        p.names.assign(names.begin(), names.end());
        p.flat = named(names);
        pieces.push_back(std::move(p));
    };
    const auto line = [&](LineKind kind, int face, const char* a, const char* b,
                          int otherFace = -1) {
        const auto ends = named({a, b});
        lines.push_back({kind, {ends[0], ends[1]}, face, otherFace});
    };

    piece(PieceKind::Face, 0, {"2", "3", "4"});
    piece(PieceKind::Face, 1, {"1", "2", "4"});
    piece(PieceKind::Face, 2, {"7", "0", "1", "4"});
    piece(PieceKind::Face, 3, {"6", "7", "4"});
    piece(PieceKind::Face, 4, {"5", "6", "4"});
    line(LineKind::Fold, 2, "4", "1", 1);
    line(LineKind::Fold, 1, "4", "2", 0);
    line(LineKind::Fold, 3, "4", "6", 4);
    line(LineKind::Fold, 2, "4", "7", 3);
    const auto type = PatternTypeOf(drawing.type);
    if (HasSeams(type)) {
        piece(PieceKind::SeamStrip, 0, {"4", "3", "F1", "F2"});
        piece(PieceKind::SeamStrip, 4, {"4", "F4", "F3", "5"});
        line(LineKind::Seam, 0, "4", "3");
        line(LineKind::Seam, 4, "4", "5");
    }
    if (HasWire(type)) {
        piece(PieceKind::Band, 0, {"3", "W1", "W2", "2"});
        piece(PieceKind::Band, 1, {"2", "W3", "W4", "1"});
        piece(PieceKind::Band, 2, {"1", "W5", "W5'", "7"});
        piece(PieceKind::Band, 3, {"7", "W4'", "W3'", "6"});
        piece(PieceKind::Band, 4, {"6", "W2'", "W1'", "5"});
        line(LineKind::Wire, 0, "3", "2");
        line(LineKind::Wire, 1, "2", "1");
        line(LineKind::Wire, 2, "1", "7");
        line(LineKind::Wire, 3, "7", "6");
        line(LineKind::Wire, 4, "6", "5");
    }
    return complete;
}

// A face on its hinge: the fold line on the pattern and, folded fully, in
// space (a point on it and its direction), and how far the face turns.
struct Turn {
    std::pair<Point, Point> line;
    Vec3 from, axis;
    double angle = 0;
};

// The face of `h` turns so that its far corner comes to where the hood has
// it, seen along the fold line: the angle between the two, taken about it.
Turn TurnOf(const RaschetData& d, const ShopDrawing& drawing, const Hinge& h,
            const Rigid& parent) {
    Point a, b, far;
    Find(drawing, h.a, a);
    Find(drawing, h.b, b);
    Find(drawing, h.far, far);
    Turn t;
    t.line = {a, b};
    const Vec3 pa = parent(a), pb = parent(b);
    const Vec3 u = (1 / Norm(pb - pa)) * (pb - pa);
    Vec3 target;
    HoodCorner(d, h.far, target);
    const Vec3 from = parent(far) - pa, to = target - pa;
    const Vec3 v0 = from - Dot(from, u) * u, v1 = to - Dot(to, u) * u;
    t.from = pa;
    t.axis = u;
    t.angle = std::atan2(Dot(u, CrossV(v0, v1)), Dot(v0, v1));
    return t;
}

} // namespace

FoldPlan::FoldPlan(const RaschetData& d, const ShopDrawing& drawing) {
    const bool complete = LayPieces(drawing, pieces, lines);
    if (!complete || !PatternTypeOf(drawing.type)) {
        pieces.clear();
        lines.clear();
        return;
    }

    halfL1_ = d.L1 / 2;
    angle_[kFrontFace] = std::atan2(d.H, halfL1_);
    std::array<Rigid, 5> full;
    full[kFrontFace] = FrontTilt(halfL1_, angle_[kFrontFace]);
    for (const Hinge& h : kHinges) {
        const auto face = static_cast<std::size_t>(h.face);
        const Rigid& parent = full[static_cast<std::size_t>(h.parent)];
        const Turn turn = TurnOf(d, drawing, h, parent);
        hinge_[face] = turn.line;
        angle_[face] = turn.angle;
        full[face] = TurnAfter(parent, turn.from, turn.axis, turn.angle);
    }
}

std::array<Rigid, 5> FoldPlan::motions(double fraction) const {
    const double t = std::clamp(fraction, 0.0, 1.0);
    std::array<Rigid, 5> m;
    m[kFrontFace] = FrontTilt(halfL1_, t * angle_[kFrontFace]);
    for (const Hinge& h : kHinges) {
        const auto face = static_cast<std::size_t>(h.face);
        const Rigid& parent = m[static_cast<std::size_t>(h.parent)];
        const Vec3 pa = parent(hinge_[face].first), pb = parent(hinge_[face].second);
        const Vec3 u = (1 / Norm(pb - pa)) * (pb - pa);
        m[face] = TurnAfter(parent, pa, u, t * angle_[face]);
    }
    return m;
}

FoldedHood FoldPlan::at(double fraction) const {
    FoldedHood out;
    if (empty()) {
        return out;
    }
    const auto m = motions(fraction);
    out.pieces.reserve(pieces.size());
    for (const Piece& p : pieces) {
        const Rigid& move = m[static_cast<std::size_t>(p.face)];
        std::vector<Vec3> corners;
        corners.reserve(p.flat.size());
        for (const Point& q : p.flat) {
            corners.push_back(move(q));
        }
        out.pieces.push_back(std::move(corners));
    }
    out.lines.reserve(lines.size());
    for (const FoldLine& l : lines) {
        const Rigid& move = m[static_cast<std::size_t>(l.face)];
        out.lines.push_back({move(l.flat.a), move(l.flat.b)});
    }
    return out;
}

} // namespace kiv
