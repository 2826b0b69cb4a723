// The shipped default data: every file is what the readers expect, and the
// values are ones the program can show and send as they are.

#include <gtest/gtest.h>
#include <json/json.h>

#include <array>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>

#include "platform/fs/json_file.h"
#include "tools/vdev/keyboard_layout.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;

const fs::path& DefaultDataDir() {
    static const fs::path dir =
        fs::path(__FILE__).parent_path().parent_path().parent_path() / "DefaultData";
    return dir;
}

Json::Value Load(const std::string& name) { return ReadJsonValue(DefaultDataDir() / name); }

Json::Value Profile(const std::string& name) { return Load(name)["Device"][0]; }

constexpr const char* kAllFiles[] = {
    "keyboard.Json",      "mouse.Json",        "MousePad.Json",     "HD.Json",
    "default_light.json", "Language.config",   "AudioFile.json",    "color_option_info.config",
    "ShootData_0.Shoot",  "ShootData_1.Shoot", "ShootData_2.Shoot", "ShootData_3.Shoot",
};

int Packed(int type, int byte1, int byte2) { return type << 16 | byte1 << 8 | byte2; }

// Each named member is present and a JSON integer within [low, high].
void ExpectInts(const Json::Value& object, std::initializer_list<const char*> names, int low,
                int high, const std::string& where) {
    ASSERT_TRUE(object.isObject()) << where;
    for (const char* name : names) {
        const Json::Value& member = object[name];
        ASSERT_TRUE(member.isInt()) << where << "." << name;
        EXPECT_GE(member.asInt(), low) << where << "." << name;
        EXPECT_LE(member.asInt(), high) << where << "." << name;
    }
}

TEST(DefaultData, EveryFileParsesAndALoadSaveRoundTripKeepsItsText) {
    for (const char* name : kAllFiles) {
        const std::string text = ReadJsonFile(DefaultDataDir() / name);
        ASSERT_FALSE(text.empty()) << name;
        const Json::Value value = ReadJsonValue(DefaultDataDir() / name);
        ASSERT_TRUE(value.isObject()) << name;
        EXPECT_EQ(StyledJsonText(value), text) << name << " is not in the writer's style";
    }
}

