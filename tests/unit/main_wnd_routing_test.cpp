// The main window on the headless window system and the fake loop, with the
// program's skin and no devices: the UI scale from the screen size, the
// language switch and the suspended state.

#include "app/main_wnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/message_ids.h"
#include "controls/picture_controls.h"
#include "panels/register_panels.h"
#include "platform/hid/virtual_backend.h"
#include "platform/hid/virtual_hub.h"
#include "platform/loop/fake_loop.h"
#include "platform/settings/settings_file.h"
#include "platform/ui/headless_window_system.h"
#include "platform/ui/tray_icon.h"
#include "platform/ui/ui_context.h"
#include "tests/support/profile_test_files.h"

namespace halvorn {
namespace {

using namespace std::chrono_literals;

std::filesystem::path RepoFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

class NoDevices : public hid::VirtualHub {
public:
    std::vector<hid::VirtualInterface> List() override { return {}; }
    UniqueFd Connect(const std::string&, int) override { return UniqueFd(); }
};

class MainWndRoutingTest : public ::testing::Test {
protected:
    MainWndRoutingTest() {
        RegisterPictureControls(context.Factory());
        RegisterPanelControls(context.Factory());
        context.SetSkinFolder(RepoFolder() / "skin");
        context.Resources().Load(RepoFolder() / "skin" / "res.xml");
        std::filesystem::create_directories(data.Path() / "user");
    }

    ~MainWndRoutingTest() override {
        if (window) window->Shutdown();
    }

    // Makes the window and runs until the first scan has shown it.
    void Open(ui::Size screen) {
        system.SetScreenSize(screen);
        window = std::make_unique<CMainWnd>(context, loop, system,
                                            MainWndEnvironment{
                                                .backend = backend,
                                                .dataRoot = data.Path() / "user",
                                                .defaultData = RepoFolder() / "DefaultData",
                                                .settingsFile = SettingsPath(),
                                            });
        ASSERT_TRUE(window->Create(nullptr, kProgramName)) << window->CreateError();
        frame = system.FrameOf(*window);
        ASSERT_NE(frame, nullptr);
        for (int i = 0; i < 500 && !frame->IsShown(); ++i) loop.RunPendingWithin(10ms);
        ASSERT_TRUE(frame->IsShown()) << "the first scan did not end";
    }

    std::filesystem::path SettingsPath() const { return data.Path() / "settings.ini"; }

    void ClickTray() {
        ASSERT_EQ(system.TrayIcons().size(), 1u);
        system.TrayIcons().front()->Click(ui::tray_event::kLeftButtonUp);
        loop.RunPending();
    }

    void Power(uintptr_t event) { window->SendMessage(CMainWnd::kPowerBroadcast, event); }

