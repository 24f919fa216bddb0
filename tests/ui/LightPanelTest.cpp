// Journeys through the keyboard page's lighting panel with a simulated
// keyboard: the user picks effects and colours with real input events, and
// the keyboard's memory and the profile file show what was stored.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <functional>

#include "KeyboardPageHarness.h"
#include "base/JsonHelpers.h"
#include "controls/ColourPaletteUI.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "dui/LanguageResources.h"
#include "models/lighting/LightRecordLayout.h"
#include "transport/CommandFrame.h"
#include "panels/light/LightPanel.h"

namespace ivra::panels {
namespace {

namespace info = light::info;

struct Colour {
    int red, green, blue;
    bool operator==(const Colour&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

Colour Of(QRgb rgb) {
    return {qRed(rgb), qGreen(rgb), qBlue(rgb)};
}

// The helpers are public: the journeys' variants use them.
class LightPanelTest : public ::testing::Test {
public:
    void SetUp() override {
        harness.Services().message = [this](const QString& key, int, int) {
            messages << key;
            return 1;
        };
        ASSERT_TRUE(harness.Start());
        harness.OpenTab("deng_Op_tab");
        ASSERT_NE(harness.Control("light_combo_modeSelect"), nullptr);
        ASSERT_NE(Panel(), nullptr);
    }

    LightPanel* Panel() { return harness.Panels()->Light(); }
    KestrelKeyboardDevice& Device() { return *harness.Device(); }
    sim::SimFirmwareMemory Memory() { return harness.Keyboard().Firmware().Memory(); }
    // The settings record the program writes (slot 0).
    std::vector<uint8_t> Written() { return Memory().SettingsRecord(0); }
    Json::Value Profile() { return ReadJson(Device().GetProfilePath())["Device"][0]; }
    Colour RecordColour() {
        const LightInfo record = Device().CurrentLight();
        return {record[info::kRed], record[info::kGreen], record[info::kBlue]};
    }

    // Chooses an effect in the combo with the arrow keys, as a user does
    // with the combo focused.
    void PickEffectByKeys(int effect) {
        auto* combo = harness.Control<QComboBox>("light_combo_modeSelect");
        ASSERT_NE(combo, nullptr);
        combo->setFocus();
        for (int presses = 0; presses < 64 && combo->currentIndex() != effect; ++presses) {
            QTest::keyClick(combo, combo->currentIndex() < effect ? Qt::Key_Down : Qt::Key_Up);
        }
        ASSERT_EQ(combo->currentIndex(), effect);
        ASSERT_EQ(Device().CurrentLight()[info::kSelectItem], effect);
    }
    // Chooses an effect in the combo's list: opened, moved with the keys,
    // taken with Return.
    void PickEffectInList(int effect) {
        auto* combo = harness.Control<QComboBox>("light_combo_modeSelect");
        ASSERT_NE(combo, nullptr);
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Space);  // opens the list
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }));
        for (int presses = 0; presses < 64 && list->currentIndex().row() != effect; ++presses) {
            QTest::keyClick(list, list->currentIndex().row() < effect ? Qt::Key_Down : Qt::Key_Up);
        }
        ASSERT_EQ(list->currentIndex().row(), effect);
        QTest::keyClick(list, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); }));
        ASSERT_EQ(Device().CurrentLight()[info::kSelectItem], effect);
    }
    // Types into an edit and leaves it by clicking a button beside it.
    void TypeInto(const char* editName, const QString& text, const char* leaveBy) {
        auto* edit = harness.Control<QLineEdit>(editName);
        ASSERT_NE(edit, nullptr);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else {
            QTest::keyClicks(edit, text);
        }
        harness.Click(leaveBy);
    }
    // The colour stored for position `position` in light block `group` of
    // the keyboard's memory.
    Colour BlockColour(int group, int position) {
        const size_t led = Device().Maps().led[static_cast<size_t>(position)];
        const sim::SimFirmwareMemory memory = Memory();
        const size_t at = sim::SimFirmwareMemory::kLightBlockSize * static_cast<size_t>(group) + 3 * led;
        return {memory.lightBlocks[at], memory.lightBlocks[at + 1], memory.lightBlocks[at + 2]};
    }
    Colour ProfileGroupColour(int group, int position) {
        const Json::Value entry = Profile()["CustomLightMode"]["LightColorInfo"][group][position];
        return {entry["Red"].asInt(), entry["Green"].asInt(), entry["Blue"].asInt()};
    }
    testing::KeyboardPageHarness harness;
    QStringList messages;
};

