#pragma once

// The two tables that tie a device class to its page in the main window: the
// entry in the device list (DeviceOptionTable) and the page itself
// (DeviceLayoutTable). Both have one row per device class, in the same order,
// and the same row index is used for both.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace halvorn {

struct DeviceOptionRow {
    std::string_view optionLayout;    // the entry's layout
    std::string_view tabHeaderGroup;  // the option group of the entry's select button
    std::string_view powerTabLayout;  // the tab layout of the power display controls
    std::string_view name;            // the page's kind name and the entry's name text
    int defaultsIndex = 0;            // the kind's row in the default light file
    // The lookup key; kind and variant also choose the entry's icons.
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t kind = 0;
    uint16_t variant = 0;
};

struct DeviceLayoutRow {
    int lightEntries = 0;
    int keyEntries = 0;
    bool battery = false;
    int mouseValue = -1;
    std::string_view pageLayout;
    std::string_view lightControlName;
};

inline constexpr std::size_t kDevicePageRowCount = 4;
inline constexpr std::size_t kMousePageRow = 0;
inline constexpr std::size_t kKeyboardPageRow = 1;
inline constexpr std::size_t kMousePadPageRow = 2;
inline constexpr std::size_t kHeadsetPageRow = 3;

const std::array<DeviceOptionRow, kDevicePageRowCount>& DeviceOptionTable();
const std::array<DeviceLayoutRow, kDevicePageRowCount>& DeviceLayoutTable();

// The row whose vendor, product, kind and variant all equal the given ones.
std::optional<std::size_t> FindDeviceOptionRow(uint16_t vendorId, uint16_t productId, uint16_t kind,
                                               uint16_t variant);

}  // namespace halvorn
