// The pannable picture: where its view starts, how it follows a drag, where
// it stops, and what it does with pictures it cannot show.

#include "controls/hand_img_select_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/picture_controls.h"
#include "tests/support/profile_test_files.h"
#include "tests/support/ui_actions.h"

namespace halvorn {
namespace {

using ui::Point;
using ui::Rect;
using ui::Size;
using ui::testing::DrawCall;
using ui::testing::RecordingCanvas;
using Kind = ui::HostInput::Kind;

std::string Be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// As much of a PNG file as its size needs.
std::string PngHeader(uint32_t w, uint32_t h) {
    return std::string("\x89PNG\r\n\x1a\n", 8) + Be32(13) + "IHDR" + Be32(w) + Be32(h) +
           std::string("\x08\x06\x00\x00\x00", 5);
}

// The control sits at 10,10 and is 100 x 80; big.png is 400 x 300.
class HandImgSelectButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteText(skin / "big.png", PngHeader(400, 300));
        test::WriteText(skin / "small.png", PngHeader(50, 40));
        test::WriteText(skin / "it's.png", PngHeader(500, 40));
        test::WriteText(skin / "text.png", "not a picture");
        ui.context.SetSkinFolder(skin.Path());
        RegisterPictureControls(ui.context.Factory());
        ASSERT_NE(ui.Show(R"(
<VerticalLayout>
  <HandImgSelectButton name="pan" float="true" pos="10,10,110,90" normalimage="frame.png"
      HANDIMAGE="big.png" Cursor="hand"/>
</VerticalLayout>)",
                          {300, 200}),
                  nullptr)
            << ui.builder.Error();
        ui.manager.Layout();
        ui.manager.SetRecordNotifications(true);
        pan = ui.Find<CHandImgSelectButtonUI>("pan");
        ASSERT_NE(pan, nullptr);
    }

    void Press(Point at) {
        ui::testing::Send(ui.manager, Kind::MouseMove, at);
        ui::testing::Send(ui.manager, Kind::ButtonDown, at);
    }
    void Move(Point to) { ui::testing::Send(ui.manager, Kind::MouseMove, to); }
    void Release(Point at) { ui::testing::Send(ui.manager, Kind::ButtonUp, at); }

    std::vector<DrawCall> PaintedImages() {
        RecordingCanvas canvas;
        pan->DoPaint(canvas, pan->GetPos());
        return canvas.Of(DrawCall::Kind::Image);
    }

    std::vector<std::string> Types() const {
        std::vector<std::string> out;
        for (const ui::TNotifyUI& n : ui.manager.Recorded()) {
            if (n.sender == pan && n.type != "setfocus" && n.type != "killfocus") {
                out.push_back(n.type);
            }
        }
        return out;
    }

    test::TempDir skin;
    ui::testing::HeadlessUi ui;
    CHandImgSelectButtonUI* pan = nullptr;
};

TEST_F(HandImgSelectButtonTest, ALargerPictureStartsAtItsTopLeftCornerAsLargeAsTheControl) {
    EXPECT_EQ(pan->ImageSize(), (Size{400, 300}));
    EXPECT_EQ(pan->Source(), (Rect{0, 0, 100, 80}));
    EXPECT_EQ(pan->DrawString(), "file='big.png' source='0,0,100,80'");

    const std::vector<DrawCall> images = PaintedImages();
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].text, "frame.png");
    EXPECT_EQ(images[1].text, "big.png");
    EXPECT_EQ(images[1].image.source, (Rect{0, 0, 100, 80}));
    EXPECT_EQ(images[1].rect, pan->GetPos());
}

TEST_F(HandImgSelectButtonTest, TheViewFollowsTheDragAndStopsAtTheTopLeft) {
    Press({60, 50});
    Move({30, 40});  // left and up: more of the right and bottom parts
    EXPECT_EQ(pan->Source(), (Rect{30, 10, 130, 90}));
    EXPECT_EQ(pan->DrawString(), "file='big.png' source='30,10,130,90'");

    Move({40, 45});
    EXPECT_EQ(pan->Source(), (Rect{20, 5, 120, 85}));
    Move({100, 50});  // further right and down than the view is off its corner
    EXPECT_EQ(pan->Source(), (Rect{0, 0, 100, 80}));
    Release({100, 50});
    EXPECT_FALSE(pan->IsDragActive());

    Move({20, 20});  // no button held: no panning
    EXPECT_EQ(pan->Source(), (Rect{0, 0, 100, 80}));
}

TEST_F(HandImgSelectButtonTest, TheViewStopsOnceItReachesTheRightAndBottomEdges) {
    Press({100, 80});
    Move({-150, -60});  // the pointer may leave the window while the button is held
    EXPECT_EQ(pan->Source(), (Rect{250, 140, 350, 220}));
    Move({-230, -130});  // the last step carries it past the edge; drawing clips it
    EXPECT_EQ(pan->Source(), (Rect{330, 210, 430, 290}));
    Move({-300, -180});  // right is past the edge: no further; bottom not yet
    EXPECT_EQ(pan->Source(), (Rect{330, 260, 430, 340}));
    Move({-350, -250});
    EXPECT_EQ(pan->Source(), (Rect{330, 260, 430, 340}));
}

