#include "models/lighting/lighting_engine.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "models/lighting/effect_steps.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"
#include "tests/support/wave_marks.h"

namespace halvorn::lighting {
namespace {

EffectContext ContextAt(uint64_t nowMs, int speed) {
    EffectContext context;
    context.record.light = 4;
    context.record.speed = static_cast<uint8_t>(speed);
    context.record.multiColor = 1;
    context.record.fx = 1;
    context.nowMs = nowMs;
    return context;
}

// Runs `ticks` tick changes with `passesPerTick` passes on each tick value
// and returns, per pass, whether the step ran.
std::vector<bool> RunPasses(int effect, int speed, int ticks, int passesPerTick) {
    LightingEngine engine;
    engine.ChangeEffect(effect);
    std::array<LedEntry, kKeyLightCount> leds{};
    std::vector<bool> stepped;
    for (int tick = 1; tick <= ticks; ++tick) {
        for (int pass = 0; pass < passesPerTick; ++pass) {
            const auto result =
                engine.Pass(effect, ContextAt(1000 + static_cast<uint64_t>(tick), speed), leds);
            EXPECT_NE(result, LightingEngine::PassResult::NoStep) << "effect " << effect;
            stepped.push_back(result == LightingEngine::PassResult::Stepped);
        }
    }
    return stepped;
}

struct PeriodRow {
    int effect;
    std::array<int, 5> periods;
};

TEST(EffectPeriod, RowsBySpeedLevel) {
    const std::vector<PeriodRow> rows = {
        {1, {10, 8, 5, 3, 1}},  {7, {10, 8, 5, 3, 1}},  {13, {10, 8, 5, 3, 1}},
        {15, {10, 8, 5, 3, 1}}, {16, {3, 3, 3, 3, 3}},  {17, {10, 8, 5, 3, 1}},
        {18, {3, 3, 3, 3, 3}},  {21, {10, 8, 5, 3, 1}}, {26, {10, 8, 5, 3, 1}},
        {27, {10, 8, 5, 3, 1}}, {28, {10, 8, 5, 3, 1}}, {29, {1, 1, 1, 1, 1}},
        {30, {1, 0, 0, 0, 0}},  {40, {10, 8, 5, 3, 1}}, {45, {10, 8, 5, 3, 1}},
    };
    for (const PeriodRow& row : rows) {
        for (int speed = 0; speed < 5; ++speed) {
            EXPECT_EQ(EffectPeriod(row.effect, speed), row.periods[speed])
                << "effect " << row.effect << " speed " << speed;
        }
        // Levels outside 0..4 count as 4.
        EXPECT_EQ(EffectPeriod(row.effect, 9), row.periods[4]) << "effect " << row.effect;
    }
}

TEST(EffectPeriod, EffectsWithoutAStepHaveNone) {
    for (int effect : {-1, 0, 11, 12, 25, 31, 35, 39, 46, 200}) {
        EXPECT_EQ(FindEffectStep(effect), nullptr) << effect;
        EXPECT_EQ(EffectPeriod(effect, 0), -1) << effect;
    }
}

struct TimingCase {
    int effect;
    int speed;
    int everyNthTick;  // 0: on every pass, tick change or not
};

TEST(LightingEngine, StepsAtThePeriodOfTheEffectAndSpeed) {
    const std::vector<TimingCase> cases = {
        {1, 4, 1},  {1, 0, 10},  {1, 1, 8},   {1, 2, 5},   {1, 3, 3},   {6, 4, 1},  {8, 0, 10},
        {10, 4, 1}, {13, 0, 10}, {14, 4, 1},  {15, 0, 10}, {16, 0, 3},  {16, 4, 3}, {18, 1, 3},
        {21, 2, 5}, {24, 0, 10}, {26, 0, 10}, {27, 4, 1},  {29, 0, 2},  {29, 4, 2}, {30, 0, 1},
        {30, 1, 0}, {30, 4, 0},  {40, 0, 10}, {44, 4, 1},  {45, 0, 10}, {1, 7, 1},
    };
    constexpr int kTicks = 60;
    constexpr int kPassesPerTick = 3;
    for (const TimingCase& c : cases) {
        const auto stepped = RunPasses(c.effect, c.speed, kTicks, kPassesPerTick);
        for (int tick = 1; tick <= kTicks; ++tick) {
            for (int pass = 0; pass < kPassesPerTick; ++pass) {
                const bool expected =
                    c.everyNthTick == 0 || (pass == 0 && tick % c.everyNthTick == 0);
                EXPECT_EQ(stepped[(tick - 1) * kPassesPerTick + pass], expected)
                    << "effect " << c.effect << " speed " << c.speed << " tick " << tick << " pass "
                    << pass;
            }
        }
    }
}

TEST(LightingEngine, EffectsWithoutAStepLeaveTheLightsToTheCaller) {
    for (int effect : {0, 11, 12, 25, 31, 39, 46}) {
        LightingEngine engine;
        engine.ChangeEffect(effect);
        std::array<LedEntry, kKeyLightCount> leds{};
        leds[3] = {1, 2, 3, 4, 1};
        const auto before = leds;
        for (uint64_t tick = 1; tick < 30; ++tick) {
            EXPECT_EQ(engine.Pass(effect, ContextAt(tick, 4), leds),
                      LightingEngine::PassResult::NoStep)
                << effect;
        }
        EXPECT_EQ(leds, before) << effect;
    }
}

TEST(LightingEngine, ChangingTheEffectRestartsTheCount) {
    LightingEngine engine;
    engine.ChangeEffect(1);
    std::array<LedEntry, kKeyLightCount> leds{};
    uint64_t now = 500;
    for (int i = 0; i < 7; ++i) {
        engine.Pass(1, ContextAt(++now, 0), leds);
    }
    EXPECT_EQ(engine.FrameCounter(), 7);
    engine.ChangeEffect(2);
    EXPECT_EQ(engine.FrameCounter(), 0);
    int passes = 0;
    while (engine.Pass(2, ContextAt(++now, 0), leds) != LightingEngine::PassResult::Stepped) {
        ++passes;
        ASSERT_LT(passes, 20);
    }
    EXPECT_EQ(passes, 9);
}

TEST(LightingEngine, ChangeEffectRunsTheInitialiser) {
    LightingEngine engine;
    engine.State().level.fill(77);
    engine.ChangeEffect(14);
    for (int plane = 0; plane < 4; ++plane) {
        EXPECT_EQ(engine.State().planes[plane][9], 0x40);
    }
    EXPECT_EQ(engine.State().level[5], 0);
}

TEST(LightingEngine, AClockSetBackStillCountsFrames) {
    LightingEngine engine;
    engine.ChangeEffect(1);
    std::array<LedEntry, kKeyLightCount> leds{};
    EXPECT_EQ(engine.Pass(1, ContextAt(100000, 4), leds), LightingEngine::PassResult::Stepped);
    EXPECT_EQ(engine.Pass(1, ContextAt(5, 4), leds), LightingEngine::PassResult::Stepped);
    EXPECT_EQ(engine.Pass(1, ContextAt(5, 4), leds), LightingEngine::PassResult::Waiting);
    EXPECT_EQ(engine.Pass(1, ContextAt(6, 4), leds), LightingEngine::PassResult::Stepped);
}

TEST(LightingEngine, CustomKeysKeepTheirColoursAtTheLightMultiplier) {
    LightingEngine engine;
    engine.ChangeEffect(21);
    std::array<LedEntry, kKeyLightCount> leds{};
    for (int i = 0; i < kKeyLightCount; ++i) {
        leds[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                   static_cast<uint8_t>(i * 3), 9, static_cast<uint8_t>(i % 2)};
    }
    const std::array<uint8_t, 5> multipliers{0, 80, 135, 195, 255};
    uint64_t now = 10;
    for (int light = 0; light < 5; ++light) {
        EffectContext context = ContextAt(++now, 4);
        context.record.light = static_cast<uint8_t>(light);
        ASSERT_EQ(engine.Pass(21, context, leds), LightingEngine::PassResult::Stepped);
        for (int i = 0; i < kKeyLightCount; ++i) {
            const LedEntry expected{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                    static_cast<uint8_t>(i * 3), multipliers[light],
                                    static_cast<uint8_t>(i % 2)};
            ASSERT_EQ(leds[i], expected) << "key " << i << " light " << light;
        }
    }
}

using Leds = std::array<LedEntry, kKeyLightCount>;

EffectContext Context() { return ContextAt(0, 4); }

using testing::Marks;

// ---- key events ----

TEST(KeyEvent, ReactiveKeyLightsAtOnceAndFadesAfterRelease) {
    EffectState state;
    InitialiseEffect(state, 10);
    const EffectContext context = Context();
    Leds leds{};
    KeyEvent(state, 10, 51, 1);
    EXPECT_EQ(state.level[51], 255);
    EXPECT_EQ(state.mark[51], 1);
    EXPECT_LT(state.colorIndex[51], kWheelSize);
    steps::Reactive(state, context, leds);
    EXPECT_EQ(state.level[51], 255);
    EXPECT_EQ(leds[51].brightness, Scale(255, 255));
    KeyEvent(state, 10, 51, 2);
    EXPECT_EQ(state.mark[51], 2);
    for (int i = 0; i < 10; ++i) {
        steps::Reactive(state, context, leds);
    }
    EXPECT_EQ(state.level[51], 205);
    for (int i = 0; i < 41; ++i) {
        steps::Reactive(state, context, leds);
    }
    EXPECT_EQ(state.level[51], 0);
    EXPECT_EQ(state.mark[51], 0);
    // A release without a press changes nothing.
    KeyEvent(state, 10, 52, 2);
    EXPECT_EQ(state.mark[52], 0);
}

TEST(KeyEvent, SpreadLightsTheNeighboursAndDimsThemOnRelease) {
    // Key 51 sits at column 10, row 2; 50 and 49 one and two columns left,
    // 48 three.
    EffectState state;
    InitialiseEffect(state, 8);
    const EffectContext context = Context();
    Leds leds{};
    KeyEvent(state, 8, 51, 1);
    EXPECT_EQ(state.mark[51], 1);
    EXPECT_EQ(state.level[51], 0);
    EXPECT_EQ(state.neighbour[50], 60);
    EXPECT_EQ(state.neighbour[49], 60);
    EXPECT_EQ(state.neighbour[48], 0);
    for (int i = 0; i < 17; ++i) {
        steps::ReactiveSpread(state, context, leds);
    }
    EXPECT_EQ(state.level[51], 255);
    EXPECT_EQ(state.neighbour[50], 60);  // held: the glow stays
    KeyEvent(state, 8, 51, 2);
    EXPECT_EQ(state.mark[51], 2);
    EXPECT_EQ(state.neighbour[50], 45);
    EXPECT_EQ(state.neighbour[49], 0);
    for (int i = 0; i < 60; ++i) {
        steps::ReactiveSpread(state, context, leds);
    }
    EXPECT_EQ(state.level[51], 0);
    EXPECT_EQ(state.neighbour[50], 0);
    EXPECT_EQ(state.mark[51], 0);
}

TEST(KeyEvent, SpreadKeepsTheGlowAroundAnotherHeldKey) {
    // 53 sits two columns right of 51; 52 between them touches both, 49
    // touches only 51.
    EffectState state;
    InitialiseEffect(state, 8);
    KeyEvent(state, 8, 51, 1);
    KeyEvent(state, 8, 53, 1);
    EXPECT_EQ(state.neighbour[52], 120);
    EXPECT_EQ(state.neighbour[51], 60);
    KeyEvent(state, 8, 51, 2);
    EXPECT_EQ(state.neighbour[52], 120);
    EXPECT_EQ(state.neighbour[49], 0);
    Leds leds{};
    for (int i = 0; i < 30; ++i) {
        steps::ReactiveSpread(state, Context(), leds);
    }
    EXPECT_EQ(state.neighbour[52], 120);
    EXPECT_GT(leds[52].brightness, 0);
}

TEST(KeyEvent, WaveEffectsMarkThePressedKey) {
    for (int effect : {9, 16, 44}) {
        EffectState state;
        InitialiseEffect(state, effect);
        KeyEvent(state, effect, 51, 2);
        EXPECT_TRUE(PlanesEmpty(state.planes)) << effect;
        KeyEvent(state, effect, 150, 1);  // not on the grid
        EXPECT_TRUE(PlanesEmpty(state.planes)) << effect;
        KeyEvent(state, effect, 51, 1);
        for (int plane = 0; plane < 4; ++plane) {
            EXPECT_EQ(Marks(state.planes, plane), (std::set<std::pair<int, int>>{{10, 2}}))
                << effect;
        }
    }
}

TEST(KeyEvent, IgnoredByOtherEffectsAndForBadInput) {
    struct Case {
        int effect;
        int key;
        int action;
    };
    const std::vector<Case> cases = {{1, 51, 1},   {14, 51, 1},  {21, 51, 1}, {10, -1, 1},
                                     {10, 170, 1}, {8, 1000, 1}, {10, 51, 0}, {8, 51, 3}};
    for (const Case& c : cases) {
        EffectState state;
        InitialiseEffect(state, c.effect);
        const EffectState before = state;
        KeyEvent(state, c.effect, c.key, c.action);
        EXPECT_EQ(state.level, before.level) << c.effect << " " << c.key;
        EXPECT_EQ(state.mark, before.mark) << c.effect << " " << c.key;
        EXPECT_EQ(state.neighbour, before.neighbour) << c.effect << " " << c.key;
        EXPECT_EQ(state.planes, before.planes) << c.effect << " " << c.key;
        EXPECT_EQ(state.colorIndex, before.colorIndex) << c.effect << " " << c.key;
    }
}

}  // namespace
}  // namespace halvorn::lighting
