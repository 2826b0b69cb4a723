// Buttons, options and check boxes as the user drives them: what the
// window's notifiers see, in order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/controls/button.h"
#include "platform/ui/controls/edit.h"
#include "platform/ui/controls/option.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;
using Types = std::vector<std::string>;

constexpr const char* kLayout = R"(
<VerticalLayout>
  <Edit name="edit" height="30"/>
  <Button name="ok" height="30" text="OK"/>
  <HorizontalLayout height="30">
    <Option name="left" group="dir" selected="true"/>
    <Option name="right" group="dir"/>
    <Option name="other" group="size"/>
  </HorizontalLayout>
  <CheckBox name="multi" height="30" group="ignored"/>
  <Label name="label" height="30" text="x"/>
</VerticalLayout>)";

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ui.Show(kLayout, {300, 200}), nullptr) << ui.builder.Error();
        ui.manager.Layout();
        ui.manager.SetRecordNotifications(true);
    }
    Types Recorded() const {
        Types out;
        for (const TNotifyUI& n : ui.manager.Recorded()) {
            if (n.type != "msenter" && n.type != "msleave")
                out.push_back(n.type + " " + n.sender->GetName());
        }
        return out;
    }

    HeadlessUi ui;
};

TEST_F(ButtonTest, ClickFromAnEditReportsFocusThenClick) {
    ASSERT_TRUE(testing::Click(*ui.Find("edit")));
    ASSERT_TRUE(testing::Click(*ui.Find("ok")));
    EXPECT_EQ(Recorded(), (Types{"setfocus edit", "killfocus edit", "setfocus ok", "click ok"}));
}

// What a window's notifier sees when the user types in an edit and then
// picks an option: the order the handlers rely on.
TEST_F(ButtonTest, AWindowNotifierSeesTheUsersStepsInOrder) {
    struct Notifier : INotifyUI {
        void Notify(TNotifyUI& msg) override {
            if (msg.type != "msenter" && msg.type != "msleave") {
                seen.push_back(msg.type + " " + msg.sender->GetName());
            }
        }
        Types seen;
    } notifier;
    ui.manager.AddNotifier(&notifier);
    ASSERT_TRUE(testing::TypeText(*ui.Find("edit"), "42"));
    ASSERT_TRUE(testing::SelectOption(*ui.Find<COptionUI>("right")));
    ui.manager.RemoveNotifier(&notifier);
    EXPECT_EQ(notifier.seen,
              (Types{"setfocus edit", "textchanged edit", "textchanged edit", "killfocus edit",
                     "setfocus right", "click right", "selectchanged right"}));
}

TEST_F(ButtonTest, ReleasingOutsideIsNoClickAndComingBackIs) {
    auto& ok = *ui.Find<CButtonUI>("ok");
    const Point inside = testing::CentreOf(ok);
    const Point outside{inside.x, ok.GetPos().bottom + 40};
    using Kind = HostInput::Kind;
    testing::Send(ui.manager, Kind::MouseMove, inside);
    testing::Send(ui.manager, Kind::ButtonDown, inside);
    EXPECT_TRUE(ok.IsPushed());
    testing::Send(ui.manager, Kind::MouseMove, outside);
    EXPECT_FALSE(ok.IsPushed());
    testing::Send(ui.manager, Kind::ButtonUp, outside);
    EXPECT_EQ(Recorded(), (Types{"setfocus ok"}));

    testing::Send(ui.manager, Kind::ButtonDown, inside);
    testing::Send(ui.manager, Kind::MouseMove, outside);
    testing::Send(ui.manager, Kind::MouseMove, inside);
    testing::Send(ui.manager, Kind::ButtonUp, inside);
    EXPECT_EQ(Recorded(), (Types{"setfocus ok", "click ok"}));
}

TEST_F(ButtonTest, ReturnAndSpaceClickTheFocusedButtonUnlessDisabled) {
    ui.Find("ok")->SetFocus();
    testing::PressKey(ui.manager, key::kReturn);
    testing::PressKey(ui.manager, U' ');
    testing::PressKey(ui.manager, 'A');
    EXPECT_EQ(Recorded(), (Types{"setfocus ok", "click ok", "click ok"}));

    // Disabling takes the focus away; a disabled button does nothing.
    ui.Find("ok")->SetEnabled(false);
    testing::PressKey(ui.manager, key::kReturn);
    EXPECT_FALSE(ui.Find("ok")->Activate());
    EXPECT_EQ(Recorded(), (Types{"setfocus ok", "click ok", "click ok", "killfocus ok"}));
}

