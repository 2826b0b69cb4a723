#include "models/lighting/reactive_keys.h"

#include <algorithm>

namespace halvorn::lighting {
namespace {

constexpr int kMusicEffect = 29;
constexpr int kMarkedKeys = 9;

// Bands are checked from the top; every step is below the band's lowest
// level, so a fading key reaches 0 and stops there.
struct Band {
    uint8_t from;
    uint8_t step;
};

constexpr std::array<Band, 5> kFirstEffectBands = {
    {{128, 40}, {64, 30}, {32, 15}, {17, 8}, {1, 1}}};
constexpr std::array<Band, 5> kOtherEffectBands = {
    {{128, 40}, {64, 30}, {32, 10}, {17, 8}, {1, 1}}};
constexpr std::array<Band, 9> kMusicBands = {{{0x90, 45},
                                              {0x80, 40},
                                              {0x70, 35},
                                              {0x60, 30},
                                              {0x50, 25},
                                              {0x40, 20},
                                              {0x20, 10},
                                              {17, 5},
                                              {1, 1}}};

template <std::size_t N>
uint8_t Decay(uint8_t level, const std::array<Band, N>& bands) {
    for (const Band& band : bands) {
        if (level >= band.from) {
            return static_cast<uint8_t>(std::max(0, level - band.step));
        }
    }
    return level;
}

}  // namespace

void FadeReactiveKey(ReactiveKeys& state, int key, int effect) {
    if (key < 0 || key >= kKeyLightCount) {
        return;
    }
    uint8_t& level = state.levels[key];
    if (effect == 0) {
        level = Decay(level, kFirstEffectBands);
    } else if (effect == kMusicEffect) {
        level = Decay(level, kMusicBands);
    } else {
        level = Decay(level, kOtherEffectBands);
    }
}

void MarkPressedKeys(ReactiveKeys& state) {
    for (int i = 0; i < kMarkedKeys; ++i) {
        if (state.ring[i] != 0) {
            state.levels[i] = 255;
        }
    }
}

void RotateWaveRing(ReactiveKeys& state, bool forward) {
    if (forward) {
        std::rotate(state.ring.rbegin(), state.ring.rbegin() + 1, state.ring.rend());
    } else {
        std::rotate(state.ring.begin(), state.ring.begin() + 1, state.ring.end());
    }
}

void ClearReactiveState(ReactiveKeys& state) {
    state.levels.fill(0);
    state.ring.fill(0);
}

}  // namespace halvorn::lighting
