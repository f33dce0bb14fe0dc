// Saving an output file: whole or not at all, and a failure named by its real
// cause, whatever has the file's name or has happened to its folder.
#include "input/SaveFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kOld = "the user's old file\r\n";
const std::string kNew = "_osmode\r\n0\r\n";

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<cannot read>";
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh folder for one case, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "kiv_save_XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

struct SaveCase {
    const char* name;
    // Prepares the folder; returns the path to save to.
    std::function<fs::path(const fs::path& folder)> arrange;
    bool saved;
    const char* reason; // a part of the reason on failure
    // What the name holds afterwards; nullptr: nothing may be there.
    const char* after;
};

void PrintTo(const SaveCase& c, std::ostream* os) {
    *os << c.name;
}

class Save : public ::testing::TestWithParam<SaveCase> {};

TEST_P(Save, WholeOrNotAtAllWithTheRealReason) {
    const SaveCase& c = GetParam();
    TempFolder dir;
    const fs::path before = fs::current_path();
    const fs::path path = c.arrange(dir.path());
    std::string reason;
    EXPECT_EQ(kiv::SaveWhole(path.string(), kNew, reason), c.saved) << reason;
    fs::current_path(dir.path());
    if (c.saved) {
        EXPECT_TRUE(reason.empty()) << reason;
    } else {
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        EXPECT_EQ(reason.find("переполнен"), std::string::npos) << reason;
    }
    if (c.after == nullptr) {
        EXPECT_FALSE(fs::exists(path));
    } else if (fs::is_regular_file(path)) {
        EXPECT_EQ(Contents(path), c.after);
    }
    // Only the name itself may have changed: no temporary file stays behind.
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_NE(name.rfind(".kiv-", 0), 0u) << name;
    }
    fs::current_path(before);
}

const char* const kNewText = "_osmode\r\n0\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, Save,
    ::testing::Values(
        SaveCase{"NewFile", [](const fs::path& d) { return d / "a.scr"; }, true, "", kNewText},
        SaveCase{"ReplacesTheOldFile",
                 [](const fs::path& d) {
                     Write(d / "a.scr", kOld);
                     return d / "a.scr";
                 },
                 true, "", kNewText},
        SaveCase{"FolderInTheWay",
                 [](const fs::path& d) {
                     fs::create_directory(d / "a.scr");
                     return d / "a.scr";
                 },
                 false, "папка с таким именем", ""},
        // A folder that is not there used to be reported as a full disk, and
        // then as one that no longer exists, although it may never have.
        SaveCase{"FolderDeleted",
                 [](const fs::path& d) {
                     fs::create_directory(d / "work");
                     fs::remove_all(d / "work");
                     return d / "work" / "a.scr";
                 },
                 false, "нет такой папки", nullptr},
        SaveCase{"FileWhereTheFolderShouldBe",
                 [](const fs::path& d) {
                     Write(d / "work", kOld);
                     return d / "work" / "a.scr";
                 },
                 false, "часть пути к папке — файл, а не папка", nullptr},
        // A system folder takes no new files; the system's English text
        // used to follow a wrong cause.
        SaveCase{"SystemFolder", [](const fs::path&) { return fs::path("/proc/self/a.scr"); },
                 false, "в эту папку нельзя записывать файлы", nullptr},
        // The same as the program meets it: the folder is its working
        // folder, and the path is relative.
        SaveCase{"WorkingFolderDeleted",
                 [](const fs::path& d) {
                     fs::create_directory(d / "work");
                     fs::current_path(d / "work");
                     fs::remove_all(d / "work");
                     return fs::path("a.scr");
                 },
                 false, "папка, в которую записывается файл, больше не существует", nullptr},
        SaveCase{"BrokenLink",
                 [](const fs::path& d) {
                     fs::create_symlink(d / "gone" / "a.scr", d / "a.scr");
                     return d / "a.scr";
                 },
                 false, "ссылкой на несуществующий файл", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// A link keeps being a link: the file it names gets the new contents.
TEST(Save, ThroughALinkTheLinkStays) {
    TempFolder dir;
    const fs::path& d = dir.path();
    Write(d / "real.scr", kOld);
    fs::create_symlink(d / "real.scr", d / "a.scr");
    std::string reason;
    ASSERT_TRUE(kiv::SaveWhole((d / "a.scr").string(), kNew, reason)) << reason;
    EXPECT_TRUE(fs::is_symlink(d / "a.scr"));
    EXPECT_EQ(Contents(d / "real.scr"), kNew);
}

// Write protection is the user's word, also against a rename; root is not
// held back by it, so the case needs an ordinary user.
TEST(Save, WriteProtectedFileIsKept) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes through any protection";
    TempFolder dir;
    const fs::path path = dir.path() / "a.scr";
    Write(path, kOld);
    fs::permissions(path, fs::perms::owner_read);
    std::string reason;
    EXPECT_FALSE(kiv::SaveWhole(path.string(), kNew, reason));
    EXPECT_NE(reason.find("защищен от записи"), std::string::npos) << reason;
    EXPECT_EQ(Contents(path), kOld);
}

// A replaced file keeps the permissions its owner gave it, whether the
// caller syncs each file or the folder at the end; a new one gets those of
// any new file.
TEST(Save, PermissionsOfTheReplacedFileStay) {
    for (const kiv::NewFileSync sync : {kiv::NewFileSync::Now, kiv::NewFileSync::ByCaller}) {
        TempFolder dir;
        const fs::path old = dir.path() / "old.scr";
        Write(old, kOld);
        fs::permissions(old, fs::perms::owner_read | fs::perms::owner_write);
        std::string reason;
        ASSERT_TRUE(kiv::SaveWhole(old.string(), kNew, reason, sync)) << reason;
        EXPECT_EQ(fs::status(old).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(Contents(old), kNew);

        const fs::path fresh = dir.path() / "new.scr";
        ASSERT_TRUE(kiv::SaveWhole(fresh.string(), kNew, reason, sync)) << reason;
        const mode_t mask = ::umask(0);
        ::umask(mask);
        EXPECT_EQ(static_cast<mode_t>(fs::status(fresh).permissions()), 0666 & ~mask);
        EXPECT_EQ(Contents(fresh), kNew);
    }
}

} // namespace
