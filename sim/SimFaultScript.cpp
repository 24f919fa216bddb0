#include "SimFaultScript.h"

namespace ivra::sim {

namespace {

struct KindName {
    SimFaultKind kind;
    const char* name;
};

constexpr KindName kKindNames[] = {
    {SimFaultKind::NoAnswer, "noAnswer"},
    {SimFaultKind::StaleEcho, "staleEcho"},
    {SimFaultKind::Status, "status"},
    {SimFaultKind::ReceiverAnswer, "receiverAnswer"},
    {SimFaultKind::UnplugDuringRead, "unplugDuringRead"},
};

}  // namespace

const char* SimFaultKindName(SimFaultKind kind) {
    for (const KindName& k : kKindNames) {
        if (k.kind == kind) return k.name;
    }
    return "?";
}

std::optional<SimFaultKind> SimFaultKindFromName(const std::string& name) {
    for (const KindName& k : kKindNames) {
        if (name == k.name) return k.kind;
    }
    return std::nullopt;
}

void SimFaultScript::Add(const SimFault& fault) {
    std::lock_guard lock(mutex_);
    faults_.push_back(fault);
}

void SimFaultScript::Clear() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::vector<SimFault> SimFaultScript::Faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

SimFaultDecision SimFaultScript::OnFrame(uint8_t command) {
    std::lock_guard lock(mutex_);
    const uint32_t count = ++seen_[command];
    SimFaultDecision decision;
    for (const SimFault& fault : faults_) {
        if (fault.command != command) continue;
        if (fault.occurrence != 0 && fault.occurrence != count) continue;
        if (fault.kind == SimFaultKind::StaleEcho) {
            decision.staleEchoFirst = true;
        } else if (!decision.replacement) {
            decision.replacement = fault;
        }
    }
    return decision;
}

uint32_t SimFaultScript::Seen(uint8_t command) const {
    std::lock_guard lock(mutex_);
    const auto it = seen_.find(command);
    return it == seen_.end() ? 0 : it->second;
}

}  // namespace ivra::sim
