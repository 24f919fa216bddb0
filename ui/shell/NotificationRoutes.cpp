#include "shell/NotificationRoutes.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "base/TextHelpers.h"

namespace ivra::shell {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

struct Exact {
    const char* name;
    Route route;
    int number;
};

struct Prefix {
    const char* prefix;
    Route route;
};

RouteTarget Lookup(std::string_view controlName, std::initializer_list<Exact> exact,
                   std::initializer_list<Prefix> prefixes) {
    const std::string name = Lower(controlName);
    for (const Exact& e : exact) {
        if (name == e.name) return {e.route, e.number};
    }
    std::string prefix;
    int number = 0;
    if (SplitIndexedName(name, prefix, number)) {
        for (const Prefix& p : prefixes) {
            if (prefix == p.prefix) return {p.route, number};
        }
    }
    return {};
}

}  // namespace

RouteTarget RouteClick(std::string_view controlName) {
    return Lookup(controlName,
                  {
                      {"closebtn", Route::CloseMainWindow, 0},
                      {"nodevice_ok_btn", Route::CloseMainWindow, 0},
                      {"minbtn", Route::Minimise, 0},
                      {"maxbtn", Route::Maximise, 0},
                      {"restorebtn", Route::Restore, 0},
                      {"skinbtn", Route::SkinPicker, 0},
                      {"setbtn", Route::OpenSettings, 0},
                      {"control_light_status", Route::LightControlToggle, 0},
                      {"device_select_prev", Route::SelectPreviousEntry, 0},
                      {"device_select_next", Route::SelectNextEntry, 0},
                      {"default_btn", Route::ProfilePanel, 0},
                      {"device_export_btn", Route::ProfilePanel, 0},
                      {"device_import_btn", Route::ProfilePanel, 0},
                      {"device_reset_btn", Route::ProfilePanel, 0},
                      {"device_profile_edit_save_btn", Route::ProfilePanel, 0},
                      {"profile_fun_spread_btn", Route::ProfilePanel, 0},
                      {"device_add_btn", Route::ProfilePanel, 0},
                      {"device_sub_btn", Route::ProfilePanel, 0},
                      {"device_copy_btn", Route::ProfilePanel, 0},
                      {"reset_repeat_btn", Route::KeyboardSettings, 0},
                      {"key_butt_keysave", Route::KeySetPanel, 0},
                      {"key_butt_keydefalut", Route::KeySetPanel, 0},
                      {"key_butt_keycancel", Route::KeySetPanel, 0},
                      {"key_butt_prosave", Route::KeySetPanel, 0},
                      {"macro_btn_starredio", Route::MacroPanel, 0},
                      {"macro_btn_stopredio", Route::MacroPanel, 0},
                      {"macro_btn_name_add", Route::MacroPanel, 0},
                      {"macro_btn_name_sub", Route::MacroPanel, 0},
                      {"macro_btn_name_edit", Route::MacroPanel, 0},
                      {"macro_btn_save", Route::MacroPanel, 0},
                      {"macro_btn_cancel", Route::MacroPanel, 0},
                      {"macro_btn_export", Route::MacroPanel, 0},
                      {"macro_btn_import", Route::MacroPanel, 0},
                      {"macro_btn_up", Route::MacroPanel, 0},
                      {"macro_btn_down", Route::MacroPanel, 0},
                      {"macro_btn_uptop", Route::MacroPanel, 0},
                      {"macro_btn_downbottom", Route::MacroPanel, 0},
                      {"macro_btn_delete", Route::MacroPanel, 0},
                      {"macro_btn_deleteall", Route::MacroPanel, 0},
                      {"macro_inset_moveleftkey_btn", Route::MacroPanel, 0},
                      {"macro_inset_moverightkey_btn", Route::MacroPanel, 0},
                      {"macro_inset_moveupkey_btn", Route::MacroPanel, 0},
                      {"macro_inset_movedownkey_btn", Route::MacroPanel, 0},
                      {"shootdate_save_btn", Route::RecoilPanel, 0},
                      {"shootdate_reset_btn", Route::RecoilPanel, 0},
                      {"shootdate_import_btn", Route::RecoilPanel, 0},
                      {"shootdate_export_btn", Route::RecoilPanel, 0},
                      {"bullet_selected_prev", Route::RecoilPanel, 0},
                      {"bullet_selected_next", Route::RecoilPanel, 0},
                      {"custom_bright_color_btn", Route::LightPanel, 0},
                      {"custom_off_color_btn", Route::LightPanel, 0},
                      {"deng_same_mode", Route::LightPanel, 0},
                      {"close_bkcolor_btn", Route::LightPanel, 0},
                      {"hs_eq_btn_save", Route::HeadsetPanel, 0},
                      {"hs_eq_btn_delete", Route::HeadsetPanel, 0},
                  },
                  {
                      {"key_", Route::KeyButton},
                      {"color_option_", Route::LightColourOption},
                      {"audiocolor_option_", Route::AudioColourOption},
                      {"windowdeviceset_", Route::WindowsDeviceSettings},
                  });
}

