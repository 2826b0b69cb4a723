#include "panels/device_profile_ui.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "panels/register_panels.h"
#include "platform/fs/json_file.h"
#include "platform/ui/controls/combo.h"
#include "platform/ui/controls/edit.h"
#include "platform/ui/controls/option.h"
#include "tests/support/file_dialogs_double.h"
#include "tests/support/profile_test_files.h"
#include "tests/support/ui_actions.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;
using ui::testing::Click;
using ui::testing::PickComboItem;
using ui::testing::Wait;

const auto kFixedTime =
    std::chrono::system_clock::time_point(std::chrono::milliseconds(1715000000120));

fs::path SkinFolder() {
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "skin";
}

// Answers questions from a queue (cancel when empty) and records every text.
class RecordingPrompts : public IPrompts {
public:
    struct Shown {
        std::string textId;
        std::optional<int> arg;
        bool operator==(const Shown&) const = default;
    };

    bool Confirm(std::string_view textId) override {
        asked.emplace_back(textId);
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Inform(std::string_view textId, std::optional<int> arg) override {
        shown.push_back({std::string(textId), arg});
    }

    std::deque<bool> answers;
    std::vector<std::string> asked;
    std::vector<Shown> shown;
};

// Hands every notification to each panel of the window, as the main window
// does for the panel of the device shown.
class Router : public ui::INotifyUI {
public:
    void Notify(ui::TNotifyUI& msg) override {
        for (CDeviceProfileUI* panel : panels) panel->HandleNotify(msg);
    }
    std::vector<CDeviceProfileUI*> panels;
};

// A window holding `count` profile panels built from the skin's layout, each
// set up as a device page does, on its own data folder.
class Page {
public:
    Page(const std::vector<fs::path>& folders, const fs::path& defaults, int type) {
        ui.context.SetSkinFolder(SkinFolder());
        RegisterPanelControls(ui.context.Factory());
        std::string xml = "<Window><VerticalLayout>";
        for (std::size_t i = 0; i < folders.size(); ++i) {
            xml += "<Include source=\"XML/DeviceProfile.xml\"/>";
        }
        xml += "<Control/></VerticalLayout></Window>";
        root = ui.Show(xml, {1200, 600});
        if (root == nullptr) return;
        for (ui::CControlUI* c : ui.manager.FindSubControlsByClass(root, "DeviceProfile")) {
            router.panels.push_back(dynamic_cast<CDeviceProfileUI*>(c));
        }
        ui.manager.AddNotifier(&router);
        for (std::size_t i = 0; i < router.panels.size() && i < folders.size(); ++i) {
            CDeviceProfileUI* p = router.panels[i];
            p->SetClock([] { return kFixedTime; });
            p->SetPrompts(&prompts);
            p->SetFileDialogs(&dialogs);
            p->SetProfileHandler([this, p](ProfileEvent e) {
                events.push_back({e, p->GetCurrentUUID()});
            });
            // The device page's order.
            p->SetDeviceType(type);
            p->SetPaths(defaults, folders[i]);
            p->InitProfileList();
            p->SelectTab(1);
        }
    }
    ~Page() { ui.manager.RemoveNotifier(&router); }

    CDeviceProfileUI& Panel(std::size_t i = 0) { return *router.panels.at(i); }
    template <typename T = ui::CControlUI>
    T& Control(std::string_view name, std::size_t panel = 0) {
        auto* c = dynamic_cast<T*>(Panel(panel).FindSubControl(name));
        if (c == nullptr) throw std::runtime_error("no control " + std::string(name));
        return *c;
    }
    ui::CComboUI& Combo(std::size_t panel = 0) {
        return Control<ui::CComboUI>("device_profile_combo", panel);
    }
    std::vector<std::string> Items(std::size_t panel = 0) {
        std::vector<std::string> items;
        ui::CComboUI& combo = Combo(panel);
        for (int i = 0; i < combo.GetCount(); ++i) items.push_back(combo.GetItemAt(i)->GetText());
        return items;
    }
    // Opens the profile tools if needed and clicks one.
    bool ClickTool(std::string_view name, std::size_t panel = 0) {
        if (!Panel(panel).IsProfileMenuVisible() &&
            !Click(Control("profile_fun_spread_btn", panel))) {
            return false;
        }
        ui.manager.Layout();
        return Click(Control(name, panel));
    }

