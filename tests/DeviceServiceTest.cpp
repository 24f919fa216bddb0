// The device service as the front ends use it: discovery opening and
// switching the command path, the one-shot information block read, its
// failures as typed results, the current profile of a kind and the light
// control flags; against the simulated keyboard and receiver.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ManualClock.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "SimKeyboardCatalogue.h"
#include "SimReceiver.h"
#include "TemporaryFolder.h"
#include "base/UiLoop.h"
#include "models/profile/ProfileStore.h"
#include "services/DeviceService.h"

namespace ivra {
namespace {

constexpr uint16_t kCommandInterface = 1;
constexpr uint16_t kCommandCollection = 4;

class DeviceServiceTest : public ::testing::Test {
protected:
    DeviceServiceTest() : catalogue_(testing::KeyboardCatalogue()), service_(catalogue_, &backend_) {
        backend_.SetInstantTimeouts(true);
        service_.SetDataRoots(dataRoot_.Path(), IVRA_SOURCE_DIR);
    }

    DeviceModel& Build() {
        DeviceModel* model = service_.BuildDevices(loop_, loop_, nullptr, {}, clock_);
        EXPECT_NE(model, nullptr);
        return *model;
    }
    void Pass() {
        ASSERT_EQ(service_.Devices()->Scanner().RunPass(), ScanPassResult::Done);
        loop_.Pump();
    }
    KestrelUSBDevice& Keyboard() { return *service_.Devices()->Pages().at(0).device; }
    CommandPath PathNow() { return DeviceService::CommandPathOf(Keyboard()); }

