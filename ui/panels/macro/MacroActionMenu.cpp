#include "panels/macro/MacroActionMenu.h"

#include <QAbstractButton>
#include <QVBoxLayout>

#include "dui/DialogBuilder.h"
#include "dui/LanguageResources.h"

namespace ivra::panels {

MacroActionMenu::MacroActionMenu(QWidget* window) : QFrame(window, Qt::Popup) {
    setObjectName(QStringLiteral("macro_action_menu_popup"));
    setAttribute(Qt::WA_DeleteOnClose);
}

MacroActionMenu* MacroActionMenu::Build(const QString& skinFolder, QWidget* window, QString* error) {
    auto* menu = new MacroActionMenu(window);
    dui::DialogBuilder builder(skinFolder);
    QWidget* content = builder.Create(QStringLiteral("XML\\Menus\\macro_action_menu.xml"), menu, error);
    if (content == nullptr) {
        delete menu;
        return nullptr;
    }
    auto* layout = new QVBoxLayout(menu);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    dui::LanguageResources::Instance().ReloadText(menu);
    for (QAbstractButton* item : content->findChildren<QAbstractButton*>()) {
        item->setAccessibleName(item->text());
        connect(item, &QAbstractButton::clicked, menu, [menu, item] {
            const QString name = item->objectName();
            menu->close();
            emit menu->ItemChosen(name);
        });
    }
    menu->adjustSize();
    return menu;
}

void MacroActionMenu::Open(const QPoint& globalPosition) {
    move(globalPosition);
    show();
}

}  // namespace ivra::panels
