// The stock sheet's size as a user types it, apart from the command so that
// it can be tested alone.
#include "cli/Nest.h"

#include <cmath>
#include <cstdlib>

namespace kiv::cli {

bool ParseSheetSize(const std::string& text, double& width, double& length) {
    // "X" and the times sign (UTF-8 C3 97) stand for "x".
    std::string t;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\xC3\x97") == 0) {
            t += 'x';
            ++i;
        } else {
            t += text[i] == 'X' ? 'x' : text[i];
        }
    }
    const std::size_t x = t.find('x');
    if (x == std::string::npos || t.find('x', x + 1) != std::string::npos)
        return false;
    const auto number = [](const std::string& s, double& v) {
        char* end = nullptr;
        v = std::strtod(s.c_str(), &end);
        return !s.empty() && end == s.c_str() + s.size() && std::isfinite(v) && v > 0;
    };
    return number(t.substr(0, x), width) && number(t.substr(x + 1), length);
}

} // namespace kiv::cli
