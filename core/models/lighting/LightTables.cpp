#include "models/lighting/LightTables.h"

#include <algorithm>

namespace ivra::light {

namespace {

constexpr std::array<uint8_t, 5> kBrightness = {0, 50, 100, 200, 255};
constexpr std::array<uint8_t, 5> kSpeedPasses = {28, 23, 18, 13, 7};

constexpr std::array<uint8_t, 32> kRising = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                             44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                             140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kFalling = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                              114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                              29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

// The rising half of the 128-step breathing curve.
constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,  22,  24,  27,  30,  33,  36,
    39,  42,  45,  49,  53,  57,  61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129,
    134, 140, 146, 152, 158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// Twinkle: a quick rise, a long fall, then dark.
constexpr std::array<uint8_t, 25> kTwinkleRise = {0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120,
                                                  130, 140, 150, 158, 166, 175, 182, 191, 204, 220, 234, 255};
constexpr std::array<uint8_t, 64> kTwinkleFall = {
    248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182, 176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119,
    114, 109, 104, 99,  94,  89,  85,  81,  77,  73,  69,  65,  61,  57,  53,  49,  45,  42,  39,  36,  33,  30,
    27,  24,  22,  20,  18,  16,  14,  12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1,   0};

constexpr std::array<Rgb, 7> kSevenColours = {
    {{255, 0, 0}, {255, 96, 0}, {255, 255, 0}, {0, 255, 0}, {0, 255, 255}, {150, 0, 255}, {114, 193, 193}}};
constexpr std::array<Rgb, 4> kFourColours = {{{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

constexpr std::array<Rgb, kHueTableSize> MakeHueTable() {
    std::array<Rgb, kHueTableSize> table{};
    for (size_t i = 0; i < 32; ++i) {
        table[i] = {255, kRising[i], 0};         // red to yellow
        table[32 + i] = {kFalling[i], 255, 0};   // yellow to green
        table[64 + i] = {0, 255, kRising[i]};    // green to cyan
        table[96 + i] = {0, kFalling[i], 255};   // cyan to blue
        table[128 + i] = {kRising[i], 0, 255};   // blue to magenta
        table[160 + i] = {255, 0, kFalling[i]};  // magenta to red
    }
    for (size_t i = kHueWheelColours; i < kHueTableSize; ++i) table[i] = table[i - kHueWheelColours];
    return table;
}

constexpr std::array<uint8_t, kCurve128Size> MakeCurve128() {
    std::array<uint8_t, kCurve128Size> curve{};
    for (size_t i = 0; i < 64; ++i) {
        curve[i] = kBreathRise[i];
        curve[127 - i] = kBreathRise[i];
    }
    return curve;
}

constexpr std::array<uint8_t, kCurve96Size> MakeCurve96() {
    // The tail of the 128-step rise (from 22), then back down.
    std::array<uint8_t, kCurve96Size> curve{};
    for (size_t i = 0; i < 48; ++i) {
        curve[i] = kBreathRise[16 + i];
        curve[95 - i] = kBreathRise[16 + i];
    }
    return curve;
}

constexpr std::array<uint8_t, kTwinkleSize> MakeTwinkle() {
    std::array<uint8_t, kTwinkleSize> curve{};
    size_t at = 0;
    for (uint8_t value : kTwinkleRise) curve[at++] = value;
    for (uint8_t value : kTwinkleFall) curve[at++] = value;
    return curve;  // the rest stays dark
}

constexpr auto kHueTable = MakeHueTable();
constexpr auto kCurve128 = MakeCurve128();
constexpr auto kCurve96 = MakeCurve96();
constexpr auto kTwinkle = MakeTwinkle();

static_assert(kHueTable[0] == Rgb{255, 1, 0} && kHueTable[31] == Rgb{255, 255, 0} && kHueTable[63] == Rgb{0, 255, 0} &&
              kHueTable[95] == Rgb{0, 255, 255} && kHueTable[127] == Rgb{0, 0, 255} &&
              kHueTable[159] == Rgb{255, 0, 255} && kHueTable[191] == Rgb{255, 0, 0} &&
              kHueTable[255] == kHueTable[63]);
static_assert(kCurve96[0] == 22 && kCurve96[47] == 255 && kCurve96[95] == 22);

}  // namespace

uint8_t Bright(unsigned level) {
    return kBrightness[std::min<unsigned>(level, 4)];
}

Rgb Hue(uint8_t index) {
    return kHueTable[index];
}

uint8_t HueAdvance(uint8_t index, int step) {
    const int wheel = static_cast<int>(kHueWheelColours);
    int value = (static_cast<int>(HueWrap(index)) + step) % wheel;
    if (value < 0) value += wheel;
    return static_cast<uint8_t>(value);
}

uint8_t HueWrap(unsigned index) {
    unsigned value = index & 0xFF;
    while (value >= kHueWheelColours) value = (value + 64) & 0xFF;
    return static_cast<uint8_t>(value);
}

Rgb SevenColour(unsigned index) {
    return kSevenColours[index % kSevenColours.size()];
}
Rgb FourColour(unsigned index) {
    return kFourColours[index % kFourColours.size()];
}

uint8_t Curve128(unsigned phase) {
    return kCurve128[phase % kCurve128Size];
}
uint8_t Curve96(unsigned phase) {
    return kCurve96[phase % kCurve96Size];
}
uint8_t Twinkle(unsigned phase) {
    return kTwinkle[phase % kTwinkleSize];
}

uint8_t SpeedPasses(unsigned speed) {
    return kSpeedPasses[std::min<unsigned>(speed, 4)];
}
uint32_t BlinkHalfPeriodMs(unsigned speed) {
    return 200u * SpeedPasses(speed);
}

}  // namespace ivra::light
