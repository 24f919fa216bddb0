#include "models/lighting/KeyboardEffectEngine.h"

#include <algorithm>

#include "models/lighting/EffectTables.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {

namespace {

constexpr uint8_t kLitFade = 255;
constexpr uint8_t kDarkRippleFade = 1;
constexpr uint8_t kDarkRippleStartFade = 129;
constexpr unsigned kClosingRingRadius = 6;
constexpr unsigned kSparklesPerStep = 6;
constexpr unsigned kTwinkleLength = 192;
constexpr unsigned kBreathLength = 128;
constexpr unsigned kCurve96Length = 96;
constexpr unsigned kHues = kHueWheelColours;

// Brightness factor per matrix column of the column gradient.
constexpr std::array<uint8_t, kMatrixColumns> kColumnGradient = {
    255, 250, 245, 240, 235, 230, 225, 220, 210, 200, 190, 180, 160, 150, 140, 130, 100, 80, 60, 40, 20, 10, 0};

// value one step on (forward) or back within 0..range-1.
uint8_t Cycle(uint8_t value, bool forward, unsigned range) {
    const unsigned current = value % range;
    return static_cast<uint8_t>(forward ? (current + 1) % range : (current + range - 1) % range);
}

uint8_t HueAt(unsigned index) {
    return static_cast<uint8_t>(index % kHues);
}

size_t KeyCount(const std::vector<uint32_t>& colours) {
    return std::min(colours.size(), kKeyboardPositions);
}

void Put(std::vector<uint32_t>& colours, uint8_t position, uint32_t value) {
    if (position < KeyCount(colours)) colours[position] = value;
}

void FillKeys(std::vector<uint32_t>& colours, uint32_t value) {
    std::fill(colours.begin(), colours.begin() + static_cast<std::ptrdiff_t>(KeyCount(colours)), value);
}

uint8_t Nudge(uint8_t fade, int by) {
    return static_cast<uint8_t>(std::clamp(fade + by, 0, 255));
}

// How an effect's picture moves without input.
enum class Motion {
    Animated,          // changes on every step
    SteadyAfterStep,   // one step paints it for good
    RestsWhenUnmoved,  // decays towards rest: still once a step changes nothing
    RippleRests,       // as RestsWhenUnmoved, and no ripple may be under way
};

Motion MotionOf(uint8_t effect) {
    switch (effect) {
        case 1:
        case 2:
        case 20:
        case kCustomEffect:
        case kScreenEffect: return Motion::SteadyAfterStep;
        case 4:
        case 15:
        case kMusicEffect: return Motion::RestsWhenUnmoved;
        case 5:
        case 6:
        case 14:
        case 16: return Motion::RippleRests;
        default: return Motion::Animated;
    }
}

}  // namespace

KeyboardEffectEngine::KeyboardEffectEngine(IClock& clock, uint32_t randomSeed) : clock_(clock), random_(randomSeed) {
    std::lock_guard<std::mutex> guard(stateLock_);
    ResetLocked(false);
}

void KeyboardEffectEngine::Changed() {
    if (onChange) onChange();
}

void KeyboardEffectEngine::SetRecord(const LightInfo& record) {
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        record_ = record;
        settled_ = false;
    }
    Changed();
}

void KeyboardEffectEngine::Restart(const LightInfo& record, bool fromReadBack) {
    bool custom = false;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        record_ = record;
        ResetLocked(fromReadBack);
        custom = record_[info::kSelectItem] == kCustomEffect;
    }
    if (custom && onCustomStart) onCustomStart();
    Changed();
}

void KeyboardEffectEngine::ApplyRecord(const LightInfo& record, bool fromReadBack) {
    bool restart = false;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        const uint8_t effect = record[info::kSelectItem];
        restart = effect != record_[info::kSelectItem] || effect == kCustomEffect;
    }
    if (restart) {
        Restart(record, fromReadBack);
    } else {
        SetRecord(record);
    }
}

void KeyboardEffectEngine::SetAudioRecord(const AudioLightInfo& record) {
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        audio_ = record;
        settled_ = false;
    }
    Changed();
}

