#include "platform/fs/file_name.h"

#include "platform/fs/time_stamp.h"

namespace halvorn {

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxPlainFileNameBytes) return false;
    if (name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string FreeTimeStampName(std::chrono::system_clock::time_point now,
                              const std::function<bool(const std::string&)>& taken) {
    constexpr int kMaxTries = 60 * 1000;
    for (int i = 0; i < kMaxTries; ++i) {
        std::string name = TimeStampString(now + std::chrono::milliseconds(i));
        if (!taken(name)) return name;
    }
    return {};
}

}  // namespace halvorn
