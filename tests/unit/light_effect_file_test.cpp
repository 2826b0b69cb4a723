#include "profile/light_effect_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "platform/fs/json_file.h"
#include "profile/basic_profiledata.h"
#include "tests/support/profile_test_files.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;
using test::WriteText;

TEST(LightEffectFilePath, PlainNamesResolveInTheFolderFullPathsStayAndOthersAreRefused) {
    const fs::path folder = "/data/keyboard";
    struct Case {
        std::string guid;
        std::optional<fs::path> expected;
    };
    const Case cases[] = {
        {"2024_05_07_13_02_45_120", folder / "2024_05_07_13_02_45_120.light"},
        {"a..b", folder / "a..b.light"},
        {"/opt/fx/wave", fs::path("/opt/fx/wave.light")},
        {"../x", std::nullopt},
        {"..", std::nullopt},
        {".", std::nullopt},
        {"sub/x", std::nullopt},
        {"..\\x", std::nullopt},
        {"C:\\fx\\wave", std::nullopt},
        {"", std::nullopt},
        {std::string("a\0b", 3), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LightEffectFilePath(c.guid, folder), c.expected) << c.guid;
    }
    // Without a folder a relative name never falls back to the current directory.
    EXPECT_EQ(LightEffectFilePath("wave", ""), std::nullopt);
}

class CustomLightEffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "keyboard");
        configPath_ = dir_ / "keyboard" / "cavrel_light.config";
    }
    // A light configuration whose mode 1 names `guid`, loaded with
    // SelectItem 1 as the current light mode.
    std::vector<LightEffectStep> EffectsFor(const std::string& guid) {
        Json::Value config;
        config["LightInfo"][0][0]["LightName"] = "first";
        config["LightInfo"][0][0]["Guid"] = "none";
        config["LightInfo"][0][1]["LightName"] = "mine";
        config["LightInfo"][0][1]["Guid"] = guid;
        WriteJsonFile(configPath_, config);
        profile_.SetLightConfigPath(configPath_);
        profile_.LoadLightConfig(profile_.GetLightConfigPath());
        profile_.SetLightInfo({.selectItem = 1});
        return profile_.GetCustomLightEffects();
    }

    test::TempDir dir_;
    fs::path configPath_;
    CBasicProfiledata profile_;
};

constexpr const char* kTwoSteps = R"({"LEDEffectList": [
    {"LEDREGMode": 1, "LEDBrightness": 4, "LEDSpeed": 2, "LEDDirection": 0, "LEDMultiColor": 0,
     "red": 255, "green": 0, "blue": 0, "Time": 500, "Cyle": 3},
    {"LEDREGMode": 2, "red": "x", "Time": -1, "Cyle": 4294967296}]})";

const LightEffectStep kFirstStep{1, 4, 2, 0, 0, 255, 0, 0, 500, 3};
const LightEffectStep kSecondStep{.mode = 2, .time = -1, .cycle = 0};

TEST_F(CustomLightEffectsTest, RelativeGuidResolvesInTheConfigurationFolder) {
    WriteText(dir_ / "keyboard" / "wave.light", kTwoSteps);
    // A file of the same name in the current directory must not be the one read.
    const fs::path elsewhere = dir_ / "cwd";
    fs::create_directories(elsewhere);
    WriteText(elsewhere / "wave.light", R"({"LEDEffectList": [{"LEDREGMode": 9}]})");
    const fs::path oldCwd = fs::current_path();
    fs::current_path(elsewhere);
    const std::vector<LightEffectStep> steps = EffectsFor("wave");
    fs::current_path(oldCwd);

    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0], kFirstStep);
    EXPECT_EQ(steps[1], kSecondStep);
}

TEST_F(CustomLightEffectsTest, AbsoluteGuidIsReadAsItIs) {
    const fs::path file = dir_ / "shared" / "pulse";
    fs::create_directories(file.parent_path());
    WriteText(fs::path(file.string() + ".light"), kTwoSteps);
    EXPECT_EQ(EffectsFor(file.string()).size(), 2u);
}

TEST_F(CustomLightEffectsTest, GuidLeavingTheFolderOrMissingDataGivesNoEffects) {
    WriteText(dir_ / "x.light", kTwoSteps);  // what "../x" would reach
    EXPECT_TRUE(EffectsFor("../x").empty());
    EXPECT_TRUE(EffectsFor("missing").empty());

    WriteText(dir_ / "keyboard" / "bad.light", R"({"LEDEffectList": 5})");
    EXPECT_TRUE(EffectsFor("bad").empty());

    // A GUID of another type, a mode past the list, and no configuration.
    WriteText(configPath_, R"({"LightInfo": [[{"Guid": 7}, {"Guid": ["wave"]}]]})");
    profile_.LoadLightConfig(configPath_);
    WriteText(dir_ / "keyboard" / "wave.light", kTwoSteps);
    for (uint8_t mode : {0, 1, 2}) {
        profile_.SetLightInfo({.selectItem = mode});
        EXPECT_TRUE(profile_.GetCustomLightEffects().empty()) << int(mode);
    }
    profile_.LoadLightConfig(dir_ / "no-such.config");
    EXPECT_TRUE(profile_.LightConfig().isNull());
    EXPECT_TRUE(profile_.GetCustomLightEffects().empty());
}

}  // namespace
}  // namespace halvorn
