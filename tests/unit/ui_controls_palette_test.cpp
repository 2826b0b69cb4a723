// The colour palette: exact colours set by the program, colours picked by
// the user with one "colorchanged" per pick.

#include <gtest/gtest.h>

#include "platform/ui/controls/color_palette.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;

TEST(ColorConversion, EveryEightBitColourComesBack) {
    for (Color c : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu, 0xFF000000u, 0xFF808080u,
                    0xFF102030u, 0xFFFE01A7u, 0xFF00FFB4u}) {
        double h = 0, s = 0, v = 0;
        ArgbToHsv(c, h, s, v);
        EXPECT_EQ(HsvToArgb(h, s, v), c) << std::hex << c;
    }
    EXPECT_EQ(HsvToArgb(120, 1, 1), 0xFF00FF00u);
    EXPECT_EQ(HsvToArgb(480, 1, 1), 0xFF00FF00u) << "hue wraps";
}

class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Field 200 x 100, a gap of 4, the bar 16 high.
        ASSERT_NE(
            ui.Show(
                R"(<VerticalLayout><ColorPalette name="p" height="120"/><Control/></VerticalLayout>)",
                {200, 300}),
            nullptr);
        ui.manager.Layout();
        palette = ui.Find<CColorPaletteUI>("p");
        ui.manager.SetRecordNotifications(true);
    }
    void Drag(Point from, Point to) {
        testing::Send(ui.manager, HostInput::Kind::MouseMove, from);
        testing::Send(ui.manager, HostInput::Kind::ButtonDown, from);
        testing::Send(ui.manager, HostInput::Kind::MouseMove, to);
        testing::Send(ui.manager, HostInput::Kind::ButtonUp, to);
    }
    std::vector<Color> Changes() const {
        std::vector<Color> out;
        for (const TNotifyUI& n : ui.manager.Recorded()) {
            if (n.type == "colorchanged") out.push_back(static_cast<Color>(n.wParam));
        }
        return out;
    }

    HeadlessUi ui;
    CColorPaletteUI* palette = nullptr;
};

TEST_F(PaletteTest, KeepsTheColourTheProgramSets) {
    palette->SetSelectColor(0xFF102030);
    EXPECT_EQ(palette->GetSelectColor(), 0xFF102030u);
    EXPECT_TRUE(Changes().empty());
    EXPECT_EQ(palette->FieldRect(), (Rect{0, 0, 200, 100}));
    EXPECT_EQ(palette->BarRect(), (Rect{0, 104, 200, 120}));
}

TEST_F(PaletteTest, APickReportsOnceWhenTheButtonGoesUp) {
    palette->SetSelectColor(0xFF0000FF);
    // Dragged through the field to its top-left corner: pure red.
    Drag({100, 50}, {0, 0});
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0000u);
    ASSERT_EQ(Changes(), (std::vector<Color>{0xFFFF0000u}));

    // The bottom of the field has no saturation: white at full brightness.
    Drag({50, 99}, {50, 99});
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFFFFFFu);
    // The left end of the bar is black.
    Drag({0, 110}, {0, 110});
    EXPECT_EQ(palette->GetSelectColor(), 0xFF000000u);
    // A field pick while black lights the colour up again.
    Drag({0, 0}, {0, 0});
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0000u);
    EXPECT_EQ(Changes().size(), 4u);

    // Pressed and released on the colour it has: nothing to report.
    Drag({0, 0}, {0, 0});
    EXPECT_EQ(Changes().size(), 4u);
}

TEST_F(PaletteTest, PaintsCellsOfTheField) {
    testing::RecordingCanvas canvas;
    palette->DoPaint(canvas, palette->GetPos());
    auto fills = canvas.Of(testing::DrawCall::Kind::Fill);
    // 200 / 6 rounded up = 34 columns; 100 / 6 = 17 rows; 34 cells of the bar.
    EXPECT_EQ(fills.size(), 34u * 17u + 34u);
    EXPECT_EQ(fills.front().rect, (Rect{0, 0, 6, 6}));
    EXPECT_EQ(fills.front().color >> 16 & 0xFF, 0xFFu) << "reds at the left";
    EXPECT_FALSE(canvas.Of(testing::DrawCall::Kind::Border).empty()) << "the markers";
}

}  // namespace
}  // namespace halvorn::ui
