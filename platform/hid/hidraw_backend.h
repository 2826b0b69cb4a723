#pragma once

#include <string>

#include "platform/hid/backend.h"

namespace halvorn::hid {

// The Backend over Linux hidraw: libudev enumerates the "hidraw" subsystem
// (vendor and product from the parent HID device, the interface number from
// the USB interface, the collections from the report descriptor) and each
// collection gets a path "hidraw:/dev/hidrawN#vid_..&pid_..&mi_..[&col..]".
// Open reads HIDIOCGRAWINFO and HIDIOCGRDESC from the node itself.
class HidrawBackend : public Backend {
public:
    bool Enumerate(std::vector<InterfaceInfo>& out) override;
    std::unique_ptr<Device> Open(std::string_view path, const OpenFlags& flags) override;
};

}  // namespace halvorn::hid
