// The host-driven effects: the spectrum and colour inputs as the audio
// companion sends them (including hostile values), the beat count of the
// ripple style, and the seven music renderers' response to sound.

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "models/lighting/effect_steps.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting {
namespace {

constexpr int kMusic = 29;
constexpr int kBeatKeyColumn = 10;  // key 51 sits in column 10, row 2
constexpr int kBeatKeyRow = 2;

std::array<int32_t, kSpectrumBands> Uniform(int32_t value) {
    std::array<int32_t, kSpectrumBands> bands{};
    bands.fill(value);
    return bands;
}

AudioLightRecord Style(int style) {
    AudioLightRecord audio;
    audio.audioMode = static_cast<uint8_t>(style);
    audio.foreRed = 255;
    audio.foreGreen = 200;
    audio.foreBlue = 40;
    return audio;
}

bool BeatKeyMarked(const EffectState& state) {
    for (const auto& plane : state.planes) {
        if (((plane[kBeatKeyColumn] >> kBeatKeyRow) & 1u) == 0) {
            return false;
        }
    }
    return true;
}

// What the frame carries: every channel scaled by its brightness.
long Energy(const std::array<LedEntry, kKeyLightCount>& leds) {
    long sum = 0;
    for (const LedEntry& led : leds) {
        sum += Scale(led.red, led.brightness) + Scale(led.green, led.brightness) +
               Scale(led.blue, led.brightness);
    }
    return sum;
}

// The beat total of the ripple style: each band v counts 600 - v * 600 / 2000
// (500 above 600), the mean m adds 25 - m * 25 / 600, and 71 fires a beat.
TEST(SpectrumInputTest, CountsBeatsFromTheSpectrum) {
    struct Case {
        const char* name;
        std::array<int32_t, kSpectrumBands> bands;
        int32_t share;  // added per input
        int beatAt;     // the input that marks the centre key
    };
    std::array<int32_t, kSpectrumBands> halfLoud = Uniform(0);
    for (int b = 0; b < 12; ++b) {
        halfLoud[b] = 2000;  // mean (13 * 600) / 25 = 312
    }
    const Case cases[] = {
        {"full scale", Uniform(2000), 25, 3},
        {"half scale", Uniform(1000), 13, 6},
        {"half the bands loud", halfLoud, 12, 6},
        {"just over full scale counts 500", Uniform(2004), 5, 15},
        {"huge values do not overflow", Uniform(INT32_MAX), 5, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EffectState state;
        for (int input = 1; input < c.beatAt; ++input) {
            SpectrumInput(state, kMusic, Style(2), c.bands);
            EXPECT_EQ(state.beatTotal, input * c.share);
            EXPECT_TRUE(PlanesEmpty(state.planes));
        }
        SpectrumInput(state, kMusic, Style(2), c.bands);
        EXPECT_EQ(state.beatTotal, 0);
        EXPECT_TRUE(BeatKeyMarked(state));
    }
}

TEST(SpectrumInputTest, SilenceAndNegativeValuesNeverBeat) {
    for (int32_t value : {0, -1, -5000, INT32_MIN}) {
        EffectState state;
        for (int i = 0; i < 200; ++i) {
            SpectrumInput(state, kMusic, Style(2), Uniform(value));
        }
        EXPECT_EQ(state.beatTotal, 0) << value;
        EXPECT_TRUE(PlanesEmpty(state.planes)) << value;
        EXPECT_EQ(state.spectrum, Uniform(0)) << value;
    }
}

TEST(SpectrumInputTest, CountsOnlyForTheRippleStyleOfTheMusicEffect) {
    struct Case {
        int effect;
        int style;
    };
    for (const Case c : {Case{kMusic, 0}, Case{kMusic, 3}, Case{30, 2}, Case{13, 2}}) {
        EffectState state;
        for (int i = 0; i < 10; ++i) {
            SpectrumInput(state, c.effect, Style(c.style), Uniform(2000));
        }
        EXPECT_EQ(state.beatTotal, 0) << c.effect << "/" << c.style;
        EXPECT_TRUE(PlanesEmpty(state.planes));
        EXPECT_EQ(state.spectrum, Uniform(2000)) << "the bands are kept for every style";
    }
}

TEST(SpectrumInputTest, TakesAtMost25BandsAndShortInputsOverwriteTheStart) {
    EffectState state;
    const std::vector<int32_t> frame(500, 700);  // the main window's buffer
    SpectrumInput(state, kMusic, Style(0), frame);
    EXPECT_EQ(state.spectrum, Uniform(700));

    const std::vector<int32_t> shorter = {1, 2, 3};
    SpectrumInput(state, kMusic, Style(0), shorter);
    EXPECT_EQ(state.spectrum[0], 1);
    EXPECT_EQ(state.spectrum[2], 3);
    EXPECT_EQ(state.spectrum[3], 700);
    SpectrumInput(state, kMusic, Style(0), {});
    EXPECT_EQ(state.spectrum[0], 1);
}

TEST(SpectrumInputTest, ACorruptTotalStartsOverWithoutOverflow) {
    for (int32_t total : {INT32_MIN, -7, INT32_MAX}) {
        EffectState state;
        state.beatTotal = total;
        SpectrumInput(state, kMusic, Style(2), Uniform(2000));
        EXPECT_GE(state.beatTotal, 0) << total;
        EXPECT_LT(state.beatTotal, 71) << total;
    }
}

TEST(MusicColourTest, ShowsTheColourInputClampedAtTheLightMultiplier) {
    struct Case {
        std::vector<int32_t> values;
        Rgb expected;
    };
    const Case cases[] = {
        {{10, 20, 30, 0, 0, 0}, {10, 20, 30}},
        {{-5, 300, INT32_MAX, 9, 9, 9}, {0, 255, 255}},
        {{INT32_MIN, 255, 0}, {0, 255, 0}},
    };
    for (const Case& c : cases) {
        EffectState state;
        ColorInput(state, c.values);
        EffectContext context;
        context.record.light = 2;
        std::array<LedEntry, kKeyLightCount> leds{};
        steps::MusicColour(state, context, leds);
        for (const LedEntry& led : leds) {
            ASSERT_EQ((Rgb{led.red, led.green, led.blue}), c.expected);
            ASSERT_EQ(led.brightness, BrightnessMultiplier(2));
        }
    }
}

TEST(MusicColourTest, ColourInputTakesSixValuesAndKeepsTheRest) {
    EffectState state;
    const std::vector<int32_t> many = {1, 2, 3, 4, 5, 6, 7, 8};
    ColorInput(state, many);
    EXPECT_EQ(state.colorInput, (std::array<int32_t, 6>{1, 2, 3, 4, 5, 6}));
    const std::vector<int32_t> two = {9, 9};
    ColorInput(state, two);
    EXPECT_EQ(state.colorInput, (std::array<int32_t, 6>{9, 9, 3, 4, 5, 6}));
}

// Four inputs and steps of a spectrum; returns the last frame.
std::array<LedEntry, kKeyLightCount> Play(int style,
                                          const std::array<int32_t, kSpectrumBands>& bands,
                                          uint8_t sevenColours = 0) {
    EffectState state;
    EffectContext context;
    context.record.light = 4;
    context.audio = Style(style);
    context.audio.sevenColorFlags = sevenColours;
    std::array<LedEntry, kKeyLightCount> leds{};
    for (int i = 0; i < 4; ++i) {
        SpectrumInput(state, kMusic, context.audio, bands);
        steps::Music(state, context, leds);
    }
    return leds;
}

class MusicStyleTest : public testing::TestWithParam<int> {};

TEST_P(MusicStyleTest, LoudMusicLightsAndSilenceStaysDark) {
    for (uint8_t sevenColours : {0, 1}) {
        SCOPED_TRACE(sevenColours);
        EXPECT_EQ(Energy(Play(GetParam(), Uniform(0), sevenColours)), 0);
        EXPECT_GT(Energy(Play(GetParam(), Uniform(2000), sevenColours)), 0);
        // A medium level shows, but less than full scale (the ripple counts
        // beats rather than levels).
        if (GetParam() != 2) {
            EXPECT_LT(Energy(Play(GetParam(), Uniform(600), sevenColours)),
                      Energy(Play(GetParam(), Uniform(2000), sevenColours)));
        }
    }
}

TEST_P(MusicStyleTest, WritesOnlyTheGivenEntries) {
    EffectState state;
    EffectContext context;
    context.record.light = 4;
    context.audio = Style(GetParam());
    std::array<LedEntry, kKeyLightCount> leds{};
    const LedEntry sentinel{1, 2, 3, 4, 5};
    leds.fill(sentinel);
    for (int i = 0; i < 8; ++i) {
        SpectrumInput(state, kMusic, context.audio, Uniform(2000));
        steps::Music(state, context, LedSpan(leds).first(50));
        steps::Music(state, context, LedSpan{});
    }
    for (int k = 50; k < kKeyLightCount; ++k) {
        ASSERT_EQ(leds[k], sentinel) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, MusicStyleTest, testing::Range(0, 7));

TEST(MusicTest, UnknownStylesDrawTheBars) {
    const auto bands = Uniform(1200);
    EXPECT_EQ(Play(7, bands), Play(0, bands));
    EXPECT_EQ(Play(255, bands), Play(0, bands));
}

TEST(MusicTest, BarsFollowTheirBand) {
    auto bands = Uniform(0);
    bands[kSpectrumBands - 1] = 2000;  // the highest band: the rightmost column
    const auto leds = Play(0, bands);
    const uint8_t bottomRight = kLightGrid[22][4];
    const uint8_t bottomLeft = kLightGrid[0][5];
    EXPECT_GT(leds[bottomRight].brightness, 0);
    EXPECT_EQ(leds[bottomLeft].brightness, 0);
}

TEST(MusicTest, BeatRippleStartsAtTheCentreKey) {
    EffectState state;
    EffectContext context;
    context.record.light = 4;
    context.audio = Style(2);
    std::array<LedEntry, kKeyLightCount> leds{};
    for (int i = 0; i < 3; ++i) {  // 25 per input: the third reaches 71
        SpectrumInput(state, kMusic, context.audio, Uniform(2000));
    }
    steps::Music(state, context, leds);
    EXPECT_EQ(leds[51], (LedEntry{255, 200, 40, Scale(255, BrightnessMultiplier(4)), 0}));
    EXPECT_EQ(leds[0].brightness, 0);
}

TEST(MusicTest, SilenceShowsTheBackgroundColour) {
    EffectState state;
    EffectContext context;
    context.record.light = 1;
    context.audio = Style(0);
    context.audio.backBlue = 90;
    std::array<LedEntry, kKeyLightCount> leds{};
    steps::Music(state, context, leds);
    for (const LedEntry& led : leds) {
        ASSERT_EQ((Rgb{led.red, led.green, led.blue}), (Rgb{0, 0, 90}));
        ASSERT_EQ(led.brightness, BrightnessMultiplier(1));
    }
}

}  // namespace
}  // namespace halvorn::lighting
