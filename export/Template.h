// The full-size paper template: how a pattern is tiled over printer pages at
// exactly 1:1, and what goes on each page. Pure layout, in millimetres; the
// window's painter only draws what this decides.
#pragma once

#include "export/Paper.h"
#include "export/ShopDrawing.h"

#include <string>
#include <vector>

namespace kiv {

struct TemplateOptions {
    Paper paper = kA4;
    Orientation orientation = Orientation::Automatic;
    double margin = 10;                        // border on every side that printers may not reach
    double overlap = 10;                       // strip printed on both of two neighbouring pages
    double square = 100;                       // side of the check square
    double titleWidth = 150, titleHeight = 80; // title block with the assembly map
};

struct TemplatePage {
    std::string label; // row letter from the top, column number from the left: "A1", "B2"
    int row = 0, column = 0;
    bool pattern = true;      // false only for a separate title sheet
    Rect view;                // the part of the pattern plane in the page's printable area
    Rect square;              // where the check square stands, pattern plane
    bool title = false;       // the title block is on this page
    Rect titleBlock;          // pattern plane, when `title`
};

struct TemplateLayout {
    bool landscape = false;
    double pageWidth = 0, pageHeight = 0; // mm, as the paper lies
    int rows = 0, columns = 0;            // of the grid of pattern sheets
    double overlap = TemplateOptions{}.overlap; // mm shared by neighbouring sheets
    // The sheets printed, row by row from the top, left to right. The title
    // block goes on the first of them where the pattern leaves room for it;
    // otherwise a title sheet labelled "0", with no pattern on it, comes first.
    std::vector<TemplatePage> pages;
    // The grid's sheets that carry no line of the pattern: left out, and
    // shown as such on the title block's map. The others keep their labels.
    std::vector<TemplatePage> leftOut;
};

// Tiles the drawing's contour over pages of `options.paper`, lying as
// `options.orientation` says (automatically: whichever way needs fewer pages,
// portrait on a tie). The check square keeps clear of the title block.
TemplateLayout LayoutTemplate(const ShopDrawing& drawing, const TemplateOptions& options = {});

// Everything one paper template shows: the checked drawing, its tiling over
// pages and the title block's lines. Painting it is the only step left.
struct TemplateDocument {
    ShopDrawing drawing;
    TemplateLayout layout;
    TemplateOptions options; // the options the layout was made with
    std::vector<std::string> titleLines;
};

} // namespace kiv
