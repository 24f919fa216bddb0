#include "models/lighting/EffectTables.h"

#include <algorithm>

#include "models/lighting/LightRecordLayout.h"

namespace ivra::light {

namespace {

constexpr uint8_t N = kNoPosition;

constexpr std::array<uint8_t, kOrderTableSize> kOrderTable = {
    20, 19, 18, 17,  15,  14,  13,  12,  11,  10,  9,   8,   7,   6,   5,   4,   3,   2,   1,   0,  21,
    42, 63, 84, 105, 106, 107, 108, 109, 125, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 41, 40,
    39, 38, 37, 36,  35,  34,  33,  32,  31,  30,  29,  28,  27,  26,  25,  24,  23,  22,  43,  64, 102,
    85, 86, 87, 88,  89,  90,  91,  92,  93,  94,  95,  96,  97,  98,  99,  78,  61,  60,  59,  58, 57,
    56, 55, 54, 53,  52,  51,  50,  49,  48,  47,  46,  45,  44,  65,  66,  67,  68,  69,  70,  71, 72,
    73, 74, 62, 75,  76,  77,  N,   N,   N,   N,   N,   N,   N,   N,   N,   N,   N,   N,   N,   N,  N};

constexpr std::array<std::array<uint8_t, kGridSize>, kGridSize> kGridTable = {{
    {51, N, N, N, N, N, N, N, N, N, N, N},
    {30, 50, 71, 72, 52, 31, N, N, N, N, N, N},
    {8, 29, 49, 70, 91, 92, 93, 73, 53, 32, N, N},
    {7, 28, 48, 69, 90, 109, 94, 74, 54, 33, 9, 62},
    {6, 27, 47, 68, 89, 110, 95, 75, 55, 34, 10, 11},
    {5, 26, 46, 67, 88, 108, 111, 112, 56, 35, 12, 125},
    {4, 25, 45, 66, 87, 113, 96, 57, 36, 13, N, N},
    {3, 24, 44, 65, 86, 114, 115, 58, 37, 15, 14, N},
    {2, 23, 43, 64, 85, 107, 97, 76, 59, 38, 17, N},
    {1, 22, 42, 63, 84, 106, 116, 98, 77, 60, 39, 18},
    {0, 21, 105, 117, 99, 78, 61, 40, 19, N, N, N},
    {118, 119, 41, 20, N, N, N, N, N, N, N, N},
}};

constexpr std::array<uint8_t, kRandomTableSize> kRandomTable = {
    88, 24, 101, 57,  16, 69, 35, 34,  36, 51, 78, 18, 12, 66, 97, 9,  33,  41, 55, 52, 48, 95, 77, 70, 104, 10,
    23, 39, 3,   102, 17, 65, 22, 105, 31, 4,  85, 76, 15, 60, 54, 21, 106, 83, 94, 6,  61, 49, 20, 5,  14,  107,
    68, 98, 71,  27,  81, 1,  0,  87,  46, 75, 37, 73, 32, 79, 8,  29, 72,  56, 44, 99, 13, 47, 42, 93, 108, 91,
    80, 86, 89,  43,  28, 58, 59, 109, 38, 53, 2,  62, 64, 90, 96, 74, 110, 92, 40, 25, 26, 7,  30, 50, 84,  45};

// Step intervals in tick changes for speed levels 0..4, by effect 1..24.
constexpr std::array<uint8_t, 5> kFast = {5, 4, 3, 2, 1};
constexpr std::array<std::array<uint8_t, 5>, 24> kIntervals = {{
    kFast,           kFast,           kFast, kFast, kFast, kFast,  // 1..6
    {4, 4, 4, 4, 4},                                               // 7
    kFast,                                                         // 8
    {3, 3, 3, 3, 3},                                               // 9
    {7, 6, 5, 4, 3},                                               // 10
    kFast,           kFast,           kFast, kFast,                // 11..14
    {6, 5, 4, 3, 2}, {6, 5, 4, 3, 2},                              // 15, 16
    kFast,           kFast,           kFast,                       // 17..19
    {4, 3, 2, 1, 0},                                               // 20
    kFast,           kFast,           kFast, kFast,                // 21..24
}};

constexpr bool InOrderTable(uint8_t position) {
    if (position == N) return false;
    for (size_t i = 0; i < kOrderedKeys; ++i) {
        if (kOrderTable[i] == position) return true;
    }
    return false;
}

// The grid with every cell whose key is not in the order table emptied.
constexpr std::array<std::array<uint8_t, kGridSize>, kGridSize> MakeUsableGrid() {
    auto grid = kGridTable;
    for (auto& row : grid) {
        for (uint8_t& cell : row) {
            if (!InOrderTable(cell)) cell = N;
        }
    }
    return grid;
}

struct PlaceTable {
    std::array<MatrixPlace, kKeyboardPositions> places{};
};

constexpr PlaceTable MakePlaces() {
    PlaceTable table{};
    for (size_t column = 0; column < kMatrixColumns; ++column) {
        for (size_t row = 0; row < kMatrixRows; ++row) {
            const uint8_t position = MatrixCell(column, row);
            if (position < kKeyboardPositions && !table.places[position].valid) {
                table.places[position] = {static_cast<uint8_t>(column), static_cast<uint8_t>(row), true};
            }
        }
    }
    return table;
}

constexpr auto kUsableGrid = MakeUsableGrid();
constexpr auto kPlaces = MakePlaces();

constexpr bool RandomTableInRange() {
    for (uint8_t entry : kRandomTable) {
        if (entry >= kOrderedKeys) return false;
    }
    return true;
}
static_assert(RandomTableInRange());
static_assert(kOrderTable[kOrderedKeys - 1] == 77 && kOrderTable[kOrderedKeys] == N);

}  // namespace

uint8_t OrderedKey(size_t index) {
    return index < kOrderTableSize ? kOrderTable[index] : N;
}

uint8_t GridCell(size_t row, size_t column) {
    return row < kGridSize && column < kGridSize ? kUsableGrid[row][column] : N;
}

uint8_t RandomOrderIndex(size_t index) {
    return kRandomTable[index % kRandomTableSize];
}

MatrixPlace PlaceOf(int position) {
    if (position < 0 || position >= static_cast<int>(kKeyboardPositions)) return {};
    return kPlaces.places[static_cast<size_t>(position)];
}

unsigned TickInterval(unsigned effect, unsigned speed) {
    if (effect == kMusicEffect || effect == kScreenEffect) return kStreamedEffectInterval;
    if (effect < 1 || effect > kIntervals.size()) return 0;
    return kIntervals[effect - 1][std::min(speed, 4u)];
}

bool IsDrawnKeyboardEffect(unsigned effect) {
    return (effect >= 1 && effect <= kCustomEffect) || effect == kMusicEffect || effect == kScreenEffect;
}

uint8_t FadeDown(uint8_t fade) {
    if (fade >= 128) return static_cast<uint8_t>(fade - 40);
    if (fade >= 64) return static_cast<uint8_t>(fade - 30);
    if (fade >= 32) return static_cast<uint8_t>(fade - 10);
    if (fade >= 17) return static_cast<uint8_t>(fade - 8);
    if (fade >= 1) return static_cast<uint8_t>(fade - 1);
    return 0;
}

uint8_t FadeUp(uint8_t fade) {
    if (fade >= 128) return 255;
    if (fade >= 64) return static_cast<uint8_t>(fade + 25);
    if (fade >= 32) return static_cast<uint8_t>(fade + 20);
    if (fade >= 17) return static_cast<uint8_t>(fade + 15);
    if (fade >= 9) return static_cast<uint8_t>(fade + 10);
    if (fade >= 1) return static_cast<uint8_t>(fade + 5);
    return 0;
}

uint8_t MusicFadeDown(uint8_t fade) {
    if (fade >= 128) return static_cast<uint8_t>(fade - 80);
    if (fade >= 64) return static_cast<uint8_t>(fade - 50);
    if (fade >= 32) return static_cast<uint8_t>(fade - 20);
    if (fade >= 17) return static_cast<uint8_t>(fade - 8);
    if (fade >= 1) return static_cast<uint8_t>(fade - 1);
    return 0;
}

}  // namespace ivra::light
