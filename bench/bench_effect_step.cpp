// Cost of one keyboard effect step plus packing the frame the keyboard is
// sent (3 bytes per key, colour x brightness / 256), for every effect; the
// time column is nanoseconds per step. Every benchmark also counts the
// allocations made while it runs and fails when a step allocated anything.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "models/lighting/HeadsetEffectEngine.h"
#include "models/lighting/KeyboardEffectEngine.h"
#include "ManualClock.h"

// The replaced operator new and delete below are a matched pair; GCC's
// optimiser sees malloc and free behind them and warns about a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

std::atomic<uint64_t> gAllocations{0};

}  // namespace

// Every allocation of the process goes through here, so a step that
// allocates shows up in the count.
void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

using ivra::LightInfo;
using namespace ivra::light;

constexpr size_t kKeys = ivra::kKeyboardPositions;
using Frame = std::array<uint8_t, 3 * kKeys>;

void PackFrame(const std::vector<uint32_t>& colours, Frame& frame) {
    for (size_t i = 0; i < kKeys; ++i) {
        const uint32_t led = colours[i];
        const uint8_t brightness = LedBrightness(led);
        frame[3 * i] = Scale(led & 0xFF, brightness);
        frame[3 * i + 1] = Scale(led >> 8 & 0xFF, brightness);
        frame[3 * i + 2] = Scale(led >> 16 & 0xFF, brightness);
    }
}

LightInfo Record(uint8_t effect) {
    LightInfo record{};
    record[info::kSelectItem] = effect;
    record[info::kLight] = 4;
    record[info::kSpeed] = 4;
    record[info::kFx] = 1;
    record[info::kMultiColor] = 1;
    record[info::kRed] = 200;
    record[info::kGreen] = 100;
    record[info::kBlue] = 50;
    return record;
}

// Runs `body` for every iteration and fails the benchmark when anything
// was allocated meanwhile.
template <typename Body>
void MeasureSteps(benchmark::State& state, Body&& body) {
    const uint64_t before = gAllocations.load();
    for (auto _ : state) body();
    const uint64_t allocated = gAllocations.load() - before;
    state.counters["allocations"] = static_cast<double>(allocated);
    if (allocated != 0) state.SkipWithError("a step allocated memory");
}

void BM_KeyboardEffectStep(benchmark::State& state) {
    const auto effect = static_cast<uint8_t>(state.range(0));
    ivra::sim::ManualClock clock;
    KeyboardEffectEngine engine(clock);
    engine.Restart(Record(effect), false);
    RecordedStep flowing;
    flowing.mode = 4;
    flowing.brightness = 4;
    flowing.multiColor = 1;
    engine.SetRecordedSteps({flowing});
    std::vector<uint32_t> colours(kKeys, 0);
    Frame frame{};
    unsigned step = 0;
    MeasureSteps(state, [&] {
        if (++step % 8 == 0) engine.StartRipple(51);  // keeps the ripple effects busy
        engine.Step(colours);
        PackFrame(colours, frame);
        benchmark::DoNotOptimize(frame.data());
        clock.Advance(1);
    });
}
BENCHMARK(BM_KeyboardEffectStep)->DenseRange(1, 21)->Arg(kMusicEffect)->Arg(kScreenEffect)->Arg(40);

void BM_KeyboardMusicStep(benchmark::State& state) {
    ivra::sim::ManualClock clock;
    KeyboardEffectEngine engine(clock);
    ivra::AudioLightInfo audio{};
    audio[audio::kAudioMode] = static_cast<uint8_t>(state.range(0));
    audio[audio::kFgColorG] = 255;
    engine.SetAudioRecord(audio);
    engine.Restart(Record(kMusicEffect), false);
    AudioBandLevels levels{};
    std::vector<uint32_t> colours(kKeys, 0);
    Frame frame{};
    int32_t level = 0;
    MeasureSteps(state, [&] {
        level = (level + 137) % 2400;
        levels.fill(level);
        engine.FeedAudioSpectrum(levels);
        engine.Step(colours);
        PackFrame(colours, frame);
        benchmark::DoNotOptimize(frame.data());
    });
}
BENCHMARK(BM_KeyboardMusicStep)->DenseRange(0, 6);

// A whole pass: tick counting, a step of the rainbow on every tick change
// and per-key overlays on every key.
void BM_KeyboardPassWithOverlays(benchmark::State& state) {
    ivra::sim::ManualClock clock;
    KeyboardEffectEngine engine(clock);
    engine.Restart(Record(8), false);
    std::vector<LightInfo> list(kKeys);
    for (size_t p = 0; p < kKeys; ++p) {
        list[p][perkey::kMode] = static_cast<uint8_t>(p % 5);
        list[p][perkey::kBrightness] = 4;
        list[p][perkey::kSpeed] = static_cast<uint8_t>(p % 5);
        list[p][perkey::kMultiColor] = 1;
        list[p][perkey::kPresent] = 1;
    }
    engine.SetPerKeyList(list);
    std::vector<uint32_t> colours(kKeys, 0);
    MeasureSteps(state, [&] {
        engine.Pass(colours);
        benchmark::DoNotOptimize(colours.data());
        clock.Advance(1);
    });
}
BENCHMARK(BM_KeyboardPassWithOverlays);

void BM_HeadsetPass(benchmark::State& state) {
    ivra::sim::ManualClock clock;
    HeadsetEffectEngine engine(clock);
    engine.Restart(Record(static_cast<uint8_t>(state.range(0))));
    std::vector<uint32_t> colours(13, 0);
    MeasureSteps(state, [&] {
        engine.Step(colours);
        benchmark::DoNotOptimize(colours.data());
        clock.Advance(1);
    });
}
BENCHMARK(BM_HeadsetPass)->DenseRange(0, 8);

}  // namespace

BENCHMARK_MAIN();
