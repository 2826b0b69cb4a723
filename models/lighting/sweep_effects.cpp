// Sweeps and gradients: colours and levels that move across the grid, the
// rings or a path of keys.

#include <array>

#include "models/lighting/base_effects.h"
#include "models/lighting/effect_draw.h"
#include "models/lighting/effect_steps.h"
#include "models/lighting/light_grid.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting::steps {

namespace {

constexpr int kWaveSize = static_cast<int>(std::tuple_size_v<decltype(kWaveCurve)>);
constexpr int kPulseSize = static_cast<int>(std::tuple_size_v<decltype(kPulseCurve)>);

// i modulo n, also for negative i.
constexpr int Wrap(int i, int n) { return ((i % n) + n) % n; }

// Effects 1 and 2: each column a fixed distance further along the wheel or
// the wave curve.
void ColumnWave(EffectState& state, const EffectContext& context, LedSpan leds, int wheelGap,
                int curveGap) {
    const bool cycle = ColourCycle(context);
    state.phase = PhaseStep(Forward(context), cycle ? kWheelSize : kWaveSize, state.phase, 1);
    const uint8_t multiplier = Multiplier(context);
    FillAll(leds, {}, 0);
    ForEachGridCell([&](int column, int, int key) {
        if (cycle) {
            SetKey(leds, key, WheelColor(state.phase + wheelGap * column), multiplier);
        } else {
            const uint8_t level = kWaveCurve[Wrap(state.phase + curveGap * column, kWaveSize)];
            SetKey(leds, key, SingleColour(context), Scale(level, multiplier));
        }
    });
}

// Effect 24's path: a snake through the grid rows (left to right, then back),
// each key once, so the light never jumps across the keyboard.
struct KeyPath {
    std::array<uint8_t, kGridColumns * kGridRows> keys{};
    int length = 0;
};

const KeyPath& SnakePath() {
    static const KeyPath path = [] {
        KeyPath built;
        std::array<bool, kKeyLightCount> taken{};
        for (int row = 0; row < kGridRows; ++row) {
            for (int i = 0; i < kGridColumns; ++i) {
                const int column = row % 2 == 0 ? i : kGridColumns - 1 - i;
                const uint8_t key = kLightGrid[column][row];
                if (key != kNoKey && !taken[key]) {
                    taken[key] = true;
                    built.keys[built.length++] = key;
                }
            }
        }
        return built;
    }();
    return path;
}

}  // namespace

void Wave(EffectState& state, const EffectContext& context, LedSpan leds) {
    ColumnWave(state, context, leds, 7, 7);
}

void Flow(EffectState& state, const EffectContext& context, LedSpan leds) {
    ColumnWave(state, context, leds, 22, 25);
}

void Rings(EffectState& state, const EffectContext& context, LedSpan leds) {
    constexpr Rgb kRingColour{0, 180, 255};
    state.phase = PhaseStep(Forward(context), kWaveSize, state.phase, 2);
    const uint8_t multiplier = Multiplier(context);
    FillAll(leds, {}, 0);
    // Subtracting the ring's offset makes a rising phase move the crest outward.
    ForEachRingKey([&](int ring, int key) {
        const uint8_t level = kWaveCurve[Wrap(state.phase - 11 * ring, kWaveSize)];
        SetKey(leds, key, kRingColour, Scale(level, multiplier));
    });
}

void ColourPath(EffectState& state, const EffectContext& context, LedSpan leds) {
    // The keys in index order, which runs row by row from the top left.
    const bool cycle = ColourCycle(context);
    state.phase = PhaseStep(Forward(context), cycle ? kWheelSize : kWaveSize, state.phase, 1);
    const uint8_t multiplier = Multiplier(context);
    FillAll(leds, {}, 0);
    for (int key = 0; key < kAssignableKeyCount; ++key) {
        if (cycle) {
            SetKey(leds, key, WheelColor(state.phase + 5 * key), multiplier);
        } else {
            const uint8_t level = kWaveCurve[Wrap(state.phase + 5 * key, kWaveSize)];
            SetKey(leds, key, SingleColour(context), Scale(level, multiplier));
        }
    }
}

void StaticRings(EffectState& state, const EffectContext& context, LedSpan leds) {
    const uint8_t multiplier = Multiplier(context);
    if (!ColourCycle(context)) {
        FillAll(leds, SingleColour(context), multiplier);
        return;
    }
    state.phase = PhaseStep(true, kWheelSize, state.phase, 1);
    FillAll(leds, {}, 0);
    ForEachRingKey([&](int ring, int key) {
        SetKey(leds, key, WheelColor(Wrap(state.phase - 12 * ring, kWheelSize)), multiplier);
    });
}

