// ivractl light preview and light stream: the keyboard's effect as the
// effect engine computes it, printed frame by frame or streamed to the
// keyboard with the figures of the stream.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CommandContext.h"
#include "KeyboardCommands.h"
#include "KeyboardSession.h"
#include "StopSignals.h"
#include "models/lighting/LightRecordLayout.h"
#include "services/DeviceService.h"

namespace ivra::cli {

namespace {

constexpr const char* kPreviewHelp = "Usage: ivractl [--simulate keyboard] light preview [--frames N] [--effect N]\n"
                                     "\n"
                                     "Connects to the keyboard, then runs its effect engine step by step and prints\n"
                                     "the colour buffer after each step: one line per step, 126 entries RRGGBBLL\n"
                                     "(red, green, blue, brightness) in key position order. --effect previews\n"
                                     "another effect with the profile's other light settings, without saving it.\n";

constexpr const char* kStreamHelp = "Usage: ivractl [--simulate keyboard] light stream [--effect N] [--for-ms N]\n"
                                    "\n"
                                    "Lets the program control the keyboard's lights and streams the effect's frames\n"
                                    "to it, whatever the effect, until Ctrl+C or SIGTERM (or --for-ms): a frame goes\n"
                                    "out when the effect changed it (at most every 5 ms over the cable; nothing\n"
                                    "through the receiver), and an unchanged picture is repeated only as a\n"
                                    "keep-alive every 500 ms. Prints once a second the frames sent (keep-alives\n"
                                    "among them), replaced by a newer frame before they could be sent, failed, and\n"
                                    "not sent because they equalled the last one, and the chunks the transport\n"
                                    "dropped while busy.\n";

bool TakeNumber(const std::vector<std::string>& args, size_t& i, long long low, long long high, long long& out) {
    if (i + 1 >= args.size()) return false;
    try {
        size_t used = 0;
        out = std::stoll(args[i + 1], &used);
        if (used != args[i + 1].size() || out < low || out > high) return false;
    } catch (const std::exception&) {
        return false;
    }
    ++i;
    return true;
}

void PrintFrame(CommandContext& context, size_t index, const std::vector<uint32_t>& colours) {
    std::string line;
    line.reserve(colours.size() * 9 + 16);
    char cell[12];
    for (uint32_t led : colours) {
        std::snprintf(cell, sizeof cell, "%02X%02X%02X%02X", led & 0xFF, (led >> 8) & 0xFF, (led >> 16) & 0xFF,
                      led >> 24);
        if (!line.empty()) line += ' ';
        line += cell;
    }
    if (context.Options().json) {
        Json::Value frame(Json::objectValue);
        frame["step"] = static_cast<Json::UInt64>(index);
        Json::Value leds(Json::arrayValue);
        for (uint32_t led : colours) leds.append(led);
        frame["leds"] = leds;
        WriteJsonLine(context.Out(), frame);
    } else {
        context.Out() << line << "\n";
    }
}

// Connects and, when asked, restarts the keyboard's effect engine on
// another effect (nothing is saved). Null, with the reason printed, when no
// keyboard could be synchronised.
KestrelKeyboardDevice* ConnectForEffect(CommandContext& context, KeyboardSession& session,
                                        const std::optional<long long>& effect) {
    std::string error;
    if (!session.Connect(error)) {
        context.Err() << "ivractl: " << error << "\n";
        return nullptr;
    }
    KestrelKeyboardDevice& keyboard = session.Keyboard();
    if (effect) {
        session.OnOwner([&] {
            LightInfo light = keyboard.CurrentLight();
            light[light::info::kSelectItem] = static_cast<uint8_t>(*effect);
            keyboard.Effects().Restart(light, false);
        });
    }
    return &keyboard;
}

}  // namespace

int RunLightPreview(CommandContext& context, const std::vector<std::string>& args) {
    long long frames = 10;
    std::optional<long long> effect;
    for (size_t i = 0; i < args.size(); ++i) {
        long long value = 0;
        if (args[i] == "--help") {
            context.Out() << kPreviewHelp;
            return kExitDone;
        } else if (args[i] == "--frames" && TakeNumber(args, i, 1, 100000, value)) {
            frames = value;
        } else if (args[i] == "--effect" && TakeNumber(args, i, 0, 255, value)) {
            effect = value;
        } else {
            return UsageError(context, "light preview: bad argument \"" + args[i] + "\"", kPreviewHelp);
        }
    }
    KeyboardSession session(context);
    KestrelKeyboardDevice* connected = ConnectForEffect(context, session, effect);
    if (connected == nullptr) return kExitFailed;
    KestrelKeyboardDevice& keyboard = *connected;
    // The engine is stepped here instead of by the keyboard's thread, so each
    // line is exactly one step.
    keyboard.StopEffectThread();
    std::vector<uint32_t> colours = keyboard.Lights().Colours();
    for (long long i = 0; i < frames; ++i) {
        keyboard.Effects().Step(colours);
        PrintFrame(context, static_cast<size_t>(i), colours);
    }
    return kExitDone;
}

int RunLightStream(CommandContext& context, const std::vector<std::string>& args) {
    long long forMs = -1;
    std::optional<long long> effect;
    for (size_t i = 0; i < args.size(); ++i) {
        long long value = 0;
        if (args[i] == "--help") {
            context.Out() << kStreamHelp;
            return kExitDone;
        } else if (args[i] == "--for-ms" && TakeNumber(args, i, 0, 1LL << 40, value)) {
            forMs = value;
        } else if (args[i] == "--effect" && TakeNumber(args, i, 0, 255, value)) {
            effect = value;
        } else {
            return UsageError(context, "light stream: bad argument \"" + args[i] + "\"", kStreamHelp);
        }
    }
    StopSignals stopSignals;  // before any thread starts
    KeyboardSession session(context);
    KestrelKeyboardDevice* connected = ConnectForEffect(context, session, effect);
    if (connected == nullptr) return kExitFailed;
    KestrelKeyboardDevice& keyboard = *connected;
    session.OnOwner([&] {
        keyboard.SetStreamEveryEffect(true);
        keyboard.SetLightControl(true);
    });
    if (DeviceService::ThroughReceiver(keyboard)) {
        context.Err() << "ivractl: the keyboard is connected through its receiver; frames are not streamed there\n";
    }
    const auto start = std::chrono::steady_clock::now();
    const LightStreamCounters first = keyboard.Stream().Counters();
    LightStreamCounters last = first;
    uint64_t lastDropped = DeviceService::DroppedLightChunksOf(keyboard);
    for (;;) {
        long long waitMs = 1000;
        if (forMs >= 0) {
            const long long left =
                forMs - std::chrono::ceil<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            if (left <= 0) break;
            waitMs = std::min(waitMs, left);
        }
        const auto waitStart = std::chrono::steady_clock::now();
        const bool stop = stopSignals.Wait(waitMs);
        waitMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - waitStart).count();
        const LightStreamCounters now = keyboard.Stream().Counters();
        const uint64_t dropped = DeviceService::DroppedLightChunksOf(keyboard);
        Json::Value line(Json::objectValue);
        line["sent"] = static_cast<Json::UInt64>(now.sent - last.sent);
        line["replaced"] = static_cast<Json::UInt64>(now.replaced - last.replaced);
        line["failed"] = static_cast<Json::UInt64>(now.failed - last.failed);
        line["unchanged"] = static_cast<Json::UInt64>(now.unchanged - last.unchanged);
        line["keptAlive"] = static_cast<Json::UInt64>(now.keptAlive - last.keptAlive);
        line["droppedChunks"] = static_cast<Json::UInt64>(dropped - lastDropped);
        line["ms"] = static_cast<Json::Int64>(waitMs);
        if (context.Options().json) {
            WriteJsonLine(context.Out(), line);
        } else {
            context.Out() << "frames sent " << line["sent"].asUInt64() << " (keep-alive "
                          << line["keptAlive"].asUInt64() << "), replaced " << line["replaced"].asUInt64()
                          << ", failed " << line["failed"].asUInt64() << ", unchanged " << line["unchanged"].asUInt64()
                          << ", chunks dropped " << line["droppedChunks"].asUInt64() << " in " << waitMs << " ms"
                          << std::endl;
        }
        last = now;
        lastDropped = dropped;
        if (stop) break;
    }
    session.OnOwner([&] { keyboard.SetLightControl(false); });
    keyboard.Stream().Stop();
    // A stream that reached the keyboard with no frame at all failed.
    const LightStreamCounters total = keyboard.Stream().Counters();
    if (total.sent == first.sent) {
        const uint64_t failed = total.failed - first.failed;
        context.Err() << "ivractl: no frame could be sent to the keyboard"
                      << (failed > 0 ? " (" + std::to_string(failed) + " failed)" : std::string())
                      << (DeviceService::ThroughReceiver(keyboard) ? ": it is connected through its receiver" : "")
                      << "\n";
        return kExitFailed;
    }
    return kExitDone;
}

}  // namespace ivra::cli
