// The one door through which the front ends (the window, ivractl, the tests)
// reach the devices: discovery and the device objects (the DeviceModel it
// owns), a one-shot command channel that reads a device's information block,
// the path (cable or receiver) a device's commands take, the current profile
// of a kind and the light control flags. No front end touches a transport:
// what they need of one is answered here, with the kind registry's transport
// parameters.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/OwnerThread.h"
#include "base/TimerService.h"
#include "discovery/DeviceCatalogue.h"
#include "drivers/KestrelUSBDevice.h"
#include "hid/HidBackend.h"
#include "models/profile/ProfileStore.h"
#include "services/DeviceModel.h"
#include "services/DeviceModelObserver.h"
#include "transport/DeviceTransport.h"

namespace ivra {

// The path a device's command channel runs on.
enum class CommandPath { kClosed, kCable, kReceiver };

// How reading a device's information block through a one-shot command
// channel ended.
enum class InfoBlockStatus {
    kRead,           // the block, the version number and the path are set
    kNoBackend,      // the service has no HID backend
    kOpenFailed,     // the node could not be opened: see openError
    kCommandFailed,  // a session command failed: see resultCode
};

struct InfoBlockReading {
    InfoBlockStatus status = InfoBlockStatus::kNoBackend;
    HidOpenError openError = HidOpenError::None;
    int resultCode = result::kSuccess;  // the failing command's result code (kCommandFailed)
    uint16_t versionNumber = 0;         // of the channel the block was read on
    std::array<uint8_t, kInfoBlockSize> block{};
};

// How preparing or loading a kind's profiles ended.
enum class ProfileStatus {
    kReady,         // the setup (and, when loading, the current profile) is set
    kFolderFailed,  // the kind's data folder could not be made: see reason
    kListRefused,   // the profile list could not be read: see reason
};

struct ProfileResult {
    ProfileStatus status = ProfileStatus::kReady;
    std::string reason;
    ProfileStoreSetup setup;  // the kind's store (dataFolder set when the folder exists)
    bool Ready() const { return status == ProfileStatus::kReady; }
};

class DeviceService final {
public:
    // `backend` may be null for front ends that only work on profiles; the
    // device operations then report that there is none.
    DeviceService(const DeviceCatalogue& catalogue, IHidBackend* backend);
    ~DeviceService();
    DeviceService(const DeviceService&) = delete;
    DeviceService& operator=(const DeviceService&) = delete;

    // Where the kinds keep their data: the per-user data root and the
    // program folder (with "DefaultData/"). Set before BuildDevices.
    void SetDataRoots(std::filesystem::path userDataRoot, std::filesystem::path programFolder);
    const std::filesystem::path& UserDataRoot() const { return userDataRoot_; }
    const std::filesystem::path& ProgramFolder() const { return programFolder_; }

    // ---- Discovery and the device objects --------------------------------
    // Builds the device objects, views and selector entries of the
    // catalogue's option rows (`viewFactory` empty: headless views) with
    // `owner` and `timers` for their work; null without a backend.
    DeviceModel* BuildDevices(IOwnerThread& owner, ITimerService& timers, IDeviceModelObserver* observer,
                              DeviceModel::ViewFactory viewFactory = {}, IClock& clock = DefaultSystemClock());
    // The devices built, or null.
    DeviceModel* Devices() { return model_.get(); }
    // Starts the scan thread: arrivals open command channels and switch
    // between cable and receiver. False when the thread could not start.
    bool StartDiscovery();
    void StopDiscovery();
    // Stops the scan and drops the device objects.
    void CloseDevices();

    // ---- Command channels ------------------------------------------------
    // Opens the node at `path` as discovery does for `slotKind` (the
    // registry's parameters for that cable or receiver code), reads the
    // information block in one session and closes the node again.
    InfoBlockReading ReadInformationBlock(const std::string& path, uint16_t slotKind);
    static CommandPath CommandPathOf(const KestrelUSBDevice& device);
    // Whether the device's command channel runs, or last ran before it was
    // closed, through the receiver.
    static bool ThroughReceiver(const KestrelUSBDevice& device);
    // The light chunks the device's command channel dropped while busy.
    static uint64_t DroppedLightChunksOf(const KestrelUSBDevice& device);

    // ---- Profiles --------------------------------------------------------
    // The store setup of `kindName`'s profiles in `dataFolder` (which need
    // not exist), with the kind's default data file and kind code.
    ProfileStoreSetup ProfileStoreSetupIn(const std::filesystem::path& dataFolder, std::string_view kindName) const;
    // Makes the kind's data folder under the data root when missing and
    // gives its store setup for devices of `kindCode`.
    ProfileResult PrepareProfiles(std::string_view kindName, int kindCode) const;
    // Loads the profile list of the device's kind and makes its selected
    // profile the device's current one. The store's notices are appended to
    // `notices` whatever the result.
    ProfileResult LoadCurrentProfile(KestrelUSBDevice& device, std::vector<std::string>& notices) const;

    // ---- Light control ---------------------------------------------------
    // Sets every device's flag; turning it on tells each keyboard that the
    // program drives its lights.
    void ApplyLightControl(bool on);
    // Sets every device's flag without telling the devices: the lights are
    // left as they are (a suspended system, a command line run that streams
    // nothing unless asked).
    void SetLightControlFlags(bool on);

private:
    // The one place a device's command transport is reached from here.
    static const DeviceTransport& CommandTransportOf(const KestrelUSBDevice& device);
    int KindCodeOf(std::string_view kindName) const;

    const DeviceCatalogue& catalogue_;
    IHidBackend* backend_;
    std::filesystem::path userDataRoot_;
    std::filesystem::path programFolder_;
    std::unique_ptr<DeviceModel> model_;
};

}  // namespace ivra