// The journey: pick an effect, then a colour, in the ways the panel offers.
// The shipped profile starts on breathing with multicolour on, red; every
// colour choice turns multicolour off.
struct PickVariant {
    const char* name;
    int effect;
    bool inList;  // the list opened, else the closed combo's arrow keys
    // Picks the colour and says which colour must be stored.
    std::function<Colour(LightPanelTest&)> pickColour;
};

void PrintTo(const PickVariant& variant, std::ostream* out) {
    *out << variant.name;
}

class LightPanelPickTest : public LightPanelTest, public ::testing::WithParamInterface<PickVariant> {};

TEST_P(LightPanelPickTest, PickAnEffectAndAColour) {
    const PickVariant& variant = GetParam();
    ASSERT_NE(Device().CurrentLight()[info::kMultiColor], 0) << "the shipped profile starts with multicolour";
    if (variant.inList) {
        PickEffectInList(variant.effect);
    } else {
        PickEffectByKeys(variant.effect);
    }
    const Colour expected = variant.pickColour(*this);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();

    // The keyboard's settings record.
    const std::vector<uint8_t> written = Written();
    ASSERT_GE(written.size(), 9u);
    EXPECT_EQ(written[1], Device().LightNames().codes[static_cast<size_t>(variant.effect)]);
    EXPECT_EQ(written[5], 0) << "multicolour stays on";
    EXPECT_EQ((Colour{written[6], written[7], written[8]}), expected);
    // The profile file.
    const Json::Value light = Profile()["LightInfo"];
    EXPECT_EQ(light["SelectItem"].asInt(), variant.effect);
    EXPECT_FALSE(light["MultiColor"].asBool());
    EXPECT_EQ((Colour{light["Red"].asInt(), light["Green"].asInt(), light["Blue"].asInt()}), expected);
    // What the panel shows.
    EXPECT_FALSE(harness.Control<QAbstractButton>("deng_7color_check")->isChecked());
    EXPECT_EQ(harness.Control<QLineEdit>("deng_edit_R")->text(), QString::number(expected.red));
    EXPECT_EQ(harness.Control<QLineEdit>("deng_edit_G")->text(), QString::number(expected.green));
    EXPECT_EQ(harness.Control<QLineEdit>("deng_edit_B")->text(), QString::number(expected.blue));
    EXPECT_EQ(Of(harness.Control<controls::ColourPaletteUI>("deng_Color_Pallet")->Colour().rgb()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LightPanelPickTest,
    ::testing::Values(PickVariant{"PresetInList", 1, true,
                                  [](LightPanelTest& f) {
                                      f.harness.Click("color_option_3");
                                      return Of(f.Panel()->PresetColour(3));
                                  }},
                      PickVariant{"PaletteByKeys", 5, false,
                                  [](LightPanelTest& f) {
                                      auto* palette = f.harness.Control<controls::ColourPaletteUI>("deng_Color_Pallet");
                                      const QRect field = palette->FieldRect();
                                      const QPoint point(field.left() + field.width() * 2 / 3,
                                                         field.top() + field.height() / 4);
                                      const Colour colour = Of(palette->ColourAt(point).rgb());
                                      QTest::mouseClick(palette, Qt::LeftButton, {}, point);
                                      return colour;
                                  }},
                      PickVariant{"GreenEditAbove255", 11, false,
                                  [](LightPanelTest& f) {
                                      f.TypeInto("deng_edit_G", QStringLiteral("300"), "deng_colordp_btn");
                                      EXPECT_EQ(f.harness.Control<QLineEdit>("deng_edit_G")->text(), "255");
                                      return Colour{255, 255, 0};
                                  }},
                      PickVariant{"BlueEditCleared", 13, true,
                                  [](LightPanelTest& f) {
                                      f.harness.Click("color_option_5");
                                      const Colour preset = Of(f.Panel()->PresetColour(5));
                                      EXPECT_NE(preset.blue, 0);
                                      f.TypeInto("deng_edit_B", QString(), "deng_colordp_btn");
                                      EXPECT_EQ(f.harness.Control<QLineEdit>("deng_edit_B")->text(), "0");
                                      return Colour{preset.red, preset.green, 0};
                                  }}),
    [](const ::testing::TestParamInfo<PickVariant>& param) { return std::string(param.param.name); });

// Brightness, speed and multicolour, each by its own control; an edit the
// focus only passes through changes nothing.
TEST_F(LightPanelTest, SlidersAndMulticolourWriteTheRecord) {
    PickEffectByKeys(3);
    const LightInfo before = Device().CurrentLight();
    ASSERT_EQ(before[info::kLight], 4);
    ASSERT_NE(before[info::kMultiColor], 0);

    auto* brightness = harness.Control<QSlider>("deng_light_slider");
    brightness->setFocus();
    QTest::keyClick(brightness, Qt::Key_Left);
    EXPECT_EQ(Device().CurrentLight()[info::kLight], 3);
    EXPECT_EQ(Written()[2], 3);
    auto* speed = harness.Control<QSlider>("deng_speed_slider");
    speed->setFocus();
    QTest::keyClick(speed, Qt::Key_End);
    EXPECT_EQ(Device().CurrentLight()[info::kSpeed], 4);
    EXPECT_EQ(Written()[3], 0) << "the keyboard counts 0 as fastest";
    EXPECT_EQ(Profile()["LightInfo"]["Speed"].asInt(), 4);

    QTest::mouseClick(harness.Control("deng_edit_R"), Qt::LeftButton);
    harness.Click("deng_colordp_btn");
    EXPECT_NE(Device().CurrentLight()[info::kMultiColor], 0);

    harness.Click("deng_7color_check");
    EXPECT_EQ(Device().CurrentLight()[info::kMultiColor], 0);
    EXPECT_EQ(Written()[5], 0);
    harness.Click("deng_7color_check");
    EXPECT_EQ(Written()[5], 1);
    EXPECT_TRUE(Profile()["LightInfo"]["MultiColor"].asBool());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
}

// Effect 9 on a keyboard takes the colour away and names the direction pair
// inside out / outside in; the same-mode button is offered only by the
// effects that allow it, and only while the panel may show it.
TEST_F(LightPanelTest, DiagonalRainbowDisablesColoursAndRenamesTheDirections) {
    const dui::LanguageResources& texts = dui::LanguageResources::Instance();
    PickEffectByKeys(9);
    for (const char* name :
         {"deng_color_layout", "colorpallet_layout", "deng_7color_check", "light_color_layout", "deng_speed_layout"}) {
        EXPECT_FALSE(harness.Control(name)->isEnabled()) << name;
    }
    for (const char* name : {"deng_light_layout", "deng_fx_layout"}) {
        EXPECT_TRUE(harness.Control(name)->isEnabled()) << name;
    }
    auto* first = harness.Control<QAbstractButton>("deng_FXL_check");
    auto* second = harness.Control<QAbstractButton>("deng_FXR_check");
    EXPECT_EQ(first->text(), texts.Text("light_set_inside_to_outside_text"));
    EXPECT_EQ(second->text(), texts.Text("light_set_outside_to_inside_text"));
    EXPECT_EQ(first->accessibleName(), first->text());

    // The direction pair writes Fx: the second option is 0.
    harness.Click("deng_FXR_check");
    EXPECT_EQ(Device().CurrentLight()[info::kFx], 0);
    EXPECT_EQ(Written()[4], 0);
    harness.Click("deng_FXL_check");
    EXPECT_EQ(Device().CurrentLight()[info::kFx], 1);
    EXPECT_EQ(Profile()["LightInfo"]["Fx"].asInt(), 1);

    QWidget* sameMode = harness.Control("deng_same_mode");
    // The window allows it through the page while several devices show.
    harness.Panels()->SetSameModeAllowed(true);
    EXPECT_FALSE(sameMode->isVisible()) << "effect 9 offers no same mode";
    PickEffectByKeys(8);
    EXPECT_TRUE(harness.Control("colorpallet_layout")->isEnabled());
    EXPECT_EQ(first->text(), texts.Text("light_set_clockwise_text"));
    PickEffectByKeys(3);
    EXPECT_TRUE(sameMode->isVisible());
    EXPECT_EQ(first->text(), texts.Text("light_set_right_to_left_text"));
    harness.Panels()->SetSameModeAllowed(false);
    EXPECT_FALSE(sameMode->isVisible());
}

// Names marked invisible stay in the combo, so item i is effect i: the
// shipped list hides effect 0 and 22..28.
TEST_F(LightPanelTest, InvisibleEffectNamesKeepTheirIndex) {
    auto* combo = harness.Control<QComboBox>("light_combo_modeSelect");
    const light::LightNameLists& names = Device().LightNames();
    ASSERT_EQ(combo->count(), static_cast<int>(names.ComboNames().size()));
    ASSERT_FALSE(names.visible[0]);
    ASSERT_FALSE(names.visible[22]);
    auto* list = qobject_cast<QListView*>(combo->view());
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isRowHidden(0));
    EXPECT_FALSE(list->isRowHidden(1));
    EXPECT_EQ(combo->itemData(28, dui::LanguageResources::kItemTextKeyRole).toString(),
              QString::fromStdString(names.names[28]));

    // From Custom (21) one step down lands on Music (29): the hidden ones are
    // skipped and the index stays the effect's.
    PickEffectByKeys(21);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->currentIndex(), 29);
    EXPECT_EQ(Device().CurrentLight()[info::kSelectItem], 29);
    EXPECT_EQ(Profile()["LightInfo"]["SelectItem"].asInt(), 29);
    EXPECT_EQ(Written()[1], names.codes[29]);
    // Effect 29 shows the music controls.
    EXPECT_TRUE(harness.Control("light_combo_AudiomodeSelectLayout")->isVisible());
    EXPECT_EQ(harness.Control<QStackedWidget>("light_color_tablayout")->currentIndex(), 1);
    EXPECT_FALSE(harness.Control("deng_speed_layout")->isVisible());

    // A hidden effect set elsewhere (ivractl, the keyboard) shows as its item.
    LightInfo record = Device().CurrentLight();
    record[info::kSelectItem] = 24;
    ASSERT_TRUE(Device().ChangeLight(record));
    Panel()->ShowSettings();
    EXPECT_EQ(combo->currentIndex(), 24);
    EXPECT_EQ(combo->currentText(), dui::LanguageResources::Instance().Text(QString::fromStdString(names.names[24])));
}

