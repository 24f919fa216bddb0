// Every skin file builds, and declares each control the windows, panels and
// pages look up by name, with the kind it is used as.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <set>

#include "QtPrinters.h"
#include "SkinTestWindow.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/DeviceOptionUI.h"
#include "controls/SelectPanelUI.h"
#include "dui/ResourceIndex.h"

namespace ivra::testing {
namespace {

enum class Kind {
    Button,
    Option,
    Label,
    Edit,
    RichEdit,
    Combo,
    Slider,
    List,
    Progress,
    TabLayout,
    Container,
    SelectPanel,
    DeviceOption,
    Page
};

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::Button: return "button";
        case Kind::Option: return "option";
        case Kind::Label: return "label";
        case Kind::Edit: return "edit";
        case Kind::RichEdit: return "rich edit";
        case Kind::Combo: return "combo";
        case Kind::Slider: return "slider";
        case Kind::List: return "list";
        case Kind::Progress: return "progress";
        case Kind::TabLayout: return "tab layout";
        case Kind::Container: return "container";
        case Kind::SelectPanel: return "select panel";
        case Kind::DeviceOption: return "device option";
        case Kind::Page: return "device page";
    }
    return "?";
}

bool IsKind(QWidget* w, Kind kind) {
    auto* button = qobject_cast<QAbstractButton*>(w);
    switch (kind) {
        // Buttons are clicked and never stay down; options keep their state.
        case Kind::Button: return button != nullptr && !button->isCheckable();
        case Kind::Option: return button != nullptr && button->isCheckable();
        case Kind::Label: return qobject_cast<QLabel*>(w) != nullptr;
        case Kind::Edit: return qobject_cast<QLineEdit*>(w) != nullptr;
        case Kind::RichEdit: return qobject_cast<QTextEdit*>(w) != nullptr;
        case Kind::Combo: return qobject_cast<QComboBox*>(w) != nullptr;
        case Kind::Slider: return qobject_cast<QAbstractSlider*>(w) != nullptr;
        case Kind::List: return qobject_cast<QListWidget*>(w) != nullptr;
        case Kind::Progress: return qobject_cast<QProgressBar*>(w) != nullptr;
        case Kind::TabLayout: return qobject_cast<QStackedWidget*>(w) != nullptr;
        case Kind::Container: return w != nullptr;
        case Kind::SelectPanel: return qobject_cast<controls::SelectPanelUI*>(w) != nullptr;
        case Kind::DeviceOption: return qobject_cast<controls::DeviceOptionUI*>(w) != nullptr;
        case Kind::Page: return qobject_cast<controls::DevicePageUI*>(w) != nullptr;
    }
    return false;
}

struct Expected {
    std::string name;
    Kind kind;
};

struct SkinCase {
    const char* file;
    std::vector<Expected> controls;
};

std::vector<Expected> Family(const char* prefix, int count, Kind kind) {
    std::vector<Expected> family;
    for (int i = 0; i < count; ++i) family.push_back({prefix + std::to_string(i), kind});
    return family;
}

