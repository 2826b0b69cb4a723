#include "platform/hid/interface_path.h"

#include <cctype>
#include <cstdio>

namespace halvorn::hid {
namespace {

// Position just after `marker` in `path` ignoring case, or npos.
std::size_t FindMarker(std::string_view path, std::string_view marker) {
    if (marker.size() > path.size()) return std::string_view::npos;
    for (std::size_t i = 0; i + marker.size() <= path.size(); ++i) {
        bool match = true;
        for (std::size_t j = 0; j < marker.size() && match; ++j) {
            match = std::tolower(static_cast<unsigned char>(path[i + j])) ==
                    std::tolower(static_cast<unsigned char>(marker[j]));
        }
        if (match) return i + marker.size();
    }
    return std::string_view::npos;
}

// "%x" after the marker: hexadecimal digits, as many as there are; the
// value wraps like an unsigned int and the low 16 bits are returned.
uint16_t HexAfter(std::string_view path, std::string_view marker) {
    std::size_t pos = FindMarker(path, marker);
    if (pos == std::string_view::npos) return 0;
    unsigned value = 0;
    for (; pos < path.size() && std::isxdigit(static_cast<unsigned char>(path[pos])); ++pos) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(path[pos])));
        value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    return static_cast<uint16_t>(value & 0xFFFF);
}

}  // namespace

std::string MakeInterfacePath(std::string_view scheme, std::string_view location, uint16_t vendorId,
                              uint16_t productId, int interfaceNumber, int collectionNumber) {
    char markers[64];
    std::snprintf(markers, sizeof markers, "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId,
                  static_cast<unsigned>(interfaceNumber) & 0xFF);
    std::string path;
    path.reserve(scheme.size() + location.size() + 40);
    path.append(scheme).append(":").append(location).append(markers);
    if (collectionNumber > 0) {
        char col[16];
        std::snprintf(col, sizeof col, "&col%02x", static_cast<unsigned>(collectionNumber));
        path.append(col);
    }
    return path;
}

std::optional<InterfacePathParts> SplitInterfacePath(std::string_view path) {
    std::size_t colon = path.find(':');
    std::size_t hash = path.rfind('#');
    if (colon == std::string_view::npos || colon == 0 || hash == std::string_view::npos ||
        hash <= colon + 1) {
        return std::nullopt;
    }
    InterfacePathParts parts;
    parts.scheme = std::string(path.substr(0, colon));
    parts.location = std::string(path.substr(colon + 1, hash - colon - 1));
    return parts;
}

uint16_t PathVendorId(std::string_view path) { return HexAfter(path, "vid_"); }
uint16_t PathProductId(std::string_view path) { return HexAfter(path, "pid_"); }
uint16_t PathInterfaceNumber(std::string_view path) { return HexAfter(path, "&mi_"); }
uint16_t PathCollectionNumber(std::string_view path) { return HexAfter(path, "&col"); }

}  // namespace halvorn::hid