void KeyboardEffectEngine::SetPerKeyList(std::vector<LightInfo> list) {
    overlays_.SetList(std::move(list), clock_.NowMs());
    {
        // The keys the old list painted show the effect again at its next step.
        std::lock_guard<std::mutex> guard(stateLock_);
        settled_ = false;
    }
    Changed();
}

void KeyboardEffectEngine::SetRecordedSteps(std::vector<RecordedStep> steps) {
    recorded_.SetSteps(std::move(steps), clock_.NowMs());
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        settled_ = false;
    }
    Changed();
}

void KeyboardEffectEngine::ResetLocked(bool fromReadBack) {
    state_.Reset();
    music_.Restart();
    ticks_.RestartCount();
    settled_ = rested_ = false;
    const uint8_t effect = record_[info::kSelectItem];
    clearBeforeStep_ = effect != kCustomEffect;

    auto staggerTwinkles = [this] {
        for (size_t i = 0; i < kKeyboardPositions; ++i) state_.phase[i] = static_cast<uint8_t>(i * 46 % kTwinkleLength);
    };
    for (size_t i = 0; i < kKeyboardPositions; ++i) state_.hue[i] = HueAt(33 * (i + 1));
    switch (effect) {
        case 7: state_.ripples.StartExpanding(1, 0); break;
        case 11:
            for (size_t k = 0; k < kOrderedKeys; ++k) state_.hue[OrderedKey(k)] = HueAt(2 * (k + 1));
            if (fromReadBack) staggerTwinkles();
            break;
        case 13: staggerTwinkles(); break;
        case 14:
        case 15:
            for (size_t i = 0; i < kKeyboardPositions; ++i) {
                state_.fade[i] = effect == 14 ? kDarkRippleStartFade : kLitFade;
                state_.hue[i] = HueAt(15 * (i + 1));
            }
            break;
        case 17:
            // A wave of twinkles running along the order table, in a rainbow.
            for (size_t k = 0; k < kOrderedKeys; ++k) {
                const uint8_t key = OrderedKey(k);
                state_.phase[key] = static_cast<uint8_t>((kTwinkleLength - k * 6 % kTwinkleLength) % kTwinkleLength);
                state_.hue[key] = HueAt(5 * k);
            }
            break;
        default: break;
    }
}

void KeyboardEffectEngine::OnKeyEvent(int position, int type) {
    if (type != kKeyPressed && type != kKeyReleased) return;
    if (!PlaceOf(position).valid) return;
    bool reacted = false;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        reacted = ReactLocked(static_cast<uint8_t>(position), type);
    }
    if (reacted) Changed();
}

void KeyboardEffectEngine::StartRipple(int position) {
    if (!PlaceOf(position).valid) return;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        StartRippleLocked(static_cast<uint8_t>(position));
        settled_ = false;
    }
    Changed();
}

bool KeyboardEffectEngine::ReactLocked(uint8_t position, int type) {
    const bool pressed = type == kKeyPressed;
    bool reacted = true;
    switch (record_[info::kSelectItem]) {
        case 4:
        case 15:
            state_.reaction[position] = static_cast<uint8_t>(type);
            state_.fade[position] = record_[info::kSelectItem] == 4 ? kLitFade : 0;
            state_.hue[position] = random_.Hue();
            break;
        case 5:
        case 6:
            state_.rippleCounter = static_cast<uint8_t>((state_.rippleCounter + 1) % 7);
            if (pressed) StartRippleLocked(position);
            break;
        case 14: StartRippleLocked(position); break;
        case 16:
            reacted = pressed;
            if (pressed) {
                state_.fade[position] = kLitFade;
                StartRippleLocked(position);
            }
            break;
        default: reacted = false; break;
    }
    if (reacted) settled_ = false;
    return reacted;
}

void KeyboardEffectEngine::StartRippleLocked(uint8_t position) {
    const MatrixPlace place = PlaceOf(position);
    if (!place.valid) return;
    if (record_[info::kSelectItem] == 6) {
        state_.ripples.StartClosing(place.column, place.row, kClosingRingRadius);
    } else {
        state_.ripples.StartExpanding(place.column, place.row);
    }
}

