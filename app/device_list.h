#pragma once

// The main window's device list: the device pages (one per device class,
// created on first sight), their entries in "device_select_layout", and what
// happens on the UI thread when the device watcher reports an interface that
// arrived or vanished: attach and detach of the protocol and input
// collections, switching a paired device between cable and receiver, the
// entry timers, and which page is the current device.
//
// UI thread only. The watcher's reports arrive as blocking sends, so the
// slot list read here is settled while a handler runs.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_watcher.h"
#include "models/usb_device.h"
#include "platform/hid/backend.h"
#include "platform/ui/paint_manager.h"

namespace halvorn {

class CDeviceOptionUI;

struct DeviceListEnvironment {
    ui::CPaintManagerUI& manager;    // the main window's
    ui::CControlUI* root = nullptr;  // the main window's tree, holding the layouts below
    hid::Backend& backend;
    DeviceWatcher& watcher;
    std::filesystem::path dataRoot;     // the user data folder ("Halvorn Device")
    std::filesystem::path defaultData;  // the program's DefaultData
    std::filesystem::path skinFolder;   // for the page, entry and power layouts
    loop::TargetId ownerWindow = 0;
    // Called when a device arrives: the main window comes to the front.
    std::function<void()> bringToFront = {};
    // Called before the selected entry is dropped: the main window closes
    // its secondary windows and ends a running key capture (removes hooks).
    std::function<void()> closeSecondaryWindows = {};
};

class DeviceList {
public:
    explicit DeviceList(DeviceListEnvironment env);
    ~DeviceList();  // stops every page's threads
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    // Creates the pages of the mouse and keyboard rows, hidden.
    void CreateStartPages();

    // The watcher's reports (wParam of kDeviceArrived / kDeviceRemoved).
    void OnDeviceArrived(std::size_t slot);
    void OnDeviceRemoved(std::size_t slot);
    // UWM_DEVICE_OPTION: 0 drops the entry, 1 shows and selects it.
    void OnDeviceOption(int optionIndex, int show);

    void SelectOption(int optionIndex, bool visible, bool select);
    void DropOption(int optionIndex);
    // The page of the first visible and selected entry, or null.
    COvantisUSBDevice* CurrentDevice() const;

    // Every page, in creation order (the main window's device lists).
    const std::vector<COvantisUSBDevice*>& Pages() const { return pages_; }
    std::vector<COvantisUSBDevice*> PagesOfKind(uint16_t kind) const;
    int VisibleEntryCount() const;
    // Stops every page's threads (shutdown); pages stay.
    void StopAll();

    // The entry of a page, or of an option index; null when none.
    CDeviceOptionUI* EntryOf(const COvantisUSBDevice* page) const;
    CDeviceOptionUI* Entry(int optionIndex) const;
    const std::vector<CDeviceOptionUI*>& Entries() const { return entries_; }

    // Names of the window's controls the list works in.
    static constexpr std::string_view kEntryLayoutName = "device_select_layout";
    static constexpr std::string_view kPageTabsName = "device_switch";
    static constexpr std::string_view kPowerTabsName = "device_power_switch";
    static constexpr std::string_view kNoDeviceName = "No_device_Link";
    static constexpr int kLinkQueryAttempts = 26;

private:
    // The record whose identity names the device's page: the protocol slot
    // of the device, on its cable when it is paired.
    static InterfaceSlot DeviceRecord(const std::vector<InterfaceSlot>& slots, std::size_t s);
    static bool PartnerAttached(const std::vector<InterfaceSlot>& slots, std::size_t s);
    COvantisUSBDevice* PageFor(const InterfaceSlot& record) const;
    // Creates the page, its power control and its entry for row `row` with
    // `identity`; null when the kind has no page class or the window lacks
    // the layouts.
    COvantisUSBDevice* CreatePage(std::size_t row, const InterfaceSlot& identity);
    void CreatePageForSlot(const std::vector<InterfaceSlot>& slots, std::size_t s);
    bool AttachProtocol(const std::vector<InterfaceSlot>& slots, std::size_t s);
    bool AttachInput(const std::vector<InterfaceSlot>& slots, std::size_t s);
    void DetachProtocol(const std::vector<InterfaceSlot>& slots, std::size_t s);
    // Moves a paired device to the other connection; `s` is its cable slot.
    void SwitchConnection(const std::vector<InterfaceSlot>& slots, std::size_t s);
    void RequestOption(int optionIndex, int show);
    void UpdateNoDeviceLink();

    DeviceListEnvironment env_;
    std::vector<COvantisUSBDevice*> pages_;
    std::vector<CDeviceOptionUI*> entries_;
    std::vector<ui::CControlUI*> powerControls_;
};

}  // namespace halvorn
