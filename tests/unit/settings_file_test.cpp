#include "platform/settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/fs/json_file.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "halvorn-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        FolderEnvironment env;
        env.home = "/nowhere";
        env.xdgConfigHome = dir_.string();
        path_ = SettingsFile::DefaultPath(env);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    fs::path path_;
};

TEST_F(SettingsFileTest, LivesInTheConfigFolderAndIsCreatedOnFirstWrite) {
    EXPECT_EQ(path_, dir_ / "Halvorn Device" / "settings.json");
    SettingsFile settings(path_);
    EXPECT_EQ(settings.Language(3), 3);
    ASSERT_TRUE(settings.SetLanguage(1));
    EXPECT_EQ(SettingsFile(path_).Language(3), 1);
    EXPECT_EQ(ReadJsonValue(path_)["LANGUAGE"].asInt(), 1);
}

TEST_F(SettingsFileTest, KeepsMembersItDoesNotKnow) {
    fs::create_directories(path_.parent_path());
    std::ofstream(path_) << R"({"LANGUAGE": 0, "Other": {"a": [1, 2]}})";
    SettingsFile settings(path_);
    ASSERT_TRUE(settings.SetLanguage(2));
    const Json::Value root = ReadJsonValue(path_);
    EXPECT_EQ(root["LANGUAGE"].asInt(), 2);
    EXPECT_EQ(root["Other"]["a"][1].asInt(), 2);
}

TEST_F(SettingsFileTest, BrokenOrWrongTypedValuesReadAsTheDefault) {
    fs::create_directories(path_.parent_path());
    for (const char* text : {"not json", "[1, 2]", R"({"LANGUAGE": "2"})", R"({"LANGUAGE": 2.5})",
                             R"({"LANGUAGE": {"x": 1}})", R"({"LANGUAGE": 99999999999})", ""}) {
        std::ofstream(path_) << text;
        EXPECT_EQ(SettingsFile(path_).Language(7), 7) << text;
    }
    // A broken file is replaced by a good one on the next write.
    std::ofstream(path_) << "not json";
    ASSERT_TRUE(SettingsFile(path_).SetLanguage(4));
    EXPECT_EQ(SettingsFile(path_).Language(7), 4);
}

TEST_F(SettingsFileTest, AFailedWriteIsReported) {
    std::ofstream(dir_ / "file") << "x";
    EXPECT_FALSE(SettingsFile(dir_ / "file" / "settings.json").SetLanguage(1));
    EXPECT_FALSE(SettingsFile(fs::path()).SetLanguage(1));
}

}  // namespace
}  // namespace halvorn