TEST_F(HandImgSelectButtonTest, APictureThatFitsIsDrawnWholeAndDoesNotMove) {
    pan->SetHandImage("small.png");
    EXPECT_EQ(pan->DrawString(), "small.png");
    EXPECT_EQ(pan->Source(), (Rect{0, 0, 100, 80}));
    EXPECT_EQ(PaintedImages().at(1).image.source, std::nullopt);

    Press({60, 50});
    Move({20, 10});
    Move({90, 80});
    EXPECT_EQ(pan->Source(), (Rect{0, 0, 100, 80}));
    EXPECT_EQ(pan->DrawString(), "file='small.png' source='0,0,100,80'");
}

TEST_F(HandImgSelectButtonTest, DraggingPushesTheButtonButSendsNoClick) {
    Press({60, 50});
    EXPECT_TRUE(pan->IsPushed());
    Move({200, 150});  // outside, still held
    EXPECT_FALSE(pan->IsPushed());
    Move({60, 50});
    EXPECT_TRUE(pan->IsPushed());
    Release({60, 50});
    EXPECT_FALSE(pan->IsPushed());
    Move({250, 180});
    EXPECT_EQ(Types(), (std::vector<std::string>{"msenter", "msleave", "msenter", "msleave"}));
}

TEST_F(HandImgSelectButtonTest, AWindowDeactivatedDuringADragEndsIt) {
    Press({60, 50});
    Move({50, 50});
    ui.manager.HandleInput({.kind = Kind::Activate, .key = 0});
    Move({20, 20});
    EXPECT_FALSE(pan->IsDragActive());
    EXPECT_FALSE(pan->IsPushed());
    EXPECT_EQ(pan->Source(), (Rect{10, 0, 110, 80}));
    EXPECT_EQ(Types(), (std::vector<std::string>{"msenter"}));
}

TEST_F(HandImgSelectButtonTest, APictureThatCannotBeReadIsNotDrawnAndDragsSafely) {
    for (const char* name : {"missing.png", "text.png", ""}) {
        pan->SetHandImage(name);
        EXPECT_EQ(pan->DrawString(), "") << name;
        EXPECT_EQ(pan->ImageSize(), (Size{})) << name;
        const std::vector<DrawCall> images = PaintedImages();
        ASSERT_EQ(images.size(), 1u) << name;
        EXPECT_EQ(images[0].text, "frame.png");
        Press({60, 50});
        Move({10, 20});
        Release({10, 20});
        EXPECT_EQ(pan->DrawString(), "") << name;
    }
}

TEST_F(HandImgSelectButtonTest, PicturesComeFromAnyPathAndAnyName) {
    const std::string absolute = (skin / "big.png").string();
    ui.context.SetSkinFolder("/nonexistent-skin");
    pan->SetHandImage(absolute);
    EXPECT_EQ(pan->ImageSize(), (Size{400, 300}));
    EXPECT_EQ(PaintedImages().at(1).text, absolute);

    ui.context.SetSkinFolder(skin.Path());
    pan->SetHandImage("it's.png");
    EXPECT_EQ(pan->DrawString(), "file=\"it's.png\" source='0,0,100,80'");
    EXPECT_EQ(PaintedImages().at(1).text, "it's.png");
}

TEST_F(HandImgSelectButtonTest, ANewControlSizeStartsTheViewAgain) {
    Press({60, 50});
    Move({30, 50});
    Release({30, 50});
    pan->SetPos({10, 10, 60, 50});
    EXPECT_EQ(pan->Source(), (Rect{0, 0, 50, 40}));
    EXPECT_EQ(pan->DrawString(), "file='big.png' source='0,0,50,40'");
}

TEST_F(HandImgSelectButtonTest, AControlOfNoSizeDrawsNothing) {
    pan->SetFixedWidth(0);
    pan->SetFixedHeight(0);
    pan->SetPos({10, 10, 10, 10});
    pan->SetHandImage("big.png");
    EXPECT_EQ(pan->Source(), (Rect{}));
    EXPECT_TRUE(PaintedImages().empty());
    ui::UIEvent press{.type = ui::UIEventType::ButtonDown, .point = {10, 10}};
    pan->DoEvent(press);
    EXPECT_FALSE(pan->IsDragActive());
}

TEST_F(HandImgSelectButtonTest, TheCursorAttributeTakesTheKnownShapesOnly) {
    EXPECT_EQ(pan->Cursor(), "hand");
    struct Case {
        const char* value;
        const char* cursor;
    };
    const Case cases[] = {{"sizeall", "sizeall"}, {"IBeam", "ibeam"}, {"pointer", "ibeam"},
                          {"", "ibeam"},          {"no", "no"},       {"sizenwse", "sizenwse"}};
    for (const Case& c : cases) {
        pan->SetAttribute("CURSOR", c.value);
        EXPECT_EQ(pan->Cursor(), c.cursor) << c.value;
    }
}

}  // namespace
}  // namespace halvorn
