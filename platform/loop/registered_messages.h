#pragma once

// Registered message identifiers: the same name gives the same identifier,
// in this process and in every other one on the desktop, whatever the order
// of registration. The identifier is a hash of the name in the range the
// desktop reserves for registered messages (0xC000-0xFFFF), so processes
// agree without asking each other.

#include <cstdint>
#include <string_view>

namespace halvorn {

inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;
inline constexpr uint32_t kLastRegisteredMessage = 0xFFFF;

// Identifier for `name`; 0 for an empty name.
uint32_t RegisterMessage(std::string_view name);

}  // namespace halvorn
