// The keyboard effect engine's own tables: the serpentine order of the keys,
// the 12 x 12 diagonal grid, the shuffled order used by the sparkle effect,
// the step interval of each effect and the fade steps. Every lookup bounds
// its arguments, so an effect index, speed level or position taken from a
// profile or the device never reads past a table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "models/lighting/KeyboardLayout.h"

namespace ivra::light {

constexpr size_t kOrderTableSize = 126;  // 111 keys, then kNoPosition
constexpr size_t kOrderedKeys = 111;
constexpr size_t kGridSize = 12;
constexpr size_t kRandomTableSize = 104;

// Key positions in a serpentine order over the board; entries from
// kOrderedKeys on are kNoPosition.
uint8_t OrderedKey(size_t index);

// Cell (row, column) of the diagonal grid: a key position, or kNoPosition
// for an empty cell or a position outside the order table.
uint8_t GridCell(size_t row, size_t column);

// Entry i (taken modulo kRandomTableSize) of the shuffled table: an index
// into the order table, always below kOrderedKeys.
uint8_t RandomOrderIndex(size_t index);

// Where a key position sits in the key matrix.
struct MatrixPlace {
    uint8_t column = 0;
    uint8_t row = 0;
    bool valid = false;
};
MatrixPlace PlaceOf(int position);

// Tick changes between two steps of effect `effect` at speed level `speed`
// (speed above 4 reads as 4). Effects 1..24 have their own row; music and
// screen colour step every kStreamedEffectInterval changes. Every other
// index (0, 22 and up except the streamed ones) plays recorded steps, which
// pace themselves by passes and by each step's duration, so it gets 0: a
// step on every pass. Effects 22..24 keep their row here for reference, but
// the engine plays them as recorded steps (see IsDrawnKeyboardEffect).
unsigned TickInterval(unsigned effect, unsigned speed);
constexpr unsigned kStreamedEffectInterval = 2;

// True for the effect indices the engine draws itself (1..21, music,
// screen colour); every other index plays recorded steps.
bool IsDrawnKeyboardEffect(unsigned effect);

// One fading step of a lit key (255 = just lit, 0 = dark): takes 40 from
// 128..255, 30 from 64..127, 10 from 32..63, 8 from 17..31, 1 from 1..16.
uint8_t FadeDown(uint8_t fade);
// One rising step: 128..255 become 255; 64..127 gain 25, 32..63 gain 20,
// 17..31 gain 15, 9..16 gain 10, 1..8 gain 5; 0 stays 0.
uint8_t FadeUp(uint8_t fade);
// The music effects' faster fall: 80 from 128..255, 50 from 64..127, 20
// from 32..63, 8 from 17..31, 1 from 1..16.
uint8_t MusicFadeDown(uint8_t fade);

}  // namespace ivra::light
