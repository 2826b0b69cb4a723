#include "platform/ui/menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/loop/fake_loop.h"
#include "platform/ui/headless_window_system.h"
#include "platform/ui/ui_context.h"
#include "platform/ui/window.h"
#include "tests/support/profile_test_files.h"

namespace halvorn::ui {
namespace {

constexpr std::string_view kTrayMenu = R"(<Window>
  <Menu>
    <MenuElement name="setwnd_menu" text="setwnd_text" userdata="settings"/>
    <MenuElement line="true"/>
    <MenuElement name="more" text="More">
      <MenuElement name="lock" text="Lock" checkitem="true" checked="false"/>
      <MenuElement name="off" text="Off" enabled="false"/>
      <MenuElement name="ghost" text="Ghost" visible="false"/>
    </MenuElement>
    <MenuElement name="exit" text="exit_text"/>
  </Menu>
</Window>)";

// Takes every menu record that reaches it, as the main window does.
class OwnerWindow : public WindowImplBase {
public:
    OwnerWindow(UiContext& context, loop::FakeLoop& loop, IWindowSystem& system, bool takes)
        : WindowImplBase(context, loop, system), takes_(takes) {}
    std::string GetWindowClassName() const override { return "OwnerWnd"; }
    std::string GetSkinFile() const override { return "owner.xml"; }
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t, intptr_t lParam,
                                 bool& handled) override {
        handled = false;
        if (message == window_message::kMenuClick) {
            keys.push_back(lParam);
            if (takes_) {
                if (std::unique_ptr<MenuCmd> record = TakeMenuClick(lParam))
                    records.push_back(*record);
                handled = true;
            }
        }
        return 0;
    }
    std::vector<intptr_t> keys;
    std::vector<MenuCmd> records;

private:
    bool takes_;
};

class MenuTest : public ::testing::Test {
protected:
    MenuTest() : system_(loop_) {
        test::WriteText(skin_ / "owner.xml", R"(<Window size="200,100"><Control/></Window>)");
        test::WriteText(skin_ / "menu.xml", std::string(kTrayMenu));
        test::WriteText(skin_ / "res.xml",
                        R"(<Res><Item name="MENU_TRAY" file="menu.xml"/></Res>)");
        context_.SetSkinFolder(skin_.Path());
        context_.Resources().Load(skin_ / "res.xml");
        context_.Language().Set("exit_text", "Exit");
        context_.Language().Set("setwnd_text", "Settings");
    }

    std::unique_ptr<CMenuWnd> LoadMenu() {
        std::string error;
        auto menu = CMenuWnd::Load(context_, "MENU_TRAY", &error);
        EXPECT_NE(menu, nullptr) << error;
        return menu;
    }

    test::TempDir skin_;
    UiContext context_;
    loop::FakeLoop loop_;
    HeadlessWindowSystem system_;
};

TEST_F(MenuTest, ReadsItemsSubMenusLinesAndStates) {
    auto menu = LoadMenu();
    ASSERT_NE(menu, nullptr);
    const std::vector<MenuItem>& items = menu->Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].name, "setwnd_menu");
    EXPECT_EQ(items[0].userData, "settings");
    EXPECT_EQ(menu->ShownText(items[0]), "Settings") << "texts are language keys";
    EXPECT_TRUE(items[1].separator);
    ASSERT_EQ(items[2].children.size(), 3u);
    EXPECT_EQ(menu->ShownText(items[2]), "More") << "a text no table knows shows as written";
    const MenuItem* lock = menu->Find("lock");
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(lock->checkable);
    EXPECT_FALSE(lock->checked);
    EXPECT_FALSE(menu->Find("off")->enabled);
    EXPECT_FALSE(menu->Find("ghost")->visible);
    EXPECT_EQ(menu->Find("nothing"), nullptr);
    EXPECT_EQ(menu->Find(""), nullptr) << "the nameless line is not found by an empty name";
}