    sim::ManualClock clock_;
    UiLoop loop_{clock_};
    sim::SimHidBackend backend_;
    DeviceCatalogue catalogue_;
    sim::TemporaryFolder dataRoot_{"ivra-service"};
    DeviceService service_;
    std::shared_ptr<sim::SimKeyboard> keyboard_ = std::make_shared<sim::SimKeyboard>();
    std::shared_ptr<sim::SimReceiver> receiver_ = std::make_shared<sim::SimReceiver>(keyboard_);
};

TEST_F(DeviceServiceTest, DiscoveryOpensTheCommandPathAndSwitchesBetweenReceiverAndCable) {
    Build();
    EXPECT_EQ(PathNow(), CommandPath::kClosed);

    backend_.Plug(receiver_);
    Pass();
    EXPECT_EQ(PathNow(), CommandPath::kReceiver);
    EXPECT_TRUE(DeviceService::ThroughReceiver(Keyboard()));

    backend_.Plug(keyboard_);
    Pass();
    EXPECT_EQ(PathNow(), CommandPath::kCable) << "the cable wins while both are present";
    EXPECT_FALSE(DeviceService::ThroughReceiver(Keyboard()));

    backend_.Unplug(backend_.IdOf(*keyboard_));
    Pass();
    EXPECT_EQ(PathNow(), CommandPath::kReceiver);

    backend_.Unplug(backend_.IdOf(*receiver_));
    Pass();
    EXPECT_EQ(PathNow(), CommandPath::kClosed);
}

// The one-shot channel reads the keyboard's block over the cable and, through
// the receiver, forwarded to the keyboard; the version is the opened node's.
TEST_F(DeviceServiceTest, ReadsTheInformationBlockOnEitherPath) {
    const struct {
        const char* name;
        std::shared_ptr<sim::SimDevice> device;
        uint16_t slotKind;
    } cases[] = {
        {"cable", keyboard_, kind::kKeyboard},
        {"receiver", receiver_, kind::kKeyboardReceiver},
    };
    const auto expected = keyboard_->Firmware().Memory().infoBlock;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        backend_.Plug(c.device);
        const InfoBlockReading reading =
            service_.ReadInformationBlock(backend_.CollectionPath(kCommandInterface, kCommandCollection), c.slotKind);
        EXPECT_EQ(reading.status, InfoBlockStatus::kRead);
        EXPECT_TRUE(std::equal(reading.block.begin(), reading.block.end(), expected.begin(), expected.end()));
        EXPECT_EQ(reading.versionNumber, c.device->Attributes().versionNumber);
        backend_.Unplug(backend_.IdOf(*c.device));
    }
}

TEST_F(DeviceServiceTest, FailedReadsSayWhatFailed) {
    DeviceService withoutBackend(catalogue_, nullptr);
    EXPECT_EQ(withoutBackend.ReadInformationBlock("/dev/hidraw0", kind::kKeyboard).status, InfoBlockStatus::kNoBackend);
    EXPECT_EQ(withoutBackend.BuildDevices(loop_, loop_, nullptr), nullptr);

    const InfoBlockReading missing = service_.ReadInformationBlock("sim:nothing-here", kind::kKeyboard);
    EXPECT_EQ(missing.status, InfoBlockStatus::kOpenFailed);
    EXPECT_EQ(missing.openError, HidOpenError::NotFound);

    keyboard_->SetPermissionDenied(true);
    backend_.Plug(keyboard_);
    const std::string path = backend_.CollectionPath(kCommandInterface, kCommandCollection);
    const InfoBlockReading denied = service_.ReadInformationBlock(path, kind::kKeyboard);
    EXPECT_EQ(denied.status, InfoBlockStatus::kOpenFailed);
    EXPECT_EQ(denied.openError, HidOpenError::PermissionDenied);
    backend_.Unplug(backend_.IdOf(*keyboard_));

    // A receiver whose keyboard is out of reach opens but answers no session.
    receiver_->SetLinked(false);
    backend_.Plug(receiver_);
    const InfoBlockReading unlinked = service_.ReadInformationBlock(
        backend_.CollectionPath(kCommandInterface, kCommandCollection), kind::kKeyboardReceiver);
    EXPECT_EQ(unlinked.status, InfoBlockStatus::kCommandFailed);
    EXPECT_EQ(unlinked.resultCode, result::kNoAnswer);
}

TEST_F(DeviceServiceTest, CurrentProfileIsTheOneSelectedInTheKindsStore) {
    Build();
    std::vector<std::string> notices;
    const ProfileResult first = service_.LoadCurrentProfile(Keyboard(), notices);
    ASSERT_TRUE(first.Ready()) << first.reason;
    EXPECT_EQ(first.setup.dataFolder, dataRoot_.Path() / "keyboard");
    EXPECT_EQ(first.setup.defaultDataFile, std::filesystem::path(IVRA_SOURCE_DIR) / "DefaultData" / "keyboard.Json");
    EXPECT_EQ(first.setup.deviceKind, kind::kKeyboard);

    ProfileStore store(first.setup);
    ASSERT_TRUE(store.LoadProfileList());
    ASSERT_FALSE(store.CurrentProfileId().empty());
    EXPECT_EQ(Keyboard().Binding().CurrentProfileId(), store.CurrentProfileId());

    // Another profile selected in the store is the current one next time.
    ASSERT_TRUE(store.AddProfile());
    ASSERT_TRUE(store.SelectProfile(1));
    ASSERT_NE(store.CurrentProfileId(), Keyboard().Binding().CurrentProfileId());
    ASSERT_TRUE(service_.LoadCurrentProfile(Keyboard(), notices).Ready());
    EXPECT_EQ(Keyboard().Binding().CurrentProfileId(), store.CurrentProfileId());
}

TEST_F(DeviceServiceTest, ADataRootThatIsAFileRefusesTheProfiles) {
    const std::filesystem::path file = dataRoot_.Path() / "not-a-folder";
    std::ofstream(file) << "x";
    service_.SetDataRoots(file, IVRA_SOURCE_DIR);
    const ProfileResult prepared = service_.PrepareProfiles("keyboard", kind::kKeyboard);
    EXPECT_EQ(prepared.status, ProfileStatus::kFolderFailed);
    EXPECT_FALSE(prepared.reason.empty());
}

// Setting the flags leaves the keyboard alone; applying light control tells
// it when turned on.
TEST_F(DeviceServiceTest, OnlyAppliedLightControlReachesTheKeyboard) {
    Build();
    backend_.Plug(keyboard_);
    Pass();
    const struct {
        const char* name;
        bool apply;
        bool on;
        bool reachesKeyboard;
    } cases[] = {
        {"flags on", false, true, false},
        {"flags off", false, false, false},
        {"applied on", true, true, true},
        {"applied off", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        keyboard_->Firmware().ClearLog();
        if (c.apply) {
            service_.ApplyLightControl(c.on);
        } else {
            service_.SetLightControlFlags(c.on);
        }
        EXPECT_EQ(!keyboard_->Firmware().ReceivedFrames().empty(), c.reachesKeyboard);
        EXPECT_EQ(Keyboard().LightControlEnabled(), c.on);
    }
}

}  // namespace
}  // namespace ivra
