// The nested sheets painted by Qt, off screen.
#include "cli/Nest.h"

#include "paint/SheetPainter.h"

namespace kiv::cli {

bool SheetsPdfBytes(const std::vector<NestSheet>& sheets, const std::string& title,
                    std::string& bytes) {
    std::vector<SheetPage> pages;
    for (const NestSheet& s : sheets)
        pages.push_back({s.length, s.width, s.parts, QString::fromStdString(s.heading)});
    const QByteArray pdf = SheetsPdf(pages, QString::fromStdString(title));
    if (pdf.isEmpty())
        return false;
    bytes.assign(pdf.constData(), static_cast<std::size_t>(pdf.size()));
    return true;
}

} // namespace kiv::cli
