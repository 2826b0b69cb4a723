// The record getters and setters of the profile classes, on profiles loaded
// from files as the devices load them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fs/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "profile/profile_file.h"
#include "profile/zo6533_profiledata.h"
#include "tests/support/profile_test_files.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;

Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(ParseJsonText(text, value)) << text;
    return value;
}

class ProfileRecordsTest : public ::testing::Test {
protected:
    // Writes `object` as "Device"[0] of a profile file and loads it.
    void Load(CBasicProfiledata& profile, const std::string& object) {
        test::WriteText(file_, "{\"Device\": [" + object + "]}");
        profile.SetProfilePath(file_);
        profile.LoadProfile(file_);
    }
    Json::Value Saved(CBasicProfiledata& profile) {
        EXPECT_TRUE(profile.SaveProfile());
        return ParseJsonFile(file_)["Device"][0];
    }

    test::TempDir dir_;
    fs::path file_ = dir_ / "p.Json";
};

TEST_F(ProfileRecordsTest, LightInfoMembersReadByTypeAndWriteBackAsIntegers) {
    struct Case {
        const char* object;
        LightModeRecord expected;
    };
    const Case cases[] = {
        {R"({"LightInfo": {"SelectItem": 3, "MultiColor": 2, "Red": 10, "Green": 20,
             "Blue": 30, "CustomGroup": 4, "OldLedmode": 5, "ZZCCLedMode": 6}})",
         {.selectItem = 3,
          .multiColor = 1,
          .red = 10,
          .green = 20,
          .blue = 30,
          .zzccLedMode = 6,
          .customGroup = 4,
          .oldLedMode = 5}},
        {R"({"LightInfo": {"Light": 3.9, "Speed": 300, "Fx": -1}})",
         {.light = 3, .speed = 44, .fx = 255}},
        {R"({"LightInfo": {"Red": "255", "Green": [1], "Blue": {"v": 1}, "MultiColor": "1"}})", {}},
        {R"({"LightInfo": {}})", {}},
        {R"({"LightInfo": null})", {}},
        {R"({})", {}},
    };
    for (const Case& c : cases) {
        CBasicProfiledata profile;
        Load(profile, c.object);
        EXPECT_EQ(profile.GetLightInfo(), c.expected) << c.object;
        EXPECT_EQ(profile.CurrentLightMode(), c.expected) << c.object;
    }

    CBasicProfiledata profile;
    Load(profile, cases[0].object);
    profile.SetLightInfo(profile.GetLightInfo());
    const Json::Value saved = Saved(profile)["LightInfo"];
    EXPECT_EQ(saved["MultiColor"], Json::Value(1));
    EXPECT_EQ(saved["SelectItem"], Json::Value(3));
    EXPECT_EQ(saved["Fx"], Json::Value(0));
}

TEST_F(ProfileRecordsTest, LightListElementsCarryTheValidByte) {
    CBasicProfiledata profile;
    Load(profile, R"({"LightList": [
        {"LEDREGMode": 7, "LEDBrightness": 2, "LEDSpeed": 1, "LEDDirection": 5,
         "LEDMultiColor": 0, "red": 1, "green": 2, "blue": 3},
        null,
        7,
        {}]})");
    const std::vector<LightModeRecord> list = profile.GetLightList();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], (LightModeRecord{.selectItem = 7,
                                        .light = 2,
                                        .speed = 1,
                                        .fx = 1,
                                        .red = 1,
                                        .green = 2,
                                        .blue = 3,
                                        .valid = 1}));
    EXPECT_EQ(list[1], LightModeRecord{});
    EXPECT_EQ(list[2], LightModeRecord{});
    EXPECT_EQ(list[3], LightModeRecord{.valid = 1});
}

