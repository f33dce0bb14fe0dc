// A field's text to a number: never a crash, never a non-finite value, and a
// number that survives a round trip through its own shortest text.
#include "input/Conversion.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = kiv::TextToFloat(text);
    if (!value) {
        if (kiv::NotAFloatMessage(text).find(text) == std::string::npos) {
            __builtin_trap(); // the message must quote the text
        }
        return 0;
    }
    if (!std::isfinite(*value)) {
        __builtin_trap();
    }
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, *value);
    const auto again = kiv::TextToFloat(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
    if (!again || *again != *value) {
        __builtin_trap();
    }
    return 0;
}
