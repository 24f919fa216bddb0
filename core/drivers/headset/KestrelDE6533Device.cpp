#include "drivers/headset/KestrelDE6533Device.h"

namespace ivra {

CKestrelDE6533Device::~CKestrelDE6533Device() { Shutdown(); }

}  // namespace ivra
