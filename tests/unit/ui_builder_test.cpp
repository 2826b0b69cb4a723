#include "platform/ui/builder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ui/container.h"
#include "platform/ui/ui_text.h"
#include "tests/support/profile_test_files.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;

// A skin folder with a resource index and the files a test writes.
struct Skin {
    explicit Skin(HeadlessUi& ui) {
        ui.context.SetSkinFolder(dir.Path());
        std::filesystem::create_directories(dir / "XML" / "CustomControlXML");
    }
    void Write(const std::string& relative, const std::string& text) {
        test::WriteText(dir / relative, text);
    }
    test::TempDir dir;
};

// A container that counts its DoInit calls.
class CCountingUI : public CContainerUI {
public:
    std::string_view GetClass() const override { return "Counting"; }
    void DoInit() override { ++inits; }
    int inits = 0;
};

TEST(DialogBuilder, BuildsWindowFontsDefaultsIncludesAndNestedControls) {
    HeadlessUi ui;
    Skin skin(ui);
    skin.Write("res.xml",
               "<Res><Xml><Item name='XML_PART' file='XML\\part.xml'/></Xml>"
               "<Item name='XML_MAIN' path='XML/main.xml'/></Res>");
    ASSERT_TRUE(ui.context.Resources().Load(skin.dir / "res.xml"));
    skin.Write("XML/part.xml",
               "<Container name='part' inset='1,1,1,1'><Control name='in_part'/></Container>");
    skin.Write("XML/main.xml", R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="800,572" mininfo="400,300" caption="0,0,0,40" roundcorner="4,4" sizebox="4,4,4,4">
  <Font id="0" name="Verdana" size="15"/>
  <Font name="Verdana" size="14" default="true"/>
  <Font id="50" name="Noto Sans" size="18" bold="true" underline="true" italic="true"/>
  <Default name="control" value="textcolor=&quot;#FF101010&quot; height=&quot;30&quot;"/>
  <Container name="root" bkcolor="#FF202020" inset="1,2,3,4" childpadding="5">
    <CONTAINER name="page">
      <Control name="first" text="First" tooltip="tip" userdata="ud" width="100"
        padding="1,2,3,4" bkimage="file='a.png' corner='2,2,2,2'" bordercolor="#FF00FF00"
        bordersize="2" borderround="3,3" textcolor="#FFFFFFFF" disabledtextcolor="#FF808080"
        font="1" align="right|bottom" textpadding="2,2,2,2" minwidth="10" minheight="11"
        maxwidth="200" maxheight="300" custom="kept"/>
      <Control name="second" visible="false" enabled="false" mouse="false" keyboard="false"
        float="true" pos="10,20,110,50" bkcolor="#FF303030" bkcolor2="#FF404040"/>
    </CONTAINER>
    <Include source="XML_PART" count="2"/>
  </Container>
</Window>)");

    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create("XML_MAIN", nullptr, ui.manager);
    ASSERT_TRUE(root) << builder.Error();
    EXPECT_EQ(builder.Error(), "");

    EXPECT_EQ(ui.manager.GetInitSize(), (Size{800, 572}));
    EXPECT_EQ(ui.manager.GetMinInfo(), (Size{400, 300}));
    EXPECT_EQ(ui.manager.GetCaptionRect(), (Rect{0, 0, 0, 40}));
    EXPECT_EQ(ui.manager.GetWindowAttribute("roundcorner"), "4,4");
    EXPECT_EQ(ui.manager.GetWindowAttribute("sizebox"), "4,4,4,4");
    EXPECT_EQ(ui.manager.GetFont(0).size, 15);
    EXPECT_EQ(ui.manager.GetFont(1).size, 14);   // no id: the next index
    EXPECT_EQ(ui.manager.GetFont(-1).size, 14);  // the default
    EXPECT_EQ(ui.manager.GetFont(7).size, 14);   // unknown: the default
    const FontSpec bold = ui.manager.GetFont(50);
    EXPECT_EQ(bold.face, "Noto Sans");
    EXPECT_TRUE(bold.bold && bold.underline && bold.italic);

    ui.manager.AttachDialog(std::move(root));
    auto* top = ui.Find<CContainerUI>("root");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->GetBkColor(), 0xFF202020u);
    EXPECT_EQ(top->GetInset(), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(top->GetChildPadding(), 5);
    ASSERT_EQ(top->GetCount(), 3);  // the page and two included parts
    EXPECT_EQ(top->GetItemAt(1)->GetName(), "part");
    EXPECT_EQ(top->GetItemAt(2)->GetName(), "part");
    EXPECT_EQ(ui.manager.FindControl("in_part"),
              static_cast<CContainerUI*>(top->GetItemAt(1))->GetItemAt(0));

    CControlUI* first = ui.Find("first");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetParent(), ui.Find("page"));
    EXPECT_EQ(first->GetText(), "First");
    EXPECT_EQ(first->GetToolTip(), "tip");
    EXPECT_EQ(first->GetUserData(), "ud");
    EXPECT_EQ(first->GetFixedWidth(), 100);
    EXPECT_EQ(first->GetFixedHeight(), 30);         // from the default list
    EXPECT_EQ(first->GetTextColor(), 0xFFFFFFFFu);  // own attribute after the default
    EXPECT_EQ(first->GetPadding(), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(first->GetBkImage(), "file='a.png' corner='2,2,2,2'");
    EXPECT_EQ(first->GetBorderColor(), 0xFF00FF00u);
    EXPECT_EQ(first->GetBorderSize(), 2);
    EXPECT_EQ(first->GetBorderRound(), (Size{3, 3}));
    EXPECT_EQ(first->GetDisabledTextColor(), 0xFF808080u);
    EXPECT_EQ(first->GetFont(), 1);
    EXPECT_EQ(first->GetTextAlign() & (text_align::kRight | text_align::kBottom),
              text_align::kRight | text_align::kBottom);
    EXPECT_EQ(first->GetTextPadding(), (Rect{2, 2, 2, 2}));
    EXPECT_EQ(first->GetMinWidth(), 10);
    EXPECT_EQ(first->GetMinHeight(), 11);
    EXPECT_EQ(first->GetMaxWidth(), 200);
    EXPECT_EQ(first->GetMaxHeight(), 300);
    EXPECT_EQ(first->GetAttribute("custom"), "kept");  // unknown attributes are kept
    EXPECT_EQ(first->GetAttribute("width"), "100");
    EXPECT_EQ(first->GetAttribute("textcolor"), "#FFFFFFFF");

    CControlUI* second = ui.Find("second");
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->IsVisible());
    EXPECT_FALSE(second->IsEnabled());
    EXPECT_FALSE(second->IsMouseEnabled());
    EXPECT_FALSE(second->IsKeyboardEnabled());
    EXPECT_TRUE(second->IsFloat());
    EXPECT_EQ(second->GetFloatPos(), (Rect{10, 20, 110, 50}));
    EXPECT_EQ(second->GetFixedWidth(), 100);
    EXPECT_EQ(second->GetBkColor(), 0xFF303030u);
    EXPECT_EQ(second->GetBkColor2(), 0xFF404040u);
}

