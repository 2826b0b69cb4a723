#include "app/main_wnd.h"

#include <json/value.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/message_ids.h"
#include "device/supported_interfaces.h"
#include "models/keyboard_device.h"
#include "panels/device_profile_ui.h"
#include "platform/fs/json_file.h"
#include "platform/ipc/ipc_bus.h"
#include "platform/settings/settings_file.h"
#include "platform/trace/trace.h"
#include "windows/msg_wnd.h"

namespace halvorn {
namespace {

static_assert(message::kMenuClick == ui::window_message::kMenuClick);

constexpr std::string_view kNoDeviceName = "No_device_Link";
constexpr std::string_view kLightStatusName = "control_light_status";
constexpr std::string_view kInitialLanguageFile = "lan_cn.xml";
constexpr uintptr_t kTrayIconId = 1;
constexpr int kRaiseMs = 10;

bool IsGameMessage(uint32_t message) {
    for (std::string_view name : {"Game_Start", "Game_End", "Game_Kill", "Game_Death"}) {
        if (message == HookMessageId(name)) return true;
    }
    return false;
}

}  // namespace

CMainWnd::CMainWnd(ui::UiContext& context, loop::MessageLoop& loop, ui::IWindowSystem& system,
                   MainWndEnvironment env)
    : WindowImplBase(context, loop, system), env_(std::move(env)), watcher_(env_.backend) {}

CMainWnd::~CMainWnd() { Shutdown(); }

void CMainWnd::InitWindow() {
    Trace("InitWindow");
    const std::string initial = Context().Resources().Resolve(kInitialLanguageFile);
    Context().SwitchLanguage("cn", Context().SkinPath(initial));
    ui::TrayIconSpec icon;
    icon.icon = Context().SkinPath("images/app_icon.svg");
    icon.toolTip = std::string(kProgramName);
    icon.callbackMessage = message::kTrayIcon;
    icon.id = kTrayIconId;
    tray_ = System().CreateTrayIcon(Loop(), Id(), icon);
}

void CMainWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.type != "timer" && TraceEnabled()) {
        Trace("notify " + msg.type + " " + (msg.sender ? msg.sender->GetName() : std::string()));
    }
    if (msg.type == "click_wpremove" || msg.type == "click_wpedit") return;
    if (msg.type == "windowinit") {
        OnWindowInit();
    } else if (msg.type == "click") {
        OnClick(msg);
    }
    RouteToPanels(msg);
    WindowImplBase::Notify(msg);
}

void CMainWnd::OnWindowInit() {
    if (devices_) return;  // once per window
    if (env_.ipc != nullptr) env_.ipc->NotifyLightOwner(1, 1);
    SetLanguage(ReadLanguageSetting());
    devices_ = std::make_unique<DeviceList>(DeviceListEnvironment{
        .manager = PaintManager(),
        .root = PaintManager().GetRoot(),
        .backend = env_.backend,
        .watcher = watcher_,
        .dataRoot = env_.dataRoot,
        .defaultData = env_.defaultData,
        .skinFolder = Context().SkinFolder(),
        .ownerWindow = Id(),
        .bringToFront = [this] { BringToFront(); },
    });
    devices_->CreateStartPages();
    screen_ = System().ScreenSize(Frame());
    ShowWindow(false);
    // The window shows itself when the first scan ends (the instance message).
    if (!watcher_.Start(Loop(), Id())) Trace("the device watcher did not start");
    SetTimer(kScaleTimer, kScaleTimerMs);
}

void CMainWnd::OnClick(ui::TNotifyUI& msg) {
    if (msg.sender == nullptr) return;
    const std::string& name = msg.sender->GetName();
    if (name == "closebtn") {
        HideToTray();
    } else if (name == "nodevice_ok_btn") {
        ShowWindow(false);
    } else if (name == "minbtn") {
        if (Frame() != nullptr) Frame()->Minimize();
    } else if (name == kLightStatusName) {
        lightControlOn_ = !lightControlOn_;
        if (env_.ipc != nullptr) env_.ipc->NotifyLightOwner(1, lightControlOn_ ? 1 : 0);
        if (devices_) {
            for (COvantisUSBDevice* page : devices_->Pages())
                page->SetLightControl(lightControlOn_);
        }
    } else if (name == "setbtn") {
        // The settings window joins here.
    } else if (name == "skinbtn") {
        // The skin frame joins here.
    }
}

