#include "dui/WindowImplBase.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace ivra::dui {

WindowImplBase::WindowImplBase(QWidget* parent) : QWidget(parent), paintManager_(this, this) {}

WindowImplBase::~WindowImplBase() = default;

bool WindowImplBase::Create(const QString& skinFolder, const QString& skinFile, QString* error) {
    skinFolder_ = skinFolder;
    DialogBuilder builder(skinFolder, this);
    QWidget* root = builder.Create(skinFile, this, error);
    if (root == nullptr) return false;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(root);
    resize(root->size());
    paintManager_.AttachRoot(root);
    InitWindow();
    QPointer<WindowImplBase> self(this);
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (self) self->paintManager_.SendNotify(self->paintManager_.GetRoot(), QStringLiteral("windowinit"));
        },
        Qt::QueuedConnection);
    return true;
}

void WindowImplBase::Notify(TNotifyUI&) {}

bool WindowImplBase::HandleMessage(uint, quintptr, qintptr) {
    return false;
}

QWidget* WindowImplBase::CreateControl(const QString&, QWidget*) {
    return nullptr;
}

void WindowImplBase::PostMessage(uint message, quintptr wParam, qintptr lParam) {
    QPointer<WindowImplBase> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, message, wParam, lParam] {
            if (self) self->HandleMessage(message, wParam, lParam);
        },
        Qt::QueuedConnection);
}

bool WindowImplBase::SendMessage(uint message, quintptr wParam, qintptr lParam) {
    return HandleMessage(message, wParam, lParam);
}

void WindowImplBase::CenterWindow() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
}

int WindowImplBase::ShowModal() {
    closeCode_ = 0;
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec();
    modalLoop_ = nullptr;
    return closeCode_;
}

void WindowImplBase::Close(int code) {
    closeCode_ = code;
    hide();
    if (modalLoop_ != nullptr) modalLoop_->quit();
}

void WindowImplBase::closeEvent(QCloseEvent* event) {
    // The window's own close button or the window manager: code 0.
    event->accept();
    if (modalLoop_ != nullptr) modalLoop_->quit();
}

}  // namespace ivra::dui
