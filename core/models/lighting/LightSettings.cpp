#include "models/lighting/LightSettings.h"

#include "models/lighting/LightRecordLayout.h"

namespace ivra::light {

namespace {
constexpr size_t kFirstUnstored = 8;
}  // namespace

LightSettings LightSettings::FromRecord(const LightInfo& record) {
    LightSettings settings;
    settings.effect = record[info::kSelectItem];
    settings.brightness = record[info::kLight];
    settings.speed = record[info::kSpeed];
    settings.direction = record[info::kFx];
    settings.multiColor = record[info::kMultiColor];
    settings.colour = FixedColour(record);
    for (size_t i = 0; i < settings.unstored.size(); ++i) settings.unstored[i] = record[kFirstUnstored + i];
    settings.colourPreset = record[info::kZZCCLedMode];
    settings.customGroup = record[info::kCustomGroup];
    settings.returnEffect = record[info::kOldLedmode];
    return settings;
}

LightInfo LightSettings::ToRecord() const {
    LightInfo record{};
    record[info::kSelectItem] = effect;
    record[info::kLight] = brightness;
    record[info::kSpeed] = speed;
    record[info::kFx] = direction;
    record[info::kMultiColor] = multiColor;
    record[info::kRed] = colour.red;
    record[info::kGreen] = colour.green;
    record[info::kBlue] = colour.blue;
    for (size_t i = 0; i < unstored.size(); ++i) record[kFirstUnstored + i] = unstored[i];
    record[info::kZZCCLedMode] = colourPreset;
    record[info::kCustomGroup] = customGroup;
    record[info::kOldLedmode] = returnEffect;
    return record;
}

}  // namespace ivra::light
