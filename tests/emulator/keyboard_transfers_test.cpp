// The keyboard page's writes against the virtual keyboard: key table with
// macro slots, macro block, the capacity check and the custom-key mask.

#include <gtest/gtest.h>
#include <json/json.h>

#include <string>
#include <utility>
#include <vector>

#include "models/keyboard_device.h"
#include "platform/fs/json_file.h"
#include "tests/support/keyboard_page.h"

namespace halvorn {
namespace {

using testing::CommandRuns;
using testing::KeyboardPageTest;
using testing::RequestsOf;

constexpr KeyCode Macro(uint8_t type, int number) {
    return {type, static_cast<uint8_t>(number), 0};
}

std::vector<MacroEvent> Events(int count) {
    std::vector<MacroEvent> events;
    for (int i = 0; i < count; ++i) {
        events.push_back(
            {i % 2 == 0 ? MacroAction::kDown : MacroAction::kUp, kMacroKey, 4 + i, 10});
    }
    return events;
}

class KeyboardTransfersTest : public KeyboardPageTest {
protected:
    explicit KeyboardTransfersTest(vdev::KeyboardOptions options = {})
        : KeyboardPageTest(options) {}

    KeyCode TableAt(int key) const {
        const int q = device->KeyPositions()[key];
        const auto table = kb.Firmware([](auto& fw) { return fw.KeyTable(); });
        return {table.at(3 * q), table.at(3 * q + 1), table.at(3 * q + 2)};
    }
    std::vector<uint8_t> MacroMemory(std::size_t bytes) const {
        const auto memory = kb.Firmware([](auto& fw) { return fw.MacroMemory(); });
        return {memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(bytes)};
    }
    bool MacroBlockValid() const {
        return kb.Firmware([](auto& fw) { return fw.MacroBlockValid(); });
    }
    int Apply() {
        messages.clear();
        return device->ApplyProfileToDevice(
            [this](const std::string& id, int argument) { messages.emplace_back(id, argument); });
    }

