#include "panels/settings/KeyboardSettingsPanel.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextEdit>

#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "dui/LanguageResources.h"
#include "dui/PaintManager.h"
#include "panels/PageContext.h"

namespace ivra::panels {
namespace {

constexpr int kChoices = 4;  // repeat delays and report rates

QString Text(const char* key) {
    return dui::LanguageResources::Instance().Text(QString::fromLatin1(key));
}

}  // namespace

KeyboardSettingsPanel::KeyboardSettingsPanel(QWidget* root, PageContext& page) : PagePanel(root, page) {}

bool KeyboardSettingsPanel::Handle(const PanelNotice& notice) {
    const QString name = notice.name.toLower();
    auto* option = qobject_cast<QAbstractButton*>(notice.sender);
    const bool checked = option != nullptr && option->isChecked();
    if (notice.type == QLatin1String("valuechanged") && name == QLatin1String("repeat_rate_slider")) {
        Change(KeyboardSetting::kRepeat, static_cast<uint16_t>(notice.wParam));
        return true;
    }
    if (notice.type == QLatin1String("click") && name == QLatin1String("reset_repeat_btn")) {
        ClearTryField();
        return true;
    }
    if (notice.type != QLatin1String("selectchanged")) return false;
    if (name.startsWith(QLatin1String("repeat_delay_check_"))) {
        // Only the option that became selected speaks for the group.
        if (!checked || notice.number < 0 || notice.number >= kChoices) return true;
        SelectIndexed("repeat_delay_check_", notice.number);
        ShowDelayLabel(notice.number);
        Change(KeyboardSetting::kRepeatDelay, static_cast<uint16_t>(notice.number));
    } else if (name.startsWith(QLatin1String("polling_rate_option_"))) {
        if (!checked || notice.number < 0 || notice.number >= kChoices) return true;
        SelectIndexed("polling_rate_option_", notice.number);
        Change(KeyboardSetting::kPollingRate, static_cast<uint16_t>(notice.number));
    } else if (name == QLatin1String("winlockflag_option")) {
        Change(KeyboardSetting::kWinLock, checked ? 1 : 0);
    } else if (name == QLatin1String("wflag_option")) {
        Change(KeyboardSetting::kWFlag, checked ? 1 : 0);
    } else if (name == QLatin1String("6flag_option")) {
        Change(KeyboardSetting::kKey6Flag, checked ? 1 : 0);
    } else {
        return false;
    }
    return true;
}

void KeyboardSettingsPanel::Change(KeyboardSetting setting, uint16_t value) {
    KestrelKeyboardDevice* keyboard = Page().Keyboard();
    if (keyboard == nullptr) return;
    const bool written = keyboard->ChangeSetting(setting, value);
    if (written && keyboard->LastSaveSucceeded()) return;
    if (Page().Services().message) {
        Page().Services().message(
            written ? QStringLiteral("setting_not_saved_text") : QStringLiteral("setting_not_written_text"), 1, -1);
    }
    ShowSettings();
}

void KeyboardSettingsPanel::ShowSettings() {
    KestrelKeyboardDevice* keyboard = Page().Keyboard();
    if (keyboard == nullptr) return;
    const KeyboardSystemStages stages = keyboard->SystemStages();
    const auto showSwitch = [this](const char* name, uint16_t value) {
        if (auto* option = Find<QAbstractButton>(QString::fromLatin1(name))) {
            dui::PaintManager::SelectOption(option, value != 0, false);
        }
    };
    showSwitch("winlockflag_option", stages.winFlag);
    showSwitch("wflag_option", stages.wFlag);
    showSwitch("6flag_option", stages.key6Flag);
    if (auto* slider = Find<QSlider>(QStringLiteral("repeat_rate_slider"))) {
        const QSignalBlocker quiet(slider);
        slider->setValue(stages.repeat);
    }
    const int delay = OptionIndexFor(stages.repeatDelay);
    SelectIndexed("repeat_delay_check_", delay);
    ShowDelayLabel(delay);
    ClearTryField();
    SelectIndexed("polling_rate_option_", OptionIndexFor(stages.pollingRate));
}

void KeyboardSettingsPanel::SelectIndexed(const char* prefix, int selected) {
    for (int i = 0; i < kChoices; ++i) {
        if (auto* option = Find<QAbstractButton>(QString::fromLatin1(prefix) + QString::number(i))) {
            dui::PaintManager::SelectOption(option, i == selected, false);
        }
    }
}

void KeyboardSettingsPanel::ShowDelayLabel(int delayChoice) {
    if (auto* label = Find<QLabel>(QStringLiteral("repeat_delay_time_label1"))) {
        label->setText(Text("Repeat_Delay_Time") + QString::number(250 * (delayChoice + 1)) + QStringLiteral("ms"));
    }
}

void KeyboardSettingsPanel::ClearTryField() {
    if (auto* field = Find<QTextEdit>(QStringLiteral("repeat_input_richedit"))) {
        field->clear();
        field->setPlaceholderText(Text("Repeat_input_text"));
    }
}

}  // namespace ivra::panels
