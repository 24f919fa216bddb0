#include "drivers/mouse/KestrelMouseDevice.h"

namespace ivra {

KestrelMouseDevice::~KestrelMouseDevice() {
    Shutdown();
}

void KestrelMouseDevice::OnActiveProfileEvent(uint16_t code) {
    SetActiveProfileIndex(code & 0x0F);
    if ((code >> 8) == 0x11) activeDpiStage = (code >> 4) & 0x0F;
    RefreshPage();
}

}  // namespace ivra
