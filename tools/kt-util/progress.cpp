// The progress line of long work (progress.h). Reading inside one library
// call is followed through /proc: the position of the descriptor that has
// the file open tells how far the reader has got.
#include "progress.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace ktutil {
namespace {

constexpr auto kDelay = std::chrono::milliseconds(250), kInterval = std::chrono::milliseconds(100);

// How far this process has read the file, by the first descriptor open on
// it; -1 when none is.
int64_t read_position(const std::string &real_path) {
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int64_t position = -1;
    while (dirent *e = readdir(dir)) {
        char target[PATH_MAX];
        std::string link = std::string("/proc/self/fd/") + e->d_name;
        ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0 || real_path.compare(0, std::string::npos, target, static_cast<size_t>(n)) != 0)
            continue;
        std::ifstream info(std::string("/proc/self/fdinfo/") + e->d_name);
        std::string label;
        if (info >> label >> position && label == "pos:")
            break;
        position = -1;
    }
    closedir(dir);
    return position;
}

} // namespace

Progress::Progress(std::string what, int64_t total, std::string unit, bool output_meanwhile)
    : what_(std::move(what)), unit_(std::move(unit)), total_(total),
      active_(isatty(STDERR_FILENO) && !(output_meanwhile && isatty(STDOUT_FILENO))), start_(Clock::now()) {}

Progress::~Progress() {
    stop_ = true;
    if (follower_.joinable())
        follower_.join();
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

void Progress::follow_reading(const std::string &path) {
    char resolved[PATH_MAX];
    struct stat st;
    if (!active_ || following_ || !realpath(path.c_str(), resolved) || stat(resolved, &st) != 0)
        return;
    total_ = st.st_size;
    following_ = true;
    follower_ = std::thread([this, real = std::string(resolved)] {
        while (!stop_) {
            std::this_thread::sleep_for(kInterval / 2);
            int64_t at = read_position(real);
            if (at >= 0)
                draw(at);
        }
    });
}

void Progress::draw(int64_t done) {
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    if (following_)
        lock.lock();
    Clock::time_point now = Clock::now();
    if (now - start_ < kDelay || now - last_ < kInterval)
        return;
    last_ = now;
    shown_ = true;
    std::string line = "\r" + what_ + ":";
    if (total_ > 0)
        line += " " + std::to_string(std::min<int64_t>(done, total_) * 100 / total_) + "%";
    if (!unit_.empty())
        line += " (" + std::to_string(done) + " of " + std::to_string(total_) + " " + unit_ + ")";
    std::fputs((line + "\033[K").c_str(), stderr);
    std::fflush(stderr);
}

} // namespace ktutil
