// Report-descriptor parser: agreement with an independent parser on the
// recorded descriptors of real devices, our own simulated descriptors, the
// item grammar's corners, and rejection of malformed descriptors.
#include "hid/HidReportDescriptor.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "SimReportDescriptors.h"

namespace ivra {
namespace {

namespace fs = std::filesystem;

const fs::path kDescriptorDir = fs::path(IVRA_FIXTURE_DIR) / "hid-descriptors";

std::vector<uint8_t> ReadHexFile(const fs::path& path) {
    std::ifstream in(path);
    std::vector<uint8_t> bytes;
    std::string token;
    while (in >> token) bytes.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    return bytes;
}

std::vector<std::string> FixtureNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kDescriptorDir, ec)) {
        if (entry.path().extension() == ".hex") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

const Json::Value& Reference() {
    static const Json::Value root = [] {
        Json::Value value;
        std::ifstream in(kDescriptorDir / "reference.json");
        Json::CharReaderBuilder builder;
        std::string errors;
        if (!Json::parseFromStream(builder, in, &value, &errors)) value = Json::Value();
        return value;
    }();
    return root;
}

HidReportDescriptor ParseOrFail(const std::vector<uint8_t>& bytes) {
    HidReportDescriptor parsed;
    std::string error;
    EXPECT_TRUE(ParseReportDescriptor(bytes.data(), bytes.size(), parsed, &error)) << error;
    return parsed;
}

uint32_t Application(const HidTopLevelCollection& collection) {
    return (static_cast<uint32_t>(collection.usagePage) << 16) | collection.usage;
}

constexpr const char* kKindNames[kHidReportKindCount] = {"input", "output", "feature"};

// One report as the reference lists it, in our terms: id 0 for unnumbered
// reports and the length counting the id byte.
struct ReferenceReport {
    int kind = 0;
    uint8_t id = 0;
    uint32_t bytes = 0;
    uint32_t application = 0;
};

std::vector<ReferenceReport> ReferenceReports(const Json::Value& device) {
    std::vector<ReferenceReport> reports;
    for (int kind = 0; kind < kHidReportKindCount; ++kind) {
        const Json::Value& byId = device[kKindNames[kind]];
        for (const std::string& key : byId.getMemberNames()) {
            const int id = std::stoi(key);
            ReferenceReport report;
            report.kind = kind;
            report.id = static_cast<uint8_t>(id < 0 ? 0 : id);
            report.bytes = byId[key]["bytes"].asUInt() + (id < 0 ? 1 : 0);
            report.application = static_cast<uint32_t>(std::stoul(byId[key]["application"].asString(), nullptr, 16));
            reports.push_back(report);
        }
    }
    return reports;
}

// Where the reference is wrong, the length we expect instead and why.
struct ReferenceCorrection {
    const char* fixture;
    int kind;
    uint8_t id;
    uint32_t bytes;
    const char* reason;
};
const ReferenceCorrection kReferenceCorrections[] = {
    {"to", static_cast<int>(HidReportKind::Feature), 18, 2,
     "the reference rounds the bit count down: feature report 18 carries 2 data bits, "
     "which need a payload byte after the id byte, but it lists 1 byte (the id alone)"},
};

uint32_t ExpectedBytes(const std::string& fixture, const ReferenceReport& report) {
    for (const ReferenceCorrection& fix : kReferenceCorrections) {
        if (fixture == fix.fixture && report.kind == fix.kind && report.id == fix.id) {
            return fix.bytes;
        }
    }
    return report.bytes;
}

TEST(HidDescriptorFixtures, FixturesAndReferenceArePresent) {
    ASSERT_TRUE(Reference().isObject()) << "cannot read " << kDescriptorDir / "reference.json";
    const std::vector<std::string> names = FixtureNames();
    EXPECT_GE(names.size(), 60u);
    for (const std::string& name : names) EXPECT_TRUE(Reference().isMember(name)) << name;
}

class HidDescriptorFixture : public ::testing::TestWithParam<std::string> {};

// Every report the reference lists is found, with the same length, in a
// collection of the same application; and every report we find is listed by
// the reference, with the same application and length.
TEST_P(HidDescriptorFixture, ReportsAgreeWithReference) {
    const std::string& name = GetParam();
    const std::vector<uint8_t> bytes = ReadHexFile(kDescriptorDir / (name + ".hex"));
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(Reference().isMember(name));
    const Json::Value& device = Reference()[name];
    const HidReportDescriptor parsed = ParseOrFail(bytes);
    ASSERT_FALSE(parsed.collections.empty());

    std::vector<ReferenceReport> expected = ReferenceReports(device);
    for (ReferenceReport& report : expected) report.bytes = ExpectedBytes(name, report);
    const bool numbered =
        std::any_of(expected.begin(), expected.end(), [](const ReferenceReport& r) { return r.id != 0; });
    EXPECT_EQ(parsed.usesReportIds, numbered);
    for (const ReferenceReport& report : expected) {
        const auto kind = static_cast<HidReportKind>(report.kind);
        bool found = false;
        for (const HidTopLevelCollection& collection : parsed.collections) {
            if (Application(collection) != report.application) continue;
            for (const HidReportSize& ours : collection.Reports(kind)) {
                if (ours.id != report.id) continue;
                found = true;
                EXPECT_EQ(ours.bytes, report.bytes)
                    << kKindNames[report.kind] << " report " << int{report.id} << " of collection " << collection.index;
            }
        }
        EXPECT_TRUE(found) << kKindNames[report.kind] << " report " << int{report.id} << " of application " << std::hex
                           << report.application;
    }

    for (const HidTopLevelCollection& collection : parsed.collections) {
        for (int kind = 0; kind < kHidReportKindCount; ++kind) {
            uint32_t longest = 0;
            for (const HidReportSize& ours : collection.reports[kind]) {
                longest = std::max(longest, ours.bytes);
                const auto listed = std::find_if(expected.begin(), expected.end(), [&](const ReferenceReport& r) {
                    return r.kind == kind && r.id == ours.id;
                });
                ASSERT_NE(listed, expected.end()) << kKindNames[kind] << " report " << int{ours.id} << " of collection "
                                                  << collection.index << " is not in the reference";
                EXPECT_EQ(listed->application, Application(collection))
                    << kKindNames[kind] << " report " << int{ours.id};
                EXPECT_EQ(listed->bytes, ours.bytes) << kKindNames[kind] << " report " << int{ours.id};
            }
            EXPECT_EQ(collection.ReportByteLength(static_cast<HidReportKind>(kind)), longest);
        }
    }
}

// Offsets of the fields of one report kind and id never overlap and never
// run past the report's length.
TEST_P(HidDescriptorFixture, FieldsLieInsideTheirReports) {
    const std::vector<uint8_t> bytes = ReadHexFile(kDescriptorDir / (GetParam() + ".hex"));
    const HidReportDescriptor parsed = ParseOrFail(bytes);
    std::map<std::pair<int, uint8_t>, uint64_t> nextBit;
    for (const HidTopLevelCollection& collection : parsed.collections) {
        for (const HidField& field : collection.fields) {
            const auto key = std::make_pair(static_cast<int>(field.kind), field.reportId);
            EXPECT_EQ(field.bitOffset, nextBit[key]);
            nextBit[key] = field.bitOffset + uint64_t{field.bitSize} * field.reportCount;
            bool found = false;
            for (const HidReportSize& report : collection.Reports(field.kind)) {
                if (report.id != field.reportId) continue;
                found = true;
                EXPECT_LE(nextBit[key], (uint64_t{report.bytes} - 1) * 8);
            }
            EXPECT_TRUE(found);
        }
    }
}

std::string FixtureTestName(const ::testing::TestParamInfo<std::string>& param) {
    std::string name = param.param;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(RealDevices, HidDescriptorFixture, ::testing::ValuesIn(FixtureNames()), FixtureTestName);

TEST(HidSimDescriptors, KeyboardInterface1HasFourCollections) {
    const HidReportDescriptor parsed = ParseOrFail(sim::KeyboardInterface1Descriptor());
    ASSERT_EQ(parsed.collections.size(), 4u);
    EXPECT_TRUE(parsed.usesReportIds);

    struct Expected {
        uint16_t usagePage;
        uint16_t usage;
        uint8_t reportId;
        uint32_t inputBytes;
        uint32_t outputBytes;
    };
    const Expected expected[] = {
        {0x0001, 0x06, sim::kKeyboardReportId, 19, 2},
        {0x0001, 0x80, sim::kSystemControlReportId, 2, 0},
        {0x000C, 0x01, sim::kConsumerEventReportId, 3, 0},
        {0xFF1C, 0x92, sim::kVendorCommandReportId, 64, 64},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i + 1);
        const HidTopLevelCollection& collection = parsed.collections[i];
        EXPECT_EQ(collection.index, i + 1);
        EXPECT_EQ(collection.usagePage, expected[i].usagePage);
        EXPECT_EQ(collection.usage, expected[i].usage);
        EXPECT_TRUE(collection.HasReportId(HidReportKind::Input, expected[i].reportId));
        EXPECT_EQ(collection.ReportByteLength(HidReportKind::Input), expected[i].inputBytes);
        EXPECT_EQ(collection.ReportByteLength(HidReportKind::Output), expected[i].outputBytes);
        EXPECT_EQ(collection.ReportByteLength(HidReportKind::Feature), 0u);
        for (const HidField& field : collection.fields) EXPECT_EQ(field.reportId, expected[i].reportId);
    }
}

TEST(HidSimDescriptors, ConsumerCollectionIsOneEventCodeArray) {
    const HidReportDescriptor parsed = ParseOrFail(sim::KeyboardInterface1Descriptor());
    ASSERT_EQ(parsed.collections.size(), 4u);
    const HidTopLevelCollection& consumer = parsed.collections[2];
    ASSERT_EQ(consumer.fields.size(), 1u);
    const HidField& field = consumer.fields[0];
    EXPECT_EQ(field.kind, HidReportKind::Input);
    EXPECT_EQ(field.usagePage, 0x0C);
    EXPECT_TRUE(field.isButton);
    EXPECT_TRUE(field.isArray);
    EXPECT_TRUE(field.isRange);
    EXPECT_EQ(field.usageMin, sim::kFirstEventCode);
    EXPECT_EQ(field.usageMax, sim::kLastEventCode);
    EXPECT_EQ(field.logicalMin, sim::kFirstEventCode);
    EXPECT_EQ(field.logicalMax, sim::kLastEventCode);
    EXPECT_EQ(field.bitSize, 16u);
    EXPECT_EQ(field.reportCount, 1u);
    EXPECT_EQ(field.bitOffset, 0u);
}

TEST(HidSimDescriptors, KeyboardInterface0IsAnUnnumberedBootKeyboard) {
    const HidReportDescriptor parsed = ParseOrFail(sim::KeyboardInterface0Descriptor());
    ASSERT_EQ(parsed.collections.size(), 1u);
    EXPECT_FALSE(parsed.usesReportIds);
    const HidTopLevelCollection& keyboard = parsed.collections[0];
    EXPECT_EQ(keyboard.usagePage, 0x01);
    EXPECT_EQ(keyboard.usage, 0x06);
    ASSERT_EQ(keyboard.Reports(HidReportKind::Input).size(), 1u);
    EXPECT_EQ(keyboard.Reports(HidReportKind::Input)[0].id, 0);
    EXPECT_EQ(keyboard.ReportByteLength(HidReportKind::Input), 9u);
    EXPECT_EQ(keyboard.ReportByteLength(HidReportKind::Output), 2u);
}

// Builds a descriptor around an application collection body.
std::vector<uint8_t> InApplication(std::vector<uint8_t> body) {
    std::vector<uint8_t> bytes = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(0xC0);
    return bytes;
}

TEST(HidDescriptorParser, RejectsMalformedDescriptors) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> deepPush(33, 0xA4);
    std::vector<uint8_t> deepCollections;
    for (int i = 0; i < 65; ++i) deepCollections.insert(deepCollections.end(), {0xA1, 0x00});
    for (int i = 0; i < 65; ++i) deepCollections.push_back(0xC0);
    const std::vector<Case> cases = {
        {"empty", {}},
        {"truncated one-byte item", {0x05}},
        {"truncated four-byte item", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x27, 0xFF, 0xFF}},
        {"truncated long item", {0xFE, 0x04, 0x10, 0x00}},
        {"long item without its header", {0xFE, 0x04}},
        {"end collection without collection", {0xC0}},
        {"end collection after the last one", InApplication({0xC0})},
        {"unclosed collection", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xA1, 0x00, 0xC0}},
        {"no collection at all", {0x05, 0x01, 0x09, 0x02}},
        {"main item outside a collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"report id 0", InApplication({0x85, 0x00, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02})},
        {"report id above 255", InApplication({0x86, 0x00, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02})},
        {"report size 0 with a count", InApplication({0x75, 0x00, 0x95, 0x04, 0x81, 0x02})},
        {"pop on empty stack", InApplication({0xB4})},
        {"push beyond the depth bound", InApplication(deepPush)},
        {"collections nested too deeply", deepCollections},
        {"huge report count", InApplication({0x75, 0x08, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02})},
        {"huge report size", InApplication({0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x95, 0x02, 0x81, 0x03})},
        {"report just over 8192 bytes",
         InApplication({0x75, 0x08, 0x96, 0x00, 0x20, 0x81, 0x02})},  // 8192 payload bytes + id
        {"report growing past the bound over several items",
         InApplication({0x75, 0x08, 0x96, 0x00, 0x10, 0x81, 0x02, 0x81, 0x02})},
    };
    for (const Case& c : cases) {
        HidReportDescriptor parsed;
        parsed.usesReportIds = true;
        parsed.collections.resize(1);
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(c.bytes.data(), c.bytes.size(), parsed, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_TRUE(parsed.collections.empty()) << c.name;
        EXPECT_FALSE(parsed.usesReportIds) << c.name;
    }
}