void KeyboardEffectEngine::FeedAudioSpectrum(const AudioBandLevels& levels) {
    bool shown = false;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        music_.StoreLevels(levels);
        shown = record_[info::kSelectItem] == kMusicEffect;
        if (shown && audio_[audio::kAudioMode] == 2 && music_.DetectBeat(levels)) {
            StartRippleLocked(kBeatRipplePosition);
        }
        if (shown) settled_ = false;
    }
    if (shown) Changed();
}

void KeyboardEffectEngine::FeedScreenColours(std::span<const uint8_t> bytes) {
    bool shown = false;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        std::copy_n(bytes.begin(), std::min(bytes.size(), screen_.size()), screen_.begin());
        shown = record_[info::kSelectItem] == kScreenEffect;
        if (shown) settled_ = false;
    }
    if (shown) Changed();
}

uint8_t KeyboardEffectEngine::EffectIndex() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return record_[info::kSelectItem];
}

uint8_t KeyboardEffectEngine::StepCounter() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return state_.c;
}

unsigned KeyboardEffectEngine::StepInterval() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return IntervalLocked();
}

size_t KeyboardEffectEngine::RecordedStepIndex() const {
    return recorded_.CurrentStep();
}

unsigned KeyboardEffectEngine::IntervalLocked() const {
    const uint8_t effect = record_[info::kSelectItem];
    return IsDrawnKeyboardEffect(effect) ? TickInterval(effect, record_[info::kSpeed]) : 0;
}

void KeyboardEffectEngine::Pass(std::vector<uint32_t>& colours) {
    const uint64_t now = clock_.NowMs();
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        const bool newTick = ticks_.Poll(now) != 0;
        const unsigned interval = IntervalLocked();
        // The steps the loop slept through while the effect rested would
        // have changed nothing; the next one comes when it would have. Only
        // the first pass after the rest does this: later ones count ticks
        // as they come, however late the loop wakes.
        if (rested_) {
            if (newTick) ticks_.KeepRhythm(interval, now);
            rested_ = false;
        }
        if (ticks_.TakeStepIfDue(interval)) {
            const size_t count = KeyCount(colours);
            std::copy_n(colours.begin(), count, beforeStep_.begin());
            StepLocked(colours, now, newTick);
            settled_ = rested_ = SettledAfterStepLocked(colours);
        }
    }
    overlays_.Apply(colours, now);
}

bool KeyboardEffectEngine::SettledAfterStepLocked(const std::vector<uint32_t>& colours) const {
    const uint8_t effect = record_[info::kSelectItem];
    // A list of still steps rests between the starts of its steps.
    if (!IsDrawnKeyboardEffect(effect)) return !recorded_.Animates();
    const Motion motion = MotionOf(effect);
    if (motion == Motion::Animated) return false;
    if (motion == Motion::SteadyAfterStep) return true;
    if (motion == Motion::RippleRests && !state_.ripples.Empty()) return false;
    return std::equal(colours.begin(), colours.begin() + static_cast<std::ptrdiff_t>(KeyCount(colours)),
                      beforeStep_.begin());
}

std::optional<uint64_t> KeyboardEffectEngine::NextChangeMs() const {
    std::optional<uint64_t> next;
    uint64_t nextTickMs = 0;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        if (!ticks_.HasReading()) return 0;
        nextTickMs = TickStartMs(ticks_.LastTick() + 1);
        const uint8_t effect = record_[info::kSelectItem];
        if (!settled_) {
            next = ticks_.DueMs(IntervalLocked());
        } else if (!IsDrawnKeyboardEffect(effect)) {
            // A list of still steps moves on to its next step at its time.
            next = recorded_.NextChangeMs(nextTickMs);
        }
    }
    if (const std::optional<uint64_t> overlay = overlays_.NextChangeMs()) {
        if (!next || *overlay < *next) next = overlay;
    }
    return next;
}

