#include "panels/light/LightPanel.h"

#include <QAbstractButton>
#include <algorithm>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QStandardItemModel>

#include "base/DebugOutput.h"
#include "base/TextHelpers.h"
#include "controls/ColourPaletteUI.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "dui/AccessibleNames.h"
#include "dui/LanguageResources.h"
#include "dui/PaintManager.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightSections.h"
#include "panels/PageContext.h"
#include "panels/light/LightLayoutRules.h"

namespace ivra::panels {
namespace {

namespace info = light::info;

constexpr int kEffectItemHeight = 30;
constexpr int kPresetCount = 7;
constexpr int kComponentMax = 255;

// Controls named by the language text of what they are or do.
constexpr dui::AccessibleKey kAccessibleNames[] = {
    {"light_combo_modeSelect", "light_effect_title_text"},
    {"light_combo_ZZCCmodeSelect", "light_colour_preset_title_text"},
    {"light_combo_custommodeSelect", "light_custom_group_title_text"},
    {"light_combo_audiomodeSelect", "light_music_mode_title_text"},
    {"deng_light_slider", "light_brightness_text"},
    {"deng_speed_slider", "light_speed_text"},
    {"deng_edit_R", "light_red_text"},
    {"deng_edit_G", "light_green_text"},
    {"deng_edit_B", "light_blue_text"},
    {"deng_audioedit_R", "light_music_red_text"},
    {"deng_audioedit_G", "light_music_green_text"},
    {"deng_audioedit_B", "light_music_blue_text"},
    {"deng_Color_Pallet", "light_palette_text"},
    {"deng_audioColor_Pallet", "light_music_palette_text"},
    {"deng_colordp_btn", "light_colour_shown_text"},
    {"deng_audiocolordp_btn", "light_music_colour_shown_text"},
    {"deng_7color_check", "light_multicolour_text"},
    {"deng_7audiocolor_check", "light_music_multicolour_text"},
    {"audio_BkColor_check", "light_music_background_text"},
    {"audio_FgColor_check", "light_music_foreground_text"},
    {"custom_bright_color_btn", "light_custom_paint_text"},
    {"custom_off_color_btn", "light_custom_off_text"},
    {"Close_bkColor_btn", "light_custom_clear_text"},
    {"deng_same_mode", "light_same_mode_text"},
};

// The edits of a colour, red first.
constexpr const char* kColourEdits[] = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr const char* kMusicEdits[] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};

bool Is(const QString& name, const char* control) {
    return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

int EditIndex(const QString& name, const char* const (&edits)[3]) {
    for (int i = 0; i < 3; ++i) {
        if (Is(name, edits[i])) return i;
    }
    return -1;
}

QRgb RgbOf(light::Rgb colour) {
    return qRgb(colour.red, colour.green, colour.blue);
}

light::Rgb ColourOf(QRgb colour) {
    return {static_cast<uint8_t>(qRed(colour)), static_cast<uint8_t>(qGreen(colour)),
            static_cast<uint8_t>(qBlue(colour))};
}

dui::LanguageResources& Texts() {
    return dui::LanguageResources::Instance();
}

// Fills a combo with items whose texts are language keys; the items keep
// their keys so that a language change translates them again.
void FillKeyed(QComboBox* combo, const QStringList& keys) {
    if (combo == nullptr) return;
    const QSignalBlocker block(combo);
    combo->clear();
    for (int i = 0; i < keys.size(); ++i) {
        combo->addItem(Texts().Text(keys[i]));
        combo->setItemData(i, keys[i], dui::LanguageResources::kItemTextKeyRole);
        combo->setItemData(i, Texts().Text(keys[i]), Qt::ToolTipRole);
    }
}

void SelectItem(QComboBox* combo, int index) {
    if (combo == nullptr) return;
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

}  // namespace

LightPanel::LightPanel(QWidget* root, PageContext& page) : PagePanel(root, page) {
    FillChoiceCombos();
    NameControls();
    ApplyLayoutRule(-1);
}

KestrelKeyboardDevice* LightPanel::Keyboard() const {
    return Page().Keyboard();
}

// ---- Showing ------------------------------------------------------------------

void LightPanel::FillChoiceCombos() {
    QStringList groups;
    for (int g = 1; g <= kCustomGroupChoices; ++g) groups << QStringLiteral("light_custom_group_%1").arg(g);
    FillKeyed(Find<QComboBox>(QStringLiteral("light_combo_custommodeSelect")), groups);
    QStringList presets;
    for (int p = 1; p <= kColourPresetChoices; ++p) presets << QStringLiteral("light_colour_preset_%1").arg(p);
    FillKeyed(Find<QComboBox>(QStringLiteral("light_combo_ZZCCmodeSelect")), presets);
    QStringList modes;
    for (int m = 0; m < kMusicModes; ++m) modes << QStringLiteral("light_music_mode_%1").arg(m);
    FillKeyed(Find<QComboBox>(QStringLiteral("light_combo_audiomodeSelect")), modes);
}

void LightPanel::NameControls() {
    dui::SetAccessibleKeys(Root(), kAccessibleNames);
    // Presets are named by their colour (the skin says which it is).
    for (const char* prefix : {"color_option_", "audiocolor_option_"}) {
        for (int n = 0; n < kPresetCount; ++n) {
            QWidget* preset = Find(QString::fromLatin1(prefix) + QString::number(n));
            if (preset == nullptr) continue;
            const QString key = preset->property("colourKey").toString();
            if (!key.isEmpty()) {
                Texts().SetAccessibleKey(preset, key);
            } else {
                preset->setAccessibleName(QColor(preset->property("bkcolor").toString()).name().toUpper());
            }
        }
    }
}

void LightPanel::ShowSettings() {
    KestrelKeyboardDevice* keyboard = Keyboard();
    if (keyboard == nullptr) return;
    kind_ = kLightKindKeyboard;
    const light::LightNameLists& names = keyboard->LightNames();
    const std::vector<std::string> comboNames = names.ComboNames();
    const std::vector<bool> comboVisible = names.ComboVisible();
    if (comboNames != effectNames_ || comboVisible != effectVisible_) {
        FillEffectList(comboNames, comboVisible, 4, 4);
    }
    const LightInfo record = keyboard->CurrentLight();
    ShowLightRecord(record);
    SelectItem(Find<QComboBox>(QStringLiteral("light_combo_custommodeSelect")), record[info::kCustomGroup]);
    SelectItem(Find<QComboBox>(QStringLiteral("light_combo_ZZCCmodeSelect")), record[info::kZZCCLedMode]);
    ShowMusicLight(keyboard->AudioLight());
}

void LightPanel::FillEffectList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                                int brightnessMax, int speedMax) {
    effectNames_ = names;
    effectVisible_ = visible;
    if (auto* combo = Find<QComboBox>(QStringLiteral("light_combo_modeSelect"))) {
        const QSignalBlocker block(combo);
        combo->clear();
        auto* model = qobject_cast<QStandardItemModel*>(combo->model());
        auto* view = qobject_cast<QListView*>(combo->view());
        for (size_t i = 0; i < names.size(); ++i) {
            const QString key = QString::fromStdString(names[i]);
            const int row = static_cast<int>(i);
            combo->addItem(Texts().Text(key));
            combo->setItemData(row, key, dui::LanguageResources::kItemTextKeyRole);
            combo->setItemData(row, Texts().Text(key), Qt::ToolTipRole);
            combo->setItemData(row, QSize(0, kEffectItemHeight), Qt::SizeHintRole);
            const bool shown = i >= visible.size() || visible[i];
            if (shown) continue;
            // A hidden effect keeps its place, so item i stays effect i; the
            // keys skip it as they skip every disabled item.
            if (view != nullptr) view->setRowHidden(row, true);
            if (model != nullptr && model->item(row) != nullptr) model->item(row)->setEnabled(false);
        }
    }
    for (const auto& [name, most] : {std::pair{"deng_light_slider", brightnessMax}, {"deng_speed_slider", speedMax}}) {
        if (auto* slider = Find<QSlider>(QString::fromLatin1(name))) {
            const QSignalBlocker block(slider);
            slider->setRange(0, most);
        }
    }
}

void LightPanel::ShowLightRecord(const LightInfo& record) {
    SelectEffectItem(record[info::kSelectItem]);
    for (const auto& [name, byte] :
         {std::pair{"deng_light_slider", info::kLight}, {"deng_speed_slider", info::kSpeed}}) {
        if (auto* slider = Find<QSlider>(QString::fromLatin1(name))) {
            const QSignalBlocker block(slider);
            slider->setValue(record[byte]);
        }
    }
    ShowColourControls(RgbOf(light::FixedColour(record)), "deng_edit_", "deng_Color_Pallet", "deng_colordp_btn");
    ShowMultiColour("deng_7color_check", record[info::kMultiColor] != 0);
    const bool first = record[info::kFx] == 1;
    dui::PaintManager::SelectOption(Find<QAbstractButton>(QStringLiteral("deng_FXL_check")), first, false);
    dui::PaintManager::SelectOption(Find<QAbstractButton>(QStringLiteral("deng_FXR_check")), !first, false);
    ApplyLayoutRule(record[info::kSelectItem]);
}

void LightPanel::SelectEffectItem(int index) {
    SelectItem(Find<QComboBox>(QStringLiteral("light_combo_modeSelect")), index);
    ApplyLayoutRule(index);
}

void LightPanel::ShowColourControls(QRgb colour, const char* edits, const char* palette, const char* shown) {
    const int components[] = {qRed(colour), qGreen(colour), qBlue(colour)};
    const char* letters[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) {
        if (auto* edit = Find<QLineEdit>(QString::fromLatin1(edits) + QLatin1String(letters[i]))) {
            edit->setText(QString::number(components[i]));
            edit->setModified(false);
        }
    }
    if (auto* picker = Find<controls::ColourPaletteUI>(QString::fromLatin1(palette))) {
        picker->SetColour(QColor::fromRgb(colour));
    }
    if (auto* button = Find<QAbstractButton>(QString::fromLatin1(shown))) {
        const QString name = QColor::fromRgb(colour).name(QColor::HexArgb).toUpper();
        button->setProperty("bkcolor", name);
        button->setStyleSheet(QStringLiteral("background-color: %1;").arg(name));
        button->setAccessibleDescription(QColor::fromRgb(colour).name().toUpper());
    }
}

void LightPanel::SetColour(QRgb colour) {
    ShowColourControls(colour | 0xFF000000u, "deng_edit_", "deng_Color_Pallet", "deng_colordp_btn");
}

void LightPanel::ShowMultiColour(const char* option, bool on) {
    dui::PaintManager::SelectOption(Find<QAbstractButton>(QString::fromLatin1(option)), on, false);
}

void LightPanel::ShowMusicLight(const light::AudioLightSettings& settings) {
    if (Find(QStringLiteral("light_combo_audiomodeSelect")) == nullptr ||
        Find(QStringLiteral("deng_audioColor_Pallet")) == nullptr) {
        // The skin must provide them; without them nothing of the music
        // light can be shown or changed.
        DebugLine(" SetAudioLightInfo control is NULL");
        return;
    }
    SelectItem(Find<QComboBox>(QStringLiteral("light_combo_audiomodeSelect")), settings.mode);
    const bool foreground = settings.colourTypeFlags != 0;
    dui::PaintManager::SelectOption(Find<QAbstractButton>(QStringLiteral("audio_BkColor_check")), !foreground, false);
    dui::PaintManager::SelectOption(Find<QAbstractButton>(QStringLiteral("audio_FgColor_check")), foreground, false);
    ShowMultiColour("deng_7audiocolor_check", settings.sevenColourFlags != 0);
    ShowColourControls(RgbOf(foreground ? settings.foreground : settings.background), "deng_audioedit_",
                       "deng_audioColor_Pallet", "deng_audiocolordp_btn");
}

QRgb LightPanel::PresetColour(int n) const {
    const QWidget* preset = Find(QStringLiteral("color_option_%1").arg(n));
    const QColor colour = preset ? QColor(preset->property("bkcolor").toString()) : QColor();
    return colour.isValid() ? colour.rgb() & 0xFFFFFFu : 0;
}

QRgb LightPanel::MusicPresetColour(int n) const {
    const QWidget* preset = Find(QStringLiteral("audiocolor_option_%1").arg(n));
    const QColor colour = preset ? QColor(preset->property("bkcolor").toString()) : QColor();
    return colour.isValid() ? colour.rgb() & 0xFFFFFFu : 0;
}

int LightPanel::SelectedCustomGroup() const {
    const auto* combo = Find<QComboBox>(QStringLiteral("light_combo_custommodeSelect"));
    return combo ? combo->currentIndex() : -1;
}

// ---- Layout -------------------------------------------------------------------

void LightPanel::SetSameModeAllowed(bool allowed) {
    sameModeAllowed_ = allowed;
    const auto* combo = Find<QComboBox>(QStringLiteral("light_combo_modeSelect"));
    ApplyLayoutRule(combo ? combo->currentIndex() : -1);
}

void LightPanel::ShowSameModeButton(bool offered) {
    sameModeOffered_ = offered;
    if (QWidget* button = Find(QStringLiteral("deng_same_mode"))) button->setVisible(offered && sameModeAllowed_);
}

void LightPanel::ApplyLayoutRule(int effect) {
    const std::optional<LightLayoutRule> found = LightLayoutRuleFor(kind_, effect);
    if (!found) return;
    const LightLayoutRule& rule = *found;
    const auto enable = [this](const char* name, bool on) {
        if (QWidget* control = Find(QString::fromLatin1(name))) control->setEnabled(on);
    };
    const auto show = [this](const char* name, std::optional<bool> shown) {
        if (!shown) return;
        if (QWidget* control = Find(QString::fromLatin1(name))) control->setVisible(*shown);
    };
    enable("lighteffect_layout", rule.effect);
    enable("deng_7color_check", rule.multicolour);
    enable("deng_color_layout", rule.colour);
    enable("colorpallet_layout", rule.palette);
    enable("deng_light_layout", rule.brightness);
    enable("deng_speed_layout", rule.speed);
    if (rule.direction) enable("deng_fx_layout", *rule.direction);
    if (rule.colourCard) enable("light_color_layout", *rule.colourCard);
    show("deng_speed_layout", rule.speedShown);
    show("lightcustom_layout", rule.customShown);
    show("light_combo_ZZCCmodeSelectLayout", rule.colourPresetShown);
    show("light_combo_AudiomodeSelectLayout", rule.musicModeShown);
    if (rule.colourPage) {
        if (auto* pages = Find<QStackedWidget>(QStringLiteral("light_color_tablayout"))) {
            pages->setCurrentIndex(*rule.colourPage);
        }
    }
    if (rule.directionTexts) {
        const std::pair<const char*, const char*> pair[] = {{"deng_FXL_check", rule.directionTexts->first},
                                                            {"deng_FXR_check", rule.directionTexts->second}};
        for (const auto& [name, key] : pair) {
            if (QWidget* option = Find(QString::fromLatin1(name))) {
                Texts().SetTextKey(option, QString::fromLatin1(key));
                Texts().SetAccessibleKey(option, QString::fromLatin1(key));
            }
        }
    }
    if (rule.sameMode != SameModeButton::kUnchanged) ShowSameModeButton(rule.sameMode == SameModeButton::kOffered);
}

// ---- Changes ------------------------------------------------------------------

bool LightPanel::Handle(const PanelNotice& notice) {
    // "click_select_end": the selection marks stay on the keys; the paint
    // buttons read them.
    if (notice.type == QLatin1String("click_select_end")) return true;
    if (Keyboard() == nullptr) return false;
    if (notice.type == QLatin1String("itemselect")) return OnItemSelect(notice);
    if (notice.type == QLatin1String("valuechanged")) return OnValueChanged(notice);
    if (notice.type == QLatin1String("colorchanged")) return OnColourChanged(notice);
    if (notice.type == QLatin1String("click")) return OnClick(notice);
    if (notice.type == QLatin1String("killfocus")) return OnKillFocus(notice);
    if (notice.type == QLatin1String("selectchanged")) return OnSelectChanged(notice);
    return false;
}

bool LightPanel::OnItemSelect(const PanelNotice& notice) {
    KestrelKeyboardDevice& keyboard = *Keyboard();
    const int item = static_cast<int>(notice.wParam);
    LightInfo record = keyboard.CurrentLight();
    if (Is(notice.name, "light_combo_modeSelect")) {
        if (item < 0 || item > 255) return true;
        record[info::kSelectItem] = static_cast<uint8_t>(item);
        SelectEffectItem(item);
        WriteLight(record);
    } else if (Is(notice.name, "light_combo_custommodeSelect")) {
        if (item < 0 || item >= static_cast<int>(light::kMaxCustomGroups)) return true;
        keyboard.SelectCustomGroup(item);
        record[info::kCustomGroup] = static_cast<uint8_t>(item);
        WriteLight(record);
        keyboard.LoadCustomGroup();
    } else if (Is(notice.name, "light_combo_ZZCCmodeSelect")) {
        if (item < 0 || item >= kColourPresetChoices) return true;
        record[info::kZZCCLedMode] = static_cast<uint8_t>(item);
        WriteLight(record);
    } else if (Is(notice.name, "light_combo_audiomodeSelect")) {
        if (item < 0 || item >= kMusicModes) return true;
        light::AudioLightSettings music = keyboard.AudioLight();
        music.mode = static_cast<uint8_t>(item);
        WriteMusicLight(music);
    } else {
        return false;
    }
    return true;
}

bool LightPanel::OnValueChanged(const PanelNotice& notice) {
    LightInfo record = Keyboard()->CurrentLight();
    const auto value = static_cast<uint8_t>(qMin<quintptr>(notice.wParam, 255));
    if (Is(notice.name, "deng_light_slider")) {
        record[info::kLight] = value;
    } else if (Is(notice.name, "deng_speed_slider")) {
        record[info::kSpeed] = value;
    } else {
        return false;
    }
    WriteLight(record);
    return true;
}

bool LightPanel::OnColourChanged(const PanelNotice& notice) {
    const auto colour = static_cast<QRgb>(notice.wParam & 0xFFFFFFu);
    if (Is(notice.name, "deng_Color_Pallet")) {
        ChooseColour(colour);
    } else if (Is(notice.name, "deng_audioColor_Pallet")) {
        ChooseMusicColour(colour);
    } else {
        return false;
    }
    return true;
}

bool LightPanel::OnClick(const PanelNotice& notice) {
    const QString prefix = notice.name.left(notice.name.lastIndexOf(QLatin1Char('_')) + 1);
    if (Is(prefix, "color_option_")) {
        ChooseColour(PresetColour(notice.number));
    } else if (Is(prefix, "audiocolor_option_")) {
        ChooseMusicColour(MusicPresetColour(notice.number));
    } else if (Is(notice.name, "custom_bright_color_btn") || Is(notice.name, "custom_off_color_btn")) {
        const std::vector<int> positions = SelectedKeyPositions();
        if (positions.empty()) {
            DebugLine("lighting panel: no key is selected; drag over the keys to select them");
            return true;
        }
        const bool bright = Is(notice.name, "custom_bright_color_btn");
        const LightInfo record = Keyboard()->CurrentLight();
        PaintKeys(positions, bright ? std::optional<QRgb>(RgbOf(light::FixedColour(record))) : std::nullopt);
    } else if (Is(notice.name, "Close_bkColor_btn")) {
        // Every light of the keyboard goes off.
        std::vector<int> positions(static_cast<size_t>(std::max(Keyboard()->LedCount(), 0)));
        for (size_t p = 0; p < positions.size(); ++p) positions[p] = static_cast<int>(p);
        PaintKeys(positions, std::nullopt);
    } else if (Is(notice.name, "deng_same_mode")) {
        DebugLine("lighting panel: same mode asked for; it is not carried out by this panel");
    } else {
        return false;
    }
    return true;
}

bool LightPanel::OnKillFocus(const PanelNotice& notice) {
    if (EditIndex(notice.name, kColourEdits) < 0 && EditIndex(notice.name, kMusicEdits) < 0) return false;
    auto* edit = qobject_cast<QLineEdit*>(notice.sender);
    // Focus that only passes through an edit changes nothing.
    if (edit == nullptr || !edit->isModified()) return true;
    if (const int component = EditIndex(notice.name, kColourEdits); component >= 0) {
        LightInfo record = Keyboard()->CurrentLight();
        record[info::kRed + static_cast<size_t>(component)] = static_cast<uint8_t>(TakeComponent(edit));
        record[info::kMultiColor] = 0;
        ShowMultiColour("deng_7color_check", false);
        WriteLight(record);
    } else if (const int music = EditIndex(notice.name, kMusicEdits); music >= 0) {
        light::AudioLightSettings settings = Keyboard()->AudioLight();
        light::Rgb& colour = settings.colourTypeFlags != 0 ? settings.foreground : settings.background;
        const auto value = static_cast<uint8_t>(TakeComponent(edit));
        (music == 0 ? colour.red : music == 1 ? colour.green : colour.blue) = value;
        WriteMusicLight(settings);
    }
    return true;
}

int LightPanel::TakeComponent(QLineEdit* edit) {
    const QString text = edit->text().trimmed();
    bool number = false;
    const int read = text.toInt(&number, 10);
    const int value = number ? qBound(0, read, kComponentMax) : 0;
    if (!number || value != read || text != QString::number(value)) edit->setText(QString::number(value));
    edit->setModified(false);
    return value;
}

bool LightPanel::OnSelectChanged(const PanelNotice& notice) {
    const bool on = notice.wParam != 0;
    KestrelKeyboardDevice& keyboard = *Keyboard();
    if (Is(notice.name, "deng_7color_check")) {
        LightInfo record = keyboard.CurrentLight();
        record[info::kMultiColor] = on ? 1 : 0;
        WriteLight(record);
    } else if (Is(notice.name, "deng_FXL_check") || Is(notice.name, "deng_FXR_check")) {
        // The pair says it twice (one on, the other off): the one turned on
        // decides.
        if (!on) return true;
        LightInfo record = keyboard.CurrentLight();
        record[info::kFx] = Is(notice.name, "deng_FXL_check") ? 1 : 0;
        WriteLight(record);
    } else if (Is(notice.name, "deng_7audiocolor_check")) {
        light::AudioLightSettings settings = keyboard.AudioLight();
        settings.sevenColourFlags = on ? 1 : 0;
        WriteMusicLight(settings);
    } else if (Is(notice.name, "audio_BkColor_check") || Is(notice.name, "audio_FgColor_check")) {
        if (!on) return true;
        light::AudioLightSettings settings = keyboard.AudioLight();
        settings.colourTypeFlags = Is(notice.name, "audio_FgColor_check") ? 1 : 0;
        WriteMusicLight(settings);
    } else {
        return false;
    }
    return true;
}

void LightPanel::ChooseColour(QRgb colour) {
    LightInfo record = Keyboard()->CurrentLight();
    const light::Rgb rgb = ColourOf(colour);
    record[info::kRed] = rgb.red;
    record[info::kGreen] = rgb.green;
    record[info::kBlue] = rgb.blue;
    record[info::kMultiColor] = 0;
    ShowMultiColour("deng_7color_check", false);
    WriteLight(record);
}

void LightPanel::ChooseMusicColour(QRgb colour) {
    light::AudioLightSettings settings = Keyboard()->AudioLight();
    (settings.colourTypeFlags != 0 ? settings.foreground : settings.background) = ColourOf(colour);
    WriteMusicLight(settings);
}

void LightPanel::WriteLight(const LightInfo& record) {
    KestrelKeyboardDevice& keyboard = *Keyboard();
    const bool written = keyboard.ChangeLight(record);
    ShowLightRecord(keyboard.CurrentLight());
    if (!keyboard.LastSaveSucceeded()) {
        Say("light_not_saved_text");
    } else if (!written) {
        Say("light_not_written_text");
    }
}

void LightPanel::WriteMusicLight(const light::AudioLightSettings& settings) {
    KestrelKeyboardDevice& keyboard = *Keyboard();
    const bool saved = keyboard.ChangeAudioLight(settings);
    ShowMusicLight(keyboard.AudioLight());
    if (!saved) Say("light_not_saved_text");
}

// ---- Custom key colours --------------------------------------------------------

void LightPanel::PaintKey(int position) {
    KestrelKeyboardDevice* keyboard = Keyboard();
    if (keyboard == nullptr || keyboard->CurrentLight()[info::kSelectItem] != light::kCustomEffect) return;
    PaintKeys({position}, RgbOf(light::FixedColour(keyboard->CurrentLight())));
}

void LightPanel::PaintKeys(const std::vector<int>& positions, std::optional<QRgb> colour) {
    const std::optional<light::Rgb> rgb = colour ? std::optional<light::Rgb>(ColourOf(*colour)) : std::nullopt;
    const CustomPaintOutcome outcome = Keyboard()->PaintCustomKeys(positions, rgb);
    if (outcome != CustomPaintOutcome::kPainted) SayPaintFailed(outcome);
}

void LightPanel::SayPaintFailed(CustomPaintOutcome outcome) {
    switch (outcome) {
        case CustomPaintOutcome::kPainted: return;
        case CustomPaintOutcome::kNotCustomEffect: Say("light_paint_not_custom_text"); return;
        case CustomPaintOutcome::kNoSuchLight: Say("light_paint_no_light_text"); return;
        case CustomPaintOutcome::kNotStored: Say("light_paint_not_stored_text"); return;
        case CustomPaintOutcome::kNotSaved: Say("light_not_saved_text"); return;
        case CustomPaintOutcome::kNotSent: Say("light_paint_not_sent_text"); return;
    }
}

void LightPanel::Say(const char* textKey) {
    DebugLine(std::string("lighting panel: ") + textKey);
    if (Page().Services().message) Page().Services().message(QString::fromLatin1(textKey), 1, -1);
}

std::vector<int> LightPanel::SelectedKeyPositions() const {
    std::vector<int> positions;
    auto* picture = qobject_cast<controls::SelectPanelUI*>(
        dui::PaintManager::FindSubControlByName(Page().PageWidget(), QStringLiteral("device_key_light")));
    if (picture == nullptr) return positions;
    for (const controls::DeviceKeyButtonUI* button : picture->SelectedButtons()) {
        std::string prefix;
        int number = 0;
        if (SplitIndexedName(button->objectName().toStdString(), prefix, number) &&
            EqualsIgnoringCase(prefix, "key_")) {
            positions.push_back(number);
        }
    }
    return positions;
}

}  // namespace ivra::panels
