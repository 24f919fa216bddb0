// Loading simulated devices from JSON files and from the --simulate text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimDeviceFile.h"
#include "sim/SimKeyboard.h"
#include "sim/SimulateOption.h"

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
    const char* json;
    const char* message;  // expected part of the error
};

class SimBadDocumentTest : public ::testing::TestWithParam<BadDocument> {};

TEST_P(SimBadDocumentTest, IsRejectedWithoutChangingTheDevice) {
    SimKeyboard keyboard;
    std::string error;
    EXPECT_FALSE(LoadSimDeviceText(GetParam().json, keyboard, keyboard.Firmware(), error));
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
    // Nothing of a rejected document is applied, not even its good keys.
    EXPECT_EQ(keyboard.Firmware().Memory().keyTable[0], 0);
    EXPECT_TRUE(keyboard.Faults().Faults().empty());
    EXPECT_FALSE(keyboard.PermissionDenied());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, SimBadDocumentTest,
    ::testing::Values(
        BadDocument{"{", "not valid JSON"},
        BadDocument{R"({"keyTable":"01","keyTable":"02"})", "not valid JSON"},
        BadDocument{"[1]", "(top level)\": must be an object"},
        BadDocument{R"({"keyTable":"11","bogus":1})", "\"bogus\": unknown key"},
        BadDocument{R"({"keyTable":"11","infoBlock":5})", "\"infoBlock\": must be a hex string"},
        BadDocument{R"({"keyTable":"0g"})", "\"keyTable\": bad hex digit 'g' at position 1"},
        BadDocument{R"({"keyTable":"123"})", "\"keyTable\": odd number of hex digits"},
        BadDocument{R"({"infoBlock":"00000000000000000000000000000000000000000000000000000000000000000000aa"})",
                    "\"infoBlock\": 35 bytes, at most 34 fit"},
        BadDocument{R"({"keyTable":"11","power":"0102"})", "\"power\": must be exactly 6 bytes"},
        BadDocument{R"({"data":{"offset":4095,"hex":"0102"}})", "\"data\": offset 4095 + 2 bytes"},
        BadDocument{R"({"data":{"offset":-1,"hex":"01"}})",
                    "\"data.offset\": must be between 0 and 4095"},
        BadDocument{R"({"data":[{"hex":"01"},{"offset":1}]})", "\"data[1].hex\": missing"},
        BadDocument{R"({"data":{"hex":"01","size":1}})", "\"data.size\": unknown key"},
        BadDocument{R"({"data":"01"})", "\"data\": must be an object"},
        BadDocument{R"({"versionNumber":65536})", "\"versionNumber\": must be between 0 and 65535"},
        BadDocument{R"({"versionNumber":1.5})", "\"versionNumber\": must be an integer"},
        BadDocument{R"({"versionNumber":"256"})", "\"versionNumber\": must be an integer"},
        BadDocument{R"({"versionNumber":18446744073709551615})",
                    "\"versionNumber\": must be between"},
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
                    "\"faults[0].occurrence\": must be between"}));

TEST(SimDeviceFileTest, MissingFileIsNamed) {
    SimKeyboard keyboard;
    std::string error;
    EXPECT_FALSE(
        LoadSimDeviceFile("/nonexistent/kb.json", keyboard, keyboard.Firmware(), error));
    EXPECT_EQ(error, "/nonexistent/kb.json: cannot be opened");
}

TEST(SimulateOptionTest, BuildsListedDevices) {
    const std::string file =
        WriteTempFile("sim_keyboard_option.json", R"({"versionNumber": 513})");
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
        {"mouse", "unknown device kind \"mouse\" (known: keyboard)"},
        {"keyboard,headset:x.json", "unknown device kind \"headset\""},
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

}  // namespace
}  // namespace ivra::sim
