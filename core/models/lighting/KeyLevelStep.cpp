#include "models/lighting/KeyLevelStep.h"

namespace ivra {

uint8_t StepLevelDown(uint8_t level, int mode) {
    const int b = level;
    int next = 0;
    if (mode == 29) {
        if (b >= 128) next = b - 80;
        else if (b & 0x40) next = b - 50;
        else if (b & 0x20) next = b - 20;
        else if (b < 17) next = b == 0 ? 0 : b - 1;
        else next = b - 8;
    } else if (mode != 0) {
        if (b >= 128) next = b - 40;
        else if (b & 0x40) next = b - 30;
        else if (b & 0x20) next = b - 10;
        else if (b < 17) next = b == 0 ? 0 : b - 1;
        else next = b - 8;
    } else {
        if (b >= 128) next = b - 40;
        else if (b & 0x40) next = b - 30;
        else if (b & 0x20) next = b - 10;
        // Levels 1..3 stop at 0 instead of wrapping to 253..255.
        else if (b <= 16) next = b < 4 ? 0 : b - 4;
        else next = b - 8;
    }
    return static_cast<uint8_t>(next);
}

uint8_t StepLevelUp(uint8_t level, int fine) {
    const int b = level;
    int next = 0;
    if (fine != 0) {
        if (b >= 128) next = 255;
        else if (b & 0x40) next = b + 25;
        else if (b & 0x20) next = b + 20;
        else if (b > 16) next = b + 15;
        else if (b == 0) next = 0;
        else if (b < 9) next = b + 5;
        else next = b + 10;
    } else {
        if (b >= 128) next = b + 40;
        else if (b & 0x40) next = b + 30;
        else if (b & 0x20) next = b + 10;
        else if (b > 16) next = b + 8;
        else if (b == 0) next = 0;
        else next = b + 4;
    }
    return static_cast<uint8_t>(next & 0xFF);
}

}  // namespace ivra
