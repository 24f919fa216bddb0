// A window built from a skin file: it owns its paint manager, receives its
// controls' notifications, makes the custom controls the builder asks for,
// and handles window messages (posted to run later on its thread, or sent
// to run now).
#pragma once

#include <QEventLoop>
#include <QString>
#include <QWidget>

#include "dui/DialogBuilder.h"
#include "dui/Notification.h"
#include "dui/PaintManager.h"

namespace ivra::dui {

class WindowImplBase : public QWidget, public INotifyUI, public IDialogBuilderCallback {
    Q_OBJECT
public:
    explicit WindowImplBase(QWidget* parent = nullptr);
    ~WindowImplBase() override;

    // Builds the skin file below `skinFolder` into the window, calls
    // InitWindow, and queues the "windowinit" notification. False with the
    // reason in *error when the skin cannot be built.
    bool Create(const QString& skinFolder, const QString& skinFile, QString* error = nullptr);

    PaintManager& GetPaintManager() { return paintManager_; }
    QString GetSkinFolder() const { return skinFolder_; }
    virtual QString GetWindowClassName() const = 0;

    virtual void InitWindow() {}
    void Notify(TNotifyUI& msg) override;
    // True when the message was handled.
    virtual bool HandleMessage(uint message, quintptr wParam, qintptr lParam);
    QWidget* CreateControl(const QString& className, QWidget* parent) override;

    // Runs HandleMessage later on this window's thread; safe from any thread.
    void PostMessage(uint message, quintptr wParam = 0, qintptr lParam = 0);
    // Runs HandleMessage now; only on the window's own thread.
    bool SendMessage(uint message, quintptr wParam = 0, qintptr lParam = 0);

    void CenterWindow();

    // Shows the window modally and returns the code it was closed with.
    int ShowModal();
    // Closes the window, ending ShowModal with `code`.
    void Close(int code = 0);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    PaintManager paintManager_;
    QEventLoop* modalLoop_ = nullptr;
    int closeCode_ = 0;
    QString skinFolder_;
};

}  // namespace ivra::dui
