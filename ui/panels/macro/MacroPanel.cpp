#include "panels/macro/MacroPanel.h"

#include <QAbstractButton>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/Clock.h"
#include "controls/ControlNotify.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "dui/LanguageResources.h"
#include "dui/WindowImplBase.h"
#include "models/keys/MacroKeyFixUp.h"
#include "models/keys/MacroList.h"
#include "panels/PageContext.h"
#include "panels/keyset/KeySetPanel.h"
#include "panels/macro/MacroAccessibleNames.h"
#include "panels/macro/MacroActionMenu.h"
#include "panels/macro/MacroDelayValidator.h"
#include "panels/macro/MacroEventRow.h"
#include "panels/macro/MacroInputFeed.h"

namespace ivra::panels {
namespace {

const QString kMacroFileFilter = QStringLiteral("Macro Files(*.mac)");
constexpr int kAnswerOk = 1;
constexpr int kButtonsOk = 1;
constexpr int kButtonsOkCancel = 2;

// The controls that exist only while the kind has a macro.
constexpr const char* kMacroControls[] = {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                                          "macro_btn_name_sub", "macro_btn_name_edit"};

struct PointerMoveButton {
    const char* button;
    const char* distanceEdit;
    int type;
    bool down;
};
constexpr PointerMoveButton kPointerMoveButtons[] = {
    {"macro_inset_moveleftkey_btn", "mouse_x_left_edit", macro_event_type::kHorizontalMove, true},
    {"macro_inset_moverightkey_btn", "mouse_x_right_edit", macro_event_type::kHorizontalMove, false},
    {"macro_inset_moveupkey_btn", "mouse_y_up_edit", macro_event_type::kVerticalMove, true},
    {"macro_inset_movedownkey_btn", "mouse_y_down_edit", macro_event_type::kVerticalMove, false},
};

struct MenuButton {
    const char* prefix;
    uint8_t mask;
};
constexpr MenuButton kMenuButtons[] = {
    {"left", 0x01}, {"right", 0x02}, {"middle", 0x04}, {"back", 0x08}, {"forward", 0x10},
};

struct MenuRecording {
    const char* item;
    std::optional<RecordDelayMode> mode;  // none: the fixed time option decides
    RecordPlacement placement;
};
constexpr MenuRecording kMenuRecordings[] = {
    {"redio_previous_record_time", std::nullopt, RecordPlacement::kBefore},
    {"redio_previous_constant_time", RecordDelayMode::kFixed, RecordPlacement::kBefore},
    {"redio_previous_ignore_time", RecordDelayMode::kNone, RecordPlacement::kBefore},
    {"redio_later_record_time", std::nullopt, RecordPlacement::kAfter},
    {"redio_later_constant_time", RecordDelayMode::kFixed, RecordPlacement::kAfter},
    {"redio_later_ignore_time", RecordDelayMode::kNone, RecordPlacement::kAfter},
    {"macro_action_edit", RecordDelayMode::kNone, RecordPlacement::kReplaceSelected},
};

bool Is(const QString& name, const char* expected) {
    return name.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

// The editor's buttons, which its clicks reach.
bool IsMacroButton(const QString& name) {
    static const char* const kButtons[] = {"macro_btn_starredio",  "macro_btn_stopredio", "macro_btn_name_add",
                                           "macro_btn_name_sub",   "macro_btn_name_edit", "macro_btn_save",
                                           "macro_btn_cancel",     "macro_btn_export",    "macro_btn_import",
                                           "macro_btn_up",         "macro_btn_down",      "macro_btn_uptop",
                                           "macro_btn_downbottom", "macro_btn_delete",    "macro_btn_deleteall"};
    return std::any_of(std::begin(kButtons), std::end(kButtons), [&name](const char* b) { return Is(name, b); }) ||
           std::any_of(std::begin(kPointerMoveButtons), std::end(kPointerMoveButtons),
                       [&name](const PointerMoveButton& move) { return Is(name, move.button); });
}

bool UsesMacro(const std::vector<KeyRecord>& keys, std::size_t index) {
    return std::any_of(keys.begin(), keys.end(), [index](const KeyRecord& key) {
        return (key.current.type == 0x70 || key.current.type == 0x71) && key.current.byte1 == index;
    });
}

QString Text(const char* key) {
    return dui::LanguageResources::Instance().Text(QString::fromLatin1(key));
}

// Sets a flag for the life of a scope, restoring what it was.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = old_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

}  // namespace

MacroPanel::MacroPanel(QWidget* root, PageContext& page)
    : PagePanel(root, page), recorder_(std::make_unique<MacroRecorder>(DefaultSystemClock())),
      feed_(new MacroInputFeed(this)) {
    // A left click on the stop button ends the recording; it is not part of it.
    recorder_->SetStopButtonHitTest([this](int x, int y) {
        auto* stop = Find<QAbstractButton>(QStringLiteral("macro_btn_stopredio"));
        if (stop == nullptr || !stop->isVisible()) return false;
        return QRect(stop->mapToGlobal(QPoint(0, 0)), stop->size()).contains(x, y);
    });
    if (QListWidget* names = NameList()) {
        // The window routes the choice back to Handle as "itemselect".
        connect(names, &QListWidget::currentRowChanged, this, [names](int row) {
            if (row >= 0) controls::NotifyFrom(names, QStringLiteral("itemselect"), static_cast<quintptr>(row));
        });
    }
    // Found before any row exists: the rows' cells have the same name.
    selectedDelay_ = Find<QLineEdit>(QStringLiteral("macro_delay"));
    if (selectedDelay_) {
        selectedDelay_->setValidator(new MacroDelayValidator(selectedDelay_));
        selectedDelay_->setMaxLength(MacroDelayValidator::kMaxLength);
    }
    if (QListWidget* actions = ActionList()) {
        actions->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(actions, &QListWidget::itemSelectionChanged, this, &MacroPanel::ShowSelectedDelay);
    }
    NameMacroControls(root);
    SetEditable(true);
    EnableMacroControls(false);
}

MacroPanel::~MacroPanel() {
    feed_->Stop();
}

QListWidget* MacroPanel::NameList() const {
    return Find<QListWidget>(QStringLiteral("macro_name_list"));
}

QListWidget* MacroPanel::ActionList() const {
    return Find<QListWidget>(QStringLiteral("macro_action_list"));
}

bool MacroPanel::Handle(const PanelNotice& notice) {
    const QString& name = notice.name;
    if (notice.type == QLatin1String("killfocus")) {
        if (!Is(name, "macro_delay")) return false;
        if (busy_ || Recording()) return true;
        if (notice.sender != nullptr && notice.sender == selectedDelay_) {
            const std::optional<std::size_t> selected = SelectedRow();
            if (!selected || selectedDelay_->text().isEmpty()) {
                ShowSelectedDelay();
                return true;
            }
            if (MacroEventRow* row = RowAt(*selected))
                row->SetDelay(ParseDelayText(selectedDelay_->text().toStdString()));
        }
        SaveEvents();
        return true;
    }
    if (notice.type == QLatin1String("itemselect")) {
        if (!Is(name, "macro_name_list")) return false;
        if (!Recording()) ShowSelectedMacro();
        return true;
    }
    const bool row = Is(name, "macro_action");
    if (notice.type == QLatin1String("menu")) {
        if (row && !Recording()) OpenActionMenu(notice.sender);
        return row;
    }
    if (notice.type == QLatin1String("itemactivate")) return row;  // the row selected itself
    if (notice.type != QLatin1String("click") || !IsMacroButton(name)) return false;

    if (Recording()) {
        // Everything else is locked while recording.
        if (Is(name, "macro_btn_stopredio")) StopRecording();
        return true;
    }
    if (Is(name, "macro_btn_starredio")) {
        StartRecording(FixedTimeChosen() ? RecordDelayMode::kFixed : RecordDelayMode::kRealTime,
                       RecordPlacement::kAppend);
    } else if (Is(name, "macro_btn_name_add")) {
        AddMacro();
    } else if (Is(name, "macro_btn_name_sub")) {
        DeleteMacro();
    } else if (Is(name, "macro_btn_name_edit")) {
        RenameMacro();
    } else if (Is(name, "macro_btn_save")) {
        SaveEvents();
    } else if (Is(name, "macro_btn_cancel")) {
        ShowSelectedMacro();
    } else if (Is(name, "macro_btn_import")) {
        ImportMacro();
    } else if (Is(name, "macro_btn_export")) {
        ExportMacro();
    } else if (Is(name, "macro_btn_up") || Is(name, "macro_btn_down") || Is(name, "macro_btn_uptop") ||
               Is(name, "macro_btn_downbottom")) {
        MoveSelectedRow(name);
    } else if (Is(name, "macro_btn_delete")) {
        DeleteSelectedRow();
    } else if (Is(name, "macro_btn_deleteall")) {
        DeleteAllRows();
    } else {
        InsertPointerMove(name);
    }
    return true;
}

void MacroPanel::ShowSettings() {
    if (Recording()) return;
    const std::string shownId = [this] {
        const int index = CurrentMacroIndex();
        return index < 0 ? std::string() : macros_->Entries()[static_cast<std::size_t>(index)].id;
    }();
    if (!LoadMacroList()) return;
    FillNameList(shownId);
    const int index = CurrentMacroIndex();
    const std::string id = index < 0 ? std::string() : macros_->Entries()[static_cast<std::size_t>(index)].id;
    // The rows stay as they are when the same macro is still shown: a
    // profile change does not touch the kind's macros.
    if (id.empty() || id != shownId) ShowSelectedMacro();
    EnableMacroControls(macros_->Count() > 0);
    if (KeySetPanel* keySet = Page().KeySet()) keySet->SetMacroNames(MacroNames());
}

QStringList MacroPanel::MacroNames() const {
    QStringList names;
    if (!macros_) return names;
    for (const MacroEntry& entry : macros_->Entries()) names.append(QString::fromStdString(entry.name));
    return names;
}

int MacroPanel::CurrentMacroIndex() const {
    QListWidget* names = NameList();
    if (names == nullptr || !macros_) return -1;
    const int row = names->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= macros_->Count()) return -1;
    if (!names->item(row)->isSelected()) return -1;
    return row;
}

bool MacroPanel::Recording() const {
    return recorder_->Recording();
}

std::vector<MacroEvent> MacroPanel::ShownEvents() const {
    std::vector<MacroEvent> events = events_;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (MacroEventRow* row = RowAt(i)) events[i].delay = row->Delay();
    }
    return events;
}

