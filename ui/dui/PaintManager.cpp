#include "dui/PaintManager.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QWidget>

namespace ivra::dui {
namespace {

const char* const kWiredProperty = "_duiWired";
const char* const kGroupProperty = "group";
const char* const kClickSentProperty = "_duiClickSent";

bool NameMatches(const QWidget* control, const QString& lowerName) {
    return control->objectName().compare(lowerName, Qt::CaseInsensitive) == 0;
}

QWidget* FindInTree(QWidget* parent, const QString& name) {
    if (parent == nullptr || name.isEmpty()) return nullptr;
    // Breadth first, in child order: the nearest control of that name wins.
    QList<QWidget*> level = {parent};
    while (!level.isEmpty()) {
        QList<QWidget*> next;
        for (QWidget* w : level) {
            if (NameMatches(w, name)) return w;
            next += w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        }
        level = next;
    }
    return nullptr;
}

}  // namespace

QString ControlName(const QWidget* control) {
    return control ? control->objectName() : QString();
}

PaintManager::PaintManager(INotifyUI* receiver, QObject* parent) : QObject(parent), receiver_(receiver) {}

PaintManager::~PaintManager() {
    for (QTimer* timer : timers_) delete timer;
}

void PaintManager::AttachRoot(QWidget* root) {
    root_ = root;
    names_.clear();
    AddControls(root);
}

void PaintManager::AddControls(QWidget* subtree) {
    if (subtree == nullptr) return;
    Index(subtree);
    Wire(subtree);
    for (QWidget* child : subtree->findChildren<QWidget*>()) {
        Index(child);
        Wire(child);
    }
}

void PaintManager::Index(QWidget* control) {
    if (control->objectName().isEmpty()) return;
    names_[control->objectName().toLower()].append(control);
    const QVariant group = control->property(kGroupProperty);
    if (auto* button = qobject_cast<QAbstractButton*>(control); button && group.isValid()) {
        SetGroup(button, group.toString());
    }
}

QWidget* PaintManager::FindControl(const QString& name) const {
    const auto it = names_.constFind(name.toLower());
    if (it != names_.constEnd()) {
        for (const QPointer<QWidget>& control : *it) {
            if (control) return control;
        }
    }
    // Controls created after indexing (e.g. by code) are still found.
    return FindInTree(root_, name);
}

QWidget* PaintManager::FindSubControlByName(QWidget* parent, const QString& name) {
    return FindInTree(parent, name);
}

void PaintManager::SetGroup(QAbstractButton* option, const QString& group) {
    option->setCheckable(true);
    option->setAutoExclusive(false);
    for (auto& list : groups_) list.removeAll(option);
    if (!group.isEmpty()) groups_[group].append(option);
    option->setProperty(kGroupProperty, group);
}

QList<QAbstractButton*> PaintManager::GroupOptions(const QString& group) const {
    QList<QAbstractButton*> options;
    for (const auto& option : groups_.value(group)) {
        if (option) options.append(option);
    }
    return options;
}

void PaintManager::SelectOption(QAbstractButton* option, bool selected, bool notify) {
    if (option == nullptr || option->isChecked() == selected) return;
    if (notify) {
        option->setChecked(selected);
    } else {
        QSignalBlocker block(option);
        option->setChecked(selected);
    }
}

void PaintManager::SetTimer(QObject* owner, int id, int milliseconds) {
    const auto key = qMakePair(owner, id);
    QTimer* timer = timers_.value(key, nullptr);
    if (timer == nullptr) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        timers_.insert(key, timer);
        connect(timer, &QTimer::timeout, this, [this, owner, id] {
            KillTimer(owner, id);
            SendNotify(qobject_cast<QWidget*>(owner), QStringLiteral("timer"), static_cast<quintptr>(id));
            emit TimerFired(owner, id);
        });
        // A timer never outlives its owner.
        if (owner != nullptr && owner != this) {
            connect(owner, &QObject::destroyed, timer, [this, owner, id] { KillTimer(owner, id); });
        }
    }
    timer->start(milliseconds);
}

