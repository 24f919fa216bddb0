#include "models/lighting/PerKeyOverlays.h"

#include <algorithm>

#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {

namespace {

constexpr uint8_t kModeBreathe = 0;
constexpr uint8_t kModeSteady = 1;
constexpr uint8_t kModeBlink = 2;
constexpr uint8_t kModeColourCycle = 3;
constexpr uint8_t kModeDark = 4;

constexpr unsigned kBreathLength = 128;
constexpr uint8_t kBlinkHueStep = 14;

Rgb RecordColour(const LightInfo& record) {
    return {record[perkey::kRed], record[perkey::kGreen], record[perkey::kBlue]};
}

}  // namespace

void PerKeyOverlays::SetList(std::vector<LightInfo> list, uint64_t nowMs) {
    std::lock_guard<std::mutex> guard(lock_);
    list_ = std::move(list);
    state_.assign(list_.size(), KeyState{});
    any_ = false;
    for (size_t i = 0; i < list_.size(); ++i) {
        state_[i].toggledAtMs = nowMs;
        if (list_[i][perkey::kPresent] != 0) any_ = true;
    }
    ticks_ = EffectTickCounter{};
    ticks_.Poll(nowMs);
}

bool PerKeyOverlays::HasAny() const {
    std::lock_guard<std::mutex> guard(lock_);
    return any_;
}

std::optional<uint64_t> PerKeyOverlays::NextChangeMs() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::optional<uint64_t> next;
    if (!any_) return next;
    auto earliest = [&next](uint64_t at) {
        if (!next || at < *next) next = at;
    };
    for (size_t p = 0; p < list_.size(); ++p) {
        const LightInfo& record = list_[p];
        if (record[perkey::kPresent] == 0) continue;
        switch (record[perkey::kMode]) {
            case kModeBreathe:
            case kModeColourCycle: earliest(TickStartMs(ticks_.LastTick() + 1)); break;
            case kModeBlink:
                earliest(state_[p].toggledAtMs + BlinkHalfPeriodMs(std::min<unsigned>(record[perkey::kSpeed], 4)));
                break;
            default: break;
        }
    }
    return next;
}

void PerKeyOverlays::Apply(std::vector<uint32_t>& colours, uint64_t nowMs) {
    std::lock_guard<std::mutex> guard(lock_);
    const bool tickChanged = ticks_.Poll(nowMs) != 0;
    if (!any_) return;
    const size_t count = std::min(list_.size(), colours.size());
    for (size_t p = 0; p < count; ++p) {
        const LightInfo& record = list_[p];
        if (record[perkey::kPresent] == 0) continue;
        KeyState& key = state_[p];
        const uint8_t bright = Bright(record[perkey::kBrightness]);
        const unsigned speed = std::min<unsigned>(record[perkey::kSpeed], 4);
        const bool multi = record[perkey::kMultiColor] != 0;
        switch (record[perkey::kMode]) {
            case kModeBreathe: {
                if (tickChanged) {
                    const unsigned phase = key.phase + speed + 4;
                    if (phase >= kBreathLength) {
                        key.phase = 0;
                        key.hue = HueAdvance(key.hue, 1);
                    } else {
                        key.phase = static_cast<uint8_t>(phase);
                    }
                }
                const Rgb colour = multi ? Hue(key.hue) : RecordColour(record);
                colours[p] = PackLed(colour, Scale(Curve128(key.phase), bright));
                break;
            }
            case kModeSteady: colours[p] = PackLed(RecordColour(record), bright); break;
            case kModeColourCycle:
                if (tickChanged && ++key.passes >= SpeedPasses(speed)) {
                    key.passes = 0;
                    key.hue = HueAdvance(key.hue, 1);
                }
                colours[p] = PackLed(Hue(key.hue), bright);
                break;
            case kModeBlink:
                if (nowMs - key.toggledAtMs >= BlinkHalfPeriodMs(speed)) {
                    key.lit = !key.lit;
                    key.toggledAtMs = nowMs;
                    const unsigned hue = key.hue + kBlinkHueStep;
                    key.hue = hue >= kHueWheelColours ? 0 : static_cast<uint8_t>(hue);
                }
                colours[p] = key.lit ? PackLed(multi ? Hue(key.hue) : RecordColour(record), bright) : 0;
                break;
            case kModeDark: colours[p] = 0; break;
            default: break;
        }
    }
}

}  // namespace ivra::light
