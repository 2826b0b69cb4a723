#pragma once

// How the slots of one physical device relate: a device may be reachable
// through its protocol and its input collection, and a wireless one through
// its cable and its receiver. The main window resolves these on the UI
// thread, over a copy of the watcher's slot list.

#include <cstddef>
#include <optional>
#include <span>

#include "device/supported_interfaces.h"

namespace halvorn {

// The slot whose record is the identity of the device page that slot `s`
// belongs to: for an input collection the protocol slot of the same vendor,
// product and kind (and, on a receiver, that slot's partner on the cable);
// for a receiver's protocol slot whose partner names it back, the partner;
// otherwise `s` itself. None when `s` is out of range or a slot it leads to
// is missing.
std::optional<std::size_t> PageIdentitySlot(std::span<const InterfaceSlot> slots, std::size_t s);

// Whether the device of slot `s` is also attached through its other
// connection: `s` is paired and its partner is occupied, has a path and
// names `s` as its partner.
bool PartnerConnected(std::span<const InterfaceSlot> slots, std::size_t s);

// The row of DeviceOptionTable that creates the page of slot `s`: looked up
// by the slot's vendor, product and kind (variant 0), except that a mouse on
// its receiver (kind 6) looks up the cable mouse (kind 2), with the
// partner's vendor and product when paired. A keyboard on its receiver
// finds no row: its page is the cable keyboard's.
std::optional<std::size_t> PageRowForSlot(std::span<const InterfaceSlot> slots, std::size_t s);

}  // namespace halvorn
