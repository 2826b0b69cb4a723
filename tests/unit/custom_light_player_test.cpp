// The custom light list player and the per-light modes every device runs.

#include "models/lighting/custom_light_player.h"

#include <gtest/gtest.h>

#include <vector>

#include "models/lighting/light_tables.h"

namespace halvorn::lighting {
namespace {

constexpr uint64_t kStart = 1'000'000;
constexpr LedEntry kUntouched{1, 2, 3, 4, 0};

CustomLightEntry Entry(uint8_t type, uint8_t speed, uint8_t multiColor = 0, uint8_t direction = 0,
                       uint32_t durationMs = 1000) {
    CustomLightEntry entry;
    entry.type = type;
    entry.brightness = 4;
    entry.speed = speed;
    entry.direction = direction;
    entry.multiColor = multiColor;
    entry.red = 200;
    entry.green = 100;
    entry.blue = 50;
    entry.durationMs = durationMs;
    return entry;
}

Rgb ColourOf(const LedEntry& led) { return {led.red, led.green, led.blue}; }

void ExpectUniform(const std::vector<LedEntry>& leds, Rgb colour, uint8_t brightness) {
    for (std::size_t i = 0; i < leds.size(); ++i) {
        ASSERT_EQ(ColourOf(leds[i]), colour) << "entry " << i;
        ASSERT_EQ(leds[i].brightness, brightness) << "entry " << i;
    }
}

// Renders `passes` passes of `entry`, one millisecond apart.
void Play(CustomLightPlayer& player, const CustomLightEntry& entry, int passes,
          std::vector<LedEntry>& leds, int deviceSpeed = 0) {
    for (int pass = 0; pass < passes; ++pass) {
        player.Render(entry, deviceSpeed, kStart + pass, leds);
    }
}

TEST(CustomLightEntriesTest, ConvertsProfileStepsInOrder) {
    const std::vector<LightEffectStep> steps = {
        {5, 3, 2, 1, 1, 10, 20, 30, 2500, 7},
        {0, 1, 4, 0, 0, 1, 2, 3, -40, 0},
    };
    const std::vector<CustomLightEntry> entries = CustomLightEntries(steps);
    ASSERT_EQ(entries.size(), 2u);
    CustomLightEntry first;
    first.type = 5;
    first.brightness = 3;
    first.speed = 2;
    first.direction = 1;
    first.multiColor = 1;
    first.red = 10;
    first.green = 20;
    first.blue = 30;
    first.durationMs = 2500;
    EXPECT_EQ(entries[0], first);
    EXPECT_EQ(entries[1].type, 0);
    EXPECT_EQ(entries[1].speed, 4);
    EXPECT_EQ(entries[1].durationMs, 0u) << "a negative time must not become ~49 days";
    EXPECT_TRUE(CustomLightEntries({}).empty());
}

TEST(CustomLightPlayerTest, EmptyListHasNoEntry) {
    CustomLightPlayer player;
    EXPECT_FALSE(player.Current({}).has_value());
    EXPECT_EQ(player.Position(), 0u);
}

TEST(CustomLightPlayerTest, AdvancesAfterTheDurationAndWrapsAtTheEnd) {
    const std::vector<CustomLightEntry> list = {Entry(1, 4, 0, 0, 100), Entry(5, 4, 0, 0, 50)};
    CustomLightPlayer player;
    std::vector<LedEntry> leds(3);

    EXPECT_FALSE(player.Expired(list[0], kStart)) << "nothing plays before the first pass";
    player.Render(*player.Current(list), 0, kStart, leds);
    EXPECT_FALSE(player.Expired(list[0], kStart + 100));
    EXPECT_TRUE(player.Expired(list[0], kStart + 101));

    player.Advance(kStart + 101);
    EXPECT_EQ(player.Current(list), list[1]);
    EXPECT_FALSE(player.Expired(list[1], kStart + 151));
    EXPECT_TRUE(player.Expired(list[1], kStart + 152));

    player.Advance(kStart + 152);
    EXPECT_EQ(player.Current(list), list[0]);
    EXPECT_EQ(player.Position(), 0u);
}

TEST(CustomLightPlayerTest, ListShrinkingUnderThePositionStartsOver) {
    const std::vector<CustomLightEntry> list = {Entry(1, 0), Entry(2, 0), Entry(5, 0)};
    CustomLightPlayer player;
    player.Current(list);
    player.Advance(kStart);
    player.Advance(kStart);
    EXPECT_EQ(player.Current(list), list[2]);
    EXPECT_EQ(player.Current(std::span(list).first(1)), list[0]);
    EXPECT_FALSE(player.Current({}).has_value());
    EXPECT_EQ(player.Position(), 0u);
}

TEST(CustomLightPlayerTest, EachTypeStepsAtThePeriodOfItsSpeed) {
    struct Case {
        uint8_t type;
        uint8_t speed;
        int period;
    };
    const Case cases[] = {
        {0, 0, 8},  {0, 1, 6}, {0, 2, 4}, {0, 3, 2}, {0, 4, 1}, {0, 9, 1},
        {1, 0, 8},  {1, 2, 4}, {1, 4, 1}, {4, 0, 8}, {4, 3, 2}, {4, 4, 1},
        {5, 0, 10}, {5, 1, 8}, {5, 2, 5}, {5, 3, 3}, {5, 4, 1}, {5, 200, 1},
    };
    for (const Case& c : cases) {
        CustomLightPlayer player;
        std::vector<LedEntry> leds(5, kUntouched);
        const CustomLightEntry entry = Entry(c.type, c.speed);
        Play(player, entry, c.period - 1, leds);
        EXPECT_EQ(leds[0], kUntouched) << "type " << int{c.type} << " speed " << int{c.speed};
        Play(player, entry, 1, leds);
        EXPECT_NE(leds[0], kUntouched) << "type " << int{c.type} << " speed " << int{c.speed};
        // The counter restarts: the next step is a whole period away.
        leds.assign(5, kUntouched);
        Play(player, entry, c.period - 1, leds);
        EXPECT_EQ(leds[0], kUntouched) << "type " << int{c.type} << " speed " << int{c.speed};
    }
}

TEST(CustomLightPlayerTest, BreathingFollowsThePulseCurveInTheEntryColour) {
    CustomLightPlayer player;
    std::vector<LedEntry> leds(170);
    CustomLightEntry entry = Entry(0, 4);
    Play(player, entry, 1, leds);
    ExpectUniform(leds, {200, 100, 50}, Scale(kPulseCurve[1], 255));
    Play(player, entry, 63, leds);
    ExpectUniform(leds, {200, 100, 50}, 254);

    entry.brightness = 1;
    Play(player, entry, 1, leds);
    ExpectUniform(leds, {200, 100, 50}, Scale(kPulseCurve[65], 80));
}

TEST(CustomLightPlayerTest, BreathingColourCycleMovesOnEachBreath) {
    CustomLightPlayer player;
    std::vector<LedEntry> leds(4);
    const CustomLightEntry entry = Entry(0, 4, 1);
    Play(player, entry, 1, leds);
    EXPECT_EQ(ColourOf(leds[0]), kColorWheel[0]);
    Play(player, entry, 127, leds);  // the phase is back at 0
    EXPECT_EQ(ColourOf(leds[0]), kColorWheel[16]);
}

TEST(CustomLightPlayerTest, StaticShowsTheEntryColourAtItsLevel) {
    CustomLightPlayer player;
    std::vector<LedEntry> leds(9);
    CustomLightEntry entry = Entry(1, 4);
    entry.brightness = 2;
    Play(player, entry, 1, leds);
    ExpectUniform(leds, {200, 100, 50}, 135);
}

TEST(CustomLightPlayerTest, FlashFlipsAtTheDeviceSpeedInterval) {
    CustomLightPlayer player;
    std::vector<LedEntry> leds(6);
    const CustomLightEntry entry = Entry(2, 0);  // the entry's own speed is not the interval
    player.Render(entry, 4, kStart, leds);
    ExpectUniform(leds, {200, 100, 50}, 255);
    player.Render(entry, 4, kStart + 199, leds);
    ExpectUniform(leds, {200, 100, 50}, 255);
    player.Render(entry, 4, kStart + 200, leds);
    ExpectUniform(leds, {}, 0);
    player.Render(entry, 4, kStart + 399, leds);
    ExpectUniform(leds, {}, 0);
    player.Render(entry, 4, kStart + 400, leds);
    ExpectUniform(leds, {200, 100, 50}, 255);

    // At device speed 0 the interval is 1600 ms.
    player.Render(entry, 0, kStart + 1999, leds);
    ExpectUniform(leds, {200, 100, 50}, 255);
    player.Render(entry, 0, kStart + 2000, leds);
    ExpectUniform(leds, {}, 0);
}

TEST(CustomLightPlayerTest, FlashColourCycleTakesTheHueFromThePhase) {
    CustomLightPlayer player;
    std::vector<LedEntry> leds(2);
    const CustomLightEntry entry = Entry(2, 0, 1);
    for (int pass = 0; pass < 5; ++pass) {
        player.Render(entry, 4, kStart + pass, leds);  // phase 5
    }
    player.Render(entry, 4, kStart + 200, leds);  // off, phase 6
    player.Render(entry, 4, kStart + 400, leds);  // on, phase 7
    ExpectUniform(leds, kColorWheel[7 + 14], 255);
}

TEST(CustomLightPlayerTest, WaveSpreadsTheWheelTwelveEntriesPerLight) {
    struct Case {
        uint8_t direction;
        int steps;  // the phase after them
        int start;
    };
    const Case cases[] = {{0, 1, 2},   {0, 191, 0},  {0, 192, 1},
                          {1, 1, 191}, {1, 100, 92}, {1, 192, 191}};
    for (const Case& c : cases) {
        CustomLightPlayer player;
        std::vector<LedEntry> leds(170);
        Play(player, Entry(4, 4, 1, c.direction), c.steps, leds);
        for (int i = 0; i < 170; ++i) {
            ASSERT_EQ(ColourOf(leds[i]), kColorWheel[(c.start + 12 * i) % 192])
                << "direction " << int{c.direction} << " steps " << c.steps << " light " << i;
            ASSERT_EQ(leds[i].brightness, 255);
        }
    }
}

TEST(CustomLightPlayerTest, SingleColourWaveTakesLevelsFromTheWaveCurve) {
    CustomLightPlayer player;
    std::vector<LedEntry> leds(170);
    CustomLightEntry entry = Entry(4, 4, 0, 0);
    entry.brightness = 3;
    Play(player, entry, 1, leds);  // start 2
    for (int i = 0; i < 170; ++i) {
        ASSERT_EQ(ColourOf(leds[i]), (Rgb{200, 100, 50}));
        ASSERT_EQ(leds[i].brightness, Scale(kWaveCurve[(2 + 12 * (i + 1)) % 96], 195)) << i;
    }
}

TEST(CustomLightPlayerTest, ColourWheelShowsTheWheelAtThePhase) {
    CustomLightPlayer player;
    std::vector<LedEntry> leds(3);
    const CustomLightEntry entry = Entry(5, 4);
    Play(player, entry, 1, leds);
    ExpectUniform(leds, kColorWheel[1], 255);
    Play(player, entry, 191, leds);
    ExpectUniform(leds, kColorWheel[0], 255);
}

TEST(CustomLightPlayerTest, TypeThreeAndUnknownTypesLeaveTheLightsAlone) {
    for (uint8_t type : {3, 6, 255}) {
        CustomLightPlayer player;
        std::vector<LedEntry> leds(4, kUntouched);
        Play(player, Entry(type, 4, 1), 300, leds);
        ExpectUniform(leds, ColourOf(kUntouched), kUntouched.brightness);
    }
}

TEST(CustomLightPlayerTest, ResetStartsTheListOver) {
    const std::vector<CustomLightEntry> list = {Entry(1, 4, 0, 0, 10), Entry(1, 4, 0, 0, 10)};
    CustomLightPlayer player;
    std::vector<LedEntry> leds(1);
    player.Render(list[0], 0, kStart, leds);
    player.Advance(kStart + 20);
    player.Reset();
    EXPECT_EQ(player.Position(), 0u);
    EXPECT_FALSE(player.Expired(list[0], kStart + 1000));
}

// Per-light modes.

LightModeRecord LightRecord(uint8_t mode, uint8_t speed, uint8_t active = 1,
                            uint8_t multiColor = 0) {
    LightModeRecord record;
    record.selectItem = mode;
    record.light = 4;
    record.speed = speed;
    record.multiColor = multiColor;
    record.red = 9;
    record.green = 8;
    record.blue = 7;
    record.valid = active;
    return record;
}

TEST(PerLightModesTest, ResetSetsThePeriodsFromTheSpeedLevels) {
    const std::vector<LightModeRecord> records = {LightRecord(0, 0), LightRecord(3, 2),
                                                  LightRecord(2, 4, 0), LightRecord(1, 7)};
    PerLightModes modes;
    modes.Reset(records, kStart);
    const auto states = modes.States();
    ASSERT_EQ(states.size(), 4u);
    const uint32_t flips[] = {1600, 800, 200, 200};
    const uint8_t counters[] = {8, 4, 0, 1};  // inactive lights have no counter period
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(states[i].flipPeriodMs, flips[i]) << i;
        EXPECT_EQ(states[i].counterPeriod, counters[i]) << i;
        EXPECT_EQ(states[i].lastFlip, kStart) << i;
        EXPECT_EQ(states[i].phase, 0);
        EXPECT_EQ(states[i].on, 0);
    }

