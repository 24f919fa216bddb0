#include "drivers/LightState.h"

#include <algorithm>

namespace ivra {

void LightState::SetCount(int count) {
    const size_t size = static_cast<size_t>(std::max(count, 0));
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (size != colours_.size()) {
        colours_.resize(size);
        perLed_.resize(size);
    }
    std::fill(colours_.begin(), colours_.end(), 0u);
    std::fill(perLed_.begin(), perLed_.end(), LightInfo{});
}

int LightState::Count() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return static_cast<int>(colours_.size());
}

std::vector<uint32_t> LightState::Colours() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return colours_;
}

void LightState::SetColours(std::vector<uint32_t> colours) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    colours_ = std::move(colours);
}

void LightState::SetColour(int index, uint32_t colour) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (index >= 0 && static_cast<size_t>(index) < colours_.size()) colours_[static_cast<size_t>(index)] = colour;
}

uint32_t LightState::Colour(int index) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return index >= 0 && static_cast<size_t>(index) < colours_.size() ? colours_[static_cast<size_t>(index)] : 0;
}

std::vector<LightInfo> LightState::PerLedRecords() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return perLed_;
}

void LightState::SetPerLedRecords(std::vector<LightInfo> records) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    perLed_ = std::move(records);
}

LightInfo LightState::Record() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return record_;
}

void LightState::SetRecord(const LightInfo& record) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    record_ = record;
}

light::EffectStepState LightState::StepState() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return steps_;
}

void LightState::SetStepState(const light::EffectStepState& state) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    steps_ = state;
}

template <typename Step>
void LightState::RunStep(Step step) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    step(steps_);
}

void LightState::EffectStepBreathe() {
    RunStep([this](light::EffectStepState& s) { light::StepBreathe(s, colours_, record_); });
}

void LightState::EffectStepFourColourBreathe() {
    RunStep([this](light::EffectStepState& s) { light::StepFourColourBreathe(s, colours_, record_); });
}

void LightState::EffectStepStatic() {
    RunStep([this](light::EffectStepState&) { light::StepStatic(colours_, record_); });
}

void LightState::EffectStepHueCycle() {
    RunStep([this](light::EffectStepState& s) { light::StepHueCycle(s, colours_, record_); });
}

void LightState::EffectStepFlash() {
    const uint32_t now = StepClockMs();
    RunStep([this, now](light::EffectStepState& s) { light::StepFlash(s, colours_, record_, now); });
}

void LightState::EffectStepFourColourBlink() {
    const uint32_t now = StepClockMs();
    RunStep([this, now](light::EffectStepState& s) { light::StepFourColourBlink(s, colours_, record_, now); });
}

void LightState::EffectStepOff() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    light::StepOff(colours_);
}

}  // namespace ivra
