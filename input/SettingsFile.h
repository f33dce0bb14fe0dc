#pragma once

#include <string>
#include <string_view>

namespace kiv {

// The settings file "Kiv_ini.txt" holds one value: the CAD object-snap setting
// that every script restores at its end. Only its first line counts, and only
// the first 6 characters of that line.

// The value in `bytes`, the whole or the beginning of a settings file: the
// first line up to its line feed, without carriage returns, cut after 6
// characters. A Ctrl-Z (26) ends the file. Blanks and any other bytes are
// kept as they are.
std::string OsmodeFromBytes(std::string_view bytes);

struct SettingsRead {
    bool notFound = false; // no file of that name: the program cannot compute
    std::string value;     // empty when the file could not be read
};

// Reads the value from the file at `path`. Only "no such file" counts as not
// found; anything of that name that is not a regular file (a folder, a named
// pipe, a socket, a device) and a file that cannot be opened or read give an
// empty value and nothing else. Never waits for a writer, and reads no further
// than the value needs, at most 64 KiB.
SettingsRead ReadSettingsFile(const char* path);

} // namespace kiv
