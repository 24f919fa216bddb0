// The devices of the main window: one device object, view and selector
// entry per catalogue option row that the slot table can serve, built once;
// the slot list and the scan thread; and the handling, on the owner thread,
// of arrivals, removals, cable/receiver switching and link state changes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "discovery/DeviceCatalogue.h"
#include "transport/DeviceEventObserver.h"
#include "services/DeviceModelObserver.h"
#include "discovery/DeviceScanThread.h"
#include "drivers/DeviceView.h"
#include "drivers/KestrelUSBDevice.h"
#include "base/OwnerThread.h"
#include "services/SelectorEntry.h"
#include "services/SelectorStrip.h"
#include "discovery/SlotEvents.h"
#include "discovery/SlotList.h"
#include "base/TimerService.h"

namespace ivra {

// Receiver link query retries after a switch to the receiver.
constexpr int kReceiverLinkRetries = 25;
constexpr uint32_t kReceiverLinkRetryMs = 50;

class DeviceModel final : public ISlotEvents, public ISelectorEntryHost, public IDeviceEventObserver {
public:
    using DeviceFactory = std::function<std::unique_ptr<KestrelUSBDevice>(const DeviceOptionRow& option,
                                                                          IHidBackend& backend, IClock& clock)>;
    using ViewFactory =
        std::function<std::unique_ptr<IDeviceView>(const DeviceOptionRow& option, const DevicePageRow& page)>;

    struct Page {
        int optionRow = -1;
        std::unique_ptr<IDeviceView> view;
        std::unique_ptr<KestrelUSBDevice> device;
        std::unique_ptr<SelectorEntry> entry;
    };

    // `owner` and `timers` are usually one UiLoop. The default factories
    // build the kind's class and a headless view.
    DeviceModel(IHidBackend& backend, const DeviceCatalogue& catalogue, IOwnerThread& owner, ITimerService& timers,
                IClock& clock = DefaultSystemClock(), DeviceFactory deviceFactory = {}, ViewFactory viewFactory = {});
    ~DeviceModel() override;
    DeviceModel(const DeviceModel&) = delete;
    DeviceModel& operator=(const DeviceModel&) = delete;

    void SetObserver(IDeviceModelObserver* observer) { observer_ = observer; }

    // Where the devices find their data: the per-user data root and the
    // program folder (with "DefaultData/"). Set before BuildPages.
    void SetDataRoots(std::string userDataRoot, std::string programFolder) {
        userDataRoot_ = std::move(userDataRoot);
        programFolder_ = std::move(programFolder);
    }

    // Builds the pages and entries in option row order (entries hidden).
    void BuildPages();
    bool StartScan() { return scanner_.Start(); }
    void StopScan() { scanner_.Stop(); }

    const std::vector<Page>& Pages() const { return pages_; }
    // Sets every device's light control flag; turning it on also tells each
    // keyboard that the program drives its lights.
    void ApplyLightControl(bool on);
    // The page built from an option row, or null.
    Page* PageForOption(int optionRow);
    SlotList& Slots() { return slots_; }
    SelectorStrip& Strip() { return strip_; }
    DeviceScanThread& Scanner() { return scanner_; }

    // ISlotEvents (owner thread).
    void OnSlotBound(int index) override;
    void OnSlotReleased(int index) override;
    void OnFirstPassDone() override;
    void OnAccessDenied(const DeviceSlot& candidate) override;

    // ISelectorEntryHost (owner thread): the 0x0D03 message, identified by
    // the entry itself.
    void OnLinkState(SelectorEntry& entry, bool linked) override;
    void OnSynchronised(SelectorEntry& entry) override;

    // IDeviceEventObserver (listener threads).
    void OnDeviceEvent(KestrelUSBDevice& device, uint16_t code, bool receiverChannel) override;

private:
    void BuildPage(int optionRow);
    void PointerDeviceArrival(int index, const DeviceSlot& slot);
    void PadOrHeadsetArrival(const DeviceSlot& slot);
    void OpenEventChannels(const DeviceSlot& slot);
    void PointerDeviceRemoval(int index, const DeviceSlot& slot);
    void CloseCommandPath(const DeviceSlot& identity);
    void CloseEventChannels(const DeviceSlot& slot);
    void SwitchPath(Page& page, bool toCable, const DeviceSlot& target);
    // The record a page's identity is matched with: the partner's for a
    // receiver slot that has one.
    DeviceSlot IdentityRecordFor(const DeviceSlot& slot) const;
    Page* FindPage(const DeviceSlot& identity);
    std::vector<Page*> GroupPages(uint16_t deviceKind);
    void ShowArrivedEntry(Page& page);

    IHidBackend& backend_;
    const DeviceCatalogue& catalogue_;
    ITimerService& timers_;
    IClock& clock_;
    DeviceFactory deviceFactory_;
    ViewFactory viewFactory_;
    IDeviceModelObserver* observer_ = nullptr;
    SlotList slots_;
    std::vector<Page> pages_;
    SelectorStrip strip_;
    bool firstPassDone_ = false;
    std::string userDataRoot_;
    std::string programFolder_;
    DeviceScanThread scanner_;
};

}  // namespace ivra
