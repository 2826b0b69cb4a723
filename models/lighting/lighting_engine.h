#pragma once

// The keyboard's software lighting: effect state, frame counting against the
// period table, and the step of the current effect. Not thread-safe: the
// keyboard holds its engine lock around every call.

#include <cstdint>

#include "models/lighting/effect_state.h"

namespace halvorn::lighting {

class LightingEngine {
public:
    enum class PassResult {
        Waiting,  // the period has not been reached
        Stepped,  // the effect's step ran
        NoStep,   // the effect has no step: the caller plays the custom light list
    };

    // Resets the state and runs the effect's initialiser.
    void ChangeEffect(int effect);
    // One pass of the light thread (about every millisecond): counts a frame
    // when the millisecond clock has changed since the last count, and runs
    // the step once the frame count reaches the effect's period (effect 29:
    // exceeds it). A period of 0 steps on every pass.
    PassResult Pass(int effect, const EffectContext& context, LedSpan leds);

    EffectState& State() { return state_; }
    const EffectState& State() const { return state_; }
    int FrameCounter() const { return frameCounter_; }

private:
    EffectState state_;
    uint64_t lastCount_ = 0;
    int frameCounter_ = 0;
};

}  // namespace halvorn::lighting