RouteTarget RouteSelectChanged(std::string_view controlName) {
    return Lookup(controlName,
                  {
                      {"device_select", Route::DeviceSelect, 0},
                      {"deng_op_tab", Route::FunctionTab, 1},
                      {"key_op_tab", Route::FunctionTab, 2},
                      {"macro_op_tab", Route::FunctionTab, 3},
                      {"system_op_tab", Route::FunctionTab, 4},
                      {"cursor_op_tab", Route::FunctionTab, 5},
                      {"6533_voice_op_tab", Route::FunctionTab, 6},
                      {"magic_op_tab", Route::FunctionTab, 7},
                      {"virtual7.1_op_tab", Route::FunctionTab, 8},
                      {"pointer_precision_check", Route::MouseSettings, 0},
                      {"scrolls_page_check", Route::MouseSettings, 0},
                      {"winlockflag_option", Route::KeyboardSettings, 0},
                      {"wflag_option", Route::KeyboardSettings, 0},
                      {"6flag_option", Route::KeyboardSettings, 0},
                      {"bullet_x_check", Route::RecoilPanel, 0},
                      {"bullet_y_check", Route::RecoilPanel, 0},
                      {"magic_enable_option", Route::HeadsetPanel, 0},
                      {"6533_micin_option", Route::HeadsetPanel, 0},
                      {"6533_micmoniter_option", Route::HeadsetPanel, 0},
                      {"deng_fxl_check", Route::LightPanel, 0},
                      {"deng_fxr_check", Route::LightPanel, 0},
                      {"deng_7color_check", Route::LightPanel, 0},
                      {"deng_7audiocolor_check", Route::AudioLightPanel, 0},
                      {"audio_bkcolor_check", Route::AudioLightPanel, 0},
                      {"audio_fgcolor_check", Route::AudioLightPanel, 0},
                  },
                  {
                      {"dpi_enable_check_", Route::MouseSettings},
                      {"polling_rate_option_", Route::MouseSettings},
                      {"mouse_device_seting_option_", Route::MouseSettings},
                      {"repeat_delay_check_", Route::KeyboardSettings},
                      {"shoot_gun_op_", Route::RecoilPanel},
                      {"bullet_op_", Route::RecoilPanel},
                      {"magic_option_", Route::HeadsetPanel},
                      {"6533_eq_option_", Route::HeadsetPanel},
                      {"key_combox_check_", Route::KeySetPanel},
                  });
}

namespace {

RouteTarget RouteItemSelect(std::string_view controlName) {
    return Lookup(controlName,
                  {
                      {"device_profile_combo", Route::ProfilePanel, 0},
                      {"light_combo_modeselect", Route::LightPanel, 0},
                      {"light_combo_custommodeselect", Route::LightPanel, 0},
                      {"light_combo_zzccmodeselect", Route::LightPanel, 0},
                      {"light_combo_audiomodeselect", Route::AudioLightPanel, 0},
                      {"custom_eq_name_combo", Route::HeadsetPanel, 0},
                      {"macro_name_list", Route::MacroPanel, 0},
                      {"keyset_function_combo", Route::KeySetPanel, 0},
                      {"keyset_macro_over_combo", Route::KeySetPanel, 0},
                      {"keyset_mousekey_combo", Route::KeySetPanel, 0},
                      {"keyset_mouseswing_combo", Route::KeySetPanel, 0},
                      {"keyset_mousewheel_combo", Route::KeySetPanel, 0},
                      {"keyset_mousedpi_combo", Route::KeySetPanel, 0},
                      {"keyset_media_combo", Route::KeySetPanel, 0},
                      {"keyset_system_combo", Route::KeySetPanel, 0},
                      {"keyset_macro_combo", Route::KeySetPanel, 0},
                      {"keyset_gunkey_combo", Route::KeySetPanel, 0},
                      {"keyset_combokey_combo", Route::KeySetPanel, 0},
                  },
                  {});
}

RouteTarget RouteValueChanged(std::string_view controlName) {
    return Lookup(controlName,
                  {
                      {"pointer_speed_slider", Route::MouseSettings, 0},
                      {"scroll_speed_slider", Route::MouseSettings, 0},
                      {"double_click_slider", Route::MouseSettings, 0},
                      {"repeat_rate_slider", Route::KeyboardSettings, 0},
                      {"deng_light_slider", Route::LightPanel, 0},
                      {"deng_speed_slider", Route::LightPanel, 0},
                      {"6533_micin_slider", Route::HeadsetPanel, 0},
                      {"6533_micmoniter_slider", Route::HeadsetPanel, 0},
                  },
                  {
                      {"dpi_slider_", Route::MouseSettings},
                      {"6533_eq_hz_slider_", Route::HeadsetPanel},
                  });
}

RouteTarget RouteMoveValueChanged(std::string_view controlName) {
    return Lookup(controlName, {},
                  {
                      {"norvo_dpi_slider_", Route::MouseSettings},
                      {"dpi_slider_", Route::MouseSettings},
                  });
}

RouteTarget RouteKillFocus(std::string_view controlName) {
    return Lookup(controlName,
                  {
                      {"deng_edit_r", Route::LightPanel, 0},
                      {"deng_edit_g", Route::LightPanel, 0},
                      {"deng_edit_b", Route::LightPanel, 0},
                      {"deng_audioedit_r", Route::AudioLightPanel, 0},
                      {"deng_audioedit_g", Route::AudioLightPanel, 0},
                      {"deng_audioedit_b", Route::AudioLightPanel, 0},
                      {"bullet_x_eidt", Route::RecoilPanel, 0},
                      {"bullet_y_eidt", Route::RecoilPanel, 0},
                      {"bullet_delay_eidt", Route::RecoilPanel, 0},
                      {"macro_delay", Route::MacroPanel, 0},
                      {"keyset_keyboard_text_edit", Route::KeySetPanel, 0},
                      {"keyset_mouseswing_num_edit", Route::KeySetPanel, 0},
                      {"keyset_mouseswing_delay_edit", Route::KeySetPanel, 0},
                      {"keyset_mouseswing_speed_edit", Route::KeySetPanel, 0},
                      {"keyset_mousewheel_num_edit", Route::KeySetPanel, 0},
                      {"keyset_mousewheel_delay_edit", Route::KeySetPanel, 0},
                      {"keyset_mousewheel_speed_edit", Route::KeySetPanel, 0},
                      {"keyset_mousefire_interval_edit", Route::KeySetPanel, 0},
                      {"keyset_mousefire_num_edit", Route::KeySetPanel, 0},
                      {"keyset_macro_cycle_edit", Route::KeySetPanel, 0},
                  },
                  {
                      {"norvo_dpi_edit_", Route::MouseSettings},
                      {"dpi_edit_", Route::MouseSettings},
                  });
}

}  // namespace

