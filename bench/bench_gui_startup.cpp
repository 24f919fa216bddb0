// Time from process start to the main window shown, and resident memory
// after start-up, of the program with one simulated keyboard (offscreen).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "sim/TemporaryFolder.h"

extern char** environ;

#ifndef IVRA_GUI_PATH
#define IVRA_GUI_PATH ""  // built without the user interface
#endif

namespace {

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// Starts the program and waits (bounded) until it reports its window shown.
bool StartOnce(double& seconds, long& rssKiB) {
    // A runtime folder of its own, so no running copy is asked to come forward.
    const ivra::sim::TemporaryFolder runtime("ivra-bench-runtime");
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    const char* argv[] = {IVRA_GUI_PATH, "--simulate", "keyboard", "--debug", nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, IVRA_GUI_PATH, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) return false;

    std::string output;
    bool shown = false;
    const auto deadline = start + std::chrono::seconds(20);
    while (!shown && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (::poll(&fd, 1, 1000) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        output.append(buffer, static_cast<size_t>(n));
        // The window is shown once the keyboard has arrived on it.
        shown = output.find("添加一个键盘设备") != std::string::npos;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rssKiB = ResidentKiB(pid);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    ::close(pipeFds[0]);
    return shown;
}

void BM_StartUpToKeyboardShown(benchmark::State& state) {
    long rss = 0;
    if (std::string(IVRA_GUI_PATH).empty()) {
        state.SkipWithError("built without the user interface");
        return;
    }
    for (auto _ : state) {
        double seconds = 0;
        if (!StartOnce(seconds, rss)) {
            state.SkipWithError("the program did not show its window");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["rss_MiB"] = static_cast<double>(rss) / 1024.0;
}
BENCHMARK(BM_StartUpToKeyboardShown)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
