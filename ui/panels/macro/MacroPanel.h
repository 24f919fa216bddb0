// The macro editor: the device kind's macros, the events of the selected
// macro, recording, and import and export.
//
// The rows of "macro_action_list" show `events_`, the selected macro's
// events as last loaded or edited; every editing command writes them to the
// macro's file at once (through the macro list, under the folder's lock),
// except typing in a delay cell, which is saved when the cell loses the
// focus, and the rows a recording adds, which are saved when it stops.
#pragma once

#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "models/keys/MacroEvent.h"
#include "models/keys/MacroRecorder.h"
#include "panels/PagePanel.h"
#include "panels/macro/MacroActionMenu.h"

class QLineEdit;
class QListWidget;

namespace ivra {
class MacroList;
}

namespace ivra::panels {

class MacroEventRow;
class MacroInputFeed;

class MacroPanel final : public PagePanel {
    Q_OBJECT
public:
    MacroPanel(QWidget* root, PageContext& page);
    ~MacroPanel() override;

    bool Handle(const PanelNotice& notice) override;
    void ShowSettings() override;

    // The device kind's macro names, in the order of the list.
    QStringList MacroNames() const;

    // The selected macro's index; -1 when the list is empty or nothing is
    // selected.
    int CurrentMacroIndex() const;
    bool Recording() const;
    // The rows' events as shown (delay cells included).
    std::vector<MacroEvent> ShownEvents() const;
    // The open action menu, if any.
    MacroActionMenu* ActionMenu() const { return menu_; }

private:
    // The macro list.
    bool LoadMacroList();
    void FillNameList(const std::string& selectId);
    void ShowSelectedMacro();
    void AddMacro();
    void DeleteMacro();
    void RenameMacro();
    void ImportMacro();
    void ExportMacro();
    void EnableMacroControls(bool on);
    // What the key setting panel's save does: macros, key assignments and
    // the profile to the device.
    void SaveKeysToDevice();
    // Shows a refusal's reason; `reason` is plain text.
    void ShowReason(const std::string& reason);

    // The rows.
    void SaveEvents();
    void SetRows(std::vector<MacroEvent> events, std::optional<std::size_t> select);
    void InsertRow(std::size_t index);
    void RemoveRow(std::size_t index);
    void SelectRow(std::optional<std::size_t> index);
    std::optional<std::size_t> SelectedRow() const;
    MacroEventRow* RowAt(std::size_t index) const;
    void TakeDelayCells();
    // The bottom delay edit shows the selected event's delay.
    void ShowSelectedDelay();
    void MoveSelectedRow(const QString& button);
    void DeleteSelectedRow();
    void DeleteAllRows();
    void InsertPointerMove(const QString& button);
    // Inserts after the selected row (at the top with none) and selects it.
    bool InsertEvent(const MacroEvent& event);
    void OpenActionMenu(QWidget* row);
    void OnMenuItem(const QString& item);

    // Recording.
    void StartRecording(RecordDelayMode mode, RecordPlacement placement);
    void StopRecording();
    void OnInput(const InputEvent& input);
    void SetEditable(bool on);
    bool FixedTimeChosen() const;
    void ReadFixedDelay();
    void ShowSourceState(bool recording);

    QListWidget* NameList() const;
    QListWidget* ActionList() const;

    std::unique_ptr<MacroList> macros_;
    std::string dataFolder_;
    std::vector<MacroEvent> events_;
    // Why the shown macro's file could not be read; while set, the file is
    // never overwritten by the (empty) rows.
    std::string unreadable_;
    uint16_t fixedDelay_ = 0;
    std::unique_ptr<MacroRecorder> recorder_;
    MacroInputFeed* feed_;
    // The skin's own "macro_delay" below the list: the selected event's
    // delay (the rows' delay cells carry the same name).
    QPointer<QLineEdit> selectedDelay_;
    QPointer<MacroActionMenu> menu_;
    // Set while the panel rebuilds rows or shows a message, so the delay
    // cells' focus changes do not save half-built rows.
    bool busy_ = false;
};

}  // namespace ivra::panels
