#include "device/QtDeviceView.h"

#include <QColor>
#include <QEvent>
#include <QStackedWidget>
#include <QTabWidget>
#include <QThread>
#include <QWidget>

#include "controls/DeviceKeyButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "device/FunctionTabs.h"
#include "dui/PaintManager.h"

namespace ivra::ui {
namespace {

// The control's own visibility flag: hidden only when hidden on purpose, so a
// page that is not on screen yet still counts its buttons as visible.
bool OwnFlagVisible(const QWidget* control) {
    return !(control->testAttribute(Qt::WA_WState_ExplicitShowHide) && control->testAttribute(Qt::WA_WState_Hidden));
}

std::string ClassOf(const QWidget* control) {
    if (auto* button = qobject_cast<const controls::DeviceKeyButtonUI*>(control)) {
        return button->GetClass().toStdString();
    }
    if (auto* panel = qobject_cast<const controls::SelectPanelUI*>(control)) return panel->GetClass().toStdString();
    return control->metaObject()->className();
}

// The first selection panel below the page, nearest first.
controls::SelectPanelUI* FindSelectPanel(QWidget* page) {
    QList<QWidget*> level = {page};
    while (!level.isEmpty()) {
        QList<QWidget*> next;
        for (QWidget* w : level) {
            if (auto* panel = qobject_cast<controls::SelectPanelUI*>(w)) return panel;
            next += w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        }
        level = next;
    }
    return nullptr;
}

}  // namespace

QtDeviceView::QtDeviceView(QWidget* page, QObject* parent) : QObject(parent), page_(page) {
    if (page == nullptr) return;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (qobject_cast<QStackedWidget*>(w) || qobject_cast<QTabWidget*>(w)) {
            if (!w->objectName().isEmpty()) tabLayouts_.insert(w->objectName().toLower().toStdString());
        }
    }
    panel_ = FindSelectPanel(page);
    hasPanel_ = panel_ != nullptr;
    if (panel_ == nullptr) return;
    QList<QWidget*> children = panel_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    children.removeAll(panel_->PaintSurface());  // how the panel paints, not a control
    visible_ = std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(children.size()));
    std::set<std::string> names;
    for (QWidget* child : children) names.insert(child->objectName().toLower().toStdString());
    for (QWidget* child : children) {
        const auto handle = static_cast<ControlHandle>(controls_.size());
        controls_.emplace_back(child);
        const std::string name = child->objectName().toStdString();
        children_.push_back({handle, ClassOf(child), name});
        // The key button that shows its position's light is its light button.
        auto* key = qobject_cast<controls::DeviceKeyButtonUI*>(child);
        const QString lower = child->objectName().toLower();
        if (key != nullptr && !key->LightImage().isEmpty() && lower.startsWith(QLatin1String("key_"))) {
            const std::string light = "light_" + lower.mid(4).toStdString();
            if (names.count(light) == 0) children_.push_back({handle, ClassOf(child), light});
        }
        visible_[static_cast<size_t>(handle)] = OwnFlagVisible(child);
        child->installEventFilter(this);
    }
    for (const PageChild& child : children_) {
        const auto control = PositionControlOf(child);
        if (!control) continue;
        auto& byPosition = control->role == PositionRole::kKey ? keyControls_ : lightControls_;
        byPosition[control->position] = control->handle;
    }
    page->installEventFilter(this);
    WatchWindow();
    showing_ = false;
    UpdateShowing();
}

void QtDeviceView::WatchWindow() {
    if (!page_) return;
    QWidget* top = page_->window();
    if (top != watchedTop_) {
        if (watchedTop_ && watchedTop_ != page_) watchedTop_->removeEventFilter(this);
        watchedTop_ = top;
        if (top != page_) top->installEventFilter(this);
    }
    QWindow* window = top->windowHandle();
    if (window != watchedWindow_) {
        if (watchedWindow_) watchedWindow_->removeEventFilter(this);
        watchedWindow_ = window;
        if (window != nullptr) window->installEventFilter(this);
    }
}

void QtDeviceView::UpdateShowing() {
    bool seen = false;
    if (page_ && page_->isVisible()) {
        const QWidget* top = page_->window();
        const QWindow* window = top->windowHandle();
        seen = !top->isMinimized() && (window == nullptr || window->isExposed());
    }
    const bool was = showing_.exchange(seen);
    if (seen && !was && onShown_) onShown_();
}