RouteTarget RouteNotification(std::string_view type, std::string_view controlName) {
    if (type == "click") return RouteClick(controlName);
    if (type == "selectchanged") return RouteSelectChanged(controlName);
    if (type == "itemselect") return RouteItemSelect(controlName);
    if (type == "valuechanged") return RouteValueChanged(controlName);
    if (type == "movevaluechanged") return RouteMoveValueChanged(controlName);
    if (type == "killfocus") return RouteKillFocus(controlName);
    // Key capture runs while the key edit has the focus, and starts on Return.
    if (type == "setfocus" || type == "return") {
        return Lookup(controlName, {{"keyset_keyboard_text_edit", Route::KeySetPanel, 0}}, {});
    }
    if (type == "colorchanged") {
        return Lookup(
            controlName,
            {{"deng_color_pallet", Route::LightPanel, 0}, {"deng_audiocolor_pallet", Route::AudioLightPanel, 0}}, {});
    }
    if (type == "click_select_end") {
        return Lookup(controlName,
                      {{"device_key_light", Route::LightPanel, 0}, {"mouse_device_key_light", Route::LightPanel, 0}},
                      {});
    }
    if (type == "itemactivate" || type == "menu") {
        return Lookup(controlName, {{"macro_action", Route::MacroPanel, 0}}, {});
    }
    return {};
}

const char* RouteName(Route route) {
    switch (route) {
        case Route::None: return "none";
        case Route::CloseMainWindow: return "close main window";
        case Route::Minimise: return "minimise";
        case Route::Maximise: return "maximise";
        case Route::Restore: return "restore";
        case Route::SkinPicker: return "skin picker";
        case Route::OpenSettings: return "settings";
        case Route::LightControlToggle: return "light control";
        case Route::WindowsDeviceSettings: return "system device settings";
        case Route::SelectPreviousEntry: return "previous entry";
        case Route::SelectNextEntry: return "next entry";
        case Route::KeyButton: return "key button";
        case Route::LightColourOption: return "light colour option";
        case Route::AudioColourOption: return "audio colour option";
        case Route::ProfilePanel: return "profile panel";
        case Route::KeyboardSettings: return "keyboard settings";
        case Route::KeySetPanel: return "key setting panel";
        case Route::MacroPanel: return "macro panel";
        case Route::RecoilPanel: return "recoil panel";
        case Route::LightPanel: return "lighting panel";
        case Route::AudioLightPanel: return "audio lighting panel";
        case Route::HeadsetPanel: return "headset panel";
        case Route::MouseSettings: return "mouse settings";
        case Route::DeviceSelect: return "device select";
        case Route::FunctionTab: return "function tab";
    }
    return "none";
}

}  // namespace ivra::shell
