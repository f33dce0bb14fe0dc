#include "input/KeyFilter.h"

namespace kiv {

char32_t TypedKey(char32_t code) {
    constexpr char32_t kBackspace = 8;
    if (code == U',')
        return U'.';
    if (code == kBackspace || code == U'.' || (code >= U'0' && code <= U'9'))
        return code;
    return 0;
}

} // namespace kiv
