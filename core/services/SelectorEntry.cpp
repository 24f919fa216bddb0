#include "services/SelectorEntry.h"

#include "drivers/KestrelUSBDevice.h"
#include "base/TimerService.h"
#include "base/DebugOutput.h"

namespace ivra {

SelectorEntry::SelectorEntry(KestrelUSBDevice& device, ITimerService& timers, ISelectorEntryHost& host)
    : device_(device), timers_(timers), host_(host) {
    if (device_.View() != nullptr) device_.View()->SetOnPageShown([this] { OnPageShown(); });
}

SelectorEntry::~SelectorEntry() {
    if (device_.View() != nullptr) device_.View()->SetOnPageShown({});
    timers_.KillTimers(this);
}

bool SelectorEntry::Open() const {
    return device_.CommandTransport().IsOpen();
}

bool SelectorEntry::OnReceiver() const {
    return device_.CommandTransport().ReceiverMode();
}

void SelectorEntry::StartTimer(int id, uint32_t ms) {
    if (id == entry_timer::kLightFrame) frameTimerSet_ = true;
    timers_.SetTimer(this, id, ms, [this, id] {
        switch (id) {
            case entry_timer::kLightFrame: OnLightFrameTimer(); break;
            case entry_timer::kConnect: OnConnectTimer(); break;
            case entry_timer::kReadBack: OnReadBackTimer(); break;
            case entry_timer::kPowerStatus: OnPowerStatusTimer(); break;
            case entry_timer::kLinkWatch: OnLinkWatchTimer(); break;
            default: break;
        }
    });
}

void SelectorEntry::KillTimer(int id) {
    timers_.KillTimer(this, id);
    if (id == entry_timer::kLightFrame) frameTimerSet_ = false;
}

void SelectorEntry::StopTimers() {
    timers_.KillTimers(this);
    frameTimerSet_ = false;
}

void SelectorEntry::StartLinkWatch(uint32_t ms) {
    if (Open()) StartTimer(entry_timer::kLinkWatch, ms);
}

void SelectorEntry::OnLightFrameReady() {
    framePending_ = true;
    if (!Open() || !device_.LightControlEnabled()) return;
    if (device_.View() != nullptr && !device_.View()->IsPageShowing()) return;
    // One timer paints every frame that comes before it fires.
    if (frameTimerSet_.exchange(true)) return;
    StartTimer(entry_timer::kLightFrame, entry_delay::kLightFrameRepaintMs);
}

void SelectorEntry::OnPageShown() {
    device_.OnPageShown();
    if (framePending_.load()) OnLightFrameReady();
}

void SelectorEntry::OnLightFrameTimer() {
    frameTimerSet_ = false;
    framePending_ = false;
    device_.PaintLightFrame();
}

void SelectorEntry::OnConnectTimer() {
    if (OnReceiver() && Open()) {
        if (!device_.QueryLink()) {
            failedLinkCount_ = (failedLinkCount_ + 1) % 20;
            if (Shown()) {
                SetVisible(false);
                host_.OnLinkState(*this, false);
            }
            StartTimer(entry_timer::kConnect, entry_delay::kLinkRetryMs);
            return;
        }
        host_.OnLinkState(*this, true);
    }
    device_.SyncOnConnect();
    host_.OnSynchronised(*this);
    failedLinkCount_ = 0;
    StartTimer(entry_timer::kLightFrame, entry_delay::kLightFrameCableMs);
    if (device_.Description().batteryPowered && Open()) {
        StartTimer(entry_timer::kPowerStatus, entry_delay::kFirstPowerStatusMs);
    }
    if (OnReceiver()) StartTimer(entry_timer::kLinkWatch, entry_delay::kLinkWatchStartMs);
}

void SelectorEntry::OnReadBackTimer() {
    device_.ReadBackSettings();
}

void SelectorEntry::OnPowerStatusTimer() {
    device_.RefreshPowerStatus();
    if (device_.Description().batteryPowered) StartTimer(entry_timer::kPowerStatus, entry_delay::kPowerStatusMs);
}

void SelectorEntry::OnLinkWatchTimer() {
    if (OnReceiver()) {
        const bool linked = device_.QueryLink();
        if (linked && !Shown()) {
            host_.OnLinkState(*this, true);
            if (device_.Description().batteryPowered) device_.RefreshPowerStatus();
            DebugLine(kLinkRegainedLine);
            // The device may have been switched off or reset while the link
            // was down: synchronise it again, which also restarts this watch.
            StartConnect();
            return;
        }
        if (!linked && Shown()) {
            host_.OnLinkState(*this, false);
            DebugLine(kLinkLostLine);
        }
        StartTimer(entry_timer::kLinkWatch, entry_delay::kLinkWatchMs);
    } else if (Open()) {
        DebugLine(kLinkWatchOnCableLine);
    }
}

}  // namespace ivra
