// The settings file's value over any bytes, against a plain model of the rules.
#include "input/SettingsFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// First line up to LF; CR dropped wherever it stands; Ctrl-Z ends the file;
// at most six characters kept.
std::string Model(std::string_view bytes) {
    std::string value;
    for (char c : bytes) {
        if (c == '\n' || c == '\x1a') {
            break;
        }
        if (c == '\r') {
            continue;
        }
        if (value.size() < 6) {
            value += c;
        }
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string value = kiv::OsmodeFromBytes(bytes);
    // What the script's last line relies on, whatever the model says.
    if (value.size() > 6 || value.find_first_of("\n\r\x1a") != std::string::npos) {
        __builtin_trap();
    }
    if (value != Model(bytes)) {
        __builtin_trap();
    }
    return 0;
}
