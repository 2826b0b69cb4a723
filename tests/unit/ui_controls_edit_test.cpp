// Edits as the user types in them: limits, editing keys, number ranges and
// the notifications the window sees.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/controls/edit.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;
using Types = std::vector<std::string>;

// An edit with the attributes, a rich edit under it, recording on.
CEditUI* ShowEdit(HeadlessUi& ui, const std::string& attributes) {
    const std::string xml = "<VerticalLayout><Edit name=\"edit\" height=\"30\" " + attributes +
                            "/><RichEdit name=\"rich\" height=\"60\"/><Control/></VerticalLayout>";
    if (!ui.Show(xml, {200, 200})) return nullptr;
    ui.manager.Layout();
    ui.manager.SetRecordNotifications(true);
    return ui.Find<CEditUI>("edit");
}

int CountOf(const HeadlessUi& ui, std::string_view type) {
    int n = 0;
    for (const TNotifyUI& m : ui.manager.Recorded()) n += m.type == type;
    return n;
}

class EditTest : public ::testing::Test {
protected:
    CEditUI& Show(const std::string& attributes) {
        CEditUI* edit = ShowEdit(ui, attributes);
        EXPECT_NE(edit, nullptr) << ui.builder.Error();
        return *edit;
    }
    Types Recorded() const {
        Types out;
        for (const TNotifyUI& n : ui.manager.Recorded()) {
            if (n.type != "msenter" && n.type != "msleave") out.push_back(n.type);
        }
        return out;
    }
    int Count(std::string_view type) const { return CountOf(ui, type); }

    HeadlessUi ui;
};

TEST(Edit, TypingRespectsTheLimits) {
    struct Case {
        const char* attributes;
        const char* typed;
        const char* text;
        int changes;
    };
    const Case cases[] = {
        {"", "Ab 1", "Ab 1", 4},
        {"maxchar=\"4\"", "123456", "1234", 4},
        {"numberonly=\"true\"", "1a2-3.", "123", 3},
        {"readonly=\"true\"", "ab", "", 0},
        {"maxchar=\"2\"", "äö€", "äö", 2},  // code points, not bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        HeadlessUi ui;
        CEditUI* edit = ShowEdit(ui, c.attributes);
        ASSERT_NE(edit, nullptr) << ui.builder.Error();
        ASSERT_TRUE(testing::TypeText(*edit, c.typed));
        EXPECT_EQ(edit->GetText(), c.text);
        EXPECT_EQ(CountOf(ui, "textchanged"), c.changes);
    }
}

TEST_F(EditTest, EditingKeysWorkAtTheCaret) {
    CEditUI& edit = Show("");
    edit.SetText("hello");
    EXPECT_EQ(Count("textchanged"), 0) << "text set by the program is not reported";
    ASSERT_TRUE(testing::Click(edit));
    edit.SetCaret(5);
    testing::PressKey(ui.manager, key::kLeft);
    testing::PressKey(ui.manager, key::kLeft);
    testing::PressKey(ui.manager, key::kBackspace);
    EXPECT_EQ(edit.GetText(), "helo");
    testing::PressKey(ui.manager, key::kDelete);
    EXPECT_EQ(edit.GetText(), "heo");
    testing::PressKey(ui.manager, key::kHome);
    testing::PressKey(ui.manager, key::kBackspace);  // nothing before the caret
    ui.manager.HandleInput({.kind = HostInput::Kind::Char, .character = U'X'});
    testing::PressKey(ui.manager, key::kEnd);
    testing::PressKey(ui.manager, key::kDelete);  // nothing after it
    testing::PressKey(ui.manager, key::kRight);
    ui.manager.HandleInput({.kind = HostInput::Kind::Char, .character = U'Ü'});
    // A shortcut is no text.
    ui.manager.HandleInput(
        {.kind = HostInput::Kind::Char, .character = U'c', .modifiers = modifier::kControl});
    EXPECT_EQ(edit.GetText(), "XheoÜ");
    EXPECT_EQ(edit.GetCaret(), 5u);
    EXPECT_EQ(Count("textchanged"), 4);
}

TEST_F(EditTest, ANumberOutOfRangeIsLimitedBeforeKillFocusIsReported) {
    CEditUI& edit = Show("numberonly=\"true\" maxchar=\"6\" minnum=\"0\" maxnum=\"65535\"");
    ASSERT_TRUE(testing::TypeText(edit, "70000"));
    std::string seenAtKillFocus;
    ui.Find("edit")->AddNotifyHandler([&](TNotifyUI& msg) {
        if (msg.type == "killfocus") seenAtKillFocus = msg.sender->GetText();
    });
    ASSERT_TRUE(testing::Leave(edit));
    EXPECT_EQ(edit.GetText(), "65535");
    EXPECT_EQ(seenAtKillFocus, "65535");
    const Types recorded = Recorded();
    ASSERT_GE(recorded.size(), 2u);
    EXPECT_EQ(Types(recorded.end() - 2, recorded.end()), (Types{"textchanged", "killfocus"}));
}

