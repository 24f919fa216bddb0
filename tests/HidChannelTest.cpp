#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "ScriptedHidBackend.h"
#include "hid/HidChannel.h"
#include "hid/HidPathMarkers.h"

namespace ivra {
namespace {

using test::ScriptedHidBackend;

TEST(HidPathMarkersTest, NumbersAfterMarkersAreHexAndCaseBlind) {
    struct Case {
        const char* path;
        const char* marker;
        uint32_t value;
    };
    const Case cases[] = {
        {"/dev/hidraw0#vid_320f&pid_506a#X", "&mi_", 0},
        {"/dev/hidraw0#vid_320f&pid_506a#X", "&col", 0},
        {"\\\\?\\HID#VID_320F&PID_506A&MI_02&Col03#7&1", "&mi_", 2},
        {"\\\\?\\HID#VID_320F&PID_506A&MI_02&Col03#7&1", "&col", 3},
        {"x&col0a#y", "&col", 10},
        {"vid_320F&pid_506A", "vid_", 0x320F},
        {"vid_320F&pid_506A", "PID_", 0x506A},
        {"vid_&pid_1", "vid_", 0},
        {"vid_ffffffffffff", "vid_", 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HexAfterMarker(c.path, c.marker), c.value) << c.path << " " << c.marker;
    }
    const PathIdentity id = ParsePathIdentity("/dev/hidraw5#vid_320f&pid_506a&mi_01&col04#0003:320F:506A.000B");
    EXPECT_EQ(id.vendorId, 0x320F);
    EXPECT_EQ(id.productId, 0x506A);
    EXPECT_EQ(id.interfaceNumber, 1);
    EXPECT_EQ(id.collectionNumber, 4);
}

class HidChannelTest : public ::testing::Test {
protected:
    ScriptedHidBackend backend;
    HidChannel channel{backend};
};

TEST_F(HidChannelTest, OpenLoadsTheCollectionNamedByThePath) {
    ASSERT_TRUE(channel.Open(backend.path, true));
    EXPECT_EQ(channel.interfaceNumber, 1u);
    EXPECT_EQ(channel.collectionNumber, 4u);
    EXPECT_EQ(channel.caps.usagePage, 0xFF1C);
    EXPECT_EQ(channel.caps.usage, 0x92);
    EXPECT_EQ(channel.caps.inputReportByteLength, 64);
    EXPECT_EQ(channel.caps.outputReportByteLength, 64);
    EXPECT_EQ(channel.reportBuffer[0].size(), 64u);
    EXPECT_EQ(channel.attributes.vendorId, 0x320F);

    channel.path = "/test/hidraw0#vid_320f&pid_506a&mi_01&col09#TEST";
    EXPECT_FALSE(channel.Reopen());  // no ninth collection
    EXPECT_FALSE(channel.IsOpen());
    channel.Close();  // closing a closed channel does nothing
    channel.Close();
    EXPECT_FALSE(channel.Open("/test/gone#vid_1#TEST", false));
    EXPECT_EQ(channel.LastOpenError(), HidOpenError::NotFound);
}

TEST_F(HidChannelTest, ReadSkipsReportsOfOtherCollections) {
    ASSERT_TRUE(channel.Open(backend.path, true));
    backend.device->Push({3, 0x01, 0x04});  // a consumer event on the same node
    backend.device->Push({1, 0, 0, 4});     // a key report
    std::vector<uint8_t> answer(64, 0);
    answer[0] = 4;
    answer[3] = 0x42;
    backend.device->Push(answer);
    uint8_t buffer[64] = {};
    size_t got = 0;
    ASSERT_TRUE(channel.Read(buffer, sizeof buffer, got, 1000));
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(buffer[3], 0x42);
    EXPECT_FALSE(channel.Read(buffer, sizeof buffer, got, 1000));  // nothing left: time-out
    EXPECT_EQ(got, 0u);
}

TEST_F(HidChannelTest, UnnumberedReportsGetIdZeroAndFullLength) {
    // A boot mouse: one collection, 3-byte input reports without an id.
    backend.device->descriptor = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03,
                                  0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01,
                                  0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81,
                                  0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0};
    backend.path = "/test/hidraw1#vid_320f&pid_506a&mi_00#TEST";
    ASSERT_TRUE(channel.Open(backend.path, false));
    EXPECT_EQ(channel.caps.inputReportByteLength, 4);
    backend.device->Push({0x01, 0x05});  // short: the kernel gives what came
    uint8_t buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    size_t got = 0;
    ASSERT_TRUE(channel.Read(buffer, sizeof buffer, got, 0));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0x01);
    EXPECT_EQ(buffer[2], 0x05);
    EXPECT_EQ(buffer[3], 0);
}

TEST_F(HidChannelTest, CloseWakesAReadWithoutTimeLimit) {
    ASSERT_TRUE(channel.Open(backend.path, false));
    bool readResult = true;
    std::thread reader([&] {
        uint8_t buffer[64];
        size_t got = 0;
        readResult = channel.Read(buffer, sizeof buffer, got, kInfiniteTimeout);
    });
    ASSERT_TRUE(backend.device->WaitForBlockedReader());
    EXPECT_TRUE(channel.readPending);
    channel.Close();
    reader.join();
    EXPECT_FALSE(readResult);
    EXPECT_FALSE(channel.readPending);
}

TEST_F(HidChannelTest, ReopenRepointsAtAnotherPathWithoutLeaking) {
    ASSERT_TRUE(channel.Open(backend.path, true));
    std::weak_ptr<test::ScriptedDevice> device = backend.device;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(channel.Reopen());
    EXPECT_EQ(device.use_count(), 2);  // the backend's and the one open node's
}

TEST(EnumerateHidPathsTest, ListsEveryPath) {
    ScriptedHidBackend backend;
    std::vector<std::string> paths = {"stale"};
    ASSERT_TRUE(EnumerateHidPaths(backend, paths));
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], backend.path);
    backend.present = false;
    ASSERT_TRUE(EnumerateHidPaths(backend, paths));
    EXPECT_TRUE(paths.empty());
}

}  // namespace
}  // namespace ivra
