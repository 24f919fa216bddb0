// The value tables every light effect shares: brightness levels, the hue
// wheel, the fixed colour lists, the breathing and twinkle curves and the
// speed tables. Lookups bound their index, so a level or phase taken from a
// device or a profile can never read past a table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ivra::light {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr size_t kLevelCount = 5;         // brightness and speed levels 0..4
constexpr size_t kHueWheelColours = 192;  // distinct hues, 0..191
constexpr size_t kHueTableSize = 256;     // 192..255 repeat 0..63
constexpr size_t kCurve128Size = 128;
constexpr size_t kCurve96Size = 96;
constexpr size_t kTwinkleSize = 192;

// Brightness level 0..4 to the brightness byte: 0, 50, 100, 200, 255.
// Levels above 4 read as 4.
uint8_t Bright(unsigned level);

// Hue-wheel entry h (0..255; 192..255 repeat 0..63).
Rgb Hue(uint8_t index);

// Hue step that skips 192..255: one step forward from 191 lands on 0, one
// step back from 0 lands on 191. `step` may be any size.
uint8_t HueAdvance(uint8_t index, int step);
// A hue index brought into 0..191 by adding 64 (mod 256) while it is above
// 191, as the effects that step by more than one do.
uint8_t HueWrap(unsigned index);

// The seven-colour breathing sequence (index taken modulo 7) and the
// four-colour list of the base breathing and blink steps (modulo 4).
Rgb SevenColour(unsigned index);
Rgb FourColour(unsigned index);

// Brightness factors 0..255 by phase; the phase is taken modulo the curve
// length.
uint8_t Curve128(unsigned phase);
uint8_t Curve96(unsigned phase);
uint8_t Twinkle(unsigned phase);

// Passes of the preview loop per step for the per-key colour cycle and the
// recorded steps, and the blink half period's factor: 28, 23, 18, 13, 7 by
// speed level (above 4 reads as 4).
uint8_t SpeedPasses(unsigned speed);
// Half period of the per-key and recorded blink: 200 ms x SpeedPasses.
uint32_t BlinkHalfPeriodMs(unsigned speed);

// value x brightness / 256, as every frame and effect scales a colour.
constexpr uint8_t Scale(unsigned value, unsigned brightness) {
    return static_cast<uint8_t>((value & 0xFF) * (brightness & 0xFF) / 256);
}

// A colour buffer entry: byte 0 red, 1 green, 2 blue, 3 brightness.
constexpr uint32_t PackLed(Rgb colour, uint8_t brightness) {
    return static_cast<uint32_t>(colour.red) | static_cast<uint32_t>(colour.green) << 8 |
           static_cast<uint32_t>(colour.blue) << 16 | static_cast<uint32_t>(brightness) << 24;
}
constexpr Rgb LedColour(uint32_t led) {
    return {static_cast<uint8_t>(led), static_cast<uint8_t>(led >> 8), static_cast<uint8_t>(led >> 16)};
}
constexpr uint8_t LedBrightness(uint32_t led) {
    return static_cast<uint8_t>(led >> 24);
}

}  // namespace ivra::light
