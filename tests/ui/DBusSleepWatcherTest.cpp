#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QSignalSpy>
#include <QTest>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "DBusPrivateBus.h"
#include "base/DebugOutput.h"
#include "dbus/SleepWatcher.h"

namespace ivra::dbus {
namespace {

using namespace std::chrono_literals;
using ivra::testing::PrivateBus;

constexpr int kWaitMs = 5000;

struct InhibitCall {
    QString what, who, why, mode;
};

// logind's manager object, as far as the watcher uses it. Every inhibitor
// handed out is the write end of a pipe; the read end shows when the
// watcher has let go of it.
class FakeLogind : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLogind() override {
        for (int fd : readEnds) ::close(fd);
    }

    bool Start(QDBusConnection connection) {
        bus = connection;
        return bus.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                                  QDBusConnection::ExportScriptableSlots) &&
               bus.registerService(QStringLiteral("org.freedesktop.login1"));
    }

    void PrepareForSleep(bool start) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << start;
        bus.send(signal);
    }

    // True once every holder of inhibitor `index` has closed it.
    bool Released(size_t index) const {
        pollfd p{readEnds.at(index), POLLIN, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP) != 0;
    }

public slots:
    Q_SCRIPTABLE QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                                 const QString& mode) {
        calls.push_back({what, who, why, mode});
        if (refuse) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("not allowed"));
            return {};
        }
        int ends[2];
        if (::pipe(ends) != 0) return {};
        readEnds.push_back(ends[0]);
        QDBusUnixFileDescriptor handed(ends[1]);  // keeps a duplicate
        ::close(ends[1]);
        return handed;
    }

public:
    QDBusConnection bus{QStringLiteral("unset")};
    std::vector<InhibitCall> calls;
    std::vector<int> readEnds;
    bool refuse = false;
};

class DebugCapture {
public:
    DebugCapture() {
        SetDebugSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~DebugCapture() { SetDebugSink({}); }
    size_t Count(std::string_view part) const {
        size_t n = 0;
        for (const auto& line : lines) n += line.find(part) != std::string::npos;
        return n;
    }
    std::vector<std::string> lines;
};

class SleepWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.Started()) << bus.Error().toStdString();
        ASSERT_TRUE(logind.Start(bus.Connect()));
        watcherBus = bus.Connect();
        ASSERT_TRUE(watcherBus.isConnected());
    }

    // Starts the watcher and waits for its first inhibitor.
    void StartWatcher() {
        ASSERT_TRUE(watcher.Start(watcherBus));
        ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.HoldsInhibitor(); }, kWaitMs));
    }

    // PrepareForSleep(true), and the Suspending signal it brings.
    quint64 Suspend(QSignalSpy& suspending) {
        const auto before = suspending.count();
        logind.PrepareForSleep(true);
        EXPECT_TRUE(QTest::qWaitFor([&] { return suspending.count() == before + 1; }, kWaitMs));
        return suspending.isEmpty() ? 0 : suspending.last().at(0).toULongLong();
    }

    PrivateBus bus;
    FakeLogind logind;
    QDBusConnection watcherBus{QStringLiteral("unset")};
    SleepWatcher watcher;
};

TEST_F(SleepWatcherTest, TakesADelayInhibitorForSleepAtStart) {
    StartWatcher();
    ASSERT_EQ(logind.calls.size(), 1u);
    EXPECT_EQ(logind.calls[0].what, QStringLiteral("sleep"));
    EXPECT_EQ(logind.calls[0].mode, QStringLiteral("delay"));
    EXPECT_EQ(logind.calls[0].who, QStringLiteral("Ivra Wireless Manager 1.0"));
    EXPECT_FALSE(logind.calls[0].why.isEmpty());
    EXPECT_FALSE(logind.Released(0));
}

TEST_F(SleepWatcherTest, ReleasesTheInhibitorOnlyOnceTheLightsAreOff) {
    watcher.SetReleaseBound(30s);
    StartWatcher();
    QSignalSpy suspending(&watcher, &SleepWatcher::Suspending);
    const quint64 cycle = Suspend(suspending);
    EXPECT_TRUE(watcher.Suspended());
    // Give a wrongly released inhibitor the chance to show.
    QTest::qWait(50);
    EXPECT_FALSE(logind.Released(0));

    watcher.LightsOffSent(cycle + 1);  // not this sleep's confirmation
    EXPECT_TRUE(watcher.HoldsInhibitor());
    watcher.LightsOffSent(cycle);
    EXPECT_FALSE(watcher.HoldsInhibitor());
    EXPECT_TRUE(QTest::qWaitFor([&] { return logind.Released(0); }, kWaitMs));
}

