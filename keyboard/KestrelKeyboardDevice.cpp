#include "keyboard/KestrelKeyboardDevice.h"

namespace ivra {

CKestrelKeyboardDevice::~CKestrelKeyboardDevice() { Shutdown(); }

void CKestrelKeyboardDevice::OnKindEvent(uint16_t code, bool receiverChannel) {
    if (receiverChannel) return;
    if (code >= 0x0500 && code <= 0x05FF) {
        OnKeyboardOperation(code - 0x0500, 1);
    } else if (code >= 0x0600 && code <= 0x06FF) {
        OnKeyboardOperation(code - 0x0600, 2);
    }
}

void CKestrelKeyboardDevice::OnKeyboardOperation(int value, int type) {
    lastOperationValue = value;
    lastOperationType = type;
}

}  // namespace ivra
