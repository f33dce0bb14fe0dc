#include "export/Paper.h"

namespace kiv {

namespace {

template <class Row> std::string NamesOf(const Row& rows) {
    std::string names;
    for (const auto& row : rows) {
        names += names.empty() ? "" : ", ";
        names += row.name;
    }
    return names;
}

} // namespace

std::optional<Paper> PaperNamed(std::string_view name) {
    for (const NamedPaper& p : kPapers) {
        if (name == p.name) {
            return p.paper;
        }
    }
    return std::nullopt;
}

std::optional<Orientation> OrientationNamed(std::string_view name) {
    for (const NamedOrientation& o : kOrientations) {
        if (name == o.name) {
            return o.orientation;
        }
    }
    return std::nullopt;
}

std::string PaperNames() {
    return NamesOf(kPapers);
}

std::string OrientationNames() {
    return NamesOf(kOrientations);
}

const char* OrientationText(bool landscape) {
    return landscape ? "альбомная" : "книжная";
}

} // namespace kiv
