#include "base/DebugOutput.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace ivra {
namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

DebugSink& Sink() {
    static DebugSink sink;
    return sink;
}

std::atomic<bool>& ToStderr() {
    static std::atomic<bool> on{[] {
        const char* value = std::getenv("IVRA_DEBUG");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }()};
    return on;
}

}  // namespace

void DebugLine(std::string_view line) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    if (ToStderr().load()) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    }
    if (Sink()) Sink()(line);
}

void EnableDebugToStderr(bool on) {
    ToStderr().store(on);
}

void SetDebugSink(DebugSink sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    Sink() = std::move(sink);
}

}  // namespace ivra
