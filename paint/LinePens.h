// The line styles as Qt paints them: colour and dashes of each kind of line.
#pragma once

#include "export/LineStyles.h"

#include <QColor>
#include <QList>

#include <algorithm>

inline QColor ColourOf(kiv::LineKind kind) {
    return QColor::fromRgb(kiv::StyleOf(kind).rgb);
}

// A dashed kind's pattern for a pen `penWidth` wide, as Qt takes it (in pen
// widths): dashes `drawn` long in the painter's units, gaps in proportion.
inline QList<qreal> DashPattern(kiv::LineKind kind, double drawn, double penWidth) {
    const kiv::Dash& dash = kiv::StyleOf(kind).dash;
    return {drawn / penWidth, drawn * (dash.gap / dash.drawn) / penWidth};
}
