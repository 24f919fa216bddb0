#include "models/lighting/LightSections.h"

#include <algorithm>
#include <array>
#include <utility>

#include "models/lighting/LightJsonValues.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightSectionKeys.h"
#include "models/lighting/LightTables.h"
#include "base/JsonHelpers.h"

namespace ivra::light {

namespace {

constexpr const char* kAudioLightInfoKey = "AudioLightInfo";
constexpr const char* kLightListKey = "LightList";
constexpr const char* kCustomModeKey = "CustomLightMode";
constexpr const char* kGroupsKey = "LightColorInfo";
constexpr const char* kGroupIndexKey = "CustomLightModeGroupIndex";

struct ByteField {
    const char* key;
    size_t byte;
};

// The integer members of "LightInfo" (MultiColor is the boolean one).
constexpr std::array<ByteField, 10> kLightInfoNumbers = {{
    {"SelectItem", info::kSelectItem},
    {"Light", info::kLight},
    {"Speed", info::kSpeed},
    {"Red", info::kRed},
    {"Green", info::kGreen},
    {"Blue", info::kBlue},
    {"Fx", info::kFx},
    {"ZZCCLedMode", info::kZZCCLedMode},
    {"CustomGroup", info::kCustomGroup},
    {"OldLedmode", info::kOldLedmode},
}};
constexpr const char* kMultiColorKey = "MultiColor";

constexpr std::array<ByteField, 9> kAudioFields = {{
    {"AudioMode", audio::kAudioMode},
    {"BkColorR", audio::kBkColorR},
    {"BkColorG", audio::kBkColorG},
    {"BkColorB", audio::kBkColorB},
    {"FgColorR", audio::kFgColorR},
    {"FgColorG", audio::kFgColorG},
    {"FgColorB", audio::kFgColorB},
    {"7ColorFlags", audio::k7ColorFlags},
    {"ColorTypeFlags", audio::kColorTypeFlags},
}};

// The integer and boolean members of a per-key record.
constexpr std::array<ByteField, 6> kPerKeyNumbers = {{
    {"LEDREGMode", perkey::kMode},
    {"LEDBrightness", perkey::kBrightness},
    {"LEDSpeed", perkey::kSpeed},
    {"red", perkey::kRed},
    {"green", perkey::kGreen},
    {"blue", perkey::kBlue},
}};
constexpr std::array<ByteField, 2> kPerKeyFlags = {{
    {"LEDDirection", perkey::kDirection},
    {"LEDMultiColor", perkey::kMultiColor},
}};

constexpr const char* kRedKey = "Red";
constexpr const char* kGreenKey = "Green";
constexpr const char* kBlueKey = "Blue";
constexpr const char* kAlphaKey = "Alpha";

// `value` made an object (or an array) so members (elements) can be set on
// it. A value of another type has nothing a reader could use, and jsoncpp
// would throw on the assignment.
Json::Value& AsObject(Json::Value& value) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value;
}
Json::Value& AsArray(Json::Value& value) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value;
}

Json::Value ColourEntry(uint32_t led) {
    const Rgb colour = LedColour(led);
    Json::Value entry(Json::objectValue);
    entry[kRedKey] = colour.red;
    entry[kGreenKey] = colour.green;
    entry[kBlueKey] = colour.blue;
    entry[kAlphaKey] = LedBrightness(led);
    return entry;
}

// The group array for `group`, with the groups before it created as empty
// arrays. The caller has checked the group bound.
Json::Value& GroupFor(Json::Value& section, size_t group) {
    Json::Value& groups = AsArray(AsObject(AsObject(section)[kCustomModeKey])[kGroupsKey]);
    while (groups.size() <= group) groups.append(Json::Value(Json::arrayValue));
    return AsArray(groups[static_cast<Json::ArrayIndex>(group)]);
}

}  // namespace

LightInfo ReadLightInfo(const Json::Value& section) {
    LightInfo record{};
    const Json::Value& object = MemberOf(section, kLightInfoKey);
    for (const ByteField& field : kLightInfoNumbers) record[field.byte] = ByteMember(object, field.key);
    record[info::kMultiColor] = FlagMember(object, kMultiColorKey) ? 1 : 0;
    return record;
}

