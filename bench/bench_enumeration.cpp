// CPU cost of one enumeration pass over a sysfs tree of 20 hidraw nodes, as
// the discovery scan makes every 100 ms while a slot is free.
#include <benchmark/benchmark.h>

#include "LinuxHidBackend.h"
#include "FakeSysfsTree.h"
#include "SimReportDescriptors.h"

namespace {

void BM_EnumerateTwentyNodes(benchmark::State& state) {
    ivra::sim::FakeSysfsTree tree;
    for (int node = 0; node < 20; ++node) {
        const bool commandInterface = node % 2 == 1;
        tree.AddNode(node, 0x320F, static_cast<uint16_t>(0x5000 + node / 2), commandInterface ? 1 : 0,
                     commandInterface ? ivra::sim::KeyboardInterface1Descriptor()
                                      : ivra::sim::KeyboardInterface0Descriptor());
    }
    ivra::LinuxHidBackend backend(tree.sysRoot(), tree.devRoot());
    std::vector<ivra::HidInterfaceEntry> entries;
    for (auto _ : state) {
        backend.Enumerate(entries);
        benchmark::DoNotOptimize(entries.data());
    }
    state.counters["collections"] = static_cast<double>(entries.size());
}
BENCHMARK(BM_EnumerateTwentyNodes)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
