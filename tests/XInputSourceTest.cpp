#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <cstdlib>
#include <string>

#include "XInputSource.h"

namespace ivra {
namespace {

TEST(XInputSource, RawKeysAndButtonsBecomeInputEvents) {
    const auto a = XInputSource::TranslateKey(38, true);  // X keycode 38 = Linux 30 (A)
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->linuxKeyCode, KEY_A);
    EXPECT_TRUE(a->down);
    EXPECT_FALSE(XInputSource::TranslateKey(3, true).has_value()) << "X keycodes start at 8";

    struct Case {
        uint32_t button;
        bool taken;
        MouseButton as;
    };
    const Case cases[] = {{1, true, MouseButton::kLeft},
                          {2, true, MouseButton::kMiddle},
                          {3, true, MouseButton::kRight},
                          {4, false, {}},
                          {7, false, {}},
                          {8, true, MouseButton::kBack},
                          {9, true, MouseButton::kForward},
                          {10, false, {}}};
    for (const Case& c : cases) {
        const auto event = XInputSource::TranslateButton(c.button, false);
        ASSERT_EQ(event.has_value(), c.taken) << c.button;
        if (c.taken) {
            EXPECT_EQ(event->button, c.as) << c.button;
        }
    }
}

// Sets an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (old_.empty()) unsetenv(name_);
        else setenv(name_, old_.c_str(), 1);
    }

private:
    const char* name_;
    std::string old_;
};

TEST(XInputSource, RefusesWaylandAndAMissingDisplayWithTheReason) {
    {
        ScopedEnvironment wayland("WAYLAND_DISPLAY", "wayland-0");
        XInputSource source(":0");
        EXPECT_NE(source.Unavailable().find("Wayland"), std::string::npos);
        EXPECT_FALSE(source.Start([](const InputEvent&) {}));
    }
    ScopedEnvironment noWayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnvironment session("XDG_SESSION_TYPE", "x11");
    ScopedEnvironment noDisplay("DISPLAY", nullptr);
    EXPECT_EQ(XInputSource().Unavailable(), "there is no X display ($DISPLAY is not set)");
    EXPECT_EQ(XInputSource(":97").Unavailable(), "the X display could not be opened");
}

}  // namespace
}  // namespace ivra
