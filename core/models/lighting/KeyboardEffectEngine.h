// The keyboard's software light effects: computes the 126-entry colour
// buffer (R | G << 8 | B << 16 | brightness << 24 per key position) that the
// page shows and, for music and screen colour, that is streamed to the
// keyboard.
//
// The device's effect thread makes one pass per 64 Hz effect tick at which
// something can change, and sleeps in between: Pass counts the ticks since
// the previous pass (EffectTicks.h), runs a step of the current effect when
// the effect's interval has passed (TickInterval), then lets the keys with a
// per-key record show their own effect (PerKeyOverlays.h). Effect indices
// other than 1..21, 29 and 30 play the recorded step list
// (RecordedStepPlayer.h) on every pass. NextChangeMs says when the next pass
// is due; it is empty while the picture cannot change without an input: a
// steady effect (1, 2, 20, 21, 30) once it has been painted, a reactive or
// music effect (4, 5, 6, 14, 15, 16, 29) once a step changed nothing and no
// ripple is under way, and steady or dark per-key records. Every input that
// can change the next pass (a record, a list, a key event the effect reacts
// to, music or screen data) calls onChange, so the thread can wake.
//
// Effects (B brightness level, S speed, D direction, M multicolour; "±1"
// moves forward when D is set; hue steps skip 192..255):
//   1 steady: M paints the 12 grid rows with hue 3 + 13r, else every key the
//     fixed colour.
//   2 column gradient: matrix column x at bright(B) x G[x] / 256; M: hue 18r
//     for matrix row r.
//   3 breathing: c ±1 through 0..127, the colour index c2 moving through the
//     seven-colour list each time c returns to 0; curve128(c).
//   4 reactive rise: pressed keys (fade 255, random hue) rise by 15, released
//     keys fall by 5.
//   5 ripple: each press starts a ring expanding from the key; lit keys fade.
//     Colour: seven-colour list[ripple counter] (M) or fixed; every key event
//     moves the counter on.
//   6 as 5, but the rings close inward onto the pressed key.
//   7 travelling wave: a ring from column 1, row 0 sweeps across the board
//     and starts again when it has left it.
//   8 rainbow along the order table (M: hue c + 5k; else curve96 at the same
//     offset).
//   9 diagonal rainbow: grid row r hue c + 7(r + 1).
//  10 sparkle: 6 keys per step, taken in turn from the shuffled table, light
//     with a random hue and fade.
//  11 column wave: curve96 at phase c + 1 + 16(x + 1).
//  12 row rainbow: matrix row r hue c + 1 + 24r.
//  13 twinkle: each key's phase +2 per step through the twinkle curve,
//     restarting at 192 with a random hue; phases staggered at the start.
//  14 dark ripple: every key lit; a key event starts a ring whose keys drop
//     to fade 1 and rise again with the rising fade step.
//  15 reactive fall: every key starts lit; a key event darkens the key
//     (fade 0, random hue); pressed keys fall by 15 towards 0, released
//     keys rise by 15 towards 255.
//  16 reactive fade: a press lights the key and starts a ripple; lit keys
//     fade.
//  17 twinkle over the order table, starting as a wave along it.
//  18 moving columns (M: hue c + 1 + 7x; else curve96 at that offset).
//  19 colour cycle: every key hue c.
//  20 off.
//  21 custom: only the brightness byte is set; the colours are the custom
//     group's, loaded by onCustomStart when the effect starts.
//  29 music (KeyboardMusicEffect.h), every 2 ticks.
//  30 screen colour: every key the colour last fed, every 2 ticks.
//
// Start patterns (run by Restart): every key i first gets hue 33(i + 1);
// then 7 starts its wave, 11 gives the keys of the order table hue 2(k + 1)
// (and, when the effect came from the device's read-back, staggered twinkle
// phases), 13 staggers the twinkle phases, 14 lights every key (fade 129)
// with hue 15(i + 1), 15 does the same at fade 255, 17 starts its wave of
// twinkles along the order table, 21 calls onCustomStart. The first step
// after a restart clears the buffer, so keys the new effect does not paint
// do not keep the old effect's colours (except for 21, whose colours are
// the loaded group).
//
// Threads: the effect thread calls Pass or Step; the UI thread sets the
// records and lists; the key listener thread calls OnKeyEvent. The effect
// state has one lock (held for one step; key events and restarts wait for
// it), the per-key list and the recorded list each their own. The colour
// buffer belongs to the caller. Nothing is allocated in Pass or Step.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "models/lighting/LightRecords.h"
#include "models/lighting/EffectRandom.h"
#include "models/lighting/EffectTicks.h"
#include "models/lighting/KeyboardEffectState.h"
#include "models/lighting/KeyboardMusicEffect.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/PerKeyOverlays.h"
#include "models/lighting/RecordedStepPlayer.h"
#include "base/Clock.h"

namespace ivra::light {

constexpr size_t kScreenColourBytes = 24;

// Key event types as the listener reports them.
constexpr int kKeyPressed = 1;
constexpr int kKeyReleased = 2;

class KeyboardEffectEngine {
public:
    explicit KeyboardEffectEngine(IClock& clock, uint32_t randomSeed = kDefaultEffectSeed);

