// Data items built from parsed collections and the unpacking of input
// reports into them.
#include "hid/HidDataItem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "SimReportDescriptors.h"

namespace ivra {
namespace {

HidTopLevelCollection ParseCollection(const std::vector<uint8_t>& bytes, size_t index = 0) {
    HidReportDescriptor parsed;
    std::string error;
    EXPECT_TRUE(ParseReportDescriptor(bytes.data(), bytes.size(), parsed, &error)) << error;
    if (parsed.collections.size() <= index) {
        ADD_FAILURE() << "no collection " << index;
        return {};
    }
    return parsed.collections[index];
}

// A Generic Desktop application collection around `body`.
std::vector<uint8_t> InApplication(std::vector<uint8_t> body) {
    // Built front to back: GCC 12 misreads an insert into the braced list
    // as an overflow at -O2.
    body.insert(body.begin(), {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01});
    body.push_back(0xC0);
    return body;
}

std::vector<uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::filesystem::path(IVRA_FIXTURE_DIR) / "hid-descriptors" / (name + ".hex"));
    std::vector<uint8_t> bytes;
    std::string token;
    while (in >> token) bytes.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    return bytes;
}

// Unpacks from a heap copy of exactly `report`'s length, so that a read past
// the end is caught by the address sanitizer.
bool Unpack(const std::vector<uint8_t>& report, std::vector<HidDataItem>& items,
            const HidTopLevelCollection& collection) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[report.size() + (report.empty() ? 1 : 0)]);
    std::copy(report.begin(), report.end(), copy.get());
    return UnpackInputReport(copy.get(), report.size(), items, collection);
}

// Report id 2: X, Y, Z as a usage range of signed bytes.
const std::vector<uint8_t> kRangeValues = InApplication({
    0x85, 0x02,              // Report ID (2)
    0x19, 0x30, 0x29, 0x32,  // Usage Minimum (X), Usage Maximum (Z)
    0x15, 0x81, 0x25, 0x7F,  // Logical -127..127
    0x75, 0x08, 0x95, 0x03,  // 3 x 8 bits
    0x81, 0x02,              // Input (Data, Variable, Absolute)
});

TEST(HidDataItems, ValueRangeYieldsOneItemPerUsage) {
    const HidTopLevelCollection collection = ParseCollection(kRangeValues);
    const HidKindCaps caps = CountCaps(collection, HidReportKind::Input);
    EXPECT_EQ(caps.buttonCaps, 0u);
    EXPECT_EQ(caps.valueCaps, 1u);

    std::vector<HidDataItem> items = BuildDataItems(collection, HidReportKind::Input);
    ASSERT_EQ(items.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(items[i].isButtonData);
        EXPECT_EQ(items[i].usagePage, 0x01);
        EXPECT_EQ(items[i].usage, 0x30 + i);
        EXPECT_EQ(items[i].reportId, 2u);
        EXPECT_FALSE(items[i].isDataSet);
    }

    EXPECT_TRUE(Unpack({0x02, 0x05, 0xFB, 0x7F}, items, collection));
    const uint32_t raw[] = {0x05, 0xFB, 0x7F};
    const int32_t logical[] = {5, -5, 127};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(items[i].isDataSet);
        EXPECT_EQ(items[i].value, raw[i]);
        // No physical range: the scaled value is the signed logical one.
        EXPECT_EQ(items[i].scaledValue, logical[i]);
        EXPECT_EQ(items[i].status, kHidStatusBadLogPhyValues);
    }
    EXPECT_TRUE(BuildDataItems(collection, HidReportKind::Output).empty());
}

// A value field with a usage list gets one item per listed usage, and a
// usage that occurs in several fields (one per finger, say) is read from
// each field in turn.
TEST(HidDataItems, ValueListsAndRepeatedUsages) {
    const HidTopLevelCollection collection = ParseCollection(InApplication({
        0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,  // Logical 0..255, 8 bits
        0x09, 0x30, 0x09, 0x31, 0x95, 0x02,        // X, Y
        0x81, 0x02,                                // Input: first contact
        0x09, 0x30, 0x09, 0x31,                    // X, Y
        0x81, 0x02,                                // Input: second contact
        0x09, 0x38, 0x95, 0x03,                    // Wheel, three elements
        0x81, 0x02,                                // Input: the usage repeats
    }));
    EXPECT_EQ(CountCaps(collection, HidReportKind::Input).valueCaps, 3u);
    std::vector<HidDataItem> items = BuildDataItems(collection, HidReportKind::Input);
    ASSERT_EQ(items.size(), 5u);
    const uint16_t usages[] = {0x30, 0x31, 0x30, 0x31, 0x38};
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].usage, usages[i]) << i;

    EXPECT_TRUE(Unpack({0x00, 10, 11, 20, 21, 7, 8, 9}, items, collection));
    const uint32_t values[] = {10, 11, 20, 21, 7};
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].value, values[i]) << i;
}

