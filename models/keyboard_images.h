#pragma once

// The keyboard's memory images as pure functions: the 26-byte settings
// transfer, the key table with macro slots, the macro block, the key mask and
// the light frame.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "models/keyboard_keys.h"
#include "models/lighting/led_entry.h"
#include "profile/macro_store.h"
#include "profile/profile_records.h"

namespace halvorn::keyboard {

inline constexpr std::size_t kSettingsTransferSize = 26;
inline constexpr std::size_t kProfileBlockSize = 25;
inline constexpr uint8_t kHostDrivenCode = 0xFE;
inline constexpr std::size_t kKeyMaskSize = 21;
inline constexpr std::size_t kMaxKeyTableBytes = 512;

using SettingsTransfer = std::array<uint8_t, kSettingsTransferSize>;

// One entry of the effect list: the effect codes the keyboard uses by
// SelectItem.
struct EffectListEntry {
    std::string name;  // "LightName", a language key
    bool visible = false;
    int code = 0;  // "value"
};

// The transfer written at offset 25p: byte 0 `activeValue`, the light record
// and system settings as the keyboard stores them (effect code of
// SelectItem, 29 and 30 as 0xFE; speed as 4 - speed). A SelectItem outside
// the list is written as 0xFE too; a speed above 4 as 0.
SettingsTransfer BuildSettingsTransfer(const LightModeRecord& light,
                                       const KeyboardSystemRecord& system,
                                       std::span<const EffectListEntry> effects,
                                       uint8_t activeValue);

// What a read transfer gives back. The light record and system settings
// start from the current ones; 0xFE (or a code not in the list) keeps the
// current SelectItem; Repeat, RepeatDelay and PollingRate are not read. A
// speed byte above 4 reads as speed 0.
struct SettingsRead {
    SettingsTransfer block{};  // byte 0 the active profile, byte 1 the list index, byte 16 0
    LightModeRecord light;
    KeyboardSystemRecord system;
};
SettingsRead ParseSettingsTransfer(const SettingsTransfer& transfer, uint8_t activeProfile,
                                   const LightModeRecord& current,
                                   const KeyboardSystemRecord& currentSystem,
                                   std::span<const EffectListEntry> effects);

// Macro numbers used by keys 0..125 that have a position, in order of first
// use (the keyboard's macro slots); numbers not below macroCount are left out.
std::vector<int> CollectUsedMacros(std::span<const KeyAssignRecord> keys,
                                   const KeyPositionMap& positions, int macroCount);

// The key table image: a copy of the device's table (whole entries, at most
// kMaxKeyTableBytes) with every assignable key's code at its position;
// macro keys carry their slot, keys of unknown macros their default code.
// Positions beyond the table are left out.
std::vector<uint8_t> BuildKeyTableImage(std::span<const uint8_t> deviceTable,
                                        std::span<const KeyAssignRecord> keys,
                                        const KeyPositionMap& positions, int macroCount);

// 16 + 6m + 4 * (events) bytes.
std::size_t MacroBlockLength(std::span<const std::vector<MacroEvent>> macros);
// The block of the macros in slot order (AA 55, length, count, offsets,
// records); events as 16-bit delay (clamped to 0..65535), type | 0x80 for a
// press, button. Empty when the block would exceed its 16-bit length field.
std::vector<uint8_t> BuildMacroBlock(std::span<const std::vector<MacroEvent>> macros);
// 0 when the block fits `capacity` bytes, else the events too many plus one.
int MacroOverflow(std::size_t length, std::size_t capacity);

// Key position q sets bit q / 21 of byte q % 21; positions outside 0..167
// are ignored.
std::array<uint8_t, kKeyMaskSize> BuildKeyMask(std::span<const int> positions);

// 3n bytes: for key position q the colours of the key index mapped to it,
// each scaled by its brightness; unmapped positions 0. n is capped at 170
// (3n <= 512); where indices share a position, KeyIndexAtPosition's wins.
std::vector<uint8_t> BuildLightFrame(std::span<const lighting::LedEntry> leds,
                                     const KeyPositionMap& lightPositions, int keyCount);

}  // namespace halvorn::keyboard