void QtDeviceView::SetOnPageShown(std::function<void()> shown) {
    onShown_ = std::move(shown);
}

QtDeviceView::~QtDeviceView() {
    for (const QPointer<QWidget>& control : controls_) {
        if (control) control->removeEventFilter(this);
    }
    if (page_) page_->removeEventFilter(this);
    if (watchedTop_) watchedTop_->removeEventFilter(this);
    if (watchedWindow_) watchedWindow_->removeEventFilter(this);
}

bool QtDeviceView::OnUiThread() const {
    return QThread::currentThread() == thread();
}

bool QtDeviceView::SelectPanelChildren(std::vector<PageChild>& children) {
    if (!hasPanel_) return false;
    children = children_;
    return true;
}

ControlHandle QtDeviceView::KeyControl(size_t position) const {
    const auto found = keyControls_.find(position);
    return found == keyControls_.end() ? kNoControl : found->second;
}

ControlHandle QtDeviceView::LightControl(size_t position) const {
    const auto found = lightControls_.find(position);
    return found == lightControls_.end() ? kNoControl : found->second;
}

bool QtDeviceView::IsLightPositionShown(size_t position) {
    const ControlHandle button = LightControl(position);
    return button != kNoControl && IsControlVisible(button);
}

void QtDeviceView::ShowLight(size_t position, bool on, light::Rgb colour, uint8_t level) {
    const ControlHandle button = LightControl(position);
    if (button != kNoControl) SetLightButton(button, on, colour, level);
}

bool QtDeviceView::IsControlVisible(ControlHandle button) {
    if (button < 0 || static_cast<size_t>(button) >= controls_.size()) return false;
    return visible_[static_cast<size_t>(button)].load();
}

QWidget* QtDeviceView::Control(ControlHandle button) const {
    if (button < 0 || static_cast<size_t>(button) >= controls_.size()) return nullptr;
    return controls_[static_cast<size_t>(button)];
}

controls::DeviceKeyButtonUI* QtDeviceView::KeyButton(ControlHandle button) const {
    return qobject_cast<controls::DeviceKeyButtonUI*>(Control(button));
}

QColor QtDeviceView::UnpackColour(uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 16) & 0xFF),
                  static_cast<int>((colour >> 8) & 0xFF));
}

void QtDeviceView::ApplyLight(ControlHandle button, const LightState& state) {
    if (controls::DeviceKeyButtonUI* key = KeyButton(button)) {
        key->SetLight(state.on, QColor(state.colour.red, state.colour.green, state.colour.blue), state.level);
    }
}

void QtDeviceView::ApplyTab(const std::string& layoutName, int tab) {
    QWidget* layout = dui::PaintManager::FindSubControlByName(page_, QString::fromStdString(layoutName));
    if (auto* stack = qobject_cast<QStackedWidget*>(layout)) {
        if (tab >= 0 && tab < stack->count()) stack->setCurrentIndex(tab);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(layout)) {
        if (tab >= 0 && tab < tabs->count()) tabs->setCurrentIndex(tab);
    }
}

void QtDeviceView::SetLightButton(ControlHandle button, bool on, light::Rgb colour, uint8_t level) {
    const LightState state{on, colour, level};
    if (OnUiThread()) {
        {
            // A newer state supersedes one still queued for the button.
            std::lock_guard<std::mutex> lock(queueMutex_);
            queuedLights_.erase(button);
        }
        ApplyLight(button, state);
        return;
    }
    std::lock_guard<std::mutex> lock(queueMutex_);
    queuedLights_[button] = state;
    if (!flushQueued_) {
        flushQueued_ = true;
        QMetaObject::invokeMethod(this, &QtDeviceView::FlushQueued, Qt::QueuedConnection);
    }
}

void QtDeviceView::ShowKeyInfo(size_t position, const std::string& title, const std::string& text, bool unchanged) {
    const ControlHandle button = KeyControl(position);
    if (button == kNoControl) return;
    auto apply = [this, button, title, text, unchanged] {
        controls::DeviceKeyButtonUI* key = KeyButton(button);
        if (key == nullptr) return;
        key->SetKeyInfo(QString::fromStdString(title), QString::fromStdString(text), unchanged);
    };
    if (OnUiThread()) {
        apply();
    } else {
        QMetaObject::invokeMethod(this, apply, Qt::QueuedConnection);
    }
}

