#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "IvractlRunner.h"
#include "TemporaryFolder.h"
#include "base/JsonHelpers.h"
#include "discovery/CatalogueFile.h"

namespace ivra {
namespace {

namespace fs = std::filesystem;

// Every field of every row, so a changed or dropped value shows.
void ExpectSameRows(const DeviceCatalogue& a, const DeviceCatalogue& b) {
    auto slot = [](const DeviceSlot& s) {
        return std::tie(s.vendorId, s.productId, s.interfaceNumber, s.collectionNumber, s.kind, s.role, s.connected,
                        s.usagePage, s.usage, s.hasPartner, s.partnerIndex, s.path);
    };
    auto option = [](const DeviceOptionRow& o) {
        return std::tie(o.optionXml, o.tabGroupName, o.powerSwitchName, o.kindName, o.modelIndex, o.vendorId,
                        o.productId, o.kind, o.variant);
    };
    auto page = [](const DevicePageRow& p) {
        return std::tie(p.ledCount, p.keyCount, p.batteryPowered, p.indicatorLed, p.pageXml, p.lightControlName);
    };
    auto update = [](const UpdateItemRow& u) {
        return std::tie(u.versionFormat, u.appKeyNumber, u.currentVersion, u.brand, u.modelCode, u.productName,
                        u.displayName, u.versionLabel);
    };
    ASSERT_EQ(a.Slots().size(), b.Slots().size());
    for (size_t i = 0; i < a.Slots().size(); ++i) EXPECT_TRUE(slot(a.Slots()[i]) == slot(b.Slots()[i])) << i;
    ASSERT_EQ(a.Options().size(), b.Options().size());
    for (size_t i = 0; i < a.Options().size(); ++i) {
        EXPECT_TRUE(option(a.Options()[i]) == option(b.Options()[i])) << i;
    }
    ASSERT_EQ(a.Pages().size(), b.Pages().size());
    for (size_t i = 0; i < a.Pages().size(); ++i) EXPECT_TRUE(page(a.Pages()[i]) == page(b.Pages()[i])) << i;
    ASSERT_EQ(a.UpdateItems().size(), b.UpdateItems().size());
    for (size_t i = 0; i < a.UpdateItems().size(); ++i) {
        EXPECT_TRUE(update(a.UpdateItems()[i]) == update(b.UpdateItems()[i])) << i;
    }
}

class CatalogueFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("ivra-catalogue-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root_);
        fs::create_directories(Program() / "DefaultData");
        fs::create_directories(Config());
        shipped_ = ReadJson(fs::path(IVRA_SOURCE_DIR) / "DefaultData" / kCatalogueFileName);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path Program() const { return root_ / "program"; }
    fs::path Config() const { return root_ / "config"; }
    void Write(const fs::path& file, const std::string& text) { ASSERT_TRUE(WriteFileAtomically(file, text).ok); }

    fs::path root_;
    Json::Value shipped_;
};

// A second keyboard product, by cable only: its two collections and its
// option row with its own page.
const char* const kUserKeyboard = R"({
  "slots": [
    {"vendorId": "0x320F", "productId": "0x5070", "interface": 1, "collection": 4, "kind": "keyboard",
     "role": "command", "usagePage": "0xFF1C", "usage": "0x0092"},
    {"vendorId": "0x320F", "productId": "0x5070", "interface": 1, "collection": 3, "kind": "keyboard",
     "role": "event", "usagePage": "0x000C", "usage": "0x0001"}
  ],
  "options": [
    {"kindName": "keyboard", "kind": "keyboard", "vendorId": "0x320F", "productId": "0x5070", "variant": 0,
     "modelIndex": 0, "optionXml": "XML\\CustomControlXML\\DeviceOption.xml", "tabGroup": "tab_header_device",
     "powerSwitch": "device_power_switch",
     "page": {"ledCount": 126, "keyCount": 126, "batteryPowered": 0, "indicatorLed": -1,
              "pageXml": "XML\\DeviceXml\\keyboarddevice.xml", "lightControl": "norvo_light"}}
  ]
})";

TEST_F(CatalogueFileTest, ShippedFileHoldsTheBuiltInRowsAndUserRowsFollow) {
    const CatalogueLoad shipped = LoadDeviceCatalogue(IVRA_SOURCE_DIR, {});
    EXPECT_TRUE(shipped.errors.empty()) << shipped.errors.front();
    EXPECT_EQ(shipped.shipped, CatalogueSource::kShippedFile);
    ExpectSameRows(shipped.catalogue, DeviceCatalogue::Shipped());

    // Without a file the built-in rows serve.
    const CatalogueLoad none = LoadDeviceCatalogue(Program(), Config());
    EXPECT_TRUE(none.errors.empty());
    EXPECT_EQ(none.shipped, CatalogueSource::kBuiltIn);
    ExpectSameRows(none.catalogue, DeviceCatalogue::Shipped());

    Write(Config() / kCatalogueFileName, kUserKeyboard);
    const CatalogueLoad user = LoadDeviceCatalogue(IVRA_SOURCE_DIR, Config());
    ASSERT_TRUE(user.errors.empty()) << user.errors.front();
    const DeviceCatalogue& c = user.catalogue;
    EXPECT_EQ(user.firstUserSlot, 4u);
    EXPECT_EQ(user.firstUserOption, 5u);
    ASSERT_EQ(c.Slots().size(), 6u);
    EXPECT_EQ(c.FindSlotRowByUsage(0x320F, 0x5070, 3, 1, 0x000C, 0x0001), 5);
    const int option = c.FindOptionRow(0x320F, 0x5070, kind::kKeyboard, 0);
    EXPECT_EQ(option, 5);
    EXPECT_EQ(c.FindSlotForOption(option), 4);
    EXPECT_EQ(c.OptionRowForSlot(4), 5);
    EXPECT_EQ(c.Pages()[5].pageXml, "XML\\DeviceXml\\keyboarddevice.xml");
    EXPECT_EQ(c.UpdateItems().size(), DeviceCatalogue::Shipped().UpdateItems().size());
    // The shipped rows keep their places.
    EXPECT_EQ(c.FindOptionRow(0x320F, 0x506A, kind::kKeyboard, 0), 1);
    EXPECT_EQ(c.Slots()[0].partnerIndex, 2);
}

