// The nested sheets painted by Qt, off screen.
#include "sheets/NestFiles.h"

#include "paint/SheetPainter.h"

#include <cstdlib>
#include <ctime>
#include <string>

namespace kiv::sheets {

namespace {

// Qt dates the file by the clock. With SOURCE_DATE_EPOCH set, as for a
// reproducible build, the date is that moment instead, so that the same order
// gives the same file byte for byte; the date keeps its length, so every
// offset in the file stays right.
void StampCreationDate(std::string& pdf) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0')
        return;
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end != '\0' || seconds < 0)
        return;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    if (::gmtime_r(&t, &utc) == nullptr)
        return;
    char stamp[16];
    if (std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &utc) != 14)
        return;
    const std::string key = "/CreationDate (D:";
    const std::size_t at = pdf.find(key);
    if (at == std::string::npos || pdf.size() < at + key.size() + 14)
        return;
    for (std::size_t i = 0; i < 14; ++i) {
        if (pdf[at + key.size() + i] < '0' || pdf[at + key.size() + i] > '9')
            return;
    }
    pdf.replace(at + key.size(), 14, stamp);
}

} // namespace

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
    StampCreationDate(bytes);
    return true;
}

} // namespace kiv::sheets