TEST(HidDataItems, ScalesValuesIntoThePhysicalRange) {
    struct Case {
        const char* name;
        std::vector<uint8_t> range;  // logical and physical range items
        uint8_t raw;
        int32_t scaled;
        int32_t status;
    };
    const std::vector<Case> cases = {
        {"0..255 to 0..1000",
         {0x15, 0x00, 0x26, 0xFF, 0x00, 0x35, 0x00, 0x46, 0xE8, 0x03},
         255,
         1000,
         kHidStatusSuccess},
        {"0..255 to 0..1000, midway",
         {0x15, 0x00, 0x26, 0xFF, 0x00, 0x35, 0x00, 0x46, 0xE8, 0x03},
         51,
         200,
         kHidStatusSuccess},
        {"signed to signed", {0x15, 0x81, 0x25, 0x7F, 0x35, 0x81, 0x45, 0x7F}, 0x81, -127, kHidStatusSuccess},
        {"signed logical, wide physical",
         {0x15, 0x81, 0x25, 0x7F, 0x36, 0x02, 0xFF, 0x46, 0xFE, 0x00},
         0x7F,
         254,
         kHidStatusSuccess},
        {"no physical range", {0x15, 0x81, 0x25, 0x7F}, 0xF0, -16, kHidStatusBadLogPhyValues},
        {"empty physical range", {0x15, 0x00, 0x25, 0x10, 0x35, 0x05, 0x45, 0x05}, 3, 3, kHidStatusBadLogPhyValues},
        {"empty logical range", {0x15, 0x00, 0x25, 0x00, 0x35, 0x00, 0x45, 0x10}, 3, 3, kHidStatusBadLogPhyValues},
        {"value above the logical range",
         {0x15, 0x00, 0x25, 0x07, 0x35, 0x00, 0x46, 0x3B, 0x01},
         8,
         0,
         kHidStatusValueOutOfRange},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> body = c.range;
        body.insert(body.end(), {0x09, 0x30, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02});
        const HidTopLevelCollection collection = ParseCollection(InApplication(body));
        std::vector<HidDataItem> items = BuildDataItems(collection, HidReportKind::Input);
        ASSERT_EQ(items.size(), 1u) << c.name;
        EXPECT_TRUE(Unpack({0x00, c.raw}, items, collection)) << c.name;
        EXPECT_TRUE(items[0].isDataSet) << c.name;
        EXPECT_EQ(items[0].value, c.raw) << c.name;
        EXPECT_EQ(items[0].scaledValue, c.scaled) << c.name;
        EXPECT_EQ(items[0].status, c.status) << c.name;
    }
}

class ConsumerEvents : public ::testing::Test {
protected:
    void SetUp() override {
        collection_ = ParseCollection(sim::KeyboardInterface1Descriptor(), 2);
        items_ = BuildDataItems(collection_, HidReportKind::Input);
    }
    HidTopLevelCollection collection_;
    std::vector<HidDataItem> items_;
};

TEST_F(ConsumerEvents, OneButtonItemCoversTheEventCodes) {
    ASSERT_EQ(items_.size(), 1u);
    const HidDataItem& item = items_[0];
    EXPECT_TRUE(item.isButtonData);
    EXPECT_EQ(item.usagePage, 0x0C);
    EXPECT_EQ(item.reportId, sim::kConsumerEventReportId);
    EXPECT_EQ(item.usageMin, sim::kFirstEventCode);
    EXPECT_EQ(item.usageMax, sim::kLastEventCode);
    EXPECT_EQ(item.maxUsageLength, 1u);
    EXPECT_EQ(item.usages, std::vector<uint16_t>{0});
    const HidKindCaps caps = CountCaps(collection_, HidReportKind::Input);
    EXPECT_EQ(caps.buttonCaps, 1u);
    EXPECT_EQ(caps.valueCaps, 0u);
}

