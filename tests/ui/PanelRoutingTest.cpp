#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "KeyboardPageHarness.h"
#include "ScriptedInputSource.h"
#include "panels/keyset/KeySetPanel.h"
#include "panels/light/LightPanel.h"
#include "panels/macro/MacroPanel.h"
#include "panels/settings/KeyboardSettingsPanel.h"
#include "shell/PanelForRoute.h"

namespace ivra::shell {
namespace {

// Every control of the keyboard page that a routing table names reaches the
// panel that table names for it, that panel is built on the page, and the
// panel takes the notification as one of its controls' (a panel answers
// false for a control it has nothing for).
TEST(PanelRoutingTest, EveryKeyboardPageControlReachesItsPanel) {
    sim::ScriptedInputSource script;  // outlives the window that borrows it
    testing::KeyboardPageHarness harness;
    harness.Services().inputSources = [&script] { return std::vector<IInputSource*>{&script}; };
    harness.Services().message = [](const QString&, int, int) { return 0; };  // every question: no
    harness.Services().openFile = [](const QString&) { return QString(); };
    harness.Services().saveFile = [](const QString&) { return QString(); };
    ASSERT_TRUE(harness.Start());
    panels::PageContext& page = *harness.Panels();
    ASSERT_NE(harness.Control("light_combo_modeSelect"), nullptr);  // builds every panel

    struct Case {
        const char* type;
        const char* name;
        const char* panel;  // the class that must handle it
    };
    const Case cases[] = {
        {"itemselect", "light_combo_modeSelect", "LightPanel"},
        {"itemselect", "light_combo_custommodeSelect", "LightPanel"},
        {"itemselect", "light_combo_ZZCCmodeSelect", "LightPanel"},
        {"itemselect", "light_combo_audiomodeSelect", "LightPanel"},
        {"valuechanged", "deng_light_slider", "LightPanel"},
        {"valuechanged", "deng_speed_slider", "LightPanel"},
        {"colorchanged", "deng_Color_Pallet", "LightPanel"},
        {"colorchanged", "deng_audioColor_Pallet", "LightPanel"},
        {"click", "color_option_3", "LightPanel"},
        {"click", "audiocolor_option_2", "LightPanel"},
        {"killfocus", "deng_edit_R", "LightPanel"},
        {"killfocus", "deng_edit_G", "LightPanel"},
        {"killfocus", "deng_edit_B", "LightPanel"},
        {"killfocus", "deng_audioedit_R", "LightPanel"},
        {"killfocus", "deng_audioedit_G", "LightPanel"},
        {"killfocus", "deng_audioedit_B", "LightPanel"},
        {"selectchanged", "deng_7color_check", "LightPanel"},
        {"selectchanged", "deng_FXL_check", "LightPanel"},
        {"selectchanged", "deng_FXR_check", "LightPanel"},
        {"selectchanged", "deng_7audiocolor_check", "LightPanel"},
        {"selectchanged", "audio_BkColor_check", "LightPanel"},
        {"selectchanged", "audio_FgColor_check", "LightPanel"},
        {"click", "custom_bright_color_btn", "LightPanel"},
        {"click", "custom_off_color_btn", "LightPanel"},
        {"click", "deng_same_mode", "LightPanel"},
        {"click", "Close_bkColor_btn", "LightPanel"},
        {"click_select_end", "device_key_light", "LightPanel"},
        {"itemselect", "keyset_function_combo", "KeySetPanel"},
        {"itemselect", "keyset_macro_over_combo", "KeySetPanel"},
        {"itemselect", "keyset_mousekey_combo", "KeySetPanel"},
        {"itemselect", "keyset_mouseswing_combo", "KeySetPanel"},
        {"itemselect", "keyset_mousewheel_combo", "KeySetPanel"},
        {"itemselect", "keyset_media_combo", "KeySetPanel"},
        {"itemselect", "keyset_system_combo", "KeySetPanel"},
        {"itemselect", "keyset_macro_combo", "KeySetPanel"},
        {"itemselect", "keyset_combokey_combo", "KeySetPanel"},
        {"killfocus", "keyset_keyboard_text_edit", "KeySetPanel"},
        {"setfocus", "keyset_keyboard_text_edit", "KeySetPanel"},
        {"return", "keyset_keyboard_text_edit", "KeySetPanel"},
        {"killfocus", "keyset_macro_cycle_edit", "KeySetPanel"},
        {"killfocus", "keyset_mousefire_num_edit", "KeySetPanel"},
        {"selectchanged", "key_ComBox_check_2", "KeySetPanel"},
        {"click", "key_butt_keysave", "KeySetPanel"},
        {"click", "key_butt_keydefalut", "KeySetPanel"},
        {"click", "key_butt_keycancel", "KeySetPanel"},
        {"click", "key_butt_prosave", "KeySetPanel"},
        {"itemselect", "macro_name_list", "MacroPanel"},
        {"killfocus", "macro_delay", "MacroPanel"},
        {"itemactivate", "macro_action", "MacroPanel"},
        {"menu", "macro_action", "MacroPanel"},
        {"click", "macro_btn_starredio", "MacroPanel"},
        {"click", "macro_btn_stopredio", "MacroPanel"},
        {"click", "macro_btn_name_add", "MacroPanel"},
        {"click", "macro_btn_name_sub", "MacroPanel"},
        {"click", "macro_btn_name_edit", "MacroPanel"},
        {"click", "macro_btn_save", "MacroPanel"},
        {"click", "macro_btn_cancel", "MacroPanel"},
        {"click", "macro_btn_export", "MacroPanel"},
        {"click", "macro_btn_import", "MacroPanel"},
        {"click", "macro_btn_up", "MacroPanel"},
        {"click", "macro_btn_down", "MacroPanel"},
        {"click", "macro_btn_uptop", "MacroPanel"},
        {"click", "macro_btn_downbottom", "MacroPanel"},
        {"click", "macro_btn_delete", "MacroPanel"},
        {"click", "macro_btn_deleteall", "MacroPanel"},
        {"click", "macro_inset_moveleftkey_btn", "MacroPanel"},
        {"click", "macro_inset_moverightkey_btn", "MacroPanel"},
        {"click", "macro_inset_moveupkey_btn", "MacroPanel"},
        {"click", "macro_inset_movedownkey_btn", "MacroPanel"},
        {"valuechanged", "repeat_rate_slider", "KeyboardSettingsPanel"},
        {"selectchanged", "repeat_delay_check_2", "KeyboardSettingsPanel"},
        {"selectchanged", "polling_rate_option_1", "KeyboardSettingsPanel"},
        {"selectchanged", "winlockflag_option", "KeyboardSettingsPanel"},
        {"selectchanged", "wflag_option", "KeyboardSettingsPanel"},
        {"selectchanged", "6flag_option", "KeyboardSettingsPanel"},
        {"click", "reset_repeat_btn", "KeyboardSettingsPanel"},
    };
    for (const Case& c : cases) {
        const RouteTarget target = RouteNotification(c.type, c.name);
        panels::PagePanel* panel = PanelForRoute(page, target.route);
        ASSERT_NE(panel, nullptr) << c.type << " " << c.name << " (" << RouteName(target.route) << ")";
        const std::string className = panel->metaObject()->className();
        EXPECT_EQ(className, std::string("ivra::panels::") + c.panel) << c.type << " " << c.name;
        // The control is on the page, except the rows the macro editor adds.
        QWidget* sender = harness.Control(c.name);
        if (std::string(c.name) != "macro_action") {
            EXPECT_NE(sender, nullptr) << c.name << " is not on the keyboard page";
        }
        const panels::PanelNotice notice{QString::fromLatin1(c.type), QString::fromLatin1(c.name), sender, 0,
                                         target.number};
        EXPECT_TRUE(panel->Handle(notice)) << c.type << " " << c.name << " is not handled by its panel";
    }
    // A control a panel has nothing for is not taken as handled.
    panels::PagePanel* light = PanelForRoute(page, Route::LightPanel);
    ASSERT_NE(light, nullptr);
    EXPECT_FALSE(light->Handle({QStringLiteral("click"), QStringLiteral("no_such_control"), nullptr, 0, 0}));
    EXPECT_FALSE(page.KeySet()->Handle({QStringLiteral("click"), QStringLiteral("no_such_control"), nullptr, 0, 0}));
    EXPECT_FALSE(page.Macros()->Handle({QStringLiteral("click"), QStringLiteral("no_such_control"), nullptr, 0, 0}));
    EXPECT_FALSE(page.Settings()->Handle({QStringLiteral("click"), QStringLiteral("no_such_control"), nullptr, 0, 0}));
}

}  // namespace
}  // namespace ivra::shell
