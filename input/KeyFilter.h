#pragma once

namespace kiv {

// The character a typed key enters into a numeric field, or 0 when the key is
// discarded. Backspace (8), the point (46) and the digits (48-57) enter
// themselves. A comma enters a point: Russian keyboards put the decimal comma
// where the point is expected, and users type it by habit. Everything else,
// letters, signs, blanks and the other control characters, is discarded.
// Only typing goes through here; pasted text reaches the field unchanged.
char32_t TypedKey(char32_t code);

} // namespace kiv
