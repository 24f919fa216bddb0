// HID access through the kernel's hidraw nodes.
#pragma once

#include <string>

#include "hid/HidBackend.h"
#include "SysfsHidEnumerator.h"

namespace ivra {

class LinuxHidBackend final : public IHidBackend {
public:
    explicit LinuxHidBackend(std::string sysRoot = "/sys", std::string devRoot = "/dev");

    bool Enumerate(std::vector<HidInterfaceEntry>& out) override;
    std::unique_ptr<IHidNode> Open(const std::string& path, bool wantRead, bool wantWrite,
                                   HidOpenError& error) override;
    bool IsPresent(const std::string& path) override;
    // The udev monitor where udev runs, else a watch on /dev. Only for the
    // system's own sysfs: a moved tree (tests) is not what either reports on.
    std::unique_ptr<IHotPlugSource> OpenHotPlugSource() override;

private:
    // The node behind a path, when it still belongs to the path's instance.
    bool ResolveNode(const std::string& path, std::string& nodePath, std::string& nodeName);

    const bool systemTree_;
    SysfsHidEnumerator sysfs_;
};

}  // namespace ivra