TEST(HidDescriptorParser, AcceptsEdgesOfTheBounds) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        uint32_t inputBytes;
    };
    std::vector<uint8_t> push32(32, 0xA4);
    std::vector<uint8_t> pop32(32, 0xB4);
    push32.insert(push32.end(), pop32.begin(), pop32.end());
    const std::vector<Case> cases = {
        {"report of exactly 8192 bytes", InApplication({0x75, 0x08, 0x96, 0xFF, 0x1F, 0x81, 0x02}), 8192},
        {"wide constant padding", InApplication({0x75, 0x40, 0x95, 0x01, 0x81, 0x03}), 9},
        {"report count 0 with report size 0", InApplication({0x75, 0x00, 0x95, 0x00, 0x81, 0x02}), 1},
        {"32 pushes and pops", InApplication(push32), 0},
        {"usage without usage page", {0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}, 2},
        {"long item skipped", InApplication({0xFE, 0x02, 0x01, 0xAA, 0xBB, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02}), 3},
        {"reserved item type ignored", InApplication({0x0C, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}), 2},
    };
    for (const Case& c : cases) {
        HidReportDescriptor parsed;
        std::string error;
        ASSERT_TRUE(ParseReportDescriptor(c.bytes.data(), c.bytes.size(), parsed, &error)) << c.name << ": " << error;
        ASSERT_EQ(parsed.collections.size(), 1u) << c.name;
        EXPECT_EQ(parsed.collections[0].ReportByteLength(HidReportKind::Input), c.inputBytes) << c.name;
    }
}