TEST(DialogBuilder, SkipsWhatItCannotBuildAndSaysWhere) {
    HeadlessUi ui;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.CreateFromText(
        "<Container name='root'>\n"
        "  <Gauge name='unknown'><Control name='lost'/></Gauge>\n"
        "  <Control name='leaf'>\n"
        "    <Control name='orphan'/>\n"
        "  </Control>\n"
        "  <Control name='kept'/>\n"
        "</Container>",
        nullptr, ui.manager);
    ASSERT_TRUE(root);
    ui.manager.AttachDialog(std::move(root));
    EXPECT_NE(ui.Find("kept"), nullptr);
    EXPECT_NE(ui.Find("leaf"), nullptr);
    EXPECT_EQ(ui.Find("unknown"), nullptr);
    EXPECT_EQ(ui.Find("lost"), nullptr);    // with its subtree
    EXPECT_EQ(ui.Find("orphan"), nullptr);  // a non-container holds no children
    EXPECT_NE(builder.Error().find(":2: unknown control class 'Gauge'"), std::string::npos)
        << builder.Error();
    EXPECT_NE(builder.Error().find(":4: <Control> inside <Control>"), std::string::npos)
        << builder.Error();
}

TEST(DialogBuilder, FailsCleanlyOnMissingMalformedAndSelfIncludingLayouts) {
    HeadlessUi ui;
    Skin skin(ui);
    skin.Write("XML/broken.xml", "<Container>\n<Control>\n</Container>");
    skin.Write("XML/loop.xml",
               "<Container name='loop'><Include source='XML\\loop.xml'/></Container>");
    skin.Write("XML/empty.xml", "<Window size='1,1'><Font id='3' size='9'/></Window>");
    CDialogBuilder builder;

    EXPECT_FALSE(builder.Create("XML\\missing.xml", nullptr, ui.manager));
    EXPECT_NE(builder.Error().find("XML\\missing.xml: cannot read"), std::string::npos)
        << builder.Error();

    EXPECT_FALSE(builder.Create("XML/broken.xml", nullptr, ui.manager));
    EXPECT_NE(builder.Error().find("XML/broken.xml:3:"), std::string::npos) << builder.Error();

    EXPECT_FALSE(builder.Create("XML/empty.xml", nullptr, ui.manager));
    EXPECT_NE(builder.Error().find("no control"), std::string::npos) << builder.Error();

    std::unique_ptr<CControlUI> looped = builder.Create("XML/loop.xml", nullptr, ui.manager);
    ASSERT_TRUE(looped);  // built as deep as allowed
    EXPECT_NE(builder.Error().find("nested too deeply"), std::string::npos) << builder.Error();
    int depth = 0;
    for (CControlUI* c = looped.get(); c; ++depth) {
        auto* container = dynamic_cast<CContainerUI*>(c);
        c = container && container->GetCount() > 0 ? container->GetItemAt(0) : nullptr;
    }
    EXPECT_EQ(depth, CDialogBuilder::kMaxDepth);
}

