#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "discovery/DeviceCatalogue.h"

namespace ivra {
namespace {

TEST(DeviceCatalogueTest, ShippedLookups) {
    const DeviceCatalogue& c = DeviceCatalogue::Shipped();
    struct OptionCase {
        int32_t vid, pid, kind, variant;
        int row;
    };
    for (const OptionCase& t :
         {OptionCase{0x320F, 0x506A, 1, 0, 1}, OptionCase{0x320F, 0x0000, 1, 0, 2}, OptionCase{0x0C76, 0x1630, 7, 0, 4},
          OptionCase{0x320F, 0x506A, 2, 0, -1}, OptionCase{0x320F, 0x506A, 1, 1, -1}}) {
        EXPECT_EQ(c.FindOptionRow(t.vid, t.pid, t.kind, t.variant), t.row) << t.vid << ":" << t.pid;
    }
    // Pages are built for the keyboard rows only.
    const int expectedSlot[] = {-1, 0, 2, -1, -1};
    for (int row = 0; row < 5; ++row) EXPECT_EQ(c.FindSlotForOption(row), expectedSlot[row]) << row;
    EXPECT_EQ(c.FindSlotForOption(5), -1);
    EXPECT_EQ(c.FindSlotForOption(-1), -1);

    EXPECT_EQ(c.FindSlotRowByUsage(0x320F, 0x506A, 3, 1, 0x000C, 0x0001), 1);
    EXPECT_EQ(c.FindSlotRowByUsage(0x320F, 0x506A, 3, 1, 0xFF1C, 0x0001), -1);
    EXPECT_EQ(c.FindSlotRowByUsage(0x320F, 0x0000, 4, 1, 0xFF1C, 0x0092), 2);
    EXPECT_TRUE(c.FindSlotRowByCollection(0x320F, 0x506A, 4, 1));
    EXPECT_FALSE(c.FindSlotRowByCollection(0x320F, 0x506A, 4, 0));
    EXPECT_FALSE(c.FindSlotRowByCollection(0x320F, 0x506A, 1, 1));
}

TEST(DeviceCatalogueTest, ReceiverRowsTakeTheirPartnersPage) {
    // A catalogue serving a mouse by cable (rows 0, 1) and receiver (rows 2, 3).
    std::vector<DeviceSlot> slots = {
        {0x1111, 0x2222, 1, 2, kind::kMouse, kRoleCommand, 0, 0xFF00, 1, 1, 2, {}},
        {0x1111, 0x2222, 1, 1, kind::kMouse, kRoleEvent, 0, 0x000C, 1, 1, 3, {}},
        {0x1111, 0x3333, 2, 2, kind::kMouseReceiver, kRoleCommand, 0, 0xFF00, 1, 1, 0, {}},
        {0x1111, 0x3333, 2, 1, kind::kMouseReceiver, kRoleEvent, 0, 0x000C, 1, 1, 1, {}},
    };
    std::vector<DeviceOptionRow> options = {{"o.xml", "g", "p", "mouse", 1, 0x1111, 0x2222, kind::kMouse, 0}};
    std::vector<DevicePageRow> pages = {{6, 7, 1, -1, "m.xml", "norvo_light"}};
    const DeviceCatalogue c(slots, options, pages, {});
    EXPECT_EQ(c.FindSlotForOption(0), 0);
    for (int slot = 0; slot < 4; ++slot) EXPECT_EQ(c.OptionRowForSlot(slot), 0) << slot;
    EXPECT_EQ(c.OptionRowForSlot(4), -1);

    const KindTransportParams receiver = TransportParamsForKind(kind::kMouseReceiver);
    EXPECT_TRUE(receiver.receiverMode);
    EXPECT_EQ(receiver.chunkSize, 24);
    EXPECT_EQ(receiver.timeoutMs, 5000);
    EXPECT_EQ(TransportParamsForKind(kind::kKeyboard).chunkSize, 56);
    EXPECT_EQ(TransportParamsForKind(kind::kHeadset).chunkSize, 24);
}

TEST(DeviceCatalogueTest, UdevRuleGrantsEveryCataloguedDevice) {
    std::ifstream in(std::string(IVRA_SOURCE_DIR) + "/udev/70-ivra-wireless-manager.rules");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    const DeviceCatalogue& c = DeviceCatalogue::Shipped();
    auto covered = [&](unsigned vid, unsigned pid) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", "
                      "TAG+=\"uaccess\"",
                      vid, pid);
        return text.str().find(line) != std::string::npos;
    };
    for (const DeviceSlot& slot : c.Slots()) EXPECT_TRUE(covered(slot.vendorId, slot.productId));
    for (const DeviceOptionRow& row : c.Options()) {
        if (row.vendorId != 0) {
            EXPECT_TRUE(covered(static_cast<unsigned>(row.vendorId), static_cast<unsigned>(row.productId)));
        }
    }
}

}  // namespace
}  // namespace ivra