    std::vector<std::pair<std::string, int>> messages;
};

struct UnknownMacroCase {
    const char* name;
    int macros;  // in "macro.config"; 0: no file at all
    int number;  // the key's macro number
};

TEST_F(KeyboardTransfersTest, AMacroKeyBeyondTheMacroListGetsItsDefaultCode) {
    Connect();
    const KeyCode original = device->KeyList().at(22).defaultAssignment;
    for (const auto& c : {UnknownMacroCase{"no list", 0, 0}, UnknownMacroCase{"5 of 5", 5, 5}}) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<MacroEvent>> macros(static_cast<std::size_t>(c.macros), Events(1));
        WriteMacros(macros);
        Assign({{22, Macro(0x70, c.number)}});
        kb.device->ClearRequests();

        EXPECT_EQ(Apply(), 0);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(TableAt(22), original);
        EXPECT_TRUE(RequestsOf(kb.ProtocolRequests(), 0x15).empty());
        // The profile no longer names the missing macro.
        const Json::Value saved = ReadJsonValue(device->ProfilePath());
        EXPECT_EQ(saved["Device"][0]["KeyList"][22]["Assignment"].asUInt(), original.Packed());
        EXPECT_EQ(ConfigDepth(), 0);
    }
}

TEST_F(KeyboardTransfersTest, MacrosTakeTheKeyboardsSlotsInKeyOrder) {
    Connect();
    // Macro i has i + 1 events.
    std::vector<std::vector<MacroEvent>> macros;
    for (int i = 0; i < 6; ++i) macros.push_back(Events(i + 1));
    WriteMacros(macros);
    Assign({{22, Macro(0x71, 5)}, {30, Macro(0x70, 2)}, {43, Macro(0x70, 5)}});
    kb.device->ClearRequests();

    EXPECT_EQ(Apply(), 0);
    EXPECT_EQ(device->CollectUsedMacros(), (std::vector<int>{5, 2}));
    EXPECT_EQ(TableAt(22), Macro(0x71, 0));
    EXPECT_EQ(TableAt(30), Macro(0x70, 1));
    EXPECT_EQ(TableAt(43), Macro(0x70, 0));

    ASSERT_TRUE(MacroBlockValid());
    const auto header = MacroMemory(20);
    EXPECT_EQ(header[4], 2);  // two macros, in slot order: 5 (6 events), then 2 (3 events)
    const int first = header[16] | header[17] << 8;
    const int second = header[18] | header[19] << 8;
    const auto block = MacroMemory(static_cast<std::size_t>(second) + 4);
    EXPECT_EQ(block[first], 6);
    EXPECT_EQ(block[second], 3);

    // Settings, macros and the key table each in their own bracket.
    EXPECT_EQ(CommandRuns(kb.ProtocolRequests()),
              (std::vector<int>{0x01, 0x06, 0x02, 0x03, 0x01, 0x15, 0x02, 0x03, 0x01, 0x09, 0x02}));
    EXPECT_EQ(ConfigDepth(), 0);
}

TEST_F(KeyboardTransfersTest, TwoMacrosMakeTheFortyFourByteBlock) {
    Connect();
    WriteMacros({{{MacroAction::kDown, kMacroKey, 0x04, 30},
                  {MacroAction::kUp, kMacroKey, 0x04, 300},
                  {MacroAction::kDown, kMacroModifier, 0x02, 0}},
                 {{MacroAction::kDown, kMacroMouseButton, 0x01, 65535}}});
    Assign({{22, Macro(0x70, 0)}, {30, Macro(0x70, 1)}});

    EXPECT_EQ(Apply(), 0);
    ASSERT_TRUE(MacroBlockValid());
    const std::vector<uint8_t> expected = {
        0xAA, 0x55, 44, 0,  2,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
        0,    20,   0,  36, 0,  //
        3,    0,    0,  0,  0x1E, 0x00, 0x8A, 0x04, 0x2C, 0x01, 0x0A, 0x04, 0x00, 0x00, 0x89,
        0x02,  //
        1,    0,    0,  0,  0xFF, 0xFF, 0x81, 0x01};
    EXPECT_EQ(MacroMemory(expected.size()), expected);
}

class SmallMacroMemoryTest : public KeyboardTransfersTest {
protected:
    SmallMacroMemoryTest() : KeyboardTransfersTest({.macroUnits = 1}) {}
};

TEST_F(SmallMacroMemoryTest, MacrosTooLongWriteNothingAndStopTheSequence) {
    Connect();
    // 16 + 2 * 6 + 28 * 4 = 140 bytes for 128 bytes of macro memory.
    WriteMacros({Events(14), Events(14)});
    Assign({{22, Macro(0x70, 0)}, {30, Macro(0x70, 1)}});
    kb.device->ClearRequests();

    EXPECT_EQ(Apply(), 4);
    EXPECT_EQ(messages, (std::vector<std::pair<std::string, int>>{{"message_text_16", 4}}));
    const auto requests = kb.ProtocolRequests();
    EXPECT_TRUE(RequestsOf(requests, 0x15).empty());
    EXPECT_TRUE(RequestsOf(requests, 0x09).empty());
    EXPECT_FALSE(MacroBlockValid());
    EXPECT_EQ(ConfigDepth(), 0);
}

TEST_F(KeyboardTransfersTest, OnlyKeyTableZeroIsWritten) {
    Connect();
    kb.device->ClearRequests();
    EXPECT_EQ(device->WriteKeyTableFor(1, device->KeyList()), kResultBadArgument);
    // Refused before the bracket opens: the keyboard is not left configuring.
    EXPECT_TRUE(kb.ProtocolRequests().empty());
    EXPECT_EQ(device->WriteKeyTableFor(0, device->KeyList()), kResultOk);
    EXPECT_EQ(ConfigDepth(), 0);
}

TEST_F(KeyboardTransfersTest, CustomKeyAtPosition22SetsBit1OfMaskByte1) {
    Connect();
    device->Profile().SetCustomLightColors(std::vector<LightColorRecord>(170), 0);
    LightModeRecord record = device->GetLightInfo();
    record.selectItem = 21;
    record.customGroup = 0;
    device->SetLightInfo(record);
    ASSERT_EQ(device->EffectList().at(21).code, 21);
    const int key = keyboard::KeyIndexAtPosition(device->KeyPositions(), 22);
    ASSERT_GE(key, 0);

    device->ToggleCustomKey(key);
    std::array<uint8_t, 21> expected{};
    expected[1] = 0x02;
    EXPECT_EQ(kb.Firmware([](auto& fw) { return fw.KeyMask(); }), expected);
    // The choice is the profile's.
    const auto colours = device->Profile().GetCustomLightColors(0, 170);
    EXPECT_EQ(colours.at(key).isBright, 1);
}

}  // namespace
}  // namespace halvorn
