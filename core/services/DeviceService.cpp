#include "services/DeviceService.h"

#include "models/profile/DataLocations.h"
#include "services/KindRegistry.h"
#include "transport/DeviceTransport.h"

namespace ivra {

DeviceService::DeviceService(const DeviceCatalogue& catalogue, IHidBackend* backend)
    : catalogue_(catalogue), backend_(backend) {}

DeviceService::~DeviceService() {
    CloseDevices();
}

void DeviceService::SetDataRoots(std::filesystem::path userDataRoot, std::filesystem::path programFolder) {
    userDataRoot_ = std::move(userDataRoot);
    programFolder_ = std::move(programFolder);
}

DeviceModel* DeviceService::BuildDevices(IOwnerThread& owner, ITimerService& timers, IDeviceModelObserver* observer,
                                         DeviceModel::ViewFactory viewFactory, IClock& clock) {
    if (backend_ == nullptr) return nullptr;
    model_ = std::make_unique<DeviceModel>(*backend_, catalogue_, owner, timers, clock, DeviceModel::DeviceFactory{},
                                           std::move(viewFactory));
    model_->SetObserver(observer);
    model_->SetDataRoots(userDataRoot_.string(), programFolder_.string());
    model_->BuildPages();
    return model_.get();
}

bool DeviceService::StartDiscovery() {
    return model_ && model_->StartScan();
}

void DeviceService::StopDiscovery() {
    if (model_) model_->StopScan();
}

void DeviceService::CloseDevices() {
    StopDiscovery();
    model_.reset();
}

InfoBlockReading DeviceService::ReadInformationBlock(const std::string& path, uint16_t slotKind) {
    InfoBlockReading reading;
    if (backend_ == nullptr) return reading;
    DeviceTransport transport(*backend_);
    const KindTransportParams params = TransportParamsFor(slotKind);
    if (!transport.Open(path, params)) {
        reading.status = InfoBlockStatus::kOpenFailed;
        reading.openError = transport.LastOpenError();
        return reading;
    }
    int code = transport.BeginSession();
    int readCode = code;
    if (code == result::kSuccess) {
        readCode = transport.ReadInfoBlock(reading.block.data());
        code = transport.EndSession();
    }
    if (readCode != result::kSuccess || code != result::kSuccess) {
        reading.status = InfoBlockStatus::kCommandFailed;
        reading.resultCode = readCode != result::kSuccess ? readCode : code;
        return reading;
    }
    const HidChannel& channel = params.receiverMode ? transport.channelB : transport.channelA;
    reading.status = InfoBlockStatus::kRead;
    reading.versionNumber = channel.attributes.versionNumber;
    return reading;
}

const DeviceTransport& DeviceService::CommandTransportOf(const KestrelUSBDevice& device) {
    return device.CommandTransport();
}

CommandPath DeviceService::CommandPathOf(const KestrelUSBDevice& device) {
    const DeviceTransport& transport = CommandTransportOf(device);
    if (!transport.IsOpen()) return CommandPath::kClosed;
    return transport.ReceiverMode() ? CommandPath::kReceiver : CommandPath::kCable;
}

bool DeviceService::ThroughReceiver(const KestrelUSBDevice& device) {
    return CommandTransportOf(device).ReceiverMode();
}

uint64_t DeviceService::DroppedLightChunksOf(const KestrelUSBDevice& device) {
    return CommandTransportOf(device).DroppedLightChunks();
}

int DeviceService::KindCodeOf(std::string_view kindName) const {
    for (const DeviceOptionRow& row : catalogue_.Options()) {
        if (row.kindName == kindName) return row.kind;
    }
    return 0;
}

ProfileStoreSetup DeviceService::ProfileStoreSetupIn(const std::filesystem::path& dataFolder,
                                                     std::string_view kindName) const {
    ProfileStoreSetup setup;
    setup.dataFolder = dataFolder;
    setup.defaultDataFile = DefaultDataFile(programFolder_, kindName);
    setup.deviceKind = KindCodeOf(kindName);
    return setup;
}

ProfileResult DeviceService::PrepareProfiles(std::string_view kindName, int kindCode) const {
    ProfileResult prepared;
    const std::filesystem::path folder = EnsureKindDataFolder(userDataRoot_, kindName, prepared.reason);
    if (folder.empty()) {
        prepared.status = ProfileStatus::kFolderFailed;
        return prepared;
    }
    prepared.setup = ProfileStoreSetupIn(folder, kindName);
    prepared.setup.deviceKind = kindCode;
    return prepared;
}

ProfileResult DeviceService::LoadCurrentProfile(KestrelUSBDevice& device, std::vector<std::string>& notices) const {
    ProfileResult loaded = PrepareProfiles(device.Description().kindName, static_cast<int>(device.Kind()));
    if (!loaded.Ready()) return loaded;
    ProfileStore store(loaded.setup);
    const ProfileStoreResult list = store.LoadProfileList();
    for (std::string& notice : store.TakeNotices()) notices.push_back(std::move(notice));
    if (!list) {
        loaded.status = ProfileStatus::kListRefused;
        loaded.reason = list.reason;
        return loaded;
    }
    device.Binding().SetCurrentProfileId(store.CurrentProfileId());
    return loaded;
}

void DeviceService::ApplyLightControl(bool on) {
    if (model_) model_->ApplyLightControl(on);
}

void DeviceService::SetLightControlFlags(bool on) {
    if (!model_) return;
    for (const DeviceModel::Page& page : model_->Pages()) page.device->SetLightControlFlag(on);
}

}  // namespace ivra
