#include "platform/loop/registered_messages.h"

namespace halvorn {

uint32_t RegisterMessage(std::string_view name) {
    if (name.empty()) return 0;
    // FNV-1a: stable across processes, builds and machines.
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    constexpr uint32_t span = kLastRegisteredMessage - kFirstRegisteredMessage + 1;
    return kFirstRegisteredMessage + hash % span;
}

}  // namespace halvorn