TEST(DefaultData, ProfilesHoldEveryMemberOfTheirKind) {
    struct Member {
        const char* file;
        const char* name;
        Json::ValueType type;
    };
    constexpr Member kMembers[] = {
        {"keyboard.Json", "LightInfo", Json::objectValue},
        {"keyboard.Json", "LightList", Json::arrayValue},
        {"keyboard.Json", "AudioLightInfo", Json::objectValue},
        {"keyboard.Json", "KeyList", Json::arrayValue},
        {"keyboard.Json", "SystemStages", Json::objectValue},
        {"keyboard.Json", "CustomLightMode", Json::objectValue},
        {"mouse.Json", "LightInfo", Json::objectValue},
        {"mouse.Json", "LightList", Json::arrayValue},
        {"mouse.Json", "KeyList", Json::arrayValue},
        {"mouse.Json", "SystemStages", Json::objectValue},
        {"mouse.Json", "ReportStages", Json::objectValue},
        {"mouse.Json", "DPIStages", Json::objectValue},
        {"mouse.Json", "CorrectInfo", Json::arrayValue},
        {"MousePad.Json", "LightInfo", Json::objectValue},
        {"MousePad.Json", "LightList", Json::arrayValue},
        {"HD.Json", "LightInfo", Json::objectValue},
        {"HD.Json", "LightList", Json::arrayValue},
        {"HD.Json", "SystemSetStages", Json::objectValue},
        {"HD.Json", "EQHzValueInfo", Json::arrayValue},
        {"HD.Json", "CustomEQNameInfo", Json::arrayValue},
        {"HD.Json", "CustomEQHzValueInfo", Json::arrayValue},
    };
    for (const Member& m : kMembers) {
        const Json::Value profile = Profile(m.file);
        ASSERT_TRUE(profile.isObject()) << m.file << " has no \"Device\"[0]";
        EXPECT_EQ(profile[m.name].type(), m.type) << m.file << " " << m.name;
    }

    const Json::Value lights = Load("default_light.json")["DefaultLightName"];
    for (const char* file : {"keyboard.Json", "mouse.Json", "MousePad.Json", "HD.Json"}) {
        const Json::Value info = Profile(file)["LightInfo"];
        ExpectInts(info,
                   {"SelectItem", "Fx", "MultiColor", "ZZCCLedMode", "CustomGroup", "OldLedmode"},
                   0, 255, std::string(file) + " LightInfo");
        ExpectInts(info, {"Light", "Speed"}, 0, 4, std::string(file) + " LightInfo");
        ExpectInts(info, {"Red", "Green", "Blue"}, 0, 255, std::string(file) + " LightInfo");
    }
    // The chosen effects are ones the lighting panel offers.
    const std::pair<const char*, int> kRows[] = {
        {"keyboard.Json", 0}, {"mouse.Json", 1}, {"MousePad.Json", 2}, {"HD.Json", 3}};
    for (const auto& [file, row] : kRows) {
        const int select = Profile(file)["LightInfo"]["SelectItem"].asInt();
        ASSERT_LT(select, static_cast<int>(lights[row].size())) << file;
        EXPECT_TRUE(lights[row][select]["visible"].asBool()) << file;
    }

    ExpectInts(Profile("keyboard.Json")["AudioLightInfo"],
               {"AudioMode", "BkColorR", "BkColorG", "BkColorB", "FgColorR", "FgColorG", "FgColorB",
                "7ColorFlags", "ColorTypeFlags"},
               0, 255, "AudioLightInfo");
    const Json::Value keyboardSystem = Profile("keyboard.Json")["SystemStages"];
    ExpectInts(keyboardSystem, {"Key6Flag", "WFlag", "WinFlag"}, 0, 1, "keyboard SystemStages");
    ExpectInts(keyboardSystem, {"RepeatDelay", "PollingRate"}, 0, 3, "keyboard SystemStages");
    ExpectInts(keyboardSystem, {"Repeat"}, 0, 0xFFFF, "keyboard SystemStages");
    ExpectInts(
        Profile("mouse.Json")["SystemStages"],
        {"DoubleClickTime", "MouseSpeed", "PointerPrecision", "ScorllPage", "WheelScorlllinse"}, 0,
        0xFFFF, "mouse SystemStages");
    ExpectInts(Profile("mouse.Json")["ReportStages"], {"StageActive"}, 0, 4, "ReportStages");
    for (const Json::Value& correct : Profile("mouse.Json")["CorrectInfo"]) {
        ExpectInts(correct, {"CorrectPixThresh", "CorrectMinSq", "CorrectSelect"}, 0, 255,
                   "CorrectInfo");
        EXPECT_TRUE(correct["CorrectName"].isString());
    }
}

TEST(DefaultData, KeyboardKeysCarryTheFactoryCodes) {
    const Json::Value keys = Profile("keyboard.Json")["KeyList"];
    ASSERT_EQ(keys.size(), 126u);
    const std::pair<int, int> kSamples[] = {{0, 0x200029},   {16, 0xA01B00},  {84, 0x200200},
                                            {108, 0x20002C}, {110, 0xA00100}, {120, 0xD0A201},
                                            {124, 0xD0A205}, {125, 0x208000}};
    for (const auto& [index, code] : kSamples) {
        EXPECT_EQ(keys[index]["Assignment"].asInt(), code) << "key " << index;
    }
    for (Json::ArrayIndex i = 0; i < keys.size(); ++i) {
        const vdev::KeyCode code = vdev::FactoryKeyCode(static_cast<int>(i));
        const int expected = Packed(code.type, code.byte1, code.byte2);
        ASSERT_TRUE(keys[i]["Assignment"].isInt()) << "key " << i;
        EXPECT_EQ(keys[i]["Assignment"].asInt(), expected) << "key " << i;
        EXPECT_EQ(keys[i]["DefaultAssignment"].asInt(), expected) << "key " << i;
    }
}

