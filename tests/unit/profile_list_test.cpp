#include "profile/profile_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/fs/json_file.h"
#include "platform/fs/time_stamp.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const auto kFixedTime =
    std::chrono::system_clock::time_point(std::chrono::milliseconds(1715000000120));

class ProfileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "halvorn-profiles-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        data_ = root_ / "keyboard";
        fs::create_directories(data_);
        fs::create_directories(root_ / "DefaultData");
        defaults_ = root_ / "DefaultData" / "keyboard.Json";
        Json::Value doc;
        doc["Device"][0]["LightInfo"]["SelectItem"] = 3;
        doc["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Flat";
        doc["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 0;
        ASSERT_TRUE(WriteJsonFile(defaults_, doc));
    }
    void TearDown() override { fs::remove_all(root_); }

    ProfileList MakeList(int type = 1, ProfileList::Clock clock = {}) {
        return ProfileList(data_, defaults_, type, std::move(clock));
    }
    fs::path ListFile() const { return data_ / ProfileList::kListFileName; }
    Json::Value ListDoc() const { return ReadJsonValue(ListFile()); }
    std::string ListText() const { return ReadJsonFile(ListFile()); }
    int StoredSelect() const { return ListDoc()["profileselect"].asInt(); }
    std::string UuidAt(int i) const {
        return ListDoc()["profilelist"][i]["profileUUID"].asString();
    }
    fs::path ProfileFile(const std::string& uuid) const { return data_ / (uuid + ".Json"); }

    // A list file with these (name, uuid) entries, each with a profile file
    // when its uuid is plain.
    void WriteList(const std::vector<std::pair<std::string, std::string>>& entries,
                   int select = 0) {
        Json::Value doc;
        doc["profilelist"] = Json::Value(Json::arrayValue);
        for (const auto& [name, uuid] : entries) {
            Json::Value entry;
            entry["profilename"] = name;
            entry["profileUUID"] = uuid;
            entry["profileislink"] = 0;
            entry["profilelinkmame"] = "";
            doc["profilelist"].append(entry);
            if (uuid.find('/') == std::string::npos && !uuid.empty() && uuid.size() < 200) {
                Json::Value profile = ReadJsonValue(defaults_);
                profile["profilename"] = name;
                profile["profileUUID"] = uuid;
                profile["Device"][0]["LightInfo"]["SelectItem"] = static_cast<int>(name.size());
                ASSERT_TRUE(WriteJsonFile(ProfileFile(uuid), profile));
            }
        }
        doc["profileselect"] = select;
        ASSERT_TRUE(WriteJsonFile(ListFile(), doc));
    }

    fs::path root_, data_, defaults_;
};

TEST_F(ProfileListTest, FirstRunCreatesTheListAndOneProfileFromTheDefaults) {
    ProfileList list = MakeList();
    EXPECT_EQ(list.Init(), ProfileResult::kDone);
    EXPECT_EQ(list.Names(), Names{"profile1"});
    EXPECT_EQ(list.SelectedIndex(), 0);
    EXPECT_EQ(StoredSelect(), 0);
    const std::string uuid = list.CurrentUuid();
    EXPECT_EQ(uuid, UuidAt(0));
    EXPECT_EQ(list.ProfilePathAt(0), ProfileFile(uuid));
    const Json::Value profile = ReadJsonValue(ProfileFile(uuid));
    EXPECT_EQ(profile["profilename"].asString(), "profile1");
    EXPECT_EQ(profile["profileUUID"].asString(), uuid);
    EXPECT_EQ(profile["Device"], ReadJsonValue(defaults_)["Device"]);
    EXPECT_EQ(ListDoc()["profilelist"][0]["profileislink"].asInt(), 0);
    EXPECT_EQ(ListDoc()["profilelist"][0]["profilelinkmame"].asString(), "");
}