void KeyboardEffectEngine::Step(std::vector<uint32_t>& colours) {
    const uint64_t now = clock_.NowMs();
    std::lock_guard<std::mutex> guard(stateLock_);
    StepLocked(colours, now, true);
}

void KeyboardEffectEngine::StepLocked(std::vector<uint32_t>& colours, uint64_t nowMs, bool newTick) {
    if (clearBeforeStep_) {
        FillKeys(colours, 0);
        clearBeforeStep_ = false;
    }
    switch (record_[info::kSelectItem]) {
        case 1: StepSteady(colours); break;
        case 2: StepColumnGradient(colours); break;
        case 3: StepBreathing(colours); break;
        case 4: StepReactive(colours, 15, -5); break;
        case 5: StepRipple(colours, false); break;
        case 6: StepRipple(colours, false); break;
        case 7: StepRipple(colours, true); break;
        case 8: StepOrderRainbow(colours); break;
        case 9: StepDiagonalRainbow(colours); break;
        case 10: StepSparkle(colours); break;
        case 11: StepColumnWave(colours); break;
        case 12: StepRowRainbow(colours); break;
        case 13: StepTwinkle(colours, false); break;
        case 14: StepDarkRipple(colours); break;
        case 15: StepReactive(colours, -15, 15); break;
        case 16: StepReactiveFade(colours); break;
        case 17: StepTwinkle(colours, true); break;
        case 18: StepMovingColumns(colours); break;
        case 19: StepColourCycle(colours); break;
        case 20: FillKeys(colours, 0); break;
        case kCustomEffect: StepCustom(colours); break;
        case kMusicEffect: music_.Step(state_, record_, audio_, colours); break;
        case kScreenEffect: StepScreenColour(colours); break;
        default: recorded_.Play(colours, nowMs, newTick); break;
    }
}

Rgb KeyboardEffectEngine::KeyColour(uint8_t position) const {
    return record_[info::kMultiColor] != 0 ? Hue(state_.hue[position]) : FixedColour(record_);
}

void KeyboardEffectEngine::PaintFaded(std::vector<uint32_t>& colours, Rgb colour, bool keyHues) {
    const uint8_t bright = Bright(record_[info::kLight]);
    const size_t count = KeyCount(colours);
    for (size_t p = 0; p < count; ++p) {
        colours[p] = PackLed(keyHues ? Hue(state_.hue[p]) : colour, Scale(state_.fade[p], bright));
    }
}

void KeyboardEffectEngine::StepSteady(std::vector<uint32_t>& colours) {
    const uint8_t bright = Bright(record_[info::kLight]);
    if (record_[info::kMultiColor] == 0) {
        FillKeys(colours, PackLed(FixedColour(record_), bright));
        return;
    }
    for (size_t row = 0; row < kGridSize; ++row) {
        const uint32_t value = PackLed(Hue(HueAt(3 + 13 * row)), bright);
        for (size_t column = 0; column < kGridSize; ++column) Put(colours, GridCell(row, column), value);
    }
}

void KeyboardEffectEngine::StepColumnGradient(std::vector<uint32_t>& colours) {
    const uint8_t bright = Bright(record_[info::kLight]);
    const bool multi = record_[info::kMultiColor] != 0;
    for (size_t column = 0; column < kMatrixColumns; ++column) {
        const uint8_t brightness = Scale(kColumnGradient[column], bright);
        for (size_t row = 0; row < kMatrixRows; ++row) {
            const Rgb colour = multi ? Hue(HueAt(18 * row)) : FixedColour(record_);
            Put(colours, MatrixCell(column, row), PackLed(colour, brightness));
        }
    }
}

void KeyboardEffectEngine::StepBreathing(std::vector<uint32_t>& colours) {
    state_.c = Cycle(state_.c, record_[info::kFx] != 0, kBreathLength);
    if (state_.c == 0) state_.c2 = static_cast<uint8_t>((state_.c2 + 1) % 7);
    const Rgb colour = record_[info::kMultiColor] != 0 ? SevenColour(state_.c2) : FixedColour(record_);
    FillKeys(colours, PackLed(colour, Scale(Curve128(state_.c), Bright(record_[info::kLight]))));
}