// One report id's bits add up across main items, nested collections and
// kinds are counted apart; several ids make several reports.
TEST(HidDescriptorParser, AccumulatesReportBitsPerKindAndId) {
    const std::vector<uint8_t> bytes = InApplication({
        0x85, 0x01,              // Report ID (1)
        0x75, 0x03, 0x95, 0x01,  // 3 bits
        0x81, 0x02,              // Input
        0xA1, 0x00,              // Collection (Physical)
        0x75, 0x05, 0x81, 0x02,  //   5 more input bits in report 1
        0x75, 0x10, 0xB1, 0x02,  //   Feature, 16 bits in report 1
        0xC0,                    // End Collection
        0x85, 0x07,              // Report ID (7)
        0x75, 0x01, 0x95, 0x09,  // 9 bits
        0x81, 0x02,              // Input
    });
    const HidReportDescriptor parsed = ParseOrFail(bytes);
    ASSERT_EQ(parsed.collections.size(), 1u);
    const HidTopLevelCollection& top = parsed.collections[0];
    ASSERT_EQ(top.Reports(HidReportKind::Input).size(), 2u);
    EXPECT_EQ(top.Reports(HidReportKind::Input)[0].id, 1);
    EXPECT_EQ(top.Reports(HidReportKind::Input)[0].bytes, 2u);
    EXPECT_EQ(top.Reports(HidReportKind::Input)[1].id, 7);
    EXPECT_EQ(top.Reports(HidReportKind::Input)[1].bytes, 3u);
    EXPECT_EQ(top.ReportByteLength(HidReportKind::Input), 3u);
    EXPECT_EQ(top.ReportByteLength(HidReportKind::Feature), 3u);
    EXPECT_FALSE(top.HasReportId(HidReportKind::Output, 1));
    ASSERT_EQ(top.fields.size(), 4u);
    EXPECT_EQ(top.fields[1].bitOffset, 3u);
    EXPECT_EQ(top.fields[1].linkCollection, 1u);
    EXPECT_EQ(top.fields[2].bitOffset, 0u);
    EXPECT_EQ(top.fields[3].bitOffset, 0u);
    EXPECT_EQ(top.fields[3].linkCollection, 0u);
}

