// Plays the scripts of simulated devices on a thread of its own, each step
// at its time from Start, against the backend the devices are plugged into.
// Stopping ends the waits at once.
#pragma once

#include <memory>
#include <vector>

#include "base/WorkerThread.h"
#include "base/Clock.h"
#include "SimScript.h"

namespace ivra::sim {

class SimDevice;
class SimHidBackend;

class SimScriptRunner {
public:
    SimScriptRunner(SimHidBackend& backend, IClock& clock = DefaultSystemClock());
    ~SimScriptRunner();

    void Add(std::shared_ptr<SimDevice> device, std::vector<SimScriptStep> steps);
    bool Start();
    void Stop();
    bool Finished() const;

    // Applies one step to a device now.
    static void Apply(SimHidBackend& backend, const std::shared_ptr<SimDevice>& device, const SimScriptStep& step);

private:
    struct Timed {
        std::shared_ptr<SimDevice> device;
        SimScriptStep step;
    };
    bool Pass();

    SimHidBackend& backend_;
    IClock& clock_;
    std::vector<Timed> steps_;
    size_t next_ = 0;
    uint64_t startMs_ = 0;
    std::atomic<bool> finished_{false};
    WorkerThread worker_;
};

}  // namespace ivra::sim
