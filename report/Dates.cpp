#include "report/Dates.h"

#include <cstdlib>

namespace kiv {

std::optional<std::time_t> FixedMoment() {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0')
        return std::nullopt;
    long long seconds = 0;
    for (const char* c = epoch; *c != '\0'; ++c) {
        // Past year 9999 no date keeps its four digits.
        if (*c < '0' || *c > '9' || seconds > 253402300799LL / 10)
            return std::nullopt;
        seconds = seconds * 10 + (*c - '0');
    }
    if (seconds > 253402300799LL)
        return std::nullopt;
    return static_cast<std::time_t>(seconds);
}

std::string TitleDate() {
    std::tm day{};
    if (const std::optional<std::time_t> fixed = FixedMoment()) {
        ::gmtime_r(&*fixed, &day);
    } else {
        const std::time_t now = std::time(nullptr);
        ::localtime_r(&now, &day);
    }
    char text[16];
    std::strftime(text, sizeof text, "%d.%m.%Y", &day);
    return text;
}

void FixPdfDate(std::string& pdf) {
    const std::optional<std::time_t> fixed = FixedMoment();
    if (!fixed)
        return;
    std::tm utc{};
    if (::gmtime_r(&*fixed, &utc) == nullptr)
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

} // namespace kiv
