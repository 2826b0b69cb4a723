#include "platform/fs/json_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/fs/time_stamp.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;

class JsonFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("halvorn-json-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(JsonFileTest, WrittenDocumentReadsBackAndEndsWithALineEnd) {
    Json::Value doc;
    doc["Device"][0]["LightInfo"]["SelectItem"] = 3;
    doc["Name"] = "Ünïcode ✓";
    const fs::path file = dir_ / "a.Json";
    ASSERT_TRUE(WriteJsonFile(file, doc));
    const std::string text = ReadJsonFile(file);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(ReadJsonValue(file), doc);
    // Writing the same document again gives the same text.
    ASSERT_TRUE(WriteJsonFile(file, doc));
    EXPECT_EQ(ReadJsonFile(file), text);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(JsonFileTest, CommentsAreAllowedAndBrokenTextIsNull) {
    const fs::path file = dir_ / "c.json";
    std::ofstream(file) << "// a comment\n{ \"A\" : 1 /* inline */ }\n";
    EXPECT_EQ(ReadJsonValue(file)["A"].asInt(), 1);
    std::ofstream(file) << "{ \"A\" : ";
    EXPECT_TRUE(ReadJsonValue(file).isNull());
    EXPECT_TRUE(ReadJsonValue(dir_ / "missing.json").isNull());
    EXPECT_EQ(ReadJsonFile(dir_ / "missing.json"), "");
}

TEST_F(JsonFileTest, FailedWriteLeavesTheOldFileAsItWas) {
    const fs::path file = dir_ / "keep.Json";
    Json::Value old;
    old["Version"] = 1;
    ASSERT_TRUE(WriteJsonFile(file, old));
    const std::string before = ReadJsonFile(file);
    // The target is a non-empty folder: the final rename must fail.
    const fs::path blocked = dir_ / "blocked";
    fs::create_directories(blocked / "inside");
    Json::Value doc;
    doc["Version"] = 2;
    EXPECT_FALSE(WriteJsonFile(blocked, doc));
    EXPECT_FALSE(WriteJsonFile(dir_ / "no-such-folder" / "x.Json", doc));
    EXPECT_EQ(ReadJsonFile(file), before);
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
}

TEST(TimeStamp, FormatsLocalTimeWithMilliseconds) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    using namespace std::chrono;
    // 2026-03-04 05:06:07.089 UTC
    const sys_days day = year(2026) / 3 / 4;
    const auto when = time_point_cast<system_clock::duration>(day + hours(5) + minutes(6) +
                                                              seconds(7) + milliseconds(89));
    EXPECT_EQ(TimeStampString(when), "2026_03_04_05_06_07_089");
}

}  // namespace
}  // namespace halvorn
