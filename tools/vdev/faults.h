#pragma once

#include <chrono>
#include <cstdint>

namespace halvorn::vdev {

// Faults a device shows on demand. Each counter counts down the next protocol
// requests (64-byte reports of ID 4 on the firmware's protocol interface);
// counters set together act on the same requests. Unreachable, silent and
// reject replace the reply (in that order of strength; the firmware does not
// see such a request); a wrong command byte and a stray reply change the reply
// that is sent. A silent request is still logged.
struct Faults {
    int silentReplies = 0;        // these requests get no reply at all
    int wrongCommandReplies = 0;  // the reply's command byte is changed (byte 3 + 1)
    int strayReplies = 0;         // a reply with another command byte is sent before the right one
    int rejectReplies = 0;        // the reply's status byte is forced to `rejectStatus`
    uint8_t rejectStatus = 0xFF;  // 0xFF or 0xFE
    int unreachableReplies = 0;   // the receiver answers command byte 0xAA (device not linked)
    // Unplug when this many more requests have been answered: the next one
    // after them unplugs the device unanswered (0: at the next request; -1: never).
    int unplugAfterRequests = -1;
    // Time the device takes per report in each direction, as a full-speed
    // interrupt endpoint does (1 ms); zero answers at once.
    std::chrono::microseconds latency{0};
};

}  // namespace halvorn::vdev
