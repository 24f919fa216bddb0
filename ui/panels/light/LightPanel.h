// The lighting panel: the effect, brightness, speed, direction, colours and
// music-light colours of the page's device, and the custom key colours.
//
// The panel keeps no settings of its own: it shows the device's light
// record and music light record, enables and hides its groups by the
// effect's layout rule, and hands every change to the device's operations
// (ChangeLight, ChangeAudioLight, the custom group and paint operations),
// which store the profile and write the device. A change that could not be
// saved or written is said to the user.
#pragma once

#include <QRgb>
#include <optional>
#include <string>
#include <vector>

#include "models/lighting/AudioLightSettings.h"
#include "models/lighting/LightRecords.h"
#include "panels/PagePanel.h"

class QLineEdit;

namespace ivra {
class KestrelKeyboardDevice;
enum class CustomPaintOutcome;
}  // namespace ivra

namespace ivra::panels {

class LightPanel final : public PagePanel {
    Q_OBJECT
public:
    // Choices of the custom group and colour preset combos.
    static constexpr int kCustomGroupChoices = 4;
    static constexpr int kColourPresetChoices = 4;
    static constexpr int kMusicModes = 7;

    LightPanel(QWidget* root, PageContext& page);

    bool Handle(const PanelNotice& notice) override;
    void ShowSettings() override;

    // A click on the key at `position` while the lighting tab is shown: with
    // the custom effect it paints the key with the chosen colour.
    void PaintKey(int position);

    // The device kind of the page (1 keyboard, 2 mouse, 3 mouse pad,
    // 7 headset); it picks the layout rules.
    void SetDeviceKind(int kind) { kind_ = kind; }
    int DeviceKind() const { return kind_; }
    // Same mode is offered while more than one device is shown; the layout
    // rule of the selected effect is applied again.
    void SetSameModeAllowed(bool allowed);
    bool SameModeAllowed() const { return sameModeAllowed_; }

    // Refills the effect combo: one item per name (a language key), hidden
    // but keeping its index where `visible` says so; sets the sliders' maxima.
    void FillEffectList(const std::vector<std::string>& names, const std::vector<bool>& visible, int brightnessMax,
                        int speedMax);
    // Shows a light record: effect, sliders, colour, multicolour, direction,
    // and the effect's layout.
    void ShowLightRecord(const LightInfo& record);
    // Selects effect item `index` and applies its layout rule.
    void SelectEffectItem(int index);
    void ApplyLayoutRule(int effect);
    // The selected custom group item; -1 when none.
    int SelectedCustomGroup() const;
    // The colour shown by the palette and the colour button.
    void SetColour(QRgb colour);
    void ShowMusicLight(const light::AudioLightSettings& settings);
    // A preset's colour (0xRRGGBB); 0 when the skin has no such preset.
    QRgb PresetColour(int n) const;
    QRgb MusicPresetColour(int n) const;

private:
    bool OnItemSelect(const PanelNotice& notice);
    bool OnValueChanged(const PanelNotice& notice);
    bool OnColourChanged(const PanelNotice& notice);
    bool OnClick(const PanelNotice& notice);
    bool OnKillFocus(const PanelNotice& notice);
    bool OnSelectChanged(const PanelNotice& notice);

    // Stores the record through the device's one write sequence and shows
    // what the device now holds; a failure is said to the user.
    void WriteLight(const LightInfo& record);
    // The fixed colour chosen (palette, preset, edit): multicolour off.
    void ChooseColour(QRgb colour);
    void WriteMusicLight(const light::AudioLightSettings& settings);
    // The music colour the palette and the edits change.
    void ChooseMusicColour(QRgb colour);
    void PaintKeys(const std::vector<int>& positions, std::optional<QRgb> colour);
    void SayPaintFailed(CustomPaintOutcome outcome);
    void Say(const char* textKey);

    void FillChoiceCombos();
    void NameControls();
    void ShowColourControls(QRgb colour, const char* edits, const char* palette, const char* shown);
    void ShowMultiColour(const char* option, bool on);
    void ShowSameModeButton(bool offered);
    // The positions of the keys the rubber band selected on the page.
    std::vector<int> SelectedKeyPositions() const;
    // The edit's text as a colour component: empty text is 0, text that is
    // not a number is 0, 256 and more is 255; the edit shows the value.
    static int TakeComponent(QLineEdit* edit);

    KestrelKeyboardDevice* Keyboard() const;

    int kind_ = 1;
    bool sameModeAllowed_ = false;
    bool sameModeOffered_ = false;  // by the layout rule last applied
    std::vector<std::string> effectNames_;
    std::vector<bool> effectVisible_;
};

}  // namespace ivra::panels
