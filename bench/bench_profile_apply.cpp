// A full profile apply to the keyboard (settings record, macro image, key
// table: what choosing a profile sends) against the simulated keyboard with
// USB timing (every report 1 ms each way), compared with the least the
// protocol needs: the payload frames alone, one report each way apiece.
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "models/keys/MacroList.h"
#include "models/profile/DataLocations.h"
#include "models/profile/ProfileStore.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "TemporaryFolder.h"

namespace {

using namespace ivra;

constexpr int kRounds = 5;
constexpr int kMacros = 5;
constexpr int kEventsPerMacro = 20;
constexpr size_t kPayloadPerFrame = 56;

size_t Frames(size_t bytes) {
    return (bytes + kPayloadPerFrame - 1) / kPayloadPerFrame;
}

}  // namespace

int main() {
    sim::SimHidBackend backend;
    backend.SetInstantTimeouts(true);
    auto keyboard = std::make_shared<sim::SimKeyboard>();
    backend.Plug(keyboard);
    const std::string commandPath = backend.CollectionPath(sim::kKeyboardCommandInterface, 4);

    sim::TemporaryFolder root("ivra-bench");
    std::string error;
    const std::filesystem::path folder = EnsureKindDataFolder(root.Path(), "keyboard", error);
    ProfileStore store({folder, DefaultDataFile(IVRA_SOURCE_DIR, "keyboard"), 1});
    if (!store.LoadProfileList()) {
        std::fprintf(stderr, "no profile\n");
        return 1;
    }
    MacroList macros(folder);
    macros.Load();
    MacroEvent event;
    event.type = 10;
    event.button = 4;
    event.action = kActionDown;
    event.delay = 30;
    for (int m = 0; m < kMacros; ++m) {
        macros.Add();
        macros.SaveEvents(static_cast<size_t>(m), std::vector<MacroEvent>(kEventsPerMacro, event));
    }

    KestrelKeyboardDevice device(backend);
    DeviceDescription description;
    description.kindName = "keyboard";
    device.SetDescription(description);
    device.SetLedCount(126);
    device.Binding().SetDataRoots(root.Path().string(), IVRA_SOURCE_DIR);
    device.Binding().SetCurrentProfileId(store.CurrentProfileId());
    device.CommandTransport().Open(commandPath, TransportParams{false, 56});
    device.SyncOnConnect();
    device.StopEffectThread();
    backend.SetReportLatencyMs(1);

    const size_t imageBytes = 16 + 6 * kMacros + 4 * kMacros * kEventsPerMacro;
    const size_t keyTableBytes = 3 * static_cast<size_t>(device.KeyCount());
    const size_t leastFrames = 1 + Frames(imageBytes) + Frames(keyTableBytes);

    double totalMs = 0;
    uint64_t frames = 0;
    for (int round = 0; round < kRounds; ++round) {
        const uint64_t before = keyboard->Firmware().Counters().framesReceived;
        const auto start = std::chrono::steady_clock::now();
        const bool ok =
            device.WriteSettings(0, 0, 1, 0, 0) == 1 && device.WriteMacros() == 0 && device.WriteKeyAssignments(0);
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        frames += keyboard->Firmware().Counters().framesReceived - before;
        if (!ok) {
            std::fprintf(stderr, "apply failed\n");
            return 1;
        }
    }
    const double ms = totalMs / kRounds;
    const double framesPerApply = static_cast<double>(frames) / kRounds;
    std::printf("profile apply (settings, %d macros of %d events = %zu-byte image, %zu-byte key table), "
                "1 ms per report each way:\n",
                kMacros, kEventsPerMacro, imageBytes, keyTableBytes);
    std::printf("  measured: %.1f ms, %.0f frames (%.2f ms per frame)\n", ms, framesPerApply, ms / framesPerApply);
    std::printf("  least the protocol needs: %zu payload frames, %.0f ms at 2 ms per exchange\n", leastFrames,
                2.0 * static_cast<double>(leastFrames));
    std::printf("  the rest: session frames and information block reads (%.0f frames) and the fixed pauses\n"
                "  before the end-of-session and light-mode commands (10 ms each)\n",
                framesPerApply - static_cast<double>(leastFrames));
    return 0;
}
