#include "input/SaveFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiv {

namespace {

constexpr const char* kDiskFull = "ошибка записи на диск";
constexpr const char* kFolderGone = "папка, в которую записывается файл, больше не существует";
constexpr const char* kNotAFolder = "часть пути к папке — файл, а не папка";

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the working folder was deleted under the program: it still answers
// as "." to the process that stands in it, but the file system no longer
// links it anywhere.
bool WorkingFolderGone() {
    struct stat st {};
    return ::stat(".", &st) != 0 || st.st_nlink == 0;
}

// What in the file system keeps `path` from being written, or nullptr when
// nothing there explains the failure `error`. The folder first: with the
// folder missing every other test of the name fails too and would blame the
// disk. A folder that is not there is only "no longer there" when the working
// folder it lay in was deleted; a mistyped one never was.
const char* CauseAt(const std::string& path, int error) {
    const std::string folder = FolderOf(path);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        const int missing = errno;
        if (missing == ENOTDIR)
            return kNotAFolder;
        if (missing == EACCES)
            return "нет права доступа к папке";
        return WorkingFolderGone() ? kFolderGone : "нет такой папки";
    }
    if (!S_ISDIR(st.st_mode))
        return kNotAFolder;
    if (st.st_nlink == 0)
        return kFolderGone;
    if (::stat(path.c_str(), &st) != 0) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            return "имя файла занято ссылкой на несуществующий файл";
    } else if (S_ISDIR(st.st_mode)) {
        return "в папке уже есть папка с таким именем";
    } else if (::access(path.c_str(), W_OK) != 0) {
        return "файл защищен от записи";
    }
    // A folder that is there yet has no room for a new name: a system
    // folder such as /proc, whose entries the system makes itself.
    if (error == ENOENT)
        return "в эту папку нельзя записывать файлы";
    if (::access(folder.c_str(), W_OK) != 0)
        return errno == EROFS ? SystemCause(EROFS) : "нет права записи в папку";
    return nullptr;
}

// The user's words for a failure at `path`: the cause the file system shows,
// else `otherwise` with the system's cause for `error`, if any.
std::string Failure(const std::string& path, const char* otherwise, int error) {
    if (const char* cause = CauseAt(path, error))
        return cause;
    std::string why = otherwise;
    if (error != 0)
        why += std::string(": ") + SystemCause(error);
    return why;
}

// The file a save to `path` writes: the link's file for a link.
bool Target(const std::string& path, std::string& target, std::string& reason) {
    struct stat link {};
    target = path;
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return true;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        reason = Failure(path, kDiskFull, errno);
        return false;
    }
    target = real;
    std::free(real);
    return true;
}

// The permissions the new file gets: the old file's, or those of an
// ordinary new file.
mode_t ModeFor(bool replacing, const struct stat& existing) {
    if (replacing)
        return existing.st_mode & 07777;
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return 0666 & ~mask;
}

} // namespace

const char* SystemCause(int error, bool reading) {
    switch (error) {
    case ENOENT:
        return reading ? "нет такого файла" : "нет такой папки";
    case EACCES:
    case EPERM:
        return reading ? "нет права чтения" : "нет права записи";
    case EROFS:
        return "диск только для чтения";
    case ENOSPC:
        return "нет места на диске";
    case EDQUOT:
        return "исчерпана квота на диске";
    case ENOTDIR:
        return kNotAFolder;
    case EISDIR:
        return "это папка, а не файл";
    case ENAMETOOLONG:
        return "слишком длинное имя";
    case ELOOP:
        return "ссылки в пути ведут по кругу";
    case EEXIST:
        return "файл с таким именем уже есть";
    case EBUSY:
    case ETXTBSY:
        return "файл занят другой программой";
    case EMFILE:
    case ENFILE:
        return "открыто слишком много файлов";
    case ENOMEM:
        return "не хватает памяти";
    case EIO:
        return "сбой ввода-вывода на диске";
    case EINVAL:
        return "файловая система не принимает такой файл";
    case EXDEV:
        return "файл и папка на разных дисках";
    default:
        return "системная ошибка";
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

namespace {

// The bytes in a new file beside the file a save to `path` writes (`target`),
// flushed to the disk when they are to replace an old file or when `sync`
// asks; `temp` names it. On failure nothing is left behind.
bool Stage(const std::string& path, std::string_view bytes, NewFileSync sync, std::string& target,
           std::string& temp, std::string& reason) {
    if (!Target(path, target, reason))
        return false;
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing && (S_ISDIR(existing.st_mode) ||
                      (S_ISREG(existing.st_mode) && ::access(target.c_str(), W_OK) != 0))) {
        reason = Failure(target, kDiskFull, 0);
        return false;
    }
    temp = FolderOf(target) + "/.kiv-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        const int error = errno;
        reason = Failure(target,
                         error == ENOSPC || error == EDQUOT ? kDiskFull : "не удалось создать файл",
                         error);
        return false;
    }
    // An old file is only replaced by bytes that are on the disk.
    const bool written = WriteAll(fd, bytes) && ::fchmod(fd, ModeFor(replacing, existing)) == 0 &&
                         ((!replacing && sync == NewFileSync::ByCaller) || ::fsync(fd) == 0);
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temp.c_str());
        reason = Failure(target, kDiskFull, error);
        return false;
    }
    return true;
}

