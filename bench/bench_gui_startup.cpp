// Time from process start to the main window shown with the keyboard
// arrived, and what start-up cost, of the program with one simulated
// keyboard (offscreen):
//   rss_MiB      resident memory when the keyboard arrived
//   settled_MiB  resident memory a second later (the keyboard's page and the
//                panel it shows built and painted)
//   cpu_ms       CPU time (all threads) until the keyboard arrived: the work
//                start-up does, which a busy machine does not stretch
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
#include <iterator>
#include <sstream>
#include <string>

#include "TemporaryFolder.h"

extern char** environ;

#ifndef IVRA_GUI_PATH
#define IVRA_GUI_PATH ""  // built without the user interface
#endif

namespace {

// User and system time of the whole process, in milliseconds.
double CpuMilliseconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t end = stat.rfind(')');
    if (end == std::string::npos) return 0;
    std::istringstream fields(stat.substr(end + 2));
    std::string field;
    long ticks = 0;
    // After the name: state is field 3, utime and stime are 14 and 15.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number >= 14) ticks += std::strtol(field.c_str(), nullptr, 10);
    }
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// Starts the program and waits (bounded) until it reports its window shown.
struct StartFigures {
    double seconds = 0;
    long rssKiB = 0;
    long settledKiB = 0;
    double cpuMs = 0;
};

// The program to start: IVRA_BENCH_GUI when set (to compare two builds),
// else the one built beside this benchmark.
const char* ProgramPath() {
    const char* chosen = std::getenv("IVRA_BENCH_GUI");
    return chosen != nullptr && *chosen != '\0' ? chosen : IVRA_GUI_PATH;
}

bool StartOnce(StartFigures& figures) {
    // A runtime folder of its own, so no running copy is asked to come forward.
    const ivra::sim::TemporaryFolder runtime("ivra-bench-runtime");
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    const char* program = ProgramPath();
    const char* argv[] = {program, "--simulate", "keyboard", "--debug", nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, const_cast<char**>(argv), environ);
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
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.rssKiB = ResidentKiB(pid);
    figures.cpuMs = CpuMilliseconds(pid);
    if (shown) {
        // Keep reading, so the program never blocks on a full pipe.
        const auto settled = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < settled) {
            pollfd fd{pipeFds[0], POLLIN, 0};
            if (::poll(&fd, 1, 50) <= 0) continue;
            char buffer[4096];
            if (::read(pipeFds[0], buffer, sizeof buffer) <= 0) break;
        }
        figures.settledKiB = ResidentKiB(pid);
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    ::close(pipeFds[0]);
    return shown;
}

void BM_StartUpToKeyboardShown(benchmark::State& state) {
    if (std::string(ProgramPath()).empty()) {
        state.SkipWithError("built without the user interface");
        return;
    }
    double rss = 0;
    double settled = 0;
    double cpu = 0;
    int runs = 0;
    for (auto _ : state) {
        StartFigures figures;
        if (!StartOnce(figures)) {
            state.SkipWithError("the program did not show its window");
            break;
        }
        state.SetIterationTime(figures.seconds);
        rss += static_cast<double>(figures.rssKiB) / 1024.0;
        settled += static_cast<double>(figures.settledKiB) / 1024.0;
        cpu += figures.cpuMs;
        ++runs;
    }
    if (runs == 0) return;
    state.counters["rss_MiB"] = rss / runs;
    state.counters["settled_MiB"] = settled / runs;
    state.counters["cpu_ms"] = cpu / runs;
}
BENCHMARK(BM_StartUpToKeyboardShown)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
