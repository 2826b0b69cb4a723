#pragma once

#include <chrono>
#include <cstdint>

namespace halvorn::vdev {

// Faults a device shows on demand. Counters apply to the next protocol
// requests received on the device's 64-byte protocol interface, one each.
struct Faults {
    int silentReplies = 0;        // these requests get no reply at all
    int wrongCommandReplies = 0;  // the reply's command byte is changed (byte 3 + 1)
    int strayReplies = 0;         // a reply with another command byte is sent before the right one
    int rejectReplies = 0;        // the reply's status byte is forced to `rejectStatus`
    uint8_t rejectStatus = 0xFF;  // 0xFF or 0xFE
    int unreachableReplies = 0;   // the receiver answers command byte 0xAA (device not linked)
    int unplugAfterRequests = -1; // unplug when this many more requests have arrived (0: at the next)
    // Time the device takes per report in each direction, as a full-speed
    // interrupt endpoint does (1 ms); zero answers at once.
    std::chrono::microseconds latency{0};
};

}  // namespace halvorn::vdev
