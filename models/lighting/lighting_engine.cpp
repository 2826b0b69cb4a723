#include "models/lighting/lighting_engine.h"

#include "models/lighting/effect_steps.h"

namespace halvorn::lighting {

void LightingEngine::ChangeEffect(int effect) {
    InitialiseEffect(state_, effect);
    frameCounter_ = 0;
}

LightingEngine::PassResult LightingEngine::Pass(int effect, const EffectContext& context,
                                                LedSpan leds) {
    const EffectStep step = FindEffectStep(effect);
    // The tick counter has millisecond resolution: a frame is one change of
    // it. Any change counts, so a clock that was set back cannot stall the
    // effect.
    const bool ticked = context.nowMs != lastCount_;
    lastCount_ = context.nowMs;
    if (step == nullptr) {
        return PassResult::NoStep;
    }
    if (ticked) {
        ++frameCounter_;
    }
    const int period = EffectPeriod(effect, context.record.speed);
    const bool due = effect == 29 ? frameCounter_ > period : frameCounter_ >= period;
    if (!due) {
        return PassResult::Waiting;
    }
    step(state_, context, leds);
    frameCounter_ = 0;
    return PassResult::Stepped;
}

}  // namespace halvorn::lighting
