// Layouts place their children as the skin library does: fixed sizes
// (scaled), the rest shared, limits, paddings, insets, floats, tab pages and
// scrolling.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/controls/edit.h"
#include "platform/ui/controls/layouts.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;

std::string RectText(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

struct LayoutCase {
    const char* what;
    std::string xml;
    int dpi = 96;
    std::vector<std::pair<std::string, Rect>> expected;
};

std::string Horizontal(std::string attributes, std::string children) {
    return "<HorizontalLayout " + attributes + ">" + children + "</HorizontalLayout>";
}

std::string Vertical(std::string attributes, std::string children) {
    return "<VerticalLayout " + attributes + ">" + children + "</VerticalLayout>";
}

TEST(UiLayout, PlacesChildrenAsTheSkinSays) {
    // Every window is 300 x 100.
    const std::vector<LayoutCase> cases = {
        {"fixed width, the rest shared",
         Horizontal("", R"(<Control name="a" width="100"/><Control name="b"/><Control name="c"/>)"),
         96,
         {{"a", {0, 0, 100, 100}}, {"b", {100, 0, 200, 100}}, {"c", {200, 0, 300, 100}}}},
        {"the rounding rest goes to the last share",
         Horizontal("inset=\"0,0,200,0\"",
                    R"(<Control name="a"/><Control name="b"/><Control name="c"/>)"),
         96,
         {{"a", {0, 0, 33, 100}}, {"b", {33, 0, 66, 100}}, {"c", {66, 0, 100, 100}}}},
        {"a share below minwidth takes the minimum, the others share the rest",
         Horizontal("",
                    R"(<Control name="a" minwidth="200"/><Control name="b"/><Control name="c"/>)"),
         96,
         {{"a", {0, 0, 200, 100}}, {"b", {200, 0, 250, 100}}, {"c", {250, 0, 300, 100}}}},
        {"a share above maxwidth stops there, the others get what it leaves",
         Horizontal("", R"(<Control name="a" maxwidth="50"/><Control name="b"/>)"),
         96,
         {{"a", {0, 0, 50, 100}}, {"b", {50, 0, 300, 100}}}},
        {"a fixed width is limited by max",
         Horizontal("", R"(<Control name="a" width="120" maxwidth="80"/><Control name="b"/>)"),
         96,
         {{"a", {0, 0, 80, 100}}, {"b", {80, 0, 300, 100}}}},
        {"padding keeps room around a child",
         Horizontal("",
                    R"(<Control name="a" width="100" padding="10,5,10,5"/><Control name="b"/>)"),
         96,
         {{"a", {10, 5, 110, 95}}, {"b", {120, 0, 300, 100}}}},
        {"inset and childpadding",
         Horizontal("inset=\"10,10,10,10\" childpadding=\"5\"",
                    R"(<Control name="a" width="50"/><Control name="b"/>)"),
         96,
         {{"a", {10, 10, 60, 90}}, {"b", {65, 10, 290, 90}}}},
        {"a float child sits at its pos and takes no room",
         Horizontal("", R"(<Control name="f" float="true" pos="20,20,60,50"/><Control name="b"/>)"),
         96,
         {{"f", {20, 20, 60, 50}}, {"b", {0, 0, 300, 100}}}},
        {"a hidden child takes no room",
         Horizontal("", R"(<Control name="a" width="100" visible="false"/><Control name="b"/>)"),
         96,
         {{"b", {0, 0, 300, 100}}}},
        {"a height across the stack, centred by childvalign",
         Horizontal("childvalign=\"vcenter\"", R"(<Control name="a" width="50" height="40"/>)"),
         96,
         {{"a", {0, 30, 50, 70}}}},
        {"vertical: fixed heights and the rest",
         Vertical(
             "",
             R"(<Control name="a" height="20"/><Control name="b"/><Control name="c" height="30"/>)"),
         96,
         {{"a", {0, 0, 300, 20}}, {"b", {0, 20, 300, 70}}, {"c", {0, 70, 300, 100}}}},
        {"vertical: a width across, aligned right",
         Vertical("childalign=\"right\"", R"(<Control name="a" width="100" height="20"/>)"),
         96,
         {{"a", {200, 0, 300, 20}}}},
        {"sizes, paddings and insets scale with the UI (150 %)",
         Horizontal("inset=\"4,0,0,0\" childpadding=\"2\"",
                    R"(<Control name="a" width="40" padding="2,0,0,0"/><Control name="b"/>)"),
         144,
         {{"a", {9, 0, 69, 100}}, {"b", {72, 0, 300, 100}}}},
        {"autocalcheight: a layout as tall as its children",
         Vertical(
             "",
             R"(<VerticalLayout name="auto" autocalcheight="true" inset="0,2,0,2" childpadding="5">
                           <Control height="20"/><Control height="30"/></VerticalLayout>
                         <Control name="after"/>)"),
         96,
         {{"auto", {0, 0, 300, 59}}, {"after", {0, 59, 300, 100}}}},
        {"autocalcwidth: a layout as wide as its children",
         Horizontal("", R"(<HorizontalLayout name="auto" autocalcwidth="true" childpadding="4">
                             <Control width="20"/><Control width="30" padding="3,0,3,0"/></HorizontalLayout>
                           <Control name="after"/>)"),
         96,
         {{"auto", {0, 0, 60, 100}}, {"after", {60, 0, 300, 100}}}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessUi ui;
        ui.context.SetDpi(c.dpi);
        ASSERT_NE(ui.Show(c.xml, {300, 100}), nullptr) << ui.builder.Error();
        ui.manager.Layout();
        for (const auto& [name, rect] : c.expected) {
            CControlUI* control = ui.Find(name);
            ASSERT_NE(control, nullptr) << name;
            EXPECT_EQ(RectText(control->GetPos()), RectText(rect)) << name;
        }
    }
}

TEST(UiLayout, AutoCalcWidthFollowsThePaintedText) {
    HeadlessUi ui;
    ASSERT_NE(ui.Show(R"(<HorizontalLayout>
                           <Label name="l" text="äbc" autocalcwidth="true" textpadding="2,0,2,0"/>
                           <Control name="rest"/>
                         </HorizontalLayout>)",
                      {300, 40}),
              nullptr);
    ui.manager.Layout();
    // Before any paint: a guess from the font (14 px: 7 for ASCII, 14 else).
    EXPECT_EQ(ui.Find("l")->GetPos().right, 28 + 4);
    testing::RecordingCanvas canvas;  // 7 px per character
    ui.manager.Paint(canvas, {0, 0, 300, 40});
    ui.manager.Layout();
    EXPECT_EQ(ui.Find("l")->GetPos().right, 21 + 4);
    EXPECT_EQ(ui.Find("rest")->GetPos().left, 25);
}

TEST(UiLayout, TabShowsOnlyTheSelectedPage) {
    HeadlessUi ui;
    ASSERT_NE(ui.Show(R"(<TabLayout name="tab" selectedid="1" inset="5,5,5,5">
                           <VerticalLayout name="p0"/>
                           <VerticalLayout name="p1"><Edit name="edit"/></VerticalLayout>
                           <VerticalLayout name="p2" padding="10,0,0,0"/>
                         </TabLayout>)",
                      {200, 100}),
              nullptr)
        << ui.builder.Error();
    ui.manager.Layout();
    auto* tab = ui.Find<CTabLayoutUI>("tab");
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCurSel(), 1);
    EXPECT_FALSE(ui.Find("p0")->IsVisible());
    EXPECT_TRUE(ui.Find("p1")->IsVisible());
    EXPECT_FALSE(ui.Find("p2")->IsVisible());
    EXPECT_EQ(RectText(ui.Find("p1")->GetPos()), RectText({5, 5, 195, 95}));

    ASSERT_TRUE(testing::Click(*ui.Find("edit")));
    ASSERT_EQ(ui.manager.GetFocus(), ui.Find("edit"));
    ui.manager.SetRecordNotifications(true);
    ASSERT_TRUE(tab->SelectItem(2));
    // The focus does not stay on a page nobody sees.
    EXPECT_EQ(ui.manager.GetFocus(), nullptr);
    ASSERT_EQ(ui.RecordedTypes(), (std::vector<std::string>{"killfocus", "tabselect"}));
    const TNotifyUI& select = ui.manager.Recorded().back();
    EXPECT_EQ(select.wParam, 2);
    EXPECT_EQ(select.lParam, 1);
    EXPECT_TRUE(ui.Find("p2")->IsVisible());
    EXPECT_FALSE(ui.Find("p1")->IsVisible());
    EXPECT_FALSE(ui.Find("edit")->IsVisible());
    EXPECT_EQ(RectText(ui.Find("p2")->GetPos()), RectText({15, 5, 195, 95}));

    // The same page again, a page that is not there, or without notice.
    EXPECT_TRUE(tab->SelectItem(2));
    EXPECT_FALSE(tab->SelectItem(3));
    EXPECT_FALSE(tab->SelectItem(-1));
    EXPECT_TRUE(tab->SelectItem(0, false));
    EXPECT_EQ(ui.RecordedTypes().size(), 2u);
    EXPECT_TRUE(ui.Find("p0")->IsVisible());
}

