// Follows system suspend and resume through logind on the system bus, and
// holds a delay inhibitor so that the lights-off commands reach the devices
// before the machine sleeps.
//
// On PrepareForSleep(true) it emits Suspending(cycle). The receiver turns
// processing off (which drops only the input hook and game messages, see
// SuspendPolicy.h), sends the lights-off commands and then calls
// LightsOffSent(cycle); the inhibitor is released then, or after the
// release bound when that call does not come. On PrepareForSleep(false) it
// emits Resumed and takes a new inhibitor for the next sleep.
//
// Without a system bus or without logind it writes one debug line and
// does nothing more; the program runs on.
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

namespace ivra::dbus {

class SleepWatcher : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultReleaseBound{2000};
    static constexpr std::chrono::milliseconds kCallTimeout{5000};

    explicit SleepWatcher(QObject* parent = nullptr);

    // How long the inhibitor is kept after Suspending when LightsOffSent
    // does not come.
    void SetReleaseBound(std::chrono::milliseconds bound);

    // Subscribes to PrepareForSleep and asks for the first inhibitor. False,
    // with one debug line, when `bus` is not connected.
    bool Start(const QDBusConnection& bus);
    bool StartOnSystemBus();

    bool HoldsInhibitor() const { return inhibitor_.isValid(); }
    bool Suspended() const { return suspended_; }

public slots:
    // The lights-off commands of `cycle` have been sent. Safe to call from
    // any thread; a cycle other than the current one is ignored.
    void LightsOffSent(quint64 cycle);

signals:
    void Suspending(quint64 cycle);
    void Resumed();

private slots:
    void OnPrepareForSleep(bool start);

private:
    void TakeInhibitor();
    void ReleaseInhibitor(const char* reason);
    void LogProblemOnce(const QString& what);

    QDBusConnection bus_;
    QDBusUnixFileDescriptor inhibitor_;
    QTimer releaseTimer_;
    quint64 cycle_ = 0;
    bool suspended_ = false;
    bool inhibitPending_ = false;
    bool problemLogged_ = false;
};

}  // namespace ivra::dbus
