// The device picture controls as the user and the device pages drive them:
// key buttons (light tint, key-set marker, double click), the picture
// panel's rubber-band selection, the hand image and macro buttons, and how
// the skin's layouts reach them through the factory.

#include "controls/picture_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/device_key_button.h"
#include "controls/hand_img_button.h"
#include "controls/hand_img_select_button.h"
#include "controls/redio_macro_button.h"
#include "controls/select_panel.h"
#include "tests/support/ui_actions.h"

namespace halvorn {
namespace {

using ui::Point;
using ui::Rect;
using ui::testing::DrawCall;
using ui::testing::HeadlessUi;
using ui::testing::RecordingCanvas;
using Kind = ui::HostInput::Kind;
using Strings = std::vector<std::string>;

constexpr const char* kLayout = R"(
<VerticalLayout>
  <SelectPanel name="panel" height="200">
    <DeviceKeyButton name="key_0" float="true" pos="10,10,40,40" normalimage="key.png"
        LightImage="dot.png" KEYSETIMAGE="set.png" keyUnsetImage="unset.png"
        GmNameTextColor="#FF00FF" textcolor="#FF102030"/>
    <DeviceKeyButton name="key_1" float="true" pos="100,10,130,40"/>
    <Label name="legend" float="true" pos="200,150,260,170"/>
  </SelectPanel>
  <HandImgButton name="hand" height="30" normalimage="btn.png" hotimage="btn_hot.png"
      HandImage="/pictures/anywhere/me.png" DeleteNormalImage="del.png"
      DELETEHOTIMAGE="del_hot.png"/>
  <RedioMacroButton name="macro" height="30" normalimage="m.png" RedioImage="radio.png"/>
</VerticalLayout>)";

class PictureControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPictureControls(ui.context.Factory());
        ASSERT_NE(ui.Show(kLayout, {300, 400}), nullptr) << ui.builder.Error();
        ui.manager.Layout();
        ui.manager.SetRecordNotifications(true);
    }

    // What the notifiers saw from named controls, without focus changes;
    // only notifications of type `only` when one is given.
    Strings Recorded(std::string_view only = {}) const {
        Strings out;
        for (const ui::TNotifyUI& n : ui.manager.Recorded()) {
            if (n.type == "setfocus" || n.type == "killfocus") continue;
            if (n.sender->GetName().empty() || (!only.empty() && n.type != only)) continue;
            out.push_back(n.type + " " + n.sender->GetName());
        }
        return out;
    }

    // The image files painted by `control`, in order.
    static Strings Painted(ui::CControlUI& control, RecordingCanvas* keep = nullptr) {
        RecordingCanvas canvas;
        control.DoPaint(canvas, control.GetPos());
        Strings files;
        for (const DrawCall& call : canvas.Of(DrawCall::Kind::Image)) files.push_back(call.text);
        if (keep) *keep = canvas;
        return files;
    }

    void Drag(Point from, Point to) {
        ui::testing::Send(ui.manager, Kind::MouseMove, from);
        ui::testing::Send(ui.manager, Kind::ButtonDown, from);
        ui::testing::Send(ui.manager, Kind::MouseMove, to);
        ui::testing::Send(ui.manager, Kind::ButtonUp, to);
    }

    CDeviceKeyButtonUI& Key(int i) {
        return *ui.Find<CDeviceKeyButtonUI>("key_" + std::to_string(i));
    }

    HeadlessUi ui;
};

TEST(PictureControlsFactory, MakesEveryClassByItsClassString) {
    ui::ControlFactory factory;
    RegisterPictureControls(factory);
    for (const char* name : {"DeviceKeyButton", "SelectPanel", "HandImgButton",
                             "HandImgSelectButton", "RedioMacroButton"}) {
        auto control = factory.Create(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->GetClass(), name);
        EXPECT_NE(factory.Create(ui::AsciiLower(name)), nullptr) << name;
    }
}

TEST_F(PictureControlsTest, AttributesIgnoreCaseAndUnknownOnesReachTheButton) {
    CDeviceKeyButtonUI& key = Key(0);
    EXPECT_EQ(key.LightImage(), "dot.png");
    EXPECT_EQ(key.KeySetImage(), "set.png");
    EXPECT_EQ(key.KeyUnsetImage(), "unset.png");
    EXPECT_EQ(key.GetNormalImage(), "key.png");
    EXPECT_EQ(key.GetTextColor(), 0xFF102030u);  // gmnametextcolor changes nothing

    auto& hand = *ui.Find<CHandImgButtonUI>("hand");
    EXPECT_EQ(hand.HandImage(), "/pictures/anywhere/me.png");
    EXPECT_EQ(hand.DeleteNormalImage(), "del.png");
    EXPECT_EQ(hand.DeleteHotImage(), "del_hot.png");
    EXPECT_EQ(hand.GetHotImage(), "btn_hot.png");

    auto& macro = *ui.Find<CRedioMacroButtonUI>("macro");
    EXPECT_EQ(macro.RedioImage(), "radio.png");
    EXPECT_EQ(macro.GetNormalImage(), "m.png");
}

