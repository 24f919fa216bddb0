// A macro's own file: data folder + macro id + ".mac".
//
//   { "MacroName": "macro_1", "Guid": "2021_08_21_09_05_07_042",
//     "Events": [ { "Type": 10, "Button": 4, "Action": "down", "Delay": "300" }, ... ],
//     "Version": 64 }
//
// Reading never throws: a file that is missing, too large, not JSON or of
// the wrong shape reads as a macro without events.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "models/keys/MacroEvent.h"
#include "base/AtomicFile.h"
#include "base/JsonHelpers.h"

namespace ivra {

constexpr const char* kMacroFileExtension = ".mac";
constexpr int kMacroFileVersion = 64;

// No macro file of 4000 events comes near this size.
constexpr std::size_t kMaxMacroFileBytes = 4u * 1024u * 1024u;

struct MacroFileContent {
    std::string name;                 // "MacroName" when it is text
    std::string id;                   // "Guid" when it is text
    std::vector<MacroEvent> events;   // every object element of "Events", in order
    std::size_t skippedElements = 0;  // "Events" elements that were not objects
};

struct MacroFileRead {
    JsonFileState state = JsonFileState::kMissing;
    MacroFileContent content;  // empty unless kParsed
    std::string error;
};

MacroFileContent MacroFileFromJson(const Json::Value& root);
MacroFileRead ReadMacroFile(const std::filesystem::path& path);

Json::Value MacroFileToJson(const std::string& name, const std::string& id, const std::vector<MacroEvent>& events);
FileWriteResult WriteMacroFile(const std::filesystem::path& path, const std::string& name, const std::string& id,
                               const std::vector<MacroEvent>& events);

// Reads a file offered for import and checks it before anything changes: a
// regular file of at most kMaxMacroFileBytes whose root is an object with an
// "Events" array of at most kMaxMacroEvents elements, all objects. The
// file's bytes in `bytes`; false with the reason in `error` otherwise.
// The shape checks of a macro file's root: an object with an "Events" array
// of at most kMaxMacroEvents elements, all objects. False, with the reason.
bool CheckMacroFileShape(const Json::Value& root, std::string& error);

bool ReadImportableMacroFile(const std::filesystem::path& path, std::string& bytes, std::string& error);

}  // namespace ivra
