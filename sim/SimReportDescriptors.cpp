// The simulated keyboard's report descriptors, one item per line.
#include "SimReportDescriptors.h"

namespace ivra::sim {

const std::vector<uint8_t>& KeyboardInterface0Descriptor() {
    // Boot keyboard, unnumbered reports: 8-byte input (modifiers, reserved
    // byte, six key slots) and a 1-byte LED output.
    static const std::vector<uint8_t> descriptor = {
        0x05, 0x01,        // Usage Page (Generic Desktop)
        0x09, 0x06,        // Usage (Keyboard)
        0xA1, 0x01,        // Collection (Application)
        0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
        0x19, 0xE0,        //   Usage Minimum (Left Control)
        0x29, 0xE7,        //   Usage Maximum (Right GUI)
        0x15, 0x00,        //   Logical Minimum (0)
        0x25, 0x01,        //   Logical Maximum (1)
        0x75, 0x01,        //   Report Size (1)
        0x95, 0x08,        //   Report Count (8)
        0x81, 0x02,        //   Input (Data, Variable, Absolute): modifier bits
        0x75, 0x08,        //   Report Size (8)
        0x95, 0x01,        //   Report Count (1)
        0x81, 0x01,        //   Input (Constant): reserved byte
        0x05, 0x08,        //   Usage Page (LEDs)
        0x19, 0x01,        //   Usage Minimum (Num Lock)
        0x29, 0x05,        //   Usage Maximum (Kana)
        0x75, 0x01,        //   Report Size (1)
        0x95, 0x05,        //   Report Count (5)
        0x91, 0x02,        //   Output (Data, Variable, Absolute): LED bits
        0x75, 0x03,        //   Report Size (3)
        0x95, 0x01,        //   Report Count (1)
        0x91, 0x01,        //   Output (Constant): padding to a byte
        0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
        0x19, 0x00,        //   Usage Minimum (0)
        0x2A, 0xFF, 0x00,  //   Usage Maximum (0xFF)
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x00,  //   Logical Maximum (255)
        0x75, 0x08,        //   Report Size (8)
        0x95, 0x06,        //   Report Count (6)
        0x81, 0x00,        //   Input (Data, Array, Absolute): key slots
        0xC0,              // End Collection
    };
    return descriptor;
}

const std::vector<uint8_t>& KeyboardInterface1Descriptor() {
    static const std::vector<uint8_t> descriptor = {
        // 1. Keyboard with a key bitmap (n-key rollover), report id 1:
        //    input 1 + 18 bytes, LED output 1 + 1 byte.
        0x05, 0x01,               // Usage Page (Generic Desktop)
        0x09, 0x06,               // Usage (Keyboard)
        0xA1, 0x01,               // Collection (Application)
        0x85, kKeyboardReportId,  //   Report ID (1)
        0x05, 0x07,               //   Usage Page (Keyboard/Keypad)
        0x19, 0xE0,               //   Usage Minimum (Left Control)
        0x29, 0xE7,               //   Usage Maximum (Right GUI)
        0x15, 0x00,               //   Logical Minimum (0)
        0x25, 0x01,               //   Logical Maximum (1)
        0x75, 0x01,               //   Report Size (1)
        0x95, 0x08,               //   Report Count (8)
        0x81, 0x02,               //   Input (Data, Variable, Absolute): modifier bits
        0x19, 0x04,               //   Usage Minimum (A)
        0x29, 0x8B,               //   Usage Maximum (International 5)
        0x95, 0x88,               //   Report Count (136)
        0x81, 0x02,               //   Input (Data, Variable, Absolute): key bits
        0x05, 0x08,               //   Usage Page (LEDs)
        0x19, 0x01,               //   Usage Minimum (Num Lock)
        0x29, 0x05,               //   Usage Maximum (Kana)
        0x95, 0x05,               //   Report Count (5)
        0x91, 0x02,               //   Output (Data, Variable, Absolute): LED bits
        0x75, 0x03,               //   Report Size (3)
        0x95, 0x01,               //   Report Count (1)
        0x91, 0x01,               //   Output (Constant): padding to a byte
        0xC0,                     // End Collection

        // 2. System control, report id 2: input 1 + 1 byte.
        0x05, 0x01,                    // Usage Page (Generic Desktop)
        0x09, 0x80,                    // Usage (System Control)
        0xA1, 0x01,                    // Collection (Application)
        0x85, kSystemControlReportId,  //   Report ID (2)
        0x19, 0x81,                    //   Usage Minimum (System Power Down)
        0x29, 0x83,                    //   Usage Maximum (System Wake Up)
        0x15, 0x00,                    //   Logical Minimum (0)
        0x25, 0x01,                    //   Logical Maximum (1)
        0x75, 0x01,                    //   Report Size (1)
        0x95, 0x03,                    //   Report Count (3)
        0x81, 0x02,                    //   Input (Data, Variable, Absolute)
        0x95, 0x05,                    //   Report Count (5)
        0x81, 0x01,                    //   Input (Constant): padding to a byte
        0xC0,                          // End Collection

        // 3. Consumer event collection, report id 3: one 16-bit array
        //    element carrying an event code 0x0401..0x11FF; input 1 + 2 bytes.
        0x05, 0x0C,                    // Usage Page (Consumer)
        0x09, 0x01,                    // Usage (Consumer Control)
        0xA1, 0x01,                    // Collection (Application)
        0x85, kConsumerEventReportId,  //   Report ID (3)
        0x1A, 0x01, 0x04,              //   Usage Minimum (0x0401)
        0x2A, 0xFF, 0x11,              //   Usage Maximum (0x11FF)
        0x16, 0x01, 0x04,              //   Logical Minimum (0x0401)
        0x26, 0xFF, 0x11,              //   Logical Maximum (0x11FF)
        0x75, 0x10,                    //   Report Size (16)
        0x95, 0x01,                    //   Report Count (1)
        0x81, 0x00,                    //   Input (Data, Array, Absolute)
        0xC0,                          // End Collection

        // 4. Vendor command collection, report id 4: 63-byte input and
        //    output payloads (64 bytes with the id).
        0x06, 0x1C, 0xFF,              // Usage Page (Vendor 0xFF1C)
        0x09, 0x92,                    // Usage (0x92)
        0xA1, 0x01,                    // Collection (Application)
        0x85, kVendorCommandReportId,  //   Report ID (4)
        0x15, 0x00,                    //   Logical Minimum (0)
        0x26, 0xFF, 0x00,              //   Logical Maximum (255)
        0x75, 0x08,                    //   Report Size (8)
        0x95, 0x3F,                    //   Report Count (63)
        0x09, 0x01,                    //   Usage (0x01)
        0x81, 0x02,                    //   Input (Data, Variable, Absolute): command answers
        0x09, 0x02,                    //   Usage (0x02)
        0x91, 0x02,                    //   Output (Data, Variable, Absolute): commands
        0xC0,                          // End Collection
    };
    return descriptor;
}

}  // namespace ivra::sim