    // Called by Restart (outside the engine's lock) when effect 21 starts:
    // the device loads the custom group into the colour buffer and uploads
    // it. Set it before the effect thread runs.
    std::function<void()> onCustomStart;
    // Called (outside the engine's locks, on the caller's thread) after an
    // input that may change what the next pass paints. Set it before the
    // effect thread runs.
    std::function<void()> onChange;

    // Takes the record's values; the effect runs on without a restart.
    void SetRecord(const LightInfo& record);
    // Takes the record, resets the effect state and runs the effect's start
    // pattern. `fromReadBack`: the effect came from the device's read-back.
    void Restart(const LightInfo& record, bool fromReadBack);
    // Restart when the effect index differs from the current one or is the
    // custom effect (which reloads its group), else SetRecord.
    void ApplyRecord(const LightInfo& record, bool fromReadBack);
    void SetAudioRecord(const AudioLightInfo& record);

    // Replaces the per-key effects (one record per position) and starts
    // them afresh.
    void SetPerKeyList(std::vector<LightInfo> list);
    // Replaces the recorded step list and plays it from its first step.
    void SetRecordedSteps(std::vector<RecordedStep> steps);

    // A key event (kKeyPressed / kKeyReleased) at a key position. Events at
    // positions without a key-matrix cell, and other types, are ignored.
    void OnKeyEvent(int position, int type);
    // Starts a ripple at the key's matrix cell (closing inward for effect
    // 6); ignored for positions without a cell.
    void StartRipple(int position);

    // The latest 25 band levels: kept until the next music step consumes
    // them; while the music effect shows mode 2 they also drive the beat
    // detector, whose beats start ripples at key 51.
    void FeedAudioSpectrum(const AudioBandLevels& levels);
    // The screen colour: bytes 0, 4 and 8 are red, green and blue; shorter
    // input leaves the rest of the stored bytes unchanged.
    void FeedScreenColours(std::span<const uint8_t> bytes);

    // One pass of the effect loop.
    void Pass(std::vector<uint32_t>& colours);
    // The clock time at which the next pass can paint something different;
    // 0 before the first pass; empty while nothing changes until an input.
    std::optional<uint64_t> NextChangeMs() const;
    // One step of the current effect, now (no tick counting, no overlays).
    void Step(std::vector<uint32_t>& colours);

    uint8_t EffectIndex() const;
    uint8_t StepCounter() const;       // c
    unsigned StepInterval() const;     // tick changes per step for the current effect and speed
    size_t RecordedStepIndex() const;  // the step the recorded list is at

private:
    void ResetLocked(bool fromReadBack);
    void StepLocked(std::vector<uint32_t>& colours, uint64_t nowMs, bool newTick);
    // After a step of Pass: whether the effect now rests until an input.
    bool SettledAfterStepLocked(const std::vector<uint32_t>& colours) const;
    void Changed();
    // True when the current effect reacts to the event.
    bool ReactLocked(uint8_t position, int type);
    void StartRippleLocked(uint8_t position);
    unsigned IntervalLocked() const;

    // The effects that need more than a few lines.
    void StepSteady(std::vector<uint32_t>& colours);
    void StepColumnGradient(std::vector<uint32_t>& colours);
    void StepBreathing(std::vector<uint32_t>& colours);
    void StepReactive(std::vector<uint32_t>& colours, int pressedStep, int releasedStep);
    void StepRipple(std::vector<uint32_t>& colours, bool restartWave);
    void StepOrderRainbow(std::vector<uint32_t>& colours);
    void StepDiagonalRainbow(std::vector<uint32_t>& colours);
    void StepSparkle(std::vector<uint32_t>& colours);
    void StepColumnWave(std::vector<uint32_t>& colours);
    void StepRowRainbow(std::vector<uint32_t>& colours);
    void StepTwinkle(std::vector<uint32_t>& colours, bool orderOnly);
    void StepDarkRipple(std::vector<uint32_t>& colours);
    void StepReactiveFade(std::vector<uint32_t>& colours);
    void StepMovingColumns(std::vector<uint32_t>& colours);
    void StepColourCycle(std::vector<uint32_t>& colours);
    void StepCustom(std::vector<uint32_t>& colours);
    void StepScreenColour(std::vector<uint32_t>& colours);

    void PaintFaded(std::vector<uint32_t>& colours, Rgb colour, bool keyHues);
    Rgb KeyColour(uint8_t position) const;

    IClock& clock_;

    mutable std::mutex stateLock_;
    LightInfo record_{};
    AudioLightInfo audio_{};
    KeyboardEffectState state_;
    KeyboardMusicEffect music_;
    std::array<uint8_t, kScreenColourBytes> screen_{};
    EffectTickCounter ticks_;
    EffectRandom random_;
    bool clearBeforeStep_ = false;
    bool settled_ = false;  // nothing changes until an input
    bool rested_ = false;   // the last step left the effect at rest (inputs do not clear it)
    // The keys before the last step, to see whether it changed anything.
    std::array<uint32_t, kKeyboardPositions> beforeStep_{};

    PerKeyOverlays overlays_;
    RecordedStepPlayer recorded_;
};

}  // namespace ivra::light