TEST_F(ProfileListTest, AMissingBrokenOrEmptyListIsReplacedAndBrokenTextKept) {
    struct Case {
        const char* text;
        bool keptAside;
    };
    for (const Case& c : {Case{"", false}, Case{"{ \"profilelist\": [", true},
                          Case{R"({"profilelist": [], "Extra": 1})", false}, Case{"[1, 2]", true},
                          Case{R"({"profilelist": 5})", true}, Case{R"({"other": true})", false}}) {
        fs::remove_all(data_);
        fs::create_directories(data_);
        if (*c.text != '\0') std::ofstream(ListFile()) << c.text;
        ProfileList list = MakeList();
        EXPECT_EQ(list.Init(), ProfileResult::kDone) << c.text;
        EXPECT_EQ(list.Names(), Names{"profile1"}) << c.text;
        EXPECT_TRUE(fs::exists(ProfileFile(list.CurrentUuid()))) << c.text;
        fs::path aside = ListFile();
        aside += ".broken";
        EXPECT_EQ(fs::exists(aside), c.keptAside) << c.text;
        if (c.keptAside) {
            EXPECT_EQ(ReadJsonFile(aside), c.text);
        }
    }
    // Other members of a readable document survive.
    EXPECT_TRUE(ListDoc()["other"].asBool());
}

TEST_F(ProfileListTest, InitSelectsTheStoredProfileOrTheFirstWhenItIsNoIndex) {
    WriteList({{"a", "u1"}, {"b", "u2"}, {"c", "u3"}}, 2);
    ProfileList list = MakeList();
    EXPECT_EQ(list.Init(), ProfileResult::kDone);
    EXPECT_EQ(list.SelectedIndex(), 2);
    EXPECT_EQ(list.CurrentUuid(), "u3");

    for (const char* select : {"7", "-1", "\"2\"", "1.5", "null", "[0]"}) {
        Json::Value doc = ListDoc();
        Json::Value parsed;
        ASSERT_TRUE(ParseJsonText(select, parsed));
        doc["profileselect"] = parsed;
        ASSERT_TRUE(WriteJsonFile(ListFile(), doc));
        ProfileList again = MakeList();
        EXPECT_EQ(again.Init(), ProfileResult::kDone) << select;
        EXPECT_EQ(again.SelectedIndex(), 0) << select;
        EXPECT_EQ(again.CurrentUuid(), "u1") << select;
        EXPECT_EQ(StoredSelect(), 0) << select;
    }
}

TEST_F(ProfileListTest, SelectStoresTheIndexAndTheCurrentUuid) {
    WriteList({{"a", "u1"}, {"b", "u2"}});
    ProfileList list = MakeList();
    list.Init();
    EXPECT_EQ(list.Select(1), ProfileResult::kDone);
    EXPECT_EQ(list.CurrentUuid(), "u2");
    EXPECT_EQ(StoredSelect(), 1);
    EXPECT_EQ(list.Select(2), ProfileResult::kInvalid);
    EXPECT_EQ(list.Select(-1), ProfileResult::kInvalid);
    EXPECT_EQ(list.SelectedIndex(), 1);
}

TEST_F(ProfileListTest, AddTakesTheSmallestFreeNumberIgnoringCaseAndIsRememberedNotSelected) {
    WriteList({{"profile1", "u1"}, {"Profile3", "u3"}});
    ProfileList list = MakeList();
    list.Init();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(list.Add(), ProfileResult::kDone);
        // "profileselect" names the new profile; the shown selection stays.
        EXPECT_EQ(StoredSelect(), 2 + i);
        EXPECT_EQ(list.SelectedIndex(), 0);
        EXPECT_EQ(list.CurrentUuid(), "u1");
    }
    EXPECT_EQ(list.Names(), (Names{"profile1", "Profile3", "profile2", "profile4", "profile5"}));
    for (int i = 2; i < 5; ++i) {
        const Json::Value profile = ReadJsonValue(list.ProfilePathAt(i));
        EXPECT_EQ(profile["profilename"].asString(), list.Names()[i]);
        EXPECT_EQ(profile["profileUUID"].asString(), UuidAt(i));
        EXPECT_EQ(profile["Device"], ReadJsonValue(defaults_)["Device"]);
    }
    // The next start shows the profile added last.
    ProfileList next = MakeList();
    next.Init();
    EXPECT_EQ(next.SelectedIndex(), 4);
}

