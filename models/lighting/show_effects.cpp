// The two scripted shows (effects 13 and 43): small state machines over the
// per-key levels. Lit keys jump to full level and fall back on their own, so
// every scene leaves a trail into the next.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "models/lighting/effect_steps.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting {
namespace {

constexpr uint8_t kFullLevel = 255;

// The running light's path: the grid rows as a snake from the top left, then
// back up the left edge, along the top row and down the right edge.
constexpr std::array<uint8_t, 132> kRunPath = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,  10, 11, 12, 13, 35,  15,  36,  56,  37,
    58,  41,  40,  39,  38,  34,  33,  32,  31,  30, 29, 28, 27, 26, 25,  24,  23,  22,  21,
    42,  43,  44,  45,  46,  47,  48,  49,  50,  51, 52, 53, 54, 55, 57,  59,  60,  61,  119,
    78,  77,  76,  75,  74,  73,  72,  71,  70,  69, 68, 67, 66, 65, 64,  63,  84,  102, 85,
    86,  87,  88,  89,  90,  91,  92,  93,  94,  95, 96, 97, 98, 99, 118, 117, 116, 115, 114,
    113, 112, 111, 110, 109, 108, 107, 106, 105, 84, 63, 42, 21, 0,  1,   2,   3,   4,   5,
    6,   7,   8,   9,   10,  11,  12,  13,  35,  15, 36, 56, 37, 58, 41,  119, 118, 117};

// Effect 13's scenes, in order.
enum ShowState : int { kRun, kCollapse, kBreathe, kBlink, kWave, kFade, kShowStates };

constexpr int kRunFrames = static_cast<int>(kRunPath.size());
constexpr int kFramesPerRing = 2;
constexpr int kCollapseFrames = kRingCount * kFramesPerRing;
constexpr int kBreathStep = 8;  // 16 frames per breath over the 128-entry pulse curve
constexpr int kBreathFrames = static_cast<int>(kPulseCurve.size()) / kBreathStep;
constexpr int kBreathe3Frames = 3 * kBreathFrames;
constexpr int kBlinkHalfFrames = 2;  // off 2 frames, on 2 frames
constexpr int kBlinkFrames = 10 * 2 * kBlinkHalfFrames;
constexpr int kWaveFrames = 21;
constexpr int kFadeFrames = 32;  // at most: the scene ends early once all keys are dark
constexpr int kInnerRings = 2;

// The frames of each scene of effect 13, by state.
constexpr std::array<int, kShowStates> kShowFrames = {
    kRunFrames, kCollapseFrames, kBreathe3Frames, kBlinkFrames, kWaveFrames, kFadeFrames};

// Effect 43: twenty groups of keys sweeping from left to right...
constexpr int kGroupCount = 20;
constexpr std::array<std::array<uint8_t, 6>, kGroupCount> kGroups = {{
    {84, 105, 106, 102, 63, kNoKey}, {42, 21, 0, 22, 43, kNoKey},
    {64, 85, 107, 86, 65, 44},       {23, 1, 2, 24, 45, kNoKey},
    {66, 87, 88, 67, 46, kNoKey},    {25, 3, 4, 26, 47, kNoKey},
    {68, 89, 108, 90, 69, kNoKey},   {48, 27, 5, 28, 49, 70},
    {91, 109, 92, 71, 50, kNoKey},   {29, 6, 7, 30, 51, kNoKey},
    {72, 93, 110, 94, 73, kNoKey},   {52, 31, 8, 9, 32, kNoKey},
    {53, 74, 111, 54, 33, 10},       {11, 34, 55, 75, 95, kNoKey},
    {112, 12, 13, 113, 114, kNoKey}, {96, 57, 35, 15, 115, kNoKey},
    {116, 97, 76, 59, 38, kNoKey},   {36, 56, 39, 60, 77, 98},
    {117, 99, 78, 61, 40, kNoKey},   {37, 58, 41, 119, 118, kNoKey},
}};
// ...then thirty mirrored pairs closing in from both edges...
constexpr int kPairCount = 30;
constexpr std::array<std::array<uint8_t, 2>, kPairCount> kPairs = {{
    {84, 118}, {21, 40}, {42, 61}, {63, 78},   {102, 99}, {106, 117}, {0, 56},    {22, 39},
    {43, 60},  {64, 77}, {85, 98}, {107, 116}, {1, 36},   {23, 38},   {44, 59},   {65, 76},
    {86, 97},  {2, 15},  {3, 35},  {46, 57},   {88, 96},  {4, 13},    {108, 113}, {27, 34},
    {48, 55},  {90, 95}, {5, 11},  {70, 75},   {6, 10},   {29, 33},
}};
// ...then a ripple from the middle of the keyboard.
constexpr int kRippleKey = 52;
// The key whose fading ends the ripple. It has no grid cell, so the ripple
// never lights it: the ripple also waits for its marks to run out and every
// key to go dark, and gives up after kRippleMaxFrames.
constexpr int kRippleEndKey = 125;
constexpr int kRippleMaxFrames = 160;

