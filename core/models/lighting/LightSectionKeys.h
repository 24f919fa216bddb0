#pragma once
// The profile key shared by the light section readers and the recorded-effect
// config: both hold their light entries under the same name.

namespace ivra::light {

inline constexpr const char* kLightInfoKey = "LightInfo";

}  // namespace ivra::light
