#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "QtPrinters.h"
#include "dui/LanguageResources.h"
#include "shell/MainWnd.h"
#include "shell/NotificationRoutes.h"
#include "shell/SingleInstance.h"
#include "shell/WindowMessages.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"

namespace ivra::shell {
namespace {

TEST(NotificationRoutesTest, ExactNamesWinOverPrefixesAndCaseIsIgnored) {
    struct Case {
        const char* name;
        Route route;
        int number;
    };
    const Case clicks[] = {
        {"closebtn", Route::CloseMainWindow, 0},
        {"NoDevice_OK_Btn", Route::CloseMainWindow, 0},
        {"key_12", Route::KeyButton, 12},
        {"Key_0", Route::KeyButton, 0},
        {"key_butt_prosave", Route::KeySetPanel, 0},  // not key number 0
        {"KEY_BUTT_KEYSAVE", Route::KeySetPanel, 0},
        {"color_option_3", Route::LightColourOption, 3},
        {"audiocolor_option_7", Route::AudioColourOption, 7},
        {"windowdeviceset_2", Route::WindowsDeviceSettings, 2},
        {"device_add_btn", Route::ProfilePanel, 0},
        {"macro_btn_deleteall", Route::MacroPanel, 0},
        {"Close_bkColor_btn", Route::LightPanel, 0},
        {"device_select_next", Route::SelectNextEntry, 0},
        {"keyboard", Route::None, 0},
        {"", Route::None, 0},
    };
    for (const Case& c : clicks) {
        const RouteTarget target = RouteClick(c.name);
        EXPECT_EQ(target.route, c.route) << c.name << " went to " << RouteName(target.route);
        EXPECT_EQ(target.number, c.number) << c.name;
    }
    const Case selects[] = {
        {"device_select", Route::DeviceSelect, 0},
        {"deng_Op_tab", Route::FunctionTab, 1},
        {"Virtual7.1_Op_tab", Route::FunctionTab, 8},
        {"DPI_enable_check_3", Route::MouseSettings, 3},
        {"polling_rate_option_1", Route::MouseSettings, 1},
        {"key_ComBox_check_4", Route::KeySetPanel, 4},
        {"closebtn", Route::None, 0},
    };
    for (const Case& c : selects) {
        const RouteTarget target = RouteSelectChanged(c.name);
        EXPECT_EQ(target.route, c.route) << c.name;
        EXPECT_EQ(target.number, c.number) << c.name;
    }
}

class MainWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend.SetInstantTimeouts(true);
        QString error;
        ASSERT_TRUE(window.Create(IVRA_UI_TEST_DATA_DIR, QStringLiteral("main.ui"), &error)) << error.toStdString();
    }
    QWidget* Control(const char* name) { return window.GetPaintManager().FindControl(QString::fromLatin1(name)); }

    sim::SimHidBackend backend;
    MainWnd window{backend, DeviceCatalogue::Shipped()};
};

TEST_F(MainWndTest, ShowsTheSimulatedKeyboardArriving) {
    QTRY_VERIFY(window.isVisible());
    ASSERT_NE(window.Model(), nullptr);
    QTRY_VERIFY(window.Model()->Strip().NoDeviceNoticeShown());
    QTRY_VERIFY(Control("No_device_Link")->isVisible());

    auto keyboard = std::make_shared<sim::SimKeyboard>();
    ASSERT_NE(backend.Plug(keyboard), sim::kNoSimDevice);
    QTRY_VERIFY_WITH_TIMEOUT(window.Model()->Strip().AnyShown(), 5000);
    QTRY_VERIFY(!Control("No_device_Link")->isVisible());

    backend.Unplug(backend.IdOf(*keyboard));
    QTRY_VERIFY_WITH_TIMEOUT(!window.Model()->Strip().AnyShown(), 5000);
    QTRY_VERIFY(Control("No_device_Link")->isVisible());
}

TEST_F(MainWndTest, CloseButtonKeepsTheProgramRunning) {
    QTRY_VERIFY(window.isVisible());
    QTest::mouseClick(qobject_cast<QAbstractButton*>(Control("closebtn")), Qt::LeftButton);
    // Without a tray (as here) the window is minimised, never hidden.
    EXPECT_TRUE(window.isMinimized() || !window.isVisible());
    window.PostMessage(message::kInstance, 0, 1);
    QTRY_VERIFY(window.isVisible() && !window.isMinimized());
}

