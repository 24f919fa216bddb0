#include "models/profile/KeyboardSystemStages.h"

#include <algorithm>

namespace ivra {

namespace {

uint16_t Field(const Json::Value& stages, const char* key) {
    if (!stages.isObject()) return 0;
    const Json::Value& value = stages[key];
    if (value.isBool()) return value.asBool() ? 1 : 0;
    if (value.isInt64()) return static_cast<uint16_t>(std::clamp<Json::Int64>(value.asInt64(), 0, 65535));
    if (value.isUInt64()) return 65535;  // beyond every signed value
    return 0;
}

}  // namespace

KeyboardSystemStages ReadSystemStages(const Json::Value& section) {
    KeyboardSystemStages stages;
    if (!section.isObject() || !section.isMember("SystemStages")) return stages;
    const Json::Value& record = section["SystemStages"];
    stages.repeat = Field(record, "Repeat");
    stages.repeatDelay = Field(record, "RepeatDelay");
    stages.key6Flag = Field(record, "Key6Flag");
    stages.pollingRate = Field(record, "PollingRate");
    stages.wFlag = Field(record, "WFlag");
    stages.winFlag = Field(record, "WinFlag");
    return stages;
}

void WriteSystemStages(Json::Value& section, const KeyboardSystemStages& stages) {
    Json::Value record(Json::objectValue);
    record["Repeat"] = stages.repeat;
    record["RepeatDelay"] = stages.repeatDelay;
    record["Key6Flag"] = stages.key6Flag;
    record["PollingRate"] = stages.pollingRate;
    record["WFlag"] = stages.wFlag;
    record["WinFlag"] = stages.winFlag;
    if (!section.isObject()) section = Json::Value(Json::objectValue);
    section["SystemStages"] = record;
}

void ApplySetting(KeyboardSystemStages& stages, KeyboardSetting setting, uint16_t value) {
    switch (setting) {
        case KeyboardSetting::kRepeat: stages.repeat = value; break;
        case KeyboardSetting::kRepeatDelay: stages.repeatDelay = value; break;
        case KeyboardSetting::kPollingRate: stages.pollingRate = value; break;
        case KeyboardSetting::kWinLock: stages.winFlag = value; break;
        case KeyboardSetting::kWFlag: stages.wFlag = value; break;
        case KeyboardSetting::kKey6Flag: stages.key6Flag = value; break;
    }
}

int OptionIndexFor(uint16_t storedChoice) {
    return storedChoice >= 4 ? 0 : storedChoice;
}

std::string RepeatDelayLabel(const std::string& translatedPrefix, uint16_t storedDelay) {
    return translatedPrefix + std::to_string(250 * (OptionIndexFor(storedDelay) + 1)) + "ms";
}

}  // namespace ivra
