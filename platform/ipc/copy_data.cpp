#include "platform/ipc/copy_data.h"

namespace halvorn::ipc {

std::string CheckIncomingCopy(uint32_t kind, size_t size) {
    size_t expected = 0;
    switch (kind) {
        case copy_kind::kAudioLevels:
            expected = kAudioLevelsSize;
            break;
        case copy_kind::kAudioValues:
            expected = kAudioValuesSize;
            break;
        default:
            return "unknown data copy kind " + std::to_string(kind);
    }
    if (size == expected) return {};
    return "data copy kind " + std::to_string(kind) + " takes " + std::to_string(expected) +
           " bytes, not " + std::to_string(size);
}

}  // namespace halvorn::ipc
