#include "platform/fs/time_stamp.h"

#include <cstdio>
#include <ctime>

namespace halvorn {

std::string TimeStampString() { return TimeStampString(std::chrono::system_clock::now()); }

std::string TimeStampString(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[200];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis < 0 ? millis + 1000 : millis));
    return text;
}

}  // namespace halvorn
