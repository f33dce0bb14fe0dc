#include "input/SettingsFile.h"

#include <cerrno>
#include <cstdio>

namespace kiv {

namespace {

constexpr std::size_t kMaxValue = 6;
constexpr char kCtrlZ = 26;

// Collects the value byte by byte, so the file reader can stop as soon as the
// value is complete instead of reading a long first line whole.
class ValueReader {
public:
    // Takes the next byte; false once the value is complete.
    bool take(char c) {
        if (done_)
            return false;
        if (c == '\n' || c == kCtrlZ) {
            done_ = true;
        } else if (c != '\r') {
            // A carriage return is either half of a CR LF line end, whose LF
            // ends the line anyway, or a lone one, which the file format drops.
            value_.push_back(c);
            done_ = value_.size() == kMaxValue;
        }
        return !done_;
    }
    std::string take_value() { return std::move(value_); }

private:
    std::string value_;
    bool done_ = false;
};

} // namespace

std::string OsmodeFromBytes(std::string_view bytes) {
    ValueReader reader;
    for (char c : bytes) {
        if (!reader.take(c))
            break;
    }
    return reader.take_value();
}

SettingsRead ReadSettingsFile(const char* path) {
    SettingsRead result;
    errno = 0;
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        result.notFound = errno == ENOENT;
        return result;
    }
    ValueReader reader;
    char chunk[16];
    bool more = true;
    while (more) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0)
            break; // end of file, or a read error (a folder opened as a file)
        for (std::size_t i = 0; i < n && more; ++i)
            more = reader.take(chunk[i]);
    }
    std::fclose(f);
    result.value = reader.take_value();
    return result;
}

} // namespace kiv
