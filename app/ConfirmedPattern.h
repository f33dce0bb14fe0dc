#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"

#include <QString>

// What the view windows show: the pattern confirmed in the main window, as a
// copy calculated on its own with its blank, and the hood's script name
// without ".scr".
struct ConfirmedPattern {
    kiv::RaschetData data; // calculated for `type`
    int type = 0;
    QString name;
    kiv::BlankSummary summary;
};
