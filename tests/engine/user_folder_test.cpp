#include "input/UserFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kDefaults = "4133\r\n";

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Everything under `root`: regular files with their bytes (big ones by size),
// folders as "<dir>", links as "-> target".
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const std::string name = it->path().lexically_relative(root).string();
        if (it->is_symlink())
            tree[name] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            tree[name] = "<dir>";
        else {
            std::ifstream in(it->path(), std::ios::binary);
            std::string bytes(std::istreambuf_iterator<char>(in), {});
            tree[name] = bytes.size() <= 64 ? bytes : std::to_string(bytes.size()) + " bytes";
        }
    }
    return tree;
}

class TempHome {
public:
    TempHome() {
        std::string pattern = (fs::temp_directory_path() / "kiv_home_XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempHome() {
        std::error_code ec;
        fs::permissions(path_ / "Kiv_TQMRZL", fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

struct FolderCase {
    const char* name;
    std::function<void(const fs::path& home)> before;
    bool ready;                               // the folder may be worked in
    std::map<std::string, std::string> after; // the home's whole tree afterwards
    bool needsPermissions = false;            // root ignores them
};

void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << c.name;
}

class UserFolderStart : public testing::TestWithParam<FolderCase> {};

TEST_P(UserFolderStart, MakesTheFolderOnceAndNeverReplacesTheUsersFile) {
    const FolderCase& c = GetParam();
    if (c.needsPermissions && ::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempHome home;
    c.before(home.path());
    const kiv::UserFolder got = kiv::PrepareUserFolder(home.path(), kDefaults);
    EXPECT_EQ(got.path, home.path() / "Kiv_TQMRZL");
    EXPECT_EQ(got.error.empty(), c.ready) << got.error;
    EXPECT_EQ(Tree(home.path()), c.after) << "a temporary file left, or the user's file touched";
}

const auto kNothing = [](const fs::path&) {};
const auto kFolder = [](const fs::path& home) { fs::create_directory(home / "Kiv_TQMRZL"); };

INSTANTIATE_TEST_SUITE_P(
    Cases, UserFolderStart,
    testing::Values(FolderCase{"FirstStart",
                               kNothing,
                               true,
                               {{"Kiv_TQMRZL", "<dir>"}, {"Kiv_TQMRZL/Kiv_ini.txt", kDefaults}}},
                    FolderCase{"FolderWithScriptsButNoSettings",
                               [](const fs::path& home) {
                                   kFolder(home);
                                   Write(home / "Kiv_TQMRZL/200x400x100x0.5.scr", "_LINE\r\n");
                               },
                               true,
                               {{"Kiv_TQMRZL", "<dir>"},
                                {"Kiv_TQMRZL/Kiv_ini.txt", kDefaults},
                                {"Kiv_TQMRZL/200x400x100x0.5.scr", "_LINE\r\n"}}},
                    FolderCase{"ChangedSettingsKept",
                               [](const fs::path& home) {
                                   kFolder(home);
                                   Write(home / "Kiv_TQMRZL/Kiv_ini.txt", "1\r\n");
                               },
                               true,
                               {{"Kiv_TQMRZL", "<dir>"}, {"Kiv_TQMRZL/Kiv_ini.txt", "1\r\n"}}},
                    FolderCase{"EmptySettingsKept",
                               [](const fs::path& home) {
                                   kFolder(home);
                                   Write(home / "Kiv_TQMRZL/Kiv_ini.txt", "");
                               },
                               true,
                               {{"Kiv_TQMRZL", "<dir>"}, {"Kiv_TQMRZL/Kiv_ini.txt", ""}}},
                    FolderCase{"LinkToNowhereKept",
                               [](const fs::path& home) {
                                   kFolder(home);
                                   fs::create_symlink("/nonexistent/Kiv_ini.txt",
                                                      home / "Kiv_TQMRZL/Kiv_ini.txt");
                               },
                               true,
                               {{"Kiv_TQMRZL", "<dir>"},
                                {"Kiv_TQMRZL/Kiv_ini.txt", "-> /nonexistent/Kiv_ini.txt"}}},
                    FolderCase{"NameTakenByAFile",
                               [](const fs::path& home) { Write(home / "Kiv_TQMRZL", "notes"); },
                               false,
                               {{"Kiv_TQMRZL", "notes"}}},
                    FolderCase{"NameTakenByALinkToAFile",
                               [](const fs::path& home) {
                                   Write(home / "notes", "notes");
                                   fs::create_symlink("notes", home / "Kiv_TQMRZL");
                               },
                               false,
                               {{"notes", "notes"}, {"Kiv_TQMRZL", "-> notes"}}},
                    FolderCase{"ReadOnlyFolderWithoutSettings",
                               [](const fs::path& home) {
                                   kFolder(home);
                                   fs::permissions(home / "Kiv_TQMRZL",
                                                   fs::perms::owner_read | fs::perms::owner_exec);
                               },
                               false,
                               {{"Kiv_TQMRZL", "<dir>"}},
                               true}),
    [](const testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.name); });

TEST(UserFolderStart, LinkToAFolderIsUsed) {
    TempHome home;
    fs::create_directory(home.path() / "elsewhere");
    fs::create_directory_symlink(home.path() / "elsewhere", home.path() / "Kiv_TQMRZL");
    const kiv::UserFolder got = kiv::PrepareUserFolder(home.path(), kDefaults);
    EXPECT_EQ(got.error, "");
    EXPECT_EQ(Tree(home.path() / "elsewhere"),
              (std::map<std::string, std::string>{{"Kiv_ini.txt", kDefaults}}));
}

TEST(UserFolderStart, RefusesAMissingOrUnsetHome) {
    TempHome home;
    for (const fs::path& missing : {fs::path(), home.path() / "gone"}) {
        const kiv::UserFolder got = kiv::PrepareUserFolder(missing, kDefaults);
        EXPECT_NE(got.error, "") << missing;
    }
    EXPECT_TRUE(Tree(home.path()).empty()) << "a missing home is not ours to make";
}

TEST(UserFolderStart, DefaultFileIsAnOrdinaryFile) {
    TempHome home;
    const mode_t old = ::umask(022);
    const kiv::UserFolder got = kiv::PrepareUserFolder(home.path(), kDefaults);
    ::umask(old);
    ASSERT_EQ(got.error, "");
    EXPECT_EQ(fs::status(got.path / "Kiv_ini.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read)
        << "the user must be able to let others read and edit it as any file";
}

// A tiny file system as the home folder, filled up or made read-only once the
// working folder is there: the settings file is then either whole or absent,
// and no temporary file is left.
TEST(UserFolderStart, FullOrReadOnlyDiskLeavesNoFile) {
    for (const bool full : {true, false}) {
        SCOPED_TRACE(full ? "full" : "read-only");
        TempHome temp;
        const fs::path home = temp.path() / "mnt";
        fs::create_directory(home);
        if (::mount("tmpfs", home.c_str(), "tmpfs", 0, "size=16k") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
        const struct Unmount {
            const fs::path& at;
            ~Unmount() { ::umount(at.c_str()); }
        } unmount{home};
        fs::create_directory(home / "Kiv_TQMRZL");
        std::map<std::string, std::string> before;
        if (full) {
            std::ofstream filler(home / "filler", std::ios::binary);
            const std::string block(1024, 'x');
            const auto size = static_cast<std::streamsize>(block.size());
            for (int i = 0; i < 64 && filler.write(block.data(), size).flush(); ++i) {
            }
            filler.close();
            before = Tree(home);
        } else {
            ASSERT_EQ(::mount("tmpfs", home.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0)
                << std::strerror(errno);
            before = Tree(home);
        }
        const kiv::UserFolder got = kiv::PrepareUserFolder(home, kDefaults);
        EXPECT_NE(got.error, "");
        EXPECT_EQ(Tree(home), before);
    }
}

} // namespace