// ---- The macro list ----------------------------------------------------------

bool MacroPanel::LoadMacroList() {
    KestrelKeyboardDevice* keyboard = Page().Keyboard();
    if (keyboard == nullptr) return false;
    const std::string folder = keyboard->Binding().UserDataFolder();
    if (folder.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!macros_ || folder != dataFolder_) {
        dataFolder_ = folder;
        macros_ = std::make_unique<MacroList>(folder);
    }
    if (const MacroListResult loaded = macros_->Load(); !loaded) {
        ShowReason(loaded.reason);
        return false;
    }
    return true;
}

void MacroPanel::FillNameList(const std::string& selectId) {
    QListWidget* names = NameList();
    if (names == nullptr || !macros_) return;
    const QSignalBlocker blocker(names);
    names->clear();
    int select = macros_->Count() > 0 ? 0 : -1;
    for (std::size_t i = 0; i < macros_->Count(); ++i) {
        const MacroEntry& entry = macros_->Entries()[i];
        auto* item = new QListWidgetItem(QString::fromStdString(entry.name), names);
        item->setData(Qt::UserRole, QString::fromStdString(entry.id));
        item->setSizeHint(QSize(0, 30));
        if (!selectId.empty() && entry.id == selectId) select = static_cast<int>(i);
    }
    if (select >= 0) {
        names->setCurrentRow(select);
        names->item(select)->setSelected(true);
    }
}

