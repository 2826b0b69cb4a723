#pragma once

#include <chrono>
#include <string>

namespace halvorn {

// Local time as "year_month_day_hour_minute_second_millisecond"
// ("%d_%02d_%02d_%02d_%02d_%02d_%03d"), the form of exported file names and
// of profile and macro identifiers.
std::string TimeStampString();
std::string TimeStampString(std::chrono::system_clock::time_point when);

}  // namespace halvorn
