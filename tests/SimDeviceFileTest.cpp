// Loading simulated devices from JSON files and from the --simulate text.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "SimDeviceFile.h"
#include "SimKeyboard.h"
#include "SimKeyboardLayout.h"
#include "SimulateOption.h"

namespace ivra::sim {
namespace {

std::string WriteTempFile(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path) << text;
    return path.string();
}

TEST(SimDeviceFileTest, LoadsEveryKey) {
    const std::string path = WriteTempFile("sim_keyboard_good.json", R"({
        "infoBlock": "01 02 0a0B",
        "data": [{"offset": 4094, "hex": "aabb"}, {"hex": "cc"}],
        "keyTable": "0405",
        "power": "010203040506",
        "versionNumber": 256,
        "permissionDenied": true,
        "receiverLinked": false,
        "faults": [
            {"command": 7, "occurrence": 2, "kind": "staleEcho"},
            {"command": 1, "kind": "noAnswer"},
            {"command": 5, "kind": "status", "status": 254},
            {"command": 3, "kind": "receiverAnswer"},
            {"command": 6, "kind": "unplugDuringRead"}
        ]
    })");
    SimKeyboard keyboard;
    std::string error;
    ASSERT_TRUE(LoadSimDeviceFile(path, keyboard, keyboard.Firmware(), error)) << error;