void Breathing(EffectState& state, const EffectContext& context, LedSpan leds) {
    state.phase = PhaseStep(true, kPulseSize, state.phase, 1);
    if (state.phase == 0) {
        // Each breath moves the colours on by half a wheel segment.
        state.phase2 = static_cast<uint8_t>((state.phase2 + 16) % kWheelSize);
    }
    const uint8_t brightness = Scale(kPulseCurve[state.phase], Multiplier(context));
    if (!ColourCycle(context)) {
        FillAll(leds, SingleColour(context), brightness);
        return;
    }
    // Six groups of four columns, one wheel segment apart.
    FillAll(leds, WheelColor(state.phase2), brightness);
    ForEachGridCell([&](int column, int, int key) {
        SetKey(leds, key, WheelColor(state.phase2 + 32 * (column / 4)), brightness);
    });
}

void Gradient(EffectState&, const EffectContext& context, LedSpan leds) {
    const uint8_t multiplier = Multiplier(context);
    FillAll(leds, {}, 0);
    ForEachGridCell([&](int column, int, int key) {
        SetKey(leds, key, SingleColour(context), Scale(kSecondRamp[column], multiplier));
    });
}

void Tide(EffectState& state, const EffectContext& context, LedSpan leds) {
    constexpr int kRampSize =
        static_cast<int>(std::tuple_size_v<decltype(kFirstRamp)>) + 1;  // and a final 0
    state.phase = PhaseStep(Forward(context), kGridColumns, state.phase, 1);
    const uint8_t multiplier = Multiplier(context);
    const bool cycle = ColourCycle(context);
    FillAll(leds, {}, 0);
    ForEachGridCell([&](int, int row, int key) {
        const int entry = (state.phase + 1 + 4 * row) % kRampSize;
        const uint8_t level = entry < kRampSize - 1 ? kFirstRamp[entry] : 0;
        // With colour cycle each row takes its own wheel segment.
        const Rgb colour = cycle ? WheelColor(32 * row) : SingleColour(context);
        SetKey(leds, key, colour, Scale(level, multiplier));
    });
}

void RunningKey(EffectState& state, const EffectContext& context, LedSpan leds) {
    const KeyPath& path = SnakePath();
    state.phase = PhaseStep(Forward(context), static_cast<uint8_t>(path.length), state.phase, 1);
    for (uint8_t& level : state.level) {
        level = FallBack(level);
    }
    // The lit key leaves a fading trail; with colour cycle the path is a rainbow.
    const int key = path.keys[state.phase % path.length];
    state.level[key] = 255;
    state.colorIndex[key] = static_cast<uint8_t>(state.phase * kWheelSize / path.length);
    const uint8_t multiplier = Multiplier(context);
    FillAll(leds, {}, 0);
    for (uint8_t k : path.keys) {
        if (state.level[k] != 0) {
            SetKey(leds, k, KeyColour(state, context, k), Scale(state.level[k], multiplier));
        }
    }
}

void RainbowRows(EffectState& state, const EffectContext& context, LedSpan leds) {
    state.phase = PhaseStep(Forward(context), kWheelSize, state.phase, 1);
    const uint8_t multiplier = Multiplier(context);
    FillAll(leds, {}, 0);
    ForEachGridCell([&](int, int row, int key) {
        SetKey(leds, key, WheelColor(state.phase + 7 * row), multiplier);
    });
}

void Neon(EffectState& state, const EffectContext& context, LedSpan leds) {
    const uint8_t multiplier = Multiplier(context);
    for (int key = 0; key < kKeyLightCount; ++key) {
        state.colorIndex[key] = PhaseStep(Forward(context), kWheelSize, state.colorIndex[key], 1);
        SetKey(leds, key, WheelColor(state.colorIndex[key]), multiplier);
    }
}

void ThemeColour(EffectState&, const EffectContext& context, LedSpan leds) {
    int entry = 174;
    switch (context.record.fx) {
        case 1:
            entry = 25;
            break;
        case 2:
            entry = 70;
            break;
        case 3:
            entry = 95;
            break;
        default:
            break;
    }
    FillAll(leds, WheelColor(entry), Multiplier(context));
}

}  // namespace halvorn::lighting::steps