void MacroPanel::ShowSelectedMacro() {
    const int index = CurrentMacroIndex();
    if (index < 0) {
        unreadable_.clear();
        SetRows({}, std::nullopt);
        return;
    }
    EnableMacroControls(true);
    const MacroFileRead read = macros_->LoadEvents(static_cast<std::size_t>(index));
    SetRows(read.content.events, std::nullopt);
    unreadable_ = read.state == JsonFileState::kUnreadable ? read.error : std::string();
    if (!unreadable_.empty()) ShowReason(unreadable_);
}

void MacroPanel::EnableMacroControls(bool on) {
    for (const char* name : kMacroControls) {
        if (QWidget* control = Find(QString::fromLatin1(name))) control->setEnabled(on);
    }
}

void MacroPanel::AddMacro() {
    if (!LoadMacroList()) return;
    const MacroListResult added = macros_->Add();
    if (added.status == MacroListStatus::kFull) return;  // 50 macros: nothing changes
    if (!added) {
        ShowReason(added.reason);
        return;
    }
    FillNameList(macros_->Entries()[static_cast<std::size_t>(added.index)].id);
    ShowSelectedMacro();
    EnableMacroControls(true);
    if (KeySetPanel* keySet = Page().KeySet()) keySet->AddMacroName(QString::fromStdString(added.name));
    if (KestrelKeyboardDevice* keyboard = Page().Keyboard()) keyboard->ReloadKeysAndMacros();
}

