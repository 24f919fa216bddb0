#include "panels/keyset/KeySetPanel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QThread>
#include <array>
#include <span>
#include <utility>

#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "dui/AccessibleNames.h"
#include "dui/LanguageResources.h"
#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/MacroList.h"
#include "panels/PageContext.h"

namespace ivra::panels {
namespace {

QString Tr(const char* key) {
    return dui::LanguageResources::Instance().Text(QString::fromUtf8(key));
}

// The functions in the order the function combo lists them, with their
// language keys; the item's data is the function id.
struct FunctionItem {
    KeyFunctionId id;
    const char* textKey;
};
constexpr std::array<FunctionItem, 12> kFunctions = {{
    {KeyFunctionId::kDefault, "keyset_function_default"},
    {KeyFunctionId::kMouseButton, "keyset_function_mousekey"},
    {KeyFunctionId::kSwing, "keyset_function_swing"},
    {KeyFunctionId::kWheel, "keyset_function_wheel"},
    {KeyFunctionId::kDpi, "keyset_function_dpi"},
    {KeyFunctionId::kFire, "keyset_function_fire"},
    {KeyFunctionId::kKeyboardKey, "keyset_function_keyboard"},
    {KeyFunctionId::kMedia, "keyset_function_media"},
    {KeyFunctionId::kSystem, "keyset_function_system"},
    {KeyFunctionId::kMacro, "keyset_function_macro"},
    {KeyFunctionId::kRecoil, "keyset_function_recoil"},
    {KeyFunctionId::kCombination, "keyset_function_combination"},
}};

// Item texts of the option tables, in table order.
constexpr const char* kMouseButtonTexts[] = {"mouse_key_left", "mouse_key_middle", "mouse_key_right",
                                             "mouse_key_forward", "mouse_key_back"};
constexpr const char* kDpiTexts[] = {"mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop"};
constexpr const char* kSystemTexts[] = {"system_power", "system_sleep", "system_wake_up"};
constexpr const char* kMediaTexts[] = {"media_text",    "media_play",    "media_stop",  "media_prev",   "media_next",
                                       "media_vol_sub", "media_vol_add", "media_mute",  "web_text",     "web_refresh",
                                       "wed_stop",      "wed_back",      "wed_forward", "wed_favorite", "web_search",
                                       "media_mypc",    "media_calc",    "media_mail"};
constexpr const char* kCombinationTexts[] = {"keyset_combokey_0", "keyset_combokey_1", "keyset_combokey_2",
                                             "keyset_combokey_3", "keyset_combokey_4", "keyset_combokey_5",
                                             "keyset_combokey_6", "keyset_combokey_7", "keyset_combokey_8",
                                             "keyset_combokey_9", "keyset_combokey_10"};
constexpr const char* kSwingTexts[] = {"mouse_key_left_Swing", "mouse_key_right_Swing"};
constexpr const char* kWheelTexts[] = {"mouse_key_up_Swing", "mouse_key_down_Swing"};
constexpr const char* kMacroOverTexts[] = {"keyset_macro_over_0", "keyset_macro_over_1", "keyset_macro_over_2",
                                           "keyset_macro_over_3", "keyset_macro_over_4"};
constexpr const char* kGunTexts[] = {"gun_1_txt", "gun_2_txt", "gun_3_txt", "gun_4_txt"};

static_assert(std::size(kMediaTexts) == 18 && std::size(kCombinationTexts) == 11);
static_assert(std::size(kMacroOverTexts) == kMacroRepeatCountItem + 1);

// The names assistive technology reads for the controls: the language text
// of the label beside each.
constexpr dui::AccessibleKey kAccessibleNames[] = {
    {"keyset_function_combo", "keyset_function_text"},
    {"keyset_mousekey_combo", "keyset_mousekey_text"},
    {"keyset_mouseswing_combo", "keyset_swing_direction_text"},
    {"keyset_mouseswing_num_edit", "keyset_count_text"},
    {"keyset_mouseswing_delay_edit", "keyset_delay_text"},
    {"keyset_mouseswing_speed_edit", "keyset_speed_text"},
    {"keyset_mousewheel_combo", "keyset_wheel_direction_text"},
    {"keyset_mousewheel_num_edit", "keyset_count_text"},
    {"keyset_mousewheel_delay_edit", "keyset_delay_text"},
    {"keyset_mousewheel_speed_edit", "keyset_speed_text"},
    {"keyset_mousedpi_combo", "keyset_dpi_text"},
    {"keyset_mousefire_interval_edit", "keyset_interval_text"},
    {"keyset_mousefire_num_edit", "keyset_count_text"},
    {"keyset_keyboard_text_edit", "keyset_key_text"},
    {"keyset_media_combo", "keyset_media_text"},
    {"keyset_system_combo", "keyset_system_text"},
    {"keyset_macro_combo", "keyset_macro_text"},
    {"keyset_macro_over_combo", "keyset_macro_over_text"},
    {"keyset_macro_cycle_edit", "keyset_macro_cycle_text"},
    {"keyset_gunkey_combo", "keyset_gunkey_text"},
    {"keyset_combokey_combo", "keyset_combokey_text"},
    {"key_butt_keydefalut", "keyset_default_btn_text"},
    {"key_butt_keycancel", "keyset_cancel_btn_text"},
    {"key_butt_keysave", "keyset_apply_btn_text"},
    {"key_butt_prosave", "keyset_prosave_btn_text"},
    {"key_ComBox_check_0", "keyset_modifier_none"},
    {"key_ComBox_check_1", "keyset_modifier_ctrl"},
    {"key_ComBox_check_2", "keyset_modifier_shift"},
    {"key_ComBox_check_3", "keyset_modifier_alt"},
    {"key_ComBox_check_4", "keyset_modifier_win"},
};

// The combos whose choice is stored at once.
constexpr const char* kStoringCombos[] = {"keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo",
                                          "keyset_mousedpi_combo", "keyset_media_combo",      "keyset_system_combo",
                                          "keyset_macro_combo",    "keyset_gunkey_combo",     "keyset_combokey_combo"};

// The number edits; leaving one stores what it says.
constexpr const char* kNumberEdits[] = {
    "keyset_mouseswing_num_edit",     "keyset_mouseswing_delay_edit", "keyset_mouseswing_speed_edit",
    "keyset_mousewheel_num_edit",     "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit",
    "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit",    "keyset_macro_cycle_edit"};

bool Is(const QString& name, const char* expected) {
    return name.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

template <std::size_t N>
bool IsAnyOf(const QString& name, const char* const (&names)[N]) {
    for (const char* candidate : names) {
        if (Is(name, candidate)) return true;
    }
    return false;
}

// Replaces the texts of a combo's items, keeping its selection; adds the
// items the first time.
void SetItemTexts(QComboBox* combo, std::span<const char* const> keys) {
    if (combo == nullptr) return;
    const QSignalBlocker blocker(combo);
    const int selected = combo->currentIndex();
    if (combo->count() != static_cast<int>(keys.size())) {
        combo->clear();
        for (const char* key : keys) combo->addItem(Tr(key));
        combo->setCurrentIndex(-1);
        return;
    }
    for (std::size_t i = 0; i < keys.size(); ++i) combo->setItemText(static_cast<int>(i), Tr(keys[i]));
    combo->setCurrentIndex(selected);
}

int Item(const QComboBox* combo) {
    return combo ? combo->currentIndex() : kNoItem;
}

int Number(const QLineEdit* edit) {
    return edit ? ParseDecimal(edit->text().toStdString()) : 0;
}

void SetItem(QComboBox* combo, int item) {
    if (combo == nullptr) return;
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(item >= 0 && item < combo->count() ? item : -1);
}

void SetNumber(QLineEdit* edit, int value) {
    if (edit == nullptr) return;
    const QSignalBlocker blocker(edit);
    edit->setText(QString::number(value));
}

}  // namespace

KeySetPanel::KeySetPanel(QWidget* root, PageContext& page) : PagePanel(root, page) {
    BindControls();
    Retranslate();
    if (Root() != nullptr) Root()->hide();
    EnableSaveButtons(false);
}

KeySetPanel::~KeySetPanel() {
    StopCapture();
}

void KeySetPanel::BindControls() {
    functionCombo_ = Find<QComboBox>(QStringLiteral("keyset_function_combo"));
    functionPages_ = Find<QStackedWidget>(QStringLiteral("function_switch_tablayout"));
    mouseKeyCombo_ = Find<QComboBox>(QStringLiteral("keyset_mousekey_combo"));
    swingCombo_ = Find<QComboBox>(QStringLiteral("keyset_mouseswing_combo"));
    swingCount_ = Find<QLineEdit>(QStringLiteral("keyset_mouseswing_num_edit"));
    swingDelay_ = Find<QLineEdit>(QStringLiteral("keyset_mouseswing_delay_edit"));
    swingSpeed_ = Find<QLineEdit>(QStringLiteral("keyset_mouseswing_speed_edit"));
    wheelCombo_ = Find<QComboBox>(QStringLiteral("keyset_mousewheel_combo"));
    wheelCount_ = Find<QLineEdit>(QStringLiteral("keyset_mousewheel_num_edit"));
    wheelDelay_ = Find<QLineEdit>(QStringLiteral("keyset_mousewheel_delay_edit"));
    wheelSpeed_ = Find<QLineEdit>(QStringLiteral("keyset_mousewheel_speed_edit"));
    dpiCombo_ = Find<QComboBox>(QStringLiteral("keyset_mousedpi_combo"));
    fireInterval_ = Find<QLineEdit>(QStringLiteral("keyset_mousefire_interval_edit"));
    fireCount_ = Find<QLineEdit>(QStringLiteral("keyset_mousefire_num_edit"));
    keyEdit_ = Find<QLineEdit>(QStringLiteral("keyset_keyboard_text_edit"));
    captureText_ = Find<QLabel>(QStringLiteral("keyset_capture_source_text"));
    for (int k = 0; k < 5; ++k) {
        modifiers_[k] = Find<QAbstractButton>(QStringLiteral("key_ComBox_check_%1").arg(k));
    }
    mediaCombo_ = Find<QComboBox>(QStringLiteral("keyset_media_combo"));
    systemCombo_ = Find<QComboBox>(QStringLiteral("keyset_system_combo"));
    macroCombo_ = Find<QComboBox>(QStringLiteral("keyset_macro_combo"));
    macroOverCombo_ = Find<QComboBox>(QStringLiteral("keyset_macro_over_combo"));
    macroCycleLayout_ = Find(QStringLiteral("keyset_macro_cycle_layout"));
    macroCycleEdit_ = Find<QLineEdit>(QStringLiteral("keyset_macro_cycle_edit"));
    gunCombo_ = Find<QComboBox>(QStringLiteral("keyset_gunkey_combo"));
    combinationCombo_ = Find<QComboBox>(QStringLiteral("keyset_combokey_combo"));
    saveButtons_[0] = Find<QAbstractButton>(QStringLiteral("key_butt_keysave"));
    saveButtons_[1] = Find<QAbstractButton>(QStringLiteral("key_butt_keycancel"));
    saveButtons_[2] = Find<QAbstractButton>(QStringLiteral("key_butt_prosave"));
    // The key edit shows the captured key's label; typing into it would
    // only put stray characters there.
    if (keyEdit_) keyEdit_->setReadOnly(true);
}

void KeySetPanel::Retranslate() {
    dui::LanguageResources::Instance().ReloadText(Root());
    FillFunctionCombo();
    SetItemTexts(mouseKeyCombo_, kMouseButtonTexts);
    SetItemTexts(dpiCombo_, kDpiTexts);
    SetItemTexts(systemCombo_, kSystemTexts);
    SetItemTexts(mediaCombo_, kMediaTexts);
    SetItemTexts(combinationCombo_, kCombinationTexts);
    SetItemTexts(swingCombo_, kSwingTexts);
    SetItemTexts(wheelCombo_, kWheelTexts);
    SetItemTexts(macroOverCombo_, kMacroOverTexts);
    SetItemTexts(gunCombo_, kGunTexts);
    dui::SetAccessibleKeys(Root(), kAccessibleNames);
    if (captureSource_ == nullptr) ShowCaptureState(Tr("keyset_capture_idle_text"));
}

void KeySetPanel::FillFunctionCombo() {
    if (!functionCombo_) return;
    const QSignalBlocker blocker(functionCombo_);
    const QVariant selected = functionCombo_->currentData();
    functionCombo_->clear();
    for (const FunctionItem& item : kFunctions) {
        // A keyboard has no DPI stages and no recoil patterns.
        if (keyboard_ && (item.id == KeyFunctionId::kDpi || item.id == KeyFunctionId::kRecoil)) continue;
        functionCombo_->addItem(Tr(item.textKey), static_cast<int>(item.id));
    }
    functionCombo_->setCurrentIndex(selected.isValid() ? functionCombo_->findData(selected) : -1);
}

bool KeySetPanel::OffersFunction(int functionId) const {
    return functionCombo_ && functionCombo_->findData(functionId) >= 0;
}

KestrelKeyboardDevice* KeySetPanel::Keyboard() const {
    return Page().Keyboard();
}

void KeySetPanel::ShowSettings() {
    const bool keyboard = Page().Device() == nullptr || Keyboard() != nullptr;
    if (keyboard != keyboard_) {
        keyboard_ = keyboard;
        FillFunctionCombo();
    }
    Retranslate();
    ReloadMacroNames();
    // The settings were replaced: the key shown is no longer what the
    // profile says, so the panel closes until a key is chosen again.
    StopCapture();
    position_ = -1;
    if (Root() != nullptr) Root()->hide();
    EnableSaveButtons(false);
}

void KeySetPanel::ReloadMacroNames() {
    KestrelKeyboardDevice* keyboard = Keyboard();
    if (keyboard == nullptr) return;
    const std::string folder = keyboard->Binding().UserDataFolder();
    if (folder.empty()) return;
    MacroList list(folder);
    if (!list.Load()) return;  // an unreadable list leaves the names shown
    QStringList names;
    for (const std::string& name : list.Names()) names << QString::fromStdString(name);
    SetMacroNames(names);
}

bool KeySetPanel::Handle(const PanelNotice& notice) {
    const QString& name = notice.name;
    if (notice.type == QLatin1String("itemselect")) {
        if (Is(name, "keyset_function_combo")) {
            const int id = functionCombo_ ? functionCombo_->currentData().toInt() : kNoItem;
            SelectFunctionPage(id);
            if (id == static_cast<int>(KeyFunctionId::kKeyboardKey)) {
                ShowKeyLabel({});
                SelectModifier(kNoItem);
            }
            Store();
        } else if (Is(name, "keyset_macro_over_combo")) {
            if (macroCycleLayout_) macroCycleLayout_->setVisible(Item(macroOverCombo_) == kMacroRepeatCountItem);
            Store();
        } else if (IsAnyOf(name, kStoringCombos)) {
            Store();
        } else {
            return false;
        }
        return true;
    }
    if (notice.type == QLatin1String("selectchanged")) {
        if (!name.startsWith(QLatin1String("key_ComBox_check_"), Qt::CaseInsensitive)) return false;
        // Only the option that became selected counts; the group's
        // deselections arrive as well.
        if (notice.wParam != 0) {
            SelectModifier(notice.number);
            Store();
        }
        return true;
    }
    if (notice.type == QLatin1String("click")) {
        if (Is(name, "key_butt_keysave")) {
            Store();
        } else if (Is(name, "key_butt_keydefalut")) {
            ShowAssignment(defaults_);
            EnableSaveButtons(true);
        } else if (Is(name, "key_butt_keycancel")) {
            ShowAssignment(current_);
            EnableSaveButtons(false);
        } else if (Is(name, "key_butt_prosave")) {
            SaveToDevice();
        } else {
            return false;
        }
        return true;
    }
    if (Is(name, "keyset_keyboard_text_edit")) {
        if (notice.type == QLatin1String("setfocus") || notice.type == QLatin1String("return")) {
            StartCapture();
        } else if (notice.type == QLatin1String("killfocus")) {
            StopCapture();
        } else {
            return false;
        }
        return true;
    }
    if (notice.type == QLatin1String("killfocus") && IsAnyOf(name, kNumberEdits)) {
        Store();
        return true;
    }
    return false;
}

void KeySetPanel::OpenKey(int position) {
    KestrelKeyboardDevice* keyboard = Keyboard();
    if (keyboard == nullptr) return;
    if (Root() != nullptr) Root()->show();
    const std::vector<KeyRecord> keys = keyboard->KeyList();
    if (position < 0 || static_cast<std::size_t>(position) >= keys.size()) {
        position_ = -1;
        return;
    }
    position_ = position;
    current_ = keys[static_cast<std::size_t>(position)].current;
    defaults_ = keys[static_cast<std::size_t>(position)].defaults;
    ShowAssignment(current_);
}

KeySetFields KeySetPanel::ReadFields() const {
    KeySetFields fields;
    fields.functionId =
        functionCombo_ && functionCombo_->currentIndex() >= 0 ? functionCombo_->currentData().toInt() : kNoItem;
    fields.mouseButtonItem = Item(mouseKeyCombo_);
    fields.swing = {Item(swingCombo_), Number(swingCount_), Number(swingDelay_), Number(swingSpeed_)};
    fields.wheel = {Item(wheelCombo_), Number(wheelCount_), Number(wheelDelay_), Number(wheelSpeed_)};
    fields.dpiItem = Item(dpiCombo_);
    fields.fireInterval = Number(fireInterval_);
    fields.fireCount = Number(fireCount_);
    fields.modifierOption = kNoItem;
    for (int k = 0; k < 5; ++k) {
        if (modifiers_[k] && modifiers_[k]->isChecked()) {
            fields.modifierOption = k;
            break;
        }
    }
    if (keyEdit_ && !keyEdit_->text().isEmpty()) fields.keyLabel = keyLabelKey_;
    fields.mediaItem = Item(mediaCombo_);
    fields.systemItem = Item(systemCombo_);
    fields.macroItem = Item(macroCombo_);
    fields.macroOverItem = Item(macroOverCombo_);
    fields.macroCount = Number(macroCycleEdit_);
    fields.macroCountShown = macroCycleLayout_ && !macroCycleLayout_->isHidden();
    fields.gunItem = Item(gunCombo_);
    fields.combinationItem = Item(combinationCombo_);
    return fields;
}

void KeySetPanel::WriteFields(const KeySetFields& fields) {
    SetItem(mouseKeyCombo_, fields.mouseButtonItem);
    SetItem(swingCombo_, fields.swing.directionItem);
    SetNumber(swingCount_, fields.swing.count);
    SetNumber(swingDelay_, fields.swing.delay);
    SetNumber(swingSpeed_, fields.swing.speed);
    SetItem(wheelCombo_, fields.wheel.directionItem);
    SetNumber(wheelCount_, fields.wheel.count);
    SetNumber(wheelDelay_, fields.wheel.delay);
    SetNumber(wheelSpeed_, fields.wheel.speed);
    SetItem(dpiCombo_, fields.dpiItem);
    SetNumber(fireInterval_, fields.fireInterval);
    SetNumber(fireCount_, fields.fireCount);
    SelectModifier(fields.modifierOption);
    ShowKeyLabel(fields.keyLabel);
    SetItem(mediaCombo_, fields.mediaItem);
    SetItem(systemCombo_, fields.systemItem);
    SetItem(macroCombo_, fields.macroItem);
    SetItem(macroOverCombo_, fields.macroOverItem);
    SetNumber(macroCycleEdit_, fields.macroCount);
    if (macroCycleLayout_) macroCycleLayout_->setVisible(fields.macroCountShown);
    SetItem(gunCombo_, fields.gunItem);
    SetItem(combinationCombo_, fields.combinationItem);
}

void KeySetPanel::ShowAssignment(const AssignmentSlot& slot) {
    KeySetFields fields = ReadFields();
    const int macros = macroCombo_ ? macroCombo_->count() : 0;
    if (ShowKeyAssignment(slot, defaults_, macros, fields)) current_ = slot;
    WriteFields(fields);
    if (!functionCombo_) return;
    const QSignalBlocker blocker(functionCombo_);
    if (fields.functionId != kNoItem && OffersFunction(fields.functionId)) {
        if (Root() != nullptr) Root()->show();
        functionCombo_->setCurrentIndex(functionCombo_->findData(fields.functionId));
        SelectFunctionPage(fields.functionId);
    } else {
        // A function this panel does not offer: none is shown as chosen.
        functionCombo_->setCurrentIndex(-1);
    }
}

void KeySetPanel::SelectFunctionPage(int functionId) {
    if (functionPages_ && functionId >= 0 && functionId < functionPages_->count()) {
        functionPages_->setCurrentIndex(functionId);
    }
}

void KeySetPanel::SelectModifier(int option) {
    for (int k = 0; k < 5; ++k) {
        if (!modifiers_[k]) continue;
        const QSignalBlocker blocker(modifiers_[k]);
        modifiers_[k]->setChecked(k == option);
    }
}

void KeySetPanel::ShowKeyLabel(const std::string& labelKey) {
    keyLabelKey_ = labelKey;
    if (!keyEdit_) return;
    const QSignalBlocker blocker(keyEdit_);
    keyEdit_->setText(labelKey.empty() ? QString() : Tr(labelKey.c_str()));
}

void KeySetPanel::Store() {
    KestrelKeyboardDevice* keyboard = Keyboard();
    if (keyboard == nullptr || position_ < 0) return;
    current_ = BuildKeyAssignment(ReadFields(), current_, defaults_);
    // The keyboard gets the key at once as well. Its result is not shown
    // here: when that write fails the change is still in the profile, and
    // "key_butt_prosave" writes it again and says whether it got there.
    keyboard->SetKeyAssignment(position_, current_.Bytes());
    const std::vector<KeyRecord> keys = keyboard->KeyList();
    const bool kept = static_cast<std::size_t>(position_) < keys.size() &&
                      keys[static_cast<std::size_t>(position_)].current.Bytes() == current_.Bytes();
    // A change that is not in the profile file is lost with the next load.
    if (!kept || !keyboard->LastSaveSucceeded()) ShowMessage("keyset_store_failed_text");
    EnableSaveButtons(true);
}

bool KeySetPanel::SaveToDevice() {
    KestrelKeyboardDevice* keyboard = Keyboard();
    if (keyboard == nullptr) return false;
    bool ok = true;
    const int macros = keyboard->WriteMacros();
    if (macros > 0) {
        ShowMessage("message_text_16", macros);
        ok = false;
    } else if (macros < 0) {
        ShowMessage("message_text_7");
        ok = false;
    }
    if (!keyboard->WriteKeyAssignments(0)) {
        ShowMessage("keyset_keys_not_written_text");
        ok = false;
    }
    keyboard->SaveProfile();
    if (!keyboard->LastSaveSucceeded()) {
        ShowMessage("keyset_store_failed_text");
        ok = false;
    }
    // The buttons stay enabled while something is not on the device, so the
    // user can try again.
    EnableSaveButtons(!ok);
    return ok;
}

void KeySetPanel::EnableSaveButtons(bool on) {
    for (const QPointer<QAbstractButton>& button : saveButtons_) {
        if (button) button->setEnabled(on);
    }
}

void KeySetPanel::SetMacroNames(const QStringList& names) {
    if (!macroCombo_) return;
    const QSignalBlocker blocker(macroCombo_);
    macroCombo_->clear();
    macroCombo_->addItems(names);
    macroCombo_->setCurrentIndex(-1);
}

void KeySetPanel::AddMacroName(const QString& name) {
    if (!macroCombo_) return;
    const QSignalBlocker blocker(macroCombo_);
    const int selected = macroCombo_->currentIndex();
    macroCombo_->addItem(name);
    macroCombo_->setCurrentIndex(selected);
}

void KeySetPanel::RenameMacroName(int index, const QString& name) {
    if (!macroCombo_ || name.isEmpty() || index < 0 || index >= macroCombo_->count()) return;
    macroCombo_->setItemText(index, name);
}

void KeySetPanel::RemoveMacroName(int index) {
    if (!macroCombo_ || index < 0 || index >= macroCombo_->count()) return;
    const QSignalBlocker blocker(macroCombo_);
    macroCombo_->removeItem(index);
}

// ---- Key capture -------------------------------------------------------------

void KeySetPanel::StartCapture() {
    StopCapture();
    const PageServices& services = Page().Services();
    const std::vector<IInputSource*> sources =
        services.inputSources ? services.inputSources() : std::vector<IInputSource*>{};
    const uint64_t generation = captureGeneration_;
    QStringList unavailable;
    for (IInputSource* source : sources) {
        if (source == nullptr) continue;
        const bool started = source->Start([this, generation](const InputEvent& event) {
            if (QThread::currentThread() == thread()) {
                OnCaptured(generation, event);
            } else {
                // A source with a thread of its own: the panel lives on the
                // UI thread.
                QMetaObject::invokeMethod(
                    this, [this, generation, event] { OnCaptured(generation, event); }, Qt::QueuedConnection);
            }
        });
        if (started) {
            captureSource_ = source;
            break;
        }
        const std::string why = source->Unavailable();
        unavailable << QStringLiteral("%1: %2").arg(QString::fromStdString(source->Name()),
                                                    QString::fromStdString(why.empty() ? "-" : why));
    }
    QString text = captureSource_
                       ? Tr(captureSource_->Global() ? "keyset_capture_source_text" : "keyset_capture_window_text")
                             .arg(QString::fromStdString(captureSource_->Name()))
                       : Tr("keyset_capture_none_text");
    if (!unavailable.isEmpty()) {
        text += QLatin1Char('\n') + Tr("keyset_capture_unavailable_text").arg(unavailable.join(QStringLiteral("; ")));
    }
    ShowCaptureState(text);
}

void KeySetPanel::StopCapture() {
    ++captureGeneration_;
    if (captureSource_ == nullptr) return;
    IInputSource* source = std::exchange(captureSource_, nullptr);
    source->Stop();
    ShowCaptureState(Tr("keyset_capture_idle_text"));
}

void KeySetPanel::OnCaptured(uint64_t generation, const InputEvent& event) {
    if (generation != captureGeneration_ || captureSource_ == nullptr) return;
    if (const auto& taking = Page().Services().takingInput; taking && !taking()) return;
    // Key downs only: releasing the modifier of a combination after its key
    // would otherwise replace the combination with the modifier alone.
    if (event.kind != InputEvent::Kind::kKey || !event.down || !event.scan) return;
    KeySetFields fields = ReadFields();
    const std::optional<AssignmentSlot> captured = CaptureKey(*event.scan, current_, fields);
    if (!captured) return;
    current_ = *captured;
    SelectModifier(fields.modifierOption);
    ShowKeyLabel(fields.keyLabel);
    Store();
}

void KeySetPanel::ShowCaptureState(const QString& text) {
    if (captureText_) captureText_->setText(text);
    if (keyEdit_) keyEdit_->setToolTip(text);
}

void KeySetPanel::ShowMessage(const char* textKey, int number) {
    const PageServices& services = Page().Services();
    if (services.message) services.message(QString::fromUtf8(textKey), 1, number);
}

}  // namespace ivra::panels
