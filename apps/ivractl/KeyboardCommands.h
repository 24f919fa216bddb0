// The verbs that talk to a connected keyboard (KeyboardCommands.cpp).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "CommandContext.h"
#include "KeyboardSession.h"
#include "VerbTable.h"
#include "models/keys/Assignment.h"

namespace ivra::cli {

int RunDeviceSync(CommandContext& context);
int RunDeviceReadBack(CommandContext& context);
int RunLightCommand(CommandContext& context, const std::vector<std::string>& args);
int RunSettingsCommand(CommandContext& context, const std::vector<std::string>& args);
// key show | set POSITION HEX | default POSITION; `keyVerbs` is the key noun's table.
int RunKeyboardKeyVerb(CommandContext& context, const std::vector<std::string>& args, const VerbTable& keyVerbs);
int RunMacroWrite(CommandContext& context);
int RunLightPreview(CommandContext& context, const std::vector<std::string>& args);
int RunLightStream(CommandContext& context, const std::vector<std::string>& args);
// light paint | group show|save|upload N | audio show|set (LightKeyCommands.cpp).
int RunLightPaint(CommandContext& context, const std::vector<std::string>& args);
int RunLightGroup(CommandContext& context, const std::vector<std::string>& args);
int RunLightAudio(CommandContext& context, const std::vector<std::string>& args);

// The light noun's verb table (its help).
const VerbTable& LightVerbs();
// Shared by the keyboard verbs: a failure's reason on stderr (exit 1); the
// connection, its failure said; a flat object as "key: value" lines or one
// JSON line.
int Failed(CommandContext& context, const std::string& what);
// A whole number in `base`; nothing for any other text.
std::optional<long> ParseNumber(const std::string& text, int base = 10);
bool Connect(CommandContext& context, KeyboardSession& session);
void Print(CommandContext& context, const Json::Value& object);

// "20 00 04", "20:00:04", "200004" or "0x200004".
std::optional<Assignment> ParseAssignmentHex(std::string_view text);
// The same, but only three whole bytes: six digits, or three groups ("A" is
// a key name to `key set`, not 00 00 0A).
std::optional<Assignment> ParseThreeByteHex(std::string_view text);

}  // namespace ivra::cli