// The music light: its mode, which colour the palette edits, a preset, an
// edit and multicolour, each stored in the profile.
TEST_F(LightPanelTest, MusicLightChangesAreStored) {
    PickEffectByKeys(29);
    auto* modes = harness.Control<QComboBox>("light_combo_audiomodeSelect");
    ASSERT_TRUE(modes->isVisible());
    EXPECT_EQ(modes->count(), LightPanel::kMusicModes);
    modes->setFocus();
    const int before = modes->currentIndex();
    QTest::keyClick(modes, Qt::Key_Down);
    EXPECT_EQ(Device().AudioLight().mode, before + 1);

    harness.Click("audio_BkColor_check");
    EXPECT_EQ(Device().AudioLight().colourTypeFlags, 0);
    harness.Click("audiocolor_option_2");
    const Colour preset = Of(Panel()->MusicPresetColour(2));
    const light::AudioLightSettings background = Device().AudioLight();
    EXPECT_EQ((Colour{background.background.red, background.background.green, background.background.blue}), preset);

    harness.Click("audio_FgColor_check");
    EXPECT_EQ(Device().AudioLight().colourTypeFlags, 1);
    // The edits now show the foreground colour; red above 255 is 255.
    const light::Rgb foreground = Device().AudioLight().foreground;
    EXPECT_EQ(harness.Control<QLineEdit>("deng_audioedit_G")->text(), QString::number(foreground.green));
    TypeInto("deng_audioedit_R", QStringLiteral("999"), "deng_audiocolordp_btn");
    EXPECT_EQ(harness.Control<QLineEdit>("deng_audioedit_R")->text(), "255");

    const bool seven = Device().AudioLight().sevenColourFlags != 0;
    harness.Click("deng_7audiocolor_check");
    EXPECT_EQ(Device().AudioLight().sevenColourFlags != 0, !seven);

    const Json::Value stored = Profile()["AudioLightInfo"];
    EXPECT_EQ(stored["AudioMode"].asInt(), before + 1);
    EXPECT_EQ((Colour{stored["BkColorR"].asInt(), stored["BkColorG"].asInt(), stored["BkColorB"].asInt()}), preset);
    EXPECT_EQ(stored["FgColorR"].asInt(), 255);
    EXPECT_EQ(stored["FgColorG"].asInt(), foreground.green);
    EXPECT_EQ(stored["ColorTypeFlags"].asInt(), 1);
    EXPECT_EQ(stored["7ColorFlags"].asInt() != 0, !seven);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
}

