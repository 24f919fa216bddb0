// CPU cost of one scan pass: with no device present (every pass enumerates)
// and with every slot bound (a pass is one presence probe per slot).
#include <benchmark/benchmark.h>

#include <memory>

#include "discovery/DeviceScanThread.h"
#include "base/UiLoop.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "SimReceiver.h"

namespace {

using namespace ivra;

class IgnoreSlotEvents final : public ISlotEvents {
public:
    void OnSlotBound(int) override {}
    void OnSlotReleased(int) override {}
    void OnFirstPassDone() override {}
    void OnAccessDenied(const DeviceSlot&) override {}
};

DeviceCatalogue CableAndReceiverCatalogue() {
    using sim::kKeyboardProductId;
    using sim::kKeyboardVendorId;
    using sim::kReceiverProductId;
    std::vector<DeviceSlot> slots = {
        {kKeyboardVendorId, kKeyboardProductId, 1, 4, kind::kKeyboard, kRoleCommand, 0, 0xFF1C, 0x0092, 1, 2, {}},
        {kKeyboardVendorId, kKeyboardProductId, 1, 3, kind::kKeyboard, kRoleEvent, 0, 0x000C, 0x0001, 1, 3, {}},
        {kKeyboardVendorId,
         kReceiverProductId,
         1,
         4,
         kind::kKeyboardReceiver,
         kRoleCommand,
         0,
         0xFF1C,
         0x0092,
         1,
         0,
         {}},
        {kKeyboardVendorId, kReceiverProductId, 1, 3, kind::kKeyboardReceiver, kRoleEvent, 0, 0x000C, 0x0001, 1, 1, {}},
    };
    return DeviceCatalogue(std::move(slots), {}, {}, {});
}

void BM_ScanPassNoDevice(benchmark::State& state) {
    sim::SimHidBackend backend;
    const DeviceCatalogue catalogue = CableAndReceiverCatalogue();
    SlotList slots(catalogue.Slots());
    UiLoop owner;
    IgnoreSlotEvents events;
    DeviceScanThread scanner(backend, catalogue, slots, owner, events);
    for (auto _ : state) benchmark::DoNotOptimize(scanner.RunPass());
}
BENCHMARK(BM_ScanPassNoDevice);

// Other devices present, none served: enumeration and marker parsing only.
void BM_ScanPassUnservedDevicePresent(benchmark::State& state) {
    sim::SimHidBackend backend;
    backend.Plug(std::make_shared<sim::SimKeyboard>());
    const DeviceCatalogue catalogue = CableAndReceiverCatalogue();
    std::vector<DeviceSlot> rows = catalogue.Slots();
    for (DeviceSlot& row : rows) row.productId = 0x0001;
    const DeviceCatalogue other(std::move(rows), {}, {}, {});
    SlotList slots(other.Slots());
    UiLoop owner;
    IgnoreSlotEvents events;
    DeviceScanThread scanner(backend, other, slots, owner, events);
    for (auto _ : state) benchmark::DoNotOptimize(scanner.RunPass());
}
BENCHMARK(BM_ScanPassUnservedDevicePresent);

void BM_ScanPassEverySlotBound(benchmark::State& state) {
    sim::SimHidBackend backend;
    auto keyboard = std::make_shared<sim::SimKeyboard>();
    backend.Plug(keyboard);
    backend.Plug(std::make_shared<sim::SimReceiver>(keyboard));
    const DeviceCatalogue catalogue = CableAndReceiverCatalogue();
    SlotList slots(catalogue.Slots());
    UiLoop owner;
    IgnoreSlotEvents events;
    DeviceScanThread scanner(backend, catalogue, slots, owner, events);
    scanner.RunPass();
    if (slots.AnyFree()) state.SkipWithError("not every slot was bound");
    for (auto _ : state) benchmark::DoNotOptimize(scanner.RunPass());
}
BENCHMARK(BM_ScanPassEverySlotBound);

}  // namespace

BENCHMARK_MAIN();
