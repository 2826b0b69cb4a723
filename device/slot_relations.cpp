#include "device/slot_relations.h"

#include "device/device_page_tables.h"

namespace halvorn {
namespace {

bool OnReceiver(const InterfaceSlot& slot) {
    return slot.kind == device_kind::kMouseReceiver || slot.kind == device_kind::kKeyboardReceiver;
}

std::optional<std::size_t> ProtocolSlotOf(std::span<const InterfaceSlot> slots,
                                          const InterfaceSlot& slot) {
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const InterfaceSlot& c = slots[i];
        if (c.vendorId == slot.vendorId && c.productId == slot.productId && c.kind == slot.kind &&
            c.collectionRole == kRoleProtocol) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::size_t> PageIdentitySlot(std::span<const InterfaceSlot> slots, std::size_t s) {
    if (s >= slots.size()) return std::nullopt;
    const InterfaceSlot& slot = slots[s];
    if (slot.collectionRole == kRoleInput) {
        std::optional<std::size_t> protocol = ProtocolSlotOf(slots, slot);
        if (!protocol) return std::nullopt;
        const InterfaceSlot& p = slots[*protocol];
        if (OnReceiver(p) && p.paired) {
            if (p.partner >= slots.size()) return std::nullopt;
            return p.partner;
        }
        return protocol;
    }
    if (slot.collectionRole == kRoleProtocol && OnReceiver(slot) && slot.paired &&
        slot.partner < slots.size() && slots[slot.partner].partner == s) {
        return slot.partner;
    }
    return s;
}

bool PartnerConnected(std::span<const InterfaceSlot> slots, std::size_t s) {
    if (s >= slots.size() || !slots[s].paired || slots[s].partner >= slots.size()) return false;
    const InterfaceSlot& partner = slots[slots[s].partner];
    return partner.occupied != 0 && !partner.path.empty() && partner.partner == s;
}

std::optional<std::size_t> PageRowForSlot(std::span<const InterfaceSlot> slots, std::size_t s) {
    if (s >= slots.size()) return std::nullopt;
    const InterfaceSlot& slot = slots[s];
    if (slot.kind == device_kind::kMouseReceiver) {
        const InterfaceSlot* source = &slot;
        if (slot.paired) {
            if (slot.partner >= slots.size()) return std::nullopt;
            source = &slots[slot.partner];
        }
        return FindDeviceOptionRow(source->vendorId, source->productId, device_kind::kMouse, 0);
    }
    return FindDeviceOptionRow(slot.vendorId, slot.productId, slot.kind, 0);
}

}  // namespace halvorn
