#include "controls/ComboEditContainerElementUI.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "controls/ControlNotify.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"
#include "dui/WindowImplBase.h"

namespace ivra::controls {
namespace {

// Restyles a control whose state property the style sheet reads.
void Restyle(QWidget* widget) {
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

}  // namespace

ComboEditContainerElementUI::ComboEditContainerElementUI(QWidget* parent) : QFrame(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

bool ComboEditContainerElementUI::BuildContent(const QString& skinFolder) {
    built_ = true;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete child;
    delete layout();
    firstText_ = nullptr;
    secondText_ = nullptr;
    delayEdit_ = nullptr;
    dui::DialogBuilder builder(skinFolder);
    QWidget* content = builder.Create(QString::fromLatin1(kContentFile), nullptr);
    if (content == nullptr) return false;
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(content);
    firstText_ = qobject_cast<QLabel*>(dui::PaintManager::FindSubControlByName(this, QStringLiteral("text1")));
    secondText_ = qobject_cast<QLabel*>(dui::PaintManager::FindSubControlByName(this, QStringLiteral("text2")));
    delayEdit_ = qobject_cast<QLineEdit*>(dui::PaintManager::FindSubControlByName(this, QStringLiteral("delay_edit")));
    return true;
}

void ComboEditContainerElementUI::showEvent(QShowEvent* e) {
    if (!built_) {
        for (const QWidget* w = this; w != nullptr; w = w->parentWidget()) {
            if (const auto* window = qobject_cast<const dui::WindowImplBase*>(w)) {
                BuildContent(window->GetSkinFolder());
                break;
            }
        }
    }
    QFrame::showEvent(e);
}

void ComboEditContainerElementUI::SetSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    setProperty("selected", selected);
    Restyle(this);
}

void ComboEditContainerElementUI::SetHot(bool hot) {
    if (hot_ == hot) return;
    hot_ = hot;
    setProperty("hot", hot);
    Restyle(this);
}

void ComboEditContainerElementUI::enterEvent(QEnterEvent* e) {
    if (isEnabled()) SetHot(true);
    QFrame::enterEvent(e);
}

void ComboEditContainerElementUI::leaveEvent(QEvent* e) {
    SetHot(false);
    QFrame::leaveEvent(e);
}

void ComboEditContainerElementUI::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (e->modifiers() & Qt::ControlModifier) {
            SetSelected(!selected_);
        } else {
            // Alone: the other rows of the list let go of the selection.
            if (QWidget* list = parentWidget()) {
                for (auto* row : list->findChildren<ComboEditContainerElementUI*>(Qt::FindDirectChildrenOnly)) {
                    if (row != this) row->SetSelected(false);
                }
            }
            SetSelected(true);
        }
    }
    e->accept();
}

void ComboEditContainerElementUI::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) NotifyFrom(this, QStringLiteral("itemclick"));
    e->accept();
}

void ComboEditContainerElementUI::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) Activate();
    e->accept();
}

void ComboEditContainerElementUI::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        Activate();
        NotifyFrom(this, QStringLiteral("return"));
        e->accept();
        return;
    }
    QFrame::keyPressEvent(e);
}

void ComboEditContainerElementUI::contextMenuEvent(QContextMenuEvent* e) {
    if (!contextMenu_) {
        e->ignore();
        return;
    }
    NotifyFrom(this, QStringLiteral("menu"), static_cast<quintptr>(e->globalPos().x()), e->globalPos().y());
    e->accept();
}

void ComboEditContainerElementUI::Activate() {
    NotifyFrom(this, QStringLiteral("itemactivate"));
}

}  // namespace ivra::controls