// --- Key buttons -------------------------------------------------------------

TEST_F(PictureControlsTest, AKeyPaintsItsStatusThenItsTintedLightThenItsMarker) {
    CDeviceKeyButtonUI& key = Key(0);
    EXPECT_EQ(Painted(key), (Strings{"key.png"}));  // unlit, default, never the unset image

    key.SetLightState(0x00332211, 128, true);  // red 0x11, green 0x22, blue 0x33
    key.SetKeyDefault(false);
    key.SetSelected(true);  // shows nothing
    RecordingCanvas canvas;
    ASSERT_EQ(Painted(key, &canvas), (Strings{"key.png", "dot.png", "set.png"}));
    const std::vector<DrawCall> images = canvas.Of(DrawCall::Kind::Image);
    EXPECT_FALSE(images[0].image.lit);
    const ui::ImageSpec& light = images[1].image;
    EXPECT_TRUE(light.lit);
    EXPECT_EQ(light.tint, 0xFF112233u);
    EXPECT_EQ(light.tintOpacity, 128);
    EXPECT_EQ(images[1].rect, key.GetPos());
    EXPECT_FALSE(images[2].image.lit);
    EXPECT_EQ(images[2].rect, key.GetPos());

    key.SetLightState(0xFFFFFF, 1000, false);
    EXPECT_EQ(Painted(key), (Strings{"key.png", "set.png"}));
    key.SetLightState(0xFFFFFF, 1000, true);
    Painted(key, &canvas);
    EXPECT_EQ(canvas.Of(DrawCall::Kind::Image)[1].image.tintOpacity, 255);
}

TEST_F(PictureControlsTest, AnUntouchedKeyTintsItsLightRedAtTheDefaultLevel) {
    CDeviceKeyButtonUI& key = Key(0);
    key.SetLightState(key.LightColor(), key.LightOpacity(), true);
    RecordingCanvas canvas;
    Painted(key, &canvas);
    const ui::ImageSpec light = canvas.Of(DrawCall::Kind::Image).at(1).image;
    EXPECT_EQ(light.tint, 0xFFFF0000u);
    EXPECT_EQ(light.tintOpacity, 200);
}

TEST_F(PictureControlsTest, WithoutALightImageTheColourItselfShows) {
    CDeviceKeyButtonUI& dot = Key(1);
    dot.SetName("light_1");
    dot.SetLightState(0x00332211, 128, true);
    RecordingCanvas canvas;
    Painted(dot, &canvas);
    const auto fills = canvas.Of(DrawCall::Kind::FillRound);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].color, 0x80112233u);
    EXPECT_EQ(fills[0].rect, dot.GetPos());

    dot.SetName("key_1");  // a key: a rim and an underglow, the legend stays readable
    RecordingCanvas keyCanvas;
    Painted(dot, &keyCanvas);
    ASSERT_EQ(keyCanvas.Of(DrawCall::Kind::FillRound).size(), 1u);
    EXPECT_LT(keyCanvas.Of(DrawCall::Kind::FillRound)[0].rect.Height(), dot.GetPos().Height() / 2);
    EXPECT_FALSE(keyCanvas.Of(DrawCall::Kind::Border).empty());

    dot.SetLightState(0x00332211, 0, true);  // opacity 0: nothing
    RecordingCanvas darkCanvas;
    Painted(dot, &darkCanvas);
    EXPECT_TRUE(darkCanvas.Of(DrawCall::Kind::FillRound).empty());
}

TEST_F(PictureControlsTest, AKeyChangedBackToItsDefaultLosesItsMarkerAtOnce) {
    CDeviceKeyButtonUI& key = Key(0);
    ui.host.invalidated.clear();
    key.SetKeyDefault(true);  // no change: no repaint
    EXPECT_TRUE(ui.host.invalidated.empty());

    key.SetKeyDefault(false);
    EXPECT_EQ(ui.host.invalidated, (std::vector<Rect>{key.GetPos()}));
    ui.host.invalidated.clear();
    key.SetKeyDefault(false);
    EXPECT_TRUE(ui.host.invalidated.empty());

    key.SetKeyDefault(true);
    EXPECT_EQ(ui.host.invalidated, (std::vector<Rect>{key.GetPos()}));
    EXPECT_EQ(Painted(key), (Strings{"key.png"}));
}

TEST_F(PictureControlsTest, ADoubleClickPushesTheKeyAndSendsDbclick) {
    CDeviceKeyButtonUI& key = Key(0);
    const Point at = ui::testing::CentreOf(key);
    ASSERT_TRUE(ui::testing::Click(key));
    ui::testing::Send(ui.manager, Kind::DoubleClick, at);
    EXPECT_TRUE(key.IsPushed());
    ui::testing::Send(ui.manager, Kind::ButtonUp, at);
    EXPECT_FALSE(key.IsPushed());
    EXPECT_EQ(Recorded(),
              (Strings{"msenter key_0", "click key_0", "dbclick key_0", "click key_0"}));

    // A disabled key takes no double click.
    key.SetEnabled(false);
    ui::UIEvent event{.type = ui::UIEventType::DoubleClick, .point = at};
    key.DoEvent(event);
    EXPECT_FALSE(key.IsPushed());
    EXPECT_EQ(Recorded().size(), 4u);
}

