#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stop_token>
#include <thread>

#include "FakeSysfsTree.h"
#include "hid/HidPathMarkers.h"
#include "HidrawNode.h"
#include "LinuxHidBackend.h"
#include "DeviceNodeHotPlugSource.h"
#include "UdevHotPlugSource.h"
#include "SimReportDescriptors.h"
#include "TemporaryFolder.h"

namespace ivra {
namespace {

const std::vector<uint8_t> kBootMouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03,
                                         0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01,
                                         0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81,
                                         0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0};

TEST(SysfsHidEnumeratorTest, OneEntryPerTopLevelCollection) {
    sim::FakeSysfsTree tree;
    tree.AddNode(2, 0x320F, 0x506A, 0, sim::KeyboardInterface0Descriptor());
    const std::string instance = tree.AddNode(10, 0x320F, 0x506A, 1, sim::KeyboardInterface1Descriptor());
    tree.AddNode(3, 0x046D, 0xC077, 0, kBootMouse);
    tree.AddNode(4, 0x1234, 0x0001, 0, {0xA1, 0x01});  // malformed: skipped

    LinuxHidBackend backend(tree.sysRoot(), tree.devRoot());
    std::vector<HidInterfaceEntry> entries;
    ASSERT_TRUE(backend.Enumerate(entries));
    ASSERT_EQ(entries.size(), 6u);
    // Node order is numeric: hidraw2, hidraw3, hidraw10.
    EXPECT_EQ(entries[0].path.rfind(tree.devRoot() + "/hidraw2#vid_320f&pid_506a&mi_00#", 0), 0u);
    EXPECT_EQ(entries[1].attributes.vendorId, 0x046D);
    EXPECT_EQ(entries[1].collectionNumber, 0);
    const uint16_t pages[] = {0x0001, 0x0001, 0x000C, 0xFF1C};
    const uint16_t usages[] = {0x0006, 0x0080, 0x0001, 0x0092};
    for (int c = 0; c < 4; ++c) {
        const HidInterfaceEntry& e = entries[2 + static_cast<size_t>(c)];
        SCOPED_TRACE(e.path);
        EXPECT_EQ(e.collectionNumber, c + 1);
        EXPECT_EQ(e.usagePage, pages[c]);
        EXPECT_EQ(e.usage, usages[c]);
        EXPECT_EQ(e.attributes.versionNumber, 0x0102);
        const PathIdentity id = ParsePathIdentity(e.path);
        EXPECT_EQ(id.vendorId, 0x320F);
        EXPECT_EQ(id.productId, 0x506A);
        EXPECT_EQ(id.interfaceNumber, 1);
        EXPECT_EQ(id.collectionNumber, c + 1);
        EXPECT_EQ(e.path.substr(e.path.rfind('#') + 1), instance);
    }
}

TEST(SysfsHidEnumeratorTest, VanishedNodesAreSkippedAndReusedNumbersAreNotPresent) {
    sim::FakeSysfsTree tree;
    tree.AddNode(0, 0x320F, 0x506A, 1, sim::KeyboardInterface1Descriptor());
    tree.AddNode(1, 0x046D, 0xC077, 0, kBootMouse);
    LinuxHidBackend backend(tree.sysRoot(), tree.devRoot());
    std::vector<HidInterfaceEntry> before;
    ASSERT_TRUE(backend.Enumerate(before));
    ASSERT_EQ(before.size(), 5u);
    EXPECT_TRUE(backend.IsPresent(before[0].path));

    tree.RemoveDevice(0);  // unplugged while we walk: the class link dangles
    std::vector<HidInterfaceEntry> after;
    ASSERT_TRUE(backend.Enumerate(after));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_FALSE(backend.IsPresent(before[0].path));

    // The node number comes back for another device: the old path stays gone.
    tree.ReplaceNode(1, 0x046D, 0xC078, kBootMouse);
    EXPECT_FALSE(backend.IsPresent(before[4].path));
    ASSERT_TRUE(backend.Enumerate(after));  // what was read of the old device is not reused
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].attributes.productId, 0xC078);
    EXPECT_TRUE(backend.IsPresent(after[0].path));
    HidOpenError error = HidOpenError::None;
    EXPECT_EQ(backend.Open(before[4].path, true, false, error), nullptr);
    EXPECT_EQ(error, HidOpenError::NotFound);
}

TEST(SysfsHidEnumeratorTest, MissingHidrawClassMeansNoDevice) {
    LinuxHidBackend backend("/nonexistent-sys-root", "/dev");
    std::vector<HidInterfaceEntry> entries;
    EXPECT_TRUE(backend.Enumerate(entries));
    EXPECT_TRUE(entries.empty());
}

