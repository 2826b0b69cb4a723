#include "platform/ui/control.h"

#include <gtest/gtest.h>

#include "platform/ui/container.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::DrawCall;
using testing::HeadlessUi;
using testing::RecordingCanvas;

TEST(AttributeParsers, ReadTheSkinsValueForms) {
    struct ColorCase {
        const char* text;
        Color expected;
    };
    for (const ColorCase& c : std::initializer_list<ColorCase>{{"#FF112233", 0xFF112233},
                                                               {"#80112233", 0x80112233},
                                                               {"#112233", 0xFF112233},
                                                               {"0xFF00FF00", 0xFF00FF00},
                                                               {"0X00000000", 0},
                                                               {" #abc ", 0xFFAABBCC},
                                                               {"#8abc", 0x88AABBCC},
                                                               {"FF0000FF", 0xFF0000FF},
                                                               {"", 0},
                                                               {"#", 0},
                                                               {"#GG112233", 0},
                                                               {"#1122334455", 0},
                                                               {"red", 0}}) {
        EXPECT_EQ(ParseColor(c.text), c.expected) << c.text;
    }
    struct RectCase {
        const char* text;
        Rect expected;
    };
    for (const RectCase& c : std::initializer_list<RectCase>{{"1,2,3,4", {1, 2, 3, 4}},
                                                             {" 1 , 2 ,3, 4 ", {1, 2, 3, 4}},
                                                             {"-5,0,10,-2", {-5, 0, 10, -2}},
                                                             {"1,2", {1, 2, 0, 0}},
                                                             {"", {}},
                                                             {"a,b,c,d", {}},
                                                             {"1,2,3,4,5", {1, 2, 3, 4}}}) {
        EXPECT_EQ(ParseRect(c.text), c.expected) << c.text;
    }
    EXPECT_EQ(ParseSize("800,572"), (Size{800, 572}));
    EXPECT_EQ(ParseSize("12"), (Size{12, 0}));
    for (const char* yes : {"true", "TRUE", " True ", "1"}) EXPECT_TRUE(ParseBool(yes)) << yes;
    for (const char* no : {"false", "0", "", "yes", "truthy"}) EXPECT_FALSE(ParseBool(no)) << no;
    EXPECT_EQ(ParseInt("42"), 42);
    EXPECT_EQ(ParseInt(" -7 "), -7);
    EXPECT_EQ(ParseInt("+3"), 3);
    EXPECT_EQ(ParseInt("12px"), 12);
    EXPECT_EQ(ParseInt("x", -1), -1);
    EXPECT_EQ(ParseInt("99999999999", 5), 5);  // out of range: the fallback

    using namespace text_align;
    const unsigned start = kLeft | kVCenter | kSingleLine;
    EXPECT_EQ(ParseAlign("center", start), kCenter | kVCenter | kSingleLine);
    EXPECT_EQ(ParseAlign("right|bottom", start), kRight | kBottom | kSingleLine);
    EXPECT_EQ(ParseAlign("Center, top", start), kCenter | kTop | kSingleLine);
    EXPECT_EQ(ParseAlign("wordbreak endellipsis", start),
              kLeft | kVCenter | kWordBreak | kEndEllipsis);
    EXPECT_EQ(ParseAlign("sideways", start), start);
}

TEST(ControlAttributes, AnAttributeListAppliesInOrderWithEitherQuote) {
    CControlUI control;
    control.ApplyAttributeList(
        "name=\"btn\" text='a; b' width=10;height=\"20\"  textcolor=\"#FF010203\" width=\"30\"");
    EXPECT_EQ(control.GetName(), "btn");
    EXPECT_EQ(control.GetText(), "a; b");
    EXPECT_EQ(control.GetFixedWidth(), 30);  // the later one
    EXPECT_EQ(control.GetFixedHeight(), 20);
    EXPECT_EQ(control.GetTextColor(), 0xFF010203u);
    control.ApplyAttributeList("userdata=\"kept\" tooltip=\"unterminated");  // stops at the fault
    EXPECT_EQ(control.GetUserData(), "kept");
    EXPECT_EQ(control.GetToolTip(), "");
    EXPECT_EQ(control.GetAttribute("USERDATA"), "kept");  // names ignore case
}