TEST(DefaultData, MouseButtonsAndDpiStages) {
    const Json::Value mouse = Profile("mouse.Json");
    constexpr std::array<int, 11> kButtons = {0x100100, 0x100200, 0x100400, 0x101000,
                                              0x100800, 0x130100, 0x130200, 0x130300,
                                              0xA01B00, 0x169001, 0x147802};
    ASSERT_EQ(mouse["KeyList"].size(), kButtons.size());
    for (Json::ArrayIndex i = 0; i < kButtons.size(); ++i) {
        EXPECT_EQ(mouse["KeyList"][i]["Assignment"].asInt(), kButtons[i]) << "button " << i;
        EXPECT_EQ(mouse["KeyList"][i]["DefaultAssignment"].asInt(), kButtons[i]);
    }

    const Json::Value stages = mouse["DPIStages"]["StageDPIs"];
    ASSERT_EQ(stages.size(), 5u);
    int previous = 0;
    for (const Json::Value& stage : stages) {
        ExpectInts(stage, {"StageActive", "StageXY"}, 0, 1, "stage");
        ExpectInts(stage, {"StageDPIX", "StageDPIY"}, 1, 0xFFFF, "stage");
        ExpectInts(stage, {"StageColorR", "StageColorG", "StageColorB"}, 0, 255, "stage");
        EXPECT_GT(stage["StageDPIX"].asInt(), previous) << "stages rise";
        previous = stage["StageDPIX"].asInt();
    }
    ExpectInts(mouse["DPIStages"], {"StageActive"}, 0, 4, "DPIStages");
    EXPECT_EQ(stages[mouse["DPIStages"]["StageActive"].asInt()]["StageActive"].asInt(), 1)
        << "the current stage is enabled";
}

TEST(DefaultData, KeyboardCustomColourGroupsCoverEveryLight) {
    const Json::Value custom = Profile("keyboard.Json")["CustomLightMode"];
    const Json::Value groups = custom["LightColorInfo"];
    ASSERT_TRUE(groups.isArray());
    ASSERT_GE(groups.size(), 1u);
    ExpectInts(custom, {"CustomLightModeGroupIndex"}, 0, static_cast<int>(groups.size()) - 1,
               "CustomLightMode");
    for (const Json::Value& group : groups) {
        ASSERT_EQ(group.size(), 170u);
        for (Json::ArrayIndex i = 0; i < group.size(); ++i) {
            ExpectInts(group[i], {"Red", "Green", "Blue", "Alpha"}, 0, 255, "colour");
            ExpectInts(group[i], {"IsBright"}, 0, 1, "colour");
            // Positions without a key stay dark; every key is lit.
            const bool hasKey = !(vdev::FactoryKeyCode(static_cast<int>(i)) == vdev::kNoKeyCode);
            EXPECT_EQ(group[i]["IsBright"].asInt(), hasKey ? 1 : 0) << "light " << i;
        }
    }
}

