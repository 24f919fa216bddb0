#include "DBusPrivateBus.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <atomic>

namespace ivra::testing {
namespace {

constexpr int kStartBoundMs = 5000;
constexpr int kStopBoundMs = 3000;

// Anyone may own any name and talk to anyone: the bus serves one test.
constexpr char kConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

}  // namespace

PrivateBus::PrivateBus() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty()) {
        error_ = QStringLiteral("dbus-daemon not found (Debian package dbus)");
        return;
    }
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    const QString configPath = dir_.filePath(QStringLiteral("bus.conf"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(QString::fromLatin1(kConfig).arg(dir_.path()).toUtf8()) < 0) {
        error_ = QStringLiteral("cannot write %1").arg(configPath);
        return;
    }
    config.close();

    daemon_.setProcessChannelMode(QProcess::SeparateChannels);
    daemon_.start(program, {QStringLiteral("--config-file=") + configPath, QStringLiteral("--print-address"),
                            QStringLiteral("--nofork"), QStringLiteral("--nopidfile")});
    if (!daemon_.waitForStarted(kStartBoundMs)) {
        error_ = QStringLiteral("dbus-daemon did not start: %1").arg(daemon_.errorString());
        return;
    }
    QByteArray output;
    const QDeadlineTimer deadline(kStartBoundMs);
    while (!output.contains('\n') && !deadline.hasExpired()) {
        if (!daemon_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
        output += daemon_.readAllStandardOutput();
    }
    if (!output.contains('\n')) {
        error_ = QStringLiteral("dbus-daemon printed no address: %1")
                     .arg(QString::fromLocal8Bit(daemon_.readAllStandardError()));
        Stop();
        return;
    }
    address_ = QString::fromUtf8(output.left(output.indexOf('\n'))).trimmed();
}

PrivateBus::~PrivateBus() {
    Stop();
}

QDBusConnection PrivateBus::Connect() {
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("ivra-test-bus-%1").arg(++counter);
    connectionNames_ << name;
    return QDBusConnection::connectToBus(address_, name);
}

void PrivateBus::Stop() {
    for (const QString& name : connectionNames_) QDBusConnection::disconnectFromBus(name);
    connectionNames_.clear();
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(kStopBoundMs)) {
        daemon_.kill();
        daemon_.waitForFinished(kStopBoundMs);
    }
}

}  // namespace ivra::testing