void KeyboardEffectEngine::StepReactive(std::vector<uint32_t>& colours, int pressedStep, int releasedStep) {
    for (size_t p = 0; p < kKeyboardPositions; ++p) {
        if (state_.reaction[p] == kReactionPressed) state_.fade[p] = Nudge(state_.fade[p], pressedStep);
        if (state_.reaction[p] == kReactionReleased) state_.fade[p] = Nudge(state_.fade[p], releasedStep);
    }
    PaintFaded(colours, FixedColour(record_), record_[info::kMultiColor] != 0);
}

void KeyboardEffectEngine::StepRipple(std::vector<uint32_t>& colours, bool restartWave) {
    const bool multi = record_[info::kMultiColor] != 0;
    state_.ripples.ForEachLitKey([&](uint8_t position) {
        state_.fade[position] = kLitFade;
        if (multi) state_.hue[position] = random_.Hue();
    });
    state_.ripples.Advance();
    if (restartWave && state_.ripples.Empty()) {
        state_.ripples.StartExpanding(1, 0);
        state_.rippleCounter = static_cast<uint8_t>((state_.rippleCounter + 1) % 7);
    }
    for (uint8_t& fade : state_.fade) fade = FadeDown(fade);
    PaintFaded(colours, multi ? SevenColour(state_.rippleCounter) : FixedColour(record_), false);
}

void KeyboardEffectEngine::StepOrderRainbow(std::vector<uint32_t>& colours) {
    const bool forward = record_[info::kFx] != 0;
    const uint8_t bright = Bright(record_[info::kLight]);
    if (record_[info::kMultiColor] != 0) {
        state_.c = Cycle(state_.c, forward, kHues);
        for (size_t k = 0; k < kOrderedKeys; ++k) {
            Put(colours, OrderedKey(k), PackLed(Hue(HueAt(state_.c + 5 * k)), bright));
        }
        return;
    }
    state_.c = Cycle(state_.c, forward, kCurve96Length);
    for (size_t k = 0; k < kOrderedKeys; ++k) {
        Put(colours, OrderedKey(k), PackLed(FixedColour(record_), Scale(Curve96(state_.c + 5 * k), bright)));
    }
}

void KeyboardEffectEngine::StepDiagonalRainbow(std::vector<uint32_t>& colours) {
    state_.c = Cycle(state_.c, record_[info::kFx] != 0, kHues);
    const uint8_t bright = Bright(record_[info::kLight]);
    for (size_t row = 0; row < kGridSize; ++row) {
        const uint32_t value = PackLed(Hue(HueAt(state_.c + 7 * (row + 1))), bright);
        for (size_t column = 0; column < kGridSize; ++column) Put(colours, GridCell(row, column), value);
    }
}

void KeyboardEffectEngine::StepSparkle(std::vector<uint32_t>& colours) {
    for (unsigned i = 0; i < kSparklesPerStep; ++i) {
        const uint8_t key = OrderedKey(RandomOrderIndex(state_.c2 + i));
        state_.fade[key] = kLitFade;
        state_.hue[key] = random_.Hue();
    }
    state_.c2 = static_cast<uint8_t>((state_.c2 + kSparklesPerStep) % kRandomTableSize);
    for (uint8_t& fade : state_.fade) fade = FadeDown(fade);
    PaintFaded(colours, FixedColour(record_), record_[info::kMultiColor] != 0);
}

void KeyboardEffectEngine::StepColumnWave(std::vector<uint32_t>& colours) {
    state_.c = Cycle(state_.c, record_[info::kFx] != 0, kCurve96Length);
    const uint8_t bright = Bright(record_[info::kLight]);
    for (size_t column = 0; column < kMatrixColumns; ++column) {
        const uint8_t brightness = Scale(Curve96((state_.c + 1 + 16 * (column + 1)) % kCurve96Length), bright);
        for (size_t row = 0; row < kMatrixRows; ++row) {
            const uint8_t key = MatrixCell(column, row);
            if (key != kNoPosition) Put(colours, key, PackLed(KeyColour(key), brightness));
        }
    }
}