TEST(ControlPaint, PaintsBackgroundImageAndBorderInOrderClippedToContainers) {
    HeadlessUi ui;
    ASSERT_NE(ui.Show("<Container name='root' bkcolor='#FF000001' inset='10,10,10,10'>"
                      "<Control name='top' float='true' pos='0,0,50,50' bkcolor='#FF000002'/>"
                      "<Control name='body' bkcolor='#FF000003' bkimage='body.png' "
                      "bordercolor='#FF000004' bordersize='1'/>"
                      "<Control name='hidden' visible='false' bkcolor='#FF000005'/>"
                      "<Control name='grad' float='true' pos='300,300,400,400' "
                      "bkcolor='#FF000006' bkcolor2='#FF000007' borderround='4,4'/>"
                      "<Control name='round' float='true' pos='500,300,600,400' "
                      "bkcolor='#FF000008' borderround='4,4'/>"
                      "</Container>",
                      {800, 600}),
              nullptr);
    RecordingCanvas canvas;
    ui.manager.Paint(canvas, {0, 0, 800, 600});
    std::vector<std::string> sequence;
    for (const DrawCall& call : canvas.calls) {
        switch (call.kind) {
            case DrawCall::Kind::PushClip:
                sequence.push_back("clip");
                break;
            case DrawCall::Kind::PopClip:
                sequence.push_back("pop");
                break;
            case DrawCall::Kind::Image:
                sequence.push_back("image:" + call.text);
                break;
            default:
                sequence.push_back(std::to_string(static_cast<int>(call.kind)) + ":" +
                                   std::to_string(call.color & 0xFF));
        }
    }
    const std::string fill = std::to_string(static_cast<int>(DrawCall::Kind::Fill));
    const std::string border = std::to_string(static_cast<int>(DrawCall::Kind::Border));
    const std::string gradient = std::to_string(static_cast<int>(DrawCall::Kind::Gradient));
    const std::string round = std::to_string(static_cast<int>(DrawCall::Kind::FillRound));
    // The root, then its other children within the inset, then the floats over them.
    EXPECT_EQ(sequence,
              (std::vector<std::string>{"clip", fill + ":1", "clip", fill + ":3", "image:body.png",
                                        border + ":4", "pop", fill + ":2", gradient + ":6",
                                        round + ":8", "pop"}));
    EXPECT_EQ(canvas.calls[1].rect, (Rect{0, 0, 800, 600}));
    EXPECT_EQ(canvas.calls[2].rect, (Rect{10, 10, 790, 590}));  // the inner clip

    // Only what meets the dirty rectangle is painted.
    canvas.calls.clear();
    ui.manager.Paint(canvas, {310, 310, 320, 320});
    std::vector<Color> colours;
    for (const DrawCall& call : canvas.calls) {
        if (call.kind != DrawCall::Kind::PushClip && call.kind != DrawCall::Kind::PopClip &&
            call.kind != DrawCall::Kind::Image) {
            colours.push_back(call.color & 0xFF);
        }
    }
    EXPECT_EQ(colours, (std::vector<Color>{1, 3, 4, 6}));
}

TEST(ContainerTree, VisibilityReachesTheSubtreeWithoutLosingOwnStates) {
    CContainerUI outer;
    auto* inner = static_cast<CContainerUI*>(outer.Add(std::make_unique<CContainerUI>()));
    CControlUI* shown = inner->Add(std::make_unique<CControlUI>());
    CControlUI* hidden = inner->Add(std::make_unique<CControlUI>());
    hidden->SetVisible(false);
    outer.SetVisible(false);
    EXPECT_FALSE(shown->IsVisible());
    outer.SetVisible(true);
    EXPECT_TRUE(shown->IsVisible());
    EXPECT_FALSE(hidden->IsVisible());
    inner->SetInternVisible(false);  // a page not shown
    EXPECT_FALSE(shown->IsVisible());
    inner->SetInternVisible(true);
    EXPECT_TRUE(shown->IsVisible());
    // A control added to a hidden container is hidden with it.
    outer.SetVisible(false);
    EXPECT_FALSE(inner->Add(std::make_unique<CControlUI>())->IsVisible());

    // Take hands a child back whole; AddAt clamps its index.
    std::unique_ptr<CControlUI> taken = inner->Take(shown);
    ASSERT_EQ(taken.get(), shown);
    EXPECT_EQ(taken->GetParent(), nullptr);
    EXPECT_EQ(inner->GetItemIndex(shown), -1);
    EXPECT_EQ(inner->AddAt(std::move(taken), 99), shown);
    EXPECT_EQ(inner->GetItemIndex(shown), inner->GetCount() - 1);
    EXPECT_EQ(shown->GetParent(), inner);
    EXPECT_FALSE(inner->Remove(&outer));
    EXPECT_EQ(inner->AddAt(nullptr, 0), nullptr);
}

}  // namespace
}  // namespace halvorn::ui