// Puts a staged file in place of `target`; on failure the staged file goes.
bool Commit(const std::string& temp, const std::string& target, std::string& reason) {
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        reason = Failure(target, "не удалось заменить файл", error);
        return false;
    }
    return true;
}

} // namespace

bool SaveWhole(const std::string& path, std::string_view bytes, std::string& reason,
               NewFileSync sync) {
    std::string target, temp;
    return Stage(path, bytes, sync, target, temp, reason) && Commit(temp, target, reason);
}

bool SaveAllWhole(const std::string& folder, const std::vector<NamedBytes>& files,
                  std::string& failure, NewFileSync sync) {
    std::vector<std::string> targets, staged;
    for (const NamedBytes& f : files) {
        std::string target, temp, reason;
        if (!Stage(folder + "/" + f.name, f.bytes, sync, target, temp, reason)) {
            for (const std::string& t : staged)
                ::unlink(t.c_str());
            failure = "не удалось записать файл " + f.name + ": " + reason;
            return false;
        }
        targets.push_back(std::move(target));
        staged.push_back(std::move(temp));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string reason;
        if (!Commit(staged[i], targets[i], reason)) {
            for (std::size_t j = i + 1; j < staged.size(); ++j)
                ::unlink(staged[j].c_str());
            failure = "не удалось записать файл " + files[i].name + ": " + reason;
            return false;
        }
    }
    return true;
}

namespace {

// The new files of StreamedFiles not yet in place, for a stop signal to
// remove: a run stopped by Ctrl+C or a kill leaves no file behind that the
// next run would not know.
constexpr std::size_t kPendingSlots = 8;
char pendingNames[kPendingSlots][PATH_MAX];
std::atomic<bool> pendingUsed[kPendingSlots];

void RemovePendingAndStop(int signal) {
    for (std::size_t i = 0; i < kPendingSlots; ++i) {
        if (pendingUsed[i])
            ::unlink(pendingNames[i]);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// The slot that holds `name` until Forget; kPendingSlots when none is free.
std::size_t RememberPending(const std::string& name) {
    static const bool handlers = [] {
        for (int s : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
                ::signal(s, RemovePendingAndStop);
        }
        return true;
    }();
    (void)handlers;
    if (name.size() >= PATH_MAX)
        return kPendingSlots;
    for (std::size_t i = 0; i < kPendingSlots; ++i) {
        bool free = false;
        if (pendingUsed[i].compare_exchange_strong(free, true)) {
            // Marked used before the name is whole: a stop in between
            // unlinks the old name of the slot, which no file has any more.
            std::memcpy(pendingNames[i], name.c_str(), name.size() + 1);
            return i;
        }
    }
    return kPendingSlots;
}

void ForgetPending(std::size_t slot) {
    if (slot < kPendingSlots)
        pendingUsed[slot] = false;
}

} // namespace

StreamedFile::~StreamedFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    ForgetPending(slot_);
}

bool StreamedFile::Open(const std::string& path, std::string& reason) {
    if (!Target(path, target_, reason))
        return false;
    struct stat existing {};
    replacing_ = ::stat(target_.c_str(), &existing) == 0;
    if (replacing_ && (S_ISDIR(existing.st_mode) ||
                       (S_ISREG(existing.st_mode) && ::access(target_.c_str(), W_OK) != 0))) {
        reason = Failure(target_, kDiskFull, 0);
        return false;
    }
    mode_ = ModeFor(replacing_, existing);
    std::string temp = FolderOf(target_) + "/.kiv-XXXXXX";
    fd_ = ::mkstemp(temp.data());
    if (fd_ < 0) {
        const int error = errno;
        reason = Failure(target_, error == ENOSPC ? kDiskFull : "не удалось создать файл", error);
        return false;
    }
    temp_ = std::move(temp);
    slot_ = RememberPending(temp_);
    return true;
}

void StreamedFile::Append(std::string_view bytes) {
    buffer_ += bytes;
    constexpr std::size_t kChunk = 1 << 16;
    if (buffer_.size() >= kChunk)
        Flush();
}

bool StreamedFile::Flush() {
    if (error_ == 0 && fd_ >= 0 && !WriteAll(fd_, buffer_))
        error_ = errno;
    buffer_.clear();
    return error_ == 0;
}

bool StreamedFile::Commit(std::string& reason, NewFileSync sync) {
    if (fd_ < 0) {
        reason = Failure(target_, "не удалось создать файл", 0);
        return false;
    }
    // An old file is only replaced by bytes that are on the disk.
    bool written = Flush() && ::fchmod(fd_, static_cast<mode_t>(mode_)) == 0 &&
                   ((!replacing_ && sync == NewFileSync::ByCaller) || ::fsync(fd_) == 0);
    int error = error_ != 0 ? error_ : (written ? 0 : errno);
    if (::close(fd_) != 0 && written) {
        written = false;
        error = errno;
    }
    fd_ = -1;
    const std::string temp = std::move(temp_);
    temp_.clear();
    bool committed = false;
    if (!written) {
        ::unlink(temp.c_str());
        reason = Failure(target_, kDiskFull, error);
    } else {
        committed = kiv::Commit(temp, target_, reason);
    }
    ForgetPending(slot_);
    slot_ = kNoSlot;
    return committed;
}

bool SyncFolder(const std::string& folder, std::string& reason) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::syncfs(fd) != 0) {
        reason = std::string(kDiskFull) + ": " + SystemCause(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace kiv
