// The keyboard's event interfaces: opening them, the listener threads that
// read their input reports, and what the UI thread does with the events.

#include <chrono>

#include "device/supported_interfaces.h"
#include "models/keyboard_device.h"
#include "platform/trace/trace.h"

namespace halvorn {

namespace {

using std::chrono::milliseconds;

constexpr int kWired = 0;
constexpr int kReceiver = 1;
constexpr int kReadTimeoutMs = 100;
constexpr auto kClosedPause = milliseconds(100);
constexpr auto kSyncDelayMs = 50;

constexpr uint32_t kSyncEvent = 0x401;
constexpr uint32_t kSyncReloadEvent = 0x402;
constexpr uint32_t kKeyPressBase = 0x500;
constexpr uint32_t kKeyReleaseBase = 0x600;
constexpr int kPress = 1;
constexpr int kRelease = 2;

int ListenerFor(uint16_t kind) {
    if (kind == device_kind::kKeyboard) return kWired;
    if (kind == device_kind::kKeyboardReceiver) return kReceiver;
    return -1;
}

}  // namespace

bool COvantisKeyboardDevice::AttachInputChannel(const std::string& path, uint16_t kind) {
    const int which = ListenerFor(kind);
    if (which < 0) return false;
    // The listener decodes on its channel: it stops before the channel changes.
    listeners_[which].Stop();
    bool opened;
    {
        std::lock_guard lock(eventOwner_);
        HidChannel& channel =
            which == kWired ? eventProtocol_.WiredChannel() : eventProtocol_.ReceiverChannel();
        channel.Close();
        opened = channel.Open(path, true, false, true, false);
    }
    if (!opened) {
        Trace("keyboard event interface not opened: " + path);
        return false;
    }
    listeners_[which].Start([this, which](std::stop_token stop) { ListenerBody(stop, which); },
                            "MS 设备同步线程设定退出", milliseconds(kListenerStopBoundMs));
    return true;
}

void COvantisKeyboardDevice::DetachInputChannel(uint16_t kind) {
    const int which = ListenerFor(kind);
    if (which < 0) return;
    listeners_[which].Stop();
    std::lock_guard lock(eventOwner_);
    (which == kWired ? eventProtocol_.WiredChannel() : eventProtocol_.ReceiverChannel()).Close();
}

void COvantisKeyboardDevice::StopThreads() {
    StopLightThread();
    for (auto& listener : listeners_) listener.Stop();
}

void COvantisKeyboardDevice::ListenerBody(std::stop_token stop, int which) {
    HidChannel& channel =
        which == kWired ? eventProtocol_.WiredChannel() : eventProtocol_.ReceiverChannel();
    std::array<uint8_t, 64> report{};
    while (WorkerThread::Pause(stop, milliseconds(1))) {
        if (!channel.IsOpen()) {
            WorkerThread::Pause(stop, kClosedPause);
            continue;
        }
        std::size_t received = 0;
        const auto started = std::chrono::steady_clock::now();
        if (channel.Read(report, &received, kReadTimeoutMs) != 1 || received == 0) {
            // A read that fails at once (a device gone) must not spin.
            if (std::chrono::steady_clock::now() - started < milliseconds(kReadTimeoutMs / 2)) {
                WorkerThread::Pause(stop, kClosedPause);
            }
            continue;
        }
        if (!channel.UnpackInputReport(std::span(report).first(received))) continue;
        HandleEvent(channel.FirstUsageValue());
    }
}

// Listener thread: never sends commands; the UI thread acts on the events.
void COvantisKeyboardDevice::HandleEvent(uint32_t value) {
    if (value == kSyncEvent || value == kSyncReloadEvent) {
        lastEvent_.store(value);
        Trace("接收到自动添加设备的同步信息要求");
        PostToDevice(keyboard_message::kSyncRequest, value);
        return;
    }
    if (value >= kKeyPressBase && value < kKeyPressBase + keyboard::kKeyIndexCount) {
        PostToDevice(keyboard_message::kKeyEvent, value - kKeyPressBase, kPress);
        return;
    }
    if (value >= kKeyReleaseBase && value < kKeyReleaseBase + keyboard::kKeyIndexCount) {
        PostToDevice(keyboard_message::kKeyEvent, value - kKeyReleaseBase, kRelease);
        return;
    }
    const uint32_t page = value >> 8;
    if (value > kSyncReloadEvent && (page == 0x10 || page == 0x11) && commandProtocol_.IsOpen()) {
        activeProfile_.store(static_cast<int>(value & 0x0F));
        PostToDevice(keyboard_message::kProfileSwitch, value & 0x0F);
    }
}

void COvantisKeyboardDevice::OnDeviceMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case keyboard_message::kSyncRequest:
            StartDeviceTimer(device_timer::kSyncRequest, kSyncDelayMs);
            break;
        case keyboard_message::kProfileSwitch:
            // The keyboard now shows another on-board profile: show its
            // settings, not those of the profile it left.
            ReadSettings();
            RefreshPage();
            break;
        case keyboard_message::kKeyEvent:
            if (wParam < keyPositions_.size() && keyPositions_[wParam] != keyboard::kNoPosition) {
                KeyEvent(keyPositions_[wParam], static_cast<int>(lParam));
            }
            break;
        default:
            COvantisUSBDevice::OnDeviceMessage(message, wParam, lParam);
            break;
    }
}

void COvantisKeyboardDevice::OnDeviceTimer(int id) {
    // The base runs 1000 (light frame), 1002 (sync, once) and 1005 (power)
    // through the keyboard's own operations.
    COvantisUSBDevice::OnDeviceTimer(id);
}

}  // namespace halvorn
