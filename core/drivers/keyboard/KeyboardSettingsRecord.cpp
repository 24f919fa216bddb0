#include "drivers/keyboard/KeyboardSettingsRecord.h"

#include <algorithm>

#include "models/lighting/LightRecordLayout.h"

namespace ivra {

SettingsRecord BuildSettingsRecord(const LightInfo& light, const KeyboardSystemStages& stages, uint8_t effectCode) {
    namespace info = light::info;
    SettingsRecord record{};
    record[settings::kSlot] = 0;
    record[settings::kEffectCode] = effectCode;
    record[settings::kBrightness] = light[info::kLight];
    record[settings::kSlowness] = static_cast<uint8_t>(4 - std::min<uint8_t>(light[info::kSpeed], 4));
    record[settings::kDirection] = light[info::kFx];
    record[settings::kMultiColor] = light[info::kMultiColor];
    record[settings::kRed] = light[info::kRed];
    record[settings::kGreen] = light[info::kGreen];
    record[settings::kBlue] = light[info::kBlue];
    record[settings::kZZCCLedMode] = light[info::kZZCCLedMode];
    record[settings::kWFlag] = static_cast<uint8_t>(stages.wFlag & 0xFF);
    record[settings::kKey6Flag] = static_cast<uint8_t>(stages.key6Flag & 0xFF);
    record[settings::kWinFlag] = static_cast<uint8_t>(stages.winFlag & 0xFF);
    record[settings::kPollingRate] = static_cast<uint8_t>(stages.pollingRate & 0xFF);
    record[settings::kCustomGroup] = light[info::kCustomGroup];
    return record;
}

SettingsReadBack ParseSettingsRecord(const SettingsRecord& record, const LightInfo& previous) {
    namespace info = light::info;
    SettingsReadBack out;
    out.effectCode = record[settings::kEffectCode];
    out.light = previous;
    out.light[info::kLight] = std::min<uint8_t>(record[settings::kBrightness], 4);
    out.light[info::kSpeed] = static_cast<uint8_t>(4 - std::min<uint8_t>(record[settings::kSlowness], 4));
    out.light[info::kFx] = record[settings::kDirection];
    out.light[info::kMultiColor] = record[settings::kMultiColor];
    out.light[info::kRed] = record[settings::kRed];
    out.light[info::kGreen] = record[settings::kGreen];
    out.light[info::kBlue] = record[settings::kBlue];
    out.light[info::kZZCCLedMode] = record[settings::kZZCCLedMode];
    out.light[info::kCustomGroup] = record[settings::kCustomGroup];
    out.key6Flag = record[settings::kKey6Flag];
    out.winFlag = record[settings::kWinFlag];
    out.wFlag = record[settings::kWFlag];
    return out;
}

}  // namespace ivra
