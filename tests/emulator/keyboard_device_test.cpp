// The keyboard page against the virtual keyboard: connecting, the settings
// block both ways, and what the keyboard's own events make the page do.

#include "models/keyboard_device.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include "controls/device_key_button.h"
#include "models/key_descriptions.h"
#include "platform/fs/json_file.h"
#include "tests/support/keyboard_page.h"

namespace halvorn {
namespace {

using testing::CommandRuns;
using testing::KeyboardPageTest;
using testing::MatrixPosition;
using testing::RequestsOf;

std::size_t PayloadBytes(const std::vector<std::vector<uint8_t>>& chunks) {
    std::size_t total = 0;
    for (const auto& c : chunks) total += c[4];
    return total;
}

TEST_F(KeyboardPageTest, ConnectReadsTheKeyboardInOneBracketThenItsSettings) {
    Connect();
    const auto requests = kb.ProtocolRequests();
    EXPECT_EQ(CommandRuns(requests), (std::vector<int>{0x01, 0x03, 0x07, 0x1B, 0x02, 0x05}));
    const int n = kb.Firmware([](auto& fw) { return fw.InfoBlock()[5]; });
    EXPECT_EQ(PayloadBytes(RequestsOf(requests, 0x07)), 3u * n);
    EXPECT_EQ(PayloadBytes(RequestsOf(requests, 0x1B)), static_cast<std::size_t>(n));
    // The settings: the active profile byte, then the 26 bytes in front of and in its block.
    const auto reads = RequestsOf(requests, 0x05);
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads[0][4], 1);
    EXPECT_EQ(reads[0][5] | reads[0][6] << 8, 0);
    EXPECT_EQ(PayloadBytes({reads.begin() + 1, reads.end()}), 26u);
    EXPECT_EQ(ConfigDepth(), 0);

    EXPECT_EQ(device->DeviceKeyTable(), kb.Firmware([](auto& fw) { return fw.KeyTable(); }));
    for (int key : {0, 22, 64, 108, 110}) {
        EXPECT_EQ(device->KeyPositions()[key], MatrixPosition(key)) << "key " << key;
        EXPECT_EQ(device->LightPositions()[key], MatrixPosition(key)) << "key " << key;
    }
    EXPECT_TRUE(device->LightThreadRunning());
}

TEST_F(KeyboardPageTest, InitializeMapsTheButtonsAndFnFollowsTheFunctionSwitch) {
    ASSERT_NE(device->KeyButton(0), nullptr);
    EXPECT_EQ(device->KeyButton(169)->GetName(), "key_169");
    EXPECT_EQ(device->LightButton(169), device->KeyButton(169));
    EXPECT_EQ(device->LightButton(5)->LightColor(), 0xFFFFFFu);
    // The profile list was made and its profile selected.
    EXPECT_FALSE(device->GetProfileId().empty());
    EXPECT_TRUE(std::filesystem::exists(device->ProfilePath()));

    device->SetFunctionSwitch(2);
    EXPECT_FALSE(device->KeyButton(110)->IsEnabled());
    device->SetFunctionSwitch(1);
    EXPECT_TRUE(device->KeyButton(110)->IsEnabled());
}

struct FnCase {
    const char* name;
    vdev::KeyboardOptions options;
    int fnPosition;
};

class FnPositionTest : public KeyboardPageTest, public ::testing::WithParamInterface<FnCase> {
protected:
    FnPositionTest() : KeyboardPageTest(GetParam().options) {}
};

TEST_P(FnPositionTest, FnTakesItsCodesPositionOr113) {
    Connect();
    EXPECT_EQ(device->KeyPositions()[keyboard::kFnKeyIndex], GetParam().fnPosition);
}

INSTANTIATE_TEST_SUITE_P(Boards, FnPositionTest,
                         ::testing::Values(FnCase{"WithFn", {}, MatrixPosition(110)},
                                           FnCase{"WithoutFn", {.hasFnKey = false}, 113}),
                         [](const auto& info) { return std::string(info.param.name); });

class OversizedKeyboardTest : public KeyboardPageTest {
protected:
    OversizedKeyboardTest() : KeyboardPageTest({.keyCount = 171}) {}
};

TEST_F(OversizedKeyboardTest, NoKeyTableIsReadAndTheBracketIsClosed) {
    Connect();
    const auto requests = kb.ProtocolRequests();
    EXPECT_EQ(CommandRuns(requests), (std::vector<int>{0x01, 0x03, 0x02, 0x05}));
    EXPECT_EQ(ConfigDepth(), 0);
    EXPECT_TRUE(device->DeviceKeyTable().empty());
    for (int key = 0; key < keyboard::kKeyIndexCount; ++key) {
        ASSERT_EQ(device->KeyPositions()[key], keyboard::kNoPosition) << key;
        ASSERT_EQ(device->LightPositions()[key], keyboard::kNoPosition) << key;
    }
    // Nothing can be written over a table the program does not know.
    kb.device->ClearRequests();
    EXPECT_EQ(device->WriteCurrentKeyTable(0), kResultNoReply);
    EXPECT_TRUE(kb.ProtocolRequests().empty());
}

TEST_F(KeyboardPageTest, ConnectTakesTheActiveProfilesBlockIntoTheProfile) {
    Connect();
    // Factory profile 0: effect 1, speed stored as 2, colour cycle, red.
    const LightModeRecord light = device->GetLightInfo();
    EXPECT_EQ(device->EffectList().at(light.selectItem).code, 1);
    EXPECT_EQ(light.speed, 2);
    EXPECT_EQ(light.multiColor, 1);
    EXPECT_EQ(light.red, 0xFF);
    EXPECT_EQ(device->LastReadSettings()[0], 0);
    EXPECT_EQ(device->LastReadSettings()[16], 0);
    const Json::Value saved = ReadJsonValue(device->ProfilePath());
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["Speed"].asInt(), 2);
}

