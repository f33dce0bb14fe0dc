#include "cli/AllCores.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace kiv::cli {

Progress::Progress(std::size_t total, const std::atomic<std::size_t>& done)
    : total_(total), done_(done), shown_(::isatty(STDERR_FILENO) == 1) {
    if (shown_) {
        thread_ = std::thread([this] { run(); });
    }
}

Progress::~Progress() {
    if (shown_) {
        stop_ = true;
        thread_.join();
        draw();
        std::fputs("\n", stderr);
    }
}

void Progress::run() {
    while (!stop_) {
        draw();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

void Progress::draw() {
    const std::size_t done = done_;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    const double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0;
    constexpr int kWidth = 30;
    const int filled =
        total_ == 0 ? kWidth : static_cast<int>(kWidth * static_cast<double>(done) /
                                                static_cast<double>(total_));
    std::fprintf(stderr, "\r[%s%s] %zu/%zu  %.0f шт/с  осталось %.0f с ",
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), done,
                 total_, rate, left);
}

} // namespace kiv::cli
