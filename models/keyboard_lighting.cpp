// The keyboard's light thread, its frames and the custom-key effect.

#include <algorithm>
#include <chrono>
#include <thread>

#include "controls/device_key_button.h"
#include "models/keyboard_device.h"
#include "models/lighting/effect_steps.h"
#include "models/lighting/light_tables.h"

namespace halvorn {

namespace {

constexpr int kCustomKeysEffect = 21;
constexpr int kMusicEffect = 29;
constexpr int kMusicColourEffect = 30;

bool HostDriven(int effect) { return effect == kMusicEffect || effect == kMusicColourEffect; }

}  // namespace

int COvantisKeyboardDevice::EffectCode() const {
    const int item = LightRecord().selectItem;
    if (item < static_cast<int>(effectList_.size())) return effectList_[item].code;
    return item;
}

int COvantisKeyboardDevice::LightRefreshMs() const {
    return HostDriven(effectCode_.load()) ? kStreamRefreshMs : kPreviewRefreshMs;
}

void COvantisKeyboardDevice::RestartEffect() {
    const int effect = EffectCode();
    {
        std::lock_guard lock(engineLock_);
        effectCode_.store(effect);
        engineAudio_ = audioLight_;
        engine_.ChangeEffect(effect);
    }
    if (effect == kCustomKeysEffect) LoadCustomKeyColours();
}

void COvantisKeyboardDevice::StartLightThread() {
    lightThread_.Start([this](std::stop_token stop) { LightThreadBody(stop); },
                       "KB灯光线程设定退出", std::chrono::milliseconds(kLightStopBoundMs));
}

void COvantisKeyboardDevice::StopLightThread() { lightThread_.Stop(); }

void COvantisKeyboardDevice::LightThreadBody(std::stop_token stop) {
    using std::chrono::milliseconds;
    // The effects count millisecond ticks. The thread wakes every few
    // milliseconds (125 times a second) and runs one pass per tick that has passed since its last
    // pass: the animation keeps its speed, and the colours are painted only
    // every 5 ms anyway, while waking a thousand times a second would cost
    // more than all the effect work.
    constexpr int kMaxCatchUpTicks = 50;
    uint64_t last = NowMs();
    while (WorkerThread::Pause(stop, milliseconds(kLightWakeMs))) {
        const uint64_t now = NowMs();
        if (!commandProtocol_.IsOpen()) {
            WorkerThread::Pause(stop, milliseconds(100));
            last = NowMs();
            continue;
        }
        // In the key view the dots show white: an effect the keyboard runs
        // itself has nothing to show and is not computed meanwhile.
        const bool unseen = functionMode_.load() == 1 && !HostDriven(effectCode_.load());
        if (commandProtocol_.Busy() || SyncLighting() || unseen || now <= last) {
            last = std::max(last, now);
            continue;
        }
        // After a long stall (a suspended machine) the show simply goes on.
        if (now - last > kMaxCatchUpTicks) last = now - kMaxCatchUpTicks;
        LightPasses(last + 1, now);
        last = now;
    }
}

void COvantisKeyboardDevice::LightPasses(uint64_t from, uint64_t to) {
    lighting::EffectContext context;
    context.record = LightRecord();
    bool custom = false;
    {
        std::lock_guard lock(engineLock_);
        context.audio = engineAudio_;
        const int effect = effectCode_.load();
        WithLeds([&](lighting::LedSpan leds) {
            for (uint64_t tick = from; tick <= to; ++tick) {
                context.nowMs = tick;
                custom = engine_.Pass(effect, context, leds) ==
                         lighting::LightingEngine::PassResult::NoStep;
                if (custom) break;
            }
        });
    }
    for (uint64_t tick = from; tick <= to; ++tick) {
        if (custom) PlayCustomLights(tick);
        RunPerLightModes(tick);
    }
}

void COvantisKeyboardDevice::RefreshLightFrame() {
    if (lightButtons_.empty()) return;
    const auto leds = LedSnapshot();
    const int effect = effectCode_.load();
    // In the key-assignment view the dots show white; the colours themselves
    // stay, so that custom colours survive a look at the key page.
    const bool white = functionMode_ == 1;
    for (std::size_t i = 0; i < leds.size() && i < lightButtons_.size(); ++i) {
        auto* dot = lightButtons_[i];
        if (dot == nullptr) continue;
        auto led = leds[i];
        if (white && dot->IsVisible()) led.red = led.green = led.blue = 255;
        uint32_t opacity = led.brightness;
        if (effect == kCustomKeysEffect && led.selected == 0) opacity = 0;
        dot->SetLightState(LightColorWord(led), opacity, true);
    }
    if (!LightControl() || commandProtocol_.ReceiverMode() || !HostDriven(effect)) return;
    const auto frame = keyboard::BuildLightFrame(leds, lightPositions_, deviceInfo_[5]);
    if (frame.empty()) return;
    if (commandProtocol_.StreamLightData(frame) != 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

void COvantisKeyboardDevice::ToggleCustomKey(int keyIndex) {
    if (effectCode_.load() != kCustomKeysEffect || keyIndex < 0 ||
        keyIndex >= lighting::kKeyLightCount) {
        return;
    }
    const auto record = LightRecord();
    std::vector<LightColorRecord> colours;
    {
        std::lock_guard lock(engineLock_);
        WithLeds([&](lighting::LedSpan leds) {
            if (keyIndex >= static_cast<int>(leds.size())) return;
            auto& led = leds[keyIndex];
            led.red = record.red;
            led.green = record.green;
            led.blue = record.blue;
            led.brightness = lighting::BrightnessMultiplier(record.light);
            led.selected = 1;
            colours.reserve(leds.size());
            for (const auto& l : leds) {
                colours.push_back({.red = l.red,
                                   .green = l.green,
                                   .blue = l.blue,
                                   .alpha = l.brightness,
                                   .isBright = l.selected});
            }
        });
    }
    if (colours.empty()) return;
    profile_.SetCustomLightColors(colours, record.customGroup);
    SaveProfile();
    if (!commandProtocol_.ReceiverMode()) WriteKeyMask();
}

void COvantisKeyboardDevice::LoadCustomKeyColours() {
    const auto record = LightRecord();
    const auto colours =
        profile_.GetCustomLightColors(record.customGroup, lighting::kKeyLightCount);
    const uint8_t multiplier = lighting::BrightnessMultiplier(record.light);
    {
        std::lock_guard lock(engineLock_);
        WithLeds([&](lighting::LedSpan leds) {
            for (std::size_t i = 0; i < leds.size() && i < colours.size(); ++i) {
                leds[i] = {.red = colours[i].red,
                           .green = colours[i].green,
                           .blue = colours[i].blue,
                           .brightness = multiplier,
                           .selected = colours[i].isBright};
            }
        });
    }
    WriteKeyMask();
}

void COvantisKeyboardDevice::WriteKeyMask() {
    if (!commandProtocol_.IsOpen()) return;
    std::vector<int> positions;
    const auto leds = LedSnapshot();
    for (std::size_t k = 0; k < leds.size() && k < lightPositions_.size(); ++k) {
        if (leds[k].selected != 0 && lightPositions_[k] != keyboard::kNoPosition) {
            positions.push_back(lightPositions_[k]);
        }
    }
    const auto mask = keyboard::BuildKeyMask(positions);
    commandProtocol_.WriteMaskBlock(mask, 0);
}

void COvantisKeyboardDevice::KeyEvent(int position, int action) {
    const int key = keyboard::KeyIndexAtPosition(keyPositions_, position);
    if (key < 0) return;
    std::lock_guard lock(engineLock_);
    lighting::KeyEvent(engine_.State(), effectCode_.load(), key, action);
}

void COvantisKeyboardDevice::AudioSpectrumInput(std::span<const int32_t> values) {
    // The companion sends at most 500 bytes.
    values = values.first(std::min<std::size_t>(values.size(), 500 / sizeof(int32_t)));
    std::lock_guard lock(engineLock_);
    lighting::SpectrumInput(engine_.State(), effectCode_.load(), engineAudio_, values);
}

void COvantisKeyboardDevice::AudioLevelsInput(std::span<const int32_t> values) {
    std::lock_guard lock(engineLock_);
    lighting::ColorInput(engine_.State(), values);
}

}  // namespace halvorn
