#include "panels/keys/assignable_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace halvorn {
namespace {

TEST(AssignableKeyName, ListsTheNameKeysInRowOrder) {
    struct Case {
        int row;
        const char* name;
    };
    const Case cases[] = {
        {0, "keyboard_key_LCtrl"},
        {7, "keyboard_key_RWin"},
        {8, "keyboard_key_A"},
        {33, "keyboard_key_Z"},
        {34, "keyboard_key_1"},
        {43, "keyboard_key_0"},
        {53, "keyboard_key_xiegang"},
        {57, "keyboard_key_<"},
        {58, "keyboard_key_."},
        {60, "keyboard_key_Caplk"},
        {73, "keyboard_key_Print Scr"},
        {91, "keyboard_key_Num Enter"},
        {113, "keyboard_key_K42"},
        {114, "keyboard_key_Launch App2"},
        {115, "keyboard_key_Browaer Home"},
        {130, "wed_stop"},
        {131, "keyboard_key_Launch Media Select"},
        {132, "keyboard_key_Power"},
        {135, "keyboard_key_M1"},
        {140, "keyboard_key_FN"},
        {141, "keyboard_key_GM"},
        {142, "keyboard_key_COLOR"},
        {143, ""},
        {-1, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(AssignableKeyName(c.row), c.name) << c.row;
}

TEST(AssignableKeyTable, GroupsTheRowsByType) {
    const auto& table = AssignableKeyTable();
    std::set<uint8_t> usages;
    for (int row = 0; row < kKeyboardKeyRows; ++row) {
        EXPECT_EQ(table[row].type, 0x20) << row;
        if (row < kModifierRows) {
            EXPECT_EQ(table[row].param1, 1 << row) << row;
            EXPECT_EQ(table[row].param2, 0) << row;
        } else {
            EXPECT_EQ(table[row].param1, 0) << row;
            EXPECT_TRUE(usages.insert(table[row].param2).second) << "usage twice, row " << row;
        }
    }
    EXPECT_FALSE(usages.contains(0));

    // The eighteen media keys are the consumer usages the media list offers.
    std::set<int> media;
    for (int row = kKeyboardKeyRows; row < 132; ++row) {
        EXPECT_EQ(table[row].type, 0x30) << row;
        media.insert(table[row].param2 << 8 | table[row].param1);
    }
    EXPECT_EQ(media, (std::set<int>{0x183, 0xCD, 0xB7, 0xB6, 0xB5, 0xEA, 0xE9, 0xE2, 0x223, 0x227,
                                    0x226, 0x224, 0x225, 0x22A, 0x221, 0x194, 0x192, 0x18A}));
    for (int row = 132; row < 135; ++row) {
        EXPECT_EQ(table[row].type, 0x40);
        EXPECT_EQ(table[row].param1, 1 << (row - 132));
    }
    for (int row = 135; row < 140; ++row) {
        EXPECT_EQ(table[row].type, 0xD0);
        EXPECT_EQ(table[row].param1, 0xA2);
        EXPECT_EQ(table[row].param2, row - 134);
    }
    EXPECT_EQ(table[140].type, 0xA0);
    EXPECT_EQ(table[140].param1, 0x01);
    EXPECT_EQ(table[141].type, 0xA0);
    EXPECT_EQ(table[141].param1, 0x1B);
}

TEST(AssignableKeyTable, UsesTheStandardCodesOfTheNamedKeys) {
    struct Case {
        const char* name;
        uint16_t virtualKey;
        uint8_t param1;
        uint8_t param2;
    };
    const Case cases[] = {
        {"keyboard_key_LCtrl", 0xA2, 0x01, 0x00},
        {"keyboard_key_RAlt", 0xA5, 0x40, 0x00},
        {"keyboard_key_A", 0x41, 0, 0x04},
        {"keyboard_key_1", 0x31, 0, 0x1E},
        {"keyboard_key_0", 0x30, 0, 0x27},
        {"keyboard_key_Esc", 0x1B, 0, 0x29},
        {"keyboard_key_`", 0xC0, 0, 0x35},
        {"keyboard_key_/", 0xBF, 0, 0x38},
        {"keyboard_key_F12", 0x7B, 0, 0x45},
        {"keyboard_key_Pause", 0x13, 0, 0x48},
        {"keyboard_key_Up", 0x26, 0, 0x52},
        {"keyboard_key_Num /", 0x6F, 0, 0x54},
        {"keyboard_key_Num 1", 0x61, 0, 0x59},
        {"keyboard_key_Num 0", 0x60, 0, 0x62},
        {"keyboard_key_App", 0x5D, 0, 0x65},
        {"keyboard_key_K14", 0xFF, 0, 0x89},
        {"keyboard_key_K42", 0xBF, 0, 0x32},
        {"keyboard_key_Media Play Pause", 0xB3, 0xCD, 0},
        {"keyboard_key_Browser Search", 0xAA, 0x21, 0x02},
        {"wed_stop", 0xA9, 0x26, 0x02},
        {"keyboard_key_Sleep", 0x5F, 0x02, 0},
    };
    for (const Case& c : cases) {
        int row = 0;
        while (row < kAssignableKeyRows && AssignableKeyName(row) != c.name) ++row;
        ASSERT_LT(row, kAssignableKeyRows) << c.name;
        const AssignableKey& key = AssignableKeyTable()[row];
        EXPECT_EQ(key.virtualKey, c.virtualKey) << c.name;
        EXPECT_EQ(key.param1, c.param1) << c.name;
        EXPECT_EQ(key.param2, c.param2) << c.name;
    }
}

TEST(FindAssignableKey, MatchesTypeAndBothParameters) {
    EXPECT_EQ(AssignableKeyName(FindAssignableKey(0x30, 0xCD, 0x00)),
              "keyboard_key_Media Play Pause");
    EXPECT_EQ(AssignableKeyName(FindAssignableKey(0x40, 0x01, 0x00)), "keyboard_key_Power");
    EXPECT_EQ(AssignableKeyName(FindAssignableKey(0xA0, 0x01, 0x00)), "keyboard_key_FN");
    EXPECT_EQ(FindAssignableKey(0x20, 0x01, 0x00), 0);
    EXPECT_EQ(FindAssignableKey(0x20, 0x00, 0x00), -1);
    EXPECT_EQ(FindAssignableKey(0x30, 0x00, 0xCD), -1);
}

TEST(ScanCodeTable, ParallelsTheKeyboardRowsWithUniqueCodes) {
    std::set<std::pair<int, int>> seen;
    for (int row = 0; row < kScanCodeRows; ++row) {
        const ScanCodeEntry& entry = ScanCodeTable()[row];
        EXPECT_EQ(entry.virtualKey, AssignableKeyTable()[row].virtualKey) << row;
        EXPECT_NE(entry.scanCode, 0) << row;
        EXPECT_TRUE(seen.insert({entry.scanCode, entry.extended}).second) << "twice, row " << row;
    }
}

TEST(FindScanCode, TellsKeysApartByTheExtendedFlag) {
    struct Case {
        uint8_t scanCode;
        int flags;
        const char* name;  // empty: no row
    };
    const Case cases[] = {
        {0x1C, 0, "keyboard_key_Enter"},
        {0x1C, 1, "keyboard_key_Num Enter"},
        {0x45, 0, "keyboard_key_Pause"},
        {0x45, 1, "keyboard_key_Num Lock"},
        {0x1D, 0, "keyboard_key_LCtrl"},
        {0x1D, 1, "keyboard_key_RCtrl"},
        {0x38, 1, "keyboard_key_RAlt"},
        {0x5B, 1, "keyboard_key_LWin"},
        {0x35, 1, "keyboard_key_Num /"},
        {0x35, 0, "keyboard_key_/"},
        {0x37, 1, "keyboard_key_Print Scr"},
        {0x37, 0, "keyboard_key_Num *"},
        {0x4B, 1, "keyboard_key_Left"},
        {0x4B, 0, "keyboard_key_Num 4"},
        {0x2B, 0, "keyboard_key_xiegang"},
        {0x1E, 0, "keyboard_key_A"},
        {0x58, 0, "keyboard_key_F12"},
        {0x56, 0, "keyboard_key_K45"},
        {0x1C, 3, "keyboard_key_Num Enter"},  // only bit 0 is the flag
        {0x1C, 2, "keyboard_key_Enter"},
        {0x1E, 1, ""},
        {0x00, 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AssignableKeyName(FindScanCode(c.scanCode, c.flags)), c.name)
            << std::hex << int(c.scanCode) << "/" << c.flags;
    }
}

}  // namespace
}  // namespace halvorn
