#pragma once
// Benchmarks that run programs as a user does: each run a fresh process timed
// from spawn to exit, with its CPU time and peak memory; its output file must
// be written for the run to count.

#include "benchutil.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace bench {

namespace fs = std::filesystem;

inline std::string readFile(const std::string &name)
{
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline std::optional<std::string> findOnPath(const std::string &name)
{
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (size_t from = 0; from <= dirs.size();) {
        size_t to = dirs.find(':', from);
        if (to == std::string::npos)
            to = dirs.size();
        const std::string candidate = (to > from ? dirs.substr(from, to - from) : ".") + '/' + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        from = to + 1;
    }
    return std::nullopt;
}

// One program and its arguments, with what its runs measured.
struct Command
{
    std::string label; // printed before the figures: what a user would type
    std::vector<std::string> argv; // argv[0] with its full path
    std::string output;
    std::string log; // its standard output and error
    std::vector<double> ms;
    std::vector<double> cpuMs; // user and system: less swayed than wall time by other work on the machine
    long peakKb = 0; // the largest maximum resident set of any run
    int lastExit = 0;
    bool failed = false;
};

inline double now()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The first run is a warm-up that fills the page cache for every program alike; it is not counted.
inline void run(Command &c, bool counted)
{
    // A file left by an earlier run must not pass for this run's output.
    std::remove(c.output.c_str());
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, c.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    std::vector<char *> argv;
    for (std::string &a : c.argv)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const double start = now();
    pid_t pid = 0;
    const int spawnError = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawnError != 0) {
        if (!c.failed)
            std::printf("  cannot start %s: %s\n", argv[0], std::strerror(spawnError));
        c.failed = true;
        return;
    }
    int status = 0;
    rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    const double ms = now() - start;

    std::error_code ec;
    const bool written = fs::file_size(c.output, ec) > 0 && !ec;
    if (!WIFEXITED(status) || !written) {
        if (!c.failed)
            std::printf("  FAILED: %s (%s); its output:\n%s\n", c.label.c_str(),
                        WIFEXITED(status) ? "no output file" : "killed by a signal", readFile(c.log).c_str());
        c.failed = true;
        return;
    }
    c.lastExit = WEXITSTATUS(status);
    if (counted) {
        c.ms.push_back(ms);
        c.cpuMs.push_back((usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
                          + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
        c.peakKb = std::max(c.peakKb, usage.ru_maxrss);
    }
}

inline Command command(std::vector<std::string> argv, const std::string &output, const std::string &name)
{
    Command c;
    for (size_t i = 0; i < argv.size(); ++i)
        c.label += (i ? " " : "") + (i ? argv[i] : fs::path(argv[i]).filename().string());
    c.argv = std::move(argv);
    c.output = output;
    c.log = name + ".log";
    return c;
}

} // namespace bench
