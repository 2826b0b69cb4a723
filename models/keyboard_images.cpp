#include "models/keyboard_images.h"

#include <algorithm>

namespace halvorn::keyboard {
namespace {

constexpr uint8_t kMacroType = 0x70;
constexpr uint8_t kRepeatedMacroType = 0x71;
constexpr int kMaxSpeed = 4;
constexpr std::size_t kMacroHeaderSize = 16;
constexpr std::size_t kMaxMacroBlockSize = 0xFFFF;  // its length field is 16 bits

bool IsMacro(const KeyCode& code) {
    return code.type == kMacroType || code.type == kRepeatedMacroType;
}

bool IsHostDriven(int code) { return code == 29 || code == 30; }

// Key entries 0..125 with a position; `visit(record, position)`.
template <typename Visit>
void ForEachPlacedKey(std::span<const KeyAssignRecord> keys, const KeyPositionMap& positions,
                      Visit visit) {
    const std::size_t count = std::min<std::size_t>(keys.size(), lighting::kAssignableKeyCount);
    for (std::size_t k = 0; k < count; ++k) {
        if (positions[k] != kNoPosition) visit(keys[k], positions[k]);
    }
}

void Put16(std::vector<uint8_t>& out, std::size_t at, std::size_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

SettingsTransfer BuildSettingsTransfer(const LightModeRecord& light,
                                       const KeyboardSystemRecord& system,
                                       std::span<const EffectListEntry> effects,
                                       uint8_t activeValue) {
    SettingsTransfer out{};
    out[0] = activeValue;
    // An effect the list does not know has no code the keyboard could keep:
    // it is written as host-driven, which a read leaves alone.
    uint8_t code = kHostDrivenCode;
    if (light.selectItem < effects.size()) {
        const int value = effects[light.selectItem].code;
        if (!IsHostDriven(value) && value >= 0 && value <= 0xFF) code = static_cast<uint8_t>(value);
    }
    out[1] = code;
    out[2] = light.light;
    out[3] = static_cast<uint8_t>(kMaxSpeed - std::min<int>(light.speed, kMaxSpeed));
    out[4] = light.fx;
    out[5] = light.multiColor;
    out[6] = light.red;
    out[7] = light.green;
    out[8] = light.blue;
    out[18] = light.zzccLedMode;
    out[19] = static_cast<uint8_t>(system.wFlag);
    out[20] = static_cast<uint8_t>(system.key6Flag);
    out[21] = static_cast<uint8_t>(system.winFlag);
    out[22] = static_cast<uint8_t>(system.pollingRate);
    out[25] = light.customGroup;
    return out;
}

SettingsRead ParseSettingsTransfer(const SettingsTransfer& transfer, uint8_t activeProfile,
                                   const LightModeRecord& current,
                                   const KeyboardSystemRecord& currentSystem,
                                   std::span<const EffectListEntry> effects) {
    SettingsRead read{transfer, current, currentSystem};
    read.block[0] = activeProfile;
    read.block[16] = 0;
    const uint8_t code = transfer[1];
    if (code != kHostDrivenCode) {
        const std::size_t count = std::min<std::size_t>(effects.size(), 0x100);
        for (std::size_t k = 0; k < count; ++k) {
            if (effects[k].code == code) {
                read.block[1] = static_cast<uint8_t>(k);
                read.light.selectItem = static_cast<uint8_t>(k);
                break;
            }
        }
    }
    read.light.light = transfer[2];
    // A speed byte above 4 reads as the slowest speed rather than wrapping.
    read.light.speed = static_cast<uint8_t>(kMaxSpeed - std::min<int>(transfer[3], kMaxSpeed));
    read.light.fx = transfer[4];
    read.light.multiColor = transfer[5];
    read.light.red = transfer[6];
    read.light.green = transfer[7];
    read.light.blue = transfer[8];
    read.light.zzccLedMode = transfer[18];
    read.light.customGroup = transfer[25];
    read.system.wFlag = transfer[19];
    read.system.key6Flag = transfer[20];
    read.system.winFlag = transfer[21];
    return read;
}

std::vector<int> CollectUsedMacros(std::span<const KeyAssignRecord> keys,
                                   const KeyPositionMap& positions, int macroCount) {
    std::vector<int> slots;
    ForEachPlacedKey(keys, positions, [&](const KeyAssignRecord& key, uint8_t) {
        const int number = key.assignment.high;
        if (!IsMacro(key.assignment) || number >= macroCount) return;
        if (std::find(slots.begin(), slots.end(), number) == slots.end()) slots.push_back(number);
    });
    return slots;
}

std::vector<uint8_t> BuildKeyTableImage(std::span<const uint8_t> deviceTable,
                                        std::span<const KeyAssignRecord> keys,
                                        const KeyPositionMap& positions, int macroCount) {
    std::size_t length = std::min(deviceTable.size(), kMaxKeyTableBytes);
    length -= length % 3;
    std::vector<uint8_t> image(deviceTable.begin(),
                               deviceTable.begin() + static_cast<std::ptrdiff_t>(length));
    const std::vector<int> slots = CollectUsedMacros(keys, positions, macroCount);
    ForEachPlacedKey(keys, positions, [&](const KeyAssignRecord& key, uint8_t position) {
        // The Fn key's fallback position can lie beyond a short table.
        const std::size_t at = 3 * static_cast<std::size_t>(position);
        if (at + 3 > image.size()) return;
        KeyCode code = key.assignment;
        if (IsMacro(code)) {
            const auto slot = std::find(slots.begin(), slots.end(), code.high);
            if (slot != slots.end()) {
                code.high = static_cast<uint8_t>(slot - slots.begin());
            } else {
                code = key.defaultAssignment;
            }
        }
        image[at] = code.type;
        image[at + 1] = code.high;
        image[at + 2] = code.low;
    });
    return image;
}

std::size_t MacroBlockLength(std::span<const std::vector<MacroEvent>> macros) {
    std::size_t length = kMacroHeaderSize + 6 * macros.size();
    for (const auto& events : macros) length += 4 * events.size();
    return length;
}

std::vector<uint8_t> BuildMacroBlock(std::span<const std::vector<MacroEvent>> macros) {
    const std::size_t length = MacroBlockLength(macros);
    if (length > kMaxMacroBlockSize) return {};
    std::vector<uint8_t> block(length, 0);
    block[0] = 0xAA;
    block[1] = 0x55;
    Put16(block, 2, length);
    Put16(block, 4, macros.size());
    std::size_t at = kMacroHeaderSize + 2 * macros.size();
    for (std::size_t m = 0; m < macros.size(); ++m) {
        Put16(block, kMacroHeaderSize + 2 * m, at);
        Put16(block, at, macros[m].size());
        at += 4;
        for (const MacroEvent& event : macros[m]) {
            Put16(block, at, static_cast<std::size_t>(std::clamp(event.delay, 0, kMaxMacroDelay)));
            const uint8_t down = event.action == MacroAction::kDown ? 0x80 : 0x00;
            block[at + 2] = static_cast<uint8_t>(event.type | down);
            block[at + 3] = static_cast<uint8_t>(event.button);
            at += 4;
        }
    }
    return block;
}

int MacroOverflow(std::size_t length, std::size_t capacity) {
    if (length <= capacity) return 0;
    return static_cast<int>(std::min<std::size_t>((length - capacity) / 4 + 1, 0x7FFFFFFF));
}

std::array<uint8_t, kKeyMaskSize> BuildKeyMask(std::span<const int> positions) {
    std::array<uint8_t, kKeyMaskSize> mask{};
    for (int q : positions) {
        // Eight bits per byte: positions from 168 on cannot be marked.
        if (q < 0 || q >= static_cast<int>(8 * kKeyMaskSize)) continue;
        mask[static_cast<std::size_t>(q) % kKeyMaskSize] |=
            static_cast<uint8_t>(1u << (static_cast<std::size_t>(q) / kKeyMaskSize));
    }
    return mask;
}

std::vector<uint8_t> BuildLightFrame(std::span<const lighting::LedEntry> leds,
                                     const KeyPositionMap& lightPositions, int keyCount) {
    const int count = std::clamp(keyCount, 0, static_cast<int>(kMaxKeyTableBytes / 3));
    std::vector<uint8_t> frame(3 * static_cast<std::size_t>(count), 0);
    const PositionIndexMap owners = BuildPositionIndexMap(lightPositions);
    for (int q = 0; q < count; ++q) {
        const int index = owners[static_cast<std::size_t>(q)];
        if (index < 0 || static_cast<std::size_t>(index) >= leds.size()) continue;
        const lighting::LedEntry& led = leds[static_cast<std::size_t>(index)];
        const std::size_t at = 3 * static_cast<std::size_t>(q);
        frame[at] = lighting::Scale(led.red, led.brightness);
        frame[at + 1] = lighting::Scale(led.green, led.brightness);
        frame[at + 2] = lighting::Scale(led.blue, led.brightness);
    }
    return frame;
}

}  // namespace halvorn::keyboard
