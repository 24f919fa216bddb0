// A device's entry in the selector strip, as far as it drives the device:
// its visibility and selection state and the timers that synchronise the
// device on connection, repaint its light frames, re-read its settings on
// request, poll its power status and watch its receiver link.
//
// The light frame timer (1000) runs only when there is something to show:
// whoever produces a frame (the device's light thread) calls
// OnLightFrameReady, and while the page is seen the timer repaints it once,
// at most one display frame later; frames that come meanwhile are painted
// together. While the page is not seen (window hidden, minimised, another
// page) nothing is painted; the page is painted when it shows again.
// Streamed frames do not go through the timer: the light thread hands them
// to the device's stream sender.
//
// The GUI's entry control wraps one of these; ivractl and the tests use it
// bare. Every timer handler runs on the owner thread of the timer service;
// StartReadBack may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "drivers/DriverHost.h"

namespace ivra {

class KestrelUSBDevice;
class ITimerService;
class SelectorEntry;

namespace entry_timer {
constexpr int kLightFrame = 1000;
constexpr int kConnect = 1001;
constexpr int kReadBack = 1002;
constexpr int kPowerStatus = 1005;
constexpr int kLinkWatch = 1007;
}  // namespace entry_timer

namespace entry_delay {
constexpr uint32_t kConnectMs = 500;
constexpr uint32_t kLinkRetryMs = 3000;
// The first frame after a connection.
constexpr uint32_t kLightFrameCableMs = 5;
// How long a new frame waits for its repaint: one display frame, so the page
// repaints at most 60 times a second however often frames come.
constexpr uint32_t kLightFrameRepaintMs = 16;
constexpr uint32_t kReadBackMs = 50;
constexpr uint32_t kFirstPowerStatusMs = 50;
constexpr uint32_t kPowerStatusMs = 20000;
constexpr uint32_t kLinkWatchStartMs = 2000;
constexpr uint32_t kLinkWatchMs = 3000;
}  // namespace entry_delay

constexpr const char* kLinkRegainedLine = "2.4gcesvdfherhue  12312423 123342341";
constexpr const char* kLinkLostLine = "2.4gcesvdfherhue";
constexpr const char* kLinkWatchOnCableLine = "2.4gcesvdfherhue  12312423";

// Where an entry reports its device's link state (the 0x0D03 message) and
// its progress.
class ISelectorEntryHost {
public:
    virtual ~ISelectorEntryHost() = default;
    virtual void OnLinkState(SelectorEntry& entry, bool linked) = 0;
    // SyncOnConnect has run for the entry's device.
    virtual void OnSynchronised(SelectorEntry& /*entry*/) {}
};

class SelectorEntry : public IDriverHost {
public:
    SelectorEntry(KestrelUSBDevice& device, ITimerService& timers, ISelectorEntryHost& host);
    ~SelectorEntry();
    SelectorEntry(const SelectorEntry&) = delete;
    SelectorEntry& operator=(const SelectorEntry&) = delete;

    KestrelUSBDevice& Device() const { return device_; }

    int kind = 0;
    int variant = 0;
    int powerPanelIndex = -1;
    std::string powerSwitchName = "device_power_switch";

    bool Shown() const { return shown_.load(); }
    void SetVisible(bool show) { shown_ = show; }
    bool IsSelected() const { return selected_.load(); }
    void SetSelected(bool selected) { selected_ = selected; }
    int FailedLinkCount() const { return failedLinkCount_; }

    void StartTimer(int id, uint32_t ms);
    void KillTimer(int id);
    // Timer 1001 after an arrival or a switch to the cable.
    void StartConnect() { StartTimer(entry_timer::kConnect, entry_delay::kConnectMs); }
    // Timer 1002, asked for by the device's listener (any thread).
    void StartReadBack() override { StartTimer(entry_timer::kReadBack, entry_delay::kReadBackMs); }
    // Timer 1007 when the device's command transport is open.
    void StartLinkWatch(uint32_t ms);
    // Kills every timer of the entry (the device went away).
    void StopTimers();

    // A new light frame exists (any thread): repaint when the page is seen.
    void OnLightFrameReady() override;
    // The page came on screen again (owner thread): paint what it missed.
    void OnPageShown();

    // The timer handlers.
    void OnLightFrameTimer();
    void OnConnectTimer();
    void OnReadBackTimer();
    void OnPowerStatusTimer();
    void OnLinkWatchTimer();

private:
    bool Open() const;
    bool OnReceiver() const;

    KestrelUSBDevice& device_;
    ITimerService& timers_;
    ISelectorEntryHost& host_;
    std::atomic<bool> shown_{true};
    std::atomic<bool> selected_{false};
    int failedLinkCount_ = 0;
    std::atomic<bool> frameTimerSet_{false};
    std::atomic<bool> framePending_{false};  // a frame came while the page was not seen
};

}  // namespace ivra
