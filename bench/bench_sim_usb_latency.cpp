// The simulated keyboard with real USB timing (1 ms each way): what one
// command exchange and the connect-time reads of a 108-key keyboard cost
// when reports take as long on the wire as on a full-speed interrupt pipe.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "transport/DeviceTransport.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "SimKeyboardLayout.h"

namespace {

struct Rig {
    Rig() {
        backend.SetInstantTimeouts(true);
        backend.SetReportLatencyMs(1);
        backend.Plug(keyboard);
        transport.Open(backend.CollectionPath(ivra::sim::kKeyboardCommandInterface, 4),
                       ivra::TransportParams{false, 56});
        transport.SetKeyTableLength(3 * ivra::sim::kSimKeyboardKeys);
    }
    ivra::sim::SimHidBackend backend;
    std::shared_ptr<ivra::sim::SimKeyboard> keyboard = std::make_shared<ivra::sim::SimKeyboard>();
    ivra::DeviceTransport transport{backend};
};

void BM_ExchangeWithUsbLatency(benchmark::State& state) {
    Rig rig;
    for (auto _ : state) {
        if (rig.transport.BeginSession() != ivra::result::kSuccess) state.SkipWithError("exchange failed");
    }
}
BENCHMARK(BM_ExchangeWithUsbLatency)->Unit(benchmark::kMillisecond)->UseRealTime();

// Information block, key table (324 bytes: 6 frames) and LED map (2 frames).
void BM_ConnectReadsWithUsbLatency(benchmark::State& state) {
    Rig rig;
    std::vector<uint8_t> info(ivra::kInfoBlockSize);
    std::vector<uint8_t> table(3 * ivra::sim::kSimKeyboardKeys);
    std::vector<uint8_t> leds(ivra::sim::kSimKeyboardKeys);
    for (auto _ : state) {
        if (rig.transport.ReadInfoBlock(info.data()) != ivra::result::kSuccess ||
            rig.transport.ReadKeyTable(table.data()) != ivra::result::kSuccess ||
            rig.transport.ReadLedMap(leds.data()) != ivra::result::kSuccess) {
            state.SkipWithError("read failed");
        }
    }
}
BENCHMARK(BM_ConnectReadsWithUsbLatency)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
