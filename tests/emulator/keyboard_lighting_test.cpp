// The keyboard's light thread and light frames against the virtual keyboard:
// what is painted, what is streamed and when.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "controls/device_key_button.h"
#include "models/keyboard_device.h"
#include "models/lighting/light_tables.h"
#include "tests/support/keyboard_page.h"

namespace halvorn {
namespace {

using testing::KeyboardPageTest;
using testing::MatrixPosition;

constexpr int kWave = 1;
constexpr int kCustomKeys = 21;
constexpr int kMusicColour = 30;

LightModeRecord Effect(int selectItem, uint8_t light = 4, uint8_t speed = 4) {
    LightModeRecord record;
    record.selectItem = static_cast<uint8_t>(selectItem);
    record.light = light;
    record.speed = speed;
    record.red = 10;
    record.green = 200;
    record.blue = 30;
    return record;
}

int FrameCount(const testing::VirtualKeyboard& kb) {
    return kb.Firmware([](auto& fw) { return fw.LightFrameCount(); });
}

// Waits, bounded, until the light thread has changed the colours.
bool ColoursChange(COvantisKeyboardDevice& device) {
    const auto before = device.LedSnapshot();
    for (int i = 0; i < 400; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (device.LedSnapshot() != before) return true;
    }
    return false;
}

TEST_F(KeyboardPageTest, TheLightThreadAnimatesTheEffect) {
    Connect();
    device->SetLightInfo(Effect(kWave));
    // The key view shows white dots: the keyboard's own effect is not computed.
    const auto keyView = device->LedSnapshot();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(device->LedSnapshot(), keyView);
    device->SetFunctionSwitch(2);
    EXPECT_TRUE(ColoursChange(*device));
    device->StopLightThread();
    EXPECT_FALSE(device->LightThreadRunning());
    // Stopped, nothing moves any more.
    const auto still = device->LedSnapshot();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(device->LedSnapshot(), still);
}

TEST_F(KeyboardPageTest, OnlyHostDrivenEffectsOnTheCableStreamFrames) {
    Connect();
    device->StopLightThread();  // the test steps the effects itself
    struct Case {
        int effect;
        int channelMode;
        bool streams;
    };
    for (const Case c : {Case{kWave, 1, false}, Case{kMusicColour, 1, true},
                         Case{kMusicColour, 2, false}, Case{29, 1, true}, Case{5, 1, false}}) {
        device->CommandProtocol().SetChannelMode(c.channelMode);
        device->SetLightInfo(Effect(c.effect));
        const int before = FrameCount(kb);
        device->RefreshLightFrame();
        EXPECT_EQ(FrameCount(kb) > before, c.streams)
            << "effect " << c.effect << " mode " << c.channelMode;
    }
}

TEST_F(KeyboardPageTest, TheStreamedFrameHoldsTheColourInputAtItsKeysPositions) {
    Connect();
    device->StopLightThread();
    device->SetFunctionSwitch(2);  // the lighting view: dots show the colours
    device->SetLightInfo(Effect(kMusicColour, 4, 0));
    const std::array<int32_t, 6> colour{200, 100, 50, 0, 0, 0};
    device->AudioLevelsInput(colour);
    // Effect 30 steps on every tick change at speed 0: one pass per millisecond.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    device->StartLightThread();
    while (device->GetLedEntry(0).red != 200 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    device->StopLightThread();
    device->RefreshLightFrame();

    const auto frame = kb.Firmware([](auto& fw) { return fw.LightFrame(); });
    const int n = kb.Firmware([](auto& fw) { return fw.InfoBlock()[5]; });
    ASSERT_EQ(frame.size(), 3u * n);
    const int q = MatrixPosition(22);
    ASSERT_GE(q, 0);
    EXPECT_EQ(frame[3 * q], 200 * 255 / 256);
    EXPECT_EQ(frame[3 * q + 1], 100 * 255 / 256);
    EXPECT_EQ(frame[3 * q + 2], 50 * 255 / 256);
    // The picture shows the same colour.
    EXPECT_EQ(device->LightButton(22)->LightColor(), 200u | 100u << 8 | 50u << 16);
}

TEST_F(KeyboardPageTest, CustomKeysHideTheDotsOfKeysNotSelected) {
    Connect();
    device->StopLightThread();
    device->SetFunctionSwitch(2);
    const std::vector<LightColorRecord> none(lighting::kKeyLightCount);
    device->Profile().SetCustomLightColors(none, 0);
    device->SetLightInfo(Effect(kCustomKeys));
    device->ToggleCustomKey(22);
    device->RefreshLightFrame();
    EXPECT_EQ(device->LightButton(23)->LightOpacity(), 0u);
    EXPECT_EQ(device->LightButton(22)->LightOpacity(), lighting::BrightnessMultiplier(4));
    EXPECT_EQ(device->LightButton(22)->LightColor(), 10u | 200u << 8 | 30u << 16);
}

TEST_F(KeyboardPageTest, TheKeyViewPaintsDotsWhiteButKeepsTheColours) {
    Connect();
    device->StopLightThread();
    device->SetFunctionSwitch(2);
    device->SetLightInfo(Effect(kCustomKeys));
    device->ToggleCustomKey(22);
    device->SetFunctionSwitch(1);
    device->RefreshLightFrame();
    EXPECT_EQ(device->LightButton(22)->LightColor(), 0xFFFFFFu);
    EXPECT_EQ(device->GetLedEntry(22).green, 200);
}

}  // namespace
}  // namespace halvorn
