// The shop drawing folded into the hood. Every piece of the pattern (the five
// faces around the apex, the seam strips, the pieces of the rim band) rides
// rigidly on one face; the faces turn about the fold lines 4-1, 4-2, 4-7,
// 4-6 while the front face tilts up about its base edge. At fraction 0 the
// pattern lies flat in the plane z = 0, as drawn; at fraction 1 it is the
// hood: base in z = 0 centred on the origin, apex at (0, 0, H), the front
// base edge 7-1 at y = -L1/2.
#pragma once

#include "core/RaschetData.h"
#include "export/LineStyles.h"
#include "export/ShopDrawing.h"

#include <array>
#include <string>
#include <vector>

namespace kiv {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(double k, Vec3 a);
double Dot(Vec3 a, Vec3 b);
Vec3 CrossV(Vec3 a, Vec3 b);
double Norm(const Vec3& a);

struct Segment3 {
    Vec3 a, b;
};

// Where a named point of the pattern ends up on the finished hood, from the
// hood's own sizes. Only the points of the faces have a place: "0" to "7".
bool HoodCorner(const RaschetData& d, const std::string& name, Vec3& at);

enum class PieceKind { Face, SeamStrip, Band };

struct Piece {
    PieceKind kind = PieceKind::Face;
    std::vector<std::string> names; // its corners, named as on the drawing
    std::vector<Point> flat;        // the same corners on the pattern
    int face = 0;                   // the face it rides on (index into kFaceNames)
};

// A fold line's kind: LineKind::Fold, Seam or Wire, as the drawing's.
struct FoldLine {
    LineKind kind = LineKind::Fold;
    Segment flat;
    int face = 0;       // the face that carries it
    int otherFace = -1; // a fold line's second face
};

// The faces in the order they are laid round the apex, from the seam on the
// right to the seam on the left.
inline constexpr std::array<const char*, 5> kFaceNames = {"back right", "right", "front", "left",
                                                          "back left"};
inline constexpr int kFrontFace = 2;

// A rigid motion: p -> r * p + t, with r a rotation.
struct Rigid {
    double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 t;
    Vec3 operator()(Vec3 p) const;
    Vec3 operator()(Point p) const { return (*this)({p.x, p.y, 0}); }
};

// The pattern's pieces in space at one fold fraction.
struct FoldedHood {
    std::vector<std::vector<Vec3>> pieces; // beside FoldPlan::pieces
    std::vector<Segment3> lines;           // beside FoldPlan::lines
};

class FoldPlan {
public:
    // An empty plan (no pieces) for a drawing without the points of the faces.
    FoldPlan(const RaschetData& d, const ShopDrawing& drawing);

    std::vector<Piece> pieces;
    std::vector<FoldLine> lines;

    // Each face's motion at `fraction` (clamped to 0 ... 1).
    std::array<Rigid, 5> motions(double fraction) const;
    FoldedHood at(double fraction) const;
    bool empty() const { return pieces.empty(); }

private:
    // Turn of each face about its fold line at full fold; the front face's
    // entry is its tilt about the base edge.
    std::array<double, 5> angle_{};
    double halfL1_ = 0;
    std::array<std::pair<Point, Point>, 5> hinge_{}; // each face's fold line on the pattern
};

} // namespace kiv
