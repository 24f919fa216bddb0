// The live light stream: the keyboard's effect thread paints a wave, the
// window's 5 ms frame timer pushes, the sender thread streams to the
// simulated keyboard. Prints the process CPU it costs and the frames per
// second that reach the keyboard, without and with USB timing (every report
// 1 ms each way), against what one 64-byte report per millisecond each way
// allows.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "models/lighting/LightRecordLayout.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"

namespace {

using namespace ivra;
using Clock = std::chrono::steady_clock;

constexpr auto kRunTime = std::chrono::seconds(5);
constexpr auto kPushPeriod = std::chrono::milliseconds(5);
constexpr uint8_t kColumnWave = 11;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Run(uint32_t latencyMs) {
    sim::SimHidBackend backend;
    backend.SetInstantTimeouts(true);
    auto keyboard = std::make_shared<sim::SimKeyboard>();
    backend.Plug(keyboard);
    KestrelKeyboardDevice device(backend);
    device.SetLedCount(126);
    device.CommandTransport().Open(backend.CollectionPath(sim::kKeyboardCommandInterface, 4),
                                   TransportParams{false, 56});
    device.SyncOnConnect();  // maps, and the effect thread
    LightInfo wave{};
    wave[light::info::kSelectItem] = kColumnWave;
    wave[light::info::kLight] = 4;
    wave[light::info::kSpeed] = 4;
    wave[light::info::kMultiColor] = 1;
    device.Effects().Restart(wave, false);
    device.SetStreamEveryEffect(true);
    device.SetLightControl(true);
    backend.SetReportLatencyMs(latencyMs);

    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    auto next = start;
    uint64_t pushes = 0;
    while (Clock::now() - start < kRunTime) {
        device.PushLightFrame();
        ++pushes;
        next += kPushPeriod;
        std::this_thread::sleep_until(next);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    device.Stream().Stop();
    const LightStreamCounters counters = device.Stream().Counters();
    const size_t chunks = (3 * static_cast<size_t>(device.KeyCount()) + 55) / 56;
    std::printf("latency %u ms each way: %.0f pushes/s, %.1f frames/s sent, %.1f/s replaced by newer frames, "
                "%.1f/s failed; process CPU %.1f %% of one core\n",
                latencyMs, static_cast<double>(pushes) / seconds, static_cast<double>(counters.sent) / seconds,
                static_cast<double>(counters.replaced) / seconds, static_cast<double>(counters.failed) / seconds,
                100.0 * cpu / seconds);
    if (latencyMs > 0) {
        std::printf("  a %zu-chunk frame needs %zu reports each way: at most %.0f frames/s when the reports of\n"
                    "  both ways overlap, %.0f frames/s with one exchange (out, then answer) at a time\n",
                    chunks, chunks, 1000.0 / static_cast<double>(chunks * latencyMs),
                    1000.0 / static_cast<double>(2 * chunks * latencyMs));
    }
}

}  // namespace

int main() {
    std::printf("column wave streamed to the simulated keyboard (108 LEDs), one push every 5 ms for 5 s\n");
    Run(0);
    Run(1);
    return 0;
}