TEST_F(ProfileRecordsTest, KeyAssignmentSplitsIntoThreeBytesAndWritesBackWhole) {
    CBasicProfiledata profile;
    Load(profile, R"({"KeyList": [{"Assignment": 66051, "DefaultAssignment": 2097156},
                                  {"Assignment": 4278190080, "DefaultAssignment": 1}]})");
    const std::vector<KeyAssignRecord> keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].position, 0);
    EXPECT_EQ(keys[0].assignment, (KeyCode{1, 2, 3}));
    EXPECT_EQ(keys[0].defaultAssignment, (KeyCode{0x20, 0, 4}));
    EXPECT_EQ(keys[1].position, 1);
    EXPECT_EQ(keys[1].assignment, KeyCode{});  // bits above the three bytes are dropped

    profile.SetKeyList(keys);
    const Json::Value saved = Saved(profile)["KeyList"];
    EXPECT_EQ(saved[0]["Assignment"].asInt(), 66051);
    EXPECT_EQ(saved[0]["DefaultAssignment"].asInt(), 2097156);
    EXPECT_EQ(saved[1]["Assignment"].asInt(), 0);
    EXPECT_EQ(saved[1]["DefaultAssignment"].asInt(), 1);
}

TEST_F(ProfileRecordsTest, EqualiserTypesMapToSlots) {
    // Slot s holds bands s * 100 + i.
    Json::Value object;
    for (int s = 0; s <= 13; ++s) {
        for (int i = 0; i < 10; ++i) object["EQHzValueInfo"][s][i]["value"] = s * 100 + i;
    }
    CZo6533Profiledata profile;
    Load(profile, StyledJsonText(object));
    const Json::Value before = profile.Root();

    struct Case {
        int eqType;
        int slot;  // -1: empty list
    };
    for (const Case c : {Case{13, -1}, {0, 1}, {1, 1}, {5, 5}, {12, 12}, {14, 1}, {-3, 1}}) {
        const std::vector<int32_t> values = profile.GetEqValues(c.eqType);
        if (c.slot < 0) {
            EXPECT_TRUE(values.empty()) << c.eqType;
            continue;
        }
        ASSERT_EQ(values.size(), 10u) << c.eqType;
        for (int i = 0; i < 10; ++i) EXPECT_EQ(values[i], c.slot * 100 + i) << c.eqType;
    }
    EXPECT_EQ(profile.Root(), before);  // present slots are only read

    profile.SetEqValues(13, std::vector<int32_t>(10, 7));
    EXPECT_EQ(profile.Root(), before);
    profile.SetEqValues(0, std::vector<int32_t>{9, 8});
    EXPECT_EQ(profile.GetEqValues(1)[0], 9);
    EXPECT_EQ(profile.GetEqValues(1)[1], 8);
    EXPECT_EQ(profile.GetEqValues(1)[2], 102);
}

TEST_F(ProfileRecordsTest, MissingEqualiserBandsReadZeroAndAreWrittenBack) {
    CZo6533Profiledata profile;
    Load(profile, R"({"SystemSetStages": {"EqType": 3}})");
    EXPECT_EQ(profile.GetEqValues(3), std::vector<int32_t>(10, 0));
    EXPECT_EQ(profile.GetCustomEqValues(2), std::vector<int32_t>(10, 0));
    EXPECT_EQ(profile.GetCustomEqValues(-1), std::vector<int32_t>(10, 0));
    EXPECT_EQ(profile.GetCustomEqValues(100000), std::vector<int32_t>(10, 0));

    const Json::Value saved = Saved(profile);
    for (const char* member : {"EQHzValueInfo", "CustomEQHzValueInfo"}) {
        const Json::Value& slots = saved[member];
        const Json::ArrayIndex slot = std::string(member) == "EQHzValueInfo" ? 3 : 2;
        ASSERT_EQ(slots.size(), slot + 1) << member;  // only the asked slot, nulls before it
        EXPECT_TRUE(slots[0].isNull()) << member;
        ASSERT_EQ(slots[slot].size(), 10u) << member;
        for (Json::ArrayIndex i = 0; i < 10; ++i) {
            EXPECT_EQ(slots[slot][i], Parse(R"({"value": 0})")) << member;
        }
    }
    EXPECT_EQ(saved["SystemSetStages"]["EqType"].asInt(), 3);
}