CDeviceProfileUI* CMainWnd::ProfilePanelOf(COvantisUSBDevice* page) {
    if (page == nullptr) return nullptr;
    for (ui::CControlUI* found : PaintManager().FindSubControlsByClass(page, "DeviceProfile")) {
        auto* panel = dynamic_cast<CDeviceProfileUI*>(found);
        if (panel == nullptr) continue;
        panel->SetPrompts(this);
        panel->SetFileDialogs(env_.fileDialogs, Frame());
        panel->SetProfileHandler([page, panel](ProfileEvent) {
            if (auto* keyboard = dynamic_cast<COvantisKeyboardDevice*>(page)) {
                keyboard->SetProfileUuid(panel->GetCurrentUUID());
            }
            page->LoadProfileFiles();
            page->ApplyProfile();
        });
        return panel;
    }
    return nullptr;
}

// By control name to the panel of the current page; nothing without one.
bool CMainWnd::RouteToPanels(ui::TNotifyUI& msg) {
    if (!devices_ || msg.sender == nullptr) return false;
    COvantisUSBDevice* page = devices_->CurrentDevice();
    if (page == nullptr) return false;
    if (CDeviceProfileUI* profile = ProfilePanelOf(page)) {
        if (profile->HandleNotify(msg)) return true;
    }
    // Lighting panel ("deng_*", "light_combo_*", "color_option_*"): joins here.
    // Key assignment ("key_*", "keyset_*"): joins here.
    // Macro editor ("macro_*"): joins here.
    // Performance and system panels ("DPI_*", "repeat_*", "pointer_*"): join here.
    // Recoil, headset and audio-lighting panels: join here.
    return false;
}

intptr_t CMainWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                       bool& handled) {
    handled = true;
    const RegisteredMessages& registered = Registered();
    if (message == registered.instance) {
        char text[96];
        std::snprintf(text, sizeof text, "instance message %u, %zx %zx", message,
                      static_cast<size_t>(wParam), static_cast<size_t>(lParam));
        Trace(text);
        BringToFront();
        return 0;
    }
    if (message == registered.settingsRelay) return 0;  // no settings window open
    if (message == registered.lightOwnerRequest) {
        if (wParam == 1 && devices_) {
            lightControlOn_ = lParam != 0;
            for (COvantisUSBDevice* page : devices_->Pages())
                page->SetLightControl(lightControlOn_);
        }
        return 0;
    }
    switch (message) {
        case ui::window_message::kDestroy:
            Trace("main window destroyed");
            Shutdown();
            Loop().Quit(0);
            return 0;
        case ui::window_message::kClose:
            EndApp();
            return 0;
        case kPowerBroadcast:
            OnPowerBroadcast(wParam);
            return 1;
        default:
            break;
    }
    if (suspended_) {
        if (message == message::kDeviceArrived || message == message::kDeviceRemoved) {
            heldDeviceChanges_.emplace_back(message, static_cast<std::size_t>(wParam));
            return 1;
        }
        // Ignored until resume; left unhandled so that the base still
        // releases menu records.
        handled = false;
        return 0;
    }
    handled = RouteWhileAwake(message, wParam, lParam);
    return handled && (message == message::kDeviceArrived || message == message::kDeviceRemoved)
               ? 1
               : 0;
}

// Hook, game, private and data messages: none of them while suspended.
bool CMainWnd::RouteWhileAwake(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (IsGameMessage(message)) {
        OnGameEvent(wParam, lParam);
        return true;
    }
    switch (message) {
        case message::kDeviceArrived:
            if (devices_) devices_->OnDeviceArrived(wParam);
            return true;
        case message::kDeviceRemoved:
            if (devices_) devices_->OnDeviceRemoved(wParam);
            return true;
        case message::kDeviceOption:
            if (devices_) devices_->OnDeviceOption(static_cast<int>(wParam), lParam != 0 ? 1 : 0);
            return true;
        case message::kSetLanguage:
            SetLanguage(static_cast<int>(wParam));
            return true;
        case message::kTrayIcon:
            OnTrayIcon(lParam);
            return true;
        case message::kMenuClick:
            if (std::unique_ptr<ui::MenuCmd> command = TakeMenuClick(lParam)) {
                OnMenuClick(*command);
            }
            return true;
        case message::kShowProgress:
            if (ui::CControlUI* progress = PaintManager().FindControl("setting_progress")) {
                progress->SetVisible(true);
            }
            return true;
        case message::kDpiTrace:
            Trace("UI DPI changed");
            return true;
        case message::kDeviceProfileChanged:
        case message::kPowerRead:
        case message::kReserved3330:
        case message::kShowSettings:  // the settings window joins here
        case message::kUpdateSeen:
        case message::kHookControl:  // the input hooks join here
            return true;
        case ipc::kCopyDataMessage: {
            const auto* copy = reinterpret_cast<const ipc::CopyData*>(lParam);
            if (copy == nullptr || copy->data.empty() || !devices_) return true;
            auto keyboards = devices_->PagesOfKind(device_kind::kKeyboard);
            if (keyboards.empty()) return true;
            // Audio levels: six 32-bit values. The spectrum (kind 1) joins
            // with the music lighting.
            if (copy->kind == 2 && copy->data.size() == 6 * sizeof(int32_t)) {
                std::array<int32_t, 6> levels{};
                std::memcpy(levels.data(), copy->data.data(), copy->data.size());
                keyboards.front()->AudioLevelsInput(levels);
            }
            return true;
        }
        default:
            break;
    }
    return false;
}