// The window's callback: a class the factory does not know, and composite
// names built from a sub-layout with the window as the callback again.
class Callback : public IDialogBuilderCallback {
public:
    explicit Callback(CPaintManagerUI& manager) : manager_(manager) {}
    std::unique_ptr<CControlUI> CreateControl(std::string_view className) override {
        created.emplace_back(className);
        if (EqualsIgnoreCase(className, "Counting")) return std::make_unique<CCountingUI>();
        if (EqualsIgnoreCase(className, "DeviceProfileUI")) {
            CDialogBuilder builder;
            auto sub = builder.Create("XML\\CustomControlXML\\DeviceProfile.xml", this, manager_);
            subErrors += builder.Error();
            return sub;
        }
        return nullptr;
    }
    std::vector<std::string> created;
    std::string subErrors;

private:
    CPaintManagerUI& manager_;
};

TEST(DialogBuilder, BuildsCompositeSubLayoutsThroughTheCallback) {
    HeadlessUi ui;
    Skin skin(ui);
    // The sub-layout's <Window> adds its font but leaves the window's size alone.
    skin.Write("XML/CustomControlXML/DeviceProfile.xml",
               "<Window size='10,10'><Font id='9' size='9'/>"
               "<Container name='profile_root' bkcolor='#FF111111'>"
               "<Counting name='profile_counter'/><Control name='device_profile_combo'/>"
               "</Container></Window>");
    Callback callback(ui.manager);
    CControlUI* root = ui.Show(
        "<Window size='800,572'><Container name='root'>"
        "<deviceprofileui name='profile' bkcolor='#FF222222'>"
        "<Control name='extra'/></deviceprofileui>"
        "<Counting name='counter'/>"
        "</Container></Window>",
        {800, 572}, &callback);
    ASSERT_NE(root, nullptr) << ui.builder.Error();
    EXPECT_EQ(ui.builder.Error(), "");
    EXPECT_EQ(callback.subErrors, "");
    EXPECT_EQ(callback.created,
              (std::vector<std::string>{"deviceprofileui", "Counting", "Counting"}));

    // The element's attributes go over the sub-layout's root, its children into it.
    EXPECT_EQ(ui.Find("profile_root"), nullptr);
    auto* profile = ui.Find<CContainerUI>("profile");
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->GetBkColor(), 0xFF222222u);
    ASSERT_EQ(profile->GetCount(), 3);
    EXPECT_EQ(profile->GetItemAt(2), ui.Find("extra"));
    EXPECT_EQ(profile->FindSubControl("device_profile_combo")->GetParent(), profile);
    EXPECT_EQ(ui.manager.GetInitSize(), (Size{800, 572}));
    EXPECT_EQ(ui.manager.GetFont(9).size, 9);

    // Every control joined the window once.
    EXPECT_EQ(ui.Find<CCountingUI>("counter")->inits, 1);
    EXPECT_EQ(ui.Find<CCountingUI>("profile_counter")->inits, 1);
}

TEST(DialogBuilder, CreateIntoAddsFinishedControlsToALiveTree) {
    HeadlessUi ui;
    Skin skin(ui);
    skin.Write(
        "XML/items.xml",
        "<Window><Counting name='item_0'/><Counting name='item_1' visible='false'/></Window>");
    Callback callback(ui.manager);
    ASSERT_NE(ui.Show("<Container name='list'/>"), nullptr);
    auto* list = ui.Find<CContainerUI>("list");

    CDialogBuilder builder;
    CControlUI* first = builder.CreateInto("XML/items.xml", &callback, ui.manager, *list);
    ASSERT_NE(first, nullptr) << builder.Error();
    EXPECT_EQ(first, ui.Find("item_0"));  // named before it joined: found by name
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(ui.Find<CCountingUI>("item_1")->inits, 1);
    EXPECT_FALSE(ui.Find("item_1")->IsVisible());
}

}  // namespace
}  // namespace halvorn::ui
