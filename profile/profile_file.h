#pragma once

// Profile files on disk: a root object whose "Device" array holds one
// profile object per device index. Everything else in the file (other root
// members, other elements) belongs to someone else and survives every save.

#include <json/value.h>

#include <filesystem>

namespace halvorn {

// The parsed document at `path`; null when the file is missing, empty or not
// valid JSON (comments are allowed). An empty file also traces its path.
Json::Value ParseJsonFile(const std::filesystem::path& path);

// Loads "Device"[deviceIndex] of the file at `path`. When that element is
// missing, null or not an object, the same element of the default profile
// file is used instead and stored into the file, which is written back with
// its other members kept: a missing profile file is created from the
// defaults on first load. When the defaults are missing too the result is
// null and the file holds a null element.
//
// A file that cannot be kept as it is (not valid JSON, not an object, a
// "Device" that is not an array) is copied to `path` + ".broken" before the
// repair overwrites it, so a hand-edited profile with a typo is not lost.
//
// Loading the default profile file itself (a factory reset) never writes: the
// defaults ship with the program and are not the user's to repair.
Json::Value LoadProfileElement(const std::filesystem::path& path,
                               const std::filesystem::path& defaultPath,
                               Json::ArrayIndex deviceIndex);

// Stores `value` as "Device"[deviceIndex] of the file at `path`, keeping the
// rest of the file, and writes it atomically. False when nothing was written
// (the old file is then untouched). A file that cannot be kept is copied to
// ".broken" as above.
bool StoreProfileElement(const std::filesystem::path& path, const Json::Value& value,
                         Json::ArrayIndex deviceIndex);

}  // namespace halvorn
