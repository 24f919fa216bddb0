// The simulated backend: enumeration and paths, plugging, opening, and the
// hidraw-like report queues with their wake-ups.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "SimReportDescriptors.h"

namespace ivra::sim {
namespace {

constexpr int kGuardMs = 10000;  // bound for waits that should end at once

class SimHidBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyboard_ = std::make_shared<SimKeyboard>();
        id_ = backend_.Plug(keyboard_);
        ASSERT_NE(id_, kNoSimDevice);
    }

    std::string PathOf(uint16_t interfaceNumber, uint16_t collection) {
        std::vector<HidInterfaceEntry> entries;
        EXPECT_TRUE(backend_.Enumerate(entries));
        for (const HidInterfaceEntry& e : entries) {
            if (e.interfaceNumber == interfaceNumber && e.collectionNumber == collection) {
                return e.path;
            }
        }
        ADD_FAILURE() << "no entry for interface " << interfaceNumber << " collection " << collection;
        return {};
    }

    std::unique_ptr<IHidNode> OpenCommandNode() {
        HidOpenError error = HidOpenError::Other;
        auto node = backend_.Open(PathOf(1, 4), true, true, error);
        EXPECT_EQ(error, HidOpenError::None);
        return node;
    }

    // One numbered report on interface 1 carrying a sequence number.
    void EmitNumbered(uint8_t sequence) {
        const std::array<uint8_t, 3> report{kConsumerEventReportId, sequence, 0};
        ASSERT_TRUE(keyboard_->Emit(1, report.data(), report.size()));
    }

    SimHidBackend backend_;
    std::shared_ptr<SimKeyboard> keyboard_;
    SimDeviceId id_ = kNoSimDevice;
};

TEST_F(SimHidBackendTest, EnumeratesOneEntryPerTopLevelCollection) {
    struct Expected {
        uint16_t interfaceNumber;
        uint16_t collection;
        uint16_t usagePage;
        uint16_t usage;
        const char* markers;
    };
    const Expected expected[] = {
        {0, 0, 0x01, 0x06, "#vid_320f&pid_506a&mi_00#"},         {1, 1, 0x01, 0x06, "#vid_320f&pid_506a&mi_01&col01#"},
        {1, 2, 0x01, 0x80, "#vid_320f&pid_506a&mi_01&col02#"},   {1, 3, 0x0C, 0x01, "#vid_320f&pid_506a&mi_01&col03#"},
        {1, 4, 0xFF1C, 0x92, "#vid_320f&pid_506a&mi_01&col04#"},
    };
    std::vector<HidInterfaceEntry> entries;
    ASSERT_TRUE(backend_.Enumerate(entries));
    ASSERT_EQ(entries.size(), std::size(expected));

    std::string interface1Node;
    for (size_t i = 0; i < entries.size(); ++i) {
        const HidInterfaceEntry& e = entries[i];
        const Expected& x = expected[i];
        SCOPED_TRACE(e.path);
        EXPECT_EQ(e.interfaceNumber, x.interfaceNumber);
        EXPECT_EQ(e.collectionNumber, x.collection);
        EXPECT_EQ(e.usagePage, x.usagePage);
        EXPECT_EQ(e.usage, x.usage);
        EXPECT_EQ(e.attributes.vendorId, 0x320F);
        EXPECT_EQ(e.attributes.productId, 0x506A);
        EXPECT_EQ(e.path.rfind("/sim/hidraw", 0), 0u);
        EXPECT_NE(e.path.find(x.markers), std::string::npos);
        EXPECT_NE(e.path.find("#SIM:320F:506A."), std::string::npos);
        // All collections of an interface report through one node.
        const std::string node = e.path.substr(0, e.path.find('#'));
        if (e.interfaceNumber == 1) {
            if (interface1Node.empty()) interface1Node = node;
            EXPECT_EQ(node, interface1Node);
        }
        EXPECT_TRUE(backend_.IsPresent(e.path));
    }
    EXPECT_NE(entries[0].path.substr(0, entries[0].path.find('#')), interface1Node);
}