TEST_F(ConsumerEvents, UnpacksTheEventCode) {
    struct Case {
        uint16_t code;
        uint16_t expectedUsage;  // 0: no event
    };
    const Case cases[] = {
        {0x0401, 0x0401}, {0x1005, 0x1005}, {0x11FF, 0x11FF},
        {0x0000, 0},      {0x0400, 0},      {0x1200, 0},  // outside the logical range
    };
    for (const Case& c : cases) {
        items_[0].usages.assign(1, 0xBEEF);
        items_[0].isDataSet = false;
        const std::vector<uint8_t> report = {sim::kConsumerEventReportId, static_cast<uint8_t>(c.code & 0xFF),
                                             static_cast<uint8_t>(c.code >> 8)};
        EXPECT_TRUE(Unpack(report, items_, collection_)) << std::hex << c.code;
        EXPECT_TRUE(items_[0].isDataSet);
        EXPECT_EQ(items_[0].status, kHidStatusSuccess);
        EXPECT_EQ(items_[0].usages[0], c.expectedUsage) << std::hex << c.code;
    }
}

TEST_F(ConsumerEvents, ReportOfAnotherIdLeavesItemsUntouched) {
    items_[0].usages.assign(1, 0x0777);
    items_[0].status = kHidStatusIncompatibleReportId;
    const std::vector<HidDataItem> before = items_;
    for (uint8_t id : {uint8_t{0}, sim::kKeyboardReportId, sim::kVendorCommandReportId, uint8_t{0xFF}}) {
        EXPECT_TRUE(Unpack({id, 0x01, 0x04}, items_, collection_)) << int{id};
        ASSERT_EQ(items_.size(), before.size());
        EXPECT_EQ(items_[0].usages, before[0].usages);
        EXPECT_EQ(items_[0].status, before[0].status);
        EXPECT_EQ(items_[0].isDataSet, before[0].isDataSet);
    }
}

// Every prefix of a full report is unpacked without reading past its end: a
// value that does not fit is reported, a button element that does not fit
// is not read.
TEST(HidDataItems, ShortReportsNeverReadPastTheirEnd) {
    const std::vector<uint8_t> bytes = InApplication({
        0x85, 0x01,                                                              // Report ID (1)
        0x05, 0x09, 0x19, 0x01, 0x29, 0x08,                                      // Buttons 1..8
        0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,              // Input: one byte of buttons
        0x05, 0x01, 0x09, 0x30, 0x09, 0x31,                                      // X, Y
        0x16, 0x00, 0x80, 0x26, 0xFF, 0x7F, 0x75, 0x10, 0x95, 0x02, 0x81, 0x06,  // Input: two 16-bit values
    });
    const HidTopLevelCollection collection = ParseCollection(bytes);
    const std::vector<uint8_t> full = {0x01, 0x81, 0x34, 0x12, 0xFE, 0xFF};
    for (size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        std::vector<HidDataItem> items = BuildDataItems(collection, HidReportKind::Input);
        ASSERT_EQ(items.size(), 3u);
        const std::vector<uint8_t> report(full.begin(), full.begin() + static_cast<long>(length));
        const bool ok = Unpack(report, items, collection);
        EXPECT_EQ(ok, length == 0 || length == full.size());
        if (length == 0) continue;
        EXPECT_EQ(items[0].usages[0], length >= 2 ? 1 : 0);
        EXPECT_EQ(items[0].usages[1], length >= 2 ? 8 : 0);
        EXPECT_EQ(items[1].isDataSet, length >= 4);
        EXPECT_EQ(items[1].status, length >= 4 ? kHidStatusBadLogPhyValues : kHidStatusInvalidReportLength);
        EXPECT_EQ(items[2].isDataSet, length >= 6);
        if (length >= 6) {
            EXPECT_EQ(items[1].value, 0x1234u);
            EXPECT_EQ(items[2].value, 0xFFFEu);
            EXPECT_EQ(items[2].scaledValue, -2);
        }
    }
}

TEST(HidDataItems, ButtonsOfTheWheelMouseFixture) {
    const std::vector<uint8_t> bytes = ReadFixture("WheelMouse");
    ASSERT_FALSE(bytes.empty());
    const HidTopLevelCollection mouse = ParseCollection(bytes);
    const HidKindCaps caps = CountCaps(mouse, HidReportKind::Input);
    EXPECT_EQ(caps.buttonCaps, 1u);
    EXPECT_EQ(caps.valueCaps, 2u);  // X/Y together, wheel
    std::vector<HidDataItem> items = BuildDataItems(mouse, HidReportKind::Input);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].isButtonData);
    EXPECT_EQ(items[0].usagePage, 0x09);
    EXPECT_EQ(items[0].usageMin, 1u);
    EXPECT_EQ(items[0].usageMax, 3u);
    EXPECT_EQ(items[0].maxUsageLength, 3u);

    struct Case {
        uint8_t buttons;
        std::vector<uint16_t> usages;
    };
    const std::vector<Case> cases = {
        {0x00, {0, 0, 0}}, {0x01, {1, 0, 0}}, {0x05, {1, 3, 0}},
        {0x07, {1, 2, 3}}, {0xF8, {0, 0, 0}},  // padding bits are not buttons
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Unpack({0x00, c.buttons, 0x10, 0xF0, 0x01}, items, mouse));
        EXPECT_EQ(items[0].usages, c.usages) << int{c.buttons};
        EXPECT_EQ(items[1].usage, 0x30);
        EXPECT_EQ(items[1].scaledValue, 16);
        EXPECT_EQ(items[2].usage, 0x31);
        EXPECT_EQ(items[2].scaledValue, -16);
        EXPECT_EQ(items[3].usage, 0x38);
        EXPECT_EQ(items[3].scaledValue, 1);
    }
}

