#pragma once

// The ".light" files of custom light modes. The light configuration names
// each mode's file by a GUID string; the file is the GUID with ".light"
// appended.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "profile/profile_records.h"

namespace halvorn {

// The file of `guid`. A full path ("/...") is taken as it is. Any other GUID
// must be a plain file name and is looked up in `dataFolder` (the folder of
// the light configuration), never in the process's current directory. Empty
// when the GUID is empty, holds a NUL, is "." or "..", holds a "/" or "\"
// while relative, or when it is relative and `dataFolder` is empty: a GUID
// from a damaged or foreign file must not reach files outside the folder.
std::optional<std::filesystem::path> LightEffectFilePath(std::string_view guid,
                                                         const std::filesystem::path& dataFolder);

// The steps of "LEDEffectList" in the file, in order; empty when the file is
// missing, broken or has no such array.
std::vector<LightEffectStep> ReadLightEffectFile(const std::filesystem::path& file);

}  // namespace halvorn
