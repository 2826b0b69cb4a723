#include "platform/ui/ui_context.h"

#include <gtest/gtest.h>

#include "platform/ui/container.h"
#include "tests/support/profile_test_files.h"
#include "tests/support/ui_actions.h"

namespace halvorn::ui {
namespace {

using testing::HeadlessUi;

TEST(LanguageSwitch, EveryLanguageKeyTextOfEveryWindowFollows) {
    test::TempDir dir;
    test::WriteText(dir / "lan_en.xml",
                    "<Language name='English'>"
                    "<Text id='kb_name' value='Keyboard'/><Text id='tip_key' value='Profile'/>"
                    "<Text id='message_text_5'><![CDATA[Name in use]]></Text></Language>");
    test::WriteText(dir / "lan_de.xml",
                    "<Language name='Deutsch'><Text id='kb_name' value='Tastatur'/></Language>");
    test::WriteText(dir / "broken.xml", "<Language><Text id='kb_name' value='x'/>");

    HeadlessUi ui;
    ASSERT_NE(ui.Show("<Container name='root'>"
                      "<Control name='title' resourcetext='true' text='kb_name' tooltip='tip_key'/>"
                      "<Control name='raw' text='kb_name'/>"
                      "<Control name='hidden' resourcetext='true' visible='false'/>"
                      "</Container>"),
              nullptr);
    // A second window on the same context.
    CPaintManagerUI other(ui.context, ui.loop);
    CDialogBuilder builder;
    other.AttachDialog(builder.CreateFromText(
        "<Control name='t2' resourcetext='true' text='kb_name'/>", nullptr, other));
    other.SetClientSize({100, 100});

    CControlUI* title = ui.Find("title");
    EXPECT_EQ(title->GetText(), "kb_name");  // no table yet: the key itself

    ui.host.invalidated.clear();
    ASSERT_TRUE(ui.context.SwitchLanguage("English", dir / "lan_en.xml"));
    EXPECT_EQ(ui.context.Language().LanguageName(), "English");
    EXPECT_EQ(title->GetText(), "Keyboard");
    EXPECT_EQ(title->GetRawText(), "kb_name");
    EXPECT_EQ(title->GetToolTip(), "Profile");
    EXPECT_EQ(ui.Find("raw")->GetText(), "kb_name");  // not a language key
    EXPECT_EQ(other.FindControl("t2")->GetText(), "Keyboard");
    EXPECT_FALSE(ui.host.invalidated.empty());  // shown again

    // The hidden-label way to translate a key in code.
    CControlUI* hidden = ui.Find("hidden");
    hidden->SetText("message_text_5");
    EXPECT_EQ(hidden->GetText(), "Name in use");
    hidden->SetText("no_such_key");
    EXPECT_EQ(hidden->GetText(), "no_such_key");

    ASSERT_TRUE(ui.context.SwitchLanguage("Deutsch", dir / "lan_de.xml"));
    EXPECT_EQ(title->GetText(), "Tastatur");
    EXPECT_EQ(title->GetToolTip(), "tip_key");  // the new table replaced the old one

    // A file that cannot be read keeps the texts shown.
    EXPECT_FALSE(ui.context.SwitchLanguage("Broken", dir / "broken.xml"));
    EXPECT_FALSE(ui.context.SwitchLanguage("Missing", dir / "missing.xml"));
    EXPECT_EQ(ui.context.Language().LanguageName(), "Deutsch");
    EXPECT_EQ(title->GetText(), "Tastatur");
}

TEST(UiScale, SizesPositionsFontsAndImagesScaleAt144) {
    HeadlessUi ui;
    ASSERT_NE(
        ui.Show("<Window size='800,572' caption='0,0,0,40' mininfo='400,300'>"
                "<Font id='0' size='14'/>"
                "<Container name='root' inset='10,10,10,10'>"
                "<Control name='fill' padding='2,4,6,8'/>"
                "<Control name='badge' float='true' pos='10,20,110,50' "
                "bkimage=\"file='b.png' dest='0,0,10,10'\" bordersize='2' bordercolor='#FF000000'/>"
                "</Container></Window>",
                {800, 572}),
        nullptr);
    CControlUI* fill = ui.Find("fill");
    CControlUI* badge = ui.Find("badge");
    EXPECT_EQ(fill->GetPos(), (Rect{12, 14, 784, 554}));
    EXPECT_EQ(badge->GetPos(), (Rect{10, 20, 110, 50}));

    EXPECT_FALSE(ui.context.SetDpi(100));  // not a scale of the skin
    EXPECT_EQ(ui.context.Dpi(), 96);
    ASSERT_TRUE(ui.context.SetDpi(144));
    // Laid out again at once, in the same client area.
    EXPECT_EQ(fill->GetPos(), (Rect{18, 21, 776, 545}));
    EXPECT_EQ(badge->GetPos(), (Rect{15, 30, 165, 75}));
    EXPECT_EQ(badge->EstimateSize({}), (Size{150, 45}));
    EXPECT_EQ(badge->GetFixedWidth(), 100);  // kept in skin pixels
    EXPECT_EQ(ui.manager.GetInitSize(), (Size{1200, 858}));
    EXPECT_EQ(ui.manager.GetMinInfo(), (Size{600, 450}));
    EXPECT_EQ(ui.manager.GetCaptionRect(), (Rect{0, 0, 0, 60}));
    EXPECT_EQ(ui.manager.GetFont(0).size, 21);
    EXPECT_EQ(ui.manager.GetFont(-1).size, 21);  // the default font too (14)

    testing::RecordingCanvas canvas;
    ui.manager.Paint(canvas, {0, 0, 800, 572});
    const auto images = canvas.Of(testing::DrawCall::Kind::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].rect, (Rect{15, 30, 30, 45}));
    EXPECT_EQ(images[0].text, "b.png");
    const auto borders = canvas.Of(testing::DrawCall::Kind::Border);
    ASSERT_EQ(borders.size(), 1u);
    EXPECT_EQ(borders[0].width, 3);
}

TEST(ResourceIndex, MapsNamesToFilesAndLeavesFileNamesAlone) {
    test::TempDir dir;
    test::WriteText(
        dir / "res.xml",
        "<Res><Item name='XML_MAIN' file='XML\\main.xml'/>"
        "<Xml><Item name='XML_MENU' path='menu.xml'/><Item file='nameless.xml'/></Xml></Res>");
    test::WriteText(dir / "bad.xml", "<Res><Item name='A' file='a.xml'></Res>");
    ResourceIndex index;
    ASSERT_TRUE(index.Load(dir / "res.xml"));
    EXPECT_EQ(index.Resolve("XML_MAIN"), "XML\\main.xml");
    EXPECT_EQ(index.Resolve("XML_MENU"), "menu.xml");
    EXPECT_EQ(index.Resolve("XML\\other.xml"), "XML\\other.xml");
    EXPECT_FALSE(index.Load(dir / "bad.xml"));
    EXPECT_EQ(index.Resolve("XML_MAIN"), "XML_MAIN");  // emptied
    EXPECT_FALSE(index.Load(dir / "missing.xml"));
}

TEST(ControlFactory, KnowsClassesIgnoringCaseAndByTheirCppNames) {
    UiContext context;
    ControlFactory& factory = context.Factory();
    EXPECT_TRUE(factory.Knows("Control"));  // built in
    EXPECT_TRUE(factory.Knows("CONTAINER"));
    EXPECT_NE(dynamic_cast<CContainerUI*>(factory.Create("container").get()), nullptr);

    factory.Register("CLightControlUI", [] { return std::make_unique<CContainerUI>(); });
    factory.Register("COvantisUSBDevice", [] { return std::make_unique<CContainerUI>(); });
    factory.Register("CDeviceProfileUI", [] { return std::make_unique<CControlUI>(); });
    for (const char* name :
         {"LightControl", "lightcontrol", "CLightControlUI", "OvantisUSBDevice", "DeviceProfile"}) {
        EXPECT_TRUE(factory.Knows(name)) << name;
        EXPECT_NE(factory.Create(name), nullptr) << name;
    }
    // The composite name is another class: the window's callback makes it.
    EXPECT_FALSE(factory.Knows("DeviceProfileUI"));
    EXPECT_EQ(factory.Create("DeviceProfileUI"), nullptr);
    EXPECT_EQ(factory.Create("Nothing"), nullptr);

    factory.Register("Control", [] { return std::make_unique<CContainerUI>(); });  // replaced
    EXPECT_NE(dynamic_cast<CContainerUI*>(factory.Create("control").get()), nullptr);
}

TEST(UiContext, SkinPathsTakeEitherSlash) {
    UiContext context;
    context.SetSkinFolder("/opt/halvorn/skin");
    EXPECT_EQ(context.SkinPath("XML\\CustomControlXML\\LightControl.xml"),
              std::filesystem::path("/opt/halvorn/skin/XML/CustomControlXML/LightControl.xml"));
    EXPECT_EQ(context.SkinPath("common/background.png"),
              std::filesystem::path("/opt/halvorn/skin/common/background.png"));
    EXPECT_EQ(context.SkinPath("/home/user/Pictures/mine.png"),
              std::filesystem::path("/home/user/Pictures/mine.png"));  // chosen by the user
}

}  // namespace
}  // namespace halvorn::ui