    struct Event {
        ProfileEvent event;
        std::string uuid;
    };

    ui::testing::HeadlessUi ui;
    RecordingPrompts prompts;
    test::RecordingFileDialogs dialogs;
    Router router;
    std::vector<Event> events;
    ui::CControlUI* root = nullptr;
};

class DeviceProfileUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(tmp.Path() / "DefaultData");
        defaults = tmp.Path() / "DefaultData" / "keyboard.Json";
        Json::Value doc;
        doc["Device"][0]["LightInfo"]["SelectItem"] = 3;
        ASSERT_TRUE(WriteJsonFile(defaults, doc));
        folder = tmp.Path() / "keyboard";
    }

    std::unique_ptr<Page> Open(int type = 1) {
        auto page = std::make_unique<Page>(std::vector<fs::path>{folder}, defaults, type);
        EXPECT_EQ(page->router.panels.size(), 1u) << page->ui.builder.Error();
        return page;
    }

    Json::Value ListDoc() const { return ReadJsonValue(folder / "ProfileList.ini"); }
    std::string UuidAt(int i) const {
        return ListDoc()["profilelist"][i]["profileUUID"].asString();
    }
    fs::path ProfileFile(int i) const { return folder / (UuidAt(i) + ".Json"); }

    // A stored list of these names, each with a profile file.
    void WriteList(const std::vector<std::string>& names, int select = 0) {
        fs::create_directories(folder);
        Json::Value list;
        list["profilelist"] = Json::Value(Json::arrayValue);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string uuid = "2024_01_01_00_00_00_00" + std::to_string(i);
            Json::Value entry;
            entry["profilename"] = names[i];
            entry["profileUUID"] = uuid;
            list["profilelist"].append(entry);
            Json::Value profile = ReadJsonValue(defaults);
            profile["profilename"] = names[i];
            profile["profileUUID"] = uuid;
            ASSERT_TRUE(WriteJsonFile(folder / (uuid + ".Json"), profile));
        }
        list["profileselect"] = select;
        ASSERT_TRUE(WriteJsonFile(folder / "ProfileList.ini", list));
    }

    test::TempDir tmp;
    fs::path defaults;
    fs::path folder;
};

