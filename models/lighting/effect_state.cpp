#include "models/lighting/effect_state.h"

#include "models/lighting/light_tables.h"

namespace halvorn::lighting {

uint32_t NextRandom(EffectState& state) {
    uint32_t x = state.random;
    if (x == 0) {
        // xorshift stays at 0 for ever; a cleared state gets the default seed back.
        x = EffectState{}.random;
    }
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state.random = x;
    return x;
}

uint8_t RandomWheelIndex(EffectState& state) {
    return static_cast<uint8_t>(NextRandom(state) % kWheelSize);
}

}  // namespace halvorn::lighting
