// light paint, light group show|save|upload and light audio: the lighting panel's custom
// colours and music light, scriptable.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <json/value.h>

#include "CommandContext.h"
#include "KeyboardCommands.h"
#include "KeyboardSession.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "models/lighting/LightSections.h"
#include "models/lighting/LightTables.h"

namespace ivra::cli {

namespace {

constexpr const char* kPaintUsage = "light paint: needs --keys POS[,POS...] and --colour RRGGBB or --off";

std::optional<light::Rgb> Colour(const std::string& text) {
    if (text.size() != 6) return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return light::Rgb{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

std::string ColourText(light::Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", colour.red, colour.green, colour.blue);
    return text;
}

// "3,17,40" as positions 0..125.
std::optional<std::vector<int>> Positions(const std::string& text) {
    std::vector<int> positions;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::optional<long> number = ParseNumber(text.substr(start, comma - start));
        if (!number || *number < 0 || *number >= static_cast<long>(kKeyboardPositions)) return std::nullopt;
        positions.push_back(static_cast<int>(*number));
        start = comma + 1;
    }
    return positions;
}

Json::Value AudioJson(const light::AudioLightSettings& audio) {
    Json::Value out(Json::objectValue);
    out["mode"] = audio.mode;
    out["background"] = ColourText(audio.background);
    out["foreground"] = ColourText(audio.foreground);
    out["multicolour"] = audio.sevenColourFlags != 0;
    return out;
}

// --mode N --background RRGGBB --foreground RRGGBB --multicolour 0|1 into
// `audio`; the reason when an option is wrong.
bool ParseAudioOptions(const std::vector<std::string>& options, light::AudioLightSettings& audio, std::string& error) {
    if (options.empty()) {
        error = "light audio set: needs at least one option";
        return false;
    }
    for (size_t i = 0; i < options.size(); i += 2) {
        const std::string& name = options[i];
        if (i + 1 >= options.size()) {
            error = "light audio set: " + name + " needs a value";
            return false;
        }
        const std::string& value = options[i + 1];
        if (name == "--mode" || name == "--multicolour") {
            const std::optional<long> number = ParseNumber(value);
            const long most = name == "--mode" ? 6 : 1;
            if (!number || *number < 0 || *number > most) {
                error = "light audio set: " + name + " takes 0.." + std::to_string(most);
                return false;
            }
            (name == "--mode" ? audio.mode : audio.sevenColourFlags) = static_cast<uint8_t>(*number);
        } else if (name == "--background" || name == "--foreground") {
            const std::optional<light::Rgb> colour = Colour(value);
            if (!colour) {
                error = "light audio set: \"" + value + "\" is not a colour RRGGBB";
                return false;
            }
            (name == "--background" ? audio.background : audio.foreground) = *colour;
        } else {
            error = "light audio set: unknown option " + name;
            return false;
        }
    }
    return true;
}

}  // namespace

int RunLightPaint(CommandContext& context, const std::vector<std::string>& args) {
    std::optional<std::vector<int>> positions;
    std::optional<light::Rgb> colour;
    bool off = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--off") {
            off = true;
        } else if ((args[i] == "--keys" || args[i] == "--colour") && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (args[i - 1] == "--keys") {
                positions = Positions(value);
                if (!positions) {
                    return UsageError(context, "light paint: \"" + value + "\" is not a list of positions 0..125",
                                      LightVerbs());
                }
            } else {
                colour = Colour(value);
                if (!colour)
                    return UsageError(context, "light paint: \"" + value + "\" is not a colour RRGGBB", LightVerbs());
            }
        } else {
            return UsageError(context, kPaintUsage, LightVerbs());
        }
    }
    if (!positions || off == colour.has_value()) return UsageError(context, kPaintUsage, LightVerbs());

