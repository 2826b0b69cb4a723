#include "profile/profile_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/fs/json_file.h"
#include "platform/trace/trace.h"
#include "profile/basic_profiledata.h"
#include "profile/keyboard_profiledata.h"
#include "tests/support/profile_test_files.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::WriteText;

constexpr const char* kDefaultProfile = R"({
    "Device": [{
        "LightInfo": {"SelectItem": 2, "Light": 4, "Speed": 1, "Fx": 0, "MultiColor": 1,
                      "Red": 255, "Green": 0, "Blue": 16, "ZZCCLedMode": 0,
                      "CustomGroup": 0, "OldLedmode": 0},
        "KeyList": [{"Assignment": 2097156, "DefaultAssignment": 2097156},
                    {"Assignment": 2097157, "DefaultAssignment": 2097157}],
        "SystemStages": {"Repeat": 1, "RepeatDelay": 2, "Key6Flag": 0, "PollingRate": 3,
                         "WFlag": 0, "WinFlag": 1}
    }],
    "profilename": "default",
    "profileUUID": "default"
})";

Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(ParseJsonText(text, value)) << text;
    return value;
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "DefaultData");
        defaultPath_ = dir_ / "DefaultData" / "keyboard.Json";
        WriteText(defaultPath_, kDefaultProfile);
        profilePath_ = dir_ / "2024_05_07_13_02_45_120.Json";
        profile_.SetDefaultProfilePath(defaultPath_);
        profile_.SetProfilePath(profilePath_);
        profile_.SetDeviceIndex(0);
    }

    Json::Value DefaultObject() const { return Parse(kDefaultProfile)["Device"][0]; }
    fs::path BrokenCopy() const { return fs::path(profilePath_.string() + ".broken"); }

    test::TempDir dir_;
    fs::path defaultPath_;
    fs::path profilePath_;
    CKeyboardProfiledata profile_;
};

TEST_F(ProfileFileTest, FirstLoadCreatesTheProfileFileFromTheDefaults) {
    const Json::Value loaded = profile_.LoadProfile(profile_.GetProfilePath());
    EXPECT_EQ(loaded, DefaultObject());
    EXPECT_EQ(profile_.Root(), DefaultObject());

    Json::Value expected(Json::objectValue);
    expected["Device"].append(DefaultObject());
    EXPECT_EQ(ParseJsonFile(profilePath_), expected);
    EXPECT_FALSE(fs::exists(BrokenCopy()));
}

TEST_F(ProfileFileTest, MissingElementIsRepairedAndTheRestOfTheFileKept) {
    const char* cases[] = {
        R"({"profilename": "Mine", "profileUUID": "u1", "Device": []})",
        R"({"profilename": "Mine", "profileUUID": "u1", "Device": [null, {"Other": 2}]})",
        R"({"profilename": "Mine", "profileUUID": "u1"})",
    };
    for (const char* text : cases) {
        WriteText(profilePath_, text);
        const Json::Value before = Parse(text);
        EXPECT_EQ(profile_.LoadProfile(profilePath_), DefaultObject()) << text;

        const Json::Value after = ParseJsonFile(profilePath_);
        EXPECT_EQ(after["Device"][0], DefaultObject()) << text;
        EXPECT_EQ(after["profilename"], before["profilename"]) << text;
        EXPECT_EQ(after["profileUUID"], before["profileUUID"]) << text;
        EXPECT_EQ(after["Device"].size(), std::max(1u, before["Device"].size())) << text;
        if (before["Device"].size() > 1) {
            EXPECT_EQ(after["Device"][1], before["Device"][1]);
        }
        EXPECT_FALSE(fs::exists(BrokenCopy())) << text;
    }
}

TEST_F(ProfileFileTest, FileThatCannotBeKeptIsCopiedAsideBeforeTheRepair) {
    const char* cases[] = {
        R"({"Device": [ {"LightInfo": )",  // cut off
        R"([1, 2, 3])",                    // not an object
        R"({"Device": {"0": {}}})",        // "Device" not an array
        R"({"Device": [5]})",              // element not an object
    };
    for (const char* text : cases) {
        WriteText(profilePath_, text);
        EXPECT_EQ(profile_.LoadProfile(profilePath_), DefaultObject()) << text;
        EXPECT_EQ(ParseJsonFile(profilePath_)["Device"][0], DefaultObject()) << text;
        EXPECT_EQ(ReadText(BrokenCopy()), text);
        fs::remove(BrokenCopy());
    }
}

TEST_F(ProfileFileTest, EmptyFileTracesItsPathAndIsRepaired) {
    WriteText(profilePath_, "");
    std::vector<std::string> traces;
    const TraceSink old = SetTraceSink([&](std::string_view t) { traces.emplace_back(t); });
    EXPECT_TRUE(ParseJsonFile(profilePath_).isNull());
    EXPECT_EQ(profile_.LoadProfile(profilePath_), DefaultObject());
    SetTraceSink(old);
    EXPECT_NE(std::find_if(traces.begin(), traces.end(),
                           [&](const std::string& t) {
                               return t.find(profilePath_.string()) != std::string::npos;
                           }),
              traces.end());
    EXPECT_EQ(ParseJsonFile(profilePath_)["Device"][0], DefaultObject());
}

