#include "models/keyboard_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace halvorn::keyboard {
namespace {

constexpr KeyCode kNoKey{0x20, 0x00, 0x00};

std::vector<uint8_t> TableOf(const std::vector<KeyCode>& codes) {
    std::vector<uint8_t> table;
    for (const KeyCode& code : codes) table.insert(table.end(), {code.type, code.high, code.low});
    return table;
}

// A keyboard that reports its keys in the factory order.
std::vector<uint8_t> FactoryTable() {
    return TableOf({KeyCodeTable().begin(), KeyCodeTable().end()});
}

TEST(KeyCodeTable, HoldsTheFactoryCodes) {
    struct Case {
        int index;
        KeyCode code;
    };
    const Case cases[] = {
        {0, {0x20, 0x00, 0x29}},
        {1, {0x20, 0x00, 0x3A}},
        {15, {0x20, 0x00, 0x48}},
        {16, {0xA0, 0x1B, 0x00}},
        {17, {0xA0, 0x24, 0x00}},
        {18, kNoKey},
        {20, kNoKey},
        {21, {0x20, 0x00, 0x35}},
        {22, {0x20, 0x00, 0x1E}},
        {31, {0x20, 0x00, 0x27}},
        {41, {0x20, 0x00, 0x56}},
        {50, {0x20, 0x00, 0x0C}},
        {61, {0x20, 0x00, 0x61}},
        {80, {0x20, 0x00, 0x8B}},
        {82, {0x20, 0x00, 0x91}},
        {84, {0x20, 0x02, 0x00}},
        {95, {0x20, 0x20, 0x00}},
        {104, kNoKey},
        {105, {0x20, 0x01, 0x00}},
        {108, {0x20, 0x00, 0x2C}},
        {110, {0xA0, 0x01, 0x00}},
        {112, {0x20, 0x10, 0x00}},
        {114, {0x20, 0x00, 0x51}},
        {117, {0x20, 0x00, 0x63}},
        {120, {0xD0, 0xA2, 0x01}},
        {124, {0xD0, 0xA2, 0x05}},
        {125, {0x20, 0x80, 0x00}},
        {126, kNoKey},
        {169, kNoKey},
    };
    for (const Case& c : cases) EXPECT_EQ(KeyCodeTable()[c.index], c.code) << c.index;
}

TEST(BuildKeyPositionMap, FactoryOrderMapsEveryKeyToItsOwnIndex) {
    const KeyPositionMap map = BuildKeyPositionMap(FactoryTable());
    for (int i = 0; i < kKeyIndexCount; ++i) {
        // Keyless indices all share the first keyless position.
        const int expected = KeyCodeTable()[i] == kNoKey ? 18 : i;
        EXPECT_EQ(map[i], expected) << i;
    }
}

TEST(BuildKeyPositionMap, FollowsTheKeyboardsOwnOrder) {
    const KeyPositionMap map = BuildKeyPositionMap(
        TableOf({KeyCodeTable()[1], KeyCodeTable()[0], kNoKey, KeyCodeTable()[1]}));
    EXPECT_EQ(map[1], 0);  // the first position holding the code
    EXPECT_EQ(map[0], 1);
    EXPECT_EQ(map[18], 2);
    EXPECT_EQ(map[126], 2);
    EXPECT_EQ(map[2], kNoPosition);
}

TEST(BuildKeyPositionMap, FnWithoutItsCodeFallsBackTo113) {
    std::vector<uint8_t> table = FactoryTable();
    table[3 * 110] = 0x20;  // position 110 now holds something else
    EXPECT_EQ(BuildKeyPositionMap(table)[kFnKeyIndex], kFnDefaultPosition);
    // Also when the table is too short to hold position 113.
    EXPECT_EQ(BuildKeyPositionMap(TableOf({KeyCodeTable()[0]}))[kFnKeyIndex], 113);
    // A code found after non-matching positions wins over the fallback.
    EXPECT_EQ(BuildKeyPositionMap(TableOf({kNoKey, kNoKey, {0xA0, 0x01, 0x00}}))[kFnKeyIndex], 2);
}

TEST(BuildKeyPositionMap, UsesWholeEntriesOnly) {
    // The trailing two bytes would be the start of the Fn code.
    std::vector<uint8_t> table = TableOf({KeyCodeTable()[0]});
    table.insert(table.end(), {0xA0, 0x01});
    const KeyPositionMap map = BuildKeyPositionMap(table);
    EXPECT_EQ(map[0], 0);
    EXPECT_EQ(map[kFnKeyIndex], kFnDefaultPosition);

    const KeyPositionMap empty = BuildKeyPositionMap({});
    for (int i = 0; i < kKeyIndexCount; ++i) EXPECT_EQ(empty[i], kNoPosition) << i;
}

TEST(KeyIndexAtPosition, PrefersTheLowestIndexAndARealKeyOverFnsFallback) {
    std::vector<uint8_t> table = FactoryTable();
    table[3 * 110] = 0xA1;  // no Fn: index 110 falls back onto Left arrow's position
    const KeyPositionMap map = BuildKeyPositionMap(table);
    ASSERT_EQ(map[kFnKeyIndex], 113);
    ASSERT_EQ(map[113], 113);
    EXPECT_EQ(KeyIndexAtPosition(map, 113), 113);
    EXPECT_EQ(KeyIndexAtPosition(map, 18), 18);
    EXPECT_EQ(KeyIndexAtPosition(map, 5), 5);
    EXPECT_EQ(KeyIndexAtPosition(map, 110), -1);  // nothing maps there any more

    // With no other key there, the fallback position is Fn's.
    const KeyPositionMap short_ = BuildKeyPositionMap(TableOf({KeyCodeTable()[0]}));
    EXPECT_EQ(KeyIndexAtPosition(short_, 113), kFnKeyIndex);
    EXPECT_EQ(KeyIndexAtPosition(short_, 0), 0);
    for (int position : {-1, 1, 255, 1000}) {
        EXPECT_EQ(KeyIndexAtPosition(short_, position), -1) << position;
    }
}

}  // namespace
}  // namespace halvorn::keyboard