std::vector<Expected> Join(std::initializer_list<std::vector<Expected>> parts) {
    std::vector<Expected> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The controls a keyboard page holds, its included panels' among them.
std::vector<Expected> KeyboardPageControls() {
    return Join({
        {{"device_key_light", Kind::SelectPanel},
         {"device_function_switch", Kind::TabLayout},
         {"device_key_function_switch", Kind::TabLayout},
         // Profile panel and the function tabs.
         {"device_profile_combo", Kind::Combo},
         {"device_profile_name_edit", Kind::Edit},
         {"profile_menu_layout", Kind::Container},
         {"deng_Op_tab", Kind::Option},
         {"key_Op_tab", Kind::Option},
         {"macro_Op_tab", Kind::Option},
         {"system_Op_tab", Kind::Option},
         {"cursor_Op_tab", Kind::Option},
         {"6533_voice_Op_tab", Kind::Option},
         {"magic_Op_tab", Kind::Option},
         {"Virtual7.1_Op_tab", Kind::Option},
         {"device_add_btn", Kind::Button},
         {"device_sub_btn", Kind::Button},
         {"device_copy_btn", Kind::Button},
         {"device_import_btn", Kind::Button},
         {"device_export_btn", Kind::Button},
         {"device_reset_btn", Kind::Button},
         {"device_profile_edit_save_btn", Kind::Button},
         {"default_btn", Kind::Button},
         {"profile_fun_spread_btn", Kind::Button},
         // Lighting panel.
         {"light_combo_modeSelect", Kind::Combo},
         {"light_combo_custommodeSelect", Kind::Combo},
         {"light_combo_ZZCCmodeSelect", Kind::Combo},
         {"light_combo_audiomodeSelect", Kind::Combo},
         {"deng_light_slider", Kind::Slider},
         {"deng_speed_slider", Kind::Slider},
         {"deng_edit_R", Kind::Edit},
         {"deng_edit_G", Kind::Edit},
         {"deng_edit_B", Kind::Edit},
         {"deng_audioedit_R", Kind::Edit},
         {"deng_audioedit_G", Kind::Edit},
         {"deng_audioedit_B", Kind::Edit},
         {"deng_Color_Pallet", Kind::Container},
         {"deng_audioColor_Pallet", Kind::Container},
         {"deng_colordp_btn", Kind::Button},
         {"deng_audiocolordp_btn", Kind::Button},
         {"deng_7color_check", Kind::Option},
         {"deng_FXL_check", Kind::Option},
         {"deng_FXR_check", Kind::Option},
         {"deng_7audiocolor_check", Kind::Option},
         {"audio_BkColor_check", Kind::Option},
         {"audio_FgColor_check", Kind::Option},
         {"deng_same_mode", Kind::Button},
         {"custom_bright_color_btn", Kind::Button},
         {"custom_off_color_btn", Kind::Button},
         {"Close_bkColor_btn", Kind::Button},
         {"light_color_tablayout", Kind::TabLayout},
         {"lighteffect_layout", Kind::Container},
         {"deng_light_layout", Kind::Container},
         {"deng_speed_layout", Kind::Container},
         {"deng_fx_layout", Kind::Container},
         {"lightcustom_layout", Kind::Container},
         {"light_color_layout", Kind::Container},
         {"light_combo_ZZCCmodeSelectLayout", Kind::Container},
         {"light_combo_AudiomodeSelectLayout", Kind::Container},
         // Key setting panel.
         {"keyset_layout", Kind::Container},
         {"keyset_function_combo", Kind::Combo},
         {"function_switch_tablayout", Kind::TabLayout},
         {"keyset_keyboard_text_edit", Kind::Edit},
         {"keyset_mousekey_combo", Kind::Combo},
         {"keyset_mouseswing_combo", Kind::Combo},
         {"keyset_mousewheel_combo", Kind::Combo},
         {"keyset_mousedpi_combo", Kind::Combo},
         {"keyset_media_combo", Kind::Combo},
         {"keyset_system_combo", Kind::Combo},
         {"keyset_macro_combo", Kind::Combo},
         {"keyset_macro_over_combo", Kind::Combo},
         {"keyset_gunkey_combo", Kind::Combo},
         {"keyset_combokey_combo", Kind::Combo},
         {"keyset_mouseswing_num_edit", Kind::Edit},
         {"keyset_mouseswing_delay_edit", Kind::Edit},
         {"keyset_mouseswing_speed_edit", Kind::Edit},
         {"keyset_mousewheel_num_edit", Kind::Edit},
         {"keyset_mousewheel_delay_edit", Kind::Edit},
         {"keyset_mousewheel_speed_edit", Kind::Edit},
         {"keyset_mousefire_interval_edit", Kind::Edit},
         {"keyset_mousefire_num_edit", Kind::Edit},
         {"keyset_macro_cycle_layout", Kind::Container},
         {"keyset_macro_cycle_edit", Kind::Edit},
         {"key_butt_keysave", Kind::Button},
         {"key_butt_keydefalut", Kind::Button},
         {"key_butt_keycancel", Kind::Button},
         {"key_butt_prosave", Kind::Button},
         // Macro editor.
         {"macro_name_list", Kind::List},
         {"macro_action_list", Kind::List},
         {"macro_edit_macroname", Kind::Edit},
         {"macro_delay", Kind::Edit},
         {"macro_fixed_time_edit", Kind::Edit},
         {"macro_check_time", Kind::Option},
         {"macro_action_layout", Kind::Container},
         {"mouse_move_layout", Kind::Container},
         {"macro_name_tab", Kind::Container},
         {"macro_tab_macroaction_edit", Kind::Container},
         {"macro_tab_macrodelay_edit", Kind::Container},
         {"mouse_x_left_edit", Kind::Edit},
         {"mouse_x_right_edit", Kind::Edit},
         {"mouse_y_up_edit", Kind::Edit},
         {"mouse_y_down_edit", Kind::Edit},
         {"macro_btn_starredio", Kind::Button},
         {"macro_btn_stopredio", Kind::Button},
         {"macro_btn_name_add", Kind::Button},
         {"macro_btn_name_sub", Kind::Button},
         {"macro_btn_name_edit", Kind::Button},
         {"macro_btn_save", Kind::Button},
         {"macro_btn_cancel", Kind::Button},
         {"macro_btn_export", Kind::Button},
         {"macro_btn_import", Kind::Button},
         {"macro_btn_up", Kind::Button},
         {"macro_btn_down", Kind::Button},
         {"macro_btn_uptop", Kind::Button},
         {"macro_btn_downbottom", Kind::Button},
         {"macro_btn_delete", Kind::Button},
         {"macro_btn_deleteall", Kind::Button},
         {"macro_inset_moveleftkey_btn", Kind::Button},
         {"macro_inset_moverightkey_btn", Kind::Button},
         {"macro_inset_moveupkey_btn", Kind::Button},
         {"macro_inset_movedownkey_btn", Kind::Button},
         // Keyboard settings.
         {"repeat_rate_slider", Kind::Slider},
         {"repeat_delay_time_label1", Kind::Label},
         {"repeat_input_richedit", Kind::RichEdit},
         {"reset_repeat_btn", Kind::Button},
         {"winlockflag_option", Kind::Option},
         {"wflag_option", Kind::Option},
         {"6flag_option", Kind::Option},
         {"windowdeviceset_0", Kind::Button},
         {"windowdeviceset_1", Kind::Button}},
        Family("repeat_delay_check_", 4, Kind::Option),
        Family("polling_rate_option_", 4, Kind::Option),
        Family("key_ComBox_check_", 5, Kind::Option),
        Family("color_option_", 7, Kind::Option),
        Family("audiocolor_option_", 7, Kind::Option),
    });
}

std::vector<SkinCase> SkinCases() {
    return {
        {"main.ui",
         {{"root", Kind::Container},
          {"closebtn", Kind::Button},
          {"maxbtn", Kind::Button},
          {"restorebtn", Kind::Button},
          {"minbtn", Kind::Button},
          {"skinbtn", Kind::Button},
          {"setbtn", Kind::Button},
          {"control_light_status", Kind::Button},
          {"device_switch", Kind::TabLayout},
          {"device_power_switch", Kind::TabLayout},
          {"device_select_layout", Kind::Container},
          {"device_select_prev", Kind::Button},
          {"device_select_next", Kind::Button},
          {"No_device_Link", Kind::Container},
          {"nodevice_ok_btn", Kind::Button},
          {"setting_progress", Kind::Progress},
          {"text_test", Kind::Label}}},
        {"menu.ui", {{"exit", Kind::Button}}},
        {"MsgWnd.ui",
         {{"MessageTitle", Kind::Label},
          {"MessageText", Kind::Label},
          {"confirm_btn", Kind::Button},
          {"cancel_btn", Kind::Button},
          {"closebtn", Kind::Button}}},
        {"AboutWnd.ui",
         {{"closebtn", Kind::Button},
          {"maxbtn", Kind::Button},
          {"restorebtn", Kind::Button},
          {"minbtn", Kind::Button},
          {"menubtn", Kind::Button},
          {"homepage_btn", Kind::Button},
          {"text_test", Kind::Label},
          {"software_ver_label", Kind::Label}}},
        {"skin.ui",
         {{"skin_tab", Kind::TabLayout},
          {"skin_image_btn", Kind::Button},
          {"skin_color_btn", Kind::Button},
          {"skin_color", Kind::Option},
          {"skin_image", Kind::Option},
          {"skin_reset", Kind::Button},
          {"skin_Custom", Kind::Button}}},
        {"XML\\CustomControlXML\\DeviceOption.xml",
         {{"device_option", Kind::DeviceOption},
          {"device_select", Kind::Option},
          {"synchro_device_select", Kind::Option},
          {"device_select_name", Kind::Label}}},
        {"XML\\CustomControlXML\\MpDevicePower.xml",
         {{"device_power_Layout", Kind::Container},
          {"device_power_value", Kind::Label},
          {"device_wuxian_logo", Kind::Label},
          {"device_Power_progress", Kind::Progress},
          {"device_power_status", Kind::Label},
          {"device_phone_type", Kind::Label}}},
        {"XML\\CustomControlXML\\ShootControl.xml", Join({{{"shootdate_save_btn", Kind::Button},
                                                           {"shootdate_reset_btn", Kind::Button},
                                                           {"shootdate_import_btn", Kind::Button},
                                                           {"shootdate_export_btn", Kind::Button},
                                                           {"bullet_selected_prev", Kind::Button},
                                                           {"bullet_selected_next", Kind::Button},
                                                           {"bullet_x_eidt", Kind::Edit},
                                                           {"bullet_y_eidt", Kind::Edit},
                                                           {"bullet_delay_eidt", Kind::Edit},
                                                           {"bullet_x_check", Kind::Option},
                                                           {"bullet_y_check", Kind::Option}},
                                                          Family("shoot_gun_op_", 4, Kind::Option),
                                                          Family("bullet_op_", 8, Kind::Option)})},
        {"XML\\CustomControlXML\\Voice6533Control.xml", Join({{{"custom_eq_name_combo", Kind::Combo},
                                                               {"hs_EQ_btn_save", Kind::Button},
                                                               {"hs_EQ_btn_delete", Kind::Button},
                                                               {"6533_MicIn_slider", Kind::Slider},
                                                               {"6533_MicMoniter_slider", Kind::Slider},
                                                               {"6533_MicIn_option", Kind::Option},
                                                               {"6533_MicMoniter_option", Kind::Option}},
                                                              Family("6533_eq_hz_slider_", 10, Kind::Slider),
                                                              Family("6533_eq_option_", 5, Kind::Option)})},
        {"XML\\CustomControlXML\\MagicControl.xml",
         Join({{{"magic_enable_option", Kind::Option}}, Family("magic_option_", 6, Kind::Option)})},
        {"XML\\CustomControlXML\\VirtualSet.xml", {}},
        {"XML\\Menus\\macro_action_menu.xml", {}},
        {"XML\\DeviceXml\\keyboarddevice.xml", Join({{{"keyboard_device", Kind::Page}}, KeyboardPageControls()})},
        {"XML\\DeviceXml\\keyboarddevice_7210.xml",
         Join({{{"keyboard_device_7210", Kind::Page}}, KeyboardPageControls()})},
    };
}

TEST(SkinFiles, EveryFileDeclaresTheControlsLookedUpWithTheirKinds) {
    for (const SkinCase& skin : SkinCases()) {
        SCOPED_TRACE(skin.file);
        SkinTestWindow window;
        QString error;
        ASSERT_TRUE(window.Create(SkinFolder(), QString::fromLatin1(skin.file), &error)) << error.toStdString();
        for (const Expected& expected : skin.controls) {
            // Names are looked up without case, as the windows do.
            QWidget* control = window.GetPaintManager().FindControl(QString::fromStdString(expected.name).toUpper());
            ASSERT_NE(control, nullptr) << expected.name << " is missing";
            EXPECT_TRUE(IsKind(control, expected.kind)) << expected.name << " should be a " << KindName(expected.kind)
                                                        << ", is a " << control->metaObject()->className();
        }
    }
}

TEST(SkinFiles, OptionsThatSelectOneOfManyShareAGroup) {
    struct GroupCase {
        const char* file;
        std::vector<const char*> options;
    };
    const GroupCase cases[] = {
        {"skin.ui", {"skin_image", "skin_color"}},
        {"XML\\DeviceXml\\keyboarddevice.xml",
         {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab", "6533_voice_Op_tab",
          "magic_Op_tab", "Virtual7.1_Op_tab"}},
        {"XML\\DeviceXml\\keyboarddevice.xml",
         {"repeat_delay_check_0", "repeat_delay_check_1", "repeat_delay_check_2", "repeat_delay_check_3"}},
        {"XML\\DeviceXml\\keyboarddevice.xml",
         {"polling_rate_option_0", "polling_rate_option_1", "polling_rate_option_2", "polling_rate_option_3"}},
        {"XML\\DeviceXml\\keyboarddevice.xml", {"deng_FXL_check", "deng_FXR_check"}},
        {"XML\\CustomControlXML\\DeviceOption.xml", {"device_select"}},
    };
    for (const GroupCase& c : cases) {
        SCOPED_TRACE(c.file);
        SkinTestWindow window;
        ASSERT_TRUE(window.Create(SkinFolder(), QString::fromLatin1(c.file)));
        QString group;
        for (const char* name : c.options) {
            QWidget* option = window.GetPaintManager().FindControl(QString::fromLatin1(name));
            ASSERT_NE(option, nullptr) << name;
            const QString own = option->property("group").toString();
            EXPECT_FALSE(own.isEmpty()) << name << " has no group";
            if (group.isEmpty()) group = own;
            EXPECT_EQ(own, group) << name;
        }
    }
    // The selector entries form the group the device option table names.
    SkinTestWindow entry;
    ASSERT_TRUE(entry.Create(SkinFolder(), "XML\\CustomControlXML\\DeviceOption.xml"));
    EXPECT_EQ(entry.GetPaintManager().FindControl("device_select")->property("group").toString(), "tab_header_device");
}

// The keyboard's key positions as its key matrix places them (rows top to
// bottom); the picture must hold a key and a light button for each.
const std::vector<int>& MatrixPositions() {
    static const std::vector<int> positions = {
        0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12, 35, 56, 37, 58,        // row 0
        21,  22,  23,  24,  25,  26,  27,  28,  29,  30,  31,  32,  33, 34, 38, 39, 40,  41,   // row 1
        42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54, 55, 59, 60, 61,  119,  // row 2
        63,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  75, 76, 77, 78,            // row 3
        84,  85,  86,  87,  88,  89,  90,  91,  92,  93,  94,  95,  96, 97, 98, 99, 118,       // row 4
        105, 106, 107, 108, 109, 110, 112, 113, 114, 115, 116, 117,                            // row 5
    };
    return positions;
}

TEST(SkinFiles, KeyboardPicturesHoldOneKeyButtonPerPositionThatShowsItsLight) {
    for (const char* file : {"XML\\DeviceXml\\keyboarddevice.xml", "XML\\DeviceXml\\keyboarddevice_7210.xml"}) {
        SCOPED_TRACE(file);
        SkinTestWindow window;
        ASSERT_TRUE(window.Create(SkinFolder(), QString::fromLatin1(file)));
        auto* panel = window.GetPaintManager().Find<controls::SelectPanelUI>("device_key_light");
        ASSERT_NE(panel, nullptr);
        const QList<controls::DeviceKeyButtonUI*> buttons = panel->KeyButtons();
        std::map<QString, controls::DeviceKeyButtonUI*> byName;
        for (auto* button : buttons) {
            EXPECT_TRUE(byName.emplace(button->objectName(), button).second)
                << "twice: " << button->objectName().toStdString();
        }
        EXPECT_EQ(byName.size(), MatrixPositions().size()) << "one drawn control per position, and none for a "
                                                              "position the keyboard lacks";
        for (int position : MatrixPositions()) {
            auto* key = byName[QStringLiteral("key_%1").arg(position)];
            ASSERT_NE(key, nullptr) << "key_" << position;
            EXPECT_TRUE(panel->rect().contains(key->geometry())) << position << " is off the picture";
            EXPECT_FALSE(key->LightImage().isEmpty()) << "key_" << position << " shows no LED";
        }
        // No two keys overlap.
        for (int a : MatrixPositions()) {
            for (int b : MatrixPositions()) {
                if (a >= b) continue;
                EXPECT_FALSE(byName[QStringLiteral("key_%1").arg(a)]->geometry().intersects(
                    byName[QStringLiteral("key_%1").arg(b)]->geometry()))
                    << "key_" << a << " overlaps key_" << b;
            }
        }
    }
}

TEST(SkinFiles, ResourceIndexNamesTheWindowSkins) {
    dui::ResourceIndex index;
    QString error;
    ASSERT_TRUE(index.Load(QDir(SkinFolder()).filePath("res.xml"), &error)) << error.toStdString();
    EXPECT_EQ(index.File("XML_MAIN"), "main.ui");
    EXPECT_EQ(index.File("xml_msg"), "MsgWnd.ui");
    EXPECT_EQ(index.File("XML_NONE"), "");
    for (const QString& id : index.Ids()) {
        EXPECT_TRUE(QFile::exists(QDir(SkinFolder()).filePath(index.File(id)))) << id.toStdString();
    }
}

TEST(SkinFiles, ResourceIndexRefusesWhatIsNotAnIndex) {
    struct Case {
        const char* what;
        const char* text;  // null: no file at all
        bool loads;
        int ids;
    };
    const Case cases[] = {
        {"missing file", nullptr, false, 0},
        {"not XML", "<Resources><Skin id=", false, 0},
        {"other root", "<Skins><Skin id=\"A\" file=\"a.ui\"/></Skins>", false, 0},
        {"entry without a file", "<Resources><Skin id=\"A\"/></Resources>", false, 0},
        {"empty index", "<Resources/>", true, 0},
        {"unknown entries skipped", "<Resources><Font name=\"x\"/><Skin id=\"A\" file=\"a.ui\"/></Resources>", true, 1},
        {"repeated id: the last file wins",
         "<Resources><Skin id=\"A\" file=\"a.ui\"/><Skin id=\"a\" file=\"b.ui\"/></Resources>", true, 1},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QString::fromLatin1(c.what) + ".xml");
        if (c.text != nullptr) {
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(c.text);
        }
        dui::ResourceIndex index;
        index.Load(QDir(SkinFolder()).filePath("res.xml"));
        QString error;
        EXPECT_EQ(index.Load(path, &error), c.loads);
        EXPECT_EQ(error.isEmpty(), c.loads);
        EXPECT_EQ(index.Ids().size(), c.ids) << "a failed load leaves the index empty";
        EXPECT_FALSE(index.Has("XML_MAIN"));
    }
    dui::ResourceIndex index;
    ASSERT_TRUE(index.Load(dir.filePath("repeated id: the last file wins.xml")));
    EXPECT_EQ(index.File("A"), "b.ui");
}

}  // namespace
}  // namespace ivra::testing