TEST_F(MenuTest, BrokenMenusAreRefusedWithAReason) {
    for (std::string_view xml :
         {std::string_view("<Menu><MenuElement name='a'></Menu>"),
          std::string_view("<Window><Control/></Window>"), std::string_view("")}) {
        SCOPED_TRACE(xml);
        std::string error;
        EXPECT_EQ(CMenuWnd::FromText(context_, xml, &error), nullptr);
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    EXPECT_EQ(CMenuWnd::Load(context_, "XML\\Menus\\none.xml", &error), nullptr);
    EXPECT_NE(error.find("none.xml"), std::string::npos) << error;
}

TEST_F(MenuTest, AChoiceReachesTheOwnerAsARecordTakenOnce) {
    OwnerWindow owner(context_, loop_, system_, true);
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    auto menu = LoadMenu();
    ASSERT_TRUE(menu->Show(owner, {900, 1000}, menu_align::kRight | menu_align::kBottom));
    ASSERT_EQ(system_.MenusShown().size(), 1u);
    EXPECT_EQ(system_.MenusShown()[0].at, (Point{900, 1000}));
    EXPECT_EQ(system_.MenusShown()[0].align, 24u);

    EXPECT_TRUE(menu->Choose("exit"));
    EXPECT_FALSE(menu->IsShown()) << "a choice closes the menu";
    EXPECT_TRUE(owner.records.empty()) << "the record travels through the loop";
    menu.reset();  // the main window releases its menu before the click is handled
    loop_.RunPending();
    ASSERT_EQ(owner.records.size(), 1u);
    EXPECT_EQ(owner.records[0], (MenuCmd{"exit", "", "Exit", false}));
    EXPECT_EQ(owner.TakeMenuClick(owner.keys[0]), nullptr) << "a record is taken once";
    EXPECT_EQ(owner.TakeMenuClick(12345), nullptr) << "a stray key finds nothing";
}

TEST_F(MenuTest, ItemsThatCannotBeChosenSendNothing) {
    OwnerWindow owner(context_, loop_, system_, true);
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    auto menu = LoadMenu();
    EXPECT_FALSE(menu->Choose("exit")) << "a menu that is not shown";
    ASSERT_TRUE(menu->Show(owner, {10, 10}, 6));
    for (std::string_view name : {"nothing", "", "more", "off", "ghost"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(menu->Choose(name));
        EXPECT_TRUE(menu->IsShown());
    }
    loop_.RunPending();
    EXPECT_TRUE(owner.keys.empty());
}

TEST_F(MenuTest, ACheckItemReportsItsNewState) {
    OwnerWindow owner(context_, loop_, system_, true);
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    auto menu = LoadMenu();
    for (bool expected : {true, false}) {
        ASSERT_TRUE(menu->Show(owner, {0, 0}, 6));
        EXPECT_TRUE(menu->Choose("lock"));
        loop_.RunPending();
        ASSERT_FALSE(owner.records.empty());
        EXPECT_EQ(owner.records.back().name, "lock");
        EXPECT_EQ(owner.records.back().checked, expected);
    }
}

TEST_F(MenuTest, ARecordNobodyTakesIsReleasedByTheDefaultHandling) {
    OwnerWindow owner(context_, loop_, system_, false);
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    auto menu = LoadMenu();
    ASSERT_TRUE(menu->Show(owner, {0, 0}, 6));
    ASSERT_TRUE(menu->Choose("setwnd_menu"));
    loop_.RunPending();
    ASSERT_EQ(owner.keys.size(), 1u);
    EXPECT_EQ(owner.TakeMenuClick(owner.keys[0]), nullptr);
}

TEST_F(MenuTest, AChoiceForAClosedOwnerIsDroppedWithItsRecord) {
    OwnerWindow owner(context_, loop_, system_, true);
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    auto menu = LoadMenu();
    ASSERT_TRUE(menu->Show(owner, {0, 0}, 6));
    owner.Close();
    EXPECT_FALSE(menu->Choose("exit"));
    EXPECT_FALSE(menu->Show(owner, {0, 0}, 6));
}

TEST(PlaceMenu, PutsTheNamedCornerAtThePointAndStaysOnTheScreen) {
    const Size size{100, 50};
    const Rect screen{0, 0, 1920, 1080};
    struct Case {
        Point at;
        unsigned align;
        Rect expected;
    };
    const Case cases[] = {
        {{500, 500}, 6, {500, 500, 600, 550}},        // left | top: opens right and down
        {{500, 500}, 24, {400, 450, 500, 500}},       // right | bottom: opens left and up
        {{500, 500}, 12, {400, 500, 500, 550}},       // right | top
        {{500, 500}, 18, {500, 450, 600, 500}},       // left | bottom
        {{500, 500}, 0, {500, 500, 600, 550}},        // no flag: left and top
        {{1900, 1070}, 6, {1820, 1030, 1920, 1080}},  // pushed back onto the screen
        {{20, 10}, 24, {0, 0, 100, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        EXPECT_EQ(PlaceMenu(c.at, size, c.align, screen), c.expected);
    }
    EXPECT_EQ(PlaceMenu({-30, -30}, size, 6, Rect{}), (Rect{-30, -30, 70, 20}))
        << "without a screen nothing moves";
}

}  // namespace
}  // namespace halvorn::ui
