#include "dbus/SleepWatcher.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QThread>

#include "base/DebugOutput.h"

namespace ivra::dbus {
namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

SleepWatcher::SleepWatcher(QObject* parent) : QObject(parent), bus_(QStringLiteral("ivra-no-system-bus")) {
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(kDefaultReleaseBound);
    connect(&releaseTimer_, &QTimer::timeout, this,
            [this] { ReleaseInhibitor("the lights-off commands were not confirmed in time"); });
}

void SleepWatcher::SetReleaseBound(std::chrono::milliseconds bound) {
    releaseTimer_.setInterval(bound);
}

bool SleepWatcher::StartOnSystemBus() {
    return Start(QDBusConnection::systemBus());
}

bool SleepWatcher::Start(const QDBusConnection& bus) {
    if (!bus.isConnected()) {
        LogProblemOnce(QStringLiteral("no system bus (%1)").arg(bus.lastError().message()));
        return false;
    }
    bus_ = bus;
    if (!bus_.connect(kLogindService, kLogindPath, kLogindManager, QStringLiteral("PrepareForSleep"), this,
                      SLOT(OnPrepareForSleep(bool)))) {
        LogProblemOnce(QStringLiteral("cannot follow PrepareForSleep (%1)").arg(bus_.lastError().message()));
        return false;
    }
    TakeInhibitor();
    return true;
}

void SleepWatcher::TakeInhibitor() {
    if (inhibitPending_ || inhibitor_.isValid()) return;
    if (!(bus_.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
        LogProblemOnce(QStringLiteral("the system bus cannot pass file descriptors"));
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Ivra Wireless Manager 1.0")
         << QStringLiteral("Turning the device lights off") << QStringLiteral("delay");
    inhibitPending_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, static_cast<int>(kCallTimeout.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        inhibitPending_ = false;
        QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
        if (reply.isError()) {
            LogProblemOnce(QStringLiteral("no sleep inhibitor from logind (%1)").arg(reply.error().message()));
            return;
        }
        const QDBusUnixFileDescriptor fd = reply.value();
        if (!fd.isValid()) {
            LogProblemOnce(QStringLiteral("logind gave no inhibitor descriptor"));
            return;
        }
        // An answer that comes once the machine is already going down is
        // of no use and would only hold the sleep up.
        if (suspended_ && !releaseTimer_.isActive()) return;
        inhibitor_ = fd;
    });
}

void SleepWatcher::OnPrepareForSleep(bool start) {
    if (start) {
        suspended_ = true;
        const quint64 cycle = ++cycle_;
        releaseTimer_.start();
        emit Suspending(cycle);
        return;
    }
    suspended_ = false;
    if (releaseTimer_.isActive()) ReleaseInhibitor("resumed before the lights-off commands were confirmed");
    emit Resumed();
    TakeInhibitor();
}

void SleepWatcher::LightsOffSent(quint64 cycle) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, cycle] { LightsOffSent(cycle); }, Qt::QueuedConnection);
        return;
    }
    if (!suspended_ || cycle != cycle_ || !releaseTimer_.isActive()) return;
    ReleaseInhibitor("the lights are off");
}

void SleepWatcher::ReleaseInhibitor(const char* reason) {
    releaseTimer_.stop();
    if (!inhibitor_.isValid()) return;
    inhibitor_ = QDBusUnixFileDescriptor();
    DebugLine(std::string("sleep inhibitor released: ") + reason);
}

void SleepWatcher::LogProblemOnce(const QString& what) {
    if (problemLogged_) return;
    problemLogged_ = true;
    DebugLine(QStringLiteral("D-Bus: %1; suspend and resume are not followed").arg(what).toStdString());
}

}  // namespace ivra::dbus
