#include "device/supported_interfaces.h"

namespace halvorn {
namespace {

InterfaceSlot Row(uint16_t vid, uint16_t pid, uint16_t iface, uint16_t col, uint16_t kind,
                  uint16_t role, uint16_t page, uint16_t usage, uint16_t paired, uint16_t partner) {
    InterfaceSlot s;
    s.vendorId = vid;
    s.productId = pid;
    s.interfaceNumber = iface;
    s.collectionNumber = col;
    s.kind = kind;
    s.collectionRole = role;
    s.usagePage = page;
    s.usage = usage;
    s.paired = paired;
    s.partner = partner;
    return s;
}

}  // namespace

bool InterfaceSlot::SameInterface(const InterfaceSlot& o) const {
    return vendorId == o.vendorId && productId == o.productId &&
           interfaceNumber == o.interfaceNumber && collectionNumber == o.collectionNumber &&
           kind == o.kind && collectionRole == o.collectionRole && usagePage == o.usagePage &&
           usage == o.usage;
}

const std::array<InterfaceSlot, kSupportedInterfaceCount>& SupportedInterfaces() {
    using namespace device_kind;
    static const std::array<InterfaceSlot, kSupportedInterfaceCount> table = {
        Row(0x3A17, 0x6E21, 1, 4, kKeyboard, kRoleProtocol, 0xFF1C, 0x92, 1, 2),
        Row(0x3A17, 0x6E21, 1, 3, kKeyboard, kRoleInput, 0x000C, 0x01, 1, 3),
        Row(0x0000, 0x0000, 1, 4, kKeyboardReceiver, kRoleProtocol, 0xFF1C, 0x92, 1, 0),
        Row(0x0000, 0x0000, 1, 3, kKeyboardReceiver, kRoleInput, 0x000C, 0x01, 1, 1),
        Row(0x0000, 0x0000, 1, 4, kMouse, kRoleProtocol, 0xFF1C, 0x92, 1, 6),
        Row(0x0000, 0x0000, 1, 3, kMouse, kRoleInput, 0x000C, 0x01, 1, 7),
        Row(0x0000, 0x0000, 1, 4, kMouseReceiver, kRoleProtocol, 0xFF1C, 0x92, 1, 4),
        Row(0x0000, 0x0000, 1, 3, kMouseReceiver, kRoleInput, 0x000C, 0x01, 1, 5),
        Row(0x0000, 0x0000, 1, 4, kMousePad, kRoleProtocol, 0xFF1C, 0x92, 0, 0),
        Row(0x0000, 0x0000, 1, 3, kMousePad, kRoleInput, 0x000C, 0x01, 0, 0),
        Row(0x2B54, 0x1D07, 3, 0, kHeadset, kRoleProtocol, 0x000C, 0x01, 0, 0),
    };
    return table;
}

std::optional<std::size_t> FindSupportedRow(uint16_t vendorId, uint16_t productId,
                                            uint16_t interfaceNumber, uint16_t collectionNumber,
                                            uint16_t usagePage, uint16_t usage) {
    const auto& table = SupportedInterfaces();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const InterfaceSlot& r = table[i];
        if (r.vendorId == vendorId && r.productId == productId &&
            r.interfaceNumber == interfaceNumber && r.collectionNumber == collectionNumber &&
            r.usagePage == usagePage && r.usage == usage) {
            return i;
        }
    }
    return std::nullopt;
}

std::string_view DeviceKindName(uint16_t kind) {
    switch (kind) {
        case device_kind::kKeyboard:
            return "keyboard";
        case device_kind::kKeyboardReceiver:
            return "keyboard (receiver)";
        case device_kind::kMouse:
            return "mouse";
        case device_kind::kMouseReceiver:
            return "mouse (receiver)";
        case device_kind::kMousePad:
            return "mouse pad";
        case device_kind::kHeadset:
            return "headset";
        default:
            return "unknown";
    }
}

}  // namespace halvorn
