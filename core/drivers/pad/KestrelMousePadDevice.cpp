#include "drivers/pad/KestrelMousePadDevice.h"

namespace ivra {

CKestrelMousePadDevice::~CKestrelMousePadDevice() { Shutdown(); }

}  // namespace ivra