TEST_F(ProfileRecordsTest, DpiStagesMergeIntoTheListHeld) {
    auto stages = [](int count, int base) {
        std::string text =
            R"({"DPIStages": {"StageActive": )" + std::to_string(base) + R"(, "StageDPIs": [)";
        for (int i = 0; i < count; ++i) {
            if (i) text += ",";
            text += R"({"StageActive": 1, "StageXY": 0, "StageDPIX": )" + std::to_string(base + i) +
                    R"(, "StageDPIY": 1600, "StageColorR": 255,
                     "StageColorG": 0, "StageColorB": )" +
                    std::to_string(i) + "}";
        }
        return text + "]}}";
    };
    CMouseProfiledata profile;
    Load(profile, stages(5, 400));
    ASSERT_EQ(profile.GetDpiStages().size(), 5u);
    EXPECT_EQ(profile.GetActiveDpiStage(), 400);

    Load(profile, stages(3, 1000));
    const std::vector<DpiStageRecord> merged = profile.GetDpiStages();
    ASSERT_EQ(merged.size(), 5u);
    const uint16_t expectedX[] = {1000, 1001, 1002, 403, 404};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(merged[i].DpiX(), expectedX[i]) << i;
    EXPECT_EQ(merged[0].dpiY, (std::array<uint8_t, 2>{0x40, 0x06}));  // 1600, low byte first
    EXPECT_EQ(profile.GetActiveDpiStage(), 1000);

    // Without "DPIStages" the list held comes back unchanged.
    Load(profile, "{}");
    EXPECT_EQ(profile.GetDpiStages(), merged);
    EXPECT_EQ(profile.GetActiveDpiStage(), 1000);

    profile.SetDpiStages(merged);
    profile.SetActiveDpiStage(2);
    const Json::Value saved = Saved(profile)["DPIStages"];
    EXPECT_EQ(saved["StageActive"].asInt(), 2);
    ASSERT_EQ(saved["StageDPIs"].size(), 5u);
    EXPECT_EQ(saved["StageDPIs"][3], Parse(R"({"StageActive": 1, "StageXY": 0, "StageDPIX": 403,
        "StageDPIY": 1600, "StageColorR": 255, "StageColorG": 0, "StageColorB": 3})"));
}

TEST_F(ProfileRecordsTest, MouseSystemStagesNeedSystemStagesButNotReportStages) {
    struct Case {
        const char* object;
        MouseSystemRecord expected;
    };
    const Case cases[] = {
        {R"({"SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1,
             "ScorllPage": 3, "WheelScorlllinse": 4}, "ReportStages": {"StageActive": 2}})",
         {500, 10, 1, 3, 4, 2}},
        {R"({"SystemStages": {"DoubleClickTime": 500}})", {500, 0, 0, 0, 0, 0}},
        {R"({"ReportStages": {"StageActive": 2}})", {}},
    };
    for (const Case& c : cases) {
        CMouseProfiledata profile;
        Load(profile, c.object);
        EXPECT_EQ(profile.GetMouseSystemStages(), c.expected) << c.object;
    }
    CMouseProfiledata profile;
    Load(profile, R"({"SystemStages": {"Unknown": 1}})");
    profile.SetMouseSystemStages({1, 2, 3, 4, 5, 6});
    const Json::Value saved = Saved(profile);
    EXPECT_EQ(saved["SystemStages"]["Unknown"].asInt(), 1);
    EXPECT_EQ(saved["SystemStages"]["WheelScorlllinse"].asInt(), 5);
    EXPECT_EQ(saved["ReportStages"]["StageActive"].asInt(), 6);
}

