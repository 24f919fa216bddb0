// A HID backend for transport and channel tests: one node whose answers are
// scripted per written frame, with every write recorded.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "transport/CommandFrame.h"
#include "hid/HidBackend.h"

namespace ivra::test {

struct ScriptedDevice {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<uint8_t>> queue;  // input reports waiting to be read
    std::vector<Frame> written;
    std::vector<uint8_t> descriptor;
    HidAttributes attributes{0x320F, 0x506A, 0x0102};
    bool failWrites = false;
    int blockedReaders = 0;
    int reads = 0;
    // Called for each written frame, under the mutex; queues the answers.
    // The default answers every frame with its echo and status 0.
    std::function<void(const Frame& request, ScriptedDevice& device)> onWrite;

    void Push(std::vector<uint8_t> report);  // caller holds no lock
    size_t WrittenCount();
    // Waits until a reader is blocked in an infinite read.
    bool WaitForBlockedReader();
};

// An answer to `request`: command, length and offset echoed, status set.
Frame EchoAnswer(const Frame& request, uint8_t status = 0);

class ScriptedHidBackend final : public IHidBackend {
public:
    // With the simulated keyboard's command interface descriptor by default.
    ScriptedHidBackend();
    std::shared_ptr<ScriptedDevice> device = std::make_shared<ScriptedDevice>();
    std::string path = "/test/hidraw0#vid_320f&pid_506a&mi_01&col04#TEST";
    bool present = true;

    bool Enumerate(std::vector<HidInterfaceEntry>& out) override;
    std::unique_ptr<IHidNode> Open(const std::string& openPath, bool wantRead, bool wantWrite,
                                   HidOpenError& error) override;
    bool IsPresent(const std::string& openPath) override;
};

}  // namespace ivra::test
