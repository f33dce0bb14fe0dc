// The nested sheets for the workshop: one page per sheet, the sheet and its
// parts drawn to a stated scale, each part labelled, and the sheet's use.
#pragma once

#include "export/SheetDxf.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

struct SheetPage {
    double length = 0, width = 0; // mm
    std::vector<kiv::SheetPart> parts;
    QString heading; // the sheet's number, size, thickness and use
};

// The scale 1:N at which a sheet fits the drawing area of a landscape A4
// page: the smallest N of 1, 2, 2.5, 5 times a power of ten.
double SheetScale(double length, double width);

// Told after each page with the pages done and all of them; answering false
// ends the painting, and the file is not made.
using PagesDone = std::function<bool(int done, int pages)>;

// Every page as a PDF file's bytes; empty when it cannot be made or `done`
// ended it. Painted on a QPdfWriter, no widget, so any thread may call it.
QByteArray SheetsPdf(const std::vector<SheetPage>& pages, const QString& title, const PagesDone& done = {});
