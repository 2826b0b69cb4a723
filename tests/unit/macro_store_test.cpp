#include "profile/macro_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/fs/json_file.h"
#include "platform/fs/time_stamp.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const auto kFixedTime =
    std::chrono::system_clock::time_point(std::chrono::milliseconds(1709644029042));

class MacroStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "halvorn-macros-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        data_ = root_ / "keyboard";
        fs::create_directories(data_);
    }
    void TearDown() override { fs::remove_all(root_); }

    MacroStore MakeStore(MacroStore::Clock clock = {}) {
        return MacroStore(data_, MacroStore::kIndexFileName, std::move(clock));
    }
    fs::path IndexFile() const { return data_ / MacroStore::kIndexFileName; }
    std::string IndexText() const { return ReadJsonFile(IndexFile()); }
    fs::path MacFile(const std::string& id) const { return data_ / (id + ".mac"); }

    void WriteIndex(const std::vector<std::pair<std::string, std::string>>& entries) {
        Json::Value doc;
        doc["MacroInfo"] = Json::Value(Json::arrayValue);
        for (const auto& [name, id] : entries) {
            Json::Value entry;
            entry["MacroName"] = name;
            entry["Guid"] = id;
            doc["MacroInfo"].append(entry);
        }
        ASSERT_TRUE(WriteJsonFile(IndexFile(), doc));
    }

    fs::path root_, data_;
};

const std::vector<MacroEvent> kEvents = {
    {MacroAction::kDown, kMacroKey, 0x04, 20},
    {MacroAction::kUp, kMacroKey, 0x04, 0},
    {MacroAction::kDown, kMacroMoveX, 15, 65535},
};

TEST_F(MacroStoreTest, AddTakesTheSmallestFreeNameIgnoringCase) {
    WriteIndex({{"MACRO_1", "g1"}, {"macro_3", "g3"}});
    MacroStore store = MakeStore();
    ASSERT_EQ(store.Add(), MacroResult::kDone);
    ASSERT_EQ(store.Add(), MacroResult::kDone);
    EXPECT_EQ(store.Names(), (Names{"MACRO_1", "macro_3", "macro_2", "macro_4"}));
    // No macro file until the macro is saved.
    EXPECT_FALSE(fs::exists(store.MacroPathAt(2)));
    EXPECT_EQ(store.Read(2), std::vector<MacroEvent>{});
}

TEST_F(MacroStoreTest, IdentifiersMadeWithinOneMillisecondAreDistinct) {
    MacroStore store = MakeStore([] { return kFixedTime; });
    for (int i = 0; i < 3; ++i) ASSERT_EQ(store.Add(), MacroResult::kDone);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(store.IdentifierAt(i),
                  TimeStampString(kFixedTime + std::chrono::milliseconds(i)));
    }
}

TEST_F(MacroStoreTest, FiftyMacrosAtMostForAddAndImport) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < MacroStore::kMaxMacros; ++i) {
        entries.emplace_back("m" + std::to_string(i), "g" + std::to_string(i));
    }
    WriteIndex(entries);
    const fs::path file = root_ / "in.mac";
    std::ofstream(file) << R"({"Events": []})";
    MacroStore store = MakeStore();
    const std::string before = IndexText();
    EXPECT_EQ(store.Add(), MacroResult::kRefused);
    EXPECT_EQ(store.Import(file), MacroResult::kRefused);
    EXPECT_EQ(IndexText(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(data_), fs::directory_iterator()), 1);
}

TEST_F(MacroStoreTest, DeletingTheSecondOfThreeMovesTheThirdUp) {
    WriteIndex({{"one", "g1"}, {"two", "g2"}, {"three", "g3"}});
    MacroStore store = MakeStore();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(store.Save(i, kEvents), MacroResult::kDone);
    ASSERT_EQ(store.Delete(1), MacroResult::kDone);
    EXPECT_EQ(store.Names(), (Names{"one", "three"}));
    EXPECT_EQ(store.IdentifierAt(1), "g3");
    EXPECT_FALSE(fs::exists(MacFile("g2")));
    EXPECT_TRUE(fs::exists(MacFile("g1")));
    EXPECT_TRUE(fs::exists(MacFile("g3")));
    EXPECT_EQ(store.Delete(2), MacroResult::kInvalid);
}