TEST_F(ProfileRecordsTest, MissingCustomLightColoursReadZeroAndAreWrittenBack) {
    CKeyboardProfiledata profile;
    Load(profile, R"({"CustomLightMode": {"CustomLightModeGroupIndex": 1, "LightColorInfo": [
        [{"Red": 1, "Green": 2, "Blue": 3, "Alpha": 4, "IsBright": 5}, null]]}})");
    EXPECT_EQ(profile.GetCustomLightGroupIndex(), 1);

    const std::vector<LightColorRecord> colors = profile.GetCustomLightColors(0, 3);
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(colors[0], (LightColorRecord{1, 2, 3, 4, 5}));
    EXPECT_EQ(colors[1], LightColorRecord{});
    EXPECT_EQ(colors[2], LightColorRecord{});
    EXPECT_EQ(profile.GetCustomLightColors(1, 2), std::vector<LightColorRecord>(2));
    // Groups that cannot be stored read zeros and write nothing.
    EXPECT_EQ(profile.GetCustomLightColors(-1, 2), std::vector<LightColorRecord>(2));
    EXPECT_EQ(profile.GetCustomLightColors(5000, 2), std::vector<LightColorRecord>(2));

    const Json::Value zero = Parse(R"({"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0})");
    const Json::Value groups = Saved(profile)["CustomLightMode"]["LightColorInfo"];
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0][0]["IsBright"].asInt(), 5);
    EXPECT_EQ(groups[0][1], zero);
    EXPECT_EQ(groups[0][2], zero);
    EXPECT_EQ(groups[1], Parse("[" + StyledJsonText(zero) + "," + StyledJsonText(zero) + "]"));

    profile.SetCustomLightColors(std::vector<LightColorRecord>{{9, 8, 7, 6, 1}}, 1);
    profile.SetCustomLightGroupIndex(0);
    const Json::Value mode = Saved(profile)["CustomLightMode"];
    EXPECT_EQ(mode["LightColorInfo"][1][0],
              Parse(R"({"Red": 9, "Green": 8, "Blue": 7, "Alpha": 6, "IsBright": 1})"));
    EXPECT_EQ(mode["CustomLightModeGroupIndex"].asInt(), 0);
}

TEST_F(ProfileRecordsTest, HeadsetRecordsAndNames) {
    CZo6533Profiledata profile;
    Load(profile, R"({"SystemSetStages": {"MagicEnable": 1, "MagicType": 2, "EqType": 13,
        "CustomEqSeletIndex": 4, "MicInSelect": 1, "MicInValue": 80, "MicMoniterSelect": 0,
        "MicMoniterValue": -5},
        "CustomEQNameInfo": [{"Name": "Rock"}, {"Name": 5}, null, {"Name": "Caf\u00e9"}]})");
    EXPECT_EQ(profile.GetSystemSetStages(), (HeadsetSystemRecord{1, 2, 13, 4, 1, 80, 0, -5}));
    EXPECT_EQ(profile.GetCustomEqNames(),
              (std::vector<std::string>{"Rock", "", "", "Caf\xC3\xA9"}));

    profile.SetCustomEqNames(std::vector<std::string>{"A", "bad\xFF"});
    profile.SetSystemSetStages({0, 0, 1, 0, 0, 0, 0, 0});
    const Json::Value saved = Saved(profile);
    EXPECT_EQ(saved["CustomEQNameInfo"], Parse(R"([{"Name": "A"}, {"Name": "bad\ufffd"}])"));
    EXPECT_EQ(saved["SystemSetStages"]["EqType"].asInt(), 1);
}

TEST_F(ProfileRecordsTest, AudioLightKeyboardSystemAndCorrectInfo) {
    CKeyboardProfiledata keyboard;
    Load(keyboard, R"({"AudioLightInfo": {"AudioMode": 2, "BkColorR": 1, "FgColorB": 9,
        "7ColorFlags": 3, "ColorTypeFlags": 0},
        "SystemStages": {"Repeat": 70000, "WinFlag": 1, "PollingRate": 3}})");
    EXPECT_EQ(
        keyboard.GetAudioLightInfo(),
        (AudioLightRecord{.audioMode = 2, .backRed = 1, .foreBlue = 9, .sevenColorFlags = 1}));
    EXPECT_EQ(keyboard.GetSystemStages(),
              (KeyboardSystemRecord{.repeat = 4464, .pollingRate = 3, .winFlag = 1}));

    CMouseProfiledata mouse;
    Load(mouse, R"({"CorrectInfo": [{"CorrectPixThresh": 5, "CorrectMinSq": 6, "CorrectSelect": 1,
        "CorrectName": "AK"}, null]})");
    const std::vector<CorrectRecord> correct = mouse.GetCorrectInfo();
    ASSERT_EQ(correct.size(), 2u);
    EXPECT_EQ(correct[0], (CorrectRecord{5, 6, 1, "AK"}));
    EXPECT_EQ(correct[1], CorrectRecord{});
}

