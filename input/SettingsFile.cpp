#include "input/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kiv {

namespace {

constexpr std::size_t kMaxValue = 6;
// Lone carriage returns are dropped and the reading goes on after them, so a
// file of nothing else would be read to its end; this much is plenty for any
// real settings file.
constexpr std::size_t kMaxRead = std::size_t{64} * 1024;
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
    // Without O_NONBLOCK the open of a named pipe waits for a writer, and the
    // window would hang at its first activation.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.notFound = errno == ENOENT;
        return result;
    }
    // Only a regular file is read: a pipe, socket, device or folder could
    // block, or never end, and counts as a file that cannot be opened.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return result;
    }
    ValueReader reader;
    char chunk[16];
    bool more = true;
    std::size_t total = 0;
    while (more && total < kMaxRead) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // end of file, or a read error
        total += static_cast<std::size_t>(n);
        for (ssize_t i = 0; i < n && more; ++i)
            more = reader.take(chunk[i]);
    }
    ::close(fd);
    result.value = reader.take_value();
    return result;
}

} // namespace kiv
