// The keyboard's software lighting: one step of every effect over the 170
// keys (the light thread runs one up to every millisecond), the music
// renderers by audio style, the spectrum input, and a full engine pass.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>

#include "models/lighting/effect_steps.h"
#include "models/lighting/lighting_engine.h"

namespace halvorn::lighting {
namespace {

constexpr int kLastEffect = 45;

EffectContext BenchContext(int audioStyle) {
    EffectContext context;
    context.record.light = 4;
    context.record.speed = 4;
    context.record.fx = 1;
    context.record.multiColor = 1;
    context.record.red = 255;
    context.record.green = 128;
    context.record.blue = 0;
    context.audio.audioMode = static_cast<uint8_t>(audioStyle);
    context.audio.foreRed = 255;
    context.audio.foreGreen = 200;
    context.audio.sevenColorFlags = 1;
    return context;
}

// A spectrum with some of everything: loud bass, quieter treble.
std::array<int32_t, kSpectrumBands> MusicSpectrum() {
    std::array<int32_t, kSpectrumBands> bands{};
    for (int b = 0; b < kSpectrumBands; ++b) {
        bands[b] = 2000 - b * 70;
    }
    return bands;
}

void EffectStepBench(benchmark::State& bench, int effect, int audioStyle) {
    const EffectStep step = FindEffectStep(effect);
    EffectState state;
    InitialiseEffect(state, effect);
    EffectContext context = BenchContext(audioStyle);
    const auto bands = MusicSpectrum();
    SpectrumInput(state, effect, context.audio, bands);
    const std::array<int32_t, 6> colour = {30, 200, 90, 0, 0, 0};
    ColorInput(state, colour);
    std::array<LedEntry, kKeyLightCount> leds{};
    for (auto _ : bench) {
        context.nowMs += 16;  // the blinking base effects read the clock
        step(state, context, leds);
        benchmark::DoNotOptimize(leds.data());
        benchmark::ClobberMemory();
    }
}

// Every effect with a step, by number ("EffectStep/13"); the music effect
// once per audio style ("EffectStep/29/style:2").
const bool kRegistered = [] {
    for (int effect = 1; effect <= kLastEffect; ++effect) {
        if (FindEffectStep(effect) == nullptr) {
            continue;
        }
        const std::string name = "EffectStep/" + std::to_string(effect);
        if (effect == 29) {
            for (int style = 0; style < 7; ++style) {
                benchmark::RegisterBenchmark((name + "/style:" + std::to_string(style)).c_str(),
                                             EffectStepBench, effect, style);
            }
        } else {
            benchmark::RegisterBenchmark(name.c_str(), EffectStepBench, effect, 0);
        }
    }
    return true;
}();

// The ripple style counts beats on every spectrum the main window passes on.
void EffectSpectrumInput(benchmark::State& bench) {
    EffectState state;
    const AudioLightRecord audio = BenchContext(2).audio;
    const auto bands = MusicSpectrum();
    for (auto _ : bench) {
        SpectrumInput(state, 29, audio, bands);
        benchmark::DoNotOptimize(state.beatTotal);
    }
}
BENCHMARK(EffectSpectrumInput);

// One light-thread pass: the clock advances every pass, so at speed 4 every
// pass steps (effect 29 every second pass).
void EffectEnginePass(benchmark::State& bench) {
    const int effect = static_cast<int>(bench.range(0));
    LightingEngine engine;
    engine.ChangeEffect(effect);
    EffectContext context = BenchContext(0);
    SpectrumInput(engine.State(), effect, context.audio, MusicSpectrum());
    std::array<LedEntry, kKeyLightCount> leds{};
    for (auto _ : bench) {
        context.nowMs += 2;
        benchmark::DoNotOptimize(engine.Pass(effect, context, leds));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(EffectEnginePass)->Arg(1)->Arg(13)->Arg(29)->Arg(43);

}  // namespace
}  // namespace halvorn::lighting
