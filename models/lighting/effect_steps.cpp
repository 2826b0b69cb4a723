#include "models/lighting/effect_steps.h"

#include <array>

#include "models/lighting/effect_draw.h"
#include "models/lighting/light_grid.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/reactive_spread.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting {

namespace {

constexpr int kEffectCount = 46;

constexpr std::array<EffectStep, kEffectCount> kSteps = [] {
    std::array<EffectStep, kEffectCount> table{};
    table[1] = steps::Wave;
    table[2] = steps::Flow;
    table[3] = steps::Rings;
    table[4] = steps::ColourPath;
    table[5] = steps::StaticRings;
    table[6] = steps::Breathing;
    table[7] = steps::Gradient;
    table[8] = steps::ReactiveSpread;
    table[9] = steps::ReactiveWave;
    table[10] = steps::Reactive;
    table[13] = steps::LightShow;
    table[14] = steps::Ripple;
    table[15] = steps::Twinkle;
    table[16] = steps::ReactiveWave;
    table[17] = steps::Starry;
    table[18] = steps::BreathingWave;
    table[19] = steps::Tide;
    table[20] = steps::Aurora;
    table[21] = steps::CustomKeys;
    table[22] = steps::CrossingRipple;
    table[23] = steps::Flash;
    table[24] = steps::RunningKey;
    table[26] = steps::BreathingFour;
    table[27] = steps::FlashFour;
    table[28] = steps::Off;
    table[29] = steps::Music;
    table[30] = steps::MusicColour;
    table[40] = steps::Spectrum;
    table[41] = steps::RainbowRows;
    table[42] = steps::Neon;
    table[43] = steps::LightShow2;
    table[44] = steps::ReactiveRipple;
    table[45] = steps::ThemeColour;
    return table;
}();

// Period rows by speed level 0..4 besides the common one (light_tables.h).
// Effects 40 to 45 have no row of their own and share the common one, so
// that they run at the pace of the others.
constexpr std::array<int, 5> kFastPeriods{3, 3, 3, 3, 3};
constexpr std::array<int, 5> kStreamPeriods{1, 0, 0, 0, 0};

// Effect 15's start levels per column: even (the level rises by 2 up to 192)
// and staggered so that neighbouring columns twinkle out of step.
constexpr std::array<uint8_t, kGridColumns> kTwinkleColumnLevels = [] {
    std::array<uint8_t, kGridColumns> levels{};
    for (int column = 0; column < kGridColumns; ++column) {
        levels[column] = static_cast<uint8_t>(column * 46 % kWheelSize);
    }
    return levels;
}();

void ResetState(EffectState& state) {
    EffectState fresh;
    fresh.spectrum = state.spectrum;
    fresh.colorInput = state.colorInput;
    fresh.random = state.random;
    state = fresh;
}

void RunningSumColours(EffectState& state) {
    uint8_t sum = 0;
    for (uint8_t& index : state.colorIndex) {
        index = sum;
        // The byte wraps: adding 97 above 160 brings the sum back below 64,
        // so every index stays within the wheel.
        sum = static_cast<uint8_t>(sum + (sum >= 160 && sum <= 222 ? 97 : 33));
    }
}

void InitialiseTwinkle(EffectState& state) {
    ForEachGridCell([&](int column, int, int key) {
        state.level[key] = kTwinkleColumnLevels[column];
        state.colorIndex[key] = static_cast<uint8_t>(column * 7);
    });
}

void InitialiseBreathingWave(EffectState& state) {
    for (int key = 0; key < kAssignableKeyCount; ++key) {
        state.level[key] = static_cast<uint8_t>(key * 7 % 112);
    }
}

void InitialiseAurora(EffectState& state) {
    for (int column = 0; column < kGridColumns; ++column) {
        int index = kWheelSize - 8 * column;
        for (int row = 0; row < kGridRows; ++row) {
            const uint8_t key = kLightGrid[column][row];
            if (key != kNoKey) {
                state.colorIndex[key] = static_cast<uint8_t>(index);
                state.level[key] = static_cast<uint8_t>(column * 6);
            }
            index -= 35;
            if (index < 0) {
                index += 63;
            }
        }
    }
}

}  // namespace

EffectStep FindEffectStep(int effect) {
    if (effect < 0 || effect >= kEffectCount) {
        return nullptr;
    }
    return kSteps[effect];
}

int EffectPeriod(int effect, int speed) {
    if (FindEffectStep(effect) == nullptr) {
        return -1;
    }
    const int level = speed >= 0 && speed <= 4 ? speed : 4;
    switch (effect) {
        case 16:
        case 18:
            return kFastPeriods[level];
        case 29:
            // Effect 29 steps once the counter exceeds this (every second count).
            return 1;
        case 30:
            return kStreamPeriods[level];
        default:
            return kCommonPeriods[level];
    }
}

void InitialiseEffect(EffectState& state, int effect) {
    ResetState(state);
    switch (effect) {
        case 13:
            InitialiseLightShow(state);
            break;
        case 14:
            MarkCellInPlanes(state.planes, 9, 6);
            break;
        case 15:
            InitialiseTwinkle(state);
            break;
        case 18:
            InitialiseBreathingWave(state);
            break;
        case 20:
            InitialiseAurora(state);
            break;
        case 21:
            break;
        case 22:
            MarkCellInPlanes(state.planes, 1, 0);
            break;
        case 43:
            InitialiseLightShow2(state);
            break;
        default:
            RunningSumColours(state);
            break;
    }
}

void KeyEvent(EffectState& state, int effect, int keyIndex, int action) {
    if (keyIndex < 0 || keyIndex >= kKeyLightCount || (action != 1 && action != 2)) {
        return;
    }
    const bool press = action == 1;
    switch (effect) {
        case 8:
            if (press) {
                PressSpreadKey(state, keyIndex);
            } else {
                ReleaseSpreadKey(state, keyIndex);
            }
            break;
        case 9:
        case 16:  // the step of 9 at a faster pace: it would stay dark without presses
        case 44:
            if (press) {
                MarkKeyInPlanes(state.planes, keyIndex);
            }
            break;
        case 10:
            if (press) {
                state.level[keyIndex] = 255;
                state.colorIndex[keyIndex] = RandomWheelIndex(state);
                state.mark[keyIndex] = 1;
            } else if (state.mark[keyIndex] == 1) {
                state.mark[keyIndex] = 2;
            }
            break;
        default:
            break;
    }
}

}  // namespace halvorn::lighting
