// Where the names of a drawing's points stand, for everything that shows them
// (the paper template, a view of the pattern on screen): beside each point,
// never on another name, and across as few lines of the pattern as possible.
// Pure geometry in the pattern's plane; the caller measures its text and
// paints the names where this puts them.
#pragma once

#include "export/ShopDrawing.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kiv {

struct NameLayoutOptions {
    // Height of every name's box, in the drawing's units (mm). A view at a
    // scale of s pixels per mm that writes names h pixels high passes h / s.
    double textHeight = 3;
    // Width of a name's box in the same units; the caller measures it with
    // its own font. Without it a name is taken as 0.6 text heights a character.
    std::function<double(const std::string& name)> textWidth;
    // Distance between a point and the nearest side of its name's box;
    // negative: a third of the text height.
    double gap = -1;
    // Names keep inside this rectangle where they can (the template keeps
    // them on the blank, which its sheets always cover); none: anywhere.
    std::optional<Rect> frame;
    // Boxes the names keep off where they can, as they keep inside the frame
    // (the template's title block and check squares).
    std::vector<Rect> keepOff;
};

struct PlacedName {
    std::size_t point = 0; // index into ShopDrawing::points
    Rect box;              // where the name stands, lower-left corner, y up
    int linesCrossed = 0;  // lines of the drawing the box meets
    bool clear = true;     // false only when every spot tried lay on another name
};

// One placement per point of `drawing`, in the order of `drawing.points`.
// Several spots are tried around each point, in rings further and further
// out; a name takes the spot that lies on no name placed before it, keeps
// inside the frame and off the boxes to keep off, covers no other point and
// crosses the fewest lines, the
// nearest such spot and, among equals, the one facing away from the middle of
// the drawing. Points in crowded places choose first.
std::vector<PlacedName> PlacePointNames(const ShopDrawing& drawing,
                                        const NameLayoutOptions& options = {});

} // namespace kiv