TEST_F(DeviceProfileUiTest, FirstRunMakesProfile1AndSelectsIt) {
    auto page = Open();
    EXPECT_EQ(page->Items(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(page->Combo().GetCurSel(), 0);
    EXPECT_EQ(page->Combo().GetItemAt(0)->GetUserData(), "profile1");
    EXPECT_EQ(page->Combo().GetItemAt(0)->GetFixedHeight(), 30);
    EXPECT_EQ(page->Panel().GetNameEditText(), "profile1");

    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
    EXPECT_EQ(page->Panel().GetCurrentUUID(), UuidAt(0));
    const Json::Value profile = ReadJsonValue(ProfileFile(0));
    EXPECT_EQ(profile["profilename"].asString(), "profile1");
    EXPECT_EQ(profile["profileUUID"].asString(), UuidAt(0));
    EXPECT_EQ(profile["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_EQ(page->Panel().GetProfileCount(), 1);
    EXPECT_EQ(page->Panel().GetProfilePathAt(0), ProfileFile(0));
    EXPECT_TRUE(page->events.empty());  // the device takes the UUID itself at set-up
}

TEST_F(DeviceProfileUiTest, ShowsTheTabsOfTheDeviceTypeAndSelectsOne) {
    // Lighting, keys, macros, system, pointer, voice, effects, surround.
    const struct {
        int type;
        std::array<bool, 8> visible;
    } cases[] = {
        {1, {true, true, true, true, false, true, true, true}},
        {2, {true, true, true, true, true, true, true, true}},
        {3, {true, false, false, false, false, true, true, true}},
        {4, {true, false, false, true, false, true, true, true}},
        {7, {true, false, false, false, false, true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("device type " + std::to_string(c.type));
        auto page = Open(c.type);
        for (std::size_t i = 0; i < kProfileTabNames.size(); ++i) {
            auto& tab = page->Control<ui::COptionUI>(kProfileTabNames[i]);
            EXPECT_EQ(tab.IsVisible(), c.visible[i]) << kProfileTabNames[i];
            EXPECT_EQ(tab.IsSelected(), i == 0) << kProfileTabNames[i];
        }
    }

    auto page = Open(2);
    page->ui.manager.SetRecordNotifications(true);
    page->Panel().SelectTab(5);
    EXPECT_TRUE(page->Control<ui::COptionUI>("cursor_Op_tab").IsSelected());
    EXPECT_FALSE(page->Control<ui::COptionUI>("deng_Op_tab").IsSelected());
    page->Panel().SelectTab(9);
    for (std::string_view name : kProfileTabNames) {
        EXPECT_FALSE(page->Control<ui::COptionUI>(name).IsSelected()) << name;
    }
    EXPECT_TRUE(page->ui.RecordedTypes().empty());
    EXPECT_EQ(CDeviceProfileUI::TabNumber("Virtual7.1_Op_tab"), 8);
    EXPECT_EQ(CDeviceProfileUI::TabNumber("deng_Op_tab"), 1);
    EXPECT_EQ(CDeviceProfileUI::TabNumber("device_add_btn"), 0);
}

TEST_F(DeviceProfileUiTest, ToolsOpenAndCloseWithTheSpreadButton) {
    auto page = Open();
    EXPECT_FALSE(page->Panel().IsProfileMenuVisible());
    EXPECT_FALSE(Click(page->Control("device_add_btn")));  // hidden, nothing to hit
    ASSERT_TRUE(Click(page->Control("profile_fun_spread_btn")));
    page->ui.manager.Layout();
    EXPECT_TRUE(page->Panel().IsProfileMenuVisible());
    for (const char* name : {"device_profile_name_edit", "device_profile_edit_save_btn",
                             "device_add_btn", "device_copy_btn", "device_sub_btn",
                             "device_import_btn", "device_export_btn", "device_reset_btn"}) {
        EXPECT_TRUE(ui::testing::LandsOn(page->Control(name))) << name;
    }
    ASSERT_TRUE(Click(page->Control("profile_fun_spread_btn")));
    EXPECT_FALSE(page->Panel().IsProfileMenuVisible());
}

TEST_F(DeviceProfileUiTest, AddTakesTheSmallestFreeNumberIgnoringCase) {
    WriteList({"profile1", "Profile3"});
    auto page = Open();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(page->ClickTool("device_add_btn"));
    EXPECT_EQ(page->Items(), (std::vector<std::string>{"profile1", "Profile3", "profile2",
                                                       "profile4", "profile5"}));
    // The new ones are not selected now; the last is remembered for the next start.
    EXPECT_EQ(page->Combo().GetCurSel(), 0);
    EXPECT_EQ(page->Panel().GetCurrentUUID(), UuidAt(0));
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 4);
    EXPECT_TRUE(fs::exists(ProfileFile(4)));
    EXPECT_TRUE(page->events.empty());
}

TEST_F(DeviceProfileUiTest, AddAndCopyStopAtFiftyProfiles) {
    auto page = Open();
    for (int i = 1; i < ProfileList::kMaxProfiles; ++i) {
        ASSERT_EQ(page->Panel().AddProfile(), ProfileResult::kDone);
    }
    ASSERT_EQ(page->Combo().GetCount(), 50);
    EXPECT_TRUE(page->ClickTool("device_add_btn"));
    EXPECT_TRUE(page->ClickTool("device_copy_btn"));
    EXPECT_EQ(page->Combo().GetCount(), 50);
    EXPECT_EQ(page->Panel().GetProfileCount(), 50);
    EXPECT_EQ(page->Items().back(), "profile50");
}

TEST_F(DeviceProfileUiTest, CopyAppendsCopyUntilTheNameIsFree) {
    auto page = Open();
    Json::Value source = ReadJsonValue(ProfileFile(0));
    source["Device"][0]["LightInfo"]["SelectItem"] = 9;
    ASSERT_TRUE(WriteJsonFile(ProfileFile(0), source));

    ASSERT_TRUE(page->ClickTool("device_copy_btn"));
    ASSERT_TRUE(page->ClickTool("device_copy_btn"));
    EXPECT_EQ(page->Items(),
              (std::vector<std::string>{"profile1", "profile1 copy", "profile1 copy copy"}));
    EXPECT_EQ(page->Combo().GetCurSel(), 0);
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
    const Json::Value copy = ReadJsonValue(ProfileFile(2));
    EXPECT_EQ(copy["profilename"].asString(), "profile1 copy copy");
    EXPECT_EQ(copy["profileUUID"].asString(), UuidAt(2));
    EXPECT_EQ(copy["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
}

TEST_F(DeviceProfileUiTest, DeleteMovesToTheProfileBeforeAndNeverDeletesTheLast) {
    auto page = Open();
    ASSERT_TRUE(page->ClickTool("device_sub_btn"));
    EXPECT_EQ(page->Items(), std::vector<std::string>{"profile1"});
    EXPECT_TRUE(fs::exists(ProfileFile(0)));
    EXPECT_TRUE(page->events.empty());

    WriteList({"a", "b", "c"}, 2);
    page = Open();
    const fs::path third = ProfileFile(2);
    ASSERT_TRUE(page->ClickTool("device_sub_btn"));
    EXPECT_EQ(page->Items(), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(fs::exists(third));
    EXPECT_EQ(page->Combo().GetCurSel(), 1);
    EXPECT_EQ(page->Panel().GetNameEditText(), "b");
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 1);
    ASSERT_EQ(page->events.size(), 1u);
    EXPECT_EQ(page->events[0].event, ProfileEvent::kSelected);
    EXPECT_EQ(page->events[0].uuid, UuidAt(1));

    WriteList({"a", "b", "c"}, 0);
    page = Open();
    ASSERT_TRUE(page->ClickTool("device_sub_btn"));
    EXPECT_EQ(page->Items(), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(page->Combo().GetCurSel(), 0);
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
    EXPECT_EQ(page->Panel().GetCurrentUUID(), UuidAt(0));
}

TEST_F(DeviceProfileUiTest, RenameRefusesBlankAndTakenNames) {
    const struct {
        const char* typed;
        RenameResult result;
        std::vector<RecordingPrompts::Shown> shown;
        const char* nameAfter;
    } cases[] = {
        {"   ", RenameResult::kBlank, {{"message_text_25", std::nullopt}}, "profile1"},
        {"PROFILE2", RenameResult::kTaken, {{"message_text_5", std::nullopt}}, "profile1"},
        {"Profile1", RenameResult::kRenamed, {}, "Profile1"},
        {"Gaming", RenameResult::kRenamed, {}, "Gaming"},
        {"", RenameResult::kFailed, {}, "profile1"},  // an empty edit is not even tried
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("name \"") + c.typed + "\"");
        WriteList({"profile1", "profile2"});
        auto page = Open();
        page->Panel().SetNameEditText(c.typed);
        EXPECT_EQ(page->Panel().RenameFromEdit(), c.result);
        EXPECT_EQ(page->prompts.shown, c.shown);
        EXPECT_EQ(page->Items()[0], c.nameAfter);
        EXPECT_EQ(page->Combo().GetItemAt(0)->GetUserData(), c.nameAfter);
        EXPECT_EQ(ListDoc()["profilelist"][0]["profilename"].asString(), c.nameAfter);
        EXPECT_EQ(ReadJsonValue(ProfileFile(0))["profilename"].asString(), c.nameAfter);
        EXPECT_EQ(page->Items()[1], "profile2");
    }
}

TEST_F(DeviceProfileUiTest, RenameTakesWhatTheUserTyped) {
    auto page = Open();
    ASSERT_TRUE(page->ClickTool("device_copy_btn"));
    auto& edit = page->Control<ui::CEditUI>("device_profile_name_edit");
    ASSERT_TRUE(Click(edit));
    ui::testing::PressKey(page->ui.manager, ui::key::kEnd);
    for (int i = 0; i < 8; ++i) ui::testing::PressKey(page->ui.manager, ui::key::kBackspace);
    ASSERT_TRUE(ui::testing::TypeText(edit, "FPS"));
    ASSERT_EQ(edit.GetText(), "FPS");
    ASSERT_TRUE(Click(page->Control("device_profile_edit_save_btn")));
    EXPECT_EQ(page->Items(), (std::vector<std::string>{"FPS", "profile1 copy"}));
    EXPECT_EQ(page->Combo().GetText(), "FPS");
    EXPECT_TRUE(page->prompts.shown.empty());
}

TEST_F(DeviceProfileUiTest, ResetAsksAndChangesNothingWhenCancelled) {
    auto page = Open();
    Json::Value edited = ReadJsonValue(ProfileFile(0));
    edited["Device"][0]["LightInfo"]["SelectItem"] = 12;
    ASSERT_TRUE(WriteJsonFile(ProfileFile(0), edited));
    const std::string before = test::ReadText(ProfileFile(0));

    page->prompts.answers = {false};
    ASSERT_TRUE(page->ClickTool("device_reset_btn"));
    EXPECT_EQ(page->prompts.asked, std::vector<std::string>{"message_text_22"});
    EXPECT_EQ(test::ReadText(ProfileFile(0)), before);
    EXPECT_TRUE(page->events.empty());

    page->prompts.answers = {true};
    ASSERT_TRUE(page->ClickTool("device_reset_btn"));
    EXPECT_EQ(page->prompts.asked.size(), 2u);
    Json::Value expected = ReadJsonValue(defaults);
    expected["profilename"] = "profile1";
    expected["profileUUID"] = UuidAt(0);
    EXPECT_EQ(ReadJsonValue(ProfileFile(0)), expected);
    ASSERT_EQ(page->events.size(), 1u);
    EXPECT_EQ(page->events[0].event, ProfileEvent::kReset);
    EXPECT_EQ(page->events[0].uuid, UuidAt(0));
}

TEST_F(DeviceProfileUiTest, ResetWithoutPromptsDoesNothing) {
    auto page = Open();
    page->Panel().SetPrompts(nullptr);
    const std::string before = test::ReadText(ProfileFile(0));
    EXPECT_EQ(page->Panel().ResetWithConfirmation(), ProfileResult::kRefused);
    EXPECT_EQ(test::ReadText(ProfileFile(0)), before);
}

TEST_F(DeviceProfileUiTest, ExportAndImportGoThroughTheFileDialogs) {
    auto page = Open();
    const fs::path exported = tmp.Path() / "game.json";
    page->dialogs.Answer(exported);
    ASSERT_TRUE(page->ClickTool("device_export_btn"));
    EXPECT_EQ(ReadJsonValue(exported), ReadJsonValue(ProfileFile(0)));

    page->dialogs.Answer(exported);
    page->dialogs.Answer(exported);
    page->dialogs.Answer(exported);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(page->ClickTool("device_import_btn"));
    EXPECT_EQ(page->Items(),
              (std::vector<std::string>{"profile1", "game", "game(1)", "game(1)(2)"}));
    EXPECT_EQ(page->Combo().GetCurSel(), 0);
    const Json::Value imported = ReadJsonValue(ProfileFile(1));
    EXPECT_EQ(imported["profilename"].asString(), "game");
    EXPECT_EQ(imported["profileUUID"].asString(), UuidAt(1));
    EXPECT_EQ(imported["Device"], ReadJsonValue(exported)["Device"]);

    const auto& requests = page->dialogs.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].options.initialName, "profile1.json");
    for (const auto& request : requests) {
        EXPECT_EQ(request.options.filters,
                  (std::vector<ui::FileFilter>{{"Profile Files(*.json)", "*.json;"}}));
        EXPECT_EQ(request.options.filterIndex, 1);
        EXPECT_TRUE(request.options.initialFolder.empty());
    }
    EXPECT_FALSE(requests[1].save);
}

TEST_F(DeviceProfileUiTest, CancelledOrBadImportsAddNothing) {
    auto page = Open();
    const fs::path noUuid = tmp.Path() / "broken.json";
    Json::Value doc;
    doc["profilename"] = "x";
    doc["Device"][0]["LightInfo"]["SelectItem"] = 1;
    ASSERT_TRUE(WriteJsonFile(noUuid, doc));
    const fs::path notJson = tmp.Path() / "notes.json";
    test::WriteText(notJson, "not a profile");

    page->dialogs.Cancel();
    page->dialogs.Answer(noUuid);
    page->dialogs.Answer(notJson);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(page->ClickTool("device_import_btn"));
    EXPECT_EQ(page->Items(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(page->Panel().GetProfileCount(), 1);

    page->dialogs.Cancel();
    ASSERT_TRUE(page->ClickTool("device_export_btn"));
    EXPECT_EQ(page->dialogs.Unanswered(), 0u);
}

TEST_F(DeviceProfileUiTest, APickIsAppliedAfterItsDelayAndPersists) {
    WriteList({"a", "b", "c"});
    {
        auto page = Open();
        ASSERT_TRUE(PickComboItem(page->Combo(), 2));
        Wait(page->ui.loop, CDeviceProfileUI::kApplyDelayMs - 1);
        EXPECT_TRUE(page->events.empty());
        EXPECT_EQ(page->Panel().GetCurrentUUID(), UuidAt(0));
        Wait(page->ui.loop, 1);
        ASSERT_EQ(page->events.size(), 1u);
        EXPECT_EQ(page->events[0].event, ProfileEvent::kSelected);
        EXPECT_EQ(page->events[0].uuid, UuidAt(2));
        EXPECT_EQ(page->Panel().GetNameEditText(), "c");
        EXPECT_EQ(ListDoc()["profileselect"].asInt(), 2);
        Wait(page->ui.loop, 2000);
        EXPECT_EQ(page->events.size(), 1u);  // the timer went with it
    }
    auto page = Open();
    EXPECT_EQ(page->Combo().GetCurSel(), 2);
    EXPECT_EQ(page->Panel().GetCurrentUUID(), UuidAt(2));
    EXPECT_EQ(page->Panel().GetNameEditText(), "c");
}

TEST_F(DeviceProfileUiTest, AToolUsedBeforeThePickIsAppliedActsOnTheProfileShown) {
    WriteList({"a", "b", "c"});
    auto page = Open();
    ASSERT_TRUE(PickComboItem(page->Combo(), 1));
    ASSERT_TRUE(page->ClickTool("device_sub_btn"));  // at once, within the 400 ms
    EXPECT_EQ(page->Items(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(page->Combo().GetCurSel(), 0);
    ASSERT_EQ(page->events.size(), 2u);  // b applied, then a after b went
    EXPECT_EQ(page->events[1].uuid, UuidAt(0));
    Wait(page->ui.loop, 1000);
    EXPECT_EQ(page->events.size(), 2u);
}

TEST_F(DeviceProfileUiTest, AnUnusableEntryIsNotApplied) {
    WriteList({"a", "b"});
    Json::Value list = ListDoc();
    list["profilelist"][1]["profileUUID"] = "../elsewhere";
    ASSERT_TRUE(WriteJsonFile(folder / "ProfileList.ini", list));
    auto page = Open();
    ASSERT_TRUE(PickComboItem(page->Combo(), 1));
    Wait(page->ui.loop, CDeviceProfileUI::kApplyDelayMs);
    EXPECT_TRUE(page->events.empty());
    EXPECT_EQ(page->Combo().GetCurSel(), 0);
    EXPECT_EQ(page->Panel().GetNameEditText(), "a");
    EXPECT_EQ(page->Panel().GetCurrentUUID(), UuidAt(0));
}

TEST_F(DeviceProfileUiTest, PanelsOfTwoPagesKeepToThemselves) {
    const fs::path mouse = tmp.Path() / "mouse";
    Page page({folder, mouse}, defaults, 2);
    ASSERT_EQ(page.router.panels.size(), 2u) << page.ui.builder.Error();
    ASSERT_TRUE(page.ClickTool("device_add_btn", 1));
    EXPECT_EQ(page.Items(0), std::vector<std::string>{"profile1"});
    EXPECT_EQ(page.Items(1), (std::vector<std::string>{"profile1", "profile2"}));

    // Picking a tab on one page leaves the other page's tab alone.
    ASSERT_TRUE(ui::testing::SelectOption(page.Control<ui::COptionUI>("key_Op_tab", 1)));
    EXPECT_TRUE(page.Control<ui::COptionUI>("deng_Op_tab", 0).IsSelected());
    EXPECT_FALSE(page.Control<ui::COptionUI>("deng_Op_tab", 1).IsSelected());
}

TEST(ReportMacroWriteResult, ShowsTheMessageOfTheResult) {
    const struct {
        int result;
        bool writeKeys;
        std::vector<RecordingPrompts::Shown> shown;
    } cases[] = {
        {0, true, {}},
        {-1, true, {{"message_text_7", std::nullopt}}},
        {-102, false, {{"message_text_16", -102}}},
        {0x55, false, {{"message_text_16", 0x55}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        RecordingPrompts prompts;
        EXPECT_EQ(ReportMacroWriteResult(&prompts, c.result), c.writeKeys);
        EXPECT_EQ(prompts.shown, c.shown);
    }
}

}  // namespace
}  // namespace halvorn