TEST_F(MacroStoreTest, SaveWritesTheMacroFileAndReadGivesTheEventsBack) {
    WriteIndex({{"jump", "g1"}});
    std::ofstream(MacFile("g1")) << R"({"Extra": 1, "MacroName": "old", "Version": 1})";
    MacroStore store = MakeStore();
    ASSERT_EQ(store.Save(0, kEvents), MacroResult::kDone);
    const Json::Value doc = ReadJsonValue(MacFile("g1"));
    EXPECT_EQ(doc["MacroName"].asString(), "jump");
    EXPECT_EQ(doc["Guid"].asString(), "g1");
    EXPECT_EQ(doc["Version"].asInt(), 64);
    EXPECT_EQ(doc["Extra"].asInt(), 1);
    EXPECT_EQ(doc["Events"][0]["Action"].asString(), "down");
    EXPECT_EQ(doc["Events"][0]["Delay"].asString(), "20");
    EXPECT_EQ(doc["Events"][1]["Action"].asString(), "up");
    EXPECT_EQ(store.Read(0), kEvents);
}

TEST_F(MacroStoreTest, DelaysAboveTheLimitReadAsTheLimit) {
    WriteIndex({{"m", "g1"}});
    std::ofstream(MacFile("g1")) << R"({"Events": [
        {"Action": "down", "Type": 10, "Button": 4, "Delay": "70000"},
        {"Action": "up", "Type": 10, "Button": 4, "Delay": "70000"}]})";
    const std::vector<MacroEvent> events = MakeStore().Read(0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].delay, 65535);
    EXPECT_EQ(events[1].delay, 65535);
}

struct DelayCase {
    const char* json;
    int delay;
};

class MacroDelay : public ::testing::TestWithParam<DelayCase> {};

TEST_P(MacroDelay, ReadsTheDecimalValueCapped) {
    Json::Value value;
    ASSERT_TRUE(ParseJsonText(GetParam().json, value));
    EXPECT_EQ(MacroDelayFromJson(value), GetParam().delay) << GetParam().json;
}

INSTANTIATE_TEST_SUITE_P(
    Delays, MacroDelay,
    ::testing::Values(DelayCase{R"("12")", 12}, DelayCase{R"("65535")", 65535},
                      DelayCase{R"("70000")", 65535},
                      DelayCase{R"("99999999999999999999999")", 65535}, DelayCase{R"(" 42ms")", 42},
                      DelayCase{R"("+7")", 7}, DelayCase{R"("abc")", 0}, DelayCase{R"("")", 0},
                      DelayCase{R"("-5")", 0}, DelayCase{"300", 300}, DelayCase{"-1", 0},
                      DelayCase{"1e10", 65535}, DelayCase{"18446744073709551615", 65535},
                      DelayCase{"2.5", 2}, DelayCase{"true", 0}, DelayCase{"null", 0},
                      DelayCase{"[1]", 0}, DelayCase{R"({"a": 1})", 0}));

TEST(MacroEventJson, MembersOfTheWrongTypeReadAsDefaults) {
    Json::Value value;
    ASSERT_TRUE(ParseJsonText(R"({"Action": 5, "Type": "10", "Button": [1], "Delay": {}})", value));
    EXPECT_EQ(MacroEventFromJson(value), MacroEvent{});
    ASSERT_TRUE(ParseJsonText(R"({"Action": "up", "Type": 1, "Button": 2, "Delay": "3"})", value));
    EXPECT_EQ(MacroEventFromJson(value), (MacroEvent{MacroAction::kUp, 1, 2, 3}));
    EXPECT_EQ(MacroEventFromJson(Json::Value("text")), MacroEvent{});
    // Delays are stored as clamped strings.
    EXPECT_EQ(MacroEventToJson({MacroAction::kDown, 9, 1, 90000})["Delay"].asString(), "65535");
    EXPECT_EQ(MacroEventToJson({MacroAction::kDown, 9, 1, -4})["Delay"].asString(), "0");
}

