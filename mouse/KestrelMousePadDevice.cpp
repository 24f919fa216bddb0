#include "mouse/KestrelMousePadDevice.h"

namespace ivra {

CKestrelMousePadDevice::~CKestrelMousePadDevice() { Shutdown(); }

}  // namespace ivra
