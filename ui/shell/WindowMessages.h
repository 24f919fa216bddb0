// The messages the main window handles, from its own threads, its child
// windows and (through the D-Bus interface) other programs.
#pragma once

namespace ivra::shell::message {

constexpr unsigned kInstance = 0x8001;         // another start asks us to come forward
constexpr unsigned kLightControlSet = 0x8002;  // another program turns light control on or off
constexpr unsigned kDeviceListRequest = 0x8003;
constexpr unsigned kShowProgress = 0x0C00;
constexpr unsigned kLanguageChanged = 0x0C11;
constexpr unsigned kDeviceArrival = 0x0C12;
constexpr unsigned kDeviceRemoval = 0x0C13;
constexpr unsigned kOpenSettingsCentred = 0x0C15;
constexpr unsigned kUpdateBadgeCleared = 0x0C16;
constexpr unsigned kLinkState = 0x0D03;
constexpr unsigned kSuspend = 0x8010;
constexpr unsigned kResume = 0x8011;

}  // namespace ivra::shell::message