TEST_F(MacroStoreTest, ABrokenMacroFileGivesNoEvents) {
    WriteIndex({{"m", "g1"}});
    MacroStore store = MakeStore();
    for (const char* text : {"not json", "[]", R"({"Events": 5})", R"({"Events": {"a": 1}})"}) {
        std::ofstream(MacFile("g1")) << text;
        EXPECT_TRUE(store.Read(0).empty()) << text;
    }
    // Elements that are not objects are passed over.
    std::ofstream(MacFile("g1")) << R"({"Events": [1, {"Type": 10, "Delay": "5"}, null]})";
    EXPECT_EQ(store.Read(0), (std::vector<MacroEvent>{{MacroAction::kDown, 10, 0, 5}}));
}

TEST_F(MacroStoreTest, RenameRefusesBlankAndTakenNamesItsOwnIncluded) {
    struct Case {
        const char* name;
        MacroRenameResult result;
    };
    for (const Case& c :
         {Case{"  ", MacroRenameResult::kBlank}, Case{"", MacroRenameResult::kBlank},
          Case{"MINE", MacroRenameResult::kTaken}, Case{"Other", MacroRenameResult::kTaken},
          Case{"fresh", MacroRenameResult::kRenamed}}) {
        WriteIndex({{"mine", "g1"}, {"other", "g2"}});
        MacroStore store = MakeStore();
        ASSERT_EQ(store.Save(0, kEvents), MacroResult::kDone);
        const std::string before = IndexText();
        EXPECT_EQ(store.Rename(0, c.name), c.result) << c.name;
        if (c.result != MacroRenameResult::kRenamed) {
            EXPECT_EQ(IndexText(), before) << c.name;
            continue;
        }
        EXPECT_EQ(store.Names(), (Names{"fresh", "other"}));
        // The macro file keeps its name until the next save.
        EXPECT_EQ(ReadJsonValue(MacFile("g1"))["MacroName"].asString(), "mine");
    }
}

TEST_F(MacroStoreTest, ImportIsNamedByTheNextFreeNumberAndCopiesTheText) {
    WriteIndex({{"macro_1", "g1"}});
    const fs::path file = root_ / "Fancy Name.mac";
    const std::string text =
        "// exported\n{\"MacroName\": \"stored\", \"Guid\": \"../../x\", \"Events\": [], "
        "\"Version\": 64}";
    std::ofstream(file) << text;
    MacroStore store = MakeStore();
    ASSERT_EQ(store.Import(file), MacroResult::kDone);
    EXPECT_EQ(store.Names(), (Names{"macro_1", "macro_2"}));
    EXPECT_EQ(ReadJsonFile(store.MacroPathAt(1)), text);
    EXPECT_NE(store.IdentifierAt(1), "../../x");
}

TEST_F(MacroStoreTest, ImportOfAFileThatIsNoJsonObjectChangesNothing) {
    MacroStore store = MakeStore();
    const fs::path file = root_ / "bad.mac";
    for (const char* text : {"not json", "[1]", "", "\"s\""}) {
        std::ofstream(file) << text;
        EXPECT_EQ(store.Import(file), MacroResult::kInvalid) << text;
    }
    EXPECT_EQ(store.Import(root_ / "missing.mac"), MacroResult::kInvalid);
    EXPECT_EQ(store.Import(root_), MacroResult::kInvalid);
    std::ofstream(file) << "{}";
    fs::resize_file(file, 17u << 20);
    EXPECT_EQ(store.Import(file), MacroResult::kInvalid);
    EXPECT_TRUE(fs::is_empty(data_));
}

