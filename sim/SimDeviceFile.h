// Loading a simulated device's memory, identity details and faults from a
// JSON file (format: sim/README.md). Every problem is reported as a message
// naming the file and the key; nothing throws.
#pragma once

#include <cstddef>
#include <string>

namespace Json {
class Value;
}

namespace ivra::sim {

class SimCommandFirmware;
class SimDevice;

// Applies a parsed document to the device and its firmware. On failure
// nothing is changed and `error` says which key is wrong and why.
bool ApplySimDeviceJson(const Json::Value& root, SimDevice& device, SimCommandFirmware& firmware, std::string& error);

// Parses JSON text and applies it.
bool LoadSimDeviceText(const std::string& text, SimDevice& device, SimCommandFirmware& firmware, std::string& error);

// Device files larger than this are refused (the largest sensible one, with
// every memory area and a long script, is a few hundred kilobytes).
constexpr std::size_t kMaxSimDeviceFileBytes = 1024 * 1024;

// Reads a file (a regular file of at most kMaxSimDeviceFileBytes) and
// applies it; messages start with the file name.
bool LoadSimDeviceFile(const std::string& path, SimDevice& device, SimCommandFirmware& firmware, std::string& error);

}  // namespace ivra::sim