struct EffectCase {
    int selectItem;
    uint8_t stored;
};

TEST_F(KeyboardPageTest, HostDrivenEffectsAreStoredAsFeAndReadingFeKeepsTheEffect) {
    Connect();
    for (const EffectCase c : {EffectCase{29, 0xFE}, EffectCase{30, 0xFE}, EffectCase{5, 5}}) {
        LightModeRecord record = device->GetLightInfo();
        record.selectItem = static_cast<uint8_t>(c.selectItem);
        device->SetLightInfo(record);
        ASSERT_EQ(device->WriteSettings(0, 0, 1, 0, 0), kResultOk);
        EXPECT_EQ(kb.Firmware([](auto& fw) { return fw.SettingsMemory()[1]; }), c.stored);
        EXPECT_EQ(ConfigDepth(), 0);
        device->HandleSyncRequest();
        EXPECT_EQ(device->GetLightInfo().selectItem, c.selectItem);
    }
}

TEST_F(KeyboardPageTest, SpeedIsStoredAsFourMinusSpeedAndReadBack) {
    Connect();
    for (const int speed : {0, 1, 4}) {
        LightModeRecord record = device->GetLightInfo();
        record.speed = static_cast<uint8_t>(speed);
        device->SetLightInfo(record);
        ASSERT_EQ(device->WriteSettings(0, 0, 1, 0, 0), kResultOk);
        EXPECT_EQ(kb.Firmware([](auto& fw) { return fw.SettingsMemory()[3]; }), 4 - speed);
        record.speed = 2;  // whatever the page holds, the keyboard's value wins
        device->SetLightInfo(record);
        device->HandleSyncRequest();
        EXPECT_EQ(device->GetLightInfo().speed, speed);
    }
}

TEST_F(KeyboardPageTest, SettingsForAProfileBeyondTheEventsRangeAreRefused) {
    Connect();
    kb.device->ClearRequests();
    EXPECT_EQ(device->WriteSettings(16, 0, 1, 0, 0), kResultBadArgument);
    EXPECT_EQ(device->WriteSettings(-1, 0, 1, 0, 0), kResultBadArgument);
    EXPECT_TRUE(kb.ProtocolRequests().empty());
}

TEST_F(KeyboardPageTest, KeyButtonsDescribeTheirAssignmentInThePagesLanguage) {
    auto& language = ui.context.Language();
    language.Set(std::string(keyboard::KeyOwnNameKey(22)), "One");
    language.Set(std::string(keyboard::KeyOwnNameKey(23)), "Two");
    WriteMacros({{{MacroAction::kDown, kMacroKey, 0x04, 10}}});
    device->LoadProfile();
    const KeyCode two = device->Profile().GetKeyList().at(23).defaultAssignment;
    Assign({{22, two}, {30, {0x70, 0, 0}}});
    device->LoadProfile();
    device->RefreshPage();

    EXPECT_EQ(device->KeyButton(22)->GetToolTip(), "One -> Two");
    EXPECT_FALSE(device->KeyButton(22)->IsKeyDefault());
    EXPECT_EQ(device->KeyButton(23)->GetToolTip(), "Two -> Two");
    EXPECT_TRUE(device->KeyButton(23)->IsKeyDefault());
    const std::string macro = device->KeyButton(30)->GetToolTip();
    EXPECT_EQ(macro.substr(macro.size() - device->MacroNames().at(0).size()),
              device->MacroNames().at(0));
}