    test::TempDir data;
    NoDevices hub;
    hid::VirtualBackend backend{hub};
    ui::UiContext context;
    loop::FakeLoop loop;
    ui::HeadlessWindowSystem system{loop};
    std::unique_ptr<CMainWnd> window;
    ui::HeadlessFrame* frame = nullptr;
};

struct ScaleCase {
    ui::Size screen;
    int dpi;
    ui::Size client;  // the layout's 800 x 572 at that scale
};

class MainWndScaleTest : public MainWndRoutingTest,
                         public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(MainWndScaleTest, ScaleTimerSizesWindowForScreen) {
    const ScaleCase& c = GetParam();
    Open(c.screen);
    loop.Advance(std::chrono::milliseconds(CMainWnd::kScaleTimerMs));
    loop.RunPending();
    EXPECT_EQ(window->UiDpi(), c.dpi);
    EXPECT_EQ(context.Dpi(), c.dpi);
    EXPECT_EQ(frame->ClientSize(), c.client);
    EXPECT_EQ(window->PaintManager().GetClientSize(), c.client);
    const ui::Rect at = frame->ScreenRect();
    EXPECT_EQ(at.left, (c.screen.cx - c.client.cx) / 2);
    EXPECT_EQ(at.top, (c.screen.cy - c.client.cy) / 2);
    EXPECT_TRUE(frame->IsShown());
}

INSTANTIATE_TEST_SUITE_P(Screens, MainWndScaleTest,
                         ::testing::Values(ScaleCase{{1920, 1080}, 144, {1200, 858}},
                                           ScaleCase{{1366, 768}, 96, {800, 572}},
                                           // Both sides must exceed the limit.
                                           ScaleCase{{1501, 960}, 96, {800, 572}},
                                           ScaleCase{{1501, 961}, 144, {1200, 858}}));

TEST_F(MainWndRoutingTest, ScaleChangeResizesOpenWindowAndKeepsItHidden) {
    Open({1920, 1080});
    window->ApplyUiScale();
    ASSERT_EQ(frame->ClientSize(), (ui::Size{1200, 858}));

    ClickTray();  // to the tray
    ASSERT_FALSE(frame->IsShown());
    system.SetScreenSize({1366, 768});
    window->ApplyUiScale();
    EXPECT_EQ(context.Dpi(), 96);
    EXPECT_EQ(frame->ClientSize(), (ui::Size{800, 572}));
    EXPECT_FALSE(frame->IsShown());

    // Shown from the tray on the larger screen again: scaled up as it shows.
    system.SetScreenSize({2560, 1440});
    ClickTray();
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(context.Dpi(), 144);
    EXPECT_EQ(frame->ClientSize(), (ui::Size{1200, 858}));
}

TEST_F(MainWndRoutingTest, MinimisedWindowEndsHiddenAfterScale) {
    Open({1920, 1080});
    frame->Minimize();
    window->ApplyUiScale();
    EXPECT_FALSE(frame->IsShown());
    EXPECT_FALSE(frame->IsMinimized());
    EXPECT_EQ(frame->ClientSize(), (ui::Size{1200, 858}));
}

TEST_F(MainWndRoutingTest, SameLanguageAgainChangesNothing) {
    Open({1366, 768});
    window->SetLanguage(1);  // "en", id 1033
    ASSERT_EQ(window->LanguageIndex(), 1);
    ASSERT_EQ(SettingsFile(SettingsPath()).Language(-1), 1033);

    // A second call must neither store the setting nor reload the texts.
    std::filesystem::remove(SettingsPath());
    context.Language().SetLanguageName("marker");
    window->SendMessage(message::kSetLanguage, 1);
    window->SetLanguage(1);
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
    EXPECT_EQ(context.Language().LanguageName(), "marker");

    window->SetLanguage(0);
    EXPECT_EQ(window->LanguageIndex(), 0);
    EXPECT_EQ(SettingsFile(SettingsPath()).Language(-1), 2052);
}

TEST_F(MainWndRoutingTest, SuspendedWindowIgnoresArrivalsAndTrayUntilResume) {
    Open({1366, 768});
    ClickTray();
    ASSERT_FALSE(frame->IsShown());
    const std::size_t pages = window->Devices()->Pages().size();

    Power(CMainWnd::kPowerSuspend);
    EXPECT_TRUE(window->IsSuspended());
    EXPECT_EQ(window->SendMessage(message::kDeviceArrived, 0), 1);  // taken, held
    ClickTray();
    window->SendMessage(HookMessageId("Game_Start"), 0, 3);
    EXPECT_FALSE(frame->IsShown());
    EXPECT_EQ(window->Devices()->Pages().size(), pages);

    Power(CMainWnd::kPowerResume);
    EXPECT_FALSE(window->IsSuspended());
    // The held arrival is for a slot the watcher no longer holds: dropped.
    EXPECT_EQ(window->Devices()->Pages().size(), pages);
    EXPECT_FALSE(frame->IsShown());
    ClickTray();
    EXPECT_TRUE(frame->IsShown());
}

TEST_F(MainWndRoutingTest, ResumeWithoutSuspendAndRepeatedSuspendAreHarmless) {
    Open({1366, 768});
    Power(CMainWnd::kPowerResume);
    EXPECT_FALSE(window->IsSuspended());
    Power(CMainWnd::kPowerSuspend);
    Power(CMainWnd::kPowerSuspend);
    EXPECT_TRUE(window->IsSuspended());
    Power(CMainWnd::kPowerResume);
    EXPECT_FALSE(window->IsSuspended());
    ClickTray();
    EXPECT_FALSE(frame->IsShown());  // the tray works again: shown -> hidden
}

}  // namespace
}  // namespace halvorn
