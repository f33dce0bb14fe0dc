// Writing an output file so that a reader never sees half of it, for the
// window and the command alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// When a file that is new under its name reaches the disk: before SaveWhole
// returns, or with one SyncFolder by the caller after many files. A file that
// replaces an old one always reaches the disk before the old one goes.
enum class NewFileSync { Now, ByCaller };

// Replaces the file at `path` by `bytes` whole, or leaves whatever had that
// name as it was: the bytes go into a new file beside it, which is renamed
// over the old one; on any failure the new file is removed. A name that is a
// link to a file is written through to that file, and a replaced file keeps
// its permissions. A write-protected file is kept (the rename would go round
// the protection). False with the reason, in Russian, when the file was not
// written: the cause the file system shows, else the system's cause.
bool SaveWhole(const std::string& path, std::string_view bytes, std::string& reason,
               NewFileSync sync = NewFileSync::Now);

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
                  std::string& failure, NewFileSync sync = NewFileSync::Now);

// A file written piece by piece and put in place whole at the end, for output
// too long to hold in memory: until Commit whatever had its name stays as it
// was, and a writer dropped without Commit leaves nothing behind, so that no
// reader ever sees a file that claims more than was done. A stop signal
// (SIGINT, SIGTERM, SIGHUP) left to its default removes the new file first.
class StreamedFile {
public:
    StreamedFile() = default;
    ~StreamedFile(); // removes the new file unless it was committed
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;

    // Starts the new file beside `path`; false with the reason, as SaveWhole gives it.
    bool Open(const std::string& path, std::string& reason);
    // Adds bytes to the end; a failure shows at Commit.
    void Append(std::string_view bytes);
    // Puts the file in place of `path` whole, or leaves the old one as it was.
    bool Commit(std::string& reason, NewFileSync sync = NewFileSync::Now);

private:
    bool Flush();

    std::string target_, temp_, buffer_;
    int fd_ = -1;
    bool replacing_ = false;
    unsigned mode_ = 0;
    int error_ = 0; // of the first failed write
    static constexpr std::size_t kNoSlot = ~std::size_t{0};
    std::size_t slot_ = kNoSlot; // where a stop signal finds the new file's name
};

// Flushes everything written into the file system of `folder` to the disk:
// once after many new files, instead of once per file.
bool SyncFolder(const std::string& folder, std::string& reason);

// The user's words, in Russian, for the system's error number `error` met at
// writing a file (at reading one when `reading`): "нет места на диске" ...
const char* SystemCause(int error, bool reading = false);

// Writes all of `bytes` to the open file `fd`; false with errno set on failure.
bool WriteAll(int fd, std::string_view bytes);

} // namespace kiv
