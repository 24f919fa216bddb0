#include "XInputSource.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include "models/keys/LinuxKeyCodes.h"

namespace ivra {

struct XInputSource::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_window_t root = 0;
    ~Connection() {
        if (xcb != nullptr) xcb_disconnect(xcb);
    }
};

XInputSource::XInputSource(std::string display) : display_(std::move(display)) {}

XInputSource::~XInputSource() {
    Stop();
}

std::optional<InputEvent> XInputSource::TranslateKey(uint32_t xKeycode, bool down) {
    const std::optional<int> linuxKey = LinuxKeyFromXKeycode(xKeycode);
    if (!linuxKey) return std::nullopt;
    return InputEvent::Key(*linuxKey, down);
}

std::optional<InputEvent> XInputSource::TranslateButton(uint32_t button, bool down) {
    switch (button) {
        case 1: return InputEvent::Mouse(MouseButton::kLeft, down);
        case 2: return InputEvent::Mouse(MouseButton::kMiddle, down);
        case 3: return InputEvent::Mouse(MouseButton::kRight, down);
        case 8: return InputEvent::Mouse(MouseButton::kBack, down);
        case 9: return InputEvent::Mouse(MouseButton::kForward, down);
        default: return std::nullopt;  // 4-7 are wheel steps
    }
}

std::string XInputSource::SessionRefusal() const {
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    if ((sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0) ||
        std::getenv("WAYLAND_DISPLAY") != nullptr) {
        return "this is a Wayland session: Wayland gives no program the keys of other windows";
    }
    if (display_.empty() && std::getenv("DISPLAY") == nullptr) return "there is no X display ($DISPLAY is not set)";
    return {};
}

std::string XInputSource::Unavailable() const {
    std::string why = SessionRefusal();
    if (!why.empty()) return why;
    OpenDisplay(display_, why);
    return why;
}

std::unique_ptr<XInputSource::Connection> XInputSource::OpenDisplay(const std::string& display, std::string& why) {
    auto connection = std::make_unique<Connection>();
    connection->xcb = xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
    if (connection->xcb == nullptr || xcb_connection_has_error(connection->xcb) != 0) {
        why = "the X display could not be opened";
        return nullptr;
    }
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection->xcb, &xcb_input_id);
    if (extension == nullptr || extension->present == 0) {
        why = "the X server has no X Input extension";
        return nullptr;
    }
    xcb_input_xi_query_version_reply_t* version =
        xcb_input_xi_query_version_reply(connection->xcb, xcb_input_xi_query_version(connection->xcb, 2, 0), nullptr);
    const bool recent = version != nullptr && version->major_version >= 2;
    std::free(version);
    if (!recent) {
        why = "the X server's X Input extension is older than 2.0";
        return nullptr;
    }
    connection->root = xcb_setup_roots_iterator(xcb_get_setup(connection->xcb)).data->root;
    why.clear();
    return connection;
}

bool XInputSource::Start(Sink sink) {
    {
        std::lock_guard<std::mutex> lock(sinkMutex_);
        sink_ = std::move(sink);
    }
    if (running_) return true;
    std::string why = SessionRefusal();
    if (!why.empty()) return false;
    std::unique_ptr<Connection> connection = OpenDisplay(display_, why);
    if (!connection) return false;

    // Raw events of every device, on the root window.
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{};
    selection.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    selection.head.mask_len = 1;
    selection.mask = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
                     XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
    xcb_generic_error_t* error = xcb_request_check(
        connection->xcb, xcb_input_xi_select_events_checked(connection->xcb, connection->root, 1, &selection.head));
    if (error != nullptr) {
        std::free(error);
        return false;
    }
    stopEvent_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopEvent_ < 0) return false;
    connection_ = connection.release();
    running_ = true;
    reader_ = std::thread([this] { Run(); });
    return true;
}

void XInputSource::Stop() {
    if (!running_) return;
    const uint64_t one = 1;
    if (::write(stopEvent_, &one, sizeof one) < 0) {
        // Only an overflowing counter fails, and the reader is woken anyway.
    }
    if (reader_.joinable()) reader_.join();
    ::close(stopEvent_);
    stopEvent_ = -1;
    delete connection_;
    connection_ = nullptr;
    running_ = false;
    std::lock_guard<std::mutex> lock(sinkMutex_);
    sink_ = nullptr;
}

void XInputSource::Run() {
    xcb_connection_t* xcb = connection_->xcb;
    pollfd polled[2] = {{stopEvent_, POLLIN, 0}, {xcb_get_file_descriptor(xcb), POLLIN, 0}};
    for (;;) {
        // Events already read from the socket first: poll would not see them.
        while (xcb_generic_event_t* event = xcb_poll_for_event(xcb)) {
            std::optional<InputEvent> input;
            if ((event->response_type & 0x7F) == XCB_GE_GENERIC) {
                const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
                const auto* raw = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event);
                switch (generic->event_type) {
                    case XCB_INPUT_RAW_KEY_PRESS: input = TranslateKey(raw->detail, true); break;
                    case XCB_INPUT_RAW_KEY_RELEASE: input = TranslateKey(raw->detail, false); break;
                    case XCB_INPUT_RAW_BUTTON_PRESS: input = TranslateButton(raw->detail, true); break;
                    case XCB_INPUT_RAW_BUTTON_RELEASE: input = TranslateButton(raw->detail, false); break;
                    default: break;
                }
            }
            std::free(event);
            if (input && input->kind == InputEvent::Kind::kMouseButton) {
                // Raw events carry no position: ask where the pointer is.
                xcb_query_pointer_reply_t* pointer =
                    xcb_query_pointer_reply(xcb, xcb_query_pointer(xcb, connection_->root), nullptr);
                if (pointer != nullptr) {
                    input->x = pointer->root_x;
                    input->y = pointer->root_y;
                    std::free(pointer);
                }
            }
            if (input) {
                std::lock_guard<std::mutex> lock(sinkMutex_);
                if (sink_) sink_(*input);
            }
        }
        if (xcb_connection_has_error(xcb) != 0) return;  // the X server went away
        if (::poll(polled, 2, -1) < 0 && errno != EINTR) return;
        if (polled[0].revents != 0) return;
    }
}

}  // namespace ivra
