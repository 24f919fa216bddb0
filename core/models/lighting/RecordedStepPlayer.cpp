#include "models/lighting/RecordedStepPlayer.h"

#include <algorithm>

#include "models/lighting/LightTables.h"

namespace ivra::light {

namespace {

constexpr uint8_t kModeBreathe = 0;
constexpr uint8_t kModeSteady = 1;
constexpr uint8_t kModeBlink = 2;
constexpr uint8_t kModeFlowing = 4;
constexpr uint8_t kModeColourCycle = 5;

constexpr unsigned kBreathLength = 128;
constexpr int kBreathHueStep = 16;
constexpr uint8_t kBlinkHueStep = 14;
constexpr unsigned kFlowingHueSpacing = 12;

void Fill(std::vector<uint32_t>& colours, uint32_t value) {
    std::fill(colours.begin(), colours.end(), value);
}

bool AnimatedMode(uint8_t mode) {
    return mode == kModeBreathe || mode == kModeBlink || mode == kModeFlowing || mode == kModeColourCycle;
}

}  // namespace

void RecordedStepPlayer::SetSteps(std::vector<RecordedStep> steps, uint64_t nowMs) {
    std::lock_guard<std::mutex> guard(lock_);
    steps_ = std::move(steps);
    index_ = 0;
    stepStartMs_ = nowMs;
    passes_ = 0;
    phase_ = 0;
    hue_ = 0;
    lit_ = true;
    toggledAtMs_ = nowMs;
    painted_ = false;
}

size_t RecordedStepPlayer::CurrentStep() const {
    std::lock_guard<std::mutex> guard(lock_);
    return index_;
}

size_t RecordedStepPlayer::StepCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return steps_.size();
}

bool RecordedStepPlayer::Animates() const {
    std::lock_guard<std::mutex> guard(lock_);
    return std::any_of(steps_.begin(), steps_.end(), [](const RecordedStep& step) { return AnimatedMode(step.mode); });
}

std::optional<uint64_t> RecordedStepPlayer::NextChangeMs(uint64_t nextTickMs) const {
    std::lock_guard<std::mutex> guard(lock_);
    if (steps_.empty()) return painted_ ? std::nullopt : std::optional<uint64_t>(nextTickMs);
    if (!painted_) return nextTickMs;
    for (const RecordedStep& step : steps_) {
        if (AnimatedMode(step.mode)) return nextTickMs;
    }
    if (steps_.size() == 1) return std::nullopt;
    const size_t index = index_ < steps_.size() ? index_ : 0;
    return std::max(nextTickMs, stepStartMs_ + steps_[index].timeMs);
}

void RecordedStepPlayer::Play(std::vector<uint32_t>& colours, uint64_t nowMs, bool newTick) {
    std::lock_guard<std::mutex> guard(lock_);
    if (steps_.empty()) {
        Fill(colours, 0);
        painted_ = true;
        return;
    }
    if (index_ >= steps_.size()) index_ = 0;
    const RecordedStep step = steps_[index_];
    Paint(step, colours, nowMs, newTick);
    painted_ = true;
    if (nowMs - stepStartMs_ >= step.timeMs) {
        painted_ = index_ == (index_ + 1) % steps_.size();
        index_ = (index_ + 1) % steps_.size();
        stepStartMs_ = nowMs;
    }
}

void RecordedStepPlayer::Paint(const RecordedStep& step, std::vector<uint32_t>& colours, uint64_t nowMs, bool newTick) {
    const uint8_t bright = Bright(step.brightness);
    const bool forward = step.direction != 0;
    const bool multi = step.multiColor != 0;
    bool move = false;
    if (step.mode == kModeBreathe || step.mode == kModeFlowing || step.mode == kModeColourCycle) {
        if (newTick && ++passes_ >= SpeedPasses(step.speed)) {
            passes_ = 0;
            move = true;
        }
    }
    switch (step.mode) {
        case kModeBreathe: {
            if (move) {
                phase_ =
                    static_cast<uint8_t>((phase_ % kBreathLength + (forward ? 1 : kBreathLength - 1)) % kBreathLength);
                if (phase_ == 0) hue_ = HueAdvance(hue_, kBreathHueStep);
            }
            Fill(colours, PackLed(multi ? Hue(hue_) : step.colour, Scale(Curve128(phase_), bright)));
            break;
        }
        case kModeSteady: Fill(colours, PackLed(step.colour, bright)); break;
        case kModeBlink:
            if (nowMs - toggledAtMs_ >= BlinkHalfPeriodMs(step.speed)) {
                lit_ = !lit_;
                toggledAtMs_ = nowMs;
                const unsigned hue = hue_ + kBlinkHueStep;
                hue_ = hue >= kHueWheelColours ? 0 : static_cast<uint8_t>(hue);
            }
            Fill(colours, lit_ ? PackLed(multi ? Hue(hue_) : step.colour, bright) : 0);
            break;
        case kModeFlowing: {
            if (move) hue_ = HueAdvance(hue_, forward ? 1 : -1);
            for (size_t i = 0; i < colours.size(); ++i) {
                const auto offset = static_cast<unsigned>((hue_ + kFlowingHueSpacing * i) % kHueWheelColours);
                colours[i] = multi ? PackLed(Hue(static_cast<uint8_t>(offset)), bright)
                                   : PackLed(step.colour, Scale(Curve96(offset), bright));
            }
            break;
        }
        case kModeColourCycle:
            if (move) hue_ = HueAdvance(hue_, forward ? 1 : -1);
            Fill(colours, PackLed(Hue(hue_), bright));
            break;
        default: Fill(colours, 0); break;
    }
}

}  // namespace ivra::light
