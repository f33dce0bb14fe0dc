// Writing an output file so that a reader never sees half of it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// Replaces the file at `path` by `bytes` whole, or leaves it as it was: the
// bytes go into a new file beside it, which is renamed over the old one; on
// any failure the new file is removed. An old file is replaced only once
// its successor is flushed to the disk. A write-protected file is kept (the
// rename would go round the protection). False with the reason, in Russian,
// when the file was not written.
bool SaveWhole(const std::string& path, std::string_view bytes, std::string& reason);

struct NamedBytes {
    std::string name; // in the folder
    std::string bytes;
};

// Saves files that belong together, all or none: each is written beside its
// name first, and only once every one of them is written are they put in
// place, so that a failure leaves every old file of the set as it was. False
// with the failure, in Russian and naming the file, when none was replaced
// (a rename failing midway, which the file system hardly ever does, leaves
// the files before it replaced).
bool SaveAllWhole(const std::string& folder, const std::vector<NamedBytes>& files,
                  std::string& failure);

// Flushes everything written into the file system of `folder` to the disk:
// once after many new files, instead of once per file.
bool SyncFolder(const std::string& folder, std::string& reason);

} // namespace kiv