TEST(DefaultData, EffectListsAgreeWithTheEffectNumbers) {
    const Json::Value file = Load("default_light.json");
    const Json::Value lists = file["DefaultLightName"];
    ASSERT_EQ(lists.size(), 4u);
    ASSERT_EQ(file["AreaLightName"].size(), 4u);
    for (Json::ArrayIndex row = 0; row < lists.size(); ++row) {
        ASSERT_TRUE(lists[row].isArray() && !lists[row].empty()) << "row " << row;
        for (Json::ArrayIndex k = 0; k < lists[row].size(); ++k) {
            const Json::Value& entry = lists[row][k];
            EXPECT_TRUE(entry["LightName"].isString() && !entry["LightName"].asString().empty());
            EXPECT_TRUE(entry["visible"].isBool()) << "row " << row << " entry " << k;
            // The panel's mode index, the engine's effect number and the
            // device's effect code are one number.
            EXPECT_EQ(entry["value"].asInt(), static_cast<int>(k)) << "row " << row;
        }
        for (const Json::Value& area : file["AreaLightName"][row]) {
            EXPECT_TRUE(area["LightName"].isString());
        }
    }
    const Json::Value keyboard = lists[0];
    ASSERT_GE(keyboard.size(), 46u);
    for (int shown : {1, 6, 21, 23, 28, 29, 30, 40, 45}) {
        EXPECT_TRUE(keyboard[shown]["visible"].asBool()) << "keyboard effect " << shown;
    }
    for (int hidden : {0, 25, 31, 39}) {
        EXPECT_FALSE(keyboard[hidden]["visible"].asBool()) << "keyboard effect " << hidden;
    }
    EXPECT_EQ(lists[1].size(), 10u);  // mouse effects 0..9
    EXPECT_EQ(lists[2].size(), 9u);   // mouse pad effects 0..8
    EXPECT_EQ(lists[3].size(), 9u);   // headset effects 0..8
}

