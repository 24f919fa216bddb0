#include "panels/macro/MacroEventRow.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

#include "controls/ControlNotify.h"
#include "dui/LanguageResources.h"
#include "panels/macro/MacroDelayValidator.h"
#include "panels/macro/MacroEventLook.h"

namespace ivra::panels {
namespace {

constexpr int kDelayCellHeight = 25;

void SetRole(QWidget* widget, const QString& role) {
    if (widget->property("role").toString() == role) return;
    widget->setProperty("role", role);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

}  // namespace

MacroEventRow::MacroEventRow(const MacroEvent& event, QWidget* parent)
    : QWidget(parent), name_(new QLabel(this)), action_(new QLabel(this)), delay_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("macro_action"));
    setFixedHeight(kHeight);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 6, 0);
    layout->setSpacing(6);
    name_->setContentsMargins(3, 0, 0, 0);
    name_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    action_->setAlignment(Qt::AlignCenter);
    delay_->setObjectName(QStringLiteral("macro_delay"));
    delay_->setFixedHeight(kDelayCellHeight);
    delay_->setMaxLength(MacroDelayValidator::kMaxLength);
    delay_->setValidator(new MacroDelayValidator(delay_));
    delay_->setMaximumWidth(72);
    SetRole(delay_, QStringLiteral("macro_label_text_style"));
    delay_->installEventFilter(this);
    layout->addWidget(name_, 3, Qt::AlignVCenter);
    layout->addWidget(action_, 2, Qt::AlignVCenter);
    layout->addWidget(delay_, 1, Qt::AlignVCenter);
    Show(event);
    connect(delay_, &QLineEdit::textChanged, this, [this] { UpdateAccessibleNames(); });
}

void MacroEventRow::Show(const MacroEvent& event) {
    const MacroEventLook look = LookOfEvent(event);
    const dui::LanguageResources& texts = dui::LanguageResources::Instance();
    if (look.nameKey.isEmpty()) {
        name_->setProperty("textKey", QVariant());
        name_->clear();
    } else {
        texts.SetTextKey(name_, look.nameKey);
    }
    SetRole(name_, look.nameStyle);
    if (look.pointerMove) {
        action_->setProperty("textKey", QVariant());
        action_->setText(look.actionText);
    } else {
        texts.SetTextKey(action_, look.actionKey);
    }
    SetRole(action_, look.actionStyle);
    description_ = DescribeEvent(event);
    SetDelay(event.delay);
}

uint16_t MacroEventRow::Delay() const {
    return ParseDelayText(delay_->text().toStdString());
}

void MacroEventRow::SetDelay(uint16_t delay) {
    const QString text = QString::number(delay);
    if (delay_->text() != text) delay_->setText(text);
    UpdateAccessibleNames();
}

void MacroEventRow::UpdateAccessibleNames() {
    const dui::LanguageResources& texts = dui::LanguageResources::Instance();
    const QString delay = QString::number(Delay());
    setAccessibleName(texts.Text(QStringLiteral("macro_access_row_text")).arg(description_, delay));
    delay_->setAccessibleName(texts.Text(QStringLiteral("macro_access_delay_text")).arg(description_));
}

void MacroEventRow::contextMenuEvent(QContextMenuEvent* event) {
    emit Entered(this);
    controls::NotifyFrom(this, QStringLiteral("menu"), static_cast<quintptr>(event->globalPos().x()),
                         event->globalPos().y());
    event->accept();
}

void MacroEventRow::mouseDoubleClickEvent(QMouseEvent* event) {
    emit Entered(this);
    controls::NotifyFrom(this, QStringLiteral("itemactivate"));
    QWidget::mouseDoubleClickEvent(event);
}

bool MacroEventRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == delay_) {
        if (event->type() == QEvent::FocusIn) emit Entered(this);
        if (event->type() == QEvent::FocusOut) controls::NotifyFrom(delay_, QStringLiteral("killfocus"));
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ivra::panels