TEST_F(ProfileListTest, ProfilesMadeWithinOneMillisecondGetDistinctUuids) {
    ProfileList list = MakeList(1, [] { return kFixedTime; });
    list.Init();
    ASSERT_EQ(list.Add(), ProfileResult::kDone);
    ASSERT_EQ(list.Copy(), ProfileResult::kDone);
    EXPECT_EQ(UuidAt(0), TimeStampString(kFixedTime));
    EXPECT_EQ(UuidAt(1), TimeStampString(kFixedTime + std::chrono::milliseconds(1)));
    EXPECT_EQ(UuidAt(2), TimeStampString(kFixedTime + std::chrono::milliseconds(2)));
    // A file left with the next name (of a profile no longer listed) is not reused.
    std::ofstream(ProfileFile(TimeStampString(kFixedTime + std::chrono::milliseconds(3)))) << "{}";
    ASSERT_EQ(list.Add(), ProfileResult::kDone);
    EXPECT_EQ(UuidAt(3), TimeStampString(kFixedTime + std::chrono::milliseconds(4)));
}

TEST_F(ProfileListTest, FiftyProfilesAtMost) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < ProfileList::kMaxProfiles; ++i) {
        entries.emplace_back("p" + std::to_string(i), "u" + std::to_string(i));
    }
    WriteList(entries);
    ProfileList list = MakeList();
    list.Init();
    const std::string before = ListText();
    EXPECT_EQ(list.Add(), ProfileResult::kRefused);
    EXPECT_EQ(list.Copy(), ProfileResult::kRefused);
    const fs::path game = root_ / "game.json";
    std::ofstream(game) << R"({"profilename": "x", "profileUUID": "y"})";
    EXPECT_EQ(list.Import(game), ProfileResult::kRefused);
    EXPECT_EQ(ListText(), before);
}

TEST_F(ProfileListTest, DeleteSelectsThePreviousOrTheFirstAndRemovesTheFile) {
    struct Case {
        int selected;
        Names left;
        int select;
        std::string uuid;
    };
    for (const Case& c : {Case{0, {"b", "c"}, 0, "u2"}, Case{1, {"a", "c"}, 0, "u1"},
                          Case{2, {"a", "b"}, 1, "u2"}}) {
        WriteList({{"a", "u1"}, {"b", "u2"}, {"c", "u3"}}, c.selected);
        ProfileList list = MakeList();
        list.Init();
        const std::string gone = list.CurrentUuid();
        ASSERT_EQ(list.Delete(), ProfileResult::kDone);
        EXPECT_EQ(list.Names(), c.left);
        EXPECT_EQ(StoredSelect(), c.select);
        // The shown selection follows, so nothing saves into the deleted file.
        EXPECT_EQ(list.SelectedIndex(), c.select);
        EXPECT_EQ(list.CurrentUuid(), c.uuid);
        EXPECT_FALSE(fs::exists(ProfileFile(gone)));
    }
}

TEST_F(ProfileListTest, TheLastProfileIsNotDeleted) {
    ProfileList list = MakeList();
    list.Init();
    const std::string before = ListText();
    EXPECT_EQ(list.Delete(), ProfileResult::kRefused);
    EXPECT_EQ(ListText(), before);
    EXPECT_TRUE(fs::exists(ProfileFile(list.CurrentUuid())));
}

TEST_F(ProfileListTest, DeletingOneOfTwoEntriesNamingOneFileKeepsTheFile) {
    WriteList({{"a", "u1"}, {"b", "u1"}, {"c", "u3"}});
    ProfileList list = MakeList();
    list.Init();
    ASSERT_EQ(list.Delete(), ProfileResult::kDone);
    EXPECT_TRUE(fs::exists(ProfileFile("u1")));
}

TEST_F(ProfileListTest, CopyRepeatsTheSuffixAndCopiesTheProfileFile) {
    WriteList({{"A", "u1"}, {"a COPY", "u2"}});
    ProfileList list = MakeList();
    list.Init();
    ASSERT_EQ(list.Copy(), ProfileResult::kDone);
    EXPECT_EQ(list.Names(), (Names{"A", "a COPY", "A copy copy"}));
    EXPECT_EQ(StoredSelect(), 0);
    EXPECT_EQ(list.SelectedIndex(), 0);
    const Json::Value copy = ReadJsonValue(list.ProfilePathAt(2));
    EXPECT_EQ(copy["profilename"].asString(), "A copy copy");
    EXPECT_EQ(copy["profileUUID"].asString(), UuidAt(2));
    EXPECT_NE(UuidAt(2), "u1");
    EXPECT_EQ(copy["Device"], ReadJsonValue(ProfileFile("u1"))["Device"]);
}

