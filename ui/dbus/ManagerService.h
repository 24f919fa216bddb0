// The manager's D-Bus session interface: how other programs turn the light
// control on and off and hear its state, ask for the device list, send game
// light events and companion data, show the progress indicator, open the
// settings window and raise the main window. The interface is described in
// org.ivra.WirelessManager1.xml and docs/dbus.md.
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>

#include "discovery/DeviceCatalogue.h"
#include "dbus/ManagerCommands.h"

namespace ivra::dbus {

inline constexpr char kManagerServiceName[] = "org.ivra.WirelessManager";
inline constexpr char kManagerObjectPath[] = "/org/ivra/WirelessManager";
inline constexpr char kManagerInterface[] = "org.ivra.WirelessManager1";

class ManagerService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.ivra.WirelessManager1")
    Q_PROPERTY(bool LightControl READ lightControlState)

public:
    explicit ManagerService(IManagerCommands& commands, const DeviceCatalogue& catalogue = DeviceCatalogue::Shipped(),
                            QObject* parent = nullptr);
    ~ManagerService() override;

    // Exports the object and takes the well-known name on `bus`. False, with
    // one debug line for the life of this object, when there is no bus or
    // the name is taken; the program runs on without the interface.
    bool Start(const QDBusConnection& bus);
    bool StartOnSessionBus();
    bool IsRegistered() const { return registered_; }

    // Tells other programs the light-control state (the broadcast state).
    // Call it whenever the state changes and once at start-up.
    void NotifyLightControl(bool on);

    bool lightControlState() const;

public slots:
    Q_SCRIPTABLE void SetLightControl(bool on);
    Q_SCRIPTABLE void ReapplyLightControl();
    Q_SCRIPTABLE QByteArray RequestDeviceList();
    // True when the event was passed on; false while processing is off.
    // An unknown name is an InvalidArgs error.
    Q_SCRIPTABLE bool GameEvent(const QString& name, int action, int effect);
    // True when the data was taken; false for an unknown kind or data
    // shorter than the kind's size.
    Q_SCRIPTABLE bool CompanionData(uint kind, const QByteArray& data);
    Q_SCRIPTABLE void ShowProgress();
    Q_SCRIPTABLE void OpenSettings();
    Q_SCRIPTABLE void Raise();

signals:
    Q_SCRIPTABLE void LightControlChanged(bool on);

private:
    void LogFailureOnce(const QString& what);

    IManagerCommands& commands_;
    const DeviceCatalogue& catalogue_;
    QDBusConnection bus_;
    bool registered_ = false;
    bool ownsName_ = false;
    bool failureLogged_ = false;
};

}  // namespace ivra::dbus