    modes.Reset(std::vector<LightModeRecord>(300), kStart);
    EXPECT_EQ(modes.States().size(), 170u);
}

TEST(PerLightModesTest, BreathingGrowsBySpeedPlusFourAndMovesTheHue) {
    const std::vector<LightModeRecord> records = {LightRecord(0, 4, 1, 1), LightRecord(0, 0),
                                                  LightRecord(0, 0, 0)};
    PerLightModes modes;
    modes.Reset(records, kStart);
    std::vector<LedEntry> leds(3, kUntouched);
    modes.Pass(records, kStart, leds);
    EXPECT_EQ(modes.States()[0].phase, 8);
    EXPECT_EQ(leds[0], (LedEntry{kColorWheel[0].red, kColorWheel[0].green, kColorWheel[0].blue,
                                 Scale(kPulseCurve[8], 255), 0}));
    EXPECT_EQ(modes.States()[1].phase, 4);
    EXPECT_EQ(leds[1], (LedEntry{9, 8, 7, Scale(kPulseCurve[4], 255), 0}));
    EXPECT_EQ(leds[2], kUntouched) << "an inactive breathing light is left alone";

    for (int pass = 1; pass < 16; ++pass) {
        modes.Pass(records, kStart, leds);
    }
    EXPECT_EQ(modes.States()[0].phase, 0);
    EXPECT_EQ(modes.States()[0].hue, 1);
    EXPECT_EQ(ColourOf(leds[0]), kColorWheel[1]);
}

TEST(PerLightModesTest, ColourWheelStepsAtItsCounterPeriodAndWraps) {
    const std::vector<LightModeRecord> records = {LightRecord(3, 2), LightRecord(3, 2, 0)};
    PerLightModes modes;
    modes.Reset(records, kStart);
    std::vector<LedEntry> leds(2, kUntouched);
    for (int pass = 0; pass < 3; ++pass) {
        modes.Pass(records, kStart, leds);
    }
    EXPECT_EQ(modes.States()[0].hue, 0);
    EXPECT_EQ(leds[0],
              (LedEntry{kColorWheel[0].red, kColorWheel[0].green, kColorWheel[0].blue, 255, 0}));
    modes.Pass(records, kStart, leds);
    EXPECT_EQ(modes.States()[0].hue, 1);
    EXPECT_EQ(ColourOf(leds[0]), kColorWheel[1]);
    EXPECT_EQ(leds[1], kUntouched);

    for (int pass = 0; pass < 4 * 191; ++pass) {
        modes.Pass(records, kStart, leds);
    }
    EXPECT_EQ(modes.States()[0].hue, 0) << "after 191 the hue wraps to 0";
}

TEST(PerLightModesTest, FlipTimersRunForEveryModeAndFlashShowsThem) {
    std::vector<LightModeRecord> records = {LightRecord(2, 4, 1, 1), LightRecord(1, 4),
                                            LightRecord(4, 4)};
    PerLightModes modes;
    modes.Reset(records, kStart);
    std::vector<LedEntry> leds(3, kUntouched);

    modes.Pass(records, kStart + 199, leds);
    EXPECT_EQ(leds[0], (LedEntry{0, 0, 0, 0, 0}));
    EXPECT_EQ(leds[1], (LedEntry{9, 8, 7, 255, 0}));
    EXPECT_EQ(leds[2], (LedEntry{0, 0, 0, 0, 0}));

    modes.Pass(records, kStart + 200, leds);
    for (const PerLightState& state : modes.States()) {
        EXPECT_EQ(state.on, 1);
        EXPECT_EQ(state.flashHue, 14);
        EXPECT_EQ(state.lastFlip, kStart + 200);
    }
    EXPECT_EQ(ColourOf(leds[0]), kColorWheel[14]);
    EXPECT_EQ(leds[0].brightness, 255);

    // The static light switched to flash is already on, in its record colour.
    records[1].selectItem = 2;
    modes.Pass(records, kStart + 201, leds);
    EXPECT_EQ(leds[1], (LedEntry{9, 8, 7, 255, 0}));

    for (int flip = 2; flip <= 13; ++flip) {
        modes.Pass(records, kStart + 200 * flip, leds);
    }
    EXPECT_EQ(modes.States()[0].flashHue, 182);
    modes.Pass(records, kStart + 200 * 14, leds);
    EXPECT_EQ(modes.States()[0].flashHue, 0) << "above 191 the flash hue wraps to 0";
}

TEST(PerLightModesTest, PassTouchesOnlyLightsItHasStateAndRecordsFor) {
    const std::vector<LightModeRecord> records(2, LightRecord(4, 0));
    PerLightModes modes;
    std::vector<LedEntry> leds(4, kUntouched);
    modes.Pass(records, kStart, leds);  // before any Reset
    EXPECT_EQ(leds[0], kUntouched);

    modes.Reset(records, kStart);
    modes.Pass(records, kStart, leds);
    EXPECT_EQ(leds[0], (LedEntry{0, 0, 0, 0, 0}));
    EXPECT_EQ(leds[1], (LedEntry{0, 0, 0, 0, 0}));
    EXPECT_EQ(leds[2], kUntouched);

    std::vector<LedEntry> fewer(1, kUntouched);
    modes.Pass(records, kStart, fewer);
    EXPECT_EQ(fewer[0], (LedEntry{0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace halvorn::lighting
