#include "LinuxHidBackend.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "HidrawNode.h"
#include "DeviceNodeHotPlugSource.h"
#include "UdevHotPlugSource.h"

namespace ivra {

LinuxHidBackend::LinuxHidBackend(std::string sysRoot, std::string devRoot)
    : systemTree_(sysRoot == "/sys" && devRoot == "/dev"), sysfs_(std::move(sysRoot), std::move(devRoot)) {}

std::unique_ptr<IHotPlugSource> LinuxHidBackend::OpenHotPlugSource() {
    if (!systemTree_) return nullptr;
    // Where no udev daemon runs, the device-node folder tells of the nodes
    // the kernel creates and removes.
    if (std::unique_ptr<IHotPlugSource> udev = OpenUdevHotPlugSource()) return udev;
    return OpenDeviceNodeHotPlugSource();
}

bool LinuxHidBackend::Enumerate(std::vector<HidInterfaceEntry>& out) {
    return sysfs_.Enumerate(out);
}

bool LinuxHidBackend::ResolveNode(const std::string& path, std::string& nodePath, std::string& nodeName) {
    std::string instance;
    if (!SplitInterfacePath(path, nodePath, instance)) return false;
    const size_t slash = nodePath.rfind('/');
    nodeName = slash == std::string::npos ? nodePath : nodePath.substr(slash + 1);
    // Node numbers are reused: the node must still belong to the same device.
    return sysfs_.CurrentInstance(nodeName) == instance;
}

std::unique_ptr<IHidNode> LinuxHidBackend::Open(const std::string& path, bool wantRead, bool wantWrite,
                                                HidOpenError& error) {
    error = HidOpenError::None;
    std::string nodePath, nodeName;
    if (!ResolveNode(path, nodePath, nodeName)) {
        error = HidOpenError::NotFound;
        return nullptr;
    }
    SysfsHidNodeInfo info;
    if (!sysfs_.ReadNode(nodeName, info)) {
        error = HidOpenError::NotFound;
        return nullptr;
    }
    int flags = O_CLOEXEC | O_NONBLOCK;
    flags |= wantWrite ? (wantRead ? O_RDWR : O_WRONLY) : O_RDONLY;
    const int fd = ::open(nodePath.c_str(), flags);
    if (fd < 0) {
        switch (errno) {
            case EACCES:
            case EPERM: error = HidOpenError::PermissionDenied; break;
            case ENOENT:
            case ENODEV:
            case ENXIO: error = HidOpenError::NotFound; break;
            case EBUSY: error = HidOpenError::Busy; break;
            default: error = HidOpenError::Other; break;
        }
        return nullptr;
    }
    auto node = HidrawNode::Adopt(fd, std::move(info.reportDescriptor), info.attributes);
    if (!node) error = HidOpenError::Other;
    return node;
}

bool LinuxHidBackend::IsPresent(const std::string& path) {
    std::string nodePath, nodeName;
    return ResolveNode(path, nodePath, nodeName) && ::access(nodePath.c_str(), F_OK) == 0;
}

}  // namespace ivra
