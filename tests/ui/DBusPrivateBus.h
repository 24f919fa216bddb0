// A private dbus-daemon for one test, so that tests never touch the
// session or system bus of the machine they run on. Started by the
// constructor, stopped by the destructor; connections made through it are
// closed before the daemon stops.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ivra::testing {

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool Started() const { return !address_.isEmpty(); }
    // Why the daemon did not start.
    QString Error() const { return error_; }
    QString Address() const { return address_; }

    // A new connection to this bus.
    QDBusConnection Connect();

private:
    void Stop();

    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QString error_;
    QStringList connectionNames_;
};

}  // namespace ivra::testing
