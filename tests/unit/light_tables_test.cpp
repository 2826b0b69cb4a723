// The constant lighting tables: the values the effects and the preview rely
// on, and the clamping of levels read from profiles.

#include "models/lighting/light_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace halvorn::lighting {
namespace {

TEST(ColorWheelTest, HitsTheAnchorColours) {
    struct Anchor {
        int index;
        Rgb colour;
    };
    const Anchor anchors[] = {
        {0, {255, 1, 0}},    {16, {255, 81, 0}}, {32, {248, 255, 0}},  {64, {0, 255, 1}},
        {96, {0, 248, 255}}, {128, {1, 0, 255}}, {160, {255, 0, 248}}, {192, {255, 1, 0}},
    };
    for (const Anchor& anchor : anchors) {
        EXPECT_EQ(kColorWheel[anchor.index], anchor.colour) << "entry " << anchor.index;
    }
}

// Each segment moves one channel while the others hold: one channel at 255,
// one at 0, and no jump larger than a fraction of the range between neighbours.
TEST(ColorWheelTest, RunsSmoothlyAroundTheCircle) {
    for (int i = 0; i < kWheelSize; ++i) {
        const Rgb a = kColorWheel[i];
        const Rgb b = kColorWheel[i + 1];
        const int full = (a.red == 255) + (a.green == 255) + (a.blue == 255);
        const int dark = (a.red == 0) + (a.green == 0) + (a.blue == 0);
        EXPECT_GE(full, 1) << "entry " << i;
        EXPECT_GE(dark, 1) << "entry " << i;
        const int jump = std::max(
            {std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue)});
        EXPECT_LE(jump, 16) << "entries " << i << " and " << i + 1;
    }
}

TEST(ColorWheelTest, WheelColorWrapsBothWays) {
    EXPECT_EQ(WheelColor(192), kColorWheel[0]);
    EXPECT_EQ(WheelColor(192 + 16), kColorWheel[16]);
    EXPECT_EQ(WheelColor(-1), kColorWheel[191]);
    EXPECT_EQ(WheelColor(-192 * 3 - 64), kColorWheel[128]);
    EXPECT_EQ(WheelColor(1000), kColorWheel[1000 % 192]);
}

TEST(PulseCurveTest, RisesToPeakAndFallsSymmetrically) {
    EXPECT_EQ(kPulseCurve[0], 0);
    EXPECT_EQ(kPulseCurve[10], 10);
    EXPECT_EQ(kPulseCurve[11], 12);
    EXPECT_EQ(kPulseCurve[33], 81);
    EXPECT_EQ(kPulseCurve[63], 255);
    EXPECT_EQ(kPulseCurve[64], 255);
    EXPECT_EQ(kPulseCurve[127], 0);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(kPulseCurve[i], kPulseCurve[127 - i]) << i;
        if (i > 0) {
            EXPECT_GT(kPulseCurve[i], kPulseCurve[i - 1]) << i;
        }
    }
}

TEST(PulseCurveTest, WaveCurveIsTheMiddleOfThePulse) {
    EXPECT_EQ(kWaveCurve.front(), 22);
    EXPECT_EQ(kWaveCurve.back(), 22);
    EXPECT_TRUE(std::equal(kWaveCurve.begin(), kWaveCurve.end(), kPulseCurve.begin() + 16));
}

TEST(RampTest, RampsRunFromFullDown) {
    EXPECT_EQ(kFirstRamp.front(), 255);
    EXPECT_EQ(kFirstRamp[14], 80);
    EXPECT_EQ(kFirstRamp.back(), 10);
    EXPECT_EQ(kSecondRamp[14], 73);
    EXPECT_EQ(kSecondRamp.back(), 0);
    EXPECT_TRUE(std::is_sorted(kFirstRamp.rbegin(), kFirstRamp.rend()));
    EXPECT_TRUE(std::is_sorted(kSecondRamp.rbegin(), kSecondRamp.rend()));
}

TEST(LevelTablesTest, LevelsMapAndClamp) {
    struct Case {
        int level;
        uint8_t multiplier;
        int period;
    };
    const Case cases[] = {
        {0, 0, 8},   {1, 80, 6},  {2, 135, 4},   {3, 195, 2},
        {4, 255, 1}, {5, 255, 1}, {255, 255, 1}, {-1, 0, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BrightnessMultiplier(c.level), c.multiplier) << "level " << c.level;
        EXPECT_EQ(SlowPeriod(c.level), c.period) << "level " << c.level;
        EXPECT_EQ(BlinkIntervalMs(c.level), c.period * 200) << "level " << c.level;
    }
    EXPECT_EQ(BlinkIntervalMs(0), 1600);
    EXPECT_EQ(BlinkIntervalMs(4), 200);
}

TEST(LightGridTest, HoldsTheListedColumns) {
    using Column = std::array<uint8_t, kGridRows>;
    EXPECT_EQ(kLightGrid[0], (Column{kNoKey, kNoKey, kNoKey, kNoKey, 84, 105}));
    EXPECT_EQ(kLightGrid[10], (Column{7, 30, 51, 72, 93, 109}));
    EXPECT_EQ(kLightGrid[15], (Column{12, 34, 55, kNoKey, 95, 112}));
    EXPECT_EQ(kLightGrid[22], (Column{58, 41, kNoKey, 119, 118, kNoKey}));
    for (const Column& column : kLightGrid) {
        for (uint8_t key : column) {
            EXPECT_TRUE(key < kAssignableKeyCount || key == kNoKey) << int{key};
        }
    }
}

TEST(RingTableTest, RingsSpreadFromTheCentreWithoutRepeats) {
    const int expectedSizes[kRingCount] = {1, 6, 10, 11, 12, 9, 10, 9, 10, 12, 10, 4};
    std::set<int> seen;
    for (int ring = 0; ring < kRingCount; ++ring) {
        int size = 0;
        bool ended = false;
        for (uint8_t key : kRingTable[ring]) {
            if (key == kNoKey) {
                ended = true;
                continue;
            }
            EXPECT_FALSE(ended) << "gap inside ring " << ring;
            EXPECT_TRUE(seen.insert(key).second) << "key " << int{key} << " twice";
            ++size;
        }
        EXPECT_EQ(size, expectedSizes[ring]) << "ring " << ring;
    }
    EXPECT_EQ(kRingTable[0][0], 51);
    EXPECT_EQ(kRingTable[11][3], 58);
    EXPECT_EQ(kRingTable[9][11], 102);
}

}  // namespace
}  // namespace halvorn::lighting