TEST_F(KeyboardPageTest, PowerBlockIsReadOnlyWhileTheChannelIsOpen) {
    device->ReadPowerStatus();
    EXPECT_TRUE(kb.ProtocolRequests().empty());
    OpenCable();
    device->ReadPowerStatus();
    EXPECT_EQ(CommandRuns(kb.ProtocolRequests()), std::vector<int>{0x1A});
    EXPECT_EQ(device->PowerStatus()[0], 100);
    EXPECT_EQ(device->PowerStatus()[3], 0);  // on the cable
}

// --- Events of the keyboard ----------------------------------------------------------

TEST_F(KeyboardPageTest, OnBoardProfileSwitchShowsTheNewProfilesSettings) {
    Connect();
    // Attaching again reopens the interface under a fresh listener.
    ASSERT_TRUE(device->AttachInputChannel(testing::kKeyboardConsumerPath, device_kind::kKeyboard));
    ASSERT_TRUE(device->AttachInputChannel(testing::kKeyboardConsumerPath, device_kind::kKeyboard));
    kb.device->ClearRequests();

    ASSERT_TRUE(kb.SwitchProfile(2)) << kb.error;
    ASSERT_TRUE(PumpUntil([&] { return device->LastReadSettings()[0] == 2; }));
    EXPECT_EQ(device->ActiveProfile(), 2);
    // Factory profile 2: effect 3 in blue.
    const LightModeRecord light = device->GetLightInfo();
    EXPECT_EQ(device->EffectList().at(light.selectItem).code, 3);
    EXPECT_EQ(light.blue, 0xFF);
    const auto reads = RequestsOf(kb.ProtocolRequests(), 0x05);
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads[1][5] | reads[1][6] << 8, 50);
    // The listener only reads; the page's reads are the only traffic.
    EXPECT_EQ(CommandRuns(kb.ProtocolRequests()), std::vector<int>{0x05});
}

TEST_F(KeyboardPageTest, KeyPressesOfTheKeyboardReachTheReactiveEffect) {
    Connect();
    device->SetFunctionSwitch(2);  // the lighting view, where the effect shows
    ASSERT_TRUE(device->AttachInputChannel(testing::kKeyboardConsumerPath, device_kind::kKeyboard));
    LightModeRecord record = device->GetLightInfo();
    record.selectItem = 10;
    record.light = 4;
    device->SetLightInfo(record);
    ASSERT_EQ(device->EffectList().at(10).code, 10);

    // The effect has taken over: nothing is pressed, nothing lit.
    ASSERT_TRUE(PumpUntil([&] {
        return device->GetLedEntry(22).brightness == 0 && device->GetLedEntry(64).brightness == 0;
    }));

    ASSERT_TRUE(kb.PressKey(22)) << kb.error;
    EXPECT_TRUE(PumpUntil([&] { return device->GetLedEntry(22).brightness > 0; }));
    EXPECT_EQ(device->GetLedEntry(64).brightness, 0);
}

struct SyncCase {
    int usage;
    bool reloadsProfile;
};

TEST_F(KeyboardPageTest, SyncRequestRereadsTheSettingsAndTheReloadOneTheProfileToo) {
    Connect();
    ASSERT_TRUE(device->AttachInputChannel(testing::kKeyboardConsumerPath, device_kind::kKeyboard));
    for (const SyncCase c : {SyncCase{0x401, false}, SyncCase{0x402, true}}) {
        SCOPED_TRACE(c.usage);
        const int before = device->SystemSettings().repeat;
        // Someone else changed the profile file (the profile panel, a copy).
        Json::Value file = ReadJsonValue(device->ProfilePath());
        file["Device"][0]["SystemStages"]["Repeat"] = before + 7;
        ASSERT_TRUE(WriteJsonFile(device->ProfilePath(), file));
        kb.device->ClearRequests();

        ASSERT_TRUE(kb.SendSync(c.usage)) << kb.error;
        ASSERT_TRUE(PumpUntil([&] { return RequestsOf(kb.ProtocolRequests(), 0x05).size() >= 2; }));
        EXPECT_EQ(device->LastEvent(), static_cast<uint32_t>(c.usage));
        EXPECT_EQ(device->SystemSettings().repeat, c.reloadsProfile ? before + 7 : before);
    }
}

TEST_F(KeyboardPageTest, StoppingTheThreadsJoinsThemAndDetachClosesTheInterface) {
    Connect();
    ASSERT_TRUE(device->AttachInputChannel(testing::kKeyboardConsumerPath, device_kind::kKeyboard));
    device->DetachInputChannel(device_kind::kKeyboard);
    EXPECT_FALSE(device->EventProtocol().WiredChannel().IsOpen());
    ASSERT_TRUE(device->AttachInputChannel(testing::kKeyboardConsumerPath, device_kind::kKeyboard));
    device->StopThreads();
    EXPECT_FALSE(device->LightThreadRunning());
    EXPECT_FALSE(device->AttachInputChannel(testing::kKeyboardConsumerPath, 2));
}

}  // namespace
}  // namespace halvorn
