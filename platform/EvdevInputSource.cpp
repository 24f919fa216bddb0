#include "EvdevInputSource.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace ivra {

namespace {

constexpr const char* kInputFolder = "/dev/input";

bool TestBit(const std::array<unsigned long, (KEY_MAX + 1) / (8 * sizeof(unsigned long)) + 1>& bits, int bit) {
    const size_t perWord = 8 * sizeof(unsigned long);
    return (bits[static_cast<size_t>(bit) / perWord] >> (static_cast<size_t>(bit) % perWord)) & 1UL;
}

// Whether the node reports letter keys or the left mouse button.
bool ReportsKeysOrButtons(int fd) {
    std::array<unsigned long, (KEY_MAX + 1) / (8 * sizeof(unsigned long)) + 1> bits{};
    if (ioctl(fd, EVIOCGBIT(EV_KEY, sizeof(bits)), bits.data()) < 0) return false;
    return TestBit(bits, KEY_A) || TestBit(bits, BTN_LEFT);
}

}  // namespace

EvdevInputSource::EvdevInputSource(std::vector<std::string> nodes) : givenNodes_(std::move(nodes)) {}

EvdevInputSource::~EvdevInputSource() {
    Stop();
}

bool EvdevInputSource::Translate(uint16_t type, uint16_t code, int32_t value, InputEvent& out) {
    if (type != EV_KEY || value < 0 || value > 2) return false;
    const bool down = value != 0;
    switch (code) {
        case BTN_LEFT: out = InputEvent::Mouse(MouseButton::kLeft, down); return true;
        case BTN_RIGHT: out = InputEvent::Mouse(MouseButton::kRight, down); return true;
        case BTN_MIDDLE: out = InputEvent::Mouse(MouseButton::kMiddle, down); return true;
        case BTN_SIDE:
        case BTN_BACK: out = InputEvent::Mouse(MouseButton::kBack, down); return true;
        case BTN_EXTRA:
        case BTN_FORWARD: out = InputEvent::Mouse(MouseButton::kForward, down); return true;
        default: break;
    }
    if (code >= BTN_MISC) return false;  // joystick, tablet and other buttons
    out = InputEvent::Key(code, down);
    return true;
}

std::vector<std::string> EvdevInputSource::Nodes(std::string* why) const {
    std::vector<std::string> nodes;
    if (!givenNodes_.empty()) {
        for (const std::string& node : givenNodes_) {
            if (::access(node.c_str(), R_OK) == 0) nodes.push_back(node);
        }
        if (nodes.empty() && why) *why = givenNodes_.front() + " may not be read";
        return nodes;
    }
    std::error_code error;
    std::filesystem::directory_iterator it(kInputFolder, error);
    if (error) {
        if (why) *why = "there is no /dev/input here";
        return nodes;
    }
    bool anyNode = false;
    bool anyReadable = false;
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("event", 0) != 0) continue;
        anyNode = true;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        anyReadable = true;
        if (ReportsKeysOrButtons(fd)) nodes.push_back(entry.path().string());
        ::close(fd);
    }
    if (nodes.empty() && why) {
        if (!anyNode) *why = "/dev/input has no event devices";
        else if (!anyReadable) *why = "the input devices in /dev/input may not be read (join the \"input\" group)";
        else *why = "no readable input device reports keys or mouse buttons";
    }
    return nodes;
}

std::string EvdevInputSource::Unavailable() const {
    std::string why;
    if (!Nodes(&why).empty()) return {};
    return why;
}

bool EvdevInputSource::Start(Sink sink) {
    {
        std::lock_guard<std::mutex> lock(sinkMutex_);
        sink_ = std::move(sink);
    }
    if (running_) return true;
    std::vector<int> descriptors;
    for (const std::string& node : Nodes(nullptr)) {
        const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) descriptors.push_back(fd);
    }
    if (descriptors.empty()) return false;
    stopEvent_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopEvent_ < 0) {
        for (int fd : descriptors) ::close(fd);
        return false;
    }
    running_ = true;
    reader_ = std::thread([this, descriptors] { Run(descriptors); });
    return true;
}

void EvdevInputSource::Stop() {
    if (!running_) return;
    const uint64_t one = 1;
    if (::write(stopEvent_, &one, sizeof one) < 0) {
        // An eventfd write fails only on overflow; the reader is woken anyway.
    }
    if (reader_.joinable()) reader_.join();
    ::close(stopEvent_);
    stopEvent_ = -1;
    running_ = false;
    std::lock_guard<std::mutex> lock(sinkMutex_);
    sink_ = nullptr;
}

void EvdevInputSource::Run(std::vector<int> descriptors) {
    std::vector<pollfd> polled;
    polled.push_back({stopEvent_, POLLIN, 0});
    for (int fd : descriptors) polled.push_back({fd, POLLIN, 0});
    for (;;) {
        if (::poll(polled.data(), polled.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (polled[0].revents != 0) break;
        for (size_t i = 1; i < polled.size(); ++i) {
            if (polled[i].fd < 0 || polled[i].revents == 0) continue;
            input_event raw{};
            ssize_t got = 0;
            while ((got = ::read(polled[i].fd, &raw, sizeof raw)) == static_cast<ssize_t>(sizeof raw)) {
                InputEvent event;
                if (!Translate(raw.type, raw.code, raw.value, event)) continue;
                std::lock_guard<std::mutex> lock(sinkMutex_);
                if (sink_) sink_(event);
            }
            // Drained: wait for more. Anything else (the device unplugged, the
            // end of a pipe, a short read) ends reading that node.
            const bool drained = got < 0 && (errno == EAGAIN || errno == EINTR);
            if (!drained) {
                ::close(polled[i].fd);
                polled[i].fd = -1;
            }
        }
    }
    for (size_t i = 1; i < polled.size(); ++i) {
        if (polled[i].fd >= 0) ::close(polled[i].fd);
    }
}

}  // namespace ivra
