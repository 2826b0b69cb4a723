#pragma once

// One entry of the device list ("device_select_layout"): a select button
// with the device's icon and name that switches the page tab "device_switch"
// (and the power tab) to its device, and a check option that puts the device
// into synchronised lighting. The device's page timers run on the entry; the
// link checks of a device on its receiver (1001, 1007) are decided here, the
// rest is the page's own work.
//
// UI thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/ui/controls/layouts.h"
#include "platform/ui/controls/option.h"
#include "platform/ui/notify.h"

namespace halvorn {

class COvantisUSBDevice;

class CDeviceOptionUI : public ui::CHorizontalLayoutUI, public ui::INotifyUI {
public:
    static constexpr int kConnectDelayMs = 500;
    static constexpr int kRelinkDelayMs = 3000;
    static constexpr int kLightRefreshCableMs = 5;
    static constexpr int kLightRefreshReceiverMs = 500;
    static constexpr int kPowerFirstMs = 50;
    static constexpr int kPowerPeriodMs = 5000;
    static constexpr int kLinkWatchFirstMs = 2000;
    static constexpr int kLinkWatchPeriodMs = 3000;
    static constexpr int kLinkFailureWrap = 20;

    CDeviceOptionUI() = default;
    ~CDeviceOptionUI() override;

    std::string_view GetClass() const override { return "DeviceOption"; }

    // Builds the entry's content from `layout` (the entry must be in a
    // window) and starts listening to its own buttons. False when the layout
    // has no "device_select" option; Error() tells why.
    bool Build(std::string_view layout);
    const std::string& Error() const { return error_; }

    void SetDevice(COvantisUSBDevice* device) { device_ = device; }
    COvantisUSBDevice* Device() const { return device_; }
    // The tab layouts it switches and the index of its page in each; a
    // power index below 0 hides the power tab while the entry is selected.
    void BindPage(ui::CTabLayoutUI* tabs, int index);
    void BindPower(ui::CTabLayoutUI* tabs, int index);
    int PageIndex() const { return pageIndex_; }
    int PowerIndex() const { return powerIndex_; }
    void SetOptionIndex(int index) { optionIndex_ = index; }
    int OptionIndex() const { return optionIndex_; }

    void SetGroup(std::string_view group);
    void SetIcons(uint16_t kind, uint16_t variant);
    const std::string& IconStem() const { return iconStem_; }
    void SetDeviceName(std::string_view name);
    std::string DeviceName() const;

    // The select button: selecting switches the bound tab layouts.
    bool IsSelectedEntry() const;
    void SelectEntry(bool select);
    bool Synchro() const;
    void SetSynchro(bool on);
    int LinkFailures() const { return linkFailures_; }

    // Asks the window to show (1) or drop (0) the entry with this option
    // index (the device-option message). Without one nothing is asked.
    using OptionRequest = std::function<void(int optionIndex, int show)>;
    void SetOptionRequest(OptionRequest request) { optionRequest_ = std::move(request); }

    void DoEvent(ui::UIEvent& event) override;
    void Notify(ui::TNotifyUI& msg) override;

    // The entry's own timers, for tests and the list.
    void OnEntryTimer(int id);

private:
    void OnConnectTimer();
    void OnLinkWatchTimer();
    void OnLightTimer();
    void OnPowerTimer();
    void ShowPages();
    void UpdateIcons();
    void Request(int show);

    COvantisUSBDevice* device_ = nullptr;
    ui::COptionUI* select_ = nullptr;
    ui::COptionUI* synchro_ = nullptr;
    ui::CControlUI* name_ = nullptr;
    ui::CTabLayoutUI* pageTabs_ = nullptr;
    ui::CTabLayoutUI* powerTabs_ = nullptr;
    ui::CPaintManagerUI* listening_ = nullptr;
    int pageIndex_ = -1;
    int powerIndex_ = -1;
    int optionIndex_ = -1;
    int linkFailures_ = 0;
    int lightRefreshMs_ = 0;  // the period timer 1000 runs at
    std::string iconStem_ = "unknow";
    std::string error_;
    OptionRequest optionRequest_;
};

// The icon name stem of a device kind and variant ("kb", "ms", "hard_mp",
// "soft_mp", "hd", "unknow").
std::string_view DeviceIconStem(uint16_t kind, uint16_t variant);

}  // namespace halvorn
