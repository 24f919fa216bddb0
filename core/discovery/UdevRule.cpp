#include "discovery/UdevRule.h"

#include <cstdio>
#include <set>
#include <utility>

namespace ivra {

std::string UdevRuleText(const DeviceCatalogue& catalogue) {
    std::string text = "# Ivra Wireless Manager: gives the user of the active seat access to the\n"
                       "# hidraw nodes of the supported devices. Sorts before 73-seat-late.rules,\n"
                       "# which turns the uaccess tag into an access list.\n";
    std::set<std::pair<unsigned, unsigned>> written;
    auto add = [&](unsigned vendor, unsigned product) {
        if (vendor == 0 || !written.insert({vendor, product}).second) return;
        char line[160];
        std::snprintf(line, sizeof line,
                      "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", "
                      "TAG+=\"uaccess\"\n",
                      vendor, product);
        text += line;
    };
    for (const DeviceSlot& slot : catalogue.Slots()) add(slot.vendorId, slot.productId);
    for (const DeviceOptionRow& row : catalogue.Options()) {
        add(static_cast<unsigned>(row.vendorId), static_cast<unsigned>(row.productId));
    }
    return text;
}

}  // namespace ivra