// Items before the first Report ID of a numbered descriptor stay in report 0.
TEST(HidDescriptorParser, KeepsItemsBeforeTheFirstReportIdInReportZero) {
    const HidReportDescriptor parsed =
        ParseOrFail(InApplication({0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0x85, 0x05, 0x95, 0x04, 0x81, 0x02}));
    ASSERT_EQ(parsed.collections.size(), 1u);
    EXPECT_TRUE(parsed.usesReportIds);
    const std::vector<HidReportSize>& inputs = parsed.collections[0].Reports(HidReportKind::Input);
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(inputs[0].id, 0);
    EXPECT_EQ(inputs[0].bytes, 3u);
    EXPECT_EQ(inputs[1].id, 5);
    EXPECT_EQ(inputs[1].bytes, 5u);
}

TEST(HidDescriptorParser, ClassifiesFieldsAndResolvesUsages) {
    const std::vector<uint8_t> bytes = InApplication({
        0x05, 0x09, 0x19, 0x01, 0x29, 0x05,                          // Buttons 1..5
        0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x05, 0x81, 0x02,  // [0] 1-bit variables: button range
        0x95, 0x03, 0x81, 0x03,                                      // [1] constant padding
        0x05, 0x01, 0x09, 0x30, 0x09, 0x31,                          // X, Y
        0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06,  // [2] signed values with a usage list
        0x0B, 0x38, 0x02, 0x0C, 0x00,                                // extended usage: consumer AC Pan
        0xA4,                                                        // Push
        0x15, 0x00, 0x25, 0xFF,                                      // logical 0..255 in one byte each
        0x95, 0x01, 0x81, 0x02,                                      // [3] value; page from the usage
        0xB4,                                                        // Pop: logical -127..127 again
        0x09, 0x38, 0x95, 0x03, 0x81, 0x02,                          // [4] one usage, three elements
        0x19, 0x04, 0x29, 0x06, 0x75, 0x04, 0x81, 0x00,              // [5] array with a range
    });
    const HidReportDescriptor parsed = ParseOrFail(bytes);
    ASSERT_EQ(parsed.collections.size(), 1u);
    const std::vector<HidField>& f = parsed.collections[0].fields;
    ASSERT_EQ(f.size(), 6u);

    EXPECT_TRUE(f[0].isButton);
    EXPECT_TRUE(f[0].isRange);
    EXPECT_EQ(f[0].usagePage, 0x09);
    EXPECT_EQ(f[0].usageMin, 1u);
    EXPECT_EQ(f[0].usageMax, 5u);

    EXPECT_TRUE(f[1].isConstant);
    EXPECT_FALSE(f[1].isButton);
    EXPECT_EQ(f[1].bitOffset, 5u);

    EXPECT_FALSE(f[2].isButton);
    EXPECT_FALSE(f[2].isRange);
    EXPECT_EQ(f[2].usagePage, 0x01);
    EXPECT_EQ(f[2].usages, (std::vector<uint32_t>{0x30, 0x31}));
    EXPECT_EQ(f[2].usageMin, 0x30u);
    EXPECT_EQ(f[2].usageMax, 0x31u);
    EXPECT_EQ(f[2].logicalMin, -127);
    EXPECT_EQ(f[2].logicalMax, 127);
    EXPECT_EQ(f[2].bitOffset, 8u);

    EXPECT_EQ(f[3].usagePage, 0x0C);
    EXPECT_EQ(f[3].usages, (std::vector<uint32_t>{0x238}));
    EXPECT_EQ(f[3].logicalMax, 255);  // unsigned: the minimum is not negative

    EXPECT_EQ(f[4].logicalMin, -127);
    EXPECT_EQ(f[4].logicalMax, 127);
    EXPECT_EQ(f[4].reportCount, 3u);

    EXPECT_TRUE(f[5].isButton);
    EXPECT_TRUE(f[5].isArray);
    EXPECT_TRUE(f[5].isRange);
    EXPECT_EQ(f[5].bitSize, 4u);
}

