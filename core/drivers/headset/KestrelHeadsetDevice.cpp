#include "drivers/headset/KestrelHeadsetDevice.h"

namespace ivra {

KestrelHeadsetDevice::~KestrelHeadsetDevice() {
    Shutdown();
}

}  // namespace ivra