enum Show2State : int { kGroupScene, kPairScene, kRippleScene };
constexpr int kGroupFrames = 4;
constexpr int kPairFrames = 3;

void FallBackAll(EffectState& state) {
    for (uint8_t& level : state.level) {
        level = FallBack(level);
    }
}

void LightKey(EffectState& state, int key, int colorIndex, uint8_t level = kFullLevel) {
    if (key < 0 || key >= kKeyLightCount) {
        return;
    }
    state.level[static_cast<size_t>(key)] = level;
    state.colorIndex[static_cast<size_t>(key)] = static_cast<uint8_t>(colorIndex % kWheelSize);
}

void LightInnerRings(EffectState& state, uint8_t level) {
    for (int ring = 0; ring < kInnerRings; ++ring) {
        for (uint8_t key : kRingTable[static_cast<size_t>(ring)]) {
            if (key != kNoKey) {
                state.level[key] = level;
            }
        }
    }
}

bool AllDark(const EffectState& state) {
    return std::all_of(state.level.begin(), state.level.end(),
                       [](uint8_t level) { return level == 0; });
}

// Every key: its wheel colour (colour cycle) or the single colour, at its
// level times the Light multiplier.
void Render(const EffectState& state, const EffectContext& context, LedSpan leds) {
    const bool cycle = context.record.multiColor != 0;
    const Rgb single{context.record.red, context.record.green, context.record.blue};
    const uint8_t multiplier = BrightnessMultiplier(context.record.light);
    const size_t count = std::min(leds.size(), static_cast<size_t>(kKeyLightCount));
    for (size_t i = 0; i < count; ++i) {
        SetLed(leds[i], cycle ? WheelColor(state.colorIndex[i]) : single,
               Scale(state.level[i], multiplier));
    }
}

void EnterShowState(EffectState& state, int next) {
    state.scriptState = next;
    state.scriptCounter = kShowFrames[static_cast<size_t>(next)];
    state.scriptStep = 0;
    if (next == kWave) {
        ClearWavePlanes(state.planes);
        MarkKeyInPlanes(state.planes, kRingTable[0][0]);
    }
}

// The frame number within the current scene, 0 on its first frame.
int SceneFrame(const EffectState& state) {
    return kShowFrames[static_cast<size_t>(state.scriptState)] - state.scriptCounter;
}

}  // namespace

void InitialiseLightShow(EffectState& state) {
    state.phase = 0;
    EnterShowState(state, kRun);
}

