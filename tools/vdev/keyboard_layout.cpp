#include "tools/vdev/keyboard_layout.h"

namespace halvorn::vdev {

namespace {

// Runs of consecutive key indices whose codes step byte 2 by one.
struct CodeRun {
    int first;
    int last;
    KeyCode code;
};

constexpr CodeRun kCodeRuns[] = {
    {0, 0, {0x20, 0x00, 0x29}},      // Escape
    {1, 15, {0x20, 0x00, 0x3A}},     // F1-F12, Print Screen, Scroll Lock, Pause
    {16, 16, {0xA0, 0x1B, 0x00}},    // keyboard function keys
    {17, 17, {0xA0, 0x24, 0x00}},    //
    {21, 21, {0x20, 0x00, 0x35}},    // grave
    {22, 31, {0x20, 0x00, 0x1E}},    // 1-0
    {32, 33, {0x20, 0x00, 0x2D}},    // minus, equals
    {34, 34, {0x20, 0x00, 0x2A}},    // Backspace
    {35, 37, {0x20, 0x00, 0x49}},    // Insert, Home, Page Up
    {38, 41, {0x20, 0x00, 0x53}},    // Num Lock, keypad / * -
    {42, 42, {0x20, 0x00, 0x2B}},    // Tab
    {43, 43, {0x20, 0x00, 0x14}},    // Q
    {44, 44, {0x20, 0x00, 0x1A}},    // W
    {45, 45, {0x20, 0x00, 0x08}},    // E
    {46, 46, {0x20, 0x00, 0x15}},    // R
    {47, 47, {0x20, 0x00, 0x17}},    // T
    {48, 48, {0x20, 0x00, 0x1C}},    // Y
    {49, 49, {0x20, 0x00, 0x18}},    // U
    {50, 50, {0x20, 0x00, 0x0C}},    // I
    {51, 52, {0x20, 0x00, 0x12}},    // O, P
    {53, 55, {0x20, 0x00, 0x2F}},    // [ ] backslash
    {56, 58, {0x20, 0x00, 0x4C}},    // Delete, End, Page Down
    {59, 61, {0x20, 0x00, 0x5F}},    // keypad 7-9
    {62, 62, {0x20, 0x00, 0x32}},    // non-US hash
    {63, 63, {0x20, 0x00, 0x39}},    // Caps Lock
    {64, 64, {0x20, 0x00, 0x04}},    // A
    {65, 65, {0x20, 0x00, 0x16}},    // S
    {66, 66, {0x20, 0x00, 0x07}},    // D
    {67, 69, {0x20, 0x00, 0x09}},    // F G H
    {70, 72, {0x20, 0x00, 0x0D}},    // J K L
    {73, 74, {0x20, 0x00, 0x33}},    // semicolon, quote
    {75, 75, {0x20, 0x00, 0x28}},    // Enter
    {76, 78, {0x20, 0x00, 0x5C}},    // keypad 4-6
    {79, 80, {0x20, 0x00, 0x8A}},    // international keys
    {81, 82, {0x20, 0x00, 0x90}},    //
    {83, 83, {0x20, 0x00, 0x88}},    //
    {84, 84, {0x20, 0x02, 0x00}},    // left Shift
    {85, 85, {0x20, 0x00, 0x1D}},    // Z
    {86, 86, {0x20, 0x00, 0x1B}},    // X
    {87, 87, {0x20, 0x00, 0x06}},    // C
    {88, 88, {0x20, 0x00, 0x19}},    // V
    {89, 89, {0x20, 0x00, 0x05}},    // B
    {90, 90, {0x20, 0x00, 0x11}},    // N
    {91, 91, {0x20, 0x00, 0x10}},    // M
    {92, 94, {0x20, 0x00, 0x36}},    // comma, period, slash
    {95, 95, {0x20, 0x20, 0x00}},    // right Shift
    {96, 96, {0x20, 0x00, 0x52}},    // Up
    {97, 99, {0x20, 0x00, 0x59}},    // keypad 1-3
    {100, 100, {0x20, 0x00, 0x87}},  // international keys
    {101, 101, {0x20, 0x00, 0x89}},  //
    {102, 102, {0x20, 0x00, 0x64}},  // non-US backslash
    {103, 103, {0x20, 0x00, 0x85}},  // keypad comma
    {105, 105, {0x20, 0x01, 0x00}},  // left Ctrl
    {106, 106, {0x20, 0x08, 0x00}},  // left GUI
    {107, 107, {0x20, 0x04, 0x00}},  // left Alt
    {108, 108, {0x20, 0x00, 0x2C}},  // Space
    {109, 109, {0x20, 0x40, 0x00}},  // right Alt
    {110, 110, {0xA0, 0x01, 0x00}},  // Fn
    {111, 111, {0x20, 0x00, 0x65}},  // Application
    {112, 112, {0x20, 0x10, 0x00}},  // right Ctrl
    {113, 114, {0x20, 0x00, 0x50}},  // Left, Down
    {115, 115, {0x20, 0x00, 0x4F}},  // Right
    {116, 117, {0x20, 0x00, 0x62}},  // keypad 0, keypad period
    {118, 118, {0x20, 0x00, 0x58}},  // keypad Enter
    {119, 119, {0x20, 0x00, 0x57}},  // keypad plus
    {120, 124, {0xD0, 0xA2, 0x01}},  // media keys
    {125, 125, {0x20, 0x80, 0x00}},  // right GUI
};

constexpr int kFnKeyIndex = 110;

// Key indices per matrix row, 21 columns each (two lines a row); -1 is an empty cell.
// clang-format off
constexpr std::array<int16_t, kMatrixPositions> kMatrix = {
    // Row 0: function and media keys above the keypad.
     -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,  -1,
     -1,  -1,  -1,  16,  17, 120, 121, 122, 123, 124,
    // Row 1: Escape, F1-F12, Print Screen, Scroll Lock, Pause.
      0,   1,   2,   3,   4,   5,   6,   7,   8,   9,  10,
     11,  12,  -1,  13,  14,  15,  -1,  -1,  -1,  -1,
    // Row 2: digits, Backspace, Insert/Home/Page Up, Num Lock and the keypad operators.
     21,  22,  23,  24,  25,  26,  27,  28,  29,  30,  31,
     32,  33,  34,  35,  36,  37,  38,  39,  40,  41,
    // Row 3: Tab, Q-P, brackets, Delete/End/Page Down, keypad 7-9 and plus.
     42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  52,
     53,  54,  55,  56,  57,  58,  59,  60,  61, 119,
    // Row 4: Caps Lock, A-L, semicolon, quote, Enter, keypad 4-6.
     63,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73,
     74,  -1,  75,  -1,  -1,  -1,  76,  77,  78,  -1,
    // Row 5: Shifts, Z-slash, Up, keypad 1-3 and Enter.
     84,  -1,  85,  86,  87,  88,  89,  90,  91,  92,  93,
     94,  -1,  95,  -1,  96,  -1,  97,  98,  99, 118,
    // Row 6: Ctrl, GUI, Alt, Space, Alt, GUI, Fn, Application, Ctrl, arrows, keypad 0 and period.
    105, 106, 107,  -1,  -1,  -1, 108,  -1,  -1, 109, 125,
    110, 111, 112, 113, 114, 115, 116,  -1, 117,  -1,
};
// clang-format on

int ClampKeyCount(int keyCount) {
    if (keyCount <= 0) return kMatrixPositions;
    return keyCount > kMaxKeyCount ? kMaxKeyCount : keyCount;
}

// The key index at position q of a table of the given shape, -1 for none.
int KeyIndexAt(int position, bool hasFnKey) {
    if (position >= kMatrixPositions) return -1;
    int index = kMatrix[static_cast<std::size_t>(position)];
    if (index == kFnKeyIndex && !hasFnKey) return -1;
    return index;
}

}  // namespace

KeyCode FactoryKeyCode(int keyIndex) {
    for (const CodeRun& run : kCodeRuns) {
        if (keyIndex >= run.first && keyIndex <= run.last) {
            KeyCode code = run.code;
            code.byte2 = static_cast<uint8_t>(code.byte2 + (keyIndex - run.first));
            return code;
        }
    }
    return kNoKeyCode;
}

const std::array<int16_t, kMatrixPositions>& FactoryMatrix() { return kMatrix; }

std::vector<uint8_t> FactoryKeyTable(int keyCount, bool hasFnKey) {
    int n = ClampKeyCount(keyCount);
    std::vector<uint8_t> table;
    table.reserve(static_cast<std::size_t>(n) * 3);
    for (int q = 0; q < n; ++q) {
        int index = KeyIndexAt(q, hasFnKey);
        KeyCode code = index < 0 ? kNoKeyCode : FactoryKeyCode(index);
        table.insert(table.end(), {code.type, code.byte1, code.byte2});
    }
    return table;
}

std::vector<uint8_t> FactoryKeyAuxTable(int keyCount, bool hasFnKey) {
    int n = ClampKeyCount(keyCount);
    std::vector<uint8_t> table(static_cast<std::size_t>(n), 0);
    for (int q = 0; q < n; ++q) table[static_cast<std::size_t>(q)] = KeyIndexAt(q, hasFnKey) >= 0;
    return table;
}

}  // namespace halvorn::vdev