TEST_F(ProfileFileTest, WithoutDefaultsTheRootStaysNullAndTheFileHoldsANullElement) {
    fs::remove(defaultPath_);
    EXPECT_TRUE(profile_.LoadProfile(profilePath_).isNull());
    EXPECT_EQ(ParseJsonFile(profilePath_), Parse(R"({"Device": [null]})"));
    // Getters on a missing profile give defaults and manufacture nothing.
    EXPECT_EQ(profile_.GetCustomLightColors(0, 3).size(), 3u);
    EXPECT_TRUE(profile_.Root().isNull());
}

TEST_F(ProfileFileTest, LoadingTheDefaultsThemselvesNeverWritesThem) {
    EXPECT_EQ(profile_.LoadProfile(defaultPath_), DefaultObject());
    WriteText(defaultPath_, "{ broken");
    EXPECT_TRUE(profile_.LoadProfile(defaultPath_).isNull());
    EXPECT_EQ(ReadText(defaultPath_), "{ broken");
    EXPECT_EQ(
        std::distance(fs::directory_iterator(defaultPath_.parent_path()), fs::directory_iterator()),
        1);
}

TEST_F(ProfileFileTest, SavingTwiceWritesTheSameTextAndKeepsWhatItDoesNotKnow) {
    WriteText(profilePath_, R"({
        "profilename": "Mine", "Extra": [1, 2],
        "Device": [{"LightInfo": {"SelectItem": 1}, "FutureMember": {"a": [1, 2]}},
                   {"Other": 2}]
    })");
    profile_.LoadProfile(profilePath_);
    LightModeRecord light = profile_.GetLightInfo();
    light.red = 9;
    profile_.SetLightInfo(light);

    ASSERT_TRUE(profile_.SaveProfile());
    const std::string first = ReadText(profilePath_);
    ASSERT_TRUE(profile_.SaveProfile());
    EXPECT_EQ(ReadText(profilePath_), first);
    EXPECT_EQ(first.back(), '\n');

    const Json::Value saved = ParseJsonFile(profilePath_);
    EXPECT_EQ(saved["profilename"].asString(), "Mine");
    EXPECT_EQ(saved["Extra"], Parse("[1, 2]"));
    EXPECT_EQ(saved["Device"][0]["FutureMember"], Parse(R"({"a": [1, 2]})"));
    EXPECT_EQ(saved["Device"][1], Parse(R"({"Other": 2})"));
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["Red"].asInt(), 9);
    EXPECT_EQ(saved["Device"][0]["LightInfo"]["SelectItem"].asInt(), 1);
    // A freshly written LightInfo holds all eleven members.
    EXPECT_EQ(saved["Device"][0]["LightInfo"].size(), 11u);
}

TEST_F(ProfileFileTest, SaveReportsFailureAndWritesNothingWithoutAPlace) {
    profile_.LoadProfile(profilePath_);
    const std::string before = ReadText(profilePath_);
    EXPECT_FALSE(profile_.SaveProfileTo(profile_.Root(), dir_ / "no-folder" / "x.Json"));
    EXPECT_FALSE(profile_.WriteJson(profile_.Root(), ""));
    CBasicProfiledata unset;
    EXPECT_FALSE(unset.SaveProfile());  // no profile path yet
    EXPECT_EQ(ReadText(profilePath_), before);
}

TEST_F(ProfileFileTest, SecondaryProfileIsEditedAndSavedApart) {
    profile_.LoadProfile(profilePath_);
    const fs::path other = dir_ / "other.Json";
    WriteText(other, R"({"profilename": "B", "Device": [{"KeyList": [
        {"Assignment": 1, "DefaultAssignment": 1}, {"Assignment": 2, "DefaultAssignment": 2}]}]})");
    profile_.LoadSecondaryProfile(other);
    std::vector<KeyAssignRecord> keys = profile_.GetSecondaryKeyList();
    ASSERT_EQ(keys.size(), 2u);
    keys[1].assignment = KeyCode{0x70, 0, 5};
    keys[1].defaultAssignment = KeyCode{9, 9, 9};  // never written
    profile_.SetSecondaryKeyList(keys);
    ASSERT_TRUE(profile_.SaveSecondaryTo(other));

    const Json::Value saved = ParseJsonFile(other);
    EXPECT_EQ(saved["profilename"].asString(), "B");
    EXPECT_EQ(saved["Device"][0]["KeyList"][1]["Assignment"].asInt(), 0x700005);
    EXPECT_EQ(saved["Device"][0]["KeyList"][1]["DefaultAssignment"].asInt(), 2);
    EXPECT_EQ(profile_.Root(), DefaultObject());
    EXPECT_EQ(ParseJsonFile(profilePath_)["Device"][0], DefaultObject());
}

TEST_F(ProfileFileTest, WriteJsonWritesTheWholeValueAndParseJsonFileTakesComments) {
    const fs::path file = dir_ / "whole.json";
    ASSERT_TRUE(profile_.WriteJson(Parse(R"({"A": 1})"), file));
    EXPECT_EQ(ParseJsonFile(file), Parse(R"({"A": 1})"));

    WriteText(file, "// comment\n{\"A\": /* two */ 2}\n");
    EXPECT_EQ(ParseJsonFile(file)["A"].asInt(), 2);
    WriteText(file, "{\"A\": ");
    EXPECT_TRUE(ParseJsonFile(file).isNull());
    EXPECT_TRUE(ParseJsonFile(dir_ / "missing.json").isNull());
}

}  // namespace
}  // namespace halvorn
