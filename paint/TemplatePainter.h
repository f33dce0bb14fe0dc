#pragma once

#include "core/RaschetData.h"
#include "export/ShopDrawing.h"
#include "export/Template.h"

#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QString>

#include <functional>
#include <string>

class QPagedPaintDevice;
class QPainter;
class QPdfWriter;

// The template's document is made without Qt; only its painting is here.
using kiv::TemplateDocument;

// What stood in the way of a template.
struct TemplateBuild {
    kiv::DrawingFault fault = kiv::DrawingFault::None; // the drawing failed its check
    bool fits = true; // false: the paper is too small or the pages too many
};

// The template of the confirmed pattern `type` of `confirmed` on `paper`,
// laid out with the rest of `doc.options`, with `date` in its title block:
// the road's own template step, kept here for the painting's callers. The
// calculation runs on a copy.
TemplateBuild MakeTemplate(const kiv::RaschetData& confirmed, int type, kiv::Paper paper,
                           const std::string& date, TemplateDocument& doc);

// Sets the device to the layout's paper and orientation, edge to edge, and
// paints every page at exactly 1:1. False when the device cannot be painted on.
bool PaintTemplate(QPagedPaintDevice& device, const TemplateDocument& doc);

// Starts `p` painting on `device` in pages of `layout`, edge to edge; false
// when the device takes neither the layout nor the painter.
bool BeginPages(QPagedPaintDevice& device, QPageLayout layout, QPainter& p);

// A PDF file's bytes, made in memory at the program's resolution with its
// title and creator; `paint` draws the pages. Empty when painting fails.
QByteArray PdfBytes(const QString& title, const std::function<bool(QPdfWriter&)>& paint);

// The whole template as a PDF file's bytes; empty when it cannot be made.
QByteArray TemplatePdf(const TemplateDocument& doc, const QString& title);

// Texts on paper are set in one font, made large and scaled down: a text
// `height` mm high is painted with PaperFont() scaled by PaperTextScale(height).
QFont PaperFont();
double PaperTextScale(double height);

// The colour of the check square, which nothing else uses, so that a check
// of a printed or rendered page can find it.
inline constexpr unsigned kCheckSquareRgb = 0xFF00FF;