TEST_F(MainWndTest, LightControlFollowsTheToggleAndOtherPrograms) {
    QTRY_VERIFY(window.isVisible());
    QSignalSpy changes(&window, &MainWnd::LightControlChanged);
    auto* label = qobject_cast<QLabel*>(Control("control_light_status"));
    ASSERT_NE(label, nullptr);
    window.SetLightControl(false);
    // The label's text comes from the language files.
    EXPECT_EQ(label->property("textKey").toString(), QStringLiteral("no_control_light_text"));
    EXPECT_EQ(label->text(), dui::LanguageResources::Instance().Text(QStringLiteral("no_control_light_text")));
    EXPECT_TRUE(window.SendMessage(message::kLightControlSet, 1, 1));
    EXPECT_TRUE(window.LightControl());
    EXPECT_EQ(label->property("textKey").toString(), QStringLiteral("control_light_text"));
    EXPECT_TRUE(window.SendMessage(message::kLightControlSet, 1, 7));  // re-applies, changes nothing
    EXPECT_TRUE(window.LightControl());
    EXPECT_TRUE(window.SendMessage(message::kLightControlSet, 0, 0));  // wParam other than 1: ignored
    EXPECT_TRUE(window.LightControl());
    ASSERT_EQ(changes.size(), 2);
    EXPECT_FALSE(changes[0][0].toBool());
    EXPECT_TRUE(changes[1][0].toBool());

    window.SendMessage(message::kSuspend, 0, 0);
    EXPECT_FALSE(MainWnd::ProcessingEnabled());
    window.SendMessage(message::kResume, 0, 0);
    EXPECT_TRUE(MainWnd::ProcessingEnabled());

    EXPECT_FALSE(Control("setting_progress")->isVisible());
    window.SendMessage(message::kShowProgress, 0, 0);
    EXPECT_TRUE(Control("setting_progress")->isVisible());
}

TEST(SingleInstanceTest, ASecondStartRaisesTheFirst) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SingleInstance first(QStringLiteral("test-instance"), folder.path());
    ASSERT_EQ(first.Acquire(), SingleInstance::Role::Primary);
    QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
    {
        SingleInstance second(QStringLiteral("test-instance"), folder.path());
        EXPECT_EQ(second.Acquire(), SingleInstance::Role::Secondary);
    }
    EXPECT_TRUE(raised.wait(5000));

    // A socket left behind by a crashed run does not stop the next start.
    SingleInstance other(QStringLiteral("other-instance"), folder.path());
    QFile stale(other.SocketPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    EXPECT_EQ(other.Acquire(), SingleInstance::Role::Primary);
}

TEST(SingleInstanceTest, TheLockLivesOnlyInAFolderNoOtherUserMayUse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto folder = [&](const char* name, mode_t mode) {
        const QString path = dir.filePath(name);
        ::mkdir(QFile::encodeName(path).constData(), 0700);
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    };
    const QString own = folder("own", 0700);
    const QString open = folder("open", 0777);
    const QString group = folder("group", 0750);
    const QString link = dir.filePath("link");
    ASSERT_EQ(::symlink(QFile::encodeName(own).constData(), QFile::encodeName(link).constData()), 0);
    QFile file(dir.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const struct {
        QString path;
        bool isPrivate;
    } cases[] = {{own, true},
                 {open, false},
                 {group, false},
                 {link, false},
                 {file.fileName(), false},
                 {dir.filePath("missing"), false}};
    for (const auto& c : cases) {
        EXPECT_EQ(SingleInstance::IsPrivateFolder(c.path), c.isPrivate) << c.path.toStdString();
    }
    // Another user's folder (only root can make one here).
    const QString foreign = folder("foreign", 0700);
    if (::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0) {
        EXPECT_FALSE(SingleInstance::IsPrivateFolder(foreign));
    }

    SingleInstance refused(QStringLiteral("test-instance"), open);
    EXPECT_EQ(refused.Acquire(), SingleInstance::Role::Failed);
    EXPECT_TRUE(refused.ErrorString().contains("others may use")) << refused.ErrorString().toStdString();
    EXPECT_FALSE(QFile::exists(QDir(open).filePath("test-instance.lock")));
}

}  // namespace
}  // namespace ivra::shell
