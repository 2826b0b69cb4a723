#pragma once

// The keys a key assignment can name: their virtual-key codes, their
// assignment codes and their language keys, and the PC scan codes of the
// keyboard keys among them (how a captured key press is recognised).

#include <array>
#include <cstdint>
#include <string_view>

namespace halvorn {

struct AssignableKey {
    uint16_t virtualKey = 0;  // 0xFF: no virtual key
    uint8_t type = 0;
    uint8_t param1 = 0;
    uint8_t param2 = 0;
    uint8_t spare = 0;
};

// Rows 0..7 the modifiers (type 0x20, bit in param1), 8..113 the keyboard keys
// (type 0x20, HID usage in param2), 114..131 the media keys (type 0x30,
// consumer usage low and high byte), 132..134 power, sleep and wake (0x40),
// 135..139 M1..M5 (0xD0 A2 01..05), 140 FN (A0 01 00), 141 GM (A0 1B 00).
inline constexpr int kAssignableKeyRows = 142;
inline constexpr int kModifierRows = 8;
inline constexpr int kKeyboardKeyRows = 114;  // rows of type 0x20
// One name more than rows: the last, "keyboard_key_COLOR", has no row.
inline constexpr int kAssignableKeyNames = 143;

const std::array<AssignableKey, kAssignableKeyRows>& AssignableKeyTable();

// The language key of row `row` ("keyboard_key_" + name; the browser stop
// key's is "wed_stop"), or empty outside 0..142.
std::string_view AssignableKeyName(int row);

// The first row with this type and these parameters, or -1.
int FindAssignableKey(uint8_t type, uint8_t param1, uint8_t param2);

// The set-1 scan code of rows 0..112. The last keyboard row (K42, the ISO key
// by Enter) has none of its own: it sends the backslash key's 0x2B.
struct ScanCodeEntry {
    uint16_t virtualKey = 0;
    uint8_t scanCode = 0;
    uint8_t extended = 0;  // 1 for keys sent with the E0 prefix
};
inline constexpr int kScanCodeRows = 113;

const std::array<ScanCodeEntry, kScanCodeRows>& ScanCodeTable();

// The row (also the AssignableKeyTable row) of a scan code with this extended
// flag (only bit 0 counts), or -1.
int FindScanCode(uint8_t scanCode, int extended);

}  // namespace halvorn