// Members of the wrong JSON type read as the record's default. Setters then
// replace them with the right shape.
TEST_F(ProfileRecordsTest, WrongTypedMembersReadAsDefaults) {
    const char* members[] = {
        "LightInfo",          "LightList",       "AudioLightInfo", "KeyList",
        "SystemStages",       "ReportStages",    "DPIStages",      "CorrectInfo",
        "CustomLightMode",    "SystemSetStages", "EQHzValueInfo",  "CustomEQNameInfo",
        "CustomEQHzValueInfo"};
    const char* values[] = {"5",          "-1",    "2.5", "true", "\"text\"", "[1, \"a\", null]",
                            "{\"0\": 1}", "[[[]]]"};
    for (const char* member : members) {
        for (const char* value : values) {
            const std::string object = std::string("{\"") + member + "\": " + value + "}";
            SCOPED_TRACE(object);
            CKeyboardProfiledata keyboard;
            Load(keyboard, object);
            EXPECT_EQ(keyboard.GetLightInfo(), LightModeRecord{});
            EXPECT_EQ(keyboard.GetAudioLightInfo(), AudioLightRecord{});
            for (const LightModeRecord& r : keyboard.GetLightList()) EXPECT_EQ(r.selectItem, 0);
            for (const KeyAssignRecord& k : keyboard.GetKeyList()) {
                EXPECT_EQ(k.assignment, KeyCode{});
            }
            EXPECT_EQ(keyboard.GetSystemStages(), KeyboardSystemRecord{});
            EXPECT_EQ(keyboard.GetCustomLightGroupIndex(), 0);
            EXPECT_EQ(keyboard.GetCustomLightColors(0, 2), std::vector<LightColorRecord>(2));

            CMouseProfiledata mouse;
            Load(mouse, object);
            for (const DpiStageRecord& d : mouse.GetDpiStages()) EXPECT_EQ(d, DpiStageRecord{});
            EXPECT_EQ(mouse.GetActiveDpiStage(), 0);
            EXPECT_EQ(mouse.GetMouseSystemStages(), MouseSystemRecord{});
            for (const CorrectRecord& c : mouse.GetCorrectInfo()) EXPECT_EQ(c, CorrectRecord{});

            CZo6533Profiledata headset;
            Load(headset, object);
            EXPECT_EQ(headset.GetSystemSetStages(), HeadsetSystemRecord{});
            EXPECT_EQ(headset.GetEqValues(2), std::vector<int32_t>(10, 0));
            EXPECT_EQ(headset.GetCustomEqValues(0), std::vector<int32_t>(10, 0));
            for (const std::string& name : headset.GetCustomEqNames()) EXPECT_EQ(name, "");

            // Every setter writes the right shape over whatever was there.
            keyboard.SetLightInfo({.red = 1});
            keyboard.SetKeyList(std::vector<KeyAssignRecord>{{0, {1, 2, 3}, {}}});
            keyboard.SetSystemStages({.repeat = 1});
            keyboard.SetCustomLightColors(std::vector<LightColorRecord>{{1, 1, 1, 1, 1}}, 0);
            keyboard.SetCustomLightGroupIndex(0);
            keyboard.SetAudioLightInfo({.audioMode = 1});
            mouse.SetDpiStages(std::vector<DpiStageRecord>(1));
            mouse.SetActiveDpiStage(0);
            mouse.SetMouseSystemStages({.mouseSpeed = 1});
            headset.SetSystemSetStages({.eqType = 1});
            headset.SetEqValues(1, std::vector<int32_t>(10, 1));
            headset.SetCustomEqValues(0, std::vector<int32_t>(10, 1));
            headset.SetCustomEqNames(std::vector<std::string>{"x"});
            EXPECT_EQ(keyboard.GetKeyList().at(0).assignment, (KeyCode{1, 2, 3}));
            EXPECT_EQ(keyboard.GetCustomLightColors(0, 1).at(0), (LightColorRecord{1, 1, 1, 1, 1}));
            EXPECT_EQ(mouse.GetMouseSystemStages().mouseSpeed, 1);
            EXPECT_EQ(headset.GetEqValues(1), std::vector<int32_t>(10, 1));
            EXPECT_EQ(headset.GetCustomEqNames(), std::vector<std::string>{"x"});
        }
    }
}

}  // namespace
}  // namespace halvorn
