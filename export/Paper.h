// The papers a template is printed on, and how a sheet of paper lies: one
// table for the window, the command and the painters.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace kiv {

// A sheet of paper as sold, portrait, mm.
struct Paper {
    double width = 210, height = 297;
};
inline constexpr Paper kA4{210, 297};
inline constexpr Paper kA3{297, 420};
inline constexpr Paper kLetter{215.9, 279.4};

struct NamedPaper {
    const char* name;
    Paper paper;
};
// The papers the command offers by name; the first is the default.
inline constexpr NamedPaper kPapers[] = {{"A4", kA4}, {"A3", kA3}, {"Letter", kLetter}};

// How the paper lies: whichever needs fewer pages (portrait on a tie), or as asked.
enum class Orientation { Automatic, Portrait, Landscape };

struct NamedOrientation {
    const char* name;
    Orientation orientation;
};
// The orientations by the command's names; the first is the default.
inline constexpr NamedOrientation kOrientations[] = {{"auto", Orientation::Automatic},
                                                     {"portrait", Orientation::Portrait},
                                                     {"landscape", Orientation::Landscape}};

// The paper or orientation of a name, exactly as the tables spell it.
std::optional<Paper> PaperNamed(std::string_view name);
std::optional<Orientation> OrientationNamed(std::string_view name);

// Every name of a table in its order, for a message: "A4, A3, Letter".
std::string PaperNames();
std::string OrientationNames();

// A sheet of any size as sold: short side across, long side up.
constexpr Paper AsSold(double side, double other) {
    return {std::min(side, other), std::max(side, other)};
}

// The sheet's width and height as it lies: turned for landscape.
constexpr Paper AsLaid(Paper paper, bool landscape) {
    const Paper sold = AsSold(paper.width, paper.height);
    return landscape ? Paper{sold.height, sold.width} : sold;
}

// How the title block names the way the sheets lie.
const char* OrientationText(bool landscape);

} // namespace kiv
