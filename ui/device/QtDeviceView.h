// A device object's view of its page on screen: the key and light buttons of
// the page's selection panel, its tab layouts and the device's power panel.
// The device speaks of positions and functions; the view maps each key and
// light position to the button named for it ("key_n", "light_n") and each
// function to the tabs of the page's function switches (FunctionTabsFor).
//
// A key button that shows a light ("lightimage" set) and has no separate
// "light_" button beside it is the light of its position too: the view lists
// it as "key_n" and as "light_n" with one handle, so one drawn control
// stands at each position.
//
// The view follows whether the page is seen (shown, its window neither
// hidden nor minimised, and exposed) and calls the page-shown callback each
// time it comes on screen again.
//
// Built on the UI thread once the page is built. Calls on the UI thread act
// at once; calls from other threads (a listener refreshing its page) never
// wait for the UI thread: what they show is queued to it, and what they ask
// is answered from what the view last saw on it.
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QWindow>
#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "controls/DeviceKeyButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "device/PageChild.h"
#include "drivers/DeviceView.h"

namespace ivra::ui {

class QtDeviceView final : public QObject, public IDeviceView {
    Q_OBJECT
public:
    using PowerStatus = std::array<uint8_t, 6>;

    explicit QtDeviceView(QWidget* page, QObject* parent = nullptr);
    ~QtDeviceView() override;

    // ---- The device's state, by position and function -------------------
    bool IsLightPositionShown(size_t position) override;
    void ShowLight(size_t position, bool on, light::Rgb colour, uint8_t level) override;
    void ShowFunction(DeviceFunction function, bool systemOwnPage) override;
    // Key button tooltips: the title, a line break, the text; the
    // "changed" mark is hidden when the key does what its label says.
    void ShowKeyInfo(size_t position, const std::string& title, const std::string& text, bool unchanged) override;
    void SetKeyEnabled(size_t position, bool enabled) override;
    void ShowPowerStatus(const PowerStatus& record) override;
    // Emits SettingsReplaced on the UI thread.
    void ShowSettings() override;
    std::string Translate(const std::string& languageKey) override;
    bool IsPageShowing() override { return showing_.load(); }
    void SetOnPageShown(std::function<void()> shown) override;

    // ---- The page's controls -----------------------------------------------
    // The children of the page's first "SelectPanel"; false when the page
    // has none.
    bool SelectPanelChildren(std::vector<PageChild>& children);
    // The button of a key or light position; kNoControl when the page has
    // none there.
    ControlHandle KeyControl(size_t position) const;
    ControlHandle LightControl(size_t position) const;
    bool IsControlVisible(ControlHandle button);
    void SetLightButton(ControlHandle button, bool on, light::Rgb colour, uint8_t level);
    // Whether the page has the tab layout (any case), and selecting one of
    // its tabs; a tab that does not exist changes nothing.
    bool HasTabLayout(const std::string& name);
    void SelectTab(const std::string& layoutName, int tab);
    // How language keys become text (the window's language resources); set
    // on the UI thread before the device uses the view.
    void SetTranslator(std::function<std::string(const std::string&)> translate);

    // Where power records go (the device's power panel); called on the UI
    // thread.
    void SetPowerStatusSink(std::function<void(const PowerStatus&)> sink);

    QWidget* Page() const { return page_; }
    controls::SelectPanelUI* SelectPanel() const { return panel_; }
    // The control behind a handle; null when it is gone or not a key button.
    controls::DeviceKeyButtonUI* KeyButton(ControlHandle button) const;
    QWidget* Control(ControlHandle button) const;

    // A colour packed green << 16 | blue << 8 | red -> the colour shown.
    static QColor UnpackColour(uint32_t colour);

signals:
    // The device's settings were replaced: the page's panels show them again.
    void SettingsReplaced();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct LightState {
        bool on = false;
        light::Rgb colour;
        uint8_t level = 0;
    };

    bool OnUiThread() const;
    void ApplyLight(ControlHandle button, const LightState& state);
    void ApplyTab(const std::string& layoutName, int tab);
    void FlushQueued();
    void UpdateShowing();
    void WatchWindow();

    QPointer<QWidget> page_;
    QPointer<controls::SelectPanelUI> panel_;
    bool hasPanel_ = false;
    std::vector<QPointer<QWidget>> controls_;        // by handle
    std::vector<PageChild> children_;                // what SelectPanelChildren answers
    std::map<size_t, ControlHandle> keyControls_;    // by key position, fixed once built
    std::map<size_t, ControlHandle> lightControls_;  // by light position, fixed once built
    std::unique_ptr<std::atomic<bool>[]> visible_;   // by handle, the control's own flag
    std::set<std::string> tabLayouts_;               // lower-case names
    std::function<void(const PowerStatus&)> powerSink_;
    std::function<std::string(const std::string&)> translate_;
    std::function<void()> onShown_;
    std::atomic<bool> showing_{false};
    QPointer<QWidget> watchedTop_;
    QPointer<QWindow> watchedWindow_;

    std::mutex queueMutex_;  // guards what follows
    std::map<ControlHandle, LightState> queuedLights_;
    std::vector<std::pair<std::string, int>> queuedTabs_;
    std::vector<PowerStatus> queuedPower_;
    bool flushQueued_ = false;
};

}  // namespace ivra::ui
