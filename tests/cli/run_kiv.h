// Runs the real `kiv` binary as a process in a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kiv::test {

struct Ran {
    int status = -1;
    std::string out, err;
};

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

inline std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

// A fresh empty folder per test, removed afterwards.
class KivTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("kiv-cli-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" +
               info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // `kiv` with `args` in `where` (the test's folder by default).
    Ran runKiv(const std::vector<std::string>& args, const std::filesystem::path& where = {}) const {
        std::string command = "cd " + Quoted((where.empty() ? dir : where).string()) + " && " +
                              (locale.empty() ? "" : "LC_ALL=" + Quoted(locale) + " ") + Quoted(KIV_BINARY);
        for (const auto& a : args)
            command += " " + Quoted(a);
        command += " >" + Quoted((dir / ".out").string()) + " 2>" + Quoted((dir / ".err").string());
        Ran r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = ReadAll(dir / ".out");
        r.err = ReadAll(dir / ".err");
        std::filesystem::remove(dir / ".out");
        std::filesystem::remove(dir / ".err");
        return r;
    }

    // The names in the folder, sorted.
    std::vector<std::string> entries(const std::filesystem::path& where = {}) const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(where.empty() ? dir : where))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path dir;
    std::string locale; // LC_ALL for the runs; empty: the test's own
};

// The locales a shop may run the command in: numbers read the same in all.
inline const std::vector<std::string> kShopLocales = {"C.UTF-8", "ru_RU.UTF-8"};

} // namespace kiv::test