// --- Rubber-band selection ----------------------------------------------------

TEST_F(PictureControlsTest, ADraggedRectangleSelectsTheKeysItOverlaps) {
    // key_0 covers x and y 10..39 (40 is outside).
    struct Case {
        const char* what;
        Point from;
        Point to;
        bool selected;
    };
    const Case cases[] = {
        {"one pixel of its corner", {50, 50}, {39, 39}, true},
        {"only its corner point", {50, 50}, {40, 40}, false},
        {"only its right edge", {60, 5}, {40, 30}, false},
        {"one pixel column", {60, 5}, {39, 30}, true},
        {"dragged up and to the left over it", {20, 45}, {5, 5}, true},
        {"below it", {0, 45}, {60, 60}, false},
    };
    for (const Case& c : cases) {
        Key(0).SetSelected(!c.selected);
        Drag(c.from, c.to);
        EXPECT_EQ(Key(0).IsSelected(), c.selected) << c.what;
        EXPECT_FALSE(Key(1).IsSelected()) << c.what;
    }
}

TEST_F(PictureControlsTest, ReleasingADragSelectsAnewAndReportsTheEnd) {
    auto& panel = *ui.Find<CSelectPanelUI>("panel");
    Drag({5, 5}, {150, 60});
    EXPECT_TRUE(Key(0).IsSelected());
    EXPECT_TRUE(Key(1).IsSelected());
    EXPECT_EQ(panel.Selection(), (Rect{5, 5, 150, 60}));
    EXPECT_FALSE(panel.IsDragging());

    Drag({150, 60}, {120, 20});  // only key_1 now
    EXPECT_FALSE(Key(0).IsSelected());
    EXPECT_TRUE(Key(1).IsSelected());
    EXPECT_EQ(Recorded("click_select_end"),
              (Strings{"click_select_end panel", "click_select_end panel"}));
}

TEST_F(PictureControlsTest, APressAndReleaseWithoutMovingSelectsNothing) {
    Key(0).SetSelected(true);
    const Point at{50, 50};
    ui::testing::Send(ui.manager, Kind::MouseMove, at);
    ui::testing::Send(ui.manager, Kind::ButtonDown, at);
    ui::testing::Send(ui.manager, Kind::ButtonUp, at);
    EXPECT_TRUE(Key(0).IsSelected());
    EXPECT_FALSE(Key(1).IsSelected());
    EXPECT_EQ(Recorded("click_select_end"), Strings{});

    // Nor does a later move without the button.
    ui::testing::Send(ui.manager, Kind::MouseMove, {150, 60});
    EXPECT_FALSE(ui.Find<CSelectPanelUI>("panel")->IsDragging());
}

TEST_F(PictureControlsTest, ADisabledPanelStartsNoSelection) {
    auto& panel = *ui.Find<CSelectPanelUI>("panel");
    panel.SetEnabled(false);
    for (auto type :
         {ui::UIEventType::ButtonDown, ui::UIEventType::MouseMove, ui::UIEventType::ButtonUp}) {
        ui::UIEvent event{.type = type, .point = {5, 5}};
        panel.DoEvent(event);
    }
    EXPECT_FALSE(Key(0).IsSelected());
    EXPECT_TRUE(Recorded().empty());
}

// --- Hand image and macro buttons --------------------------------------------

TEST_F(PictureControlsTest, AHandImageButtonShowsItsPictureFromAnyPathAndClicks) {
    auto& hand = *ui.Find<CHandImgButtonUI>("hand");
    RecordingCanvas canvas;
    EXPECT_EQ(Painted(hand, &canvas), (Strings{"btn.png", "/pictures/anywhere/me.png"}));
    EXPECT_EQ(canvas.Of(DrawCall::Kind::Image)[1].rect, hand.GetPos());

    ASSERT_TRUE(ui::testing::Click(hand));
    EXPECT_EQ(Painted(hand), (Strings{"btn_hot.png", "/pictures/anywhere/me.png"}));
    ui::testing::Send(ui.manager, Kind::MouseMove, {250, 395});  // off every button
    EXPECT_EQ(Recorded(), (Strings{"msenter hand", "click hand", "msleave hand"}));
}

TEST_F(PictureControlsTest, AMacroButtonIsAPlainButton) {
    auto& macro = *ui.Find<CRedioMacroButtonUI>("macro");
    EXPECT_EQ(Painted(macro), (Strings{"m.png"}));
    ASSERT_TRUE(ui::testing::Click(macro));
    EXPECT_EQ(Recorded(), (Strings{"msenter macro", "click macro"}));
}

}  // namespace
}  // namespace halvorn