TEST_F(ProfileListTest, ImportNamesTheProfileAfterTheFileWithRepeatedSuffixes) {
    ProfileList list = MakeList();
    list.Init();
    const fs::path game = root_ / "game.json";
    Json::Value doc;
    doc["profilename"] = "stored name";
    doc["profileUUID"] = "../../elsewhere";
    doc["Device"][0]["LightInfo"]["SelectItem"] = 9;
    doc["Unknown"] = "kept";
    ASSERT_TRUE(WriteJsonFile(game, doc));
    for (int i = 0; i < 3; ++i) ASSERT_EQ(list.Import(game), ProfileResult::kDone);
    EXPECT_EQ(list.Names(), (Names{"profile1", "game", "game(1)", "game(1)(2)"}));
    EXPECT_EQ(StoredSelect(), 0);
    const Json::Value imported = ReadJsonValue(list.ProfilePathAt(3));
    EXPECT_EQ(imported["profilename"].asString(), "game(1)(2)");
    EXPECT_EQ(imported["profileUUID"].asString(), UuidAt(3));
    EXPECT_EQ(imported["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
    EXPECT_EQ(imported["Unknown"].asString(), "kept");
    EXPECT_FALSE(fs::exists(root_ / "elsewhere.Json"));
}

TEST_F(ProfileListTest, ImportOfAFileThatIsNoProfileChangesNothing) {
    ProfileList list = MakeList();
    list.Init();
    const std::string before = ListText();
    const fs::path file = root_ / "bad.json";
    for (const char* text :
         {R"({"profilename": "x"})", R"({"profileUUID": "y"})",
          R"({"profilename": "x", "profileUUID": 5})", R"({"profilename": [], "profileUUID": "y"})",
          R"(["profilename", "profileUUID"])", "not json", ""}) {
        std::ofstream(file) << text;
        EXPECT_EQ(list.Import(file), ProfileResult::kInvalid) << text;
    }
    EXPECT_EQ(list.Import(root_ / "missing.json"), ProfileResult::kInvalid);
    // A file far too large for a profile is not even read.
    std::ofstream(file) << R"({"profilename": "x", "profileUUID": "y"})";
    fs::resize_file(file, 17u << 20);
    EXPECT_EQ(list.Import(file), ProfileResult::kInvalid);
    EXPECT_EQ(ListText(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(data_), fs::directory_iterator()), 2);
}

TEST_F(ProfileListTest, ExportWritesTheSelectedProfilesDocument) {
    WriteList({{"a", "u1"}, {"b", "u2"}}, 1);
    ProfileList list = MakeList();
    list.Init();
    const fs::path out = root_ / "out.json";
    ASSERT_EQ(list.Export(out), ProfileResult::kDone);
    EXPECT_EQ(ReadJsonValue(out), ReadJsonValue(ProfileFile("u2")));
    fs::remove(ProfileFile("u2"));
    EXPECT_EQ(list.Export(root_ / "none.json"), ProfileResult::kInvalid);
    EXPECT_FALSE(fs::exists(root_ / "none.json"));
}

TEST_F(ProfileListTest, RenameResults) {
    struct Case {
        const char* name;
        RenameResult result;
    };
    for (const Case& c :
         {Case{"   ", RenameResult::kBlank}, Case{"", RenameResult::kBlank},
          Case{"\t \n", RenameResult::kBlank}, Case{"OTHER", RenameResult::kTaken},
          Case{"mine", RenameResult::kRenamed}, Case{"Mine", RenameResult::kRenamed}}) {
        WriteList({{"mine", "u1"}, {"other", "u2"}});
        ProfileList list = MakeList();
        list.Init();
        const std::string before = ListText();
        EXPECT_EQ(list.Rename(c.name), c.result) << c.name;
        if (c.result != RenameResult::kRenamed) {
            EXPECT_EQ(ListText(), before) << c.name;
            continue;
        }
        EXPECT_EQ(list.Names()[0], c.name);
        EXPECT_EQ(ReadJsonValue(ProfileFile("u1"))["profilename"].asString(), c.name);
    }
}

TEST_F(ProfileListTest, ResetRestoresTheDefaultsKeepingNameAndUuid) {
    struct Case {
        int type;
        bool keepsEq;
    };
    for (const Case& c : {Case{7, true}, Case{1, false}, Case{3, false}}) {
        WriteList({{"mine", "u1"}});
        Json::Value old = ReadJsonValue(ProfileFile("u1"));
        old["Device"][0]["CustomEQNameInfo"][0]["Name"] = "My curve";
        old["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 6;
        old["Device"][0]["LightInfo"]["SelectItem"] = 11;
        ASSERT_TRUE(WriteJsonFile(ProfileFile("u1"), old));

        ProfileList list = MakeList(c.type);
        list.Init();
        ASSERT_EQ(list.Reset(), ProfileResult::kDone);
        Json::Value expected = ReadJsonValue(defaults_);
        expected["profilename"] = "mine";
        expected["profileUUID"] = "u1";
        if (c.keepsEq) {
            expected["Device"][0]["CustomEQNameInfo"] = old["Device"][0]["CustomEQNameInfo"];
            expected["Device"][0]["CustomEQHzValueInfo"] = old["Device"][0]["CustomEQHzValueInfo"];
        }
        EXPECT_EQ(ReadJsonValue(ProfileFile("u1")), expected) << c.type;
    }
}

TEST_F(ProfileListTest, ResetWithoutDefaultsLeavesTheProfile) {
    WriteList({{"mine", "u1"}});
    const std::string before = ReadJsonFile(ProfileFile("u1"));
    fs::remove(defaults_);
    ProfileList list = MakeList();
    list.Init();
    EXPECT_EQ(list.Reset(), ProfileResult::kInvalid);
    EXPECT_EQ(ReadJsonFile(ProfileFile("u1")), before);
}

TEST_F(ProfileListTest, EntriesNotNamingAPlainFileAreKeptButNeverUsed) {
    const std::string longName(300, 'x');
    // A file the "../x" entry would reach.
    std::ofstream(root_ / "x.Json") << "outside";
    WriteList({{"bad1", "../x"}, {"good", "u1"}, {"bad2", "a/b"}, {"bad3", ""}, {"bad4", longName}},
              0);
    ProfileList list = MakeList();
    EXPECT_EQ(list.Init(), ProfileResult::kDone);
    EXPECT_EQ(list.Names(), (Names{"bad1", "good", "bad2", "bad3", "bad4"}));
    EXPECT_EQ(list.SelectedIndex(), 1);
    const std::string before = ListText();
    for (int i : {0, 2, 3, 4}) {
        EXPECT_EQ(list.Select(i), ProfileResult::kInvalid) << i;
        EXPECT_EQ(list.ProfilePathAt(i), fs::path()) << i;
    }
    EXPECT_EQ(list.CurrentUuid(), "u1");
    EXPECT_EQ(ListText(), before);
    // "good" is the only usable profile, so it is not deleted.
    EXPECT_EQ(list.Delete(), ProfileResult::kRefused);
    EXPECT_EQ(ReadJsonFile(root_ / "x.Json"), "outside");
}

TEST_F(ProfileListTest, AListWithNoUsableEntryGetsANewProfileAndKeepsTheRest) {
    WriteList({{"profile1", "../x"}, {"b", "a/b"}});
    ProfileList list = MakeList();
    EXPECT_EQ(list.Init(), ProfileResult::kDone);
    EXPECT_EQ(list.Names(), (Names{"profile1", "b", "profile2"}));
    EXPECT_EQ(list.SelectedIndex(), 2);
    EXPECT_TRUE(fs::exists(ProfileFile(list.CurrentUuid())));
}

TEST_F(ProfileListTest, MembersOfTheWrongTypeReadAsDefaults) {
    std::ofstream(ListFile()) << R"({"profilelist": [5, {"profilename": 7, "profileUUID": "u1"},
        {"profilename": "n", "profileUUID": {"a": 1}}, null, [1]], "profileselect": "x"})";
    ProfileList list = MakeList();
    EXPECT_EQ(list.Init(), ProfileResult::kDone);
    EXPECT_EQ(list.Names(), (Names{"", "", "n", "", ""}));
    EXPECT_EQ(list.SelectedIndex(), 1);
    EXPECT_EQ(list.CurrentUuid(), "u1");
    EXPECT_EQ(list.Add(), ProfileResult::kDone);
    EXPECT_EQ(list.Count(), 6);
}