    const SimFirmwareMemory m = keyboard.Firmware().Memory();
    EXPECT_EQ((std::vector<uint8_t>(m.infoBlock.begin(), m.infoBlock.begin() + 5)),
              (std::vector<uint8_t>{1, 2, 0x0A, 0x0B, 0}));
    EXPECT_EQ(m.data[0], 0xCC);
    EXPECT_EQ(m.data[4094], 0xAA);
    EXPECT_EQ(m.data[4095], 0xBB);
    EXPECT_EQ(m.keyTable[1], 0x05);
    EXPECT_EQ(m.power, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(m.receiverLinked);
    EXPECT_EQ(keyboard.Attributes().versionNumber, 256);
    EXPECT_TRUE(keyboard.PermissionDenied());

    const std::vector<SimFault> faults = keyboard.Faults().Faults();
    ASSERT_EQ(faults.size(), 5u);
    EXPECT_EQ(faults[0].command, 7);
    EXPECT_EQ(faults[0].occurrence, 2u);
    EXPECT_EQ(faults[0].kind, SimFaultKind::StaleEcho);
    EXPECT_EQ(faults[1].occurrence, 0u);  // every frame
    EXPECT_EQ(faults[2].kind, SimFaultKind::Status);
    EXPECT_EQ(faults[2].status, 0xFE);
    EXPECT_EQ(faults[3].kind, SimFaultKind::ReceiverAnswer);
    EXPECT_EQ(faults[4].kind, SimFaultKind::UnplugDuringRead);
}

struct BadDocument {
    std::string json;
    std::string message;  // expected part of the error
};

std::string HexOfLength(size_t bytes) {
    return std::string(2 * bytes, '0');
}

class SimBadDocumentTest : public ::testing::TestWithParam<BadDocument> {};

TEST_P(SimBadDocumentTest, IsRejectedWithoutChangingTheDevice) {
    SimKeyboard keyboard;
    std::string error;
    EXPECT_FALSE(LoadSimDeviceText(GetParam().json, keyboard, keyboard.Firmware(), error));
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
    // Nothing of a rejected document is applied, not even its good keys.
    const SimFirmwareMemory factory = SimKeyboardFactoryMemory();
    const SimFirmwareMemory after = keyboard.Firmware().Memory();
    EXPECT_EQ(after.keyTable, factory.keyTable);
    EXPECT_EQ(after.infoBlock, factory.infoBlock);
    EXPECT_EQ(after.data, factory.data);
    EXPECT_EQ(after.ledMap, factory.ledMap);
    EXPECT_EQ(after.LightGroups(), factory.LightGroups());
    EXPECT_TRUE(keyboard.Faults().Faults().empty());
    EXPECT_TRUE(keyboard.Script().empty());
    EXPECT_FALSE(keyboard.PermissionDenied());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, SimBadDocumentTest,
    ::testing::Values(
        BadDocument{"{", "not valid JSON"}, BadDocument{R"({"keyTable":"01","keyTable":"02"})", "not valid JSON"},
        BadDocument{"[1]", "(top level)\": must be an object"},
        BadDocument{R"({"keyTable":"11","bogus":1})", "\"bogus\": unknown key"},
        BadDocument{R"({"keyTable":"11","infoBlock":5})", "\"infoBlock\": must be a hex string"},
        BadDocument{R"({"keyTable":"0g"})", "\"keyTable\": bad hex digit 'g' at position 1"},
        BadDocument{R"({"keyTable":"123"})", "\"keyTable\": odd number of hex digits"},
        BadDocument{R"({"infoBlock":"00000000000000000000000000000000000000000000000000000000000000000000aa"})",
                    "\"infoBlock\": 35 bytes, at most 34 fit"},
        BadDocument{R"({"keyTable":"11","power":"0102"})", "\"power\": must be exactly 6 bytes"},
        BadDocument{R"({"data":{"offset":4095,"hex":"0102"}})", "\"data\": offset 4095 + 2 bytes"},
        BadDocument{R"({"data":{"offset":-1,"hex":"01"}})", "\"data.offset\": must be between 0 and 4095"},
        BadDocument{R"({"data":[{"hex":"01"},{"offset":1}]})", "\"data[1].hex\": missing"},
        BadDocument{R"({"data":{"hex":"01","size":1}})", "\"data.size\": unknown key"},
        BadDocument{R"({"data":"01"})", "\"data\": must be an object"},
        BadDocument{R"({"versionNumber":65536})", "\"versionNumber\": must be between 0 and 65535"},
        BadDocument{R"({"versionNumber":1.5})", "\"versionNumber\": must be an integer"},
        BadDocument{R"({"versionNumber":"256"})", "\"versionNumber\": must be an integer"},
        BadDocument{R"({"versionNumber":18446744073709551615})", "\"versionNumber\": must be between"},
        BadDocument{R"({"permissionDenied":1})", "\"permissionDenied\": must be true or false"},
        BadDocument{R"({"faults":{}})", "\"faults\": must be an array"},
        BadDocument{R"({"faults":[7]})", "\"faults[0]\": must be an object"},
        BadDocument{R"({"faults":[{"kind":"noAnswer"}]})", "\"faults[0].command\": missing"},
        BadDocument{R"({"faults":[{"command":256,"kind":"noAnswer"}]})",
                    "\"faults[0].command\": must be between 0 and 255"},
        BadDocument{R"({"faults":[{"command":1,"kind":"noAnswer"},{"command":1,"kind":"late"}]})",
                    "\"faults[1].kind\": must be one of"},
        BadDocument{R"({"faults":[{"command":1}]})", "\"faults[0].kind\": missing"},
        BadDocument{R"({"faults":[{"command":1,"kind":"noAnswer","status":255}]})",
                    "\"faults[0].status\": only allowed with kind \"status\""},
        BadDocument{R"({"faults":[{"command":1,"kind":"status","status":0}]})",
                    "\"faults[0].status\": must be between 1 and 255"},
        BadDocument{R"({"faults":[{"command":1,"kind":"noAnswer","occurrence":-2}]})",
                    "\"faults[0].occurrence\": must be between"},
        // The keyboard's shape.
        BadDocument{R"({"keyCount":256})", "\"keyCount\": must be between 0 and 255"},
        BadDocument{R"({"keyCount":"108"})", "\"keyCount\": must be an integer"},
        BadDocument{R"({"keyTable":")" + HexOfLength(513) + "\"}", "\"keyTable\": 513 bytes, at most 512 fit"},
        BadDocument{R"({"keyCount":171,"keyTable":")" + HexOfLength(514) + "\"}",
                    "\"keyTable\": 514 bytes, at most 513 fit"},
        BadDocument{R"({"ledMap":"0001"})", "\"ledMap\": 2 bytes for 108 keys"},
        BadDocument{R"({"keyCount":2,"ledMap":"000102"})", "\"ledMap\": 3 bytes for 2 keys"},
        BadDocument{R"({"macroMemory":256})", "\"macroMemory\": must be between 0 and 255"},
        BadDocument{R"({"lightGroups":129})", "\"lightGroups\": must be between 0 and 128"},
        BadDocument{R"({"settings":[]})", "\"settings\": must be an object"},
        BadDocument{R"({"settings":{"active":1}})", "\"settings.active\": unknown key"},
        BadDocument{R"({"settings":{"activeSlot":16}})", "\"settings.activeSlot\": must be between 0 and 15"},
        BadDocument{R"({"settings":{"slots":"00"}})", "\"settings.slots\": must be an array"},
        BadDocument{R"({"settings":{"slots":["00","0g"]}})", "\"settings.slots[1]\": bad hex digit 'g'"},
        BadDocument{R"({"settings":{"slots":[")" + HexOfLength(27) + "\"]}}",
                    "\"settings.slots[0]\": 27 bytes, at most 26 fit"},
        BadDocument{R"({"settings":{"slots":["","","","","","","","","","","","","","","","",""]}})",
                    "\"settings.slots\": 17 records, at most 16 slots"},
        // Steps of the user on the keyboard.
        BadDocument{R"({"script":[{"atMs":1,"do":"keyPress"}]})",
                    "\"script[0].key\": must be an integer between 0 and 255"},
        BadDocument{R"({"script":[{"atMs":1,"do":"keyRelease","key":256}]})",
                    "\"script[0].key\": must be an integer between 0 and 255"},
        BadDocument{R"({"script":[{"atMs":1,"do":"unplug","key":3}]})",
                    "\"script[0].key\": only keyPress and keyRelease take a key"},
        BadDocument{R"({"script":[{"atMs":1,"do":"keyPress","key":1,"code":2}]})",
                    "\"script[0].code\": only an event takes a code"},
        BadDocument{R"({"script":[{"atMs":1,"do":"deviceSettings"}]})", "\"script[0].hex\": must be a hex string"},
        BadDocument{R"({"script":[{"atMs":1,"do":"deviceSettings","hex":"0x"}]})",
                    "\"script[0].hex\": bad hex digit 'x'"},
        BadDocument{R"({"script":[{"atMs":1,"do":"slot","slot":16}]})",
                    "\"script[0].slot\": must be an integer between 0 and 15"},
        BadDocument{R"({"script":[{"atMs":1,"do":"event","code":5,"slot":1}]})",
                    "\"script[0].slot\": only a slot step takes a slot"}));

