// The action menu of an event row ("XML\Menus\macro_action_menu.xml"): a
// popup at the cursor whose items insert mouse events or start recording
// before, after or in place of the selected event. Choosing an item closes
// the menu and reports the item's name.
#pragma once

#include <QFrame>
#include <QPoint>
#include <QString>

namespace ivra::panels {

class MacroActionMenu final : public QFrame {
    Q_OBJECT
public:
    // The menu from the skin folder's file; null (with the reason in
    // *error) when the file cannot be built.
    static MacroActionMenu* Build(const QString& skinFolder, QWidget* window, QString* error);

    void Open(const QPoint& globalPosition);

signals:
    void ItemChosen(const QString& item);

private:
    explicit MacroActionMenu(QWidget* window);
};

}  // namespace ivra::panels