void MacroPanel::DeleteMacro() {
    const PageServices& services = Page().Services();
    {
        const BusyScope busy(busy_);
        if (!services.message ||
            services.message(QStringLiteral("message_text_4"), kButtonsOkCancel, -1) != kAnswerOk) {
            return;
        }
    }
    const int index = CurrentMacroIndex();
    KestrelKeyboardDevice* keyboard = Page().Keyboard();
    if (index < 0 || keyboard == nullptr) return;
    std::vector<KeyRecord> keys = keyboard->KeyList();
    if (UsesMacro(keys, static_cast<std::size_t>(index))) {
        const BusyScope busy(busy_);
        if (services.message(QStringLiteral("message_text_2"), kButtonsOkCancel, -1) != kAnswerOk) return;
    }
    const bool keysChanged = FixUpKeysAfterMacroDeletion(keys, static_cast<std::size_t>(index));
    // The list fixes the keys of every profile file of the kind, the one
    // in use included, and removes the macro's file.
    const MacroListResult deleted = macros_->Delete(static_cast<std::size_t>(index));
    if (!deleted) {
        ShowReason(deleted.reason);
        return;
    }
    FillNameList(std::string());
    ShowSelectedMacro();
    EnableMacroControls(macros_->Count() > 0);
    if (KeySetPanel* keySet = Page().KeySet()) keySet->RemoveMacroName(deleted.index);
    if (keysChanged) {
        // The profile in memory takes the fixed keys from its file, so no
        // later save writes the old assignments back.
        keyboard->LoadProfile();
        keyboard->RemapKeys();
        SaveKeysToDevice();
    } else {
        keyboard->ReloadKeysAndMacros();
    }
}

