#include "models/profile/KeyboardSystemSettings.h"

#include <algorithm>

#include "base/JsonHelpers.h"

namespace ivra {

namespace {

constexpr const char* kSystemStagesKey = "SystemStages";

uint16_t Field(const Json::Value& record, const char* key) {
    const Json::Value& value = MemberOf(record, key);
    if (value.isBool()) return value.asBool() ? 1 : 0;
    if (value.isInt64()) return static_cast<uint16_t>(std::clamp<Json::Int64>(value.asInt64(), 0, 65535));
    if (value.isUInt64()) return 65535;  // beyond every signed value
    return 0;
}

}  // namespace

KeyboardSystemSettings ReadKeyboardSystemSettings(const Json::Value& section) {
    const Json::Value& record = MemberOf(section, kSystemStagesKey);
    KeyboardSystemSettings settings;
    settings.repeat = Field(record, "Repeat");
    settings.repeatDelay = Field(record, "RepeatDelay");
    settings.key6Flag = Field(record, "Key6Flag");
    settings.pollingRate = Field(record, "PollingRate");
    settings.wFlag = Field(record, "WFlag");
    settings.winFlag = Field(record, "WinFlag");
    return settings;
}

void WriteKeyboardSystemSettings(Json::Value& section, const KeyboardSystemSettings& settings) {
    Json::Value record(Json::objectValue);
    record["Repeat"] = settings.repeat;
    record["RepeatDelay"] = settings.repeatDelay;
    record["Key6Flag"] = settings.key6Flag;
    record["PollingRate"] = settings.pollingRate;
    record["WFlag"] = settings.wFlag;
    record["WinFlag"] = settings.winFlag;
    if (!section.isObject()) section = Json::Value(Json::objectValue);
    section[kSystemStagesKey] = std::move(record);
}

}  // namespace ivra
