#include "input/UserFolder.h"

#include "input/SaveFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiv {

namespace fs = std::filesystem;

namespace {

// The system's English text is no message for the user: its cause in Russian.
std::string Reason(const std::error_code& ec) {
    return SystemCause(ec.value());
}

std::string Failed(std::string_view what, const fs::path& path, const std::string& reason) {
    std::string text(what);
    text += ' ';
    text += path.string();
    text += ": ";
    text += reason;
    return text;
}

// Puts the default settings file in place without ever replacing one: the
// bytes go to a temporary file first, which is then linked under the real
// name. Linking fails if the name is taken, so a file made meanwhile (by the
// user or a second start) is kept; a failed write leaves no file behind.
std::string WriteDefaultSettings(const fs::path& folder, std::string_view bytes) {
    const fs::path target = folder / kSettingsFileName;
    std::string temp = (folder / ".Kiv_ini.txt.XXXXXX").string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Failed("Не удалось создать файл в папке", folder,
                      Reason({errno, std::generic_category()}));
    // mkstemp makes the file private; the settings file is an ordinary one.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool written = ::fchmod(fd, static_cast<mode_t>(0666U & ~mask)) == 0 &&
                         WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(temp.c_str());
        return Failed("Не удалось записать файл", target,
                      Reason({written ? errno : writeErrno, std::generic_category()}));
    }
    std::string error;
    if (::link(temp.c_str(), target.c_str()) != 0 && errno != EEXIST) {
        // A file system without hard links: a plain rename, still only when
        // nothing is there.
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(target, ec)) &&
            ::rename(temp.c_str(), target.c_str()) != 0)
            error = Failed("Не удалось записать файл", target,
                           Reason({errno, std::generic_category()}));
    }
    ::unlink(temp.c_str());
    return error;
}

} // namespace

UserFolder PrepareUserFolder(const fs::path& home, std::string_view defaultSettings) {
    UserFolder result;
    if (home.empty()) {
        result.error = "Не задана домашняя папка пользователя (HOME).";
        return result;
    }
    result.path = home / kUserFolderName;
    std::error_code ec;
    fs::create_directory(result.path, ec);
    if (!ec && !fs::is_directory(result.path, ec) && !ec)
        ec = std::make_error_code(std::errc::not_a_directory);
    if (ec) {
        result.error = Failed("Не удалось создать рабочую папку", result.path, Reason(ec));
        return result;
    }
    // Anything under the settings file's name counts as the user's, even a
    // link that leads nowhere: it is theirs to mend, not ours to replace.
    const fs::file_status settings = fs::symlink_status(result.path / kSettingsFileName, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        result.error =
            Failed("Не удалось проверить файл", result.path / kSettingsFileName, Reason(ec));
        return result;
    }
    if (!fs::exists(settings))
        result.error = WriteDefaultSettings(result.path, defaultSettings);
    return result;
}

} // namespace kiv