void MacroPanel::RenameMacro() {
    auto* edit = Find<QLineEdit>(QStringLiteral("macro_edit_macroname"));
    const int index = CurrentMacroIndex();
    if (edit == nullptr || index < 0) return;
    const MacroListResult renamed = macros_->Rename(static_cast<std::size_t>(index), edit->text().toStdString());
    if (renamed.status == MacroListStatus::kNameBlank) return;
    if (renamed.status == MacroListStatus::kNameTaken) {
        const BusyScope busy(busy_);
        if (Page().Services().message) Page().Services().message(QStringLiteral("message_text_5"), kButtonsOk, -1);
        return;
    }
    if (!renamed) {
        ShowReason(renamed.reason);
        return;
    }
    const QString name = QString::fromStdString(renamed.name);
    if (QListWidgetItem* item = NameList()->item(index)) item->setText(name);
    edit->clear();
    if (KeySetPanel* keySet = Page().KeySet()) keySet->RenameMacroName(index, name);
    if (KestrelKeyboardDevice* keyboard = Page().Keyboard()) {
        // Keys that run the macro show its name.
        keyboard->ReloadKeysAndMacros();
        keyboard->RemapKeys();
    }
}

void MacroPanel::ImportMacro() {
    const PageServices& services = Page().Services();
    if (Page().Keyboard() == nullptr || !services.openFile || !LoadMacroList()) return;
    QString path;
    {
        const BusyScope busy(busy_);
        path = services.openFile(kMacroFileFilter);
    }
    if (path.isEmpty()) return;
    // With 50 macros, or a file that is no macro, nothing is copied.
    const MacroListResult imported = macros_->Import(path.toStdString());
    if (!imported) {
        ShowReason(imported.reason);
        return;
    }
    FillNameList(macros_->Entries()[static_cast<std::size_t>(imported.index)].id);
    ShowSelectedMacro();
    EnableMacroControls(true);
    if (KeySetPanel* keySet = Page().KeySet()) keySet->AddMacroName(QString::fromStdString(imported.name));
    Page().Keyboard()->ReloadKeysAndMacros();
}

void MacroPanel::ExportMacro() {
    const PageServices& services = Page().Services();
    const int index = CurrentMacroIndex();
    if (index < 0 || !services.saveFile) return;
    QString path;
    {
        const BusyScope busy(busy_);
        path = services.saveFile(kMacroFileFilter);
    }
    if (path.isEmpty()) return;
    const MacroListResult exported = macros_->Export(static_cast<std::size_t>(index), path.toStdString());
    if (!exported) ShowReason(exported.reason);
}

void MacroPanel::SaveKeysToDevice() {
    if (KeySetPanel* keySet = Page().KeySet()) {
        keySet->SaveToDevice();
        return;
    }
    // The key tab was never opened: the same writes, with the same messages.
    KestrelKeyboardDevice* keyboard = Page().Keyboard();
    if (keyboard == nullptr) return;
    const PageServices& services = Page().Services();
    const int written = keyboard->WriteMacros();
    if (written != 0 && services.message) {
        const BusyScope busy(busy_);
        if (written > 0) {
            services.message(QStringLiteral("message_text_16"), kButtonsOk, written);
        } else {
            services.message(QStringLiteral("message_text_7"), kButtonsOk, -1);
        }
    }
    keyboard->WriteKeyAssignments(0);
    keyboard->SaveProfile();
}

void MacroPanel::ShowReason(const std::string& reason) {
    const PageServices& services = Page().Services();
    if (!services.message || reason.empty()) return;
    const BusyScope busy(busy_);
    // What happened in the user's language; why, as the macro files say it.
    services.message(Text("macro_not_changed_text") + QLatin1Char('\n') + QString::fromStdString(reason), kButtonsOk,
                     -1);
}

// ---- The rows ----------------------------------------------------------------

MacroEventRow* MacroPanel::RowAt(std::size_t index) const {
    QListWidget* list = ActionList();
    if (list == nullptr || index >= static_cast<std::size_t>(list->count())) return nullptr;
    return qobject_cast<MacroEventRow*>(list->itemWidget(list->item(static_cast<int>(index))));
}

void MacroPanel::SetRows(std::vector<MacroEvent> events, std::optional<std::size_t> select) {
    const BusyScope busy(busy_);
    QListWidget* list = ActionList();
    events_ = std::move(events);
    if (list == nullptr) return;
    list->clear();
    for (std::size_t i = 0; i < events_.size(); ++i) InsertRow(i);
    SelectRow(select);
}