// A button item's usage list is as long as every button field of its page
// together; it receives the usages on in its own usage range.
TEST(HidDataItems, BootKeyboardButtonsShareTheirPage) {
    const HidTopLevelCollection keyboard = ParseCollection(sim::KeyboardInterface0Descriptor());
    std::vector<HidDataItem> items = BuildDataItems(keyboard, HidReportKind::Input);
    ASSERT_EQ(items.size(), 2u);
    for (const HidDataItem& item : items) {
        EXPECT_TRUE(item.isButtonData);
        EXPECT_EQ(item.usagePage, 0x07);
        EXPECT_EQ(item.maxUsageLength, 14u);
        EXPECT_EQ(item.usages.size(), 14u);
    }
    EXPECT_EQ(items[0].usageMin, 0xE0u);
    EXPECT_EQ(items[0].usageMax, 0xE7u);
    EXPECT_EQ(items[1].usageMin, 0x00u);
    EXPECT_EQ(items[1].usageMax, 0xFFu);

    // Left Shift and Right Alt held, keys A and B down, four empty slots.
    EXPECT_TRUE(Unpack({0x00, 0x42, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00}, items, keyboard));
    const std::vector<uint16_t> modifiers = {0xE1, 0xE6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<uint16_t> all = {0xE1, 0xE6, 0x04, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(items[0].usages, modifiers);
    EXPECT_EQ(items[1].usages, all);

    const std::vector<HidDataItem> leds = BuildDataItems(keyboard, HidReportKind::Output);
    ASSERT_EQ(leds.size(), 1u);
    EXPECT_EQ(leds[0].usagePage, 0x08);
    EXPECT_EQ(leds[0].maxUsageLength, 5u);
}

TEST(HidDataItems, ButtonListsRepeatTheirLastUsage) {
    const HidTopLevelCollection collection = ParseCollection(InApplication({
        0x05, 0x09, 0x09, 0x02, 0x09, 0x05,                          // Buttons 2 and 5
        0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x04, 0x81, 0x02,  // four bits: 2, 5, 5, 5
        0x95, 0x04, 0x81, 0x03,                                      // padding
    }));
    std::vector<HidDataItem> items = BuildDataItems(collection, HidReportKind::Input);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].usageMin, 2u);
    EXPECT_EQ(items[0].usageMax, 5u);
    EXPECT_TRUE(Unpack({0x00, 0x09}, items, collection));
    EXPECT_EQ(items[0].usages, (std::vector<uint16_t>{2, 5, 0, 0}));
}

// An array whose logical 0 names a usage: elements missing from a short
// report must not read as that usage.
TEST(HidDataItems, ArrayElementsMissingFromAShortReportAreNotPressed) {
    const HidTopLevelCollection collection = ParseCollection(InApplication({
        0x05, 0x09, 0x19, 0x10, 0x29, 0x17,                          // Buttons 0x10..0x17
        0x15, 0x00, 0x25, 0x07, 0x75, 0x04, 0x95, 0x02, 0x81, 0x00,  // Input (Array): two 4-bit slots
    }));
    struct Case {
        std::vector<uint8_t> report;
        std::vector<uint16_t> usages;
    };
    const std::vector<Case> cases = {
        {{0x00}, {0, 0}},
        {{0x00, 0x21}, {0x11, 0x12}},
        {{0x00, 0x80}, {0x10, 0}},  // slot 1 holds 8: outside the logical range
    };
    for (const Case& c : cases) {
        std::vector<HidDataItem> items = BuildDataItems(collection, HidReportKind::Input);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_TRUE(Unpack(c.report, items, collection));
        EXPECT_EQ(items[0].usages, c.usages) << c.report.size();
    }
}

}  // namespace
}  // namespace ivra
