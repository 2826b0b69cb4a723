// The two scripted shows: that they run through every scene in order, start
// over within a bounded number of frames, light what each scene promises,
// and survive a state they did not set up.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include "models/lighting/effect_steps.h"
#include "models/lighting/light_tables.h"
#include "models/lighting/wave_planes.h"

namespace halvorn::lighting {
namespace {

using Frame = std::array<LedEntry, kKeyLightCount>;

constexpr uint8_t kFull = Scale(255, 255);

EffectContext Context(uint8_t multiColor) {
    EffectContext context;
    context.record.light = 4;
    context.record.multiColor = multiColor;
    context.record.red = 200;
    context.record.green = 10;
    context.record.blue = 90;
    return context;
}

std::set<int> FullKeys(const Frame& leds) {
    std::set<int> keys;
    for (int k = 0; k < kKeyLightCount; ++k) {
        if (leds[k].brightness == kFull) {
            keys.insert(k);
        }
    }
    return keys;
}

std::set<int> InnerRingKeys() {
    std::set<int> keys;
    for (int ring = 0; ring < 2; ++ring) {
        for (uint8_t key : kRingTable[ring]) {
            if (key != kNoKey) {
                keys.insert(key);
            }
        }
    }
    return keys;
}

// The scene of every frame until the show has started over (or `limit`).
struct ShowRun {
    std::vector<int> scenes;  // the scene of each frame, in order
    std::vector<Frame> frames;
    int framesToRestart = -1;
};

template <class Step, class Init>
ShowRun Play(Step step, Init init, const EffectContext& context, int limit) {
    EffectState state;
    init(state);
    ShowRun run;
    Frame leds{};
    for (int f = 0; f < limit; ++f) {
        run.scenes.push_back(state.scriptState);
        step(state, context, leds);
        run.frames.push_back(leds);
        const bool back = state.scriptState == 0 && state.scriptStep == 0 && run.scenes.back() != 0;
        if (back && run.framesToRestart < 0) {
            run.framesToRestart = f + 1;
        }
    }
    return run;
}

std::vector<int> SceneOrder(const std::vector<int>& scenes) {
    std::vector<int> order;
    for (int scene : scenes) {
        if (order.empty() || order.back() != scene) {
            order.push_back(scene);
        }
    }
    return order;
}

// The frames of one scene.
std::vector<Frame> SceneFrames(const ShowRun& run, int scene) {
    std::vector<Frame> frames;
    for (size_t f = 0; f < run.frames.size() && run.framesToRestart > static_cast<int>(f); ++f) {
        if (run.scenes[f] == scene) {
            frames.push_back(run.frames[f]);
        }
    }
    return frames;
}

TEST(LightShowTest, StartsInTheFirstSceneWithItsCounter) {
    EffectState state;
    state.scriptState = 4;
    state.phase = 77;
    InitialiseLightShow(state);
    EXPECT_EQ(state.scriptState, 0);
    EXPECT_EQ(state.phase, 0);
    EXPECT_EQ(state.scriptCounter, 132);
}

TEST(LightShowTest, RunsThroughTheSixScenesAndStartsOver) {
    for (uint8_t multiColor : {0, 1}) {
        SCOPED_TRACE(multiColor);
        const ShowRun run = Play(steps::LightShow, InitialiseLightShow, Context(multiColor), 700);
        ASSERT_GT(run.framesToRestart, 0);
        EXPECT_LE(run.framesToRestart, 300);
        const std::vector<int> twice = {0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 0};
        const auto order = SceneOrder(run.scenes);
        ASSERT_GE(order.size(), twice.size());
        EXPECT_TRUE(std::equal(twice.begin(), twice.end(), order.begin()));
    }
}

TEST(LightShowTest, TheLightRunsAlongItsPathWithATrail) {
    const ShowRun run = Play(steps::LightShow, InitialiseLightShow, Context(0), 300);
    const auto frames = SceneFrames(run, 0);
    ASSERT_EQ(frames.size(), 132u);
    EXPECT_EQ(FullKeys(frames[0]), (std::set<int>{0}));
    EXPECT_EQ(FullKeys(frames[1]), (std::set<int>{1}));
    EXPECT_GT(frames[1][0].brightness, 0) << "the key just passed still glows";
    EXPECT_LT(frames[1][0].brightness, kFull);
    for (const Frame& frame : frames) {
        ASSERT_EQ(FullKeys(frame).size(), 1u);
        const int key = *FullKeys(frame).begin();
        EXPECT_EQ((Rgb{frame[key].red, frame[key].green, frame[key].blue}), (Rgb{200, 10, 90}));
    }
}

TEST(LightShowTest, RingsCollapseToTheCentre) {
    const ShowRun run = Play(steps::LightShow, InitialiseLightShow, Context(0), 300);
    const auto frames = SceneFrames(run, 1);
    ASSERT_FALSE(frames.empty());
    EXPECT_TRUE(FullKeys(frames.front()).count(kRingTable[11][0]));
    EXPECT_EQ(FullKeys(frames.back()), (std::set<int>{51}));
}

TEST(LightShowTest, InnerRingsBreatheThreeTimesAndBlinkTenTimes) {
    const ShowRun run = Play(steps::LightShow, InitialiseLightShow, Context(1), 300);
    const auto darkTimes = [](const std::vector<Frame>& frames) {
        int count = 0;
        for (const Frame& frame : frames) {
            count += frame[51].brightness == 0;
        }
        return count;
    };
    const auto lightUps = [](const std::vector<Frame>& frames) {
        int count = 0;
        for (size_t f = 1; f < frames.size(); ++f) {
            count += frames[f - 1][51].brightness == 0 && frames[f][51].brightness == kFull;
        }
        return count;
    };
    const auto breathe = SceneFrames(run, 2);
    EXPECT_EQ(darkTimes(breathe), 3);
    const auto blink = SceneFrames(run, 3);
    EXPECT_EQ(lightUps(blink), 10);
    for (const auto* scene : {&breathe, &blink}) {
        for (const Frame& frame : *scene) {
            for (int key : FullKeys(frame)) {
                ASSERT_TRUE(InnerRingKeys().count(key)) << key;
            }
        }
    }
}

TEST(LightShowTest, AWaveSpreadsFromTheCentreFor21Frames) {
    const ShowRun run = Play(steps::LightShow, InitialiseLightShow, Context(0), 300);
    const auto wave = SceneFrames(run, 4);
    ASSERT_EQ(wave.size(), 21u);
    EXPECT_TRUE(FullKeys(wave[0]).count(51));
    std::set<int> reached;
    for (const Frame& frame : wave) {
        const auto keys = FullKeys(frame);
        reached.insert(keys.begin(), keys.end());
    }
    EXPECT_GT(reached.size(), InnerRingKeys().size());
}

TEST(LightShow2Test, RunsGroupsPairsAndRippleAndStartsOver) {
    for (uint8_t multiColor : {0, 1}) {
        SCOPED_TRACE(multiColor);
        const ShowRun run = Play(steps::LightShow2, InitialiseLightShow2, Context(multiColor), 800);
        ASSERT_GT(run.framesToRestart, 0);
        EXPECT_LE(run.framesToRestart, 20 * 4 + 30 * 3 + 160);
        const std::vector<int> twice = {0, 1, 2, 0, 1, 2, 0};
        const auto order = SceneOrder(run.scenes);
        ASSERT_GE(order.size(), twice.size());
        EXPECT_TRUE(std::equal(twice.begin(), twice.end(), order.begin()));
        // The ripple ends with the keyboard dark.
        EXPECT_EQ(FullKeys(run.frames[run.framesToRestart - 1]).size(), 0u);
        for (const LedEntry& led : run.frames[run.framesToRestart - 1]) {
            ASSERT_EQ(led.brightness, 0);
        }
    }
}

TEST(LightShow2Test, LightsTwentyGroupsThenThirtyPairs) {
    EffectState state;
    InitialiseLightShow2(state);
    Frame leds{};
    std::vector<std::set<int>> groups;
    std::vector<std::set<int>> pairs;
    while (state.scriptState != 2) {
        const int scene = state.scriptState;
        const int step = state.scriptStep;
        steps::LightShow2(state, Context(0), leds);
        auto& items = scene == 0 ? groups : pairs;
        if (static_cast<int>(items.size()) == step) {
            items.push_back(FullKeys(leds));
        }
        ASSERT_EQ(FullKeys(leds), items[step]) << "a group stays lit for its frames";
    }
    ASSERT_EQ(groups.size(), 20u);
    ASSERT_EQ(pairs.size(), 30u);
    for (const auto& group : groups) {
        EXPECT_GE(group.size(), 1u);
        EXPECT_LE(group.size(), 6u);
    }
    for (const auto& pair : pairs) {
        EXPECT_EQ(pair.size(), 2u);
    }
    std::set<int> groupKeys;
    for (const auto& group : groups) {
        groupKeys.insert(group.begin(), group.end());
    }
    EXPECT_GT(groupKeys.size(), 100u) << "the groups sweep the whole keyboard";
    // The ripple begins at key 52.
    steps::LightShow2(state, Context(0), leds);
    EXPECT_TRUE(FullKeys(leds).count(52));
}

TEST(ShowEffectsTest, AStateTheyDidNotSetUpStartsTheShowOver) {
    struct Case {
        int scriptState;
        int scriptCounter;
        int scriptStep;
    };
    const Case cases[] = {{99, 5, 0},
                          {-1, 5, 0},
                          {0, -5, 0},
                          {0, 100000, 0},
                          {1, 3, 1000},
                          {2, 5, -1000},
                          {0, 0, 0},
                          {5, 1, 0},
                          {4, 21, 0},
                          {2, 1, 0},
                          {INT32_MIN, INT32_MAX, INT32_MIN}};
    for (const Case& c : cases) {
        for (EffectStep step : {steps::LightShow, steps::LightShow2}) {
            EffectState state;
            state.scriptState = c.scriptState;
            state.scriptCounter = c.scriptCounter;
            state.scriptStep = c.scriptStep;
            Frame leds{};
            for (int f = 0; f < 400; ++f) {
                step(state, Context(1), leds);
            }
            EXPECT_GE(state.scriptState, 0);
            EXPECT_LE(state.scriptState, 5);
        }
    }
}

TEST(ShowEffectsTest, WriteOnlyTheGivenEntries) {
    struct Show {
        EffectStep step;
        void (*init)(EffectState&);
    };
    for (const auto [step, init] : {Show{steps::LightShow, InitialiseLightShow},
                                    Show{steps::LightShow2, InitialiseLightShow2}}) {
        EffectState state;
        init(state);
        Frame leds{};
        const LedEntry sentinel{1, 2, 3, 4, 5};
        leds.fill(sentinel);
        for (int f = 0; f < 400; ++f) {
            step(state, Context(1), LedSpan(leds).first(40));
            step(state, Context(1), LedSpan{});
        }
        for (int k = 40; k < kKeyLightCount; ++k) {
            ASSERT_EQ(leds[k], sentinel) << k;
        }
    }
}

}  // namespace
}  // namespace halvorn::lighting
