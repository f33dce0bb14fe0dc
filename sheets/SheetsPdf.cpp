// The nested sheets painted by Qt, off screen.
#include "sheets/NestFiles.h"

#include "paint/SheetPainter.h"
#include "report/Dates.h"

#include <string>

namespace kiv::sheets {

bool SheetsPdfBytes(const std::vector<SheetPageText>& sheets, const std::string& title,
                    std::string& bytes, const PagesDone& pagesDone) {
    std::vector<SheetPage> pages;
    pages.reserve(sheets.size());
    for (const SheetPageText& s : sheets)
        pages.push_back({s.length, s.width, s.parts, QString::fromStdString(s.heading)});
    const QByteArray pdf = SheetsPdf(pages, QString::fromStdString(title), pagesDone);
    if (pdf.isEmpty())
        return false;
    bytes.assign(pdf.constData(), static_cast<std::size_t>(pdf.size()));
    // Qt dates the file by the clock; a reproducible build fixes the date.
    FixPdfDate(bytes);
    return true;
}

} // namespace kiv::sheets
