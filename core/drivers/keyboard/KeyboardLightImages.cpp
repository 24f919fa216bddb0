#include "drivers/keyboard/KeyboardLightImages.h"

#include <algorithm>

#include "models/lighting/LightTables.h"

namespace ivra {

namespace {

template <typename ColourOf>
void Pack(const std::vector<uint32_t>& colours, const KeyPositionMaps& maps, int keyCount, std::vector<uint8_t>& out,
          ColourOf colourOf) {
    const size_t size = 3 * static_cast<size_t>(std::max(keyCount, 0));
    out.assign(size, 0);
    const size_t positions = std::min(colours.size(), maps.led.size());
    for (size_t p = 0; p < positions; ++p) {
        const size_t led = maps.led[p];
        if (led == kNoDeviceKey || 3 * led + 2 >= size) continue;
        const light::Rgb colour = colourOf(colours[p]);
        out[3 * led] = colour.red;
        out[3 * led + 1] = colour.green;
        out[3 * led + 2] = colour.blue;
    }
}

}  // namespace

void PackStreamFrame(const std::vector<uint32_t>& colours, const KeyPositionMaps& maps, int keyCount,
                     std::vector<uint8_t>& frame) {
    Pack(colours, maps, keyCount, frame, [](uint32_t led) {
        const light::Rgb colour = light::LedColour(led);
        const uint8_t brightness = light::LedBrightness(led);
        return light::Rgb{light::Scale(colour.red, brightness), light::Scale(colour.green, brightness),
                          light::Scale(colour.blue, brightness)};
    });
}

void PackGroupImage(const std::vector<uint32_t>& colours, const KeyPositionMaps& maps, int keyCount,
                    std::vector<uint8_t>& image) {
    Pack(colours, maps, keyCount, image, [](uint32_t led) { return light::LedColour(led); });
}

}  // namespace ivra