void QtDeviceView::SetKeyEnabled(size_t position, bool enabled) {
    const ControlHandle control = KeyControl(position);
    if (control == kNoControl) return;
    auto apply = [this, control, enabled] {
        if (QWidget* widget = Control(control)) widget->setEnabled(enabled);
    };
    if (OnUiThread()) {
        apply();
    } else {
        QMetaObject::invokeMethod(this, apply, Qt::QueuedConnection);
    }
}

void QtDeviceView::ShowSettings() {
    if (OnUiThread()) {
        emit SettingsReplaced();
    } else {
        QMetaObject::invokeMethod(this, &QtDeviceView::SettingsReplaced, Qt::QueuedConnection);
    }
}

std::string QtDeviceView::Translate(const std::string& languageKey) {
    return translate_ ? translate_(languageKey) : languageKey;
}

void QtDeviceView::SetTranslator(std::function<std::string(const std::string&)> translate) {
    translate_ = std::move(translate);
}

void QtDeviceView::ShowFunction(DeviceFunction function, bool systemOwnPage) {
    if (!HasTabLayout(kFunctionSwitchLayout) || !HasTabLayout(kKeyFunctionSwitchLayout)) return;
    const FunctionTabs tabs = FunctionTabsFor(function, systemOwnPage);
    SelectTab(kFunctionSwitchLayout, tabs.function);
    if (tabs.keyFunction >= 0) SelectTab(kKeyFunctionSwitchLayout, tabs.keyFunction);
}

bool QtDeviceView::HasTabLayout(const std::string& name) {
    QString lower = QString::fromStdString(name).toLower();
    return tabLayouts_.count(lower.toStdString()) != 0;
}

void QtDeviceView::SelectTab(const std::string& layoutName, int tab) {
    if (OnUiThread()) {
        ApplyTab(layoutName, tab);
        return;
    }
    std::lock_guard<std::mutex> lock(queueMutex_);
    queuedTabs_.emplace_back(layoutName, tab);
    if (!flushQueued_) {
        flushQueued_ = true;
        QMetaObject::invokeMethod(this, &QtDeviceView::FlushQueued, Qt::QueuedConnection);
    }
}

void QtDeviceView::ShowPowerStatus(const PowerStatus& record) {
    if (OnUiThread()) {
        if (powerSink_) powerSink_(record);
        return;
    }
    std::lock_guard<std::mutex> lock(queueMutex_);
    queuedPower_.push_back(record);
    if (!flushQueued_) {
        flushQueued_ = true;
        QMetaObject::invokeMethod(this, &QtDeviceView::FlushQueued, Qt::QueuedConnection);
    }
}

void QtDeviceView::SetPowerStatusSink(std::function<void(const PowerStatus&)> sink) {
    powerSink_ = std::move(sink);
}

void QtDeviceView::FlushQueued() {
    std::map<ControlHandle, LightState> lights;
    std::vector<std::pair<std::string, int>> tabs;
    std::vector<PowerStatus> power;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        lights.swap(queuedLights_);
        tabs.swap(queuedTabs_);
        power.swap(queuedPower_);
        flushQueued_ = false;
    }
    for (const auto& [button, state] : lights) ApplyLight(button, state);
    for (const auto& [layoutName, tab] : tabs) ApplyTab(layoutName, tab);
    if (powerSink_ && !power.empty()) powerSink_(power.back());
}

bool QtDeviceView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == page_ || watched == watchedTop_ || watched == watchedWindow_) {
        if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::WindowStateChange ||
            type == QEvent::Expose || type == QEvent::ParentChange) {
            // The window's handle exists once it is shown; a re-parented page
            // has another window.
            if (type == QEvent::Show || type == QEvent::ParentChange) WatchWindow();
            // Qt updates what isExposed says after the window's own handling.
            if (type == QEvent::Expose) {
                QMetaObject::invokeMethod(this, &QtDeviceView::UpdateShowing, Qt::QueuedConnection);
            } else {
                UpdateShowing();
            }
        }
        if (watched != page_) return QObject::eventFilter(watched, event);
    }
    if (type == QEvent::ShowToParent || type == QEvent::HideToParent || type == QEvent::Show || type == QEvent::Hide) {
        for (size_t i = 0; i < controls_.size(); ++i) {
            if (controls_[i] == watched) {
                visible_[i] = OwnFlagVisible(controls_[i]);
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ivra::ui
