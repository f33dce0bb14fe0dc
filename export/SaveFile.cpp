#include "export/SaveFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiv {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The user's words for a failure, the system's own text after them.
std::string Why(const char* what, int error) {
    return std::string(what) + " (" + std::strerror(error) + ")";
}

} // namespace

namespace {

// The bytes in a new file beside `path`, flushed to the disk when they are to
// replace an old file; `temp` names it. On failure nothing is left behind.
bool Stage(const std::string& path, std::string_view bytes, std::string& temp,
           std::string& reason) {
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing) {
        if (S_ISDIR(existing.st_mode)) {
            reason = "в папке уже есть папка с таким именем";
            return false;
        }
        if (S_ISREG(existing.st_mode) && ::access(path.c_str(), W_OK) != 0) {
            reason = "файл защищен от записи";
            return false;
        }
    }
    temp = FolderOf(path) + "/.kiv-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        reason = Why(errno == EACCES || errno == EROFS ? "нет права записи в папку"
                                                       : "не удалось создать файл",
                     errno);
        return false;
    }
    const auto fail = [&](const char* what) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        reason = Why(what, error);
        return false;
    };
    const char* at = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return fail("ошибка записи на диск (возможно, диск переполнен)");
        }
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    // The new file gets the permissions an ordinary new file would get.
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    // An old file is only replaced by bytes that are on the disk; a new one
    // risks nothing and waits for the caller's one sync at the end.
    if (::fchmod(fd, 0666 & ~mask) != 0 || (replacing && ::fsync(fd) != 0)) {
        return fail("ошибка записи на диск (возможно, диск переполнен)");
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        reason = Why("ошибка записи на диск (возможно, диск переполнен)", error);
        return false;
    }
    return true;
}

// Puts a staged file in place of `path`; on failure the staged file goes.
bool Commit(const std::string& temp, const std::string& path, std::string& reason) {
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        reason = Why("не удалось заменить файл", error);
        return false;
    }
    return true;
}

} // namespace

bool SaveWhole(const std::string& path, std::string_view bytes, std::string& reason) {
    std::string temp;
    return Stage(path, bytes, temp, reason) && Commit(temp, path, reason);
}

bool SaveAllWhole(const std::string& folder, const std::vector<NamedBytes>& files,
                  std::string& failure) {
    std::vector<std::string> staged;
    for (const NamedBytes& f : files) {
        std::string temp, reason;
        if (!Stage(folder + "/" + f.name, f.bytes, temp, reason)) {
            for (const std::string& t : staged)
                ::unlink(t.c_str());
            failure = "не удалось записать файл " + f.name + ": " + reason;
            return false;
        }
        staged.push_back(std::move(temp));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string reason;
        if (!Commit(staged[i], folder + "/" + files[i].name, reason)) {
            for (std::size_t j = i + 1; j < staged.size(); ++j)
                ::unlink(staged[j].c_str());
            failure = "не удалось записать файл " + files[i].name + ": " + reason;
            return false;
        }
    }
    return true;
}

bool SyncFolder(const std::string& folder, std::string& reason) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::syncfs(fd) != 0) {
        reason = Why("ошибка записи на диск", errno);
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace kiv