TEST_F(CatalogueFileTest, UnusableFileIsNamedByRowAndFieldAndTheOtherRowsServe) {
    struct Case {
        const char* name;
        bool user;
        const char* table;  // row to break, or nullptr to write `text` as is
        int row;
        const char* field;
        Json::Value value;  // null: the field is removed
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"broken JSON", false, nullptr, 0, nullptr, {}, "{\"slots\": [", "catalogue.json: "},
        {"no slots", false, nullptr, 0, nullptr, {}, "{\"options\": []}", "\"slots\": missing or not an array"},
        {"missing field", false, "slots", 1, "usagePage", {}, nullptr, "slots row 1, field \"usagePage\": missing"},
        {"wrong type", false, "options", 3, "kindName", 5, nullptr, "options row 3, field \"kindName\": not a string"},
        {"number text", false, "slots", 2, "interface", "one", nullptr,
         "slots row 2, field \"interface\": not a number"},
        {"id out of range", false, "options", 2, "productId", "0x10000", nullptr,
         "options row 2, field \"productId\": out of range"},
        {"hex without digits", false, "slots", 1, "usage", "0x", nullptr, "slots row 1, field \"usage\": not a number"},
        {"negative id", false, "slots", 0, "vendorId", -1, nullptr, "slots row 0, field \"vendorId\": out of range"},
        {"partner out of range", false, "slots", 3, "partnerRow", 4, nullptr,
         "slots row 3, field \"partnerRow\": out of range"},
        {"unknown kind", false, "slots", 0, "kind", "toaster", nullptr,
         "slots row 0, field \"kind\": unknown name \"toaster\""},
        {"page field", false, "page", 4, "ledCount", "many", nullptr,
         "options row 4, page, field \"ledCount\": not a number"},
        {"update field", false, "updateItems", 1, "brand", {}, nullptr, "updateItems row 1, field \"brand\": missing"},
        {"user row", true, "slots", 1, "role", "listener", nullptr,
         "slots row 1, field \"role\": unknown name \"listener\""},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        fs::remove(Program() / "DefaultData" / kCatalogueFileName);
        fs::remove(Config() / kCatalogueFileName);
        std::string text = t.text != nullptr ? t.text : "";
        if (t.table != nullptr) {
            Json::Value root = t.user ? ParseJson(kUserKeyboard) : shipped_;
            const bool page = std::string(t.table) == "page";
            Json::Value& row = page ? root["options"][t.row]["page"] : root[t.table][t.row];
            ASSERT_TRUE(row.isObject());
            if (t.value.isNull()) {
                row.removeMember(t.field);
            } else {
                row[t.field] = t.value;
            }
            text = StyledJson(root);
        }
        if (t.user) {
            Write(Program() / "DefaultData" / kCatalogueFileName, StyledJson(shipped_));
            Write(Config() / kCatalogueFileName, text);
        } else {
            Write(Program() / "DefaultData" / kCatalogueFileName, text);
        }
        const CatalogueLoad load = LoadDeviceCatalogue(Program(), Config());
        ASSERT_EQ(load.errors.size(), 1u);
        EXPECT_NE(load.errors[0].find(t.expected), std::string::npos) << load.errors[0];
        EXPECT_EQ(load.shipped, t.user ? CatalogueSource::kShippedFile : CatalogueSource::kBuiltIn);
        ExpectSameRows(load.catalogue, DeviceCatalogue::Shipped());
    }
}

// A keyboard with a product id only the user's catalogue names is served
// once that file is in the settings folder, and only then.
TEST_F(CatalogueFileTest, UserRowsServeASecondKeyboardProduct) {
    sim::TemporaryFolder data;
    const fs::path keyboard = root_ / "kb5070.json";
    Write(keyboard, R"({"productId": 20592})");  // 0x5070
    const std::string args =
        "--simulate 'keyboard:" + keyboard.string() + "' --data-dir '" + data.Path().string() + "' device sync";
    const std::string env = "IVRA_HOME='" IVRA_SOURCE_DIR "' XDG_CONFIG_HOME='" + root_.string() + "'";
    fs::create_directories(root_ / "Ivra Wireless Manager 1.0");
    const fs::path userFile = root_ / "Ivra Wireless Manager 1.0" / kCatalogueFileName;

    const testing::CommandRun unknown = testing::RunIvractl(args, root_, env);
    EXPECT_NE(unknown.status, 0) << unknown.out << unknown.err;

    Write(userFile, kUserKeyboard);
    const testing::CommandRun served = testing::RunIvractl(args, root_, env);
    EXPECT_EQ(served.status, 0) << served.out << served.err;
    EXPECT_NE(served.out.find("keys: 108"), std::string::npos) << served.out;
    EXPECT_EQ(served.err, "");

    Json::Value broken = ParseJson(kUserKeyboard);
    broken["options"][0].removeMember("productId");
    Write(userFile, StyledJson(broken));
    const testing::CommandRun refused = testing::RunIvractl(args, root_, env);
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("catalogue.json: options row 0, field \"productId\": missing"), std::string::npos)
        << refused.err;
}

}  // namespace
}  // namespace ivra