TEST_F(SleepWatcherTest, ConfirmationFromAnotherThreadIsTakenOnTheWatchersThread) {
    watcher.SetReleaseBound(30s);
    StartWatcher();
    QSignalSpy suspending(&watcher, &SleepWatcher::Suspending);
    const quint64 cycle = Suspend(suspending);
    std::thread worker([&] { watcher.LightsOffSent(cycle); });
    worker.join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return logind.Released(0); }, kWaitMs));
}

TEST_F(SleepWatcherTest, ConfirmationInsideTheSuspendingHandlerReleasesAtOnce) {
    watcher.SetReleaseBound(30s);
    StartWatcher();
    QObject::connect(&watcher, &SleepWatcher::Suspending, &watcher,
                     [&](quint64 cycle) { watcher.LightsOffSent(cycle); });
    logind.PrepareForSleep(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return logind.Released(0); }, kWaitMs));
}

TEST_F(SleepWatcherTest, ReleasesAfterTheBoundWithoutConfirmation) {
    DebugCapture capture;
    watcher.SetReleaseBound(100ms);
    StartWatcher();
    QSignalSpy suspending(&watcher, &SleepWatcher::Suspending);
    Suspend(suspending);
    EXPECT_TRUE(QTest::qWaitFor([&] { return logind.Released(0); }, kWaitMs));
    EXPECT_EQ(capture.Count("not confirmed in time"), 1u);
}

TEST_F(SleepWatcherTest, ResumeIsReportedAndANewInhibitorTaken) {
    watcher.SetReleaseBound(30s);
    StartWatcher();
    QSignalSpy suspending(&watcher, &SleepWatcher::Suspending);
    QSignalSpy resumed(&watcher, &SleepWatcher::Resumed);
    for (size_t sleep = 0; sleep < 2; ++sleep) {
        watcher.LightsOffSent(Suspend(suspending));
        EXPECT_TRUE(QTest::qWaitFor([&] { return logind.Released(sleep); }, kWaitMs));
        logind.PrepareForSleep(false);
        EXPECT_TRUE(QTest::qWaitFor([&] { return resumed.count() == static_cast<int>(sleep) + 1; }, kWaitMs));
        EXPECT_FALSE(watcher.Suspended());
        EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.HoldsInhibitor(); }, kWaitMs));
        ASSERT_EQ(logind.calls.size(), sleep + 2);
        EXPECT_FALSE(logind.Released(sleep + 1));
    }
    // Each sleep has its own cycle.
    EXPECT_NE(suspending.at(0).at(0).toULongLong(), suspending.at(1).at(0).toULongLong());
}

TEST_F(SleepWatcherTest, RefusedInhibitorIsLoggedOnceAndSleepIsStillFollowed) {
    DebugCapture capture;
    logind.refuse = true;
    ASSERT_TRUE(watcher.Start(watcherBus));
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.lines.size() == 1; }, kWaitMs));
    QSignalSpy suspending(&watcher, &SleepWatcher::Suspending);
    QSignalSpy resumed(&watcher, &SleepWatcher::Resumed);
    watcher.LightsOffSent(Suspend(suspending));
    logind.PrepareForSleep(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.count() == 1; }, kWaitMs));
    // The retake after resume is refused again, and not logged again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return logind.calls.size() == 2; }, kWaitMs));
    QTest::qWait(50);
    EXPECT_EQ(capture.lines.size(), 1u);
    EXPECT_FALSE(watcher.HoldsInhibitor());
}

TEST(SleepWatcherWithoutLogind, LogsOnceAndRunsOn) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Started()) << bus.Error().toStdString();
    DebugCapture capture;
    SleepWatcher watcher;
    ASSERT_TRUE(watcher.Start(bus.Connect()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !capture.lines.empty(); }, kWaitMs));
    EXPECT_EQ(capture.lines.size(), 1u);
    EXPECT_FALSE(watcher.HoldsInhibitor());
}

TEST(SleepWatcherWithoutSystemBus, LogsOnceAndRunsOn) {
    DebugCapture capture;
    SleepWatcher watcher;
    const QDBusConnection noBus = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/ivra-system-bus"), QStringLiteral("ivra-no-system-bus-test"));
    EXPECT_FALSE(watcher.Start(noBus));
    EXPECT_FALSE(watcher.Start(noBus));
    ASSERT_EQ(capture.lines.size(), 1u);
    EXPECT_NE(capture.lines[0].find("no system bus"), std::string::npos) << capture.lines[0];
    watcher.LightsOffSent(1);
    EXPECT_FALSE(watcher.Suspended());
    QDBusConnection::disconnectFromBus(QStringLiteral("ivra-no-system-bus-test"));
}

}  // namespace
}  // namespace ivra::dbus

#include "DBusSleepWatcherTest.moc"
