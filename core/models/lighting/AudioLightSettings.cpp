#include "models/lighting/AudioLightSettings.h"

#include "models/lighting/LightRecordLayout.h"

namespace ivra::light {

AudioLightSettings AudioLightSettings::FromRecord(const AudioLightInfo& record) {
    AudioLightSettings settings;
    settings.mode = record[audio::kAudioMode];
    settings.background = {record[audio::kBkColorR], record[audio::kBkColorG], record[audio::kBkColorB]};
    settings.foreground = {record[audio::kFgColorR], record[audio::kFgColorG], record[audio::kFgColorB]};
    settings.sevenColourFlags = record[audio::k7ColorFlags];
    settings.colourTypeFlags = record[audio::kColorTypeFlags];
    return settings;
}

AudioLightInfo AudioLightSettings::ToRecord() const {
    AudioLightInfo record{};
    record[audio::kAudioMode] = mode;
    record[audio::kBkColorR] = background.red;
    record[audio::kBkColorG] = background.green;
    record[audio::kBkColorB] = background.blue;
    record[audio::kFgColorR] = foreground.red;
    record[audio::kFgColorG] = foreground.green;
    record[audio::kFgColorB] = foreground.blue;
    record[audio::k7ColorFlags] = sevenColourFlags;
    record[audio::kColorTypeFlags] = colourTypeFlags;
    return record;
}

}  // namespace ivra::light
