// How the Qt view maps what a device says onto a skin page: which key or
// light position a panel child stands for, and which tabs show a function.
#include <gtest/gtest.h>

#include <optional>

#include "device/FunctionTabs.h"
#include "device/PageChild.h"

namespace ivra::ui {
namespace {

TEST(PageMapping, ChildrenNamedForAPositionAreItsKeyOrLightButton) {
    struct Case {
        PageChild child;
        std::optional<PositionRole> role;  // nullopt: stands for no position
        size_t position;
    };
    const Case cases[] = {
        {{10, "DeviceKeyButton", "KEY_3"}, PositionRole::kKey, 3},  // names compared without case
        {{11, "DeviceKeyButton", "key_130"}, PositionRole::kKey, 130},
        {{12, "DeviceKeyButton", "light_1"}, PositionRole::kLight, 1},
        {{13, "DeviceKeyButton", "Light_0"}, PositionRole::kLight, 0},
        {{14, "Label", "key_4"}, std::nullopt, 0},  // not a key button
        {{15, "DeviceKeyButton", "key_"}, std::nullopt, 0},
        {{16, "DeviceKeyButton", "keys_2"}, std::nullopt, 0},
        {{17, "DeviceKeyButton", "key_1234567"}, std::nullopt, 0},  // more digits than a position has
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.child.name);
        const std::optional<PositionControl> control = PositionControlOf(c.child);
        ASSERT_EQ(control.has_value(), c.role.has_value());
        if (!control) continue;
        EXPECT_EQ(control->role, *c.role);
        EXPECT_EQ(control->position, c.position);
        EXPECT_EQ(control->handle, c.child.handle);
    }
}

TEST(PageMapping, EachFunctionHasItsTabsOnTheFunctionSwitches) {
    // (function, system settings on their own page) -> tab of the function
    // switch, tab of the key function switch (-1: left as it is)
    using F = DeviceFunction;
    struct Case {
        DeviceFunction function;
        bool systemOwnPage;
        int functionTab;
        int keyFunctionTab;
    };
    const Case cases[] = {
        {F::kSystem, true, 3, -1},  {F::kSystem, false, 0, 2},   {F::kMacros, true, 1, -1}, {F::kSurround, true, 1, -1},
        {F::kCursor, true, 2, -1},  {F::kKeys, true, 0, 1},      {F::kVoice, true, 0, 1},   {F::kMagic, true, 0, 2},
        {F::kLighting, true, 0, 0}, {F::kLighting, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.function) << "/" << c.systemOwnPage);
        const FunctionTabs tabs = FunctionTabsFor(c.function, c.systemOwnPage);
        EXPECT_EQ(tabs.function, c.functionTab);
        EXPECT_EQ(tabs.keyFunction, c.keyFunctionTab);
    }
}

}  // namespace
}  // namespace ivra::ui
