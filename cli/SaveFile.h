// Writing an output file so that a reader never sees half of it.
#pragma once

#include <string>
#include <string_view>

namespace kiv::cli {

// Replaces the file at `path` by `bytes` whole, or leaves it as it was: the
// bytes go into a new file beside it, which is renamed over the old one; on
// any failure the new file is removed. An old file is replaced only once
// its successor is flushed to the disk. A write-protected file is kept (the
// rename would go round the protection). False with the reason, in Russian,
// when the file was not written.
bool SaveWhole(const std::string& path, std::string_view bytes, std::string& reason);

// Flushes everything written into the file system of `folder` to the disk:
// once after many new files, instead of once per file.
bool SyncFolder(const std::string& folder, std::string& reason);

} // namespace kiv::cli
