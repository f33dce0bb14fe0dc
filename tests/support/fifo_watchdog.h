// A reader that blocks on a named pipe would hang the test run. The watchdog
// waits beside it; when time runs out it opens the pipe for writing and closes
// it again, which ends the reader's wait with an empty read, and it remembers
// that it had to, so the test fails instead of hanging.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace kiv::test {

class FifoWatchdog {
public:
    FifoWatchdog(std::string fifo, std::chrono::milliseconds patience)
        : fifo_(std::move(fifo)), thread_([this, patience] { watch(patience); }) {}
    ~FifoWatchdog() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        woken_.notify_all();
        thread_.join();
    }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    // Whether the reader was still waiting when time ran out.
    bool fired() {
        std::lock_guard lock(mutex_);
        return fired_;
    }

private:
    void watch(std::chrono::milliseconds patience) {
        std::unique_lock lock(mutex_);
        if (woken_.wait_for(lock, patience, [this] { return stopped_; }))
            return;
        fired_ = true;
        // A non-blocking open for writing succeeds only while a reader waits
        // on the pipe; keep trying until one does or the test is over.
        while (!stopped_) {
            lock.unlock();
            const int fd = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            lock.lock();
        }
    }

    std::string fifo_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool stopped_ = false;
    bool fired_ = false;
    std::thread thread_; // last: starts once the members above exist
};

} // namespace kiv::test
