// The interface between the HID channels and whatever provides HID access:
// Linux hidraw (platform/) or the simulated devices (sim/).
//
// Enumeration yields one entry per top-level collection. An entry's path text
// carries the node, the identity markers discovery parses and the attach
// instance, e.g.
//   /dev/hidraw5#vid_320f&pid_506a&mi_01&col04#0003:320F:506A.000B
// Opening a path opens the node; every collection of the node reports through
// the one opened node, told apart by report id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/HotPlugSource.h"

namespace ivra {

// Every command and light report is this long (without the report id).
constexpr size_t kCommandReportSize = 64;

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

struct HidInterfaceEntry {
    std::string path;
    HidAttributes attributes;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;  // 1-based, 0 when the node has a single collection
    uint16_t usagePage = 0;
    uint16_t usage = 0;
};

enum class HidIoResult { Ok, Timeout, Aborted, Failed };

enum class HidOpenError { None, NotFound, PermissionDenied, Busy, Other };

// One opened node. Reads and writes may run on two threads at once; Abort may
// be called from any thread and wakes both for good: a node that was aborted
// is being closed and answers every later call with Aborted.
class IHidNode {
public:
    virtual ~IHidNode() = default;

    // Waits up to timeoutMs (negative: no limit) for one input report. On Ok,
    // `got` is its length; it starts with the report id when the descriptor
    // numbers its reports, and is the bare payload otherwise.
    virtual HidIoResult ReadReport(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) = 0;
    // Writes one output report (first byte: report id, 0 when unnumbered).
    virtual HidIoResult WriteReport(const uint8_t* data, size_t length, int timeoutMs) = 0;
    // Sends a short output report over the control pipe.
    virtual HidIoResult SendOutputReport(const uint8_t* data, size_t length) = 0;
    // Throws away every input report already queued on this handle.
    virtual void DiscardQueuedInput() = 0;
    virtual void Abort() = 0;

    virtual const std::vector<uint8_t>& ReportDescriptor() const = 0;
    virtual HidAttributes Attributes() const = 0;
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;

    // Every present top-level collection, in enumeration order. Returns false
    // when enumeration itself fails (not when nothing is present).
    virtual bool Enumerate(std::vector<HidInterfaceEntry>& out) = 0;
    // Opens the node a path names, after checking that the node still belongs
    // to the attach instance the path was enumerated with.
    virtual std::unique_ptr<IHidNode> Open(const std::string& path, bool wantRead, bool wantWrite,
                                           HidOpenError& error) = 0;
    // Whether the path still names a present node of the same instance (the
    // presence probe, which needs no access rights).
    virtual bool IsPresent(const std::string& path) = 0;
    // A source that reports when this backend's devices are plugged in or
    // unplugged, or null where there is none (discovery then polls). Each
    // call opens a source of its own.
    virtual std::unique_ptr<IHotPlugSource> OpenHotPlugSource() { return nullptr; }
};

const char* DescribeOpenError(HidOpenError error);

}  // namespace ivra
