// ivractl device watch: runs discovery as the program does (scan thread,
// owner loop, selector entry timers) and prints arrivals, removals, link
// changes, switches and device events as they happen, until SIGINT or
// SIGTERM (or --for-ms). Simulated devices play their device file's script.
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "CommandContext.h"
#include "StopSignals.h"
#include "services/DeviceService.h"
#include "base/UiLoop.h"
#include "SimDevice.h"
#include "SimHidBackend.h"
#include "SimScriptRunner.h"
#include "SimulateOption.h"

namespace ivra::cli {
namespace {

constexpr const char* kWatchHelp = "Usage: ivractl device watch [--lights] [--for-ms N]\n"
                                   "\n"
                                   "Watches for supported devices arriving and leaving (one scan every 100 ms) and\n"
                                   "prints what happens: slots bound and released, entries shown and hidden,\n"
                                   "cable/receiver switches, receiver link changes, synchronisation and device\n"
                                   "events. Runs until Ctrl+C (SIGINT) or SIGTERM.\n"
                                   "\n"
                                   "  --lights     let the program drive the lights (off by default, so watching\n"
                                   "               runs no light thread and streams no light frames)\n"
                                   "  --for-ms N   stop by itself after N milliseconds\n";

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

class WatchPrinter final : public IDeviceModelObserver {
public:
    WatchPrinter(std::ostream& out, const DeviceCatalogue& catalogue)
        : out_(out), catalogue_(catalogue), start_(std::chrono::steady_clock::now()) {}

    void Line(const std::string& text) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
        char stamp[24];
        std::snprintf(stamp, sizeof stamp, "[%7lld ms] ", static_cast<long long>(ms));
        std::lock_guard<std::mutex> lock(mutex_);
        out_ << stamp << text << std::endl;
    }

    void OnSlotBound(int index, const DeviceSlot& slot) override {
        Line("arrived  " + SlotText(index, slot) + " " + slot.path);
    }
    void OnSlotReleased(int index, const DeviceSlot& slot) override { Line("removed  " + SlotText(index, slot)); }
    void OnEntryChanged(const SelectorEntry& entry, bool shown, bool selected) override {
        Line(std::string(shown ? "shown    " : "hidden   ") + entry.Device().Description().kindName +
             (shown && selected ? " (selected)" : ""));
    }
    void OnNoDeviceNotice(bool shown) override {
        if (shown) Line("no supported device present");
    }
    void OnLinkState(const SelectorEntry& entry, bool linked) override {
        Line("link     " + entry.Device().Description().kindName + (linked ? " linked" : " lost"));
    }
    void OnSynchronised(const SelectorEntry& entry) override {
        Line("synced   " + entry.Device().Description().kindName);
    }
    void OnCableSwitch(const KestrelUSBDevice& device, bool toCable, bool ok) override {
        Line("switch   " + device.Description().kindName + (toCable ? " to cable" : " to receiver") +
             (ok ? "" : " FAILED (the device stays closed)"));
    }
    void OnAccessDenied(const DeviceSlot& candidate) override {
        Line("denied   " + Hex4(candidate.vendorId) + ":" + Hex4(candidate.productId) + " interface " +
             std::to_string(candidate.interfaceNumber) + " collection " + std::to_string(candidate.collectionNumber) +
             " (" + candidate.path +
             "): permission denied. The device is not shown until you may open it: "
             "install udev/70-ivra-wireless-manager.rules as README.md describes, then "
             "unplug and plug the device in again.");
    }
    void OnDeviceEvent(const KestrelUSBDevice& device, uint16_t code, bool receiver) override {
        Line("event    " + device.Description().kindName + " 0x" + Hex4(code) +
             (receiver ? " (receiver)" : " (cable)"));
    }

private:
    std::string SlotText(int index, const DeviceSlot& slot) const {
        const int option = catalogue_.OptionRowForSlot(index);
        const std::string name = option >= 0 ? catalogue_.Options()[static_cast<size_t>(option)].kindName : "?";
        return "slot " + std::to_string(index) + " " + name + " " +
               (IsReceiverKind(slot.kind) ? "receiver " : "cable ") + (slot.role == kRoleEvent ? "events" : "commands");
    }

    std::mutex mutex_;
    std::ostream& out_;
    const DeviceCatalogue& catalogue_;
    const std::chrono::steady_clock::time_point start_;
};

}  // namespace

int RunDeviceWatch(CommandContext& context, const std::vector<std::string>& args) {
    bool lights = false;
    long long forMs = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help") {
            context.Out() << kWatchHelp;
            return kExitDone;
        }
        if (args[i] == "--lights") {
            lights = true;
        } else if (args[i] == "--for-ms" && i + 1 < args.size()) {
            try {
                forMs = std::stoll(args[++i]);
            } catch (const std::exception&) {
                forMs = -2;
            }
            if (forMs < 0) return UsageError(context, "device watch: --for-ms takes a number", kWatchHelp);
        } else {
            return UsageError(context, "device watch: unexpected argument \"" + args[i] + "\"", kWatchHelp);
        }
    }

    // Simulated devices are built here rather than taken from the context,
    // so that their scripts can be played.
    std::vector<std::shared_ptr<sim::SimDevice>> simDevices;
    std::unique_ptr<sim::SimHidBackend> simBackend;
    IHidBackend* backend = nullptr;
    if (context.Simulated()) {
        std::string error;
        if (!sim::BuildSimulatedDevices(context.Options().simulate, simDevices, error)) {
            context.Err() << "ivractl: " << error << "\n";
            return kExitUsage;
        }
        simBackend = std::make_unique<sim::SimHidBackend>();
        for (const auto& device : simDevices) simBackend->Plug(device);
        backend = simBackend.get();
    } else {
        backend = context.Backend();
        if (backend == nullptr) return kExitFailed;
    }

    // Blocked before any thread starts, so every thread inherits the mask.
    StopSignals stopSignals;

    WatchPrinter printer(context.Out(), context.Catalogue());
    {
        UiLoop loop;
        DeviceService service(context.Catalogue(), backend);
        DeviceModel& model = *service.BuildDevices(loop, loop, &printer);
        service.SetLightControlFlags(lights);
        printer.Line("watching " + std::to_string(model.Pages().size()) + " device page(s); Ctrl+C to stop");

        std::jthread loopThread([&loop](std::stop_token stop) { loop.Run(stop); });
        std::unique_ptr<sim::SimScriptRunner> runner;
        if (simBackend) {
            runner = std::make_unique<sim::SimScriptRunner>(*simBackend);
            for (const auto& device : simDevices) runner->Add(device, device->Script());
            runner->Start();
        }
        service.StartDiscovery();

        stopSignals.Wait(forMs);

        if (runner) runner->Stop();
        service.StopDiscovery();
        loopThread.request_stop();
        loopThread.join();
        model.SetObserver(nullptr);
    }
    printer.Line("stopped");
    return kExitDone;
}

}  // namespace ivra::cli