TEST_F(ProfileListTest, AListBrokenDuringTheRunIsRebuiltFromTheLastOneRead) {
    WriteList({{"a", "u1"}, {"b", "u2"}});
    ProfileList list = MakeList();
    list.Init();
    std::ofstream(ListFile()) << "{ garbage";
    ASSERT_EQ(list.Add(), ProfileResult::kDone);
    EXPECT_EQ(list.Names(), (Names{"a", "b", "profile1"}));
    EXPECT_EQ(ListDoc()["profilelist"].size(), 3u);
    fs::path aside = ListFile();
    aside += ".broken";
    EXPECT_EQ(ReadJsonFile(aside), "{ garbage");
}

TEST_F(ProfileListTest, AFailedWriteLeavesNeitherAListedProfileNorAStrayFile) {
    ProfileList list = MakeList(1, [] { return kFixedTime; });
    list.Init();
    const std::string before = ListText();
    const std::string next = TimeStampString(kFixedTime + std::chrono::milliseconds(1));
    const std::string tempSuffix = ".tmp-" + std::to_string(::getpid());
    // A folder where the writer puts its temporary file makes that write fail.
    fs::path blockList = ListFile();
    blockList += tempSuffix;
    fs::create_directory(blockList);
    EXPECT_EQ(list.Add(), ProfileResult::kWriteFailed);
    EXPECT_EQ(ListText(), before);
    EXPECT_FALSE(fs::exists(ProfileFile(next)));
    fs::remove(blockList);

    fs::path blockProfile = ProfileFile(next);
    blockProfile += tempSuffix;
    fs::create_directory(blockProfile);
    EXPECT_EQ(list.Add(), ProfileResult::kWriteFailed);
    EXPECT_EQ(ListText(), before);
    EXPECT_EQ(list.Names(), Names{"profile1"});
}