void KeyboardEffectEngine::StepRowRainbow(std::vector<uint32_t>& colours) {
    state_.c = Cycle(state_.c, record_[info::kFx] != 0, kHues);
    const uint8_t bright = Bright(record_[info::kLight]);
    for (size_t row = 0; row < kMatrixRows; ++row) {
        const uint32_t value = PackLed(Hue(HueAt(state_.c + 1 + 24 * row)), bright);
        for (size_t column = 0; column < kMatrixColumns; ++column) Put(colours, MatrixCell(column, row), value);
    }
}

void KeyboardEffectEngine::StepTwinkle(std::vector<uint32_t>& colours, bool orderOnly) {
    const uint8_t bright = Bright(record_[info::kLight]);
    auto twinkle = [&](uint8_t key) {
        unsigned phase = state_.phase[key] + 2u;
        if (phase >= kTwinkleLength) {
            phase = 0;
            state_.hue[key] = random_.Hue();
        }
        state_.phase[key] = static_cast<uint8_t>(phase);
        Put(colours, key, PackLed(KeyColour(key), Scale(Twinkle(phase), bright)));
    };
    if (orderOnly) {
        for (size_t k = 0; k < kOrderedKeys; ++k) twinkle(OrderedKey(k));
    } else {
        for (size_t p = 0; p < kKeyboardPositions; ++p) twinkle(static_cast<uint8_t>(p));
    }
}

void KeyboardEffectEngine::StepDarkRipple(std::vector<uint32_t>& colours) {
    state_.ripples.ForEachLitKey([&](uint8_t position) { state_.fade[position] = kDarkRippleFade; });
    state_.ripples.Advance();
    for (uint8_t& fade : state_.fade) fade = FadeUp(fade);
    PaintFaded(colours, FixedColour(record_), record_[info::kMultiColor] != 0);
}

void KeyboardEffectEngine::StepReactiveFade(std::vector<uint32_t>& colours) {
    state_.ripples.ForEachLitKey([&](uint8_t position) { state_.fade[position] = kLitFade; });
    state_.ripples.Advance();
    for (uint8_t& fade : state_.fade) fade = FadeDown(fade);
    PaintFaded(colours, FixedColour(record_), record_[info::kMultiColor] != 0);
}

void KeyboardEffectEngine::StepMovingColumns(std::vector<uint32_t>& colours) {
    const bool forward = record_[info::kFx] != 0;
    const bool multi = record_[info::kMultiColor] != 0;
    const uint8_t bright = Bright(record_[info::kLight]);
    state_.c = Cycle(state_.c, forward, multi ? kHues : kCurve96Length);
    for (size_t column = 0; column < kMatrixColumns; ++column) {
        const unsigned offset = state_.c + 1u + 7u * static_cast<unsigned>(column);
        const uint32_t value = multi ? PackLed(Hue(HueAt(offset)), bright)
                                     : PackLed(FixedColour(record_), Scale(Curve96(offset % kCurve96Length), bright));
        for (size_t row = 0; row < kMatrixRows; ++row) Put(colours, MatrixCell(column, row), value);
    }
}

void KeyboardEffectEngine::StepColourCycle(std::vector<uint32_t>& colours) {
    state_.c = Cycle(state_.c, record_[info::kFx] != 0, kHues);
    FillKeys(colours, PackLed(Hue(state_.c), Bright(record_[info::kLight])));
}

void KeyboardEffectEngine::StepCustom(std::vector<uint32_t>& colours) {
    const uint32_t brightness = static_cast<uint32_t>(Bright(record_[info::kLight])) << 24;
    const size_t count = KeyCount(colours);
    for (size_t p = 0; p < count; ++p) colours[p] = (colours[p] & 0x00FFFFFFu) | brightness;
}

void KeyboardEffectEngine::StepScreenColour(std::vector<uint32_t>& colours) {
    FillKeys(colours, PackLed({screen_[0], screen_[4], screen_[8]}, Bright(record_[info::kLight])));
}

}  // namespace ivra::light
