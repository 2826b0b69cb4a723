#pragma once

// A virtual keyboard on an in-process bus, reached through the virtual backend.

#include <json/value.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/hid/virtual_backend.h"
#include "tools/vdev/keyboard_firmware.h"
#include "tools/vdev/virtual_bus.h"

namespace halvorn::testing {

inline constexpr const char* kKeyboardProtocolPath =
    "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col04";
inline constexpr const char* kKeyboardConsumerPath =
    "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col03";

struct VirtualKeyboard {
    explicit VirtualKeyboard(vdev::KeyboardOptions options = {})
        : device(bus.Plug("keyboard", vdev::MakeKeyboard(options))), backend(bus) {}

    // The protocol requests the keyboard received (64-byte reports, ID 4).
    std::vector<std::vector<uint8_t>> ProtocolRequests() const {
        std::vector<std::vector<uint8_t>> out;
        for (auto& r : device->Requests()) {
            if (r.interfaceNumber == vdev::KeyboardFirmware::kProtocolInterface &&
                !r.data.empty() && r.data[0] == vdev::KeyboardFirmware::kProtocolReportId) {
                out.push_back(r.data);
            }
        }
        return out;
    }

    // The keyboard acting by itself: each sends its consumer report to the
    // host and says whether the keyboard accepted it (`error` says why not).
    bool SwitchProfile(int profile, int page = vdev::KeyboardFirmware::kProfileUsagePage) {
        Json::Value action(Json::objectValue);
        action["action"] = "profile";
        action["profile"] = profile;
        action["page"] = page;
        return Act(action);
    }
    bool SendSync(int usage = vdev::KeyboardFirmware::kSyncUsage) {
        Json::Value action(Json::objectValue);
        action["action"] = "sync";
        action["usage"] = usage;
        return Act(action);
    }
    bool PressKey(int keyIndex) { return KeyEvent(keyIndex, "press"); }
    bool ReleaseKey(int keyIndex) { return KeyEvent(keyIndex, "release"); }
    bool TapKey(int keyIndex) { return KeyEvent(keyIndex, "tap"); }

    template <typename F>
    auto Firmware(F&& fn) const {
        return device->WithFirmware(
            [&](vdev::Firmware& fw) { return fn(static_cast<vdev::KeyboardFirmware&>(fw)); });
    }

    // The light frames the keyboard took in full, oldest first (the latest 64).
    std::vector<std::vector<uint8_t>> LightFrames() const {
        return Firmware([](auto& fw) {
            const auto& history = fw.LightFrameHistory();
            return std::vector<std::vector<uint8_t>>(history.begin(), history.end());
        });
    }

    bool KeyEvent(int keyIndex, const char* event) {
        Json::Value action(Json::objectValue);
        action["action"] = "key";
        action["key"] = keyIndex;
        action["event"] = event;
        return Act(action);
    }
    bool Act(const Json::Value& action) {
        error.clear();
        return device->Act(action, error);
    }

    vdev::VirtualBus bus;
    std::shared_ptr<vdev::VirtualDevice> device;
    hid::VirtualBackend backend;
    std::string error;  // why the last action was refused
};

}  // namespace halvorn::testing
