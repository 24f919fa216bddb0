#include "dbus/ManagerService.h"

#include <QDBusError>
#include <span>

#include "base/DebugOutput.h"
#include "dbus/DeviceListAnswer.h"
#include "dbus/SuspendPolicy.h"

namespace ivra::dbus {
namespace {

constexpr const char* kGameEventNames[] = {"Game_Start", "Game_End", "Game_Kill", "Game_Death"};

bool IsGameEventName(const QString& name) {
    for (const char* known : kGameEventNames) {
        if (name == QLatin1String(known)) return true;
    }
    return false;
}

std::span<const uint8_t> Bytes(const QByteArray& data) {
    return {reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size())};
}

}  // namespace

ManagerService::ManagerService(IManagerCommands& commands, const DeviceCatalogue& catalogue, QObject* parent)
    : QObject(parent), commands_(commands), catalogue_(catalogue), bus_(QStringLiteral("ivra-no-bus")) {}

ManagerService::~ManagerService() {
    if (ownsName_) bus_.unregisterService(QLatin1String(kManagerServiceName));
    if (registered_) bus_.unregisterObject(QLatin1String(kManagerObjectPath));
}

bool ManagerService::StartOnSessionBus() {
    return Start(QDBusConnection::sessionBus());
}

bool ManagerService::Start(const QDBusConnection& bus) {
    if (registered_) return true;
    if (!bus.isConnected()) {
        LogFailureOnce(QStringLiteral("no session bus (%1)").arg(bus.lastError().message()));
        return false;
    }
    bus_ = bus;
    if (!bus_.registerObject(QLatin1String(kManagerObjectPath), this,
                             QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals |
                                 QDBusConnection::ExportScriptableProperties)) {
        LogFailureOnce(QStringLiteral("cannot export %1").arg(QLatin1String(kManagerObjectPath)));
        return false;
    }
    if (!bus_.registerService(QLatin1String(kManagerServiceName))) {
        bus_.unregisterObject(QLatin1String(kManagerObjectPath));
        LogFailureOnce(QStringLiteral("the name %1 is taken (%2)")
                           .arg(QLatin1String(kManagerServiceName), bus_.lastError().message()));
        return false;
    }
    registered_ = true;
    ownsName_ = true;
    return true;
}

void ManagerService::LogFailureOnce(const QString& what) {
    if (failureLogged_) return;
    failureLogged_ = true;
    DebugLine(QStringLiteral("D-Bus: %1; other programs cannot reach the manager").arg(what).toStdString());
}

void ManagerService::NotifyLightControl(bool on) {
    // Without a registered object the signal goes nowhere.
    emit LightControlChanged(on);
}

bool ManagerService::lightControlState() const {
    return commands_.LightControl();
}

void ManagerService::SetLightControl(bool on) {
    commands_.SetLightControl(on);
}

void ManagerService::ReapplyLightControl() {
    commands_.ReapplyLightControl();
}

QByteArray ManagerService::RequestDeviceList() {
    const std::vector<uint8_t> answer = BuildDeviceListAnswer(catalogue_);
    return {reinterpret_cast<const char*>(answer.data()), static_cast<qsizetype>(answer.size())};
}

bool ManagerService::GameEvent(const QString& name, int action, int effect) {
    if (!IsGameEventName(name)) {
        if (calledFromDBus()) {
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("unknown game event \"%1\"").arg(name));
        }
        return false;
    }
    if (!commands_.ProcessingEnabled() && !HandledWhileSuspended(ManagerInput::GameEvent)) return false;
    commands_.GameLightEvent(action, effect);
    return true;
}

bool ManagerService::CompanionData(uint kind, const QByteArray& data) {
    switch (kind) {
        case kSoundFrameKind:
            if (const auto frame = DecodeSoundFrame(Bytes(data))) {
                commands_.FeedSoundFrame(*frame);
                return true;
            }
            return false;
        case kScreenColourKind:
            if (const auto colour = DecodeScreenColour(Bytes(data))) {
                commands_.FeedScreenColour(*colour);
                return true;
            }
            return false;
        default: return false;
    }
}

void ManagerService::ShowProgress() {
    commands_.ShowProgress();
}

void ManagerService::OpenSettings() {
    commands_.OpenSettingsCentred();
}

void ManagerService::Raise() {
    commands_.RaiseWindow();
}

}  // namespace ivra::dbus
