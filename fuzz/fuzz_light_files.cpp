// libFuzzer target: one input read as a ".light" step file, as
// "default_light.json" and "norvo_light.config" for every model, and as a
// profile device section with light sections.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "models/lighting/LightNames.h"
#include "models/lighting/LightSections.h"
#include "models/lighting/RecordedEffects.h"
#include "base/JsonHelpers.h"

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("ivra-fuzz-light-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void CheckNames(const Json::Value& value, int model) {
    const ivra::light::LightNameLists lists = ivra::light::LightNamesFromJson(value, value, model);
    if (lists.names.size() != lists.visible.size() || lists.names.size() != lists.codes.size() ||
        lists.names.size() > ivra::light::kMaxLightNames || lists.recordedNames.size() > ivra::light::kMaxLightNames ||
        lists.ComboNames().size() != lists.ComboVisible().size()) {
        __builtin_trap();
    }
    for (unsigned index = 0; index < 300; ++index) {
        const uint8_t code = ivra::light::DeviceEffectCode(lists, index);
        if (lists.codes.empty()) {
            if (code != 0) __builtin_trap();
            continue;
        }
        // Every code sent comes from the list, so it reads back as an index
        // of the list holding that code.
        const unsigned back = ivra::light::EffectIndexForCode(lists, code);
        if (back >= lists.codes.size() || std::clamp(lists.codes[back], 0, 255) != code) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = Folder() / "steps.light";
    // A plain write: the input file needs no crash safety.
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));

    const std::vector<ivra::light::RecordedStep> fromFile = ivra::light::ReadLightStepFile(path);
    bool ok = false;
    const Json::Value value = ivra::ParseJson(text, &ok);
    if (fromFile.size() > ivra::light::kMaxRecordedSteps) __builtin_trap();
    if (ok && fromFile != ivra::light::LightStepsFromJson(value)) __builtin_trap();
    if (!ok && !fromFile.empty()) __builtin_trap();

    for (int model = -1; model <= 5; ++model) CheckNames(value, model);
    ivra::light::LoadRecordedSteps(Folder(), value, 0);

    // The same text as a device section.
    ivra::light::ReadLightInfo(value);
    ivra::light::ReadAudioLightInfo(value);
    if (ivra::light::ReadLightList(value, 130).size() != 130) __builtin_trap();
    Json::Value section = value;
    std::vector<uint32_t> colours;
    const size_t group = ivra::light::CustomGroupCount(value) % 3;
    if (!ivra::light::ReadCustomGroup(section, group, 20, colours) || colours.size() != 20) __builtin_trap();
    // Reading created every missing position, so a second read changes nothing.
    const Json::Value afterFirst = section;
    std::vector<uint32_t> again;
    ivra::light::ReadCustomGroup(section, group, 20, again);
    if (again != colours || section != afterFirst) __builtin_trap();
    // A written group reads back as written.
    for (auto& colour : colours) colour ^= 0x5A5A5A5Au;
    ivra::light::WriteCustomGroup(section, group, colours);
    ivra::light::ReadCustomGroup(section, group, 20, again);
    if (again != colours) __builtin_trap();
    return 0;
}
