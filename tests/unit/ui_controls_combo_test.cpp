// The combo box: its items, the drop-down the window host shows, and the
// "itemselect" notifications with the new and the old index.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls/combo.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;

constexpr const char* kLayout = R"(
<VerticalLayout>
  <Combo name="combo" height="30" itemtextcolor="#FF112233">
    <ListLabelElement text="mode_static" resourcetext="true" userdata="static"/>
    <ListLabelElement text="Breath" userdata="breath"/>
    <ListLabelElement text="Hidden" visible="false"/>
    <ListLabelElement text="Wave"/>
  </Combo>
  <Control/>
</VerticalLayout>)";

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui.context.Language().Set("mode_static", "Static");
        ASSERT_NE(ui.Show(kLayout, {200, 100}), nullptr) << ui.builder.Error();
        ui.manager.Layout();
        combo = ui.Find<CComboUI>("combo");
        ASSERT_NE(combo, nullptr);
        ui.manager.SetRecordNotifications(true);
    }
    // The item selections reported so far as (new, old).
    std::vector<std::pair<intptr_t, intptr_t>> Selections() const {
        std::vector<std::pair<intptr_t, intptr_t>> out;
        for (const TNotifyUI& n : ui.manager.Recorded()) {
            if (n.type == "itemselect" && n.sender == combo) out.emplace_back(n.wParam, n.lParam);
        }
        return out;
    }
    int Count(std::string_view type) const {
        int n = 0;
        for (const TNotifyUI& m : ui.manager.Recorded()) n += m.type == type;
        return n;
    }

    HeadlessUi ui;
    CComboUI* combo = nullptr;
};

TEST_F(ComboTest, PickingInTheDropDownReportsNewAndOldIndex) {
    EXPECT_EQ(combo->GetCurSel(), -1);
    ASSERT_TRUE(testing::PickComboItem(*combo, 3));
    ASSERT_TRUE(testing::PickComboItem(*combo, 1));
    EXPECT_EQ(Count("dropdown"), 2);
    using Sel = std::vector<std::pair<intptr_t, intptr_t>>;
    EXPECT_EQ(Selections(), (Sel{{3, -1}, {1, 3}}));
    EXPECT_EQ(combo->GetText(), "Breath");
    EXPECT_EQ(combo->GetItemAt(1)->GetUserData(), "breath");

    // Picking the selected item again, or closing the pop-up, reports nothing.
    ASSERT_TRUE(testing::PickComboItem(*combo, 1));
    ASSERT_TRUE(testing::Click(*combo));
    ASSERT_TRUE(combo->IsDroppedDown());
    testing::PressKey(ui.manager, key::kEscape);
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_EQ(Selections().size(), 2u);
}

TEST_F(ComboTest, ProgrammaticSelection) {
    EXPECT_TRUE(combo->SelectItem(0, false));
    EXPECT_EQ(combo->GetText(), "Static") << "a language key item shows its translation";
    EXPECT_TRUE(combo->SelectItem(9));  // past the end: the last item
    EXPECT_EQ(combo->GetCurSel(), 3);
    // A hidden item cannot be chosen, and the selection stays.
    EXPECT_FALSE(combo->SelectItem(2));
    EXPECT_EQ(combo->GetCurSel(), 3);
    EXPECT_TRUE(combo->SelectItem(-1));
    EXPECT_EQ(combo->GetCurSel(), -1);
    using Sel = std::vector<std::pair<intptr_t, intptr_t>>;
    EXPECT_EQ(Selections(), (Sel{{3, 0}})) << "only the notified change is reported";

    combo->RemoveAll();
    EXPECT_EQ(combo->GetCount(), 0);
    EXPECT_FALSE(combo->SelectItem(0));
    auto item = std::make_unique<CListLabelElementUI>();
    item->SetText("profile1");
    item->SetUserData("profile1");
    EXPECT_EQ(item->GetFixedHeight(), 30);
    combo->Add(std::move(item));
    EXPECT_TRUE(combo->SelectItem(0));
    EXPECT_EQ(combo->GetText(), "profile1");
}

TEST_F(ComboTest, KeysAndWheelStepOverHiddenItems) {
    combo->SelectItem(1, false);
    combo->SetFocus();
    testing::PressKey(ui.manager, key::kDown);
    EXPECT_EQ(combo->GetCurSel(), 3);
    testing::PressKey(ui.manager, key::kDown);
    EXPECT_EQ(combo->GetCurSel(), 3) << "no step past the end";
    ASSERT_TRUE(testing::Wheel(*combo, 120));
    EXPECT_EQ(combo->GetCurSel(), 1);
    testing::PressKey(ui.manager, key::kDown, modifier::kAlt);
    EXPECT_TRUE(combo->IsDroppedDown());
    using Sel = std::vector<std::pair<intptr_t, intptr_t>>;
    EXPECT_EQ(Selections(), (Sel{{3, 1}, {1, 3}}));
}

TEST_F(ComboTest, ItemsAreNotPartOfTheBox) {
    // The pointer over the box finds the box, never an item.
    EXPECT_EQ(ui.manager.FindControl(testing::CentreOf(*combo)), combo);
    combo->SelectItem(1, false);
    testing::RecordingCanvas canvas;
    combo->DoPaint(canvas, combo->GetPos());
    auto texts = canvas.Of(testing::DrawCall::Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Breath");
    EXPECT_EQ(texts[0].color, 0xFF112233u);
    EXPECT_LE(texts[0].rect.right, combo->GetPos().right);
    EXPECT_EQ(canvas.Of(testing::DrawCall::Kind::Line).size(), 2u) << "the drawn arrow";

    // Hiding the combo keeps its items' own visibility, and closes the pop-up.
    combo->DropDown();
    combo->SetVisible(false);
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_TRUE(combo->GetItemAt(1)->IsVisible());
    EXPECT_TRUE(combo->SelectItem(3, false));
    EXPECT_FALSE(combo->DropDown());

    // Items added while it is hidden are there once it shows.
    combo->RemoveAll();
    auto item = std::make_unique<CListLabelElementUI>();
    item->SetText("late");
    combo->Add(std::move(item));
    combo->SetVisible(true);
    ASSERT_TRUE(combo->DropDown());
    EXPECT_TRUE(combo->GetItemAt(0)->IsVisible());
    EXPECT_TRUE(combo->PickFromDropDown(0));
    EXPECT_EQ(combo->GetText(), "late");
}

}  // namespace
}  // namespace halvorn::ui