// No udev monitor where no udev daemon runs, nor over a tree udev does not
// report on: discovery polls there.
TEST(SysfsHidEnumeratorTest, NoHotPlugSourceWithoutUdevOrOverAMovedTree) {
    EXPECT_EQ(OpenUdevHotPlugSource("/nonexistent-run/udev/control"), nullptr);
    sim::FakeSysfsTree tree;
    LinuxHidBackend backend(tree.sysRoot(), tree.devRoot());
    EXPECT_EQ(backend.OpenHotPlugSource(), nullptr);
}

// Without udev the device-node folder reports hidraw nodes that come, go or
// change their permissions; other nodes wake nothing; a folder that goes
// away ends the watch (discovery polls then).
TEST(SysfsHidEnumeratorTest, DeviceNodeWatchReportsHidrawNodesOnly) {
    sim::TemporaryFolder dev("dev-watch");
    std::unique_ptr<IHotPlugSource> source = OpenDeviceNodeHotPlugSource(dev.Path().string());
    ASSERT_NE(source, nullptr);
    std::stop_source stop;
    EXPECT_EQ(source->WaitForChange(0, stop.get_token()), HotPlugWait::TimedOut);

    std::ofstream(dev.Path() / "ttyS7").put('x');
    EXPECT_EQ(source->WaitForChange(20, stop.get_token()), HotPlugWait::TimedOut);
    std::ofstream(dev.Path() / "hidraw3").put('x');
    EXPECT_EQ(source->WaitForChange(-1, stop.get_token()), HotPlugWait::Changed);
    std::filesystem::permissions(dev.Path() / "hidraw3", std::filesystem::perms::owner_read);
    EXPECT_EQ(source->WaitForChange(-1, stop.get_token()), HotPlugWait::Changed);
    std::filesystem::remove(dev.Path() / "hidraw3");
    EXPECT_EQ(source->WaitForChange(-1, stop.get_token()), HotPlugWait::Changed);

    stop.request_stop();
    EXPECT_EQ(source->WaitForChange(-1, stop.get_token()), HotPlugWait::Stopped);

    std::filesystem::remove_all(dev.Path());
    EXPECT_EQ(source->WaitForChange(-1, std::stop_source().get_token()), HotPlugWait::Failed);
    EXPECT_EQ(OpenDeviceNodeHotPlugSource((dev.Path() / "missing").string()), nullptr);
}

// A datagram socket keeps report boundaries the way a hidraw node does.
class HidrawNodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds_), 0);
        node_ = HidrawNode::Adopt(fds_[0], {}, {});
        ASSERT_NE(node_, nullptr);
    }
    void TearDown() override { ::close(fds_[1]); }
    void DeviceSends(std::vector<uint8_t> report) {
        ASSERT_EQ(::write(fds_[1], report.data(), report.size()), static_cast<ssize_t>(report.size()));
    }
    int fds_[2] = {-1, -1};
    std::unique_ptr<HidrawNode> node_;
};

TEST_F(HidrawNodeTest, ReadsWholeReportsAndTimesOut) {
    DeviceSends({4, 1, 2, 3});
    DeviceSends({3, 9});
    uint8_t buffer[64];
    size_t got = 0;
    ASSERT_EQ(node_->ReadReport(buffer, sizeof buffer, got, 100), HidIoResult::Ok);
    EXPECT_EQ(got, 4u);
    ASSERT_EQ(node_->ReadReport(buffer, sizeof buffer, got, 100), HidIoResult::Ok);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(node_->ReadReport(buffer, sizeof buffer, got, 0), HidIoResult::Timeout);

    DeviceSends({1});
    DeviceSends({2});
    node_->DiscardQueuedInput();
    EXPECT_EQ(node_->ReadReport(buffer, sizeof buffer, got, 0), HidIoResult::Timeout);

    const uint8_t frame[64] = {4};
    EXPECT_EQ(node_->WriteReport(frame, sizeof frame, 100), HidIoResult::Ok);
    EXPECT_EQ(::read(fds_[1], buffer, sizeof buffer), 64);
}

TEST_F(HidrawNodeTest, AbortWakesAnEndlessReadAndStaysSignalled) {
    HidIoResult result = HidIoResult::Ok;
    std::thread reader([&] {
        uint8_t buffer[64];
        size_t got = 0;
        result = node_->ReadReport(buffer, sizeof buffer, got, -1);
    });
    node_->Abort();  // before or during the wait: either way the read ends
    reader.join();
    EXPECT_EQ(result, HidIoResult::Aborted);
    uint8_t buffer[64];
    size_t got = 0;
    DeviceSends({4, 1});
    EXPECT_EQ(node_->ReadReport(buffer, sizeof buffer, got, -1), HidIoResult::Aborted);
}

TEST_F(HidrawNodeTest, HangUpFailsTheRead) {
    ::close(fds_[1]);
    fds_[1] = ::dup(0);  // keep TearDown's close harmless
    uint8_t buffer[64];
    size_t got = 0;
    EXPECT_NE(node_->ReadReport(buffer, sizeof buffer, got, -1), HidIoResult::Ok);
}

}  // namespace
}  // namespace ivra
