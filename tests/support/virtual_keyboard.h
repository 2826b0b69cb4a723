#pragma once

// A virtual keyboard on an in-process bus, reached through the virtual backend.

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

    template <typename F>
    auto Firmware(F&& fn) const {
        return device->WithFirmware(
            [&](vdev::Firmware& fw) { return fn(static_cast<vdev::KeyboardFirmware&>(fw)); });
    }

    vdev::VirtualBus bus;
    std::shared_ptr<vdev::VirtualDevice> device;
    hid::VirtualBackend backend;
};

}  // namespace halvorn::testing
