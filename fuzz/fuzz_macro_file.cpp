// libFuzzer target: a macro file read as the editor and the device image
// read it, checked as an import would check it, and written back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "models/keys/MacroEvent.h"
#include "models/keys/MacroFile.h"
#include "base/JsonHelpers.h"

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("ivra-fuzz-macro-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = Folder() / "m.mac";
    // A plain write: the input file needs no crash safety, and syncing it
    // would slow every run down.
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));

    const ivra::MacroFileRead read = ivra::ReadMacroFile(path);
    std::size_t deviceBytes = 0;
    for (const ivra::MacroEvent& event : read.content.events) {
        const auto bytes = ivra::EventToDeviceEvent(event);
        // The delay on the device is the delay the editor shows.
        if (static_cast<unsigned>(bytes[0] | (bytes[1] << 8)) != event.delay) __builtin_trap();
        deviceBytes += bytes.size();
    }
    if (deviceBytes != 4 * read.content.events.size()) __builtin_trap();

    std::string bytes;
    std::string error;
    const bool importable = ivra::ReadImportableMacroFile(path, bytes, error);
    if (importable) {
        // An accepted file is whole: every element is an event, within the limit.
        if (bytes != text || read.state != ivra::JsonFileState::kParsed || read.content.skippedElements != 0 ||
            read.content.events.size() > ivra::kMaxMacroEvents) {
            __builtin_trap();
        }
    } else if (error.empty() || !bytes.empty()) {
        __builtin_trap();
    }

    // What is saved reads back as the same events.
    const Json::Value saved = ivra::MacroFileToJson(read.content.name, read.content.id, read.content.events);
    bool ok = false;
    const Json::Value reparsed = ivra::ParseJson(ivra::StyledJson(saved), &ok);
    if (!ok || ivra::MacroFileFromJson(reparsed).events != read.content.events) __builtin_trap();
    return 0;
}
