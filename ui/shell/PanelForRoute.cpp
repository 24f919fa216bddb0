#include "shell/PanelForRoute.h"

#include "panels/keyset/KeySetPanel.h"
#include "panels/light/LightPanel.h"
#include "panels/macro/MacroPanel.h"
#include "panels/settings/KeyboardSettingsPanel.h"

namespace ivra::shell {

panels::PagePanel* PanelForRoute(const panels::PageContext& page, Route route) {
    switch (route) {
        case Route::LightPanel:
        case Route::AudioLightPanel:
        case Route::LightColourOption:
        case Route::AudioColourOption: return page.Light();
        case Route::KeySetPanel: return page.KeySet();
        case Route::MacroPanel: return page.Macros();
        case Route::KeyboardSettings:
        case Route::MouseSettings: return page.Settings();
        default: return nullptr;
    }
}

}  // namespace ivra::shell