TEST_F(EditTest, ReturnLimitsTheNumberAndReportsReturn) {
    CEditUI& edit = Show("numberonly=\"true\" minnum=\"10\" maxnum=\"20\"");
    ASSERT_TRUE(testing::TypeText(edit, "5"));
    testing::PressKey(ui.manager, key::kReturn);
    EXPECT_EQ(edit.GetText(), "10");
    const Types recorded = Recorded();
    EXPECT_EQ(Types(recorded.end() - 2, recorded.end()), (Types{"textchanged", "return"}));
    EXPECT_EQ(ui.manager.GetFocus(), &edit) << "Return keeps the focus";
}

TEST(EditRange, ClampsOnlyNumbers) {
    struct Case {
        long long min, max;
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {0, 255, "300", "255"},
        {10, 20, "5", "10"},
        {0, 255, "128", "128"},
        {0, 255, "", ""},
        {-5, 5, "-9", "-5"},
        {0, 255, "abc", "abc"},
        {0, 100, "99999999999999999999999", "100"},
        {0, 255, "12x", "12x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CEditUI edit;
        edit.SetNumberRange(c.min, c.max);
        edit.SetText(c.text);
        EXPECT_EQ(edit.ApplyNumberRange(), std::string(c.text) != c.result);
        EXPECT_EQ(edit.GetText(), c.result);
    }
    CEditUI open;
    open.SetText("300");
    EXPECT_FALSE(open.ApplyNumberRange()) << "no range, no change";
}

TEST_F(EditTest, PaintsMaskedTextCaretAndClickedCaret) {
    CEditUI& edit = Show("password=\"true\" textpadding=\"4,0,0,0\"");
    edit.SetText("abcd");
    edit.SetFocus();
    testing::RecordingCanvas canvas;
    edit.DoPaint(canvas, edit.GetPos());
    auto texts = canvas.Of(testing::DrawCall::Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "****");
    auto lines = canvas.Of(testing::DrawCall::Kind::Line);
    ASSERT_EQ(lines.size(), 1u) << "the caret";
    // Each character is 7 pixels wide on the recording canvas: the caret
    // after four of them.
    EXPECT_EQ(lines[0].rect.left, edit.GetPos().left + 4 + 4 * 7);

    // A click between the second and third character puts the caret there.
    const Point at{edit.GetPos().left + 4 + 2 * 7 + 2, testing::CentreOf(edit).y};
    testing::Send(ui.manager, HostInput::Kind::ButtonDown, at);
    testing::Send(ui.manager, HostInput::Kind::ButtonUp, at);
    EXPECT_EQ(edit.GetCaret(), 2u);
}

TEST_F(EditTest, RichEditTakesReturnsAndShowsItsTipWhenEmpty) {
    Show("");
    auto& rich = *ui.Find<CRichEditUI>("rich");
    rich.SetTipValue("Type here");
    rich.SetTipValueColor(0xFF808080);
    testing::RecordingCanvas canvas;
    rich.DoPaint(canvas, rich.GetPos());
    auto texts = canvas.Of(testing::DrawCall::Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Type here");
    EXPECT_EQ(texts[0].color, 0xFF808080u);

    ASSERT_TRUE(testing::TypeText(rich, "ab"));
    testing::PressKey(ui.manager, key::kReturn);
    ASSERT_TRUE(testing::TypeText(rich, "c"));
    EXPECT_EQ(rich.GetText(), "ab\nc") << "the click put the caret at the end";
    testing::PressKey(ui.manager, key::kUp);
    ui.manager.HandleInput({.kind = HostInput::Kind::Char, .character = U'X'});
    EXPECT_EQ(rich.GetText(), "aXb\nc");
    testing::PressKey(ui.manager, key::kDown);  // column 2 of a line of one: its end
    ui.manager.HandleInput({.kind = HostInput::Kind::Char, .character = U'Y'});
    testing::PressKey(ui.manager, key::kHome);  // the start of the caret's line
    ui.manager.HandleInput({.kind = HostInput::Kind::Char, .character = U'Z'});
    EXPECT_EQ(rich.GetText(), "aXb\nZcY");
    EXPECT_EQ(Count("return"), 0);

    rich.SetWantReturn(false);
    testing::PressKey(ui.manager, key::kReturn);
    EXPECT_EQ(Count("return"), 1);
    EXPECT_EQ(rich.GetText(), "aXb\nZcY");
}

}  // namespace
}  // namespace halvorn::ui
