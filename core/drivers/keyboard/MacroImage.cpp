#include "drivers/keyboard/MacroImage.h"

namespace ivra {

namespace {

void Put16(std::vector<uint8_t>& image, size_t at, size_t value) {
    image[at] = static_cast<uint8_t>(value & 0xFF);
    image[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

size_t MacroImageSize(const std::vector<std::vector<MacroEvent>>& macros) {
    size_t size = kMacroImageHeaderSize + 6 * macros.size();
    for (const auto& events : macros) size += 4 * events.size();
    return size;
}

int MacroImageOverflow(size_t imageSize, size_t capacity) {
    if (imageSize <= capacity) return 0;
    return static_cast<int>((imageSize - capacity + 3) / 4);
}

std::vector<uint8_t> BuildMacroImage(const std::vector<std::vector<MacroEvent>>& macros) {
    const size_t total = MacroImageSize(macros);
    std::vector<uint8_t> image(total, 0);
    Put16(image, 0, kMacroImageMagic);
    Put16(image, 2, total);
    Put16(image, 4, macros.size());
    size_t block = kMacroImageHeaderSize + 2 * macros.size();
    for (size_t m = 0; m < macros.size(); ++m) {
        Put16(image, kMacroImageHeaderSize + 2 * m, block);
        Put16(image, block, macros[m].size());
        size_t at = block + 4;
        for (const MacroEvent& event : macros[m]) {
            const auto bytes = EventToDeviceEvent(event);
            for (uint8_t byte : bytes) image[at++] = byte;
        }
        block = at;
    }
    return image;
}

}  // namespace ivra