    KeyboardSession session(context);
    if (!Connect(context, session)) return kExitFailed;
    KestrelKeyboardDevice& keyboard = session.Keyboard();
    CustomPaintOutcome outcome = CustomPaintOutcome::kNotCustomEffect;
    int group = 0;
    session.OnOwner([&] {
        outcome = keyboard.PaintCustomKeys(*positions, off ? std::nullopt : colour);
        group = keyboard.CurrentLight()[light::info::kCustomGroup];
    });
    const std::string inGroup = " (custom group " + std::to_string(group) + ")";
    switch (outcome) {
        case CustomPaintOutcome::kPainted: break;
        case CustomPaintOutcome::kNotCustomEffect:
            return Failed(context, "light paint: the custom effect is not chosen (light set --effect " +
                                       std::to_string(light::kCustomEffect) + " first); nothing was painted");
        case CustomPaintOutcome::kNoSuchLight:
            return Failed(context, "light paint: a position has no light on this keyboard; nothing was painted");
        case CustomPaintOutcome::kNotStored:
            return Failed(context, "light paint: the keys could not be stored in the profile" + inGroup);
        case CustomPaintOutcome::kNotSaved: return Failed(context, "the profile could not be saved");
        case CustomPaintOutcome::kNotSent:
            return Failed(context, "light paint: the keys were saved but not written to the keyboard" + inGroup);
    }
    context.Out() << "painted " << positions->size() << (positions->size() == 1 ? " key" : " keys") << " in group "
                  << group << "\n";
    return kExitDone;
}

int RunLightGroup(CommandContext& context, const std::vector<std::string>& args) {
    const bool known = args.size() == 3 && (args[1] == "show" || args[1] == "save" || args[1] == "upload");
    const std::optional<long> group = known ? ParseNumber(args[2]) : std::nullopt;
    if (!group || *group < 0 || *group >= static_cast<long>(light::kMaxCustomGroups)) {
        return UsageError(context, "light group: needs show, save or upload with a group 0..127", LightVerbs());
    }
    const std::string& verb = args[1];
    KeyboardSession session(context);
    if (!Connect(context, session)) return kExitFailed;
    KestrelKeyboardDevice& keyboard = session.Keyboard();
    const int number = static_cast<int>(*group);
    if (verb != "show") {
        bool done = false;
        session.OnOwner(
            [&] { done = verb == "save" ? keyboard.SaveCustomGroupAs(number) : keyboard.UploadCustomGroup(number); });
        if (!done) {
            return Failed(context, verb == "save" ? "the group could not be saved to the profile"
                                                  : "the group was not written to the keyboard (is it on the "
                                                    "cable?)");
        }
        context.Out() << (verb == "save" ? "saved" : "uploaded") << " group " << number << "\n";
        return kExitDone;
    }
    std::vector<uint32_t> colours;
    session.OnOwner([&] { colours = keyboard.CustomGroupColours(number); });
    Json::Value list(Json::arrayValue);
    for (size_t p = 0; p < colours.size(); ++p) {
        const std::string text = ColourText(light::LedColour(colours[p]));
        const unsigned level = light::LedBrightness(colours[p]);
        if (context.Options().json) {
            Json::Value entry(Json::objectValue);
            entry["position"] = static_cast<int>(p);
            entry["colour"] = text;
            entry["level"] = level;
            list.append(entry);
        } else {
            context.Out() << p << " " << text << " " << level << "\n";
        }
    }
    if (context.Options().json) WriteJsonLine(context.Out(), list);
    return kExitDone;
}

int RunLightAudio(CommandContext& context, const std::vector<std::string>& args) {
    const bool set = args.size() >= 2 && args[1] == "set";
    if (!set && !(args.size() == 2 && args[1] == "show")) {
        return UsageError(context, "light audio: needs show, or set with options", LightVerbs());
    }
    std::string error;
    if (set) {
        light::AudioLightSettings probe;
        if (!ParseAudioOptions({args.begin() + 2, args.end()}, probe, error))
            return UsageError(context, error, LightVerbs());
    }
    KeyboardSession session(context);
    if (!Connect(context, session)) return kExitFailed;
    KestrelKeyboardDevice& keyboard = session.Keyboard();
    light::AudioLightSettings audio;
    bool saved = true;
    session.OnOwner([&] {
        audio = keyboard.AudioLight();
        if (set) {
            ParseAudioOptions({args.begin() + 2, args.end()}, audio, error);
            saved = keyboard.ChangeAudioLight(audio);
            audio = keyboard.AudioLight();
        }
    });
    Print(context, AudioJson(audio));
    if (!saved) return Failed(context, "the profile could not be saved");
    return kExitDone;
}

}  // namespace ivra::cli
