#pragma once

// Where the virtual backend finds its devices: the emulators of tools/vdev,
// either in this process or in a halvorn-vdev process over a Unix socket.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/fs/unique_fd.h"
#include "platform/hid/backend.h"

namespace halvorn::hid {

// One USB interface of one plugged virtual device.
struct VirtualInterface {
    std::string device;  // the device's name on the hub, unique while plugged
    int interfaceNumber = 0;
    Attributes attributes;
    std::vector<uint8_t> reportDescriptor;
};

class VirtualHub {
public:
    virtual ~VirtualHub() = default;

    // Every interface of every plugged device; none when the hub is unreachable.
    virtual std::vector<VirtualInterface> List() = 0;

    // A new SOCK_SEQPACKET connection to one interface: each packet written is
    // an output report, each packet read an input report of that interface
    // (report-ID byte first when its descriptor uses IDs). The device closes
    // it when unplugged. Invalid when no such device or interface is plugged.
    virtual UniqueFd Connect(const std::string& device, int interfaceNumber) = 0;
};

}  // namespace halvorn::hid
