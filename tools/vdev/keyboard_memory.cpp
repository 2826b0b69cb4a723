#include "tools/vdev/keyboard_memory.h"

#include "tools/vdev/keyboard_firmware.h"
#include "tools/vdev/keyboard_layout.h"

namespace halvorn::vdev {

namespace {

constexpr std::size_t kMacroHeaderSize = 16;
constexpr std::size_t kMacroRecordHeader = 4;
constexpr std::size_t kMacroEventSize = 4;

uint16_t Le16(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

struct FactoryProfile {
    uint8_t effect;
    uint8_t speedStored;
    uint8_t colourCycle;
    uint8_t red, green, blue;
};

// Five distinct looks, repeated for further profiles.
constexpr FactoryProfile kFactoryProfiles[] = {
    {1, 2, 1, 0xFF, 0x00, 0x00},  // wave, colour cycle
    {2, 2, 0, 0x00, 0xFF, 0x00},  // breathing green
    {3, 1, 0, 0x00, 0x00, 0xFF},  // steady blue
    {4, 3, 1, 0xFF, 0xFF, 0xFF},  // ripple
    {5, 2, 0, 0xFF, 0x80, 0x00},  // reactive orange
};

}  // namespace

std::array<uint8_t, kInfoBlockSize> FactoryInfoBlock(const KeyboardOptions& options, int keyCount,
                                                     int profileCount) {
    std::array<uint8_t, kInfoBlockSize> info{};
    info[0] = static_cast<uint8_t>(options.version & 0xFF);
    info[1] = static_cast<uint8_t>(options.version >> 8);
    info[2] = 1;
    info[3] = static_cast<uint8_t>(profileCount);
    info[4] = 0;
    info[5] = static_cast<uint8_t>(keyCount);
    info[6] = options.macroUnits;
    info[7] = kMatrixRows;
    info[8] = kMatrixColumns;
    info[9] = 5;
    info[10] = static_cast<uint8_t>(options.vendorId & 0xFF);
    info[11] = static_cast<uint8_t>(options.vendorId >> 8);
    info[12] = static_cast<uint8_t>(options.productId & 0xFF);
    info[13] = static_cast<uint8_t>(options.productId >> 8);
    return info;
}

std::vector<uint8_t> FactorySettings(int profileCount) {
    std::vector<uint8_t> memory(1 + kProfileBlockSize * static_cast<std::size_t>(profileCount), 0);
    memory[0] = 0;
    for (int p = 0; p < profileCount; ++p) {
        const FactoryProfile& look = kFactoryProfiles[static_cast<std::size_t>(p) % 5];
        uint8_t* block = memory.data() + 1 + kProfileBlockSize * static_cast<std::size_t>(p);
        block[0] = look.effect;
        block[1] = 4;  // full brightness
        block[2] = look.speedStored;
        block[3] = 0;
        block[4] = look.colourCycle;
        block[5] = look.red;
        block[6] = look.green;
        block[7] = look.blue;
        block[21] = 1;  // polling rate code: 1000 Hz
    }
    return memory;
}

std::size_t DeclaredMacroLength(std::span<const uint8_t> block) {
    if (block.size() < 4) return 0;
    return Le16(block, 2);
}

MacroBlockCheck CheckMacroBlock(std::span<const uint8_t> block) {
    auto fail = [](std::string problem) { return MacroBlockCheck{false, std::move(problem)}; };
    if (block.size() < kMacroHeaderSize) return fail("shorter than its header");
    if (block[0] != 0xAA || block[1] != 0x55) return fail("no AA 55 signature");
    std::size_t total = Le16(block, 2);
    if (total < kMacroHeaderSize || total > block.size()) return fail("bad total length");
    std::size_t count = Le16(block, 4);
    std::size_t expected = kMacroHeaderSize + 2 * count;
    if (expected > total) return fail("offset table beyond the block");
    for (std::size_t m = 0; m < count; ++m) {
        std::size_t offset = Le16(block, kMacroHeaderSize + 2 * m);
        if (offset != expected) {
            return fail("macro " + std::to_string(m) + " starts at " + std::to_string(offset) +
                        ", expected " + std::to_string(expected));
        }
        if (offset + kMacroRecordHeader > total) {
            return fail("macro " + std::to_string(m) + " header beyond the block");
        }
        std::size_t events = Le16(block, offset);
        expected = offset + kMacroRecordHeader + kMacroEventSize * events;
        if (expected > total) return fail("macro " + std::to_string(m) + " beyond the block");
    }
    if (expected != total) return fail("records end before the declared length");
    return {true, {}};
}

}  // namespace halvorn::vdev