void PaintManager::KillTimer(QObject* owner, int id) {
    if (QTimer* timer = timers_.take(qMakePair(owner, id))) {
        timer->stop();
        timer->deleteLater();
    }
}

bool PaintManager::HasTimer(QObject* owner, int id) const {
    return timers_.contains(qMakePair(owner, id));
}

void PaintManager::AddFont(int index, const QFont& font) {
    fonts_.insert(index, font);
}

QFont PaintManager::GetFont(int index) const {
    return fonts_.value(index, defaultFont_);
}

void PaintManager::RemoveAllFonts() {
    fonts_.clear();
}

void PaintManager::SetDPI(int dpi) {
    dpi_ = dpi > 0 ? dpi : 96;
}

void PaintManager::SendNotify(QWidget* sender, const QString& type, quintptr wParam, qintptr lParam) {
    if (receiver_ == nullptr) return;
    TNotifyUI msg{type, sender, wParam, lParam};
    receiver_->Notify(msg);
}

void PaintManager::Wire(QWidget* control) {
    if (control->property(kWiredProperty).toBool()) return;
    control->setProperty(kWiredProperty, true);

    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        // Taking focus on click makes an edit's "killfocus" arrive before
        // the click that moved the focus away from it. Whether Tab reaches
        // the button stays the button's own business (the keys of a device
        // picture share one stop).
        button->setFocusPolicy(static_cast<Qt::FocusPolicy>(button->focusPolicy() | Qt::ClickFocus));
        button->installEventFilter(this);
        connect(button, &QAbstractButton::clicked, this, [this, button] {
            if (button->property(kClickSentProperty).toBool()) {
                button->setProperty(kClickSentProperty, false);
                return;
            }
            SendNotify(button, QStringLiteral("click"));
        });
        connect(button, &QAbstractButton::toggled, this, [this, button](bool on) {
            if (on) {
                const QString group = button->property(kGroupProperty).toString();
                if (!group.isEmpty()) {
                    for (QAbstractButton* other : GroupOptions(group)) {
                        if (other != button) other->setChecked(false);
                    }
                }
            }
            SendNotify(button, QStringLiteral("selectchanged"), on ? 1 : 0);
        });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] {
            SendNotify(slider, QStringLiteral("valuechanged"), static_cast<quintptr>(slider->value()));
        });
        connect(slider, &QAbstractSlider::valueChanged, this, [this, slider](int value) {
            // While dragging: "movevaluechanged"; the release then says
            // "valuechanged" once. Keys and wheel change it at once.
            SendNotify(slider,
                       slider->isSliderDown() ? QStringLiteral("movevaluechanged") : QStringLiteral("valuechanged"),
                       static_cast<quintptr>(value));
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        connect(combo, &QComboBox::activated, this, [this, combo](int index) {
            SendNotify(combo, QStringLiteral("itemselect"), static_cast<quintptr>(index));
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::returnPressed, this, [this, edit] { SendNotify(edit, QStringLiteral("return")); });
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { SendNotify(edit, QStringLiteral("textchanged")); });
    }
}

bool PaintManager::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (control == nullptr) return false;
    switch (event->type()) {
        case QEvent::FocusIn: {
            if (qobject_cast<QLineEdit*>(control)) SendNotify(control, QStringLiteral("setfocus"));
            break;
        }
        case QEvent::FocusOut: {
            if (qobject_cast<QLineEdit*>(control)) SendNotify(control, QStringLiteral("killfocus"));
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto* button = qobject_cast<QAbstractButton*>(control);
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (button == nullptr || !button->isCheckable() || !button->isDown() || mouse->button() != Qt::LeftButton ||
                !button->rect().contains(mouse->position().toPoint())) {
                break;
            }
            // An option says "click" before "selectchanged", as the skins'
            // handlers expect; Qt would toggle first.
            SendNotify(button, QStringLiteral("click"));
            if (button->isChecked() && !button->property(kGroupProperty).toString().isEmpty()) {
                // A grouped option that is already selected stays selected.
                button->setDown(false);
                return true;
            }
            button->setProperty(kClickSentProperty, true);
            break;
        }
        default: break;
    }
    return false;
}

}  // namespace ivra::dui
