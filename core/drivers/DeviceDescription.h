// What the catalogue says about a device object when its page is built:
// the kind's folder name, the page file and its light-control switch, the
// key positions of the page, the catalogue's option row and model, and
// whether the device runs on a battery. The device model fills it once.
#pragma once

#include <cstdint>
#include <string>

namespace ivra {

constexpr int kNoOptionRow = -1;

struct DeviceDescription {
    std::string kindName;          // the kind's data folder and profile name ("keyboard")
    std::string pageXml;           // the page file; empty: the device has no page
    std::string lightControlName;  // the page's light-control switch
    int32_t pageKeyCount = 0;      // key positions on the page (0..pageKeyCount-1)
    int32_t optionRow = kNoOptionRow;
    int32_t modelIndex = 0;  // the model's entry in the light names file
    bool batteryPowered = false;
};

}  // namespace ivra