TEST(SimDeviceFileTest, ShapesTheKeyboardAndFillsItsSettingsSlots) {
    SimKeyboard keyboard;
    std::string error;
    ASSERT_TRUE(LoadSimDeviceText(R"({
        "infoBlock": "00 00 00 00 00 09 09",
        "keyCount": 4, "ledMap": "03 02 01 00", "macroMemory": 2, "lightGroups": 3,
        "keyTable": "20 00 04",
        "data": {"hex": "ff"},
        "settings": {"activeSlot": 1, "slots": ["aa 01 02", "bb 11 12 13"]},
        "script": [{"atMs": 9, "do": "slot", "slot": 2},
                   {"atMs": 5, "do": "keyRelease", "key": 3},
                   {"atMs": 6, "do": "deviceSettings", "hex": "00 05"}]
    })",
                                  keyboard, keyboard.Firmware(), error))
        << error;

    const SimFirmwareMemory m = keyboard.Firmware().Memory();
    // keyCount and macroMemory win over the information block's bytes.
    EXPECT_EQ(m.infoBlock[5], 4);
    EXPECT_EQ(m.infoBlock[6], 2);
    EXPECT_EQ(m.MacroMemorySize(), 256u);
    EXPECT_EQ(m.LightGroups(), 3u);
    // The four keys' layout, with the first entry replaced by keyTable.
    std::vector<uint8_t> table = {0x20, 0x00, 0x04};
    for (const auto& entry : SimKeyboardKeyEntries(4)) table.insert(table.end(), entry.begin(), entry.end());
    table.erase(table.begin() + 3, table.begin() + 6);
    EXPECT_TRUE(std::equal(table.begin(), table.end(), m.keyTable.begin()));
    EXPECT_EQ(m.keyTable[12], 0);
    EXPECT_EQ((std::vector<uint8_t>(m.ledMap.begin(), m.ledMap.begin() + 5)), (std::vector<uint8_t>{3, 2, 1, 0, 0}));
    // Records go in without their byte 0; activeSlot and settings come after data.
    EXPECT_EQ(m.ActiveSlot(), 1);
    EXPECT_EQ(m.data[1], 0x01);
    EXPECT_EQ(m.data[2], 0x02);
    EXPECT_EQ(m.data[25], 0x00);
    EXPECT_EQ((std::vector<uint8_t>(m.data.begin() + 26, m.data.begin() + 29)),
              (std::vector<uint8_t>{0x11, 0x12, 0x13}));

    const std::vector<SimScriptStep> script = keyboard.Script();
    ASSERT_EQ(script.size(), 3u);
    EXPECT_EQ(script[0].action, SimScriptAction::KeyRelease);
    EXPECT_EQ(script[0].key, 3);
    EXPECT_EQ(script[1].action, SimScriptAction::DeviceSettings);
    EXPECT_EQ(script[1].settings, (std::vector<uint8_t>{0x00, 0x05}));
    EXPECT_EQ(script[2].action, SimScriptAction::Slot);
    EXPECT_EQ(script[2].slot, 2);
}