void CMainWnd::OnTimer(int id) {
    KillTimer(id);
    switch (id) {
        case kScaleTimer:
            ApplyUiScale();
            break;
        case kTrayMenuTimer:
            ShowTrayMenu();
            break;
        case kGameLightTimer:
            RestoreSavedLighting();
            break;
        case kRaiseTimer:
            if (Frame() != nullptr) Frame()->SetTopmost(false);
            break;
        default:
            break;
    }
}

std::unique_ptr<ui::CControlUI> CMainWnd::CreateControl(std::string_view className) {
    (void)className;  // pages come from the device list, panels from the factory
    return nullptr;
}

void CMainWnd::RefreshNoDeviceNotice() {
    ui::CControlUI* notice = PaintManager().FindControl(kNoDeviceName);
    if (notice == nullptr) return;
    notice->SetVisible(!devices_ || devices_->VisibleEntryCount() == 0);
}

void CMainWnd::SetPowerPollPaused(bool paused) {
    if (!devices_) return;
    for (COvantisUSBDevice* page : devices_->Pages()) page->SetPowerPollPaused(paused);
}

void CMainWnd::BringToFront() {
    if (IsDestroyed() || Frame() == nullptr) return;
    RefreshNoDeviceNotice();
    SetPowerPollPaused(false);
    Frame()->Restore();
    ShowWindow(true);
    Frame()->Raise();
    // Topmost for a moment: comes to the front without staying above others.
    Frame()->SetTopmost(true);
    SetTimer(kRaiseTimer, kRaiseMs);
    PaintManager().Invalidate();
}

int CMainWnd::UiDpiFor(ui::Size screen) {
    return screen.cx > kLargeScreenAbove.cx && screen.cy > kLargeScreenAbove.cy ? kLargeDpi
                                                                                : kNormalDpi;
}

void CMainWnd::ApplyUiScale() {
    if (IsDestroyed() || Frame() == nullptr) return;
    const bool shown = IsVisible() && !Frame()->IsMinimized();
    // A minimised window is restored so that it takes the new size; a hidden
    // one is sized as it is, without showing it.
    if (Frame()->IsMinimized()) Frame()->Restore();
    uiDpi_ = UiDpiFor(System().ScreenSize(Frame()));
    // Windows keep their pixel size when the scale changes: size this one
    // again for it.
    Context().SetDpi(uiDpi_);
    ResizeClient(kInitialSize);
    CenterWindow();
    ShowWindow(shown, false);
    PaintManager().Invalidate();
}

void CMainWnd::OnPowerBroadcast(uintptr_t event) {
    if (event == kPowerSuspend) {
        suspended_ = true;
        if (devices_) {
            for (COvantisUSBDevice* page : devices_->Pages()) page->SetLightControl(false);
        }
    } else if (event == kPowerResume && suspended_) {
        suspended_ = false;
        if (devices_) {
            for (COvantisUSBDevice* page : devices_->Pages())
                page->SetLightControl(lightControlOn_);
        }
        std::vector<std::pair<uint32_t, std::size_t>> held;
        held.swap(heldDeviceChanges_);
        for (const auto& [message, slot] : held) {
            if (!devices_) break;
            if (message == message::kDeviceRemoved) {
                devices_->OnDeviceRemoved(slot);
            } else if (slot < kSupportedInterfaceCount && watcher_.Slots()[slot].occupied != 0) {
                devices_->OnDeviceArrived(slot);  // unless it went again meanwhile
            }
        }
    }
}

void CMainWnd::HideToTray() {
    ShowWindow(false);
    SetPowerPollPaused(true);
}

void CMainWnd::OnTrayIcon(intptr_t mouseMessage) {
    if (mouseMessage == ui::tray_event::kLeftButtonUp) {
        RefreshNoDeviceNotice();
        if (IsVisible() && Frame() != nullptr && !Frame()->IsMinimized()) {
            HideToTray();
        } else {
            ShowWindow(true);
            ApplyUiScale();  // the screen may have changed while hidden
            BringToFront();
        }
    } else if (mouseMessage == ui::tray_event::kRightButtonUp) {
        SetTimer(kTrayMenuTimer, 10);
    }
}

