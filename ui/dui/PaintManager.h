// Per-window bookkeeping of the controls built from a skin: the name index
// (names compared without case), the notifications controls raise, option
// groups, one-shot timers keyed by (owner, id), fonts by index and the DPI.
#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include "dui/Notification.h"

class QAbstractButton;
class QTimer;
class QWidget;

namespace ivra::dui {

class PaintManager : public QObject {
    Q_OBJECT
public:
    explicit PaintManager(INotifyUI* receiver, QObject* parent = nullptr);
    ~PaintManager() override;

    // Indexes the tree and wires its controls' notifications.
    void AttachRoot(QWidget* root);
    QWidget* GetRoot() const { return root_; }
    // For a subtree placed into the window after the root (pages, panels).
    void AddControls(QWidget* subtree);

    // The first control of the window with this name, in tree order.
    QWidget* FindControl(const QString& name) const;
    template <class T>
    T* Find(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }
    // The first control named `name` inside `parent` (names repeat across
    // pages, so panels search their own subtree).
    static QWidget* FindSubControlByName(QWidget* parent, const QString& name);

    // Option groups: selecting one option of a group clears the others;
    // clicking the selected one keeps it selected. Unlike an exclusive
    // QButtonGroup, a group can be left with nothing selected.
    void SetGroup(QAbstractButton* option, const QString& group);
    QList<QAbstractButton*> GroupOptions(const QString& group) const;
    static void SelectOption(QAbstractButton* option, bool selected, bool notify = true);

    // One-shot timers; setting one again replaces it. When it fires, the
    // receiver gets a "timer" notification (sender: the owner when it is a
    // control, wParam: the id) and TimerFired is emitted.
    void SetTimer(QObject* owner, int id, int milliseconds);
    void KillTimer(QObject* owner, int id);
    bool HasTimer(QObject* owner, int id) const;

    void AddFont(int index, const QFont& font);
    QFont GetFont(int index) const;  // the default font for an unknown index
    void RemoveAllFonts();
    void SetDefaultFont(const QFont& font) { defaultFont_ = font; }
    QFont GetDefaultFont() const { return defaultFont_; }

    void SetDPI(int dpi);
    int GetDPI() const { return dpi_; }
    // Pixels at 96 DPI to pixels at the window's DPI.
    int Scale(int pixels) const { return pixels * dpi_ / 96; }

    void SendNotify(QWidget* sender, const QString& type, quintptr wParam = 0, qintptr lParam = 0);

signals:
    void TimerFired(QObject* owner, int id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Index(QWidget* control);
    void Wire(QWidget* control);

    INotifyUI* receiver_;
    QPointer<QWidget> root_;
    QHash<QString, QList<QPointer<QWidget>>> names_;  // lower-case name
    QHash<QString, QList<QPointer<QAbstractButton>>> groups_;
    QMap<QPair<QObject*, int>, QTimer*> timers_;
    QMap<int, QFont> fonts_;
    QFont defaultFont_;
    int dpi_ = 96;
};

}  // namespace ivra::dui
