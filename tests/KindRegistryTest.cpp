#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "SimDevice.h"
#include "SimulateOption.h"
#include "SimulatedKinds.h"
#include "models/profile/DataLocations.h"
#include "services/KindRegistry.h"

namespace ivra {
namespace {

TEST(KindRegistryTest, NamesAndAliasesFindTheirKindWithoutRegardToCase) {
    struct Case {
        const char* name;
        const char* expectedName;  // nullptr: no such kind
    };
    const Case cases[] = {
        {"keyboard", "keyboard"},
        {"KEYBOARD", "keyboard"},
        {"keyboard_7210", "keyboard_7210"},
        {"mouse", "mouse"},
        {"MousePad", "MousePad"},
        {"mousepad", "MousePad"},
        {"pad", "MousePad"},
        {"HD", "HD"},
        {"hd", "HD"},
        {"Headset", "HD"},
        {"", nullptr},
        {"keyboard_", nullptr},
        {"hub", nullptr},
    };
    for (const Case& c : cases) {
        const KindTraits* traits = FindKindByName(c.name);
        if (!c.expectedName) {
            EXPECT_EQ(traits, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(traits, nullptr) << c.name;
        EXPECT_EQ(traits->name, c.expectedName) << c.name;
    }
}

TEST(KindRegistryTest, CodesFindTheirCableKindAndDriver) {
    struct Case {
        uint16_t code;
        const char* expectedName;
    };
    const Case cases[] = {
        {kind::kKeyboard, "keyboard"},   {kind::kKeyboardReceiver, "keyboard"}, {kind::kMouse, "mouse"},
        {kind::kMouseReceiver, "mouse"}, {kind::kMousePad, "MousePad"},         {kind::kHeadset, "HD"},
        {kind::kHub, nullptr},           {kind::kHeadsetIcon, nullptr},
    };
    for (const Case& c : cases) {
        const KindTraits* traits = FindKindByCode(c.code);
        if (!c.expectedName) {
            EXPECT_EQ(traits, nullptr) << c.code;
            continue;
        }
        ASSERT_NE(traits, nullptr) << c.code;
        EXPECT_EQ(traits->name, c.expectedName) << c.code;
    }
}

// The registry's transport parameters are discovery's for every code, cable
// and receiver, and a kind with a receiver code maps it back to itself.
TEST(KindRegistryTest, TransportParametersAreDiscoverysForEveryCode) {
    const uint16_t codes[] = {kind::kKeyboard, kind::kKeyboardReceiver, kind::kMouse, kind::kMouseReceiver,
                              kind::kMousePad, kind::kHeadset,          kind::kHub,   kind::kHeadsetIcon};
    for (uint16_t code : codes) {
        SCOPED_TRACE(code);
        const KindTransportParams registry = TransportParamsFor(code);
        const KindTransportParams discovery = TransportParamsForKind(code);
        EXPECT_EQ(registry.receiverMode, discovery.receiverMode);
        EXPECT_EQ(registry.chunkSize, discovery.chunkSize);
        EXPECT_EQ(registry.timeoutMs, discovery.timeoutMs);
    }
    for (const KindTraits& traits : AllKinds()) {
        if (traits.receiverCode == 0) continue;
        EXPECT_EQ(FindKindByCode(traits.receiverCode)->kindCode, traits.kindCode) << traits.name;
        EXPECT_TRUE(traits.receiverTransport.receiverMode) << traits.name;
        EXPECT_FALSE(traits.cableTransport.receiverMode) << traits.name;
    }
}

TEST(KindRegistryTest, NamesTextListsEveryKindInOrder) {
    EXPECT_EQ(KindNamesText(), "keyboard, keyboard_7210, mouse, MousePad or HD");
}

// Every name is a data folder name, no two kinds share a name, every kind
// builds a driver, and a kind marked complete has its default data, its page
// file and a simulated device.
TEST(KindRegistryTest, EveryKindHasWhatItClaims) {
    const std::filesystem::path source = IVRA_SOURCE_DIR;
    std::set<std::string> seen;
    for (const KindTraits& traits : AllKinds()) {
        const std::string name(traits.name);
        EXPECT_TRUE(IsKnownKindName(traits.name)) << name;
        EXPECT_TRUE(seen.insert(name).second) << name << " listed twice";
        if (!traits.alias.empty()) {
            EXPECT_TRUE(seen.insert(std::string(traits.alias)).second) << traits.alias;
        }
        ASSERT_NE(traits.makeDriver, nullptr) << name;
        if (!traits.complete) continue;
        EXPECT_TRUE(std::filesystem::is_regular_file(source / "DefaultData" / (name + ".Json"))) << name;
        EXPECT_TRUE(
            std::filesystem::is_regular_file(source / "skin" / "XML" / "DeviceXml" / std::string(traits.pageFile)))
            << name;
        const sim::SimulatedKind* simulated = sim::FindSimulatedKind(traits);
        ASSERT_NE(simulated, nullptr) << name << " has no row in the simulator's table";
        std::string error;
        EXPECT_NE(simulated->make("", error), nullptr) << name << ": " << error;
        std::vector<std::shared_ptr<sim::SimDevice>> devices;
        EXPECT_TRUE(sim::BuildSimulatedDevices(name, devices, error)) << name << ": " << error;
    }
}

}  // namespace
}  // namespace ivra