// The custom effect: a rubber band over three keys, the paint button, the
// group in the profile and in the keyboard's memory; a single key click
// paints that key; "all off" clears every key of the group.
TEST_F(LightPanelTest, PaintThreeKeysByDraggingAndSaveAGroup) {
    PickEffectByKeys(light::kCustomEffect);
    ASSERT_TRUE(harness.Control("lightcustom_layout")->isVisible());
    harness.Click("color_option_0");
    const Colour red = Of(Panel()->PresetColour(0));
    ASSERT_EQ(RecordColour(), red);
    const int group = Device().CurrentLight()[info::kCustomGroup];

    // Drag from the gap left of F1 to the middle of F3, on the key row.
    auto* picture = harness.Control<controls::SelectPanelUI>("device_key_light");
    ASSERT_NE(picture, nullptr);
    const QRect f1 = harness.Control("key_1")->geometry();
    const QRect f3 = harness.Control("key_3")->geometry();
    const QPoint from(f1.left() - 2, f1.center().y());
    const QPoint to(f3.center().x(), f3.center().y());
    ASSERT_EQ(qobject_cast<controls::DeviceKeyButtonUI*>(picture->childAt(from)), nullptr) << "not a gap";
    QTest::mousePress(picture, Qt::LeftButton, {}, from);
    QTest::mouseMove(picture, (from + to) / 2);
    QTest::mouseMove(picture, to);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, to);
    QStringList selected;
    for (const controls::DeviceKeyButtonUI* key : picture->SelectedButtons()) selected << key->objectName();
    ASSERT_EQ(selected, (QStringList{"key_1", "key_2", "key_3"}));

    harness.Click("custom_bright_color_btn");
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    for (int position : {1, 2, 3}) {
        EXPECT_EQ(BlockColour(group, position), red) << position;
        EXPECT_EQ(ProfileGroupColour(group, position), red) << position;
    }
    EXPECT_NE(BlockColour(group, 4), red);
    EXPECT_EQ(Profile()["CustomLightMode"]["LightColorInfo"][group][2]["Alpha"].asInt() > 0, true);
    // The marks stay after the paint.
    EXPECT_EQ(picture->SelectedButtons().size(), 3);

    // A click on one key paints it with the colour chosen now.
    harness.Click("color_option_5");
    const Colour blue = Of(Panel()->PresetColour(5));
    harness.Click("key_4");
    EXPECT_EQ(BlockColour(group, 4), blue);
    EXPECT_EQ(ProfileGroupColour(group, 4), blue);

    // "Selected off" turns the three off; "all off" every key.
    harness.Click("custom_off_color_btn");
    EXPECT_EQ(BlockColour(group, 2), (Colour{0, 0, 0}));
    EXPECT_EQ(BlockColour(group, 4), blue);
    harness.Click("Close_bkColor_btn");
    EXPECT_EQ(BlockColour(group, 4), (Colour{0, 0, 0}));
    EXPECT_EQ(ProfileGroupColour(group, 4), (Colour{0, 0, 0}));

    // Another group: chosen in the combo, stored as the group in use, and
    // painting now goes there while group 0 keeps its colours.
    harness.Click("key_7");
    auto* groups = harness.Control<QComboBox>("light_combo_custommodeSelect");
    groups->setFocus();
    QTest::keyClick(groups, Qt::Key_Down);
    const int next = groups->currentIndex();
    ASSERT_NE(next, group);
    EXPECT_EQ(Device().CurrentLight()[info::kCustomGroup], next);
    EXPECT_EQ(Profile()["LightInfo"]["CustomGroup"].asInt(), next);
    EXPECT_EQ(Profile()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), next);
    harness.Click("key_9");
    EXPECT_EQ(BlockColour(next, 9), blue);
    EXPECT_EQ(BlockColour(group, 7), blue);
    EXPECT_EQ(BlockColour(group, 9), (Colour{0, 0, 0}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
}

// A paint the keyboard does not take is said to the user, not swallowed.
TEST_F(LightPanelTest, APaintThatIsNotWrittenIsSaid) {
    PickEffectByKeys(light::kCustomEffect);
    harness.Keyboard().Faults().Add({command::kWriteLightBlock, 0, sim::SimFaultKind::NoAnswer});
    harness.Click("key_5");
    harness.Keyboard().Faults().Clear();
    EXPECT_EQ(messages, QStringList{"light_paint_not_sent_text"});
}

// Every interactive control of the panel has a name for assistive
// technology, in the current language, and takes the new language's name.
TEST_F(LightPanelTest, ControlsHaveAccessibleNamesThatFollowTheLanguage) {
    QWidget* root = harness.Control("light_control_panel");
    ASSERT_NE(root, nullptr);
    for (QWidget* control : root->findChildren<QWidget*>()) {
        const bool interactive = qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
                                 qobject_cast<QSlider*>(control) || qobject_cast<QLineEdit*>(control) ||
                                 qobject_cast<controls::ColourPaletteUI*>(control);
        if (!interactive || control->objectName().isEmpty()) continue;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    }
    auto* slider = harness.Control("deng_light_slider");
    auto* preset = harness.Control("color_option_0");
    dui::LanguageResources& texts = dui::LanguageResources::Instance();
    for (const char* file : {"lan_en.xml", "lan_cn.xml"}) {
        ASSERT_TRUE(texts.LoadLanguage(QStringLiteral(IVRA_SOURCE_DIR "/skin/") + file)) << file;
        texts.ReloadText(harness.Page());
        EXPECT_EQ(slider->accessibleName(), texts.Text("light_brightness_text")) << file;
        EXPECT_EQ(preset->accessibleName(), texts.Text("colour_red_text")) << file;
        auto* combo = harness.Control<QComboBox>("light_combo_modeSelect");
        EXPECT_EQ(combo->itemText(1), texts.Text("Steady")) << file;
    }
    EXPECT_NE(texts.Text("light_brightness_text"), "light_brightness_text");
}

}  // namespace
}  // namespace ivra::panels
