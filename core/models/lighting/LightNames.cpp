#include "models/lighting/LightNames.h"

#include <algorithm>

#include "models/lighting/LightJsonValues.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightSectionKeys.h"
#include "base/JsonHelpers.h"

namespace ivra::light {

namespace {

constexpr const char* kDefaultNamesKey = "DefaultLightName";
constexpr const char* kAreaNamesKey = "AreaLightName";
constexpr const char* kNameKey = "LightName";
constexpr const char* kVisibleKey = "visible";
constexpr const char* kCodeKey = "value";

constexpr unsigned kFirstUnsentIndex = 32;

// The element of `file`'s `key` array for the model; null when there is none.
const Json::Value& ModelElement(const Json::Value& file, const char* key, int modelIndex) {
    return ElementOf(MemberOf(file, key), modelIndex);
}

size_t Bounded(const Json::Value& list) {
    return std::min<size_t>(list.size(), kMaxLightNames);
}

void AppendNames(const Json::Value& list, std::vector<std::string>& names) {
    if (!list.isArray()) return;
    const size_t count = Bounded(list);
    for (size_t i = 0; i < count && names.size() < kMaxLightNames; ++i) {
        names.push_back(StringMember(list[static_cast<Json::ArrayIndex>(i)], kNameKey));
    }
}

uint8_t CodeByte(int code) {
    return static_cast<uint8_t>(std::clamp(code, 0, 255));
}

}  // namespace

std::vector<std::string> LightNameLists::ComboNames() const {
    std::vector<std::string> all = names;
    all.insert(all.end(), recordedNames.begin(), recordedNames.end());
    return all;
}

std::vector<bool> LightNameLists::ComboVisible() const {
    std::vector<bool> all = visible;
    all.insert(all.end(), recordedNames.size(), true);
    return all;
}

LightNameLists LightNamesFromJson(const Json::Value& defaultLight, const Json::Value& recordedConfig, int modelIndex) {
    LightNameLists lists;
    const Json::Value& effects = ModelElement(defaultLight, kDefaultNamesKey, modelIndex);
    if (effects.isArray()) {
        const size_t count = Bounded(effects);
        for (size_t i = 0; i < count; ++i) {
            const Json::Value& entry = effects[static_cast<Json::ArrayIndex>(i)];
            lists.names.push_back(StringMember(entry, kNameKey));
            lists.visible.push_back(FlagMember(entry, kVisibleKey));
            lists.codes.push_back(IntMember(entry, kCodeKey).value_or(0));
        }
    }
    AppendNames(ModelElement(defaultLight, kAreaNamesKey, modelIndex), lists.areaNames);
    AppendNames(ModelElement(recordedConfig, kLightInfoKey, modelIndex), lists.recordedNames);
    return lists;
}

LightNameLists LoadLightNames(const std::filesystem::path& defaultLightFile,
                              const std::filesystem::path& recordedConfigFile, int modelIndex) {
    return LightNamesFromJson(ReadJson(defaultLightFile), ReadJson(recordedConfigFile), modelIndex);
}

uint8_t DeviceEffectCode(const LightNameLists& lists, unsigned effectIndex) {
    if (lists.codes.empty()) return 0;
    // The streamed effects are told to the keyboard as entry 0's code.
    const bool streamedOrUnsent =
        effectIndex == kMusicEffect || effectIndex == kScreenEffect || effectIndex >= kFirstUnsentIndex;
    if (streamedOrUnsent || effectIndex >= lists.codes.size()) return CodeByte(lists.codes.front());
    return CodeByte(lists.codes[effectIndex]);
}

unsigned EffectIndexForCode(const LightNameLists& lists, uint8_t code) {
    for (size_t i = 0; i < lists.codes.size(); ++i) {
        if (CodeByte(lists.codes[i]) == code) return static_cast<unsigned>(i);
    }
    return code;
}

}  // namespace ivra::light