TEST_F(SimHidBackendTest, ReplugGivesNewInstanceAndOldPathDies) {
    const std::string oldPath = PathOf(1, 4);
    auto oldNode = OpenCommandNode();
    ASSERT_TRUE(oldNode);

    ASSERT_TRUE(backend_.Unplug(id_));
    EXPECT_FALSE(backend_.Unplug(id_));
    EXPECT_FALSE(backend_.IsPresent(oldPath));
    std::vector<HidInterfaceEntry> entries;
    ASSERT_TRUE(backend_.Enumerate(entries));
    EXPECT_TRUE(entries.empty());

    ASSERT_NE(backend_.Plug(keyboard_), kNoSimDevice);
    const std::string newPath = PathOf(1, 4);
    EXPECT_NE(newPath, oldPath);
    // Same hidraw node number comes back, but not the same instance.
    EXPECT_EQ(newPath.substr(0, newPath.find('#')), oldPath.substr(0, oldPath.find('#')));
    EXPECT_FALSE(backend_.IsPresent(oldPath));
    EXPECT_TRUE(backend_.IsPresent(newPath));

    HidOpenError error = HidOpenError::None;
    EXPECT_EQ(backend_.Open(oldPath, true, true, error), nullptr);
    EXPECT_EQ(error, HidOpenError::NotFound);

    // A handle of the old attachment stays dead after the re-plug.
    EXPECT_TRUE(keyboard_->EmitEvent(0x0401));
    size_t got = 0;
    std::array<uint8_t, 64> buffer{};
    EXPECT_EQ(oldNode->ReadReport(buffer.data(), buffer.size(), got, 0), HidIoResult::Failed);
    const uint8_t frame[64] = {4};
    EXPECT_EQ(oldNode->WriteReport(frame, sizeof frame, 100), HidIoResult::Failed);
}

TEST_F(SimHidBackendTest, PluggingTwiceIsRefused) {
    EXPECT_EQ(backend_.Plug(keyboard_), kNoSimDevice);
    SimHidBackend other;
    EXPECT_EQ(other.Plug(keyboard_), kNoSimDevice);
    EXPECT_EQ(backend_.IdOf(*keyboard_), id_);
}