void CMainWnd::ShowTrayMenu() {
    trayMenu_.reset();
    std::string error;
    trayMenu_ = ui::CMenuWnd::Load(Context(), "menu.xml", &error);
    if (!trayMenu_) {
        Trace("tray menu: " + error);
        return;
    }
    // The desktop keeps the menu on the screen; no taskbar to step around.
    trayMenu_->Show(*this, System().CursorPos(), ui::menu_align::kLeft | ui::menu_align::kTop);
}

void CMainWnd::OnMenuClick(const ui::MenuCmd& command) {
    if (command.name == "exit") {
        EndApp();
    } else if (command.name == "showwnd_menu") {
        BringToFront();
    } else if (command.name == "setwnd_menu") {
        // The settings window joins here.
    } else if (command.name == "about_menu") {
        // The about window joins here.
    }
}

void CMainWnd::EndApp() {
    if (ending_) return;
    ending_ = true;
    tray_.reset();
    Close(0);  // destroy: the threads stop and the loop ends
}

void CMainWnd::OnGameEvent(uintptr_t wParam, intptr_t lParam) {
    COvantisUSBDevice* page = devices_ ? devices_->CurrentDevice() : nullptr;
    if (page != nullptr && wParam <= 2) {
        page->SetSyncLighting(false);
        // The lighting panel's effect selection joins here.
        LightModeRecord record = page->GetLightInfo();
        // Remember the user's effect when no game effect is showing, so that
        // the end of the event returns to it rather than to a stale value.
        if (!gameLightShowing_) record.oldLedMode = record.selectItem;
        if (wParam == 0 && (record.oldLedMode == 0 || record.oldLedMode > 20)) {
            record.oldLedMode = 1;
        }
        record.selectItem = static_cast<uint8_t>(lParam);
        page->SetLightInfo(record);
        page->SaveProfile();
        page->ApplyProfile();
        page->WriteSettings(0, 0, 1, screen_.cx, screen_.cy);
        gameLightShowing_ = true;
    }
    KillTimer(kGameLightTimer);
    SetTimer(kGameLightTimer, kGameLightMs);
}

void CMainWnd::RestoreSavedLighting() {
    gameLightShowing_ = false;
    COvantisUSBDevice* page = devices_ ? devices_->CurrentDevice() : nullptr;
    if (page == nullptr) return;
    page->SetSyncLighting(false);
    LightModeRecord record = page->GetLightInfo();
    record.selectItem = record.oldLedMode;
    page->SetLightInfo(record);
    page->SaveProfile();
    page->ApplyProfile();
    page->WriteSettings(0, 0, 1, screen_.cx, screen_.cy);
}

int CMainWnd::ReadLanguageSetting() const {
    if (env_.settingsFile.empty()) return 0;
    const int id = SettingsFile(env_.settingsFile).Language(-1);
    const Json::Value config = ReadJsonValue(env_.defaultData / "Language.config");
    const Json::Value& list = config["Language"];
    if (id < 0 || !list.isArray()) return 0;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        if (list[i]["Language_ID"].isInt() && list[i]["Language_ID"].asInt() == id) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

void CMainWnd::SetLanguage(int index) {
    if (index == languageIndex_) return;
    const Json::Value config = ReadJsonValue(env_.defaultData / "Language.config");
    const Json::Value& list = config["Language"];
    if (!list.isArray() || index < 0 || static_cast<Json::ArrayIndex>(index) >= list.size()) {
        Trace("language " + std::to_string(index) + " is not in Language.config");
        return;
    }
    const Json::Value& entry = list[static_cast<Json::ArrayIndex>(index)];
    const std::string file = Context().Resources().Resolve(entry["Language_file"].asString());
    if (!Context().SwitchLanguage(entry["Language_name"].asString(), Context().SkinPath(file))) {
        Trace("language file missing: " + file);  // the current texts stay
        return;
    }
    languageIndex_ = index;
    if (!env_.settingsFile.empty() && entry["Language_ID"].isInt()) {
        SettingsFile(env_.settingsFile).SetLanguage(entry["Language_ID"].asInt());
    }
    PaintManager().Invalidate();
}

bool CMainWnd::Confirm(std::string_view textId) {
    return ShowMessage(*this, "", textId, Context().Dpi(), MessageText::kKey,
                       MessageButtons::kConfirmCancel) == 1;
}

void CMainWnd::Inform(std::string_view textId, std::optional<int> arg) {
    if (arg) {
        ShowFormattedMessage(MessageEnv::Of(*this), this, textId, *arg, Context().Dpi());
    } else {
        ShowMessage(*this, "", textId, Context().Dpi(), MessageText::kKey,
                    MessageButtons::kConfirm);
    }
}

void CMainWnd::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    KillTimer(kGameLightTimer);
    watcher_.Stop();  // gives up a report in flight at once
    if (devices_) devices_->StopAll();
}

}  // namespace halvorn