void MacroPanel::InsertRow(std::size_t index) {
    QListWidget* list = ActionList();
    if (list == nullptr || index >= events_.size()) return;
    auto* item = new QListWidgetItem();
    item->setSizeHint(QSize(0, MacroEventRow::kHeight));
    list->insertItem(static_cast<int>(index), item);
    auto* row = new MacroEventRow(events_[index]);
    list->setItemWidget(item, row);
    connect(row, &MacroEventRow::Entered, this, [this, list, item] {
        if (!Recording()) SelectRow(static_cast<std::size_t>(list->row(item)));
    });
}

void MacroPanel::RemoveRow(std::size_t index) {
    const BusyScope busy(busy_);
    QListWidget* list = ActionList();
    if (list == nullptr || index >= static_cast<std::size_t>(list->count())) return;
    delete list->takeItem(static_cast<int>(index));
}

void MacroPanel::SelectRow(std::optional<std::size_t> index) {
    QListWidget* list = ActionList();
    if (list == nullptr) return;
    if (!index || *index >= static_cast<std::size_t>(list->count())) {
        list->clearSelection();
        list->setCurrentRow(-1);
        return;
    }
    QListWidgetItem* item = list->item(static_cast<int>(*index));
    list->setCurrentItem(item);
    item->setSelected(true);
    list->scrollToItem(item);
}

std::optional<std::size_t> MacroPanel::SelectedRow() const {
    QListWidget* list = ActionList();
    if (list == nullptr) return std::nullopt;
    const int row = list->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= events_.size() || !list->item(row)->isSelected()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(row);
}

void MacroPanel::TakeDelayCells() {
    for (std::size_t i = 0; i < events_.size(); ++i) {
        MacroEventRow* row = RowAt(i);
        if (row == nullptr) continue;
        events_[i].delay = row->Delay();
        row->SetDelay(events_[i].delay);  // "007" or "" shows as the number
    }
    ShowSelectedDelay();
}

void MacroPanel::ShowSelectedDelay() {
    if (!selectedDelay_) return;
    const std::optional<std::size_t> selected = SelectedRow();
    MacroEventRow* row = selected ? RowAt(*selected) : nullptr;
    selectedDelay_->setEnabled(row != nullptr);
    selectedDelay_->setText(row ? QString::number(row->Delay()) : QString());
}

void MacroPanel::SaveEvents() {
    const int index = CurrentMacroIndex();
    if (index < 0) return;
    TakeDelayCells();
    if (!unreadable_.empty()) {
        // The rows do not hold what the file held: writing them would lose it.
        ShowReason(unreadable_ + "; the macro was not saved over it");
        return;
    }
    const MacroListResult saved = macros_->SaveEvents(static_cast<std::size_t>(index), events_);
    // A macro that was not saved must not look saved.
    if (!saved) ShowReason(saved.reason);
}

void MacroPanel::MoveSelectedRow(const QString& button) {
    const std::optional<std::size_t> selected = SelectedRow();
    const std::size_t count = events_.size();
    std::optional<std::size_t> target;
    if (selected && *selected > 0) {
        if (Is(button, "macro_btn_uptop")) target = 0;
        if (Is(button, "macro_btn_up")) target = *selected - 1;
    }
    if (selected && *selected + 1 < count) {
        if (Is(button, "macro_btn_down")) target = *selected + 1;
        if (Is(button, "macro_btn_downbottom")) target = count - 1;
    }
    if (target) {
        TakeDelayCells();
        const MacroEvent moved = events_[*selected];
        events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(*selected));
        RemoveRow(*selected);
        events_.insert(events_.begin() + static_cast<std::ptrdiff_t>(*target), moved);
        InsertRow(*target);
        SelectRow(*target);
    }
    SaveEvents();
}