TEST_F(ProfileListTest, AnUnwritableFolderStillGivesASelection) {
    ProfileList list(root_ / "missing", defaults_, 1);
    EXPECT_EQ(list.Init(), ProfileResult::kWriteFailed);
    EXPECT_EQ(list.SelectedIndex(), 0);
    EXPECT_FALSE(list.CurrentUuid().empty());
    EXPECT_EQ(list.Names(), Names{"profile1"});
}

struct TabCase {
    int type;
    std::array<TabChange, 8> changes;
};

class TabTable : public ::testing::TestWithParam<TabCase> {};

TEST_P(TabTable, HidesAndShowsTheTabsOfTheDeviceType) {
    EXPECT_EQ(ProfileTabChanges(GetParam().type), GetParam().changes);
}

constexpr TabChange K = TabChange::kKeep, H = TabChange::kHide, S = TabChange::kShow;
INSTANTIATE_TEST_SUITE_P(
    DeviceTypes, TabTable,
    ::testing::Values(TabCase{1, {K, K, K, K, H, K, K, K}}, TabCase{2, {K, K, K, K, K, K, K, K}},
                      TabCase{3, {K, H, H, H, H, K, K, K}}, TabCase{4, {K, H, H, K, H, K, K, K}},
                      TabCase{5, {K, H, H, H, H, K, K, K}}, TabCase{6, {K, K, K, K, K, K, K, K}},
                      TabCase{7, {K, H, H, H, H, S, S, S}}, TabCase{9, {K, K, K, K, K, K, K, K}}));

TEST(ProfileTabs, SelectTabNumbersTheTabsFromOne) {
    EXPECT_EQ(kProfileTabNames[0], "deng_Op_tab");
    EXPECT_EQ(kProfileTabNames[7], "Virtual7.1_Op_tab");
    EXPECT_EQ(ProfileTabSelection(1), (std::array<bool, 8>{true}));
    EXPECT_EQ(ProfileTabSelection(8)[7], true);
    EXPECT_EQ(ProfileTabSelection(8)[0], false);
    EXPECT_EQ(ProfileTabSelection(0), (std::array<bool, 8>{}));
    EXPECT_EQ(ProfileTabSelection(9), (std::array<bool, 8>{}));
}

}  // namespace
}  // namespace halvorn
