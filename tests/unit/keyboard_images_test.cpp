#include "models/keyboard_images.h"

#include <gtest/gtest.h>

#include <vector>

namespace halvorn::keyboard {
namespace {

const std::vector<EffectListEntry> kEffects = {
    {"a", true, 0}, {"b", true, 7}, {"c", true, 29}, {"d", true, 30}, {"e", true, 21},
};

LightModeRecord SampleLight() {
    LightModeRecord light;
    light.selectItem = 1;
    light.light = 3;
    light.speed = 1;
    light.fx = 2;
    light.multiColor = 1;
    light.red = 0x11;
    light.green = 0x22;
    light.blue = 0x33;
    light.zzccLedMode = 5;
    light.customGroup = 4;
    return light;
}

KeyboardSystemRecord SampleSystem() { return {600, 250, 1, 3, 1, 1}; }

TEST(BuildSettingsTransfer, LaysOutTheProfileBlock) {
    const SettingsTransfer out = BuildSettingsTransfer(SampleLight(), SampleSystem(), kEffects, 9);
    const SettingsTransfer expected = {9, 7, 3, 3, 2, 1, 0x11, 0x22, 0x33, 0, 0, 0, 0,
                                       0, 0, 0, 0, 0, 5, 1,    1,    1,    3, 0, 0, 4};
    EXPECT_EQ(out, expected);
}

TEST(BuildSettingsTransfer, WritesHostDrivenAndUnknownEffectsAs0xFE) {
    struct Case {
        uint8_t selectItem;
        uint8_t code;
    };
    for (const Case c : {Case{0, 0}, Case{2, 0xFE}, Case{3, 0xFE}, Case{4, 21}, Case{5, 0xFE}}) {
        LightModeRecord light = SampleLight();
        light.selectItem = c.selectItem;
        EXPECT_EQ(BuildSettingsTransfer(light, {}, kEffects, 0)[1], c.code) << int(c.selectItem);
    }
}

TEST(BuildSettingsTransfer, StoresSpeedReversed) {
    struct Case {
        uint8_t speed;
        uint8_t stored;
    };
    for (const Case c : {Case{0, 4}, Case{1, 3}, Case{4, 0}, Case{9, 0}}) {
        LightModeRecord light;
        light.speed = c.speed;
        EXPECT_EQ(BuildSettingsTransfer(light, {}, kEffects, 0)[3], c.stored) << int(c.speed);
    }
}

TEST(ParseSettingsTransfer, ReadsTheBlockBack) {
    LightModeRecord current;
    current.selectItem = 4;
    current.oldLedMode = 8;
    const KeyboardSystemRecord currentSystem{600, 250, 0, 3, 0, 0};
    SettingsTransfer transfer = BuildSettingsTransfer(SampleLight(), SampleSystem(), kEffects, 9);
    transfer[16] = 0x5A;
    transfer[22] = 1;  // a polling rate the read must not take

    const SettingsRead read = ParseSettingsTransfer(transfer, 2, current, currentSystem, kEffects);
    LightModeRecord expectedLight = SampleLight();
    expectedLight.oldLedMode = 8;  // not in the block
    EXPECT_EQ(read.light, expectedLight);
    EXPECT_EQ(read.system, (KeyboardSystemRecord{600, 250, 1, 3, 1, 1}));
    EXPECT_EQ(read.block[0], 2);
    EXPECT_EQ(read.block[1], 1);  // the list index of code 7
    EXPECT_EQ(read.block[16], 0);
    EXPECT_EQ(read.block[22], 1);
}

TEST(ParseSettingsTransfer, KeepsTheEffectForHostDrivenAndUnknownCodes) {
    LightModeRecord current;
    current.selectItem = 3;
    for (uint8_t code : {uint8_t{0xFE}, uint8_t{99}}) {
        SettingsTransfer transfer{};
        transfer[1] = code;
        const SettingsRead read = ParseSettingsTransfer(transfer, 0, current, {}, kEffects);
        EXPECT_EQ(read.light.selectItem, 3) << int(code);
        EXPECT_EQ(read.block[1], code);
    }
}

TEST(ParseSettingsTransfer, ReadsSpeedReversed) {
    struct Case {
        uint8_t stored;
        uint8_t speed;
    };
    for (const Case c : {Case{4, 0}, Case{3, 1}, Case{0, 4}, Case{200, 0}}) {
        SettingsTransfer transfer{};
        transfer[3] = c.stored;
        EXPECT_EQ(ParseSettingsTransfer(transfer, 0, {}, {}, kEffects).light.speed, c.speed)
            << int(c.stored);
    }
}

// A key list of 170 entries, each with its factory code as default and
// current assignment.
std::vector<KeyAssignRecord> FactoryKeys() {
    std::vector<KeyAssignRecord> keys(kKeyIndexCount);
    for (int i = 0; i < kKeyIndexCount; ++i) {
        keys[i] = {static_cast<uint16_t>(i), KeyCodeTable()[i], KeyCodeTable()[i]};
    }
    return keys;
}

std::vector<uint8_t> FactoryTable() {
    std::vector<uint8_t> table;
    for (const KeyCode& code : KeyCodeTable())
        table.insert(table.end(), {code.type, code.high, code.low});
    return table;
}

KeyCode At(const std::vector<uint8_t>& image, int position) {
    return {image[3 * position], image[3 * position + 1], image[3 * position + 2]};
}

TEST(MacroSlots, FollowFirstUseAndLeaveOutUnknownMacros) {
    std::vector<KeyAssignRecord> keys = FactoryKeys();
    keys[3].assignment = {0x70, 5, 1};
    keys[7].assignment = {0x71, 2, 3};
    keys[9].assignment = {0x70, 5, 0};
    keys[130].assignment = {0x70, 4, 0};  // beyond the assignable keys
    KeyPositionMap positions = BuildKeyPositionMap(FactoryTable());

    EXPECT_EQ(CollectUsedMacros(keys, positions, 6), (std::vector<int>{5, 2}));
    EXPECT_EQ(CollectUsedMacros(keys, positions, 5), (std::vector<int>{2}));
    EXPECT_TRUE(CollectUsedMacros(keys, positions, 0).empty());
    positions[3] = kNoPosition;
    positions[9] = kNoPosition;
    EXPECT_EQ(CollectUsedMacros(keys, positions, 6), (std::vector<int>{2}));
}

TEST(BuildKeyTableImage, WritesAssignmentsWithMacroSlots) {
    const std::vector<uint8_t> table = FactoryTable();
    std::vector<KeyAssignRecord> keys = FactoryKeys();
    keys[3].assignment = {0x70, 5, 1};
    keys[7].assignment = {0x71, 2, 3};
    keys[64].assignment = {0x20, 0x01, 0x06};
    keys[130].assignment = {0x20, 0x00, 0x04};
    const KeyPositionMap positions = BuildKeyPositionMap(table);

    const std::vector<uint8_t> six = BuildKeyTableImage(table, keys, positions, 6);
    ASSERT_EQ(six.size(), table.size());
    EXPECT_EQ(At(six, 3), (KeyCode{0x70, 0, 1}));
    EXPECT_EQ(At(six, 7), (KeyCode{0x71, 1, 3}));
    EXPECT_EQ(At(six, 64), (KeyCode{0x20, 0x01, 0x06}));
    EXPECT_EQ(At(six, 130), KeyCodeTable()[130]);  // only keys 0..125 are written
    EXPECT_EQ(At(six, 0), KeyCodeTable()[0]);

    // Macro 5 does not exist with five macros: key 3 gets its default.
    const std::vector<uint8_t> five = BuildKeyTableImage(table, keys, positions, 5);
    EXPECT_EQ(At(five, 3), KeyCodeTable()[3]);
    EXPECT_EQ(At(five, 7), (KeyCode{0x71, 0, 3}));
}

TEST(BuildKeyTableImage, KeepsUnmappedPositionsAndStaysInsideTheTable) {
    // Two positions: an unknown code, then Escape; no Fn, so Fn falls back
    // to 113, far beyond this table.
    const std::vector<uint8_t> table = {0x20, 0x00, 0x99, 0x20, 0x00, 0x29, 0xAB};
    std::vector<KeyAssignRecord> keys = FactoryKeys();
    keys[0].assignment = {0x20, 0x00, 0x04};
    keys[kFnKeyIndex].assignment = {0x20, 0x00, 0x05};
    const KeyPositionMap positions = BuildKeyPositionMap(table);
    ASSERT_EQ(positions[kFnKeyIndex], 113);

    const std::vector<uint8_t> image = BuildKeyTableImage(table, keys, positions, 0);
    EXPECT_EQ(image, (std::vector<uint8_t>{0x20, 0x00, 0x99, 0x20, 0x00, 0x04}));
}

TEST(BuildKeyTableImage, NeverExceeds512Bytes) {
    const std::vector<uint8_t> table(600, 0x20);
    EXPECT_EQ(BuildKeyTableImage(table, FactoryKeys(), BuildKeyPositionMap(table), 0).size(), 510);
}

MacroEvent Event(MacroAction action, int type, int button, int delay) {
    return {action, type, button, delay};
}

TEST(BuildMacroBlock, LaysOutHeaderOffsetsAndEvents) {
    const std::vector<std::vector<MacroEvent>> macros = {
        {Event(MacroAction::kDown, 10, 0x04, 300), Event(MacroAction::kUp, 10, 0x04, 20),
         Event(MacroAction::kDown, 1, 0x01, 0)},
        {Event(MacroAction::kUp, 9, 0x02, 7)},
    };
    EXPECT_EQ(MacroBlockLength(macros), 44);
    const std::vector<uint8_t> block = BuildMacroBlock(macros);
    const std::vector<uint8_t> expected = {
        0xAA, 0x55, 44,   0,    2,  0, 0,    0,    0, 0, 0,    0,    0, 0, 0, 0,  // header
        20,   0,    36,   0,                                                      // offsets
        3,    0,    0,    0,                                                      // macro 0
        0x2C, 0x01, 0x8A, 0x04, 20, 0, 0x0A, 0x04, 0, 0, 0x81, 0x01, 1, 0, 0, 0,  // macro 1
        7,    0,    0x09, 0x02,
    };
    EXPECT_EQ(block, expected);
}

TEST(BuildMacroBlock, ClampsDelaysToSixteenBits) {
    const std::vector<std::vector<MacroEvent>> macros = {
        {Event(MacroAction::kUp, 10, 4, -5), Event(MacroAction::kUp, 10, 4, 70000)}};
    const std::vector<uint8_t> block = BuildMacroBlock(macros);
    ASSERT_EQ(block.size(), 30);
    EXPECT_EQ(block[22], 0);
    EXPECT_EQ(block[23], 0);
    EXPECT_EQ(block[26], 0xFF);
    EXPECT_EQ(block[27], 0xFF);
}

TEST(BuildMacroBlock, RefusesABlockItsLengthFieldCannotHold) {
    // 16 + 6 + 4 * 16380 = 65542 bytes.
    const std::vector<std::vector<MacroEvent>> macros = {std::vector<MacroEvent>(16380)};
    EXPECT_EQ(MacroBlockLength(macros), 65542);
    EXPECT_TRUE(BuildMacroBlock(macros).empty());
    EXPECT_EQ(BuildMacroBlock({}).size(), 16);
}

TEST(MacroOverflow, CountsTheEventsTooManyPlusOne) {
    struct Case {
        std::size_t length;
        std::size_t capacity;
        int result;
    };
    const Case cases[] = {{140, 128, 4}, {128, 128, 0}, {129, 128, 1}, {44, 0, 12}, {16, 256, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(MacroOverflow(c.length, c.capacity), c.result) << c.length << "/" << c.capacity;
    }
}

TEST(BuildKeyMask, SetsBitQDiv21OfByteQMod21) {
    const std::vector<int> positions = {22, 0, 167, 21, 168, -1, 1000};
    const auto mask = BuildKeyMask(positions);
    std::array<uint8_t, kKeyMaskSize> expected{};
    expected[0] = 0x03;   // 0 and 21
    expected[1] = 0x02;   // 22
    expected[20] = 0x80;  // 167; 168 and beyond have no bit
    EXPECT_EQ(mask, expected);
}

TEST(BuildLightFrame, ScalesColoursAndLeavesUnmappedPositionsDark) {
    // Position 0 Escape, position 1 an unknown code, position 2 F1.
    const std::vector<uint8_t> table = {0x20, 0x00, 0x29, 0x20, 0x00, 0x99, 0x20, 0x00, 0x3A};
    std::vector<lighting::LedEntry> leds(kKeyIndexCount, {200, 200, 200, 255, 0});
    leds[0] = {255, 128, 10, 128, 0};
    leds[1] = {100, 50, 0, 255, 0};
    const std::vector<uint8_t> frame = BuildLightFrame(leds, BuildKeyPositionMap(table), 3);
    EXPECT_EQ(frame, (std::vector<uint8_t>{127, 64, 5, 0, 0, 0, 99, 49, 0}));
}

TEST(BuildLightFrame, CapsTheKeyCountAndToleratesShortInput) {
    const KeyPositionMap positions = BuildKeyPositionMap(FactoryTable());
    const std::vector<lighting::LedEntry> leds(2, {255, 255, 255, 255, 0});
    const std::vector<uint8_t> frame = BuildLightFrame(leds, positions, 400);
    ASSERT_EQ(frame.size(), 510);
    EXPECT_EQ(frame[3], 254);  // index 1 is lit
    EXPECT_EQ(frame[6], 0);    // index 2 has no colour entry
    EXPECT_TRUE(BuildLightFrame(leds, positions, -3).empty());
}

}  // namespace
}  // namespace halvorn::keyboard