void MacroPanel::DeleteSelectedRow() {
    if (const std::optional<std::size_t> selected = SelectedRow()) {
        TakeDelayCells();
        events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(*selected));
        RemoveRow(*selected);
        // The row that took its place, or the new last one.
        if (!events_.empty()) SelectRow(std::min(*selected, events_.size() - 1));
    }
    SaveEvents();
}

void MacroPanel::DeleteAllRows() {
    SetRows({}, std::nullopt);
    SaveEvents();
}

void MacroPanel::InsertPointerMove(const QString& button) {
    for (const PointerMoveButton& move : kPointerMoveButtons) {
        if (!Is(button, move.button)) continue;
        if (CurrentMacroIndex() < 0) return;
        auto* edit = Find<QLineEdit>(QString::fromLatin1(move.distanceEdit));
        bool ok = false;
        const qlonglong entered = edit ? edit->text().trimmed().toLongLong(&ok) : 0;
        // The distance keeps its low byte (300 moves 44 pixels).
        const int distance = ok ? static_cast<int>(entered & 0xFF) : 0;
        InsertEvent(PointerMoveEvent(move.type, move.down, distance, fixedDelay_));
        SaveEvents();
        return;
    }
}

bool MacroPanel::InsertEvent(const MacroEvent& event) {
    if (events_.size() >= kMaxMacroEvents) return false;
    TakeDelayCells();
    const std::optional<std::size_t> selected = SelectedRow();
    const std::size_t at = selected ? *selected + 1 : 0;
    events_.insert(events_.begin() + static_cast<std::ptrdiff_t>(at), event);
    InsertRow(at);
    SelectRow(at);
    return true;
}

void MacroPanel::OpenActionMenu(QWidget* row) {
    if (row == nullptr || CurrentMacroIndex() < 0) return;
    if (menu_) menu_->close();  // a new menu replaces an open one
    QWidget* window = Root() ? Root()->window() : nullptr;
    auto* skin = qobject_cast<dui::WindowImplBase*>(window);
    if (skin == nullptr) return;
    QString error;
    menu_ = MacroActionMenu::Build(skin->GetSkinFolder(), window, &error);
    if (!menu_) return;
    connect(menu_, &MacroActionMenu::ItemChosen, this, &MacroPanel::OnMenuItem);
    menu_->Open(QCursor::pos());
}

void MacroPanel::OnMenuItem(const QString& item) {
    if (Recording() || CurrentMacroIndex() < 0) return;
    for (const MenuButton& button : kMenuButtons) {
        const QString prefix = QString::fromLatin1(button.prefix);
        if (!item.startsWith(prefix + QLatin1Char('_'), Qt::CaseInsensitive)) continue;
        const QString what = item.mid(prefix.size() + 1).toLower();
        if (what == QLatin1String("down") || what == QLatin1String("up")) {
            InsertEvent(MouseButtonEvent(button.mask, what == QLatin1String("down"), fixedDelay_));
        } else if (what == QLatin1String("click")) {
            if (events_.size() + 2 > kMaxMacroEvents) return;  // a click is never half inserted
            InsertEvent(MouseButtonEvent(button.mask, true, fixedDelay_));
            InsertEvent(MouseButtonEvent(button.mask, false, fixedDelay_));
        } else {
            continue;
        }
        SaveEvents();
        return;
    }
    for (const MenuRecording& recording : kMenuRecordings) {
        if (!Is(item, recording.item)) continue;
        const RecordDelayMode mode =
            recording.mode.value_or(FixedTimeChosen() ? RecordDelayMode::kFixed : RecordDelayMode::kRealTime);
        StartRecording(mode, recording.placement);
        return;
    }
}

// ---- Recording ---------------------------------------------------------------

bool MacroPanel::FixedTimeChosen() const {
    auto* option = Find<QAbstractButton>(QStringLiteral("macro_check_time"));
    return option != nullptr && option->isChecked();
}

