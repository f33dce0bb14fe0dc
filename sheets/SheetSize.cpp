// The stock sheet's size as a user types it, for the command and the window.
#include "sheets/NestFiles.h"

#include "input/Conversion.h"

namespace kiv::sheets {

bool ParseSheetSize(const std::string& text, double& width, double& length) {
    // "X", the times sign (UTF-8 C3 97) and the Cyrillic "х" and "Х" that a
    // Russian keyboard gives on the same key (D1 85, D0 A5) stand for "x".
    std::string t;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\xC3\x97") == 0 || text.compare(i, 2, "\xD1\x85") == 0 ||
            text.compare(i, 2, "\xD0\xA5") == 0) {
            t += 'x';
            ++i;
        } else {
            t += text[i] == 'X' ? 'x' : text[i];
        }
    }
    const std::size_t x = t.find('x');
    if (x == std::string::npos || t.find('x', x + 1) != std::string::npos)
        return false;
    // Read whatever the locale, so that "1250.5x2500" and "1250,5x2500" mean the same in every shop.
    const auto number = [](const std::string& s, double& v) {
        const std::optional<double> value = TextToFloat(s, DecimalSign::PointOrComma);
        v = value.value_or(0);
        return value && *value > 0;
    };
    return number(t.substr(0, x), width) && number(t.substr(x + 1), length);
}

} // namespace kiv::sheets
