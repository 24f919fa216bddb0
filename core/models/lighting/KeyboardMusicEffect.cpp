#include "models/lighting/KeyboardMusicEffect.h"

#include <algorithm>

#include "models/lighting/EffectTables.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {

namespace {

constexpr uint8_t kNoPeak = 0xFF;
constexpr uint8_t kLitFade = 255;
constexpr uint8_t kBackgroundFade = 9;  // at or below: background colour
constexpr uint8_t kPeakClearFade = 10;
constexpr int32_t kBeatThreshold = 70;
constexpr unsigned kMirrorColumn = 11;
constexpr std::array<uint8_t, kMatrixRows> kRowGroups = {1, 3, 4, 4, 5, 7};

uint8_t NextBand(uint8_t band, bool forward) {
    const unsigned bands = kAudioBands;
    return static_cast<uint8_t>((band % bands + (forward ? 1 : bands - 1)) % bands);
}

int64_t Level(const AudioBandLevels& levels, size_t band) {
    return levels[band % kAudioBands];
}

void Reach(KeyboardEffectState& state, uint8_t position, bool reached) {
    state.fade[position] = reached ? kLitFade : MusicFadeDown(state.fade[position]);
}

}  // namespace

int64_t KeyboardMusicEffect::SizeOf(int64_t level) {
    const int64_t size = 600 - std::max<int64_t>(level, 0) * 600 / 2000;
    return size < 0 ? 500 : size;
}

int64_t KeyboardMusicEffect::ColumnHeightOf(int64_t level) {
    return (700 - std::max<int64_t>(level, 0) * 600 / 2000) / 100;
}

void KeyboardMusicEffect::Restart() {
    offset_ = 0;
    offsetSteps_ = 0;
    baseHue_ = 0;
    peaks_.fill(kNoPeak);
}

bool KeyboardMusicEffect::DetectBeat(const AudioBandLevels& levels) {
    int64_t sum = 0;
    for (int32_t level : levels) sum += SizeOf(level);
    const int64_t average = sum / static_cast<int64_t>(kAudioBands);
    beatAccumulator_ += static_cast<int32_t>(25 - average * 25 / 600);
    if (beatAccumulator_ <= kBeatThreshold) return false;
    beatAccumulator_ = 0;
    return true;
}

uint8_t KeyboardMusicEffect::ColumnHue(unsigned column) const {
    return HueAdvance(baseHue_, static_cast<int>(2 * column));
}

void KeyboardMusicEffect::Step(KeyboardEffectState& state, const LightInfo& record, const AudioLightInfo& audio,
                               std::vector<uint32_t>& colours) {
    const AudioBandLevels levels = stored_;
    stored_.fill(0);
    const bool forward = record[info::kFx] != 0;
    const uint8_t bright = Bright(record[info::kLight]);
    switch (audio[audio::kAudioMode]) {
        case 0: VerticalBars(levels, state, forward, 31, false); break;
        case 1: MirroredBars(levels, state, forward); break;
        case 2: OwnHueCycle(state); break;
        case 3: GridRainbow(levels, audio, bright, colours); return;
        case 4: VerticalBars(levels, state, forward, 11, true); break;
        case 5: HorizontalBars(levels, state, false); break;
        case 6: HorizontalBars(levels, state, true); break;
        default:
            for (uint8_t& fade : state.fade) fade = MusicFadeDown(fade);
            break;
    }
    const Rgb background{audio[audio::kBkColorR], audio[audio::kBkColorG], audio[audio::kBkColorB]};
    const Rgb foreground{audio[audio::kFgColorR], audio[audio::kFgColorG], audio[audio::kFgColorB]};
    const bool hues = audio[audio::k7ColorFlags] != 0;
    const size_t count = std::min(colours.size(), kKeyboardPositions);
    for (size_t p = 0; p < count; ++p) {
        const uint8_t fade = state.fade[p];
        colours[p] = fade > kBackgroundFade ? PackLed(hues ? Hue(state.hue[p]) : foreground, Scale(fade, bright))
                                            : PackLed(background, bright);
    }
}

