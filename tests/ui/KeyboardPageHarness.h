// The program's window on the shipped skin with a simulated keyboard plugged
// in and its page shown, the user's data and settings in a temporary folder.
// The journeys of the keyboard page's panels drive it by control name with
// real input events and check the keyboard's memory or the files.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>

#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "controls/RegisterControls.h"
#include "discovery/DeviceCatalogue.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"
#include "panels/PageContext.h"
#include "shell/MainWnd.h"

namespace ivra::testing {

class KeyboardPageHarness {
public:
    KeyboardPageHarness() : oldData_(qgetenv("XDG_DATA_HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_DATA_HOME", (temp_.path() + QStringLiteral("/data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (temp_.path() + QStringLiteral("/config")).toUtf8());
        backend_.SetInstantTimeouts(true);
        controls::RegisterControlClasses();  // as the program does at start
        window_ = std::make_unique<shell::MainWnd>(backend_, DeviceCatalogue::Shipped());
    }
    ~KeyboardPageHarness() {
        window_.reset();
        Restore("XDG_DATA_HOME", oldData_);
        Restore("XDG_CONFIG_HOME", oldConfig_);
    }
    KeyboardPageHarness(const KeyboardPageHarness&) = delete;
    KeyboardPageHarness& operator=(const KeyboardPageHarness&) = delete;

    // Builds the window, plugs the keyboard in and waits until its page is
    // shown and its panels are bound. Change PanelServices() before.
    ::testing::AssertionResult Start() {
        QString error;
        if (!window_->Create(QStringLiteral(IVRA_SOURCE_DIR "/skin"), QStringLiteral("main.ui"), &error)) {
            return ::testing::AssertionFailure() << error.toStdString();
        }
        if (!QTest::qWaitFor([this] { return window_->isVisible() && window_->Model() != nullptr; })) {
            return ::testing::AssertionFailure() << "the window did not come up";
        }
        if (backend_.Plug(keyboard_) == sim::kNoSimDevice) return ::testing::AssertionFailure() << "no plug";
        const bool shown = QTest::qWaitFor(
            [this] {
                KestrelKeyboardDevice* device = Device();
                return device != nullptr && window_->Model()->Strip().AnyShown() && device->KeyTableValid();
            },
            10000);
        if (!shown) return ::testing::AssertionFailure() << "the keyboard's page was not shown";
        if (Panels() == nullptr) return ::testing::AssertionFailure() << "the keyboard's page has no panels";
        return ::testing::AssertionSuccess();
    }

    shell::MainWnd& Window() { return *window_; }
    panels::PageServices& Services() { return window_->PanelServices(); }
    sim::SimHidBackend& Backend() { return backend_; }
    sim::SimKeyboard& Keyboard() { return *keyboard_; }
    // The data root ("…/Ivra Wireless Manager 1.0") of this harness.
    std::filesystem::path DataRoot() const {
        return std::filesystem::path(temp_.path().toStdString()) / "data" / "Ivra Wireless Manager 1.0";
    }

    // The keyboard's device object: the one whose selector entry is shown.
    KestrelKeyboardDevice* Device() {
        if (window_->Model() == nullptr) return nullptr;
        SelectorStrip& strip = window_->Model()->Strip();
        for (size_t i = 0; i < strip.Size(); ++i) {
            if (!strip.At(i).Shown()) continue;
            if (auto* keyboard = dynamic_cast<KestrelKeyboardDevice*>(&strip.At(i).Device())) return keyboard;
        }
        return nullptr;
    }
    // The panels of the keyboard's page.
    panels::PageContext* Panels() {
        KestrelKeyboardDevice* device = Device();
        return device ? window_->PagePanelsOf(*device) : nullptr;
    }
    QWidget* Page() {
        panels::PageContext* context = Panels();
        return context ? context->PageWidget() : nullptr;
    }

    // A control of the keyboard's page by name (any case), its panels built
    // first if the user has not opened them yet.
    template <class T = QWidget>
    T* Control(const char* name) {
        QWidget* page = Page();
        if (page == nullptr) return nullptr;
        dui::DialogBuilder::BuildDeferredIncludes(page);
        return qobject_cast<T*>(dui::PaintManager::FindSubControlByName(page, QString::fromLatin1(name)));
    }
    // Clicks a button or option of the page as the user does.
    void Click(const char* name) {
        auto* button = Control<QAbstractButton>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isVisible()) << name << " is not shown";
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Opens a function tab: "deng_Op_tab" (lighting), "key_Op_tab",
    // "macro_Op_tab", "system_Op_tab".
    void OpenTab(const char* name) { Click(name); }

private:
    static void Restore(const char* name, const QByteArray& value) {
        if (value.isEmpty()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }

    QTemporaryDir temp_;
    QByteArray oldData_;
    QByteArray oldConfig_;
    sim::SimHidBackend backend_;
    std::shared_ptr<sim::SimKeyboard> keyboard_ = std::make_shared<sim::SimKeyboard>();
    std::unique_ptr<shell::MainWnd> window_;
};

}  // namespace ivra::testing