void steps::LightShow(EffectState& state, const EffectContext& context, LedSpan leds) {
    // A state or counter that was never set up (or got out of range) restarts the show.
    if (state.scriptState < 0 || state.scriptState >= kShowStates || state.scriptCounter <= 0 ||
        state.scriptCounter > kShowFrames[static_cast<size_t>(state.scriptState)]) {
        InitialiseLightShow(state);
    }
    const int frame = SceneFrame(state);
    const int hue = state.phase;
    switch (state.scriptState) {
        case kRun:
            FallBackAll(state);
            LightKey(state, kRunPath[static_cast<size_t>(frame)], hue);
            break;
        case kCollapse: {
            FallBackAll(state);
            const int ring = kRingCount - 1 - frame / kFramesPerRing;
            for (uint8_t key : kRingTable[static_cast<size_t>(ring)]) {
                if (key != kNoKey) {
                    LightKey(state, key, hue + ring * 16);
                }
            }
            break;
        }
        case kBreathe: {
            FallBackAll(state);
            // Start at the top of the curve, where the collapse left the centre.
            const int index = (64 + (frame % kBreathFrames) * kBreathStep) % 128;
            LightInnerRings(state, kPulseCurve[static_cast<size_t>(index)]);
            break;
        }
        case kBlink: {
            FallBackAll(state);
            const bool on = (frame / kBlinkHalfFrames) % 2 == 1;
            LightInnerRings(state, on ? kFullLevel : 0);
            break;
        }
        case kWave:
            ApplyWavePlanes(state, context.record.multiColor != 0);
            AdvanceWavePlanes(state.planes);
            break;
        case kFade:
            FallBackAll(state);
            break;
        default:
            break;
    }
    state.phase = static_cast<uint8_t>((state.phase + 1) % kWheelSize);
    Render(state, context, leds);

    --state.scriptCounter;
    if (state.scriptState == kFade && AllDark(state)) {
        state.scriptCounter = 0;
    }
    if (state.scriptCounter <= 0) {
        if (state.scriptState == kWave) {
            ClearWavePlanes(state.planes);
        }
        if (state.scriptState == kFade) {
            InitialiseLightShow(state);
        } else {
            EnterShowState(state, state.scriptState + 1);
        }
    }
}

void InitialiseLightShow2(EffectState& state) {
    state.phase = 0;
    state.scriptState = kGroupScene;
    state.scriptStep = 0;
    state.scriptCounter = kGroupFrames;
}

void steps::LightShow2(EffectState& state, const EffectContext& context, LedSpan leds) {
    const bool known = (state.scriptState == kGroupScene && state.scriptStep >= 0 &&
                        state.scriptStep < kGroupCount && state.scriptCounter > 0 &&
                        state.scriptCounter <= kGroupFrames) ||
                       (state.scriptState == kPairScene && state.scriptStep >= 0 &&
                        state.scriptStep < kPairCount && state.scriptCounter > 0 &&
                        state.scriptCounter <= kPairFrames) ||
                       (state.scriptState == kRippleScene && state.scriptCounter > 0 &&
                        state.scriptCounter <= kRippleMaxFrames);
    if (!known) {
        ClearWavePlanes(state.planes);
        InitialiseLightShow2(state);
    }
    const size_t step = static_cast<size_t>(state.scriptStep);
    switch (state.scriptState) {
        case kGroupScene:
            FallBackAll(state);
            for (uint8_t key : kGroups[step]) {
                if (key != kNoKey) {
                    LightKey(state, key, state.scriptStep * kWheelSize / kGroupCount);
                }
            }
            break;
        case kPairScene:
            FallBackAll(state);
            for (uint8_t key : kPairs[step]) {
                LightKey(state, key, state.scriptStep * kWheelSize / kPairCount + kWheelSize / 2);
            }
            break;
        default:
            ApplyWavePlanes(state, context.record.multiColor != 0);
            AdvanceWavePlanes(state.planes);
            break;
    }
    Render(state, context, leds);

    --state.scriptCounter;
    switch (state.scriptState) {
        case kGroupScene:
            if (state.scriptCounter <= 0) {
                state.scriptCounter = kGroupFrames;
                if (++state.scriptStep >= kGroupCount) {
                    state.scriptState = kPairScene;
                    state.scriptStep = 0;
                    state.scriptCounter = kPairFrames;
                }
            }
            break;
        case kPairScene:
            if (state.scriptCounter <= 0) {
                state.scriptCounter = kPairFrames;
                if (++state.scriptStep >= kPairCount) {
                    state.scriptState = kRippleScene;
                    state.scriptStep = 0;
                    state.scriptCounter = kRippleMaxFrames;
                    ClearWavePlanes(state.planes);
                    MarkKeyInPlanes(state.planes, kRippleKey);
                }
            }
            break;
        default: {
            const bool done = PlanesEmpty(state.planes) &&
                              state.level[static_cast<size_t>(kRippleEndKey)] == 0 &&
                              AllDark(state);
            if (done || state.scriptCounter <= 0) {
                ClearWavePlanes(state.planes);
                InitialiseLightShow2(state);
            }
            break;
        }
    }
}

}  // namespace halvorn::lighting