void WriteLightInfo(Json::Value& section, const LightInfo& record) {
    Json::Value object(Json::objectValue);
    for (const ByteField& field : kLightInfoNumbers) object[field.key] = record[field.byte];
    object[kMultiColorKey] = record[info::kMultiColor] != 0;
    AsObject(section)[kLightInfoKey] = std::move(object);
}

AudioLightInfo ReadAudioLightInfo(const Json::Value& section) {
    AudioLightInfo record{};
    const Json::Value& object = MemberOf(section, kAudioLightInfoKey);
    for (const ByteField& field : kAudioFields) record[field.byte] = ByteMember(object, field.key);
    return record;
}

void WriteAudioLightInfo(Json::Value& section, const AudioLightInfo& record) {
    Json::Value object(Json::objectValue);
    for (const ByteField& field : kAudioFields) object[field.key] = record[field.byte];
    AsObject(section)[kAudioLightInfoKey] = std::move(object);
}

std::vector<LightInfo> ReadLightList(const Json::Value& section, size_t positions) {
    std::vector<LightInfo> records(positions, LightInfo{});
    const Json::Value& list = MemberOf(section, kLightListKey);
    if (!list.isArray()) return records;
    const size_t present = std::min<size_t>(positions, list.size());
    for (size_t i = 0; i < present; ++i) {
        const Json::Value& element = list[static_cast<Json::ArrayIndex>(i)];
        if (!element.isObject()) continue;
        LightInfo& record = records[i];
        for (const ByteField& field : kPerKeyNumbers) record[field.byte] = ByteMember(element, field.key);
        for (const ByteField& field : kPerKeyFlags) record[field.byte] = FlagMember(element, field.key) ? 1 : 0;
        record[perkey::kPresent] = 1;
    }
    return records;
}

bool ReadCustomGroup(Json::Value& section, size_t group, size_t positions, std::vector<uint32_t>& colours) {
    if (group >= kMaxCustomGroups) return false;
    Json::Value& entries = GroupFor(section, group);
    std::vector<uint32_t> read(positions, 0);
    for (size_t i = 0; i < positions; ++i) {
        const auto index = static_cast<Json::ArrayIndex>(i);
        // A missing position, or one that is not an object and so holds no
        // colour, becomes black with brightness 0 in the file too.
        if (i >= entries.size() || !entries[index].isObject()) {
            entries[index] = ColourEntry(0);
            continue;
        }
        const Json::Value& entry = entries[index];
        read[i] = PackLed({ByteMember(entry, kRedKey), ByteMember(entry, kGreenKey), ByteMember(entry, kBlueKey)},
                          ByteMember(entry, kAlphaKey));
    }
    colours = std::move(read);
    return true;
}

bool WriteCustomGroup(Json::Value& section, size_t group, const std::vector<uint32_t>& colours) {
    if (group >= kMaxCustomGroups) return false;
    Json::Value& entries = GroupFor(section, group);
    for (size_t i = 0; i < colours.size(); ++i) {
        Json::Value& entry = AsObject(entries[static_cast<Json::ArrayIndex>(i)]);
        const Rgb colour = LedColour(colours[i]);
        entry[kRedKey] = colour.red;
        entry[kGreenKey] = colour.green;
        entry[kBlueKey] = colour.blue;
        entry[kAlphaKey] = LedBrightness(colours[i]);
    }
    return true;
}

void WriteCustomGroupIndex(Json::Value& section, int group) {
    AsObject(AsObject(section)[kCustomModeKey])[kGroupIndexKey] = group;
}

std::optional<int> ReadCustomGroupIndex(const Json::Value& section) {
    return IntMember(MemberOf(section, kCustomModeKey), kGroupIndexKey);
}

size_t CustomGroupCount(const Json::Value& section) {
    const Json::Value& groups = MemberOf(MemberOf(section, kCustomModeKey), kGroupsKey);
    return groups.isArray() ? groups.size() : 0;
}

}  // namespace ivra::light
