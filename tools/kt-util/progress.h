// Progress of long work, shown on standard error for someone watching a
// terminal: one line, redrawn at most ten times a second, that appears
// only once the work has taken a quarter of a second and is erased when
// the work ends. When standard error is not a terminal nothing at all is
// written, so logs and pipes see only the command's own messages; nor is
// anything written while the command's output goes to the same terminal.
#ifndef KT_TOOLS_KT_UTIL_PROGRESS_H
#define KT_TOOLS_KT_UTIL_PROGRESS_H

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace ktutil {

class Progress {
public:
    // `what` names the work ("sweep"), `total` counts its items and `unit`
    // names them ("points"; empty: only the share done is shown).
    // `output_meanwhile`: the command writes its output while it works, so
    // a terminal on standard output as well gets no progress line.
    Progress(std::string what, int64_t total, std::string unit, bool output_meanwhile);
    ~Progress();
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    // Called by the working loop with the items done so far.
    void update(int64_t done) {
        if (active_)
            draw(done);
    }
    // For work done inside one call: until this object goes, a thread
    // shows how far this process has read the file at `path`.
    void follow_reading(const std::string &path);

private:
    using Clock = std::chrono::steady_clock;
    void draw(int64_t done);

    std::string what_, unit_;
    int64_t total_;
    bool active_;
    Clock::time_point start_, last_{};
    bool shown_ = false;
    bool following_ = false; // set before the follower starts, then only read
    std::mutex mutex_;
    std::atomic<bool> stop_{false};
    std::thread follower_;
};

} // namespace ktutil

#endif
