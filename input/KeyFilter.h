#pragma once

namespace kiv {

// Whether a typed character may reach a numeric field: backspace (8), the
// point (46) and the digits (48-57). Everything else, letters, comma, signs,
// blanks and the other control characters, is discarded.
bool KeyPasses(char32_t code);

} // namespace kiv