TEST_F(SimHidBackendTest, OpenRejectsDeniedAndMalformedPaths) {
    const std::string path = PathOf(1, 4);
    keyboard_->SetPermissionDenied(true);
    HidOpenError error = HidOpenError::None;
    EXPECT_EQ(backend_.Open(path, true, true, error), nullptr);
    EXPECT_EQ(error, HidOpenError::PermissionDenied);
    EXPECT_TRUE(backend_.IsPresent(path));  // the probe needs no access rights

    keyboard_->SetPermissionDenied(false);
    for (const std::string& bad : {std::string(), std::string("/dev/hidraw0"), path.substr(0, path.rfind('#')),
                                   path.substr(0, path.size() - 1) + "Z"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(backend_.Open(bad, true, true, error), nullptr);
        EXPECT_EQ(error, HidOpenError::NotFound);
        EXPECT_FALSE(backend_.IsPresent(bad));
    }
}

TEST_F(SimHidBackendTest, FullQueueDropsNewReportsPerHandle) {
    backend_.SetInstantTimeouts(true);
    auto first = OpenCommandNode();
    for (uint8_t i = 0; i < 40; ++i) EmitNumbered(i);
    // The second handle sees only what arrives after it is opened.
    auto second = OpenCommandNode();
    for (uint8_t i = 40; i < 80; ++i) EmitNumbered(i);

    std::array<uint8_t, 64> buffer{};
    size_t got = 0;
    const auto drain = [&](IHidNode& node) {
        std::vector<uint8_t> sequence;
        while (node.ReadReport(buffer.data(), buffer.size(), got, 50) == HidIoResult::Ok) {
            EXPECT_EQ(got, 3u);
            EXPECT_EQ(buffer[0], kConsumerEventReportId);
            sequence.push_back(buffer[1]);
        }
        return sequence;
    };
    std::vector<uint8_t> expectFirst(63);
    for (uint8_t i = 0; i < 63; ++i) expectFirst[i] = i;
    std::vector<uint8_t> expectSecond(40);
    for (uint8_t i = 0; i < 40; ++i) expectSecond[i] = static_cast<uint8_t>(40 + i);

    // Discarding one handle's queue leaves the other's alone.
    second->DiscardQueuedInput();
    EXPECT_EQ(drain(*first), expectFirst);
    EXPECT_TRUE(drain(*second).empty());

    for (uint8_t i = 40; i < 80; ++i) EmitNumbered(i);
    EXPECT_EQ(drain(*second), expectSecond);
}

TEST_F(SimHidBackendTest, ShortBufferTruncatesLikeRead) {
    auto node = OpenCommandNode();
    EmitNumbered(7);
    std::array<uint8_t, 2> buffer{};
    size_t got = 0;
    ASSERT_EQ(node->ReadReport(buffer.data(), buffer.size(), got, 0), HidIoResult::Ok);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(buffer[1], 7);
}

TEST_F(SimHidBackendTest, InstantTimingTimesOutFiniteReadsAtOnce) {
    backend_.SetInstantTimeouts(true);
    auto node = OpenCommandNode();
    std::array<uint8_t, 64> buffer{};
    size_t got = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(node->ReadReport(buffer.data(), buffer.size(), got, 600000), HidIoResult::Timeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(got, 0u);
}

TEST_F(SimHidBackendTest, RealTimingWaitsOutTheTimeout) {
    auto node = OpenCommandNode();
    std::array<uint8_t, 64> buffer{};
    size_t got = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(node->ReadReport(buffer.data(), buffer.size(), got, 30), HidIoResult::Timeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

// A reader blocked without a time limit (even with instant timing on) wakes
// for exactly the reason given.
struct WakeCase {
    const char* name;
    void (*wake)(SimHidBackend&, SimDeviceId, SimKeyboard&, IHidNode&);
    HidIoResult expected;
    HidIoResult afterwards;  // the next read on the same handle
};

class SimBlockedReadTest : public SimHidBackendTest, public ::testing::WithParamInterface<WakeCase> {};

TEST_P(SimBlockedReadTest, WakesBlockedReader) {
    backend_.SetInstantTimeouts(true);
    auto node = OpenCommandNode();
    auto reader = std::async(std::launch::async, [&] {
        std::array<uint8_t, 64> buffer{};
        size_t got = 0;
        return node->ReadReport(buffer.data(), buffer.size(), got, -1);
    });
    ASSERT_TRUE(backend_.WaitForBlockedReaders(1, kGuardMs));
    GetParam().wake(backend_, id_, *keyboard_, *node);
    ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(kGuardMs)), std::future_status::ready);
    EXPECT_EQ(reader.get(), GetParam().expected);
    EXPECT_EQ(backend_.BlockedReaders(), 0u);

    std::array<uint8_t, 64> buffer{};
    size_t got = 0;
    EXPECT_EQ(node->ReadReport(buffer.data(), buffer.size(), got, 0), GetParam().afterwards);
}

INSTANTIATE_TEST_SUITE_P(
    Wakes, SimBlockedReadTest,
    ::testing::Values(
        WakeCase{"Abort", [](SimHidBackend&, SimDeviceId, SimKeyboard&, IHidNode& node) { node.Abort(); },
                 HidIoResult::Aborted, HidIoResult::Aborted},
        WakeCase{"Unplug", [](SimHidBackend& backend, SimDeviceId id, SimKeyboard&, IHidNode&) { backend.Unplug(id); },
                 HidIoResult::Failed, HidIoResult::Failed},
        WakeCase{"Report",
                 [](SimHidBackend&, SimDeviceId, SimKeyboard& keyboard, IHidNode&) { keyboard.EmitEvent(0x0401); },
                 HidIoResult::Ok, HidIoResult::Ok}),  // the release report follows
    [](const ::testing::TestParamInfo<WakeCase>& param) { return param.param.name; });

TEST_F(SimHidBackendTest, AbortIsStickyForWritesToo) {
    auto node = OpenCommandNode();
    EmitNumbered(1);
    node->Abort();
    std::array<uint8_t, 64> buffer{};
    size_t got = 0;
    EXPECT_EQ(node->ReadReport(buffer.data(), buffer.size(), got, 0), HidIoResult::Aborted);
    buffer[0] = kVendorCommandReportId;
    EXPECT_EQ(node->WriteReport(buffer.data(), buffer.size(), 100), HidIoResult::Aborted);
    EXPECT_EQ(node->SendOutputReport(buffer.data(), 2), HidIoResult::Aborted);
    EXPECT_TRUE(keyboard_->Firmware().ReceivedFrames().empty());
}

TEST_F(SimHidBackendTest, DestroyingTheBackendFailsOpenHandles) {
    auto backend = std::make_unique<SimHidBackend>();
    auto keyboard = std::make_shared<SimKeyboard>();
    ASSERT_NE(backend->Plug(keyboard), kNoSimDevice);
    std::vector<HidInterfaceEntry> entries;
    ASSERT_TRUE(backend->Enumerate(entries));
    HidOpenError error = HidOpenError::Other;
    auto node = backend->Open(entries.back().path, true, true, error);
    ASSERT_TRUE(node);
    backend.reset();
    EXPECT_FALSE(keyboard->IsPlugged());
    std::array<uint8_t, 64> buffer{};
    size_t got = 0;
    EXPECT_EQ(node->ReadReport(buffer.data(), buffer.size(), got, -1), HidIoResult::Failed);
}

}  // namespace
}  // namespace ivra::sim
