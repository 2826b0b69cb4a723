// Lists: selecting, clicking, activating and scrolling as the user does,
// with the notifications the window sees.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/controls/layouts.h"
#include "platform/ui/controls/list.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;
using Types = std::vector<std::string>;

constexpr const char* kLayout = R"(
<VerticalLayout>
  <List name="list" height="100" itemselectedbkcolor="#FF0000FF" itemtextcolor="#FF010101">
    <ListLabelElement name="i0" text="zero"/>
    <ListLabelElement name="i1" text="one"/>
    <ListLabelElement name="i2" text="two" enabled="false"/>
    <ListContainerElement name="row" height="30" childpadding="4">
      <Label name="rowlabel" width="50" text="row"/><Edit name="rowedit"/>
    </ListContainerElement>
    <ListLabelElement name="i4" text="four"/>
  </List>
  <Control/>
</VerticalLayout>)";

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ui.Show(kLayout, {200, 200}), nullptr) << ui.builder.Error();
        ui.manager.Layout();
        list = ui.Find<CListUI>("list");
        ASSERT_NE(list, nullptr);
        ui.manager.SetRecordNotifications(true);
    }
    // Item notifications as "type sender" (selections with new and old index).
    Types Recorded() const {
        Types out;
        for (const TNotifyUI& n : ui.manager.Recorded()) {
            if (n.type == "itemselect") {
                out.push_back("itemselect " + std::to_string(n.wParam) + " " +
                              std::to_string(n.lParam));
            } else if (n.type.rfind("item", 0) == 0) {
                out.push_back(n.type + " " + n.sender->GetName());
            }
        }
        return out;
    }

    HeadlessUi ui;
    CListUI* list = nullptr;
};

TEST_F(ListTest, ClickingSelectsAndDoubleClickingActivates) {
    ASSERT_TRUE(testing::Click(*ui.Find("i1")));
    EXPECT_EQ(list->GetCurSel(), 1);
    ASSERT_TRUE(testing::DoubleClick(*ui.Find("i0")));
    EXPECT_EQ(Recorded(), (Types{"itemclick i1", "itemselect 1 -1", "itemclick i0",
                                 "itemselect 0 1", "itemactivate i0"}));
    // A disabled item cannot be clicked or chosen.
    testing::Click(*ui.Find("i2"));
    EXPECT_FALSE(list->SelectItem(2));
    EXPECT_EQ(list->GetCurSel(), 0);
}

TEST_F(ListTest, AClickOnARowsChildSelectsTheRow) {
    list->EnsureVisible(3);
    ASSERT_TRUE(testing::Click(*ui.Find("rowlabel")));
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_EQ(Recorded(), (Types{"itemclick row", "itemselect 3 -1"}));
    // Its edit keeps the click for itself.
    ASSERT_TRUE(testing::Click(*ui.Find("rowedit")));
    EXPECT_EQ(ui.manager.GetFocus(), ui.Find("rowedit"));
    EXPECT_EQ(Recorded().size(), 2u);
}

TEST_F(ListTest, KeysMoveTheSelectionOverDisabledItemsAndReturnActivatesIt) {
    ASSERT_TRUE(testing::Click(*ui.Find("i1")));
    testing::PressKey(ui.manager, key::kDown);
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_EQ(ui.manager.GetFocus(), ui.Find("row"));
    EXPECT_EQ(ui.Find("row")->GetPos().bottom, 100) << "scrolled into view";
    testing::PressKey(ui.manager, key::kReturn);
    testing::PressKey(ui.manager, key::kEnd);
    testing::PressKey(ui.manager, key::kUp);
    EXPECT_EQ(Recorded(), (Types{"itemclick i1", "itemselect 1 -1", "itemselect 3 1",
                                 "itemactivate row", "itemselect 4 3", "itemselect 3 4"}));
}

TEST_F(ListTest, WheelScrollsAndProgramChangesStayQuiet) {
    EXPECT_EQ(list->GetScrollRange(), 50);
    ASSERT_TRUE(testing::Wheel(*ui.Find("i1"), -120));
    EXPECT_EQ(list->GetScrollPos(), 40);
    EXPECT_EQ(ui.Find("i0")->GetPos().top, -40);

    EXPECT_TRUE(list->SelectItem(4, false));
    EXPECT_TRUE(list->SelectItem(-1));
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_FALSE(list->SelectItem(5));
    EXPECT_TRUE(Recorded().empty());
}

TEST(List, ItemsOnAHiddenPageCanBeSelected) {
    HeadlessUi ui;
    ASSERT_NE(ui.Show(R"(<TabLayout name="tab">
                           <Control/>
                           <List name="list"><ListLabelElement/><ListLabelElement visible="false"/>
                             <ListLabelElement/></List>
                         </TabLayout>)"),
              nullptr);
    auto& list = *ui.Find<CListUI>("list");
    ASSERT_FALSE(list.IsVisible());
    EXPECT_TRUE(list.SelectItem(2, false)) << "a panel fills pages the user does not see";
    ui.Find<CTabLayoutUI>("tab")->SelectItem(1);
    EXPECT_FALSE(list.SelectItem(1)) << "shown, the hidden item is hidden again";
    EXPECT_EQ(list.GetCurSel(), 2);
}

TEST_F(ListTest, PaintsItemsInTheListsItemStyle) {
    list->SelectItem(1, false);
    testing::RecordingCanvas canvas;
    auto& item = *ui.Find("i1");
    item.DoPaint(canvas, item.GetPos());
    auto fills = canvas.Of(testing::DrawCall::Kind::Fill);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].color, 0xFF0000FFu);
    auto texts = canvas.Of(testing::DrawCall::Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "one");
}

}  // namespace
}  // namespace halvorn::ui
