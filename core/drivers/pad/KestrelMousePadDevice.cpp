#include "drivers/pad/KestrelMousePadDevice.h"

namespace ivra {

KestrelMousePadDevice::~KestrelMousePadDevice() {
    Shutdown();
}

}  // namespace ivra
