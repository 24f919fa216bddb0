#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "EvdevInputSource.h"
#include "TemporaryFolder.h"

namespace ivra {
namespace {

TEST(EvdevInputSource, TranslatesKeysAndButtonsAndLeavesTheRest) {
    struct Case {
        uint16_t type;
        uint16_t code;
        int32_t value;
        bool taken;
        InputEvent::Kind kind;
        bool down;
        MouseButton button;
    };
    const Case cases[] = {
        {EV_KEY, KEY_A, 1, true, InputEvent::Kind::kKey, true, MouseButton::kLeft},
        {EV_KEY, KEY_A, 2, true, InputEvent::Kind::kKey, true, MouseButton::kLeft},  // auto-repeat: a press
        {EV_KEY, KEY_A, 0, true, InputEvent::Kind::kKey, false, MouseButton::kLeft},
        {EV_KEY, BTN_RIGHT, 1, true, InputEvent::Kind::kMouseButton, true, MouseButton::kRight},
        {EV_KEY, BTN_SIDE, 0, true, InputEvent::Kind::kMouseButton, false, MouseButton::kBack},
        {EV_KEY, BTN_EXTRA, 1, true, InputEvent::Kind::kMouseButton, true, MouseButton::kForward},
        {EV_KEY, BTN_TRIGGER, 1, false, {}, false, {}},  // a joystick button
        {EV_REL, REL_X, 5, false, {}, false, {}},
        {EV_SYN, SYN_REPORT, 0, false, {}, false, {}},
    };
    for (const Case& c : cases) {
        InputEvent event;
        ASSERT_EQ(EvdevInputSource::Translate(c.type, c.code, c.value, event), c.taken) << c.code;
        if (!c.taken) continue;
        EXPECT_EQ(event.kind, c.kind) << c.code;
        EXPECT_EQ(event.down, c.down) << c.code;
        if (c.kind == InputEvent::Kind::kMouseButton) {
            EXPECT_EQ(event.button, c.button) << c.code;
        }
    }
    InputEvent a;
    EvdevInputSource::Translate(EV_KEY, KEY_A, 1, a);
    ASSERT_TRUE(a.scan.has_value());
    EXPECT_EQ(a.scan->scanCode, 0x1E);
}

TEST(EvdevInputSource, DeliversWhatANodeReportsAndStopsAtOnce) {
    sim::TemporaryFolder folder;
    const std::string node = (folder.Path() / "event0").string();
    ASSERT_EQ(mkfifo(node.c_str(), 0600), 0);
    EvdevInputSource source({node});
    EXPECT_EQ(source.Unavailable(), "");

    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<InputEvent> events;
    ASSERT_TRUE(source.Start([&](const InputEvent& event) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(event);
        arrived.notify_all();
    }));
    const int writer = ::open(node.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const input_event raw[] = {{{}, EV_KEY, KEY_B, 1}, {{}, EV_SYN, SYN_REPORT, 0}, {{}, EV_KEY, BTN_LEFT, 0}};
    ASSERT_EQ(::write(writer, raw, sizeof raw), static_cast<ssize_t>(sizeof raw));
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(5), [&] { return events.size() == 2; }));
        EXPECT_EQ(events[0].linuxKeyCode, KEY_B);
        EXPECT_EQ(events[1].kind, InputEvent::Kind::kMouseButton);
    }
    source.Stop();  // with the writer still open: the stop wakes the reader
    ::close(writer);
}

TEST(EvdevInputSource, SaysWhyWhenNothingCanBeRead) {
    EvdevInputSource source({"/nonexistent/event9"});
    EXPECT_EQ(source.Unavailable(), "/nonexistent/event9 may not be read");
    EXPECT_FALSE(source.Start([](const InputEvent&) {}));
}

}  // namespace
}  // namespace ivra
