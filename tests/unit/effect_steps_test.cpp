#include "models/lighting/effect_steps.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "models/lighting/base_effects.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"
#include "tests/support/wave_marks.h"

namespace halvorn::lighting {
namespace {

using Leds = std::array<LedEntry, kKeyLightCount>;

EffectContext Context(int light = 4, int multiColor = 1, int fx = 1) {
    EffectContext context;
    context.record.light = static_cast<uint8_t>(light);
    context.record.speed = 4;
    context.record.fx = static_cast<uint8_t>(fx);
    context.record.multiColor = static_cast<uint8_t>(multiColor);
    context.record.red = 200;
    context.record.green = 100;
    context.record.blue = 50;
    return context;
}

// The column of every key that sits in exactly one grid cell.
std::vector<std::pair<int, int>> SingleCellKeys() {
    std::array<int, kKeyLightCount> cells{};
    std::array<int, kKeyLightCount> column{};
    for (int c = 0; c < kGridColumns; ++c) {
        for (int r = 0; r < kGridRows; ++r) {
            const int key = kLightGrid[c][r];
            if (key != kNoKey) {
                ++cells[key];
                column[key] = c;
            }
        }
    }
    std::vector<std::pair<int, int>> keys;
    for (int key = 0; key < kKeyLightCount; ++key) {
        if (cells[key] == 1) {
            keys.emplace_back(key, column[key]);
        }
    }
    return keys;
}

using testing::Marks;

// ---- initialisers ----

TEST(InitialiseEffect, OtherEffectsTakeColoursFromTheRunningSum) {
    EffectState state;
    InitialiseEffect(state, 1);
    const std::array<uint8_t, 9> expected{0, 33, 66, 99, 132, 165, 6, 39, 72};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(state.colorIndex[i], expected[i]) << i;
    }
    for (uint8_t index : state.colorIndex) {
        EXPECT_LE(index, kWheelSize);
    }
}

TEST(InitialiseEffect, ClearsTheStateButKeepsTheMusicInputs) {
    EffectState state;
    state.level.fill(9);
    state.mark.fill(1);
    state.neighbour.fill(3);
    state.phase = 4;
    state.phase2 = 5;
    state.planes[2][7] = 0x11;
    state.base.phase = 8;
    state.spectrum[3] = 1234;
    state.colorInput[1] = 77;
    InitialiseEffect(state, 10);
    EXPECT_EQ(state.level, decltype(state.level){});
    EXPECT_EQ(state.mark, decltype(state.mark){});
    EXPECT_EQ(state.neighbour, decltype(state.neighbour){});
    EXPECT_EQ(state.phase, 0);
    EXPECT_EQ(state.phase2, 0);
    EXPECT_TRUE(PlanesEmpty(state.planes));
    EXPECT_EQ(state.base, BaseEffectState{});
    EXPECT_EQ(state.spectrum[3], 1234);
    EXPECT_EQ(state.colorInput[1], 77);
}

TEST(InitialiseEffect, RipplesSeedTheirColumn) {
    struct Case {
        int effect;
        int column;
        uint8_t bits;
    };
    for (const Case c : {Case{14, 9, 0x40}, Case{22, 1, 0x01}}) {
        EffectState state;
        InitialiseEffect(state, c.effect);
        for (int plane = 0; plane < 4; ++plane) {
            EXPECT_EQ(Marks(state.planes, plane),
                      (std::set<std::pair<int, int>>{{c.column, std::countr_zero(c.bits)}}))
                << "effect " << c.effect << " plane " << plane;
        }
    }
}

TEST(InitialiseEffect, TwinkleTakesItsColumnsLevelAndColour) {
    EffectState state;
    InitialiseEffect(state, 15);
    std::array<int, kGridColumns> columnLevel;
    columnLevel.fill(-1);
    for (const auto& [key, column] : SingleCellKeys()) {
        EXPECT_EQ(state.colorIndex[key], column * 7) << key;
        EXPECT_LT(state.level[key], kWheelSize) << key;
        EXPECT_EQ(state.level[key] % 2, 0) << key;
        if (columnLevel[column] < 0) {
            columnLevel[column] = state.level[key];
        }
        EXPECT_EQ(state.level[key], columnLevel[column]) << key;
    }
    EXPECT_GT(std::set<int>(columnLevel.begin(), columnLevel.end()).size(), 10u);
}

TEST(InitialiseEffect, BreathingWaveStaggersThePhases) {
    EffectState state;
    InitialiseEffect(state, 18);
    for (int key = 0; key < kKeyLightCount; ++key) {
        EXPECT_EQ(state.level[key], key < kAssignableKeyCount ? key * 7 % 112 : 0) << key;
    }
}

TEST(InitialiseEffect, AuroraStepsTheColourBackPerRow) {
    EffectState state;
    InitialiseEffect(state, 20);
    struct Cell {
        int key;
        int colour;
        int level;
    };
    // Column 0: 192 - 35 per row. Column 22 starts at 16 and wraps by 63.
    const std::vector<Cell> cells = {
        {84, 52, 0},    {105, 17, 0},  {58, 16, 132},     {41, 44, 132},
        {119, 37, 132}, {118, 2, 132}, {0, 192 - 16, 12},  // column 2, row 0
    };
    for (const Cell& cell : cells) {
        EXPECT_EQ(state.colorIndex[cell.key], cell.colour) << cell.key;
        EXPECT_EQ(state.level[cell.key], cell.level) << cell.key;
    }
}

// ---- wave planes ----

TEST(WavePlanes, AMarkMovesDiagonallyOneColumnPerAdvance) {
    struct Direction {
        int plane;
        int dColumn;
        int dRow;
    };
    const std::array<Direction, 4> directions{{{0, -1, -1}, {1, -1, +1}, {2, +1, -1}, {3, +1, +1}}};
    WavePlanes planes{};
    MarkCellInPlanes(planes, 10, 2);
    for (int advance = 1; advance <= 2; ++advance) {
        AdvanceWavePlanes(planes);
        for (const Direction& d : directions) {
            EXPECT_EQ(
                Marks(planes, d.plane),
                (std::set<std::pair<int, int>>{{10 + advance * d.dColumn, 2 + advance * d.dRow}}))
                << "plane " << d.plane << " advance " << advance;
        }
    }
    // Up runs out past the top row, down past the top bit of the byte.
    for (int advance = 3; advance <= 11; ++advance) {
        AdvanceWavePlanes(planes);
    }
    EXPECT_TRUE(PlanesEmpty(planes));
}

TEST(WavePlanes, MarkingAKeySetsEveryCellOfIt) {
    WavePlanes planes{};
    MarkKeyInPlanes(planes, 34);  // columns 14 and 15 of row 1
    for (int plane = 0; plane < 4; ++plane) {
        EXPECT_EQ(Marks(planes, plane), (std::set<std::pair<int, int>>{{14, 1}, {15, 1}}));
    }
    ClearWavePlanes(planes);
    EXPECT_TRUE(PlanesEmpty(planes));
}

TEST(WavePlanes, ApplyLightsMarkedKeysAndFadesTheRest) {
    EffectState state;
    state.level[50] = 255;
    state.colorIndex[50] = 3;
    state.planes[1][14] = 0x02;  // key 34, in one of its two cells
    state.planes[0][10] = 0x04;  // key 51
    ApplyWavePlanes(state, true);
    EXPECT_EQ(state.level[34], 255);
    EXPECT_EQ(state.level[51], 255);
    EXPECT_LT(state.colorIndex[51], kWheelSize);
    EXPECT_EQ(state.level[50], FallBack(255));
    EXPECT_EQ(state.colorIndex[50], 3);
}

TEST(WavePlanes, FallBackIsFastHighAndSlowNearZero) {
    EXPECT_EQ(FallBack(0), 0);
    EXPECT_EQ(FallBack(10), 9);
    EXPECT_GE(255 - FallBack(255), 30);
    int level = 255;
    int frames = 0;
    while (level > 0) {
        const int next = FallBack(static_cast<uint8_t>(level));
        ASSERT_LT(next, level);
        level = next;
        ++frames;
    }
    EXPECT_LT(frames, 40);
}

// ---- steps ----

TEST(Steps, ColumnWavesSpaceTheColumns) {
    struct Case {
        int effect;
        int multiColor;
        int gap;
    };
    const std::vector<Case> cases = {{1, 1, 7}, {1, 0, 7}, {2, 1, 22}, {2, 0, 25}};
    for (const Case& c : cases) {
        EffectState state;
        InitialiseEffect(state, c.effect);
        const EffectContext context = Context(4, c.multiColor);
        Leds leds{};
        for (int frame = 0; frame < 5; ++frame) {
            FindEffectStep(c.effect)(state, context, leds);
        }
        EXPECT_EQ(state.phase, 5);
        for (const auto& [key, column] : SingleCellKeys()) {
            const LedEntry& led = leds[key];
            if (c.multiColor) {
                ASSERT_EQ(Rgb(led.red, led.green, led.blue), WheelColor(5 + c.gap * column))
                    << c.effect << " key " << key;
                ASSERT_EQ(led.brightness, 255);
            } else {
                ASSERT_EQ(led.brightness, Scale(kWaveCurve[(5 + c.gap * column) % 96], 255))
                    << c.effect << " key " << key;
                ASSERT_EQ(Rgb(led.red, led.green, led.blue), Rgb(200, 100, 50));
            }
        }
    }
}

TEST(Steps, GradientFollowsTheSecondRamp) {
    EffectState state;
    Leds leds{};
    steps::Gradient(state, Context(3, 0), leds);
    EXPECT_EQ(leds[84].brightness, Scale(kSecondRamp[0], 195));   // column 0
    EXPECT_EQ(leds[51].brightness, Scale(kSecondRamp[10], 195));  // column 10
    EXPECT_EQ(leds[58].brightness, Scale(kSecondRamp[22], 195));  // column 22
    EXPECT_EQ(leds[150].brightness, 0);                           // off the grid
}

TEST(Steps, ThemeColourByDirection) {
    const std::vector<std::pair<int, int>> cases = {{1, 25}, {2, 70}, {3, 95}, {0, 174}, {9, 174}};
    for (const auto& [fx, entry] : cases) {
        EffectState state;
        Leds leds{};
        steps::ThemeColour(state, Context(4, 1, fx), leds);
        for (const LedEntry& led : leds) {
            ASSERT_EQ(Rgb(led.red, led.green, led.blue), WheelColor(entry)) << fx;
            ASSERT_EQ(led.brightness, 255);
        }
    }
}

TEST(Steps, RunningKeyMovesOneKeyAtATime) {
    EffectState state;
    InitialiseEffect(state, 24);
    Leds leds{};
    std::set<int> visited;
    for (int frame = 0; frame < 104; ++frame) {
        steps::RunningKey(state, Context(), leds);
        int full = 0;
        for (int key = 0; key < kKeyLightCount; ++key) {
            if (state.level[key] == 255) {
                ++full;
                visited.insert(key);
            }
        }
        ASSERT_EQ(full, 1) << frame;
    }
    EXPECT_EQ(visited.size(), 104u);  // every key of the grid once
}

TEST(Steps, StarryLightsSixKeysAtMost) {
    EffectState state;
    InitialiseEffect(state, 17);
    Leds leds{};
    for (int frame = 0; frame < 20; ++frame) {
        steps::Starry(state, Context(), leds);
        int full = 0;
        for (uint8_t level : state.level) {
            full += level == 255;
        }
        ASSERT_GE(full, 1);
        ASSERT_LE(full, 6);
    }
}

TEST(Steps, RipplesRepeat) {
    for (int effect : {14, 22}) {
        EffectState state;
        InitialiseEffect(state, effect);
        Leds leds{};
        int litFrames = 0;
        for (int frame = 0; frame < 200; ++frame) {
            FindEffectStep(effect)(state, Context(), leds);
            ASSERT_FALSE(PlanesEmpty(state.planes)) << effect << " frame " << frame;
            bool lit = false;
            for (uint8_t level : state.level) {
                lit = lit || level == 255;
            }
            litFrames += lit;
        }
        EXPECT_GT(litFrames, 100) << effect;
    }
}

TEST(Steps, BaseEffectsAreTheBaseSteps) {
    using Base = void (*)(BaseEffectState&, const LightModeRecord&, uint64_t, LedSpan);
    const std::vector<std::pair<int, Base>> cases = {{23, StepBlink},
                                                     {26, StepBreathingFourColours},
                                                     {27, StepBlinkFourColours},
                                                     {40, StepSpectrum}};
    for (const auto& [effect, base] : cases) {
        EffectState state;
        BaseEffectState reference;
        Leds leds{};
        Leds expected{};
        EffectContext context = Context();
        for (int frame = 0; frame < 50; ++frame) {
            context.nowMs = 1000 + 97 * static_cast<uint64_t>(frame);
            FindEffectStep(effect)(state, context, leds);
            base(reference, context.record, context.nowMs, expected);
            ASSERT_EQ(leds, expected) << effect << " frame " << frame;
        }
    }
    Leds leds;
    leds.fill({1, 2, 3, 4, 0});
    EffectState state;
    steps::Off(state, Context(), leds);
    EXPECT_EQ(leds, Leds{});
}

struct RunConfig {
    int light;
    int multiColor;
    int fx;
    std::size_t size;
};

// Every brightness, colour and direction choice on the full span; the short
// spans once.
const std::vector<RunConfig> kRunConfigs = {
    {0, 0, 0, kKeyLightCount},
    {0, 0, 1, kKeyLightCount},
    {0, 1, 0, kKeyLightCount},
    {0, 1, 1, kKeyLightCount},
    {4, 0, 0, kKeyLightCount},
    {4, 0, 1, kKeyLightCount},
    {4, 1, 0, kKeyLightCount},
    {4, 1, 1, kKeyLightCount},
    {4, 1, 1, 40},
    {0, 1, 1, 40},
    {4, 1, 1, 0},
};

// Every effect with a step, many frames, key presses and music fed in:
// nothing written past the span, the selected flags untouched, colour indices
// on the wheel, marks meaningful, and with brightness level 0 nothing lights.
TEST(Steps, EveryEffectStaysInRange) {
    constexpr int kGuard = 8;
    constexpr LedEntry kGuardEntry{0xA5, 0x5A, 0xC3, 0x3C, 0x77};
    const std::array<int32_t, kSpectrumBands> bands{
        100,  900,  1500, 2000, 400,  50,   700,  1200, 1800, 300,  0,   600, 1000,
        1400, 1900, 250,  800,  1100, 1600, 1300, 200,  500,  1700, 950, 2000};
    const std::array<int32_t, 6> colours{10, 200, 30, 0, 0, 0};
    for (int effect = 1; effect <= 45; ++effect) {
        const EffectStep step = FindEffectStep(effect);
        if (step == nullptr) {
            continue;
        }
        for (const RunConfig& run : kRunConfigs) {
            EffectState state;
            InitialiseEffect(state, effect);
            ColorInput(state, colours);
            std::vector<LedEntry> buffer(run.size + kGuard, kGuardEntry);
            for (std::size_t i = 0; i < run.size; ++i) {
                buffer[i].selected = 1;
            }
            const LedSpan leds(buffer.data(), run.size);
            EffectContext context = Context(run.light, run.multiColor, run.fx);
            context.audio.audioMode = static_cast<uint8_t>(effect % 7);
            int lit = 0;
            for (int frame = 0; frame < 200; ++frame) {
                context.nowMs = 5000 + 37 * static_cast<uint64_t>(frame);
                if (frame % 9 == 0) {
                    KeyEvent(state, effect, (frame * 13) % kKeyLightCount, 1);
                }
                if (frame % 9 == 4) {
                    KeyEvent(state, effect, ((frame - 4) * 13) % kKeyLightCount, 2);
                }
                if (frame % 5 == 0) {
                    SpectrumInput(state, effect, context.audio, bands);
                }
                step(state, context, leds);
                bool dark = true;
                bool selectedKept = true;
                for (const LedEntry& led : leds) {
                    dark = dark && led.brightness == 0;
                    selectedKept = selectedKept && led.selected == 1;
                    lit += led.brightness != 0;
                }
                bool guardsKept = true;
                for (int g = 0; g < kGuard; ++g) {
                    guardsKept = guardsKept && buffer[run.size + g] == kGuardEntry;
                }
                bool indicesOnWheel = true;
                for (uint8_t index : state.colorIndex) {
                    indicesOnWheel = indicesOnWheel && index <= kWheelSize;
                }
                bool marksValid = true;
                for (uint8_t mark : state.mark) {
                    marksValid = marksValid && mark <= 2;
                }
                ASSERT_TRUE((run.light != 0 || dark) && selectedKept && guardsKept &&
                            indicesOnWheel && marksValid)
                    << "effect " << effect << " light " << run.light << " colour cycle "
                    << run.multiColor << " fx " << run.fx << " size " << run.size << " frame "
                    << frame << ": dark " << dark << " selected " << selectedKept << " guards "
                    << guardsKept << " wheel " << indicesOnWheel << " marks " << marksValid;
            }
            if (run.light == 4 && run.size == kKeyLightCount && effect != 28) {
                EXPECT_GT(lit, 0) << "effect " << effect << " shows nothing";
            }
        }
    }
}

}  // namespace
}  // namespace halvorn::lighting