TEST_F(MacroStoreTest, ExportCopiesTheTextAndAnUnsavedMacroExportsEmpty) {
    WriteIndex({{"saved", "g1"}, {"new", "g2"}});
    const std::string text = "{ \"Events\" : [], \"MacroName\" : \"saved\" } // as written\n";
    std::ofstream(MacFile("g1")) << text;
    MacroStore store = MakeStore();
    ASSERT_EQ(store.Export(0, root_ / "a.mac"), MacroResult::kDone);
    EXPECT_EQ(ReadJsonFile(root_ / "a.mac"), text);
    ASSERT_EQ(store.Export(1, root_ / "b.mac"), MacroResult::kDone);
    const Json::Value empty = ReadJsonValue(root_ / "b.mac");
    EXPECT_EQ(empty["MacroName"].asString(), "new");
    EXPECT_EQ(empty["Guid"].asString(), "g2");
    EXPECT_TRUE(empty["Events"].isArray());
    EXPECT_EQ(empty["Version"].asInt(), 64);
    EXPECT_EQ(store.Export(0, root_ / "no folder" / "c.mac"), MacroResult::kWriteFailed);
}

class UnsafeIdentifier : public MacroStoreTest,
                         public ::testing::WithParamInterface<std::string> {};

TEST_P(UnsafeIdentifier, IsListedButRefusedWithNothingChanged) {
    std::ofstream(root_ / "x.mac") << "outside";
    fs::create_directories(data_ / "a");
    std::ofstream(data_ / "a" / "b.mac") << "outside";
    WriteIndex({{"good", "g1"}, {"bad", GetParam()}});
    MacroStore store = MakeStore();
    const std::string before = IndexText();
    EXPECT_EQ(store.Names(), (Names{"good", "bad"}));
    EXPECT_EQ(store.IdentifierAt(1), "");
    EXPECT_EQ(store.MacroPathAt(1), fs::path());
    EXPECT_TRUE(store.Read(1).empty());
    EXPECT_EQ(store.Save(1, kEvents), MacroResult::kInvalid);
    EXPECT_EQ(store.Delete(1), MacroResult::kInvalid);
    EXPECT_EQ(store.Export(1, root_ / "out.mac"), MacroResult::kInvalid);
    EXPECT_EQ(store.Rename(1, "renamed"), MacroRenameResult::kInvalid);
    EXPECT_EQ(IndexText(), before);
    EXPECT_EQ(ReadJsonFile(root_ / "x.mac"), "outside");
    EXPECT_EQ(ReadJsonFile(data_ / "a" / "b.mac"), "outside");
    EXPECT_FALSE(fs::exists(root_ / "out.mac"));
    // The good entry still works.
    EXPECT_EQ(store.Save(0, kEvents), MacroResult::kDone);
}

INSTANTIATE_TEST_SUITE_P(Identifiers, UnsafeIdentifier,
                         ::testing::Values("../x", "a/b", "", std::string(300, 'g')));

TEST_F(MacroStoreTest, TheIndexFileNameIsTheCallers) {
    MacroStore store(data_, MacroStore::kPadIndexFileName);
    ASSERT_EQ(store.Add(), MacroResult::kDone);
    EXPECT_TRUE(fs::exists(data_ / "cavrel_macro.config"));
    EXPECT_FALSE(fs::exists(IndexFile()));
}

TEST_F(MacroStoreTest, AnIndexBrokenDuringTheRunIsRebuiltFromTheLastOneRead) {
    WriteIndex({{"one", "g1"}, {"two", "g2"}});
    MacroStore store = MakeStore();
    ASSERT_EQ(store.Count(), 2);
    std::ofstream(IndexFile()) << "[ broken";
    ASSERT_EQ(store.Add(), MacroResult::kDone);
    EXPECT_EQ(store.Names(), (Names{"one", "two", "macro_1"}));
    fs::path aside = IndexFile();
    aside += ".broken";
    EXPECT_EQ(ReadJsonFile(aside), "[ broken");
}

TEST_F(MacroStoreTest, AFreshIndexKeepsABrokenFileAside) {
    std::ofstream(IndexFile()) << R"({"MacroInfo": "not a list"})";
    MacroStore store = MakeStore();
    EXPECT_EQ(store.Count(), 0);
    ASSERT_EQ(store.Add(), MacroResult::kDone);
    EXPECT_EQ(store.Names(), Names{"macro_1"});
    fs::path aside = IndexFile();
    aside += ".broken";
    EXPECT_TRUE(fs::exists(aside));
}

}  // namespace
}  // namespace halvorn