TEST(HidDescriptorParser, TakesTheCollectionUsageFromTheFirstUsage) {
    const std::vector<uint8_t> bytes = {
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95,
        0x01, 0x81, 0x02, 0xC0,                                                  // vendor 0xFF00/0x01
        0x0B, 0x02, 0x00, 0x0D, 0x00, 0xA1, 0x01, 0x85, 0x02, 0x81, 0x02, 0xC0,  // extended usage: digitizer pen
    };
    const HidReportDescriptor parsed = ParseOrFail(bytes);
    ASSERT_EQ(parsed.collections.size(), 2u);
    EXPECT_EQ(parsed.collections[0].usagePage, 0xFF00);
    EXPECT_EQ(parsed.collections[0].usage, 0x01);
    EXPECT_EQ(parsed.collections[1].index, 2u);
    EXPECT_EQ(parsed.collections[1].usagePage, 0x0D);
    EXPECT_EQ(parsed.collections[1].usage, 0x02);
}

TEST(HidExtractReportBits, ReadsLittleEndianBitFields) {
    const uint8_t payload[] = {0xB4, 0x5A, 0xFF, 0x01, 0x80};
    struct Case {
        uint32_t offset;
        uint32_t size;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, 8, 0xB4},        {0, 16, 0x5AB4},     {2, 3, 0x5},         {4, 8, 0xAB},        {7, 1, 1},
        {8, 32, 0x8001FF5A}, {4, 32, 0x001FF5AB}, {36, 4, 0x8},        {38, 8, 0x2},         // bits past the end read 0
        {40, 8, 0},          {0, 0, 0},           {0xFFFFFFF8, 32, 0}, {1, 40, 0x00FFAD5A},  // wider than 32 reads 32 bits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractReportBits(payload, sizeof payload, c.offset, c.size), c.expected)
            << "offset " << c.offset << " size " << c.size;
    }
    EXPECT_EQ(ExtractReportBits(nullptr, 0, 0, 8), 0u);
}

}  // namespace
}  // namespace ivra
