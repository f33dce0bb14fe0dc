#include "input/KeyFilter.h"

namespace kiv {

bool KeyPasses(char32_t code) {
    constexpr char32_t kBackspace = 8;
    return code == kBackspace || code == U'.' || (code >= U'0' && code <= U'9');
}

} // namespace kiv
