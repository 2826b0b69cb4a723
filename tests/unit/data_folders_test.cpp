#include "platform/fs/data_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

namespace halvorn {
namespace {

namespace fs = std::filesystem;

struct RootCase {
    FolderEnvironment env;
    std::string data, config, temp;
};

class FolderRoots : public ::testing::TestWithParam<RootCase> {};

TEST_P(FolderRoots, FollowTheXdgRules) {
    const RootCase& c = GetParam();
    EXPECT_EQ(UserDataRoot(c.env), fs::path(c.data));
    EXPECT_EQ(ConfigRoot(c.env), fs::path(c.config));
    EXPECT_EQ(TempRoot(c.env), fs::path(c.temp));
}

FolderEnvironment Env(std::string home, std::string data = "", std::string config = "",
                      std::string cache = "") {
    FolderEnvironment env;
    env.home = std::move(home);
    env.xdgDataHome = std::move(data);
    env.xdgConfigHome = std::move(config);
    env.xdgCacheHome = std::move(cache);
    return env;
}

INSTANTIATE_TEST_SUITE_P(
    Environments, FolderRoots,
    ::testing::Values(RootCase{Env("/home/u"), "/home/u/.local/share/Halvorn Device",
                               "/home/u/.config/Halvorn Device", "/home/u/.cache/Halvorn Device"},
                      RootCase{Env("/home/u", "/x/data", "/x/conf", "/x/cache"),
                               "/x/data/Halvorn Device", "/x/conf/Halvorn Device",
                               "/x/cache/Halvorn Device"},
                      // Relative XDG values are invalid and ignored.
                      RootCase{Env("/home/u", "rel/data", "./conf", "cache"),
                               "/home/u/.local/share/Halvorn Device",
                               "/home/u/.config/Halvorn Device", "/home/u/.cache/Halvorn Device"},
                      RootCase{Env("", "/x/data"), "/x/data/Halvorn Device", "", ""},
                      RootCase{Env(""), "", "", ""}));

TEST(DeviceDataFolder, IsTheKindFolderUnderTheRoot) {
    const FolderEnvironment env = Env("/home/u");
    EXPECT_EQ(DeviceDataFolder(env, kMousePadFolder),
              fs::path("/home/u/.local/share/Halvorn Device/MousePad"));
    EXPECT_EQ(DeviceDataFolder(env, kHeadsetFolder).filename(), "HD");
    EXPECT_EQ(DeviceDataFolder(env, "../x"), fs::path());
    EXPECT_EQ(DeviceDataFolder(Env(""), kKeyboardFolder), fs::path());
}

class CreateFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "halvorn-folders-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(CreateFolderTest, CreatesEveryMissingLevelPrivately) {
    const fs::path folder = dir_ / "share" / "Halvorn Device" / "keyboard";
    EXPECT_FALSE(CreateFolder(folder));
    EXPECT_TRUE(fs::is_directory(folder));
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Existing folders are fine.
    EXPECT_FALSE(CreateFolder(folder));
}

TEST_F(CreateFolderTest, ReportsAFileInTheWayAndAnEmptyPath) {
    std::ofstream(dir_ / "file") << "x";
    EXPECT_TRUE(CreateFolder(dir_ / "file"));
    EXPECT_TRUE(CreateFolder(dir_ / "file" / "below"));
    EXPECT_TRUE(CreateFolder(fs::path()));
}

TEST_F(CreateFolderTest, DefaultDataIsSearchedInItsDocumentedOrder) {
    FolderEnvironment env;
    env.dataDir = (dir_ / "override").string();
    const fs::path exe = dir_ / "prefix" / "bin";
    const fs::path source = dir_ / "source" / "DefaultData";
    const std::vector<fs::path> candidates = DefaultDataCandidates(env, exe, source);
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates[0], dir_ / "override");
    EXPECT_EQ(candidates[1], exe / "DefaultData");
    EXPECT_EQ(candidates[2], dir_ / "prefix" / "share" / "halvorn-device" / "DefaultData");
    EXPECT_EQ(candidates[3], source);
    EXPECT_EQ(DefaultDataCandidates(FolderEnvironment{}, fs::path(), fs::path()).size(), 0u);

    EXPECT_EQ(FirstExistingFolder(candidates), fs::path());
    fs::create_directories(candidates[3]);
    EXPECT_EQ(FirstExistingFolder(candidates), candidates[3]);
    fs::create_directories(candidates[2]);
    EXPECT_EQ(FirstExistingFolder(candidates), candidates[2]);
    // An override that is a file, not a folder, is passed over.
    std::ofstream(candidates[0]) << "x";
    EXPECT_EQ(FirstExistingFolder(candidates), candidates[2]);
}

TEST(ExecutableFolder, IsTheFolderOfThisTest) {
    const fs::path folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_directory(folder));
}

}  // namespace
}  // namespace halvorn
