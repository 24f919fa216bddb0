#include "UdevHotPlugSource.h"

#include <libudev.h>
#include <unistd.h>

#include "DescriptorHotPlugSource.h"

namespace ivra {

namespace {

class UdevHotPlugSource final : public DescriptorHotPlugSource {
public:
    UdevHotPlugSource(udev* context, udev_monitor* monitor)
        : DescriptorHotPlugSource(udev_monitor_get_fd(monitor)), context_(context), monitor_(monitor) {}
    ~UdevHotPlugSource() override {
        udev_monitor_unref(monitor_);
        udev_unref(context_);
    }
    UdevHotPlugSource(const UdevHotPlugSource&) = delete;
    UdevHotPlugSource& operator=(const UdevHotPlugSource&) = delete;

private:
    Drained Drain() override {
        // The socket does not block: this takes every queued event. Which
        // node came or went does not matter, the next pass enumerates.
        while (udev_device* device = udev_monitor_receive_device(monitor_)) {
            udev_device_unref(device);
        }
        return Drained::kChanged;
    }

    udev* context_;
    udev_monitor* monitor_;
};

}  // namespace

std::unique_ptr<IHotPlugSource> OpenUdevHotPlugSource(const std::string& controlPath) {
    if (access(controlPath.c_str(), F_OK) != 0) return nullptr;
    udev* context = udev_new();
    if (context == nullptr) return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr) {
        udev_unref(context);
        return nullptr;
    }
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0 || udev_monitor_get_fd(monitor) < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    auto source = std::make_unique<UdevHotPlugSource>(context, monitor);
    if (!source->Valid()) return nullptr;
    return source;
}

}  // namespace ivra
