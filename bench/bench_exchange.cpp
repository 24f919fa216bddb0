// Command exchanges per second against the simulated keyboard, with the
// transport's whole path (framing, locks, echo check, debug formatting off).
#include <benchmark/benchmark.h>

#include <memory>

#include "transport/DeviceTransport.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"

namespace {

struct Rig {
    Rig() {
        backend.SetInstantTimeouts(true);
        backend.Plug(keyboard);
        std::vector<ivra::HidInterfaceEntry> entries;
        backend.Enumerate(entries);
        for (const auto& e : entries) {
            if (e.collectionNumber == 4) transport.Open(e.path, ivra::TransportParams{false, 56});
        }
    }
    ivra::sim::SimHidBackend backend;
    std::shared_ptr<ivra::sim::SimKeyboard> keyboard = std::make_shared<ivra::sim::SimKeyboard>();
    ivra::DeviceTransport transport{backend};
};

void BM_SingleFrameExchange(benchmark::State& state) {
    Rig rig;
    for (auto _ : state) {
        if (rig.transport.BeginSession() != ivra::result::kSuccess) state.SkipWithError("exchange failed");
    }
    state.counters["exchanges/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SingleFrameExchange);

void BM_KeyTableRead(benchmark::State& state) {
    Rig rig;
    std::vector<uint8_t> table(512);
    for (auto _ : state) {
        if (rig.transport.ReadKeyTable(table.data()) != ivra::result::kSuccess) state.SkipWithError("read failed");
    }
    // 512 bytes in 56-byte chunks: ten exchanges per read.
    state.counters["exchanges/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 10, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_KeyTableRead);

}  // namespace

BENCHMARK_MAIN();
