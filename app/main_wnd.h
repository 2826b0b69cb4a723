#pragma once

// The program's main window: the skin's main layout, the device watcher and
// the device list, the tray icon and its menu, the language, and the single
// entry for every window message and notification. Notifications go by
// control name to the panel of the current device page.
//
// Life: Create (hidden) -> "windowinit" starts the watcher -> the watcher's
// first scan ends with the instance message, which shows the window ->
// "closebtn" hides it to the tray, the tray icon or a second start shows it
// again -> "exit" or the desktop's close ends the loop -> Shutdown stops and
// joins every thread (also run by the destructor).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/device_list.h"
#include "device/device_watcher.h"
#include "panels/prompts.h"
#include "platform/hid/backend.h"
#include "platform/ui/file_dialogs.h"
#include "platform/ui/menu.h"
#include "platform/ui/tray_icon.h"
#include "platform/ui/window.h"

namespace halvorn {

namespace ipc {
class IpcEndpoint;
}

class CDeviceProfileUI;

struct MainWndEnvironment {
    hid::Backend& backend;
    std::filesystem::path dataRoot;      // the user data folder ("Halvorn Device")
    std::filesystem::path defaultData;   // the program's DefaultData
    std::filesystem::path settingsFile;  // where LANGUAGE is kept; empty: not remembered
    ipc::IpcEndpoint* ipc = nullptr;     // the lighting-owner notice goes out here
    ui::IFileDialogs* fileDialogs = nullptr;
};

class CMainWnd : public ui::WindowImplBase, private IPrompts {
public:
    static constexpr ui::Size kInitialSize{800, 572};
    static constexpr int kScaleTimer = 1011;
    static constexpr int kTrayMenuTimer = 1032;
    static constexpr int kGameLightTimer = 1066;
    static constexpr int kGameLightMs = 5000;
    static constexpr int kRaiseTimer = 1077;  // the end of the short topmost raise
    static constexpr int kScaleTimerMs = 100;
    // Screens larger than this in both directions get the large UI scale.
    static constexpr ui::Size kLargeScreenAbove{1500, 960};
    static constexpr int kNormalDpi = 96;
    static constexpr int kLargeDpi = 144;
    // The power broadcast, numbered as the desktop numbers it: wParam is the
    // event. Whoever watches the system's sleep sends it to the window.
    static constexpr uint32_t kPowerBroadcast = 0x0218;
    static constexpr uintptr_t kPowerSuspend = 4;
    static constexpr uintptr_t kPowerResume = 18;

    CMainWnd(ui::UiContext& context, loop::MessageLoop& loop, ui::IWindowSystem& system,
             MainWndEnvironment env);
    ~CMainWnd() override;

    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() const override { return "XML_MAIN"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    void OnTimer(int id) override;
    std::unique_ptr<ui::CControlUI> CreateControl(std::string_view className) override;

    // Shows, restores and raises the window; refreshes the no-device notice.
    void BringToFront();
    // Applies language `index` of "Language.config"; the same index again
    // changes nothing.
    void SetLanguage(int index);
    int LanguageIndex() const { return languageIndex_; }
    // The index the settings name, 0 when nothing matches.
    int ReadLanguageSetting() const;

    // The UI scale for a screen of `screen` pixels: 144 or 96.
    static int UiDpiFor(ui::Size screen);
    // Picks the scale from the window's screen, applies it to every window and
    // sizes this one to the layout's size at that scale, centred; the window
    // keeps its shown or hidden state (a minimised one ends hidden).
    void ApplyUiScale();
    int UiDpi() const { return uiDpi_; }
    bool IsSuspended() const { return suspended_; }

    // Stops the watcher and every page's threads; idempotent.
    void Shutdown();

    DeviceList* Devices() const { return devices_.get(); }
    DeviceWatcher& Watcher() { return watcher_; }
    ui::ITrayIcon* TrayIcon() const { return tray_.get(); }
    ui::CMenuWnd* TrayMenu() const { return trayMenu_.get(); }

private:
    // IPrompts through the message window.
    bool Confirm(std::string_view textId) override;
    void Inform(std::string_view textId, std::optional<int> arg) override;

    void OnWindowInit();
    void OnClick(ui::TNotifyUI& msg);
    bool RouteToPanels(ui::TNotifyUI& msg);
    CDeviceProfileUI* ProfilePanelOf(COvantisUSBDevice* page);
    void OnMenuClick(const ui::MenuCmd& command);
    void OnTrayIcon(intptr_t mouseMessage);
    void ShowTrayMenu();
    void HideToTray();
    void RefreshNoDeviceNotice();
    void SetPowerPollPaused(bool paused);
    void OnGameEvent(uintptr_t wParam, intptr_t lParam);
    void RestoreSavedLighting();
    void EndApp();
    void OnPowerBroadcast(uintptr_t event);
    bool RouteWhileAwake(uint32_t message, uintptr_t wParam, intptr_t lParam);

    MainWndEnvironment env_;
    DeviceWatcher watcher_;
    std::unique_ptr<DeviceList> devices_;  // after watcher_: goes first
    std::unique_ptr<ui::ITrayIcon> tray_;
    std::unique_ptr<ui::CMenuWnd> trayMenu_;
    int languageIndex_ = -1;
    bool lightControlOn_ = true;
    ui::Size screen_{};
    bool gameLightShowing_ = false;
    int uiDpi_ = kNormalDpi;
    bool suspended_ = false;
    // Device arrivals and removals (message, slot) that came while suspended;
    // replayed on resume, since the watcher reports each change only once.
    std::vector<std::pair<uint32_t, std::size_t>> heldDeviceChanges_;
    bool shutDown_ = false;
    bool ending_ = false;
};

}  // namespace halvorn
