#pragma once

// Firmware models by kind name, with their options as JSON, for the hub and
// the command line ("keyboard", {"keyCount": 104, "hasFnKey": false}).

#include <json/value.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/vdev/firmware.h"

namespace halvorn::vdev {

// The kinds MakeFirmware knows.
std::vector<std::string> FirmwareKinds();

// A new firmware of `kind`; null with `error` set for an unknown kind, an
// unknown option or an option of the wrong type or range.
std::unique_ptr<Firmware> MakeFirmware(const std::string& kind, const Json::Value& options,
                                       std::string& error);

}  // namespace halvorn::vdev