void MacroPanel::ReadFixedDelay() {
    auto* edit = Find<QLineEdit>(QStringLiteral("macro_fixed_time_edit"));
    if (edit == nullptr) return;
    const uint16_t delay = ParseDelayText(edit->text().trimmed().toStdString());  // clipped to 65535
    const QString shown = QString::number(delay);
    if (edit->text() != shown) {
        edit->setText(shown);
        edit->setCursorPosition(static_cast<int>(shown.size()));
    }
    fixedDelay_ = delay;
}

void MacroPanel::StartRecording(RecordDelayMode mode, RecordPlacement placement) {
    if (Recording() || CurrentMacroIndex() < 0) return;
    if (mode == RecordDelayMode::kFixed) ReadFixedDelay();
    TakeDelayCells();
    const PageServices& services = Page().Services();
    const std::vector<IInputSource*> sources =
        services.inputSources ? services.inputSources() : std::vector<IInputSource*>();
    if (!feed_->Start(sources, [this](const InputEvent& input) { OnInput(input); })) {
        ShowSourceState(false);
        return;
    }
    recorder_->Start(mode, placement, fixedDelay_);
    SetEditable(false);
    if (services.recordingLock) services.recordingLock(true);
    if (KeySetPanel* keySet = Page().KeySet()) keySet->EnableSaveButtons(true);
    ShowSourceState(true);
}

void MacroPanel::StopRecording() {
    if (!Recording()) return;
    feed_->Stop();
    recorder_->Stop();
    SetEditable(true);
    const PageServices& services = Page().Services();
    if (services.recordingLock) services.recordingLock(false);
    if (KeySetPanel* keySet = Page().KeySet()) keySet->EnableSaveButtons(false);
    ShowSourceState(false);
    SaveEvents();
}

void MacroPanel::OnInput(const InputEvent& input) {
    if (!Recording()) return;
    if (const auto& taking = Page().Services().takingInput; taking && !taking()) return;
    const RecordPlacement placement = recorder_->Placement();
    const MacroRecorder::Outcome outcome = recorder_->Record(input, events_, SelectedRow());
    using What = MacroRecorder::Outcome::What;
    if (outcome.what == What::kInserted) {
        InsertRow(outcome.index);
    } else if (outcome.what == What::kReplaced) {
        if (MacroEventRow* row = RowAt(outcome.index)) row->Show(events_[outcome.index]);
    } else {
        return;
    }
    if (outcome.delayChanged) {
        if (MacroEventRow* row = RowAt(*outcome.delayChanged)) row->SetDelay(events_[*outcome.delayChanged].delay);
    }
    // Recording before an event keeps that event selected, so the recorded
    // events stay in the order they came.
    SelectRow(placement == RecordPlacement::kBefore ? outcome.index + 1 : outcome.index);
}

void MacroPanel::SetEditable(bool on) {
    for (const char* name :
         {"macro_name_tab", "macro_action_list", "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"}) {
        if (QWidget* control = Find(QString::fromLatin1(name))) control->setEnabled(on);
    }
    if (QWidget* start = Find(QStringLiteral("macro_btn_starredio"))) start->setVisible(on);
    if (QWidget* stop = Find(QStringLiteral("macro_btn_stopredio"))) stop->setVisible(!on);
}

void MacroPanel::ShowSourceState(bool recording) {
    auto* label = Find<QLabel>(QStringLiteral("macro_record_source_label"));
    if (label == nullptr) return;
    QStringList parts;
    if (recording) {
        parts << Text("macro_record_source_text").arg(feed_->SourceName());
    } else if (feed_->SourceName().isEmpty() && !feed_->SkippedSources().empty()) {
        parts << Text("macro_record_no_source_text");
    }
    if (recording || feed_->SourceName().isEmpty()) {
        for (const MacroInputFeed::Skipped& skipped : feed_->SkippedSources()) {
            parts << Text("macro_record_unavailable_text").arg(skipped.name, skipped.why);
        }
    }
    label->setText(parts.join(QLatin1Char(' ')));
    label->setAccessibleName(label->text());
    label->setVisible(!parts.isEmpty());
}

}  // namespace ivra::panels
