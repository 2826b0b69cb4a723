#pragma once

// Interface paths: "<scheme>:<location>#vid_XXXX&pid_XXXX&mi_XX[&colNN]".
// The marker parsers read any path, ours or a foreign one, without opening it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halvorn::hid {

struct InterfacePathParts {
    std::string scheme;    // "hidraw", "virtual"
    std::string location;  // "/dev/hidraw3", "keyboard"
};

// `collectionNumber` 0 leaves "&col" out.
std::string MakeInterfacePath(std::string_view scheme, std::string_view location, uint16_t vendorId,
                              uint16_t productId, int interfaceNumber, int collectionNumber);

// Scheme and location of a path we made; none for anything else.
std::optional<InterfacePathParts> SplitInterfacePath(std::string_view path);

// Each finds its marker ignoring case ("vid_", "pid_", "&mi_", "&col"), reads
// the hexadecimal digits after it and returns their low 16 bits; 0 when the
// marker is absent.
uint16_t PathVendorId(std::string_view path);
uint16_t PathProductId(std::string_view path);
uint16_t PathInterfaceNumber(std::string_view path);
uint16_t PathCollectionNumber(std::string_view path);

}  // namespace halvorn::hid