TEST(UiLayout, TabKeepsPagesHiddenAcrossShowAndAdd) {
    HeadlessUi ui;
    ASSERT_NE(ui.Show(R"(<VerticalLayout name="outer">
                           <TabLayout name="tab"><Control name="p0"/><Control name="p1"/></TabLayout>
                         </VerticalLayout>)",
                      {200, 100}),
              nullptr);
    auto* tab = ui.Find<CTabLayoutUI>("tab");
    ui.Find("outer")->SetVisible(false);
    ui.Find("outer")->SetVisible(true);
    EXPECT_TRUE(ui.Find("p0")->IsVisible());
    EXPECT_FALSE(ui.Find("p1")->IsVisible()) << "showing the parent must not show every page";

    auto page = std::make_unique<CControlUI>();
    page->SetName("p2");
    CControlUI* added = tab->Add(std::move(page));
    EXPECT_FALSE(added->IsVisible());
    ASSERT_TRUE(tab->SelectItem(added));
    EXPECT_TRUE(added->IsVisible());
    // Removing a page before the selected one keeps that page selected.
    ASSERT_TRUE(tab->Remove(ui.Find("p0")));
    EXPECT_EQ(tab->GetItemAt(tab->GetCurSel()), added);
}

TEST(UiLayout, VerticalLayoutScrollsWhatDoesNotFit) {
    HeadlessUi ui;
    ASSERT_NE(ui.Show(R"(<VerticalLayout name="list" vscrollbar="true">
                           <Control name="c0" height="40"/><Control name="c1" height="40"/>
                           <Control name="c2" height="40"/><Control name="c3" height="40"/>
                           <Control name="c4" height="40"/>
                         </VerticalLayout>)",
                      {200, 100}),
              nullptr);
    ui.manager.Layout();
    auto* list = ui.Find<CVerticalLayoutUI>("list");
    EXPECT_EQ(list->GetScrollRange(), 100);

    ASSERT_TRUE(testing::Wheel(*list, -120));  // one notch towards the user
    EXPECT_EQ(list->GetScrollPos(), 40);
    EXPECT_EQ(ui.Find("c0")->GetPos().top, -40);
    testing::Wheel(*list, -360);
    EXPECT_EQ(list->GetScrollPos(), 100) << "no scrolling past the end";
    EXPECT_EQ(ui.Find("c4")->GetPos().bottom, 100);

    list->EnsureVisible(ui.Find("c1"));
    EXPECT_EQ(ui.Find("c1")->GetPos().top, 0);

    // Content that shrinks leaves less to scroll.
    ui.Find("c3")->SetVisible(false);
    ui.Find("c4")->SetVisible(false);
    ui.manager.Layout();
    EXPECT_EQ(list->GetScrollRange(), 20);
    EXPECT_EQ(list->GetScrollPos(), 20);
    EXPECT_EQ(ui.Find("c2")->GetPos().bottom, 100);
}

}  // namespace
}  // namespace halvorn::ui
