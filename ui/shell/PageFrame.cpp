#include "shell/PageFrame.h"

#include <QEvent>
#include <QVBoxLayout>

namespace ivra::shell {

PageFrame::PageFrame(QWidget* page, QWidget* parent) : QWidget(parent), page_(page) {
    page_->setParent(this);
}

void PageFrame::setVisible(bool visible) {
    // Laid out before the page and its controls become visible.
    if (visible) Adopt();
    QWidget::setVisible(visible);
}

bool PageFrame::event(QEvent* event) {
    // Shown with its parent (no setVisible call of its own).
    if (event->type() == QEvent::Show) Adopt();
    return QWidget::event(event);
}

void PageFrame::Adopt() {
    if (adopted_) return;
    adopted_ = true;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(page_);
    layout->activate();
}

}  // namespace ivra::shell
