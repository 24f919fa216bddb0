// The keyboard's music effect: the keys follow the loudness of 25 frequency
// bands, in one of seven shapes chosen by the audio-light record's
// `AudioMode`.
//
// A band level L becomes a size t = 600 - L x 600 / 2000 (500 when that is
// negative), so silence gives 600 and a level of 2000 gives 0; a column's
// height is (700 - L x 600 / 2000) / 100 rows, and the keys of the column at
// that row index or below it (rows counted from the top) are reached.
// Levels are computed in 64 bits, and a negative level, which the sound
// reduction never produces, counts as silence.
//
// Each step consumes the stored band set (it is cleared afterwards, so
// without new data the bars fall and the keys fade out). A reached key gets
// fade 255, the others take the music fade step; a key with fade above 9 is
// drawn in the foreground colour (or its hue when `7ColorFlags` is set) at
// brightness x fade / 256, the others in the background colour at the full
// brightness level. Column ranges below are half-open: [first, end).
//
//  0  vertical bars: column c shows band (offset + 1 + c) mod 25; the offset
//     moves by one band every 31 steps (direction by `Fx`); hues advance by
//     2 from column to column and the base hue by 1 per step.
//  1  bars mirrored about column 11: for row r, with t from band
//     (offset + 3 + r) and t2 from band 2r, columns [((3t + 300) x 4) / 600,
//     11) and [11, 23 - ((t2 + 100) x 12) / 600) are reached; the offset
//     moves every step.
//  2  every key cycles its own hue (+7 per step) and fades; beats start
//     ripples from key 51 (see DetectBeat).
//  3  the diagonal grid as a rainbow: the base hue moves by 15 - S / 1000
//     per step, S being the sum of the 25 sizes, and grid row k takes base
//     hue + 7k at full brightness; keys off the grid show the background.
//  4  as 0 with the offset moving every 11 steps, and a peak per column: a
//     column without a peak makes its topmost reached key the peak, held
//     lit until the column's bottom key has faded below 10.
//  5  horizontal bars: the bands grouped in order as 1, 3, 4, 4, 5 and 7
//     bands for matrix rows 0..5; a row's level is its group's sum / 3, and
//     columns [0, 23 - (t + 100) x 23 / 600) are reached.
//  6  as 5 with u = t x 23 / 600: odd rows reach [0, 23 - u), even rows
//     [u, 23).
// Any other mode reaches nothing: the keys fade out.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "models/lighting/LightRecords.h"
#include "models/lighting/KeyboardEffectState.h"

namespace ivra::light {

constexpr size_t kAudioBands = 25;
using AudioBandLevels = std::array<int32_t, kAudioBands>;

// The key position where a detected beat starts a ripple.
constexpr uint8_t kBeatRipplePosition = 51;

class KeyboardMusicEffect {
public:
    KeyboardMusicEffect() { Restart(); }

    // Size and column height of a band level, as described above.
    static int64_t SizeOf(int64_t level);
    static int64_t ColumnHeightOf(int64_t level);

    // Starts the shapes afresh (offsets, hues, peaks); keeps the stored
    // levels and the beat accumulator.
    void Restart();

    // Keeps a band set until the next step consumes it.
    void StoreLevels(const AudioBandLevels& levels) { stored_ = levels; }

    // The beat detector, run on each band set while mode 2 shows: averages
    // the 25 sizes, adds 25 - average x 25 / 600 to an accumulator and
    // reports a beat (clearing the accumulator) when it exceeds 70. Silence
    // adds nothing; loud sound adds up to 25 per set.
    bool DetectBeat(const AudioBandLevels& levels);

    void Step(KeyboardEffectState& state, const LightInfo& record, const AudioLightInfo& audio,
              std::vector<uint32_t>& colours);

private:
    void VerticalBars(const AudioBandLevels& levels, KeyboardEffectState& state, bool forward, unsigned offsetEvery,
                      bool peaks);
    void MirroredBars(const AudioBandLevels& levels, KeyboardEffectState& state, bool forward);
    void OwnHueCycle(KeyboardEffectState& state);
    void GridRainbow(const AudioBandLevels& levels, const AudioLightInfo& audio, uint8_t bright,
                     std::vector<uint32_t>& colours);
    void HorizontalBars(const AudioBandLevels& levels, KeyboardEffectState& state, bool alternating);
    uint8_t ColumnHue(unsigned column) const;

    AudioBandLevels stored_{};
    int32_t beatAccumulator_ = 0;
    uint8_t offset_ = 0;
    uint8_t offsetSteps_ = 0;
    uint8_t baseHue_ = 0;
    std::array<uint8_t, kMatrixColumns> peaks_{};
};

}  // namespace ivra::light
