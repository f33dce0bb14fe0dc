// Work spread over the machine's cores, and the progress bar that watches it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

namespace kiv::cli {

// Runs `work(i)` for every i below `count` on `jobs` threads, counting each
// finished i in `done`.
template <class Work>
void OnAllCores(std::size_t count, unsigned jobs, Work&& work, std::atomic<std::size_t>& done) {
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            work(i);
            ++done;
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < jobs; ++t) {
        threads.emplace_back(worker);
    }
    worker();
    for (auto& t : threads) {
        t.join();
    }
}

// The progress bar on a terminal: rows done of all, rate, time left.
class Progress {
public:
    Progress(std::size_t total, const std::atomic<std::size_t>& done);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

private:
    void run();
    void draw();

    std::size_t total_;
    const std::atomic<std::size_t>& done_;
    bool shown_;
    std::atomic<bool> stop_{false};
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::thread thread_;
};

} // namespace kiv::cli
