#include "OpenFailureText.h"

#include "SysfsHidEnumerator.h"

namespace ivra::cli {

std::string OpenFailureText(const std::string& path, HidOpenError error) {
    std::string node, instance;
    if (!SplitInterfacePath(path, node, instance)) node = path;
    std::string text = "cannot open " + node + " (" + path + "): " + DescribeOpenError(error) + ".";
    if (error == HidOpenError::PermissionDenied) {
        text += "\n  hidraw nodes are readable by root only unless a udev rule grants access.\n"
                "  Install the rule shipped with the program, then unplug and re-plug the device:\n"
                "    sudo install -m 644 udev/70-ivra-wireless-manager.rules /etc/udev/rules.d/\n"
                "    sudo udevadm control --reload-rules && sudo udevadm trigger";
    }
    return text;
}

}  // namespace ivra::cli