TEST(DefaultData, HeadsetEqualisersHoldTheProgramsPresets) {
    const Json::Value headset = Profile("HD.Json");
    const int kPresets[12][10] = {
        {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},   {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
        {10, 4, 0, -3, -4, -3, -2, -1, 0, 0}, {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},       {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
        {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},  {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
        {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},  {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
        {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},  {2, 1, -2, -4, -8, 4, 12, 16, 18, 15}};
    const Json::Value slots = headset["EQHzValueInfo"];
    ASSERT_EQ(slots.size(), 14u);
    for (Json::ArrayIndex slot = 0; slot < slots.size(); ++slot) {
        ASSERT_EQ(slots[slot].size(), 10u) << "slot " << slot;
        for (Json::ArrayIndex band = 0; band < 10; ++band) {
            ExpectInts(slots[slot][band], {"value"}, -13, 18, "band");
            if (slot >= 1 && slot <= 12) {
                EXPECT_EQ(slots[slot][band]["value"].asInt(), kPresets[slot - 1][band])
                    << "slot " << slot << " band " << band;
            }
        }
    }
    const Json::Value names = headset["CustomEQNameInfo"];
    const Json::Value custom = headset["CustomEQHzValueInfo"];
    ASSERT_EQ(custom.size(), names.size());
    EXPECT_LE(names.size(), 20u);
    std::set<std::string> seen;
    for (Json::ArrayIndex i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(seen.insert(names[i]["Name"].asString()).second) << "names are unique";
        ASSERT_EQ(custom[i].size(), 10u);
        for (const Json::Value& band : custom[i]) ExpectInts(band, {"value"}, -13, 18, "band");
    }
    const Json::Value system = headset["SystemSetStages"];
    ExpectInts(system, {"MagicEnable", "MicInSelect", "MicMoniterSelect"}, 0, 1, "headset");
    ExpectInts(system, {"MagicType"}, 1, 4, "headset");
    ExpectInts(system, {"EqType"}, 1, 13, "headset");
    ExpectInts(system, {"CustomEqSeletIndex"}, 0, 19, "headset");
    ExpectInts(system, {"MicInValue", "MicMoniterValue"}, 0, 100, "headset");
}

TEST(DefaultData, RecoilPatternsHaveThirtyWellFormedBullets) {
    for (int gun = 0; gun < 4; ++gun) {
        const std::string name = "ShootData_" + std::to_string(gun) + ".Shoot";
        const Json::Value events = Load(name)["Events"];
        ASSERT_EQ(events.size(), 6u * 30) << name;
        for (Json::ArrayIndex bullet = 0; bullet < 30; ++bullet) {
            const Json::ArrayIndex e = 6 * bullet;
            const std::string where = name + " bullet " + std::to_string(bullet);
            // Click, then the x and y moves, then two zero moves.
            constexpr int kTypes[6] = {1, 1, 4, 5, 4, 5};
            for (Json::ArrayIndex j = 0; j < 6; ++j) {
                const Json::Value& event = events[e + j];
                EXPECT_EQ(event["Type"].asInt(), kTypes[j]) << where;
                ASSERT_TRUE(event["Delay"].isInt()) << where;
                ASSERT_TRUE(event["Button"].isInt()) << where;
                const std::string action = event["Action"].asString();
                EXPECT_TRUE(action == "down" || action == "up") << where;
            }
            EXPECT_EQ(events[e]["Action"].asString(), "down") << where;
            EXPECT_EQ(events[e + 1]["Action"].asString(), "up") << where;
            EXPECT_EQ(events[e]["Button"].asInt(), 1) << where;
            EXPECT_EQ(events[e]["Delay"].asInt(), 10) << where;
            EXPECT_EQ(events[e + 2]["Delay"].asInt(), 5) << where;
            EXPECT_GT(events[e + 3]["Delay"].asInt(), 0) << where;
            EXPECT_LE(events[e + 2]["Button"].asInt(), 20) << where;
            EXPECT_LE(events[e + 3]["Button"].asInt(), 20) << where;
            EXPECT_EQ(events[e + 4]["Button"].asInt(), 0) << where;
            EXPECT_EQ(events[e + 5]["Button"].asInt(), 0) << where;
        }
    }
}

TEST(DefaultData, SettingsFiles) {
    const Json::Value languages = Load("Language.config")["Language"];
    ASSERT_GE(languages.size(), 16u);  // the font switch knows index 15
    std::set<int> ids;
    for (const Json::Value& language : languages) {
        ASSERT_TRUE(language["Language_ID"].isInt());
        EXPECT_TRUE(ids.insert(language["Language_ID"].asInt()).second) << "IDs are unique";
        for (const char* text : {"Language_name", "Language_file", "Language_text"}) {
            EXPECT_TRUE(language[text].isString() && !language[text].asString().empty());
        }
    }
    EXPECT_EQ(languages[0]["Language_file"].asString(), "lan_cn.xml");

    const Json::Value audio = Load("AudioFile.json")["Device"]["AudioLightInfo"];
    ExpectInts(audio, {"nAudioStyle"}, 0, 3, "AudioFile");
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(audio["nStyleName" + std::to_string(i + 1)].isString());
        for (const char* channel : {"nStyleR", "nStyleG", "nStyleB"}) {
            const Json::Value& value = audio[channel + std::to_string(i)];
            ASSERT_TRUE(value.isInt());
            EXPECT_GE(value.asInt(), 0);
            EXPECT_LE(value.asInt(), 9);
        }
    }

    const Json::Value colours = Load("color_option_info.config")["coloroptioninfo"];
    auto isColourText = [](const Json::Value& text) {
        if (!text.isString() || text.asString().size() != 8) return false;
        return text.asString().find_first_not_of("0123456789ABCDEF") == std::string::npos;
    };
    const Json::Value presets = colours["palletDialogcoloroption"];
    const Json::Value collected = colours["palletDialogcollectcoloroption"];
    ASSERT_EQ(presets.size(), 20u);
    ASSERT_EQ(collected.size(), 20u);
    for (Json::ArrayIndex i = 0; i < 20; ++i) {
        EXPECT_TRUE(isColourText(presets[i]["color"])) << "preset " << i;
        EXPECT_TRUE(isColourText(collected[i]["color"])) << "collected " << i;
        EXPECT_TRUE(collected[i]["UserData"].isString()) << "collected " << i;
    }
    ExpectInts(colours, {"palletDialogcoloroption_selectitem"}, 0, 19, "colour options");
    ExpectInts(colours, {"palletDialogcollectcoloroption_selectitem"}, -1, 19, "colour options");
}

}  // namespace
}  // namespace halvorn
