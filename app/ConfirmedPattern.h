#pragma once

#include "core/RaschetData.h"

#include <QString>

// What the view windows show: the pattern confirmed in the main window, as a
// copy calculated on its own, and the hood's script name without ".scr".
struct ConfirmedPattern {
    kiv::RaschetData data;
    int type = 0;
    QString name;
};