void KeyboardMusicEffect::VerticalBars(const AudioBandLevels& levels, KeyboardEffectState& state, bool forward,
                                       unsigned offsetEvery, bool peaks) {
    if (++offsetSteps_ >= offsetEvery) {
        offsetSteps_ = 0;
        offset_ = NextBand(offset_, forward);
    }
    baseHue_ = HueAdvance(baseHue_, 1);
    for (unsigned column = 0; column < kMatrixColumns; ++column) {
        const int64_t height = ColumnHeightOf(Level(levels, offset_ + 1u + column));
        const uint8_t hue = ColumnHue(column);
        uint8_t topReached = kNoPeak;
        uint8_t bottom = kNoPosition;
        for (unsigned row = 0; row < kMatrixRows; ++row) {
            const uint8_t position = MatrixCell(column, row);
            if (position == kNoPosition) continue;
            const bool reached = static_cast<int64_t>(row) >= height;
            if (reached && topReached == kNoPeak) topReached = static_cast<uint8_t>(row);
            state.hue[position] = hue;
            Reach(state, position, reached);
            bottom = position;
        }
        if (!peaks || bottom == kNoPosition) continue;
        uint8_t& peak = peaks_[column];
        if (peak != kNoPeak && state.fade[bottom] < kPeakClearFade) peak = kNoPeak;
        if (peak == kNoPeak) peak = topReached;
        if (peak != kNoPeak) state.fade[MatrixCell(column, peak)] = kLitFade;
    }
}

void KeyboardMusicEffect::MirroredBars(const AudioBandLevels& levels, KeyboardEffectState& state, bool forward) {
    offset_ = NextBand(offset_, forward);
    baseHue_ = HueAdvance(baseHue_, 1);
    for (unsigned row = 0; row < kMatrixRows; ++row) {
        const int64_t t = SizeOf(Level(levels, offset_ + 3u + row));
        const int64_t t2 = SizeOf(Level(levels, 2u * row));
        const int64_t leftFirst = ((t * 3 + 300) * 4) / 600;
        const int64_t rightEnd = kMirrorColumn + 12 - ((t2 + 100) * 12) / 600;
        for (unsigned column = 0; column < kMatrixColumns; ++column) {
            const uint8_t position = MatrixCell(column, row);
            if (position == kNoPosition) continue;
            const auto x = static_cast<int64_t>(column);
            const bool reached = (x >= leftFirst && x < kMirrorColumn) || (x >= kMirrorColumn && x < rightEnd);
            state.hue[position] = ColumnHue(column);
            Reach(state, position, reached);
        }
    }
}

void KeyboardMusicEffect::OwnHueCycle(KeyboardEffectState& state) {
    state.ripples.ForEachLitKey([&](uint8_t position) { state.fade[position] = kLitFade; });
    state.ripples.Advance();
    for (size_t p = 0; p < kKeyboardPositions; ++p) {
        const unsigned hue = state.hue[p] + 7u;
        state.hue[p] = hue >= kHueWheelColours ? 0 : static_cast<uint8_t>(hue);
        state.fade[p] = MusicFadeDown(state.fade[p]);
    }
}

void KeyboardMusicEffect::GridRainbow(const AudioBandLevels& levels, const AudioLightInfo& audio, uint8_t bright,
                                      std::vector<uint32_t>& colours) {
    int64_t sum = 0;
    for (int32_t level : levels) sum += SizeOf(level);
    baseHue_ = HueAdvance(baseHue_, static_cast<int>(15 - sum / 1000));
    const Rgb background{audio[audio::kBkColorR], audio[audio::kBkColorG], audio[audio::kBkColorB]};
    const size_t count = std::min(colours.size(), kKeyboardPositions);
    std::fill(colours.begin(), colours.begin() + static_cast<std::ptrdiff_t>(count), PackLed(background, bright));
    for (size_t row = 0; row < kGridSize; ++row) {
        const uint32_t colour = PackLed(Hue(HueAdvance(baseHue_, static_cast<int>(7 * row))), bright);
        for (size_t column = 0; column < kGridSize; ++column) {
            const uint8_t position = GridCell(row, column);
            if (position < count) colours[position] = colour;
        }
    }
}

void KeyboardMusicEffect::HorizontalBars(const AudioBandLevels& levels, KeyboardEffectState& state, bool alternating) {
    baseHue_ = HueAdvance(baseHue_, 1);
    size_t band = 0;
    for (unsigned row = 0; row < kMatrixRows; ++row) {
        int64_t sum = 0;
        for (unsigned i = 0; i < kRowGroups[row]; ++i) sum += std::max<int64_t>(Level(levels, band++), 0);
        const int64_t t = SizeOf(sum / 3);
        int64_t first = 0;
        int64_t end = 23 - (t + 100) * 23 / 600;
        if (alternating) {
            const int64_t u = t * 23 / 600;
            if (row % 2 == 1) {
                end = 23 - u;
            } else {
                first = u;
                end = kMatrixColumns;
            }
        }
        for (unsigned column = 0; column < kMatrixColumns; ++column) {
            const uint8_t position = MatrixCell(column, row);
            if (position == kNoPosition) continue;
            const auto x = static_cast<int64_t>(column);
            state.hue[position] = ColumnHue(column);
            Reach(state, position, x >= first && x < end);
        }
    }
}

}  // namespace ivra::light
