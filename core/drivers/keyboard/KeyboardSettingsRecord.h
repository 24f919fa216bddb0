// The keyboard's 26-byte settings record: the light settings and system
// flags it keeps in its memory, one record per settings slot at offset
// 25 x slot; byte 0 of its memory is the active slot.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "models/lighting/LightRecords.h"
#include "models/profile/KeyboardSystemStages.h"

namespace ivra {

constexpr size_t kSettingsRecordSize = 26;
constexpr uint32_t kSettingsSlotStride = 25;
using SettingsRecord = std::array<uint8_t, kSettingsRecordSize>;

namespace settings {
constexpr size_t kSlot = 0;
constexpr size_t kEffectCode = 1;
constexpr size_t kBrightness = 2;
constexpr size_t kSlowness = 3;  // 4 - speed: the keyboard counts 0 as fastest
constexpr size_t kDirection = 4;
constexpr size_t kMultiColor = 5;
constexpr size_t kRed = 6;
constexpr size_t kGreen = 7;
constexpr size_t kBlue = 8;
constexpr size_t kZZCCLedMode = 18;
constexpr size_t kWFlag = 19;
constexpr size_t kKey6Flag = 20;
constexpr size_t kWinFlag = 21;
constexpr size_t kPollingRate = 22;
constexpr size_t kCustomGroup = 25;
}  // namespace settings

// The record the program writes (always slot 0). `effectCode` is the
// device's code for the light record's effect. A speed above 4 is sent as
// speed 4 (byte 3 would otherwise wrap below zero).
SettingsRecord BuildSettingsRecord(const LightInfo& light, const KeyboardSystemStages& stages, uint8_t effectCode);

// What a record read back from the keyboard says. The effect index is the
// caller's (it maps the code through the device's code list).
struct SettingsReadBack {
    uint8_t effectCode = 0;
    LightInfo light{};  // every field but the effect index; brightness and speed within 0..4
    uint16_t key6Flag = 0;
    uint16_t winFlag = 0;
    uint16_t wFlag = 0;
};

// `previous` supplies the light record's fields the keyboard does not keep
// (the game-event return effect).
SettingsReadBack ParseSettingsRecord(const SettingsRecord& record, const LightInfo& previous);

}  // namespace ivra