TEST_F(ButtonTest, SelectingAnOptionUnselectsItsGroupAndOnlyTheNewOneReports) {
    auto& left = *ui.Find<COptionUI>("left");
    auto& right = *ui.Find<COptionUI>("right");
    auto& other = *ui.Find<COptionUI>("other");
    ASSERT_TRUE(left.IsSelected());
    other.Selected(true, false);

    ASSERT_TRUE(testing::SelectOption(right));
    EXPECT_FALSE(left.IsSelected());
    EXPECT_TRUE(other.IsSelected()) << "another group is left alone";
    EXPECT_EQ(Recorded(), (Types{"setfocus right", "click right", "selectchanged right"}));
    EXPECT_EQ(ui.manager.Recorded().back().wParam, 1);

    // A click on the selected one of a group changes nothing.
    ASSERT_TRUE(testing::Click(right));
    EXPECT_TRUE(right.IsSelected());
    EXPECT_EQ(Recorded().back(), "click right");

    // Programmatic: the group holds, the report only on request.
    left.Selected(true, false);
    EXPECT_FALSE(right.IsSelected());
    EXPECT_EQ(Recorded().back(), "click right");
    right.Selected(true);
    EXPECT_FALSE(left.IsSelected());
    EXPECT_EQ(Recorded().back(), "selectchanged right");
}

TEST_F(ButtonTest, CheckBoxTogglesBothWaysAndIgnoresGroups) {
    auto& multi = *ui.Find<CCheckBoxUI>("multi");
    EXPECT_TRUE(multi.GetGroup().empty());
    ASSERT_TRUE(testing::SelectOption(multi));
    ASSERT_TRUE(testing::Click(multi));
    EXPECT_FALSE(multi.GetCheck());
    EXPECT_EQ(Recorded(), (Types{"setfocus multi", "click multi", "selectchanged multi",
                                 "click multi", "selectchanged multi"}));
    EXPECT_EQ(ui.manager.Recorded().back().wParam, 0);
}

TEST_F(ButtonTest, PaintsTheImageAndTextColourOfItsState) {
    auto& ok = *ui.Find<CButtonUI>("ok");
    ok.ApplyAttributeList(
        "normalimage=\"n.png\" hotimage=\"h.png\" pushedimage=\"p.png\" disabledimage=\"d.png\" "
        "textcolor=\"#FF000001\" hottextcolor=\"#FF000002\" pushedtextcolor=\"#FF000003\"");
    auto paint = [&] {
        testing::RecordingCanvas canvas;
        ok.DoPaint(canvas, ok.GetPos());
        auto images = canvas.Of(testing::DrawCall::Kind::Image);
        auto texts = canvas.Of(testing::DrawCall::Kind::Text);
        return std::make_pair(images.empty() ? "" : images[0].text,
                              texts.empty() ? 0u : texts[0].color);
    };
    EXPECT_EQ(paint(), std::make_pair(std::string("n.png"), 0xFF000001u));
    testing::MoveTo(ok);
    EXPECT_EQ(paint(), std::make_pair(std::string("h.png"), 0xFF000002u));
    testing::Send(ui.manager, HostInput::Kind::ButtonDown, testing::CentreOf(ok));
    EXPECT_EQ(paint(), std::make_pair(std::string("p.png"), 0xFF000003u));
    testing::Send(ui.manager, HostInput::Kind::ButtonUp, testing::CentreOf(ok));
    ok.SetEnabled(false);
    EXPECT_EQ(paint().first, "d.png");

    auto& left = *ui.Find<COptionUI>("left");
    left.ApplyAttributeList("normalimage=\"off.png\" selectedimage=\"on.png\"");
    testing::RecordingCanvas canvas;
    left.DoPaint(canvas, left.GetPos());
    ASSERT_EQ(canvas.Of(testing::DrawCall::Kind::Image).size(), 1u);
    EXPECT_EQ(canvas.Of(testing::DrawCall::Kind::Image)[0].text, "on.png");
}

}  // namespace
}  // namespace halvorn::ui
