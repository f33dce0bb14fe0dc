// Reading the settings file from disk: whatever has the file's name, the read
// ends at once and never reports a file that is there as missing.
#include "input/SettingsFile.h"
#include "tests/support/fifo_watchdog.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A fresh folder for each case, removed afterwards.
class Folder {
public:
    Folder() {
        char pattern[] = "/tmp/kiv-settings-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string file() const { return (path_ / "Kiv_ini.txt").string(); }

private:
    fs::path path_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Odd {
    const char* name;
    std::function<void(const std::string& path)> make;
    bool notFound;
    std::string value;
};

void PrintTo(const Odd& c, std::ostream* os) {
    *os << c.name;
}

class SettingsOnDisk : public ::testing::TestWithParam<Odd> {};

TEST_P(SettingsOnDisk, EndsAtOnceWithTheRightAnswer) {
    Folder folder;
    const std::string path = folder.file();
    GetParam().make(path);
    kiv::test::FifoWatchdog watchdog(path, 3s);
    const kiv::SettingsRead read = kiv::ReadSettingsFile(path.c_str());
    EXPECT_FALSE(watchdog.fired()) << "the read waited for a writer";
    EXPECT_EQ(read.notFound, GetParam().notFound);
    EXPECT_EQ(read.value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsOnDisk,
    ::testing::Values(
        Odd{"RegularFile", [](const std::string& p) { WriteBytes(p, "4133\r\n"); }, false, "4133"},
        Odd{"NoFile", [](const std::string&) {}, true, ""},
        Odd{"NamedPipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
            false, ""},
        Odd{"Folder", [](const std::string& p) { fs::create_directory(p); }, false, ""},
        Odd{"Socket",
            [](const std::string& p) {
                const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
                sockaddr_un addr{};
                addr.sun_family = AF_UNIX;
                std::strncpy(addr.sun_path, p.c_str(), sizeof addr.sun_path - 1);
                ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
                ::close(s);
            },
            false, ""},
        // A device that never ends: its bytes are no settings.
        Odd{"LinkToAnEndlessDevice",
            [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, false, ""},
        Odd{"LinkToARegularFile",
            [](const std::string& p) {
                WriteBytes(p + ".real", "77\n");
                fs::create_symlink(p + ".real", p);
            },
            false, "77"},
        // Lone carriage returns are skipped, but not without end.
        Odd{"CarriageReturnsWithinTheBound",
            [](const std::string& p) { WriteBytes(p, std::string(1000, '\r') + "4133"); }, false,
            "4133"},
        Odd{"CarriageReturnsBeyondTheBound",
            [](const std::string& p) { WriteBytes(p, std::string(100000, '\r') + "4133"); },
            false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
