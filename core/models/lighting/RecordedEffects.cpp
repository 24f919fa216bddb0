#include "models/lighting/RecordedEffects.h"

#include <algorithm>
#include <string>

#include "models/lighting/LightJsonValues.h"
#include "models/lighting/LightSectionKeys.h"
#include "base/JsonHelpers.h"

namespace ivra::light {

namespace {

constexpr const char* kStepListKey = "LEDEffectList";
constexpr const char* kGuidKey = "Guid";

// A file name is at most 255 bytes; the extension takes six of them.
constexpr size_t kMaxGuidBytes = 255 - kLightStepFileExtension.size();

RecordedStep StepFromJson(const Json::Value& element) {
    RecordedStep step;
    step.mode = ByteMember(element, "LEDREGMode");
    step.brightness = ByteMember(element, "LEDBrightness");
    step.speed = ByteMember(element, "LEDSpeed");
    step.direction = ByteMember(element, "LEDDirection");
    step.multiColor = ByteMember(element, "LEDMultiColor");
    step.colour = {ByteMember(element, "red"), ByteMember(element, "green"), ByteMember(element, "blue")};
    step.timeMs = Uint32Member(element, "Time");
    step.cycle = Uint32Member(element, "Cyle");
    return step;
}

}  // namespace

std::vector<RecordedStep> LightStepsFromJson(const Json::Value& stepFile) {
    std::vector<RecordedStep> steps;
    const Json::Value& list = MemberOf(stepFile, kStepListKey);
    if (!list.isArray()) return steps;
    const size_t count = std::min<size_t>(list.size(), kMaxRecordedSteps);
    steps.reserve(count);
    for (size_t i = 0; i < count; ++i) steps.push_back(StepFromJson(list[static_cast<Json::ArrayIndex>(i)]));
    return steps;
}

std::vector<RecordedStep> ReadLightStepFile(const std::filesystem::path& file) {
    const JsonFileRead read = ReadJsonFile(file, kMaxLightStepFileBytes);
    if (read.state != JsonFileState::kParsed) return {};
    return LightStepsFromJson(read.value);
}

bool IsSafeRecordedGuid(std::string_view guid) {
    if (guid.empty() || guid.size() > kMaxGuidBytes) return false;
    if (guid.find("..") != std::string_view::npos) return false;
    return std::none_of(guid.begin(), guid.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
    });
}

std::vector<RecordedStep> LoadRecordedSteps(const std::filesystem::path& dataFolder, const Json::Value& recordedConfig,
                                            unsigned effectIndex) {
    const Json::Value& effects = ElementOf(MemberOf(recordedConfig, kLightInfoKey), 0);
    const std::string guid = StringMember(ElementOf(effects, effectIndex), kGuidKey);
    if (!IsSafeRecordedGuid(guid)) return {};
    return ReadLightStepFile(dataFolder / (guid + std::string(kLightStepFileExtension)));
}

}  // namespace ivra::light
