#include "app/device_option.h"

#include "device/supported_interfaces.h"
#include "models/usb_device.h"
#include "platform/trace/trace.h"
#include "platform/ui/builder.h"
#include "platform/ui/event.h"
#include "platform/ui/paint_manager.h"

namespace halvorn {
namespace {

constexpr std::string_view kSelectName = "device_select";
constexpr std::string_view kSynchroName = "synchro_device_select";
constexpr std::string_view kNameName = "device_select_name";

std::string IconFile(const std::string& stem, std::string_view state) {
    return "file='common/device_ico/" + stem + "_device_" + std::string(state) +
           ".png' dest='14,12,46,44'";
}

}  // namespace

std::string_view DeviceIconStem(uint16_t kind, uint16_t variant) {
    switch (kind) {
        case device_kind::kKeyboard:
            return "kb";
        case device_kind::kMouse:
            return "ms";
        case device_kind::kMousePad:
            return variant == 0 ? "hard_mp" : variant == 1 ? "soft_mp" : "unknow";
        case 4:
        case device_kind::kHeadset:
            return "hd";
        default:
            return "unknow";
    }
}

CDeviceOptionUI::~CDeviceOptionUI() {
    if (listening_ != nullptr) listening_->RemoveNotifier(this);
}

bool CDeviceOptionUI::Build(std::string_view layout) {
    ui::CPaintManagerUI* manager = GetManager();
    if (manager == nullptr) {
        error_ = "device entry built outside a window";
        return false;
    }
    ui::CDialogBuilder builder;
    builder.CreateInto(layout, nullptr, *manager, *this);
    error_ = builder.Error();
    select_ = dynamic_cast<ui::COptionUI*>(FindSubControl(kSelectName));
    synchro_ = dynamic_cast<ui::COptionUI*>(FindSubControl(kSynchroName));
    name_ = FindSubControl(kNameName);
    if (select_ == nullptr) {
        if (error_.empty()) error_ = std::string(layout) + ": no " + std::string(kSelectName);
        return false;
    }
    if (listening_ == nullptr) {
        manager->AddNotifier(this);
        listening_ = manager;
    }
    UpdateIcons();
    return true;
}

void CDeviceOptionUI::BindPage(ui::CTabLayoutUI* tabs, int index) {
    pageTabs_ = tabs;
    pageIndex_ = index;
}

void CDeviceOptionUI::BindPower(ui::CTabLayoutUI* tabs, int index) {
    powerTabs_ = tabs;
    powerIndex_ = index;
}

void CDeviceOptionUI::SetGroup(std::string_view group) {
    if (select_ != nullptr) select_->SetGroup(group);
}

void CDeviceOptionUI::SetIcons(uint16_t kind, uint16_t variant) {
    iconStem_ = std::string(DeviceIconStem(kind, variant));
    UpdateIcons();
}

void CDeviceOptionUI::UpdateIcons() {
    if (select_ == nullptr) return;
    const bool synchro = Synchro();
    select_->SetAttribute("foreimage", IconFile(iconStem_, synchro ? "synchro_normal" : "normal"));
    select_->SetAttribute("selectedforeimage",
                          IconFile(iconStem_, synchro ? "synchro_selected" : "selected"));
}

void CDeviceOptionUI::SetDeviceName(std::string_view name) {
    if (name_ != nullptr) {
        name_->SetText(name);
    } else if (select_ != nullptr) {
        select_->SetText(name);
    }
}

std::string CDeviceOptionUI::DeviceName() const {
    if (name_ != nullptr) return name_->GetText();
    return select_ != nullptr ? select_->GetText() : std::string();
}

bool CDeviceOptionUI::IsSelectedEntry() const {
    return select_ != nullptr && select_->IsSelected();
}

void CDeviceOptionUI::SelectEntry(bool select) {
    if (select_ == nullptr) return;
    select_->Selected(select, false);
    if (select) ShowPages();
}

bool CDeviceOptionUI::Synchro() const { return synchro_ != nullptr && synchro_->IsSelected(); }

void CDeviceOptionUI::SetSynchro(bool on) {
    if (synchro_ == nullptr || synchro_->IsSelected() == on) return;
    synchro_->Selected(on, false);
    UpdateIcons();
}

void CDeviceOptionUI::ShowPages() {
    if (pageTabs_ != nullptr && pageIndex_ >= 0) pageTabs_->SelectItem(pageIndex_);
    if (powerTabs_ != nullptr) {
        if (powerIndex_ >= 0) {
            powerTabs_->SetVisible(true);
            powerTabs_->SelectItem(powerIndex_);
        } else {
            powerTabs_->SetVisible(false);
        }
    }
}

void CDeviceOptionUI::Notify(ui::TNotifyUI& msg) {
    if (msg.type != ui::notify_type::kSelectChanged) return;
    if (msg.sender != nullptr && msg.sender == select_ && select_->IsSelected()) {
        ShowPages();
    } else if (msg.sender != nullptr && msg.sender == synchro_) {
        UpdateIcons();
    }
}

void CDeviceOptionUI::Request(int show) {
    if (optionRequest_) optionRequest_(optionIndex_, show);
}

void CDeviceOptionUI::DoEvent(ui::UIEvent& event) {
    if (event.type == ui::UIEventType::Timer && event.sender == this) {
        OnEntryTimer(event.timerId);
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CDeviceOptionUI::OnEntryTimer(int id) {
    if (device_ == nullptr) {
        KillTimer(id);
        return;
    }
    switch (id) {
        case device_timer::kConnect:
            OnConnectTimer();
            break;
        case device_timer::kRefreshLights:
            OnLightTimer();
            break;
        case device_timer::kPowerStatus:
            OnPowerTimer();
            break;
        case device_timer::kReceiverLinkWatch:
            OnLinkWatchTimer();
            break;
        default:
            device_->OnDeviceTimer(id);
            break;
    }
}

void CDeviceOptionUI::OnConnectTimer() {
    KillTimer(device_timer::kConnect);
    ReportProtocol& protocol = device_->CommandProtocol();
    const bool receiver = protocol.ReceiverMode();
    if (receiver && protocol.IsOpen()) {
        if (!device_->IsLinked()) {
            linkFailures_ = (linkFailures_ + 1) % kLinkFailureWrap;
            if (IsVisible()) Request(0);
            SetTimer(device_timer::kConnect, kRelinkDelayMs);
            return;
        }
        Request(1);
    }
    device_->Connect();
    linkFailures_ = 0;
    // Without an open channel there is nothing to refresh or poll; the next
    // attach starts the timers again.
    if (!protocol.IsOpen()) return;
    lightRefreshMs_ = receiver ? kLightRefreshReceiverMs : device_->LightRefreshMs();
    SetTimer(device_timer::kRefreshLights, lightRefreshMs_);
    if (device_->HasBattery()) SetTimer(device_timer::kPowerStatus, kPowerFirstMs);
    if (receiver) SetTimer(device_timer::kReceiverLinkWatch, kLinkWatchFirstMs);
}

void CDeviceOptionUI::OnLightTimer() {
    if (!device_->CommandProtocol().IsOpen()) {
        KillTimer(device_timer::kRefreshLights);
        return;
    }
    // The dots that changed repaint themselves; the picture as a whole is
    // not painted again every 5 ms.
    device_->OnDeviceTimer(device_timer::kRefreshLights);
    if (device_->CommandProtocol().ReceiverMode()) return;
    // A streamed effect needs the 5 ms frames; a preview is smooth at 60 Hz.
    if (const int period = device_->LightRefreshMs(); period != lightRefreshMs_) {
        lightRefreshMs_ = period;
        SetTimer(device_timer::kRefreshLights, period);
    }
}

void CDeviceOptionUI::OnPowerTimer() {
    if (!device_->HasBattery()) {
        KillTimer(device_timer::kPowerStatus);
        return;
    }
    device_->OnDeviceTimer(device_timer::kPowerStatus);
    // The first read comes soon after the connect, then every few seconds.
    SetTimer(device_timer::kPowerStatus, kPowerPeriodMs);
}

void CDeviceOptionUI::OnLinkWatchTimer() {
    ReportProtocol& protocol = device_->CommandProtocol();
    if (!protocol.ReceiverMode()) {
        if (protocol.IsOpen()) Trace("2.4gcesvdfherhue  12312423");
        KillTimer(device_timer::kReceiverLinkWatch);
        return;
    }
    const bool linked = protocol.IsOpen() && device_->IsLinked();
    if (linked && !IsVisible()) {
        Request(1);
        if (device_->HasBattery()) device_->ReadPowerStatus();
        Trace("2.4gcesvdfherhue  12312423 123342341");
    } else if (!linked && IsVisible()) {
        Request(0);
        Trace("2.4gcesvdfherhue");
    }
    SetTimer(device_timer::kReceiverLinkWatch, kLinkWatchPeriodMs);
}

}  // namespace halvorn