TEST(SimDeviceFileTest, MissingFileIsNamed) {
    SimKeyboard keyboard;
    std::string error;
    EXPECT_FALSE(LoadSimDeviceFile("/nonexistent/kb.json", keyboard, keyboard.Firmware(), error));
    EXPECT_EQ(error, "/nonexistent/kb.json: cannot be opened");
}

TEST(SimDeviceFileTest, OnlyARegularFileOfSensibleSizeIsRead) {
    // A FIFO without a writer would block the start, a huge file would be
    // read whole: both are refused at once.
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "sim_device_files";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string fifo = (folder / "fifo.json").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = (folder / "huge.json").string();
    std::ofstream(huge) << "{}";
    std::filesystem::resize_file(huge, 100u * 1024 * 1024);  // sparse: nothing is written
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {fifo, "not a regular file"},
        {folder.string(), "not a regular file"},
        {huge, "larger than the size limit"},
    };
    for (const auto& c : cases) {
        SimKeyboard keyboard;
        std::string error;
        EXPECT_FALSE(LoadSimDeviceFile(c.path, keyboard, keyboard.Firmware(), error)) << c.path;
        EXPECT_EQ(error, c.path + ": cannot be read: " + c.reason);
    }
    std::filesystem::remove_all(folder);
}

TEST(SimulateOptionTest, BuildsListedDevices) {
    const std::string file = WriteTempFile("sim_keyboard_option.json", R"({"versionNumber": 513})");
    std::vector<std::shared_ptr<SimDevice>> devices;
    std::string error;
    ASSERT_TRUE(BuildSimulatedDevices("keyboard,keyboard:" + file, devices, error)) << error;
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_STREQ(devices[0]->Kind(), "keyboard");
    EXPECT_EQ(devices[0]->Attributes().versionNumber, kKeyboardVersionNumber);
    EXPECT_EQ(devices[1]->Attributes().versionNumber, 513);
}

TEST(SimulateOptionTest, RejectsBadEntries) {
    const std::string badFile = WriteTempFile("sim_keyboard_bad.json", R"({"power":"01"})");
    const struct {
        std::string option;
        std::string message;
    } cases[] = {
        {"", "empty entry"},
        {"keyboard,", "empty entry"},
        {"hub", "unknown device kind \"hub\" (known: keyboard, keyboard_7210, mouse, MousePad or HD)"},
        {"mouse", "no simulated device for kind \"mouse\" yet"},
        {"keyboard,headset:x.json", "no simulated device for kind \"headset\" yet"},
        {":x.json", "empty device kind"},
        {"keyboard:", "missing file name"},
        {"keyboard:/nonexistent/kb.json", "/nonexistent/kb.json: cannot be opened"},
        {"keyboard:" + badFile, badFile + ": key \"power\": must be exactly 6 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        std::vector<std::shared_ptr<SimDevice>> devices;
        std::string error;
        EXPECT_FALSE(BuildSimulatedDevices(c.option, devices, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_TRUE(devices.empty());
    }
}

// The kind names are the kind registry's names and aliases in any case; a
// kind the registry knows without a simulated device says so by the name
// given.
TEST(SimulateOptionTest, KindNamesAreTheRegistrysInAnyCase) {
    const struct {
        std::string option;
        bool builds;
        std::string message;  // when it does not build
    } cases[] = {
        {"keyboard", true, ""},
        {"KEYBOARD", true, ""},
        {"KeyBoard,keyboard", true, ""},
        {"keyboard_7210", false, "no simulated device for kind \"keyboard_7210\" yet"},
        {"Mouse", false, "no simulated device for kind \"Mouse\" yet"},
        {"pad", false, "no simulated device for kind \"pad\" yet"},
        {"MOUSEPAD", false, "no simulated device for kind \"MOUSEPAD\" yet"},
        {"hd", false, "no simulated device for kind \"hd\" yet"},
        {"keyboards", false, "unknown device kind \"keyboards\" (known: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        std::vector<std::shared_ptr<SimDevice>> devices;
        std::string error;
        EXPECT_EQ(BuildSimulatedDevices(c.option, devices, error), c.builds) << error;
        if (c.builds) {
            ASSERT_FALSE(devices.empty());
            for (const auto& device : devices) EXPECT_STREQ(device->Kind(), "keyboard");
        } else {
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        }
    }
}

}  // namespace
}  // namespace ivra::sim
