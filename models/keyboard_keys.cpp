#include "models/keyboard_keys.h"

#include <algorithm>

namespace halvorn::keyboard {
namespace {

constexpr uint8_t kKeyType = 0x20;

// The table in runs: `count` indices from `first`, all with `code`.
struct Run {
    int first;
    int count;
    KeyCode code;
    bool consecutive;  // the low byte counts up along the run
};

constexpr Run kRuns[] = {
    {0, 1, {kKeyType, 0x00, 0x29}, false},   {1, 15, {kKeyType, 0x00, 0x3A}, true},
    {16, 1, {0xA0, 0x1B, 0x00}, false},      {17, 1, {0xA0, 0x24, 0x00}, false},
    {18, 3, {kKeyType, 0x00, 0x00}, false},  {21, 1, {kKeyType, 0x00, 0x35}, false},
    {22, 10, {kKeyType, 0x00, 0x1E}, true},  {32, 2, {kKeyType, 0x00, 0x2D}, true},
    {34, 1, {kKeyType, 0x00, 0x2A}, false},  {35, 3, {kKeyType, 0x00, 0x49}, true},
    {38, 4, {kKeyType, 0x00, 0x53}, true},   {42, 1, {kKeyType, 0x00, 0x2B}, false},
    {43, 1, {kKeyType, 0x00, 0x14}, false},  {44, 1, {kKeyType, 0x00, 0x1A}, false},
    {45, 1, {kKeyType, 0x00, 0x08}, false},  {46, 1, {kKeyType, 0x00, 0x15}, false},
    {47, 1, {kKeyType, 0x00, 0x17}, false},  {48, 1, {kKeyType, 0x00, 0x1C}, false},
    {49, 1, {kKeyType, 0x00, 0x18}, false},  {50, 1, {kKeyType, 0x00, 0x0C}, false},
    {51, 2, {kKeyType, 0x00, 0x12}, true},   {53, 3, {kKeyType, 0x00, 0x2F}, true},
    {56, 3, {kKeyType, 0x00, 0x4C}, true},   {59, 3, {kKeyType, 0x00, 0x5F}, true},
    {62, 1, {kKeyType, 0x00, 0x32}, false},  {63, 1, {kKeyType, 0x00, 0x39}, false},
    {64, 1, {kKeyType, 0x00, 0x04}, false},  {65, 1, {kKeyType, 0x00, 0x16}, false},
    {66, 1, {kKeyType, 0x00, 0x07}, false},  {67, 3, {kKeyType, 0x00, 0x09}, true},
    {70, 3, {kKeyType, 0x00, 0x0D}, true},   {73, 2, {kKeyType, 0x00, 0x33}, true},
    {75, 1, {kKeyType, 0x00, 0x28}, false},  {76, 3, {kKeyType, 0x00, 0x5C}, true},
    {79, 2, {kKeyType, 0x00, 0x8A}, true},   {81, 2, {kKeyType, 0x00, 0x90}, true},
    {83, 1, {kKeyType, 0x00, 0x88}, false},  {84, 1, {kKeyType, 0x02, 0x00}, false},
    {85, 1, {kKeyType, 0x00, 0x1D}, false},  {86, 1, {kKeyType, 0x00, 0x1B}, false},
    {87, 1, {kKeyType, 0x00, 0x06}, false},  {88, 1, {kKeyType, 0x00, 0x19}, false},
    {89, 1, {kKeyType, 0x00, 0x05}, false},  {90, 1, {kKeyType, 0x00, 0x11}, false},
    {91, 1, {kKeyType, 0x00, 0x10}, false},  {92, 3, {kKeyType, 0x00, 0x36}, true},
    {95, 1, {kKeyType, 0x20, 0x00}, false},  {96, 1, {kKeyType, 0x00, 0x52}, false},
    {97, 3, {kKeyType, 0x00, 0x59}, true},   {100, 1, {kKeyType, 0x00, 0x87}, false},
    {101, 1, {kKeyType, 0x00, 0x89}, false}, {102, 1, {kKeyType, 0x00, 0x64}, false},
    {103, 1, {kKeyType, 0x00, 0x85}, false}, {104, 1, {kKeyType, 0x00, 0x00}, false},
    {105, 1, {kKeyType, 0x01, 0x00}, false}, {106, 1, {kKeyType, 0x08, 0x00}, false},
    {107, 1, {kKeyType, 0x04, 0x00}, false}, {108, 1, {kKeyType, 0x00, 0x2C}, false},
    {109, 1, {kKeyType, 0x40, 0x00}, false}, {110, 1, {0xA0, 0x01, 0x00}, false},
    {111, 1, {kKeyType, 0x00, 0x65}, false}, {112, 1, {kKeyType, 0x10, 0x00}, false},
    {113, 2, {kKeyType, 0x00, 0x50}, true},  {115, 1, {kKeyType, 0x00, 0x4F}, false},
    {116, 2, {kKeyType, 0x00, 0x62}, true},  {118, 1, {kKeyType, 0x00, 0x58}, false},
    {119, 1, {kKeyType, 0x00, 0x57}, false}, {120, 5, {0xD0, 0xA2, 0x01}, true},
    {125, 1, {kKeyType, 0x80, 0x00}, false}, {126, 44, {kKeyType, 0x00, 0x00}, false},
};

constexpr std::array<KeyCode, kKeyIndexCount> MakeKeyCodeTable() {
    std::array<KeyCode, kKeyIndexCount> table{};
    int next = 0;
    for (const Run& run : kRuns) {
        if (run.first != next) throw "the runs must cover every index in order";
        for (int i = 0; i < run.count; ++i) {
            KeyCode code = run.code;
            if (run.consecutive) code.low = static_cast<uint8_t>(code.low + i);
            table[static_cast<std::size_t>(run.first + i)] = code;
        }
        next = run.first + run.count;
    }
    if (next != kKeyIndexCount) throw "the runs must cover every index";
    return table;
}

constexpr std::array<KeyCode, kKeyIndexCount> kKeyCodes = MakeKeyCodeTable();

}  // namespace

const std::array<KeyCode, kKeyIndexCount>& KeyCodeTable() { return kKeyCodes; }

KeyPositionMap BuildKeyPositionMap(std::span<const uint8_t> deviceTable) {
    KeyPositionMap map;
    map.fill(kNoPosition);
    // Whole entries only, and never more positions than a map entry can name.
    const std::size_t count = std::min<std::size_t>(deviceTable.size() / 3, kNoPosition);
    for (int index = 0; index < kKeyIndexCount; ++index) {
        const KeyCode& code = kKeyCodes[static_cast<std::size_t>(index)];
        for (std::size_t q = 0; q < count; ++q) {
            const uint8_t* entry = deviceTable.data() + 3 * q;
            if (entry[0] == code.type && entry[1] == code.high && entry[2] == code.low) {
                map[static_cast<std::size_t>(index)] = static_cast<uint8_t>(q);
                break;
            }
            // Keyboards without their own Fn code keep the Fn key at 113.
            if (index == kFnKeyIndex) map[static_cast<std::size_t>(index)] = kFnDefaultPosition;
        }
    }
    return map;
}

PositionIndexMap BuildPositionIndexMap(const KeyPositionMap& map) {
    PositionIndexMap owners;
    owners.fill(-1);
    // The lowest index wins; the Fn key's fallback position yields to a key
    // really found there, so it is placed only where nothing else is.
    for (int index = kKeyIndexCount - 1; index >= 0; --index) {
        const uint8_t q = map[static_cast<std::size_t>(index)];
        if (index != kFnKeyIndex && q != kNoPosition) owners[q] = static_cast<int16_t>(index);
    }
    const uint8_t fn = map[kFnKeyIndex];
    if (fn != kNoPosition && owners[fn] < 0) owners[fn] = kFnKeyIndex;
    return owners;
}

int KeyIndexAtPosition(const KeyPositionMap& map, int position) {
    if (position < 0 || position >= kNoPosition) return -1;
    return BuildPositionIndexMap(map)[static_cast<std::size_t>(position)];
}

}  // namespace halvorn::keyboard
