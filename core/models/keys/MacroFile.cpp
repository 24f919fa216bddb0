#include "models/keys/MacroFile.h"

namespace ivra {

MacroFileContent MacroFileFromJson(const Json::Value& root) {
    MacroFileContent content;
    content.name = StringMember(root, "MacroName");
    content.id = StringMember(root, "Guid");
    const Json::Value& events = MemberOf(root, "Events");
    if (!events.isArray()) return content;
    content.events.reserve(events.size());
    for (const Json::Value& element : events) {
        if (element.isObject()) {
            content.events.push_back(MacroEventFromJson(element));
        } else {
            ++content.skippedElements;
        }
    }
    return content;
}

MacroFileRead ReadMacroFile(const std::filesystem::path& path) {
    MacroFileRead result;
    JsonFileRead read = ReadJsonFile(path, kMaxMacroFileBytes);
    result.state = read.state;
    result.error = std::move(read.error);
    if (read.state == JsonFileState::kParsed) result.content = MacroFileFromJson(read.value);
    return result;
}

Json::Value MacroFileToJson(const std::string& name, const std::string& id, const std::vector<MacroEvent>& events) {
    Json::Value root(Json::objectValue);
    root["MacroName"] = name;
    root["Guid"] = id;
    Json::Value& array = root["Events"] = Json::Value(Json::arrayValue);
    for (const MacroEvent& event : events) array.append(MacroEventToJson(event));
    root["Version"] = kMacroFileVersion;
    return root;
}

FileWriteResult WriteMacroFile(const std::filesystem::path& path, const std::string& name, const std::string& id,
                               const std::vector<MacroEvent>& events) {
    return WriteJson(path, MacroFileToJson(name, id, events));
}

bool ReadImportableMacroFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
    bytes = readjsonFile(path, kMaxMacroFileBytes);
    if (bytes.empty()) {
        const JsonFileRead read = ReadJsonFile(path, kMaxMacroFileBytes);
        if (read.state == JsonFileState::kMissing) {
            error = path.string() + " does not exist";
        } else {
            error = read.error.empty() ? path.string() + ": empty file" : read.error;
        }
        return false;
    }
    bool parsed = false;
    std::string parseError;
    const Json::Value root = ParseJson(bytes, &parsed, &parseError);
    const auto refuse = [&](const std::string& why) {
        error = path.string() + ": " + why;
        bytes.clear();
        return false;
    };
    if (!parsed) return refuse(parseError);
    std::string shapeError;
    if (!CheckMacroFileShape(root, shapeError)) return refuse(shapeError);
    return true;
}

bool CheckMacroFileShape(const Json::Value& root, std::string& error) {
    if (!root.isObject()) {
        error = "not a macro file (the root is not an object)";
        return false;
    }
    const Json::Value& events = MemberOf(root, "Events");
    if (!events.isArray()) {
        error = "not a macro file (it has no \"Events\" array)";
        return false;
    }
    if (events.size() > kMaxMacroEvents) {
        error = "the macro has " + std::to_string(events.size()) + " events; at most " +
                std::to_string(kMaxMacroEvents) + " are allowed";
        return false;
    }
    for (const Json::Value& element : events) {
        if (!element.isObject()) {
            error = "not a macro file (an element of \"Events\" is not an object)";
            return false;
        }
    }
    return true;
}

}  // namespace ivra
