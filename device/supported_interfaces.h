#pragma once

// The table of HID interfaces the program drives, and the kind codes of the
// devices behind them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halvorn {

namespace device_kind {
inline constexpr uint16_t kKeyboard = 1;
inline constexpr uint16_t kMouse = 2;
inline constexpr uint16_t kMousePad = 3;
inline constexpr uint16_t kMouseReceiver = 6;
inline constexpr uint16_t kHeadset = 7;
inline constexpr uint16_t kKeyboardReceiver = 9;
}  // namespace device_kind

inline constexpr uint16_t kRoleProtocol = 0x00;  // the collection that speaks the 64-byte protocol
inline constexpr uint16_t kRoleInput = 0xFF;     // the consumer-control input collection

// One row of the table with the interface bound to it.
struct InterfaceSlot {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t kind = 0;
    uint16_t collectionRole = 0;
    uint16_t occupied = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t paired = 0;
    uint16_t partner = 0;
    uint16_t reserved = 0;
    std::string path;

    // Same device interface: everything but occupied, paired, partner and path.
    bool SameInterface(const InterfaceSlot& other) const;
};

// Rows with vendor and product 0000 describe models of the family that the
// table leaves disabled: a probed interface always reports real identifiers.
inline constexpr std::size_t kSupportedInterfaceCount = 11;
const std::array<InterfaceSlot, kSupportedInterfaceCount>& SupportedInterfaces();

// The row whose vendor, product, interface, collection, usage page and usage
// all equal the given ones.
std::optional<std::size_t> FindSupportedRow(uint16_t vendorId, uint16_t productId,
                                            uint16_t interfaceNumber, uint16_t collectionNumber,
                                            uint16_t usagePage, uint16_t usage);

// "keyboard", "keyboard (receiver)", "mouse", ... for people reading a listing.
std::string_view DeviceKindName(uint16_t kind);

}  // namespace halvorn
