#include "models/lighting/SameMode.h"

#include <array>
#include <cstddef>

#include "base/KindCodes.h"

namespace ivra::light {

namespace {

constexpr int kNone = -1;

// Effect index per common effect (0..4), by kind column.
constexpr std::array<int, 5> kKeyboardIndex = {3, 1, kNone, kNone, 20};
constexpr std::array<int, 5> kMouseLikeIndex = {2, 3, 4, 1, 8};  // mouse, mouse pad, headset

const std::array<int, 5>* ColumnFor(int deviceKind) {
    switch (deviceKind) {
        case kind::kKeyboard: return &kKeyboardIndex;
        case kind::kMouse:
        case kind::kMousePad:
        case kind::kHeadset: return &kMouseLikeIndex;
        default: return nullptr;
    }
}

}  // namespace

std::optional<int> CommonEffectFor(int deviceKind, unsigned effectIndex) {
    const auto* column = ColumnFor(deviceKind);
    if (column == nullptr) return std::nullopt;
    for (size_t c = 0; c < column->size(); ++c) {
        if ((*column)[c] != kNone && static_cast<unsigned>((*column)[c]) == effectIndex) return static_cast<int>(c);
    }
    return std::nullopt;
}

std::optional<unsigned> KindEffectFor(int deviceKind, int commonEffect) {
    const auto* column = ColumnFor(deviceKind);
    if (column == nullptr || commonEffect < 0 || static_cast<size_t>(commonEffect) >= column->size()) {
        return std::nullopt;
    }
    const int index = (*column)[static_cast<size_t>(commonEffect)];
    if (index == kNone) return std::nullopt;
    return static_cast<unsigned>(index);
}

}  // namespace ivra::light
