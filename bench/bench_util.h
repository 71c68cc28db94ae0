#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <fcntl.h>
#include <stdlib.h>

namespace tcc::bench {

struct Measure {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system time: less swayed by other load
    double peakRssMb = 0;
};

// Runs fn in a forked child so that its peak memory is its own, and times it.
inline Measure MeasureInChild(const std::function<void()>& fn) {
    int fds[2];
    if (::pipe(fds) != 0) std::abort();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        auto start = std::chrono::steady_clock::now();
        fn();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (::write(fds[1], &seconds, sizeof seconds) != sizeof seconds) ::_exit(2);
        ::_exit(0);
    }
    ::close(fds[1]);
    Measure m;
    if (::read(fds[0], &m.seconds, sizeof m.seconds) != sizeof m.seconds) m.seconds = -1;
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "measured run failed\n");
        std::exit(1);
    }
    m.peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    m.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return m;
}

// A fresh folder under the system's temporary folder.
inline std::string FreshDir(const std::string& tag) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("tcc-bench-" + tag + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern;
}

inline void MakeEmptyFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    ::close(fd);
}

inline void PrintLine(const char* what, long n, const Measure& run, const Measure& baseline) {
    std::printf("%s n=%ld seconds=%.3f baseline_seconds=%.3f ratio=%.2f cpu_ratio=%.2f peak_rss_mb=%.0f\n", what, n,
                run.seconds, baseline.seconds, run.seconds / baseline.seconds, run.cpuSeconds / baseline.cpuSeconds,
                run.peakRssMb);
    std::fflush(stdout);
}

// Rounds of each measurement; the best one counts.
inline constexpr int kRounds = 3;

// The faster of two measurements, with the higher peak memory of the two.
inline Measure KeepBest(const Measure& best, const Measure& now, int round) {
    if (round == 0) return now;
    Measure m = now.seconds < best.seconds ? now : best;
    m.peakRssMb = std::max(best.peakRssMb, now.peakRssMb);
    return m;
}

// One benchmark line: the best of kRounds alternating rounds of a command and
// of its baseline, each run on a fresh cache that make(n) builds and returns
// the root of. done(root) tells whether the command really did its work.
struct Comparison {
    std::function<std::string(long n)> make;
    std::function<void(const std::string& root)> command;
    std::function<bool(const std::string& root)> done;
    std::function<void(const std::string& root)> baseline;
};

inline void Compare(const char* what, long n, const Comparison& c) {
    Measure best, bestBaseline;
    for (int round = 0; round < kRounds; ++round) {
        // Files just made are written back first, so that the write-back
        // does not fall into either timed run.
        std::string a = c.make(n);
        ::sync();
        Measure run = MeasureInChild([&] { c.command(a); });
        if (!c.done(a)) {
            std::fprintf(stderr, "%s did not do its work\n", what);
            std::exit(1);
        }
        std::filesystem::remove_all(a);
        std::string b = c.make(n);
        ::sync();
        Measure baseline = MeasureInChild([&] { c.baseline(b); });
        std::filesystem::remove_all(b);
        best = KeepBest(best, run, round);
        bestBaseline = KeepBest(bestBaseline, baseline, round);
    }
    PrintLine(what, n, best, bestBaseline);
}

}  // namespace tcc::bench
