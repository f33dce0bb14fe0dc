// The text of the paper template's title block: what hood the pattern is for,
// its type, blank and marking radii, and when it was printed.
#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"
#include "export/Template.h"

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// The lines of the title block, in Russian; `date` as the user reads it
// ("08.12.2026").
std::vector<std::string> TitleLines(const RaschetData& d, int type, const BlankSummary& summary,
                                    const TemplateLayout& layout, std::string_view date);


} // namespace kiv
