#include "SimScriptRunner.h"

#include <algorithm>

#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "SimReceiver.h"

namespace ivra::sim {

SimScriptRunner::SimScriptRunner(SimHidBackend& backend, IClock& clock)
    : backend_(backend), clock_(clock), worker_("sim script ended", kDeviceThreadStopBoundMs) {}

SimScriptRunner::~SimScriptRunner() {
    Stop();
}

void SimScriptRunner::Add(std::shared_ptr<SimDevice> device, std::vector<SimScriptStep> steps) {
    for (const SimScriptStep& step : steps) steps_.push_back(Timed{device, step});
    std::stable_sort(steps_.begin(), steps_.end(),
                     [](const Timed& a, const Timed& b) { return a.step.atMs < b.step.atMs; });
}

bool SimScriptRunner::Start() {
    next_ = 0;
    finished_ = steps_.empty();
    if (steps_.empty()) return true;
    startMs_ = clock_.NowMs();
    return worker_.Start([this] { return Pass(); });
}

void SimScriptRunner::Stop() {
    worker_.Stop();
}

bool SimScriptRunner::Finished() const {
    return finished_.load();
}

bool SimScriptRunner::Pass() {
    const uint64_t elapsed = clock_.NowMs() - startMs_;
    const Timed& timed = steps_[next_];
    if (timed.step.atMs > elapsed) {
        return worker_.WaitMs(static_cast<uint32_t>(timed.step.atMs - elapsed));
    }
    Apply(backend_, timed.device, timed.step);
    if (++next_ < steps_.size()) return true;
    finished_ = true;
    return false;
}

void SimScriptRunner::Apply(SimHidBackend& backend, const std::shared_ptr<SimDevice>& device,
                            const SimScriptStep& step) {
    switch (step.action) {
        case SimScriptAction::Unplug: backend.Unplug(backend.IdOf(*device)); break;
        case SimScriptAction::Plug: backend.Plug(device); break;
        case SimScriptAction::Event:
            if (auto* keyboard = dynamic_cast<SimKeyboard*>(device.get())) {
                keyboard->EmitEvent(step.code);
            } else if (auto* receiver = dynamic_cast<SimReceiver*>(device.get())) {
                receiver->EmitEvent(step.code);
            }
            break;
        // What the user does on the keyboard itself.
        case SimScriptAction::KeyPress:
            if (auto* keyboard = dynamic_cast<SimKeyboard*>(device.get())) {
                keyboard->PressKey(step.key);
            }
            break;
        case SimScriptAction::KeyRelease:
            if (auto* keyboard = dynamic_cast<SimKeyboard*>(device.get())) {
                keyboard->ReleaseKey(step.key);
            }
            break;
        case SimScriptAction::DeviceSettings:
            if (auto* keyboard = dynamic_cast<SimKeyboard*>(device.get())) {
                keyboard->ChangeSettingsOnDevice(step.settings);
            }
            break;
        case SimScriptAction::Slot:
            if (auto* keyboard = dynamic_cast<SimKeyboard*>(device.get())) {
                keyboard->SwitchSlot(step.slot);
            }
            break;
        case SimScriptAction::LinkDown:
        case SimScriptAction::LinkUp: {
            const bool up = step.action == SimScriptAction::LinkUp;
            if (auto* receiver = dynamic_cast<SimReceiver*>(device.get())) {
                receiver->SetLinked(up);
            } else if (auto* keyboard = dynamic_cast<SimKeyboard*>(device.get())) {
                keyboard->Firmware().ModifyMemory([up](SimFirmwareMemory& memory) { memory.receiverLinked = up; });
            }
            break;
        }
    }
}

}  // namespace ivra::sim
