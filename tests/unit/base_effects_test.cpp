// The base effect steps and the reactive key state shared by every device.

#include "models/lighting/base_effects.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "models/lighting/light_tables.h"
#include "models/lighting/reactive_keys.h"

namespace halvorn::lighting {
namespace {

constexpr uint64_t kStart = 1'000'000;  // a steady clock well past zero

LightModeRecord Record(uint8_t light, uint8_t speed, uint8_t fx, uint8_t multiColor,
                       Rgb colour = {10, 20, 30}) {
    LightModeRecord record;
    record.light = light;
    record.speed = speed;
    record.fx = fx;
    record.multiColor = multiColor;
    record.red = colour.red;
    record.green = colour.green;
    record.blue = colour.blue;
    return record;
}

// Every entry of the span carries the same colour and brightness.
void ExpectUniform(const std::vector<LedEntry>& leds, Rgb colour, uint8_t brightness) {
    for (std::size_t i = 0; i < leds.size(); ++i) {
        ASSERT_EQ((Rgb{leds[i].red, leds[i].green, leds[i].blue}), colour) << "entry " << i;
        ASSERT_EQ(leds[i].brightness, brightness) << "entry " << i;
    }
}

TEST(PhaseStepTest, WrapsWithinThePeriod) {
    struct Case {
        bool forward;
        uint8_t period;
        uint8_t phase;
        uint8_t step;
        uint8_t expected;
    };
    const Case cases[] = {
        {true, 128, 0, 1, 1},    {true, 128, 126, 1, 127}, {true, 128, 127, 1, 0},
        {true, 192, 191, 1, 0},  {true, 23, 21, 2, 0},     {true, 128, 200, 1, 0},
        {true, 255, 250, 10, 0},  // no byte overflow back into the range
        {false, 128, 5, 1, 4},   {false, 128, 0, 1, 127},  {false, 192, 0, 1, 191},
        {false, 96, 1, 2, 94},   {false, 23, 0, 1, 22},    {false, 128, 200, 1, 127},
        {false, 3, 0, 5, 0},  // a step wider than the period stays inside it
        {true, 0, 0, 1, 0},      {false, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PhaseStep(c.forward, c.period, c.phase, c.step), c.expected)
            << (c.forward ? "forward" : "backward") << " period " << int{c.period} << " phase "
            << int{c.phase} << " step " << int{c.step};
    }
}

// Records the hue at every completed breath, in either direction.
std::vector<int> BreathHues(uint8_t fx) {
    BaseEffectState state;
    std::vector<LedEntry> leds(4);
    std::vector<int> hues;
    const LightModeRecord record = Record(4, 0, fx, 1);
    for (int pass = 0; pass < 128 * 14; ++pass) {
        StepBreathing(state, record, kStart, leds);
        if (state.phase == 0) {
            hues.push_back(state.hue);
        }
    }
    return hues;
}

TEST(BreathingTest, ColourCycleVisitsThirteenHuesThenStartsOver) {
    const std::vector<int> expected = {16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 0, 16};
    EXPECT_EQ(BreathHues(1), expected);
    EXPECT_EQ(BreathHues(0), expected);
}

TEST(BreathingTest, HueZeroAndHue192ShowTheSameColour) {
    BaseEffectState state;
    std::vector<LedEntry> leds(3);
    const LightModeRecord record = Record(4, 0, 1, 1);
    StepBreathing(state, record, kStart, leds);
    const Rgb first{leds[0].red, leds[0].green, leds[0].blue};
    state.hue = 192;
    state.phase = 0;
    StepBreathing(state, record, kStart, leds);
    EXPECT_EQ(state.hue, 192);
    ExpectUniform(leds, first, leds[0].brightness);
    EXPECT_EQ(first, kColorWheel[0]);
}

TEST(BreathingTest, FollowsThePulseCurveOverEveryEntry) {
    BaseEffectState state;
    std::vector<LedEntry> leds(203, LedEntry{9, 9, 9, 9, 0});
    const LightModeRecord record = Record(4, 0, 1, 0, {40, 50, 60});
    for (int pass = 0; pass < 63; ++pass) {
        StepBreathing(state, record, kStart, leds);
    }
    EXPECT_EQ(state.phase, 63);
    ExpectUniform(leds, {40, 50, 60}, 255 * 255 / 256);

    const LightModeRecord dim = Record(1, 0, 1, 0, {40, 50, 60});
    StepBreathing(state, dim, kStart, leds);
    ExpectUniform(leds, {40, 50, 60}, 255 * 80 / 256);
}

TEST(BreathingTest, FourColoursCountZeroToThree) {
    BaseEffectState state;
    std::vector<LedEntry> leds(2);
    const LightModeRecord record = Record(4, 0, 1, 0);
    std::vector<int> hues;
    for (int pass = 0; pass < 128 * 5; ++pass) {
        StepBreathingFourColours(state, record, kStart, leds);
        if (state.phase == 0) {
            hues.push_back(state.hue);
            ExpectUniform(leds, kFourColors[state.hue], 0);
        }
    }
    EXPECT_EQ(hues, (std::vector<int>{1, 2, 3, 0, 1}));
}

TEST(BreathingTest, FourColoursSurviveAHueLeftByAnotherEffect) {
    BaseEffectState state;
    state.hue = 176;
    std::vector<LedEntry> leds(2);
    StepBreathingFourColours(state, Record(4, 0, 1, 0), kStart, leds);
    ExpectUniform(leds, kFourColors[176 % 4], 1 * 255 / 256);
}

using Step = std::function<void(BaseEffectState&, const LightModeRecord&, uint64_t, LedSpan)>;

TEST(BaseEffectsTest, LevelZeroGivesBrightnessZeroEverywhere) {
    const Step steps[] = {StepBreathing, StepBreathingFourColours, StepStatic, StepSpectrum,
                          StepBlink,     StepBlinkFourColours};
    for (const Step& step : steps) {
        BaseEffectState state;
        std::vector<LedEntry> leds(170, LedEntry{1, 2, 3, 200, 0});
        for (int pass = 0; pass < 200; ++pass) {
            step(state, Record(0, 4, 1, 1), kStart + 200 * pass, leds);
            for (const LedEntry& led : leds) {
                ASSERT_EQ(led.brightness, 0) << "pass " << pass;
            }
        }
    }
}

TEST(BaseEffectsTest, StaticShowsTheRecordColourAtTheLevel) {
    BaseEffectState state;
    std::vector<LedEntry> leds(7);
    StepStatic(state, Record(2, 0, 0, 1, {1, 2, 3}), kStart, leds);
    ExpectUniform(leds, {1, 2, 3}, 135);
    StepStatic(state, Record(9, 0, 0, 1, {1, 2, 3}), kStart, leds);
    ExpectUniform(leds, {1, 2, 3}, 255);
}

TEST(BaseEffectsTest, SpectrumWalksTheWheelInTheRecordDirection) {
    BaseEffectState state;
    std::vector<LedEntry> leds(5);
    StepSpectrum(state, Record(3, 0, 1, 0), kStart, leds);
    EXPECT_EQ(state.phase, 1);
    ExpectUniform(leds, kColorWheel[1], 195);

    state.phase = 0;
    StepSpectrum(state, Record(3, 0, 0, 0), kStart, leds);
    EXPECT_EQ(state.phase, 191);
    ExpectUniform(leds, kColorWheel[191], 195);
}

TEST(BlinkTest, TogglesAfterTheIntervalOfTheSpeedLevel) {
    struct Case {
        uint8_t speed;
        uint64_t intervalMs;
    };
    for (const Case c : {Case{0, 1600}, Case{2, 800}, Case{4, 200}, Case{7, 200}}) {
        BaseEffectState state;
        state.lastBlinkTick = kStart;
        std::vector<LedEntry> leds(4);
        const LightModeRecord record = Record(4, c.speed, 0, 0, {7, 8, 9});
        StepBlink(state, record, kStart + c.intervalMs - 1, leds);
        EXPECT_EQ(state.blinkOn, 0) << "speed " << int{c.speed};
        ExpectUniform(leds, {}, 0);

        StepBlink(state, record, kStart + c.intervalMs, leds);
        EXPECT_EQ(state.blinkOn, 1) << "speed " << int{c.speed};
        EXPECT_EQ(state.lastBlinkTick, kStart + c.intervalMs);
        ExpectUniform(leds, {7, 8, 9}, 255);

        StepBlink(state, record, kStart + 2 * c.intervalMs - 1, leds);
        EXPECT_EQ(state.blinkOn, 1);
        StepBlink(state, record, kStart + 2 * c.intervalMs, leds);
        EXPECT_EQ(state.blinkOn, 0);
        ExpectUniform(leds, {}, 0);
    }
}

TEST(BlinkTest, ColourCycleAdvancesSixteenPerToggle) {
    BaseEffectState state;
    state.lastBlinkTick = kStart;
    state.phase = 176;
    std::vector<LedEntry> leds(3);
    const LightModeRecord record = Record(4, 4, 0, 1);
    StepBlink(state, record, kStart + 200, leds);
    EXPECT_EQ(state.phase, 192);
    ExpectUniform(leds, kColorWheel[0], 255);
    StepBlink(state, record, kStart + 400, leds);
    EXPECT_EQ(state.phase, 0);
}

TEST(BlinkTest, FourColoursCountZeroToThree) {
    BaseEffectState state;
    state.lastBlinkTick = kStart;
    std::vector<LedEntry> leds(3);
    const LightModeRecord record = Record(4, 4, 0, 0);
    std::vector<int> phases;
    for (int toggle = 1; toggle <= 5; ++toggle) {
        StepBlinkFourColours(state, record, kStart + 200 * toggle, leds);
        phases.push_back(state.phase);
        if (state.blinkOn) {
            ExpectUniform(leds, kFourColors[state.phase], 255);
        } else {
            ExpectUniform(leds, {}, 0);
        }
    }
    EXPECT_EQ(phases, (std::vector<int>{1, 2, 3, 0, 1}));
}

TEST(BlinkTest, AClockBehindTheLastToggleStartsOverInsteadOfToggling) {
    BaseEffectState state;
    state.lastBlinkTick = kStart;
    std::vector<LedEntry> leds(1);
    StepBlink(state, Record(4, 4, 0, 0), kStart - 5000, leds);
    EXPECT_EQ(state.blinkOn, 0);
    EXPECT_EQ(state.lastBlinkTick, kStart - 5000);
}

TEST(BaseEffectsTest, OffClearsColoursAndKeepsTheSelection) {
    std::vector<LedEntry> leds(171, LedEntry{1, 2, 3, 4, 1});
    StepOff(leds);
    for (const LedEntry& led : leds) {
        EXPECT_EQ(led, (LedEntry{0, 0, 0, 0, 1}));
    }
}

// Expected level after one fade, for the three decay tables.
TEST(ReactiveKeysTest, FadeFollowsTheBandsOfTheEffect) {
    struct Case {
        int effect;
        uint8_t level;
        uint8_t expected;
    };
    const Case cases[] = {
        {0, 0, 0},     {0, 1, 0},     {0, 16, 15},  {0, 17, 9},     {0, 31, 23},   {0, 32, 17},
        {0, 63, 48},   {0, 64, 34},   {0, 127, 97}, {0, 128, 88},   {0, 255, 215}, {5, 32, 22},
        {5, 63, 53},   {5, 64, 34},   {5, 17, 9},   {29, 255, 210}, {29, 144, 99}, {29, 143, 103},
        {29, 128, 88}, {29, 112, 77}, {29, 96, 66}, {29, 80, 55},   {29, 64, 44},  {29, 63, 53},
        {29, 32, 22},  {29, 31, 26},  {29, 17, 12}, {29, 16, 15},   {29, 1, 0},    {29, 0, 0},
    };
    for (const Case& c : cases) {
        ReactiveKeys keys;
        keys.levels[42] = c.level;
        FadeReactiveKey(keys, 42, c.effect);
        EXPECT_EQ(keys.levels[42], c.expected)
            << "effect " << c.effect << " level " << int{c.level};
    }
}

TEST(ReactiveKeysTest, EveryLevelFadesToZeroWithoutUnderflow) {
    for (int effect : {0, 1, 29}) {
        for (int level = 0; level <= 255; ++level) {
            ReactiveKeys keys;
            keys.levels[169] = static_cast<uint8_t>(level);
            int previous = level;
            for (int fade = 0; fade < 300 && previous > 0; ++fade) {
                FadeReactiveKey(keys, 169, effect);
                ASSERT_LT(keys.levels[169], previous) << "effect " << effect << " from " << level;
                previous = keys.levels[169];
            }
            ASSERT_EQ(previous, 0) << "effect " << effect << " from " << level;
            FadeReactiveKey(keys, 169, effect);
            ASSERT_EQ(keys.levels[169], 0);
        }
    }
}

TEST(ReactiveKeysTest, KeysOutsideTheRangeAreIgnored) {
    ReactiveKeys keys;
    keys.levels.fill(200);
    const ReactiveKeys before = keys;
    for (int key : {-1, 170, 1000}) {
        FadeReactiveKey(keys, key, 0);
    }
    EXPECT_EQ(keys.levels, before.levels);
}

TEST(ReactiveKeysTest, MarkPressedKeysLightsTheFirstNineMarkedKeys) {
    ReactiveKeys keys;
    keys.levels[1] = 7;
    keys.ring[0] = 1;
    keys.ring[8] = 3;
    keys.ring[9] = 1;  // beyond the marked keys
    MarkPressedKeys(keys);
    EXPECT_EQ(keys.levels[0], 255);
    EXPECT_EQ(keys.levels[1], 7);
    EXPECT_EQ(keys.levels[8], 255);
    EXPECT_EQ(keys.levels[9], 0);
}

TEST(ReactiveKeysTest, RotateWaveRingMovesOnePlace) {
    ReactiveKeys keys;
    for (int i = 0; i < 23; ++i) {
        keys.ring[i] = static_cast<uint8_t>(i + 1);
    }
    const auto original = keys.ring;
    RotateWaveRing(keys, true);
    EXPECT_EQ(keys.ring[0], 23);
    EXPECT_EQ(keys.ring[1], 1);
    EXPECT_EQ(keys.ring[22], 22);
    RotateWaveRing(keys, false);
    EXPECT_EQ(keys.ring, original);
    RotateWaveRing(keys, false);
    EXPECT_EQ(keys.ring[0], 2);
    EXPECT_EQ(keys.ring[22], 1);
}

TEST(ReactiveKeysTest, ClearZeroesLevelsAndRing) {
    ReactiveKeys keys;
    keys.levels.fill(9);
    keys.ring.fill(9);
    ClearReactiveState(keys);
    EXPECT_EQ(keys.levels, decltype(keys.levels){});
    EXPECT_EQ(keys.ring, decltype(keys.ring){});
}

}  // namespace
}  // namespace halvorn::lighting
