// Sliders dragged, wheeled and keyed as a user does, and progress bars
// painting their value.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/controls/progress.h"
#include "platform/ui/controls/slider.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 210 wide with a 10 wide thumb: 200 pixels of travel for 0..100.
        ASSERT_NE(ui.Show(R"(<VerticalLayout>
                               <HorizontalLayout height="20">
                                 <Slider name="s" width="210" value="40" max="100" step="5"/>
                               </HorizontalLayout>
                               <HorizontalLayout height="110">
                                 <Slider name="v" width="20" hor="false" min="0" max="10"/>
                               </HorizontalLayout>
                               <Control/>
                             </VerticalLayout>)",
                          {300, 200}),
                  nullptr)
            << ui.builder.Error();
        ui.manager.Layout();
        slider = ui.Find<CSliderUI>("s");
        ui.manager.SetRecordNotifications(true);
    }
    // (type, value) of the slider notifications, in order; wParam carries the value.
    std::vector<std::pair<std::string, intptr_t>> Values() const {
        std::vector<std::pair<std::string, intptr_t>> out;
        for (const TNotifyUI& n : ui.manager.Recorded()) {
            if (n.type == "valuechanged" || n.type == "movevaluechanged") {
                out.emplace_back(n.type, n.wParam);  // the value then
            }
        }
        return out;
    }

    HeadlessUi ui;
    CSliderUI* slider = nullptr;
};

TEST_F(SliderTest, DraggingReportsEveryMoveAndOneChangeOnRelease) {
    ASSERT_EQ(slider->GetValue(), 40);
    ASSERT_TRUE(testing::MoveSlider(*slider, 80, 4));
    using V = std::vector<std::pair<std::string, intptr_t>>;
    EXPECT_EQ(Values(), (V{{"movevaluechanged", 50},
                           {"movevaluechanged", 60},
                           {"movevaluechanged", 70},
                           {"movevaluechanged", 80},
                           {"valuechanged", 80}}));
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_FALSE(ui.host.captured) << "the capture ends with the button";

    // Grabbed and let go where it was: nothing changed, nothing reported.
    ASSERT_TRUE(testing::MoveSlider(*slider, 80, 2));
    EXPECT_EQ(Values().size(), 5u);
}

TEST_F(SliderTest, PressingTheBarJumpsThereAndDragsFromThere) {
    const Rect& r = slider->GetPos();
    const Point at{r.left + 5 + 20, (r.top + r.bottom) / 2};  // value 10
    testing::Send(ui.manager, HostInput::Kind::MouseMove, at);
    testing::Send(ui.manager, HostInput::Kind::ButtonDown, at);
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_EQ(slider->GetValue(), 10);
    // Past the end while held: the value stops at the maximum.
    testing::Send(ui.manager, HostInput::Kind::MouseMove, {r.right + 50, at.y + 30});
    testing::Send(ui.manager, HostInput::Kind::ButtonUp, {r.right + 50, at.y + 30});
    EXPECT_EQ(slider->GetValue(), 100);
    using V = std::vector<std::pair<std::string, intptr_t>>;
    EXPECT_EQ(Values(),
              (V{{"movevaluechanged", 10}, {"movevaluechanged", 100}, {"valuechanged", 100}}));
}

TEST_F(SliderTest, WheelAndKeysStepAndReportEachChange) {
    ASSERT_TRUE(testing::Wheel(*slider, 120));
    EXPECT_EQ(slider->GetValue(), 45);
    slider->SetFocus();
    testing::PressKey(ui.manager, key::kLeft);
    testing::PressKey(ui.manager, key::kLeft);
    EXPECT_EQ(slider->GetValue(), 35);
    testing::PressKey(ui.manager, key::kEnd);
    testing::PressKey(ui.manager, key::kRight);  // already at the maximum
    EXPECT_EQ(slider->GetValue(), 100);
    using V = std::vector<std::pair<std::string, intptr_t>>;
    EXPECT_EQ(Values(), (V{{"valuechanged", 45},
                           {"valuechanged", 40},
                           {"valuechanged", 35},
                           {"valuechanged", 100}}));
    // The program's own changes are not reported.
    slider->SetValue(20);
    EXPECT_EQ(Values().size(), 4u);
}

TEST_F(SliderTest, VerticalSliderGrowsUpwards) {
    auto& vertical = *ui.Find<CSliderUI>("v");
    EXPECT_EQ(vertical.GetThumbRect().bottom, vertical.GetPos().bottom);
    ASSERT_TRUE(testing::MoveSlider(vertical, 7));
    const Rect thumb = vertical.GetThumbRect();
    EXPECT_EQ(thumb.bottom, vertical.GetPos().bottom - 70);
}

TEST_F(SliderTest, ValueIsReadWithinTheRangeWhateverTheAttributeOrder) {
    HeadlessUi other;
    ASSERT_NE(other.Show(R"(<Slider name="s" value="150" max="200"/>)"), nullptr);
    auto& s = *other.Find<CSliderUI>("s");
    EXPECT_EQ(s.GetValue(), 150);
    s.SetMaxValue(100);
    EXPECT_EQ(s.GetValue(), 100);
    s.SetMinValue(120);
    s.SetMaxValue(110);
    EXPECT_EQ(s.GetValue(), 120) << "a range upside down reads as its minimum";
}

TEST(Progress, PaintsThePartOfItsValue) {
    struct Case {
        const char* attributes;
        Rect part;  // of a 200 x 20 bar at the window's corner
    };
    const Case cases[] = {
        {R"(value="25" forecolor="#FF00FF00")", {0, 0, 50, 20}},
        {R"(min="100" max="300" value="200" forecolor="#FF00FF00")", {0, 0, 100, 20}},
        {R"(value="50" hor="false" forecolor="#FF00FF00")", {0, 10, 200, 20}},
        {R"(value="250" forecolor="#FF00FF00")", {0, 0, 200, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        HeadlessUi ui;
        ASSERT_NE(ui.Show(std::string("<Progress name=\"p\" ") + c.attributes + "/>", {200, 20}),
                  nullptr);
        ui.manager.Layout();
        testing::RecordingCanvas canvas;
        auto& p = *ui.Find<CProgressUI>("p");
        p.DoPaint(canvas, p.GetPos());
        auto fills = canvas.Of(testing::DrawCall::Kind::Fill);
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].rect, c.part);
    }

    // The fore image covers the same part; not stretched it shows that part of itself.
    HeadlessUi ui;
    ASSERT_NE(
        ui.Show(R"(<Progress name="p" value="30" foreimage="fore.png" isstretchfore="false"/>)",
                {200, 20}),
        nullptr);
    ui.manager.Layout();
    testing::RecordingCanvas canvas;
    auto& p = *ui.Find<CProgressUI>("p");
    p.DoPaint(canvas, p.GetPos());
    auto images = canvas.Of(testing::DrawCall::Kind::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].rect, (Rect{0, 0, 60, 20}));
    ASSERT_TRUE(images[0].image.source.has_value());
    EXPECT_EQ(*images[0].image.source, (Rect{0, 0, 60, 20}));
}

}  // namespace
}  // namespace halvorn::ui
