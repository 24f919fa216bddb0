// The per-key brightness level steps of the level editor: big steps for
// bright levels, small ones near zero, and 0 held at 0.
#pragma once

#include <cstdint>

namespace ivra {

// One step down. mode 29 takes the coarsest steps, any other nonzero mode
// the medium ones, 0 the ones that step by 4 at the bottom.
uint8_t StepLevelDown(uint8_t level, int mode);
// One step up; `fine` nonzero jumps to 255 from 128 up. Additions wrap at 256.
uint8_t StepLevelUp(uint8_t level, int fine);

}  // namespace ivra
