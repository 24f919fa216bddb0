// A function panel of a device page (lighting, key setting, macros, the
// keyboard's settings): it shows the device's settings and changes them when
// the user works its controls. The main window hands each panel the
// notifications its routing tables name for it; the panel changes the
// device's typed settings through the device's operations, never through a
// transport.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace ivra::panels {

class PageContext;

// One notification handed to a panel.
struct PanelNotice {
    QString type;  // "click", "itemselect", "valuechanged", ...
    QString name;  // the sender's name as the skin spells it
    QWidget* sender = nullptr;
    quintptr wParam = 0;  // the item, value or state the notification carries
    int number = 0;       // the index of an indexed name ("color_option_" + 3 -> 3)
};

class PagePanel : public QObject {
    Q_OBJECT
public:
    PagePanel(QWidget* root, PageContext& page);

    // The widget tree the panel's controls are found in.
    QWidget* Root() const { return root_; }
    PageContext& Page() const { return page_; }

    // Handles a notification the window routes to this panel; false when
    // the notification is for no control of this panel (then nothing
    // happened), true when it is, whatever the control's state let it do.
    virtual bool Handle(const PanelNotice& notice) = 0;
    // Shows the device's settings again: after the device connected, a
    // profile was loaded or reset, or the device sent its settings back.
    virtual void ShowSettings() {}

    // The control named `name` below the root (without regard to case);
    // null when the skin has none or it is not a T.
    template <class T = QWidget>
    T* Find(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }

private:
    QWidget* FindControl(const QString& name) const;

    QPointer<QWidget> root_;
    PageContext& page_;
};

}  // namespace ivra::panels
