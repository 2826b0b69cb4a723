#include "app/device_list.h"

#include <memory>
#include <optional>

#include "app/device_option.h"
#include "app/message_ids.h"
#include "device/device_page_tables.h"
#include "device/supported_interfaces.h"
#include "models/keyboard_device.h"
#include "platform/trace/trace.h"
#include "platform/ui/builder.h"
#include "platform/ui/container.h"
#include "platform/ui/controls/layouts.h"

namespace halvorn {
namespace {

bool IsReceiverKind(uint16_t kind) {
    return kind == device_kind::kMouseReceiver || kind == device_kind::kKeyboardReceiver;
}

// A receiver kind counts as its device's kind wherever a class is chosen.
uint16_t ClassKind(uint16_t kind) {
    if (kind == device_kind::kKeyboardReceiver) return device_kind::kKeyboard;
    if (kind == device_kind::kMouseReceiver) return device_kind::kMouse;
    return kind;
}

// The page object of a device class; null for the classes that have none yet.
std::unique_ptr<COvantisUSBDevice> MakePage(uint16_t kind, hid::Backend& backend) {
    if (ClassKind(kind) == device_kind::kKeyboard) {
        return std::make_unique<COvantisKeyboardDevice>(backend);
    }
    return nullptr;
}

void TraceKind(uint16_t kind, std::string_view keyboard, std::string_view mouse,
               std::string_view pad) {
    switch (ClassKind(kind)) {
        case device_kind::kKeyboard:
            Trace(keyboard);
            break;
        case device_kind::kMouse:
            Trace(mouse);
            break;
        case device_kind::kMousePad:
            Trace(pad);
            break;
        default:
            break;
    }
}

// The first slot of the device's protocol collection.
std::optional<std::size_t> ProtocolSlot(const std::vector<InterfaceSlot>& slots, uint16_t vendorId,
                                        uint16_t productId, uint16_t kind) {
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const InterfaceSlot& c = slots[i];
        if (c.vendorId == vendorId && c.productId == productId && c.kind == kind &&
            c.collectionRole == kRoleProtocol) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

DeviceList::DeviceList(DeviceListEnvironment env) : env_(std::move(env)) {}

DeviceList::~DeviceList() { StopAll(); }

void DeviceList::StopAll() {
    for (COvantisUSBDevice* page : pages_) page->StopThreads();
}

std::vector<COvantisUSBDevice*> DeviceList::PagesOfKind(uint16_t kind) const {
    std::vector<COvantisUSBDevice*> out;
    for (COvantisUSBDevice* page : pages_) {
        if (ClassKind(page->Kind()) == ClassKind(kind)) out.push_back(page);
    }
    return out;
}

int DeviceList::VisibleEntryCount() const {
    int count = 0;
    for (const CDeviceOptionUI* entry : entries_) count += entry->IsVisible() ? 1 : 0;
    return count;
}

CDeviceOptionUI* DeviceList::EntryOf(const COvantisUSBDevice* page) const {
    for (CDeviceOptionUI* entry : entries_) {
        if (entry->Device() == page) return entry;
    }
    return nullptr;
}

CDeviceOptionUI* DeviceList::Entry(int optionIndex) const {
    for (CDeviceOptionUI* entry : entries_) {
        if (entry->OptionIndex() == optionIndex) return entry;
    }
    return nullptr;
}

COvantisUSBDevice* DeviceList::CurrentDevice() const {
    for (const CDeviceOptionUI* entry : entries_) {
        if (entry->IsVisible() && entry->IsSelectedEntry()) return entry->Device();
    }
    return nullptr;
}

COvantisUSBDevice* DeviceList::PageFor(const InterfaceSlot& record) const {
    for (COvantisUSBDevice* page : pages_) {
        if (page->Identity().SameInterface(record)) return page;
    }
    return nullptr;
}

InterfaceSlot DeviceList::DeviceRecord(const std::vector<InterfaceSlot>& slots, std::size_t s) {
    const InterfaceSlot& slot = slots[s];
    if (slot.collectionRole == kRoleInput) {
        const auto protocol = ProtocolSlot(slots, slot.vendorId, slot.productId, slot.kind);
        if (!protocol) return slot;
        const InterfaceSlot& p = slots[*protocol];
        if (IsReceiverKind(p.kind) && p.paired != 0 && p.partner < slots.size()) {
            return slots[p.partner];
        }
        return p;
    }
    if (IsReceiverKind(slot.kind) && slot.paired != 0 && slot.partner < slots.size() &&
        slots[slot.partner].partner == s) {
        return slots[slot.partner];
    }
    return slot;
}

bool DeviceList::PartnerAttached(const std::vector<InterfaceSlot>& slots, std::size_t s) {
    const InterfaceSlot& slot = slots[s];
    if (slot.paired == 0 || slot.partner >= slots.size()) return false;
    const InterfaceSlot& partner = slots[slot.partner];
    return partner.occupied != 0 && !partner.path.empty() && partner.partner == s;
}

void DeviceList::CreateStartPages() {
    const std::vector<InterfaceSlot> slots = env_.watcher.Slots();
    for (std::size_t row : {kMousePageRow, kKeyboardPageRow}) {
        const DeviceOptionRow& r = DeviceOptionTable()[row];
        const auto slot = ProtocolSlot(slots, r.vendorId, r.productId, r.kind);
        if (!slot) continue;
        if (PageFor(slots[*slot]) == nullptr) CreatePage(row, slots[*slot]);
    }
}

void DeviceList::OnDeviceArrived(std::size_t s) {
    const std::vector<InterfaceSlot> slots = env_.watcher.Slots();
    if (s >= slots.size()) return;
    const InterfaceSlot& slot = slots[s];
    TraceKind(slot.kind, "添加一个键盘设备", "添加一个鼠标设备", "添加一个鼠标垫设备");
    const COvantisUSBDevice* page = PageFor(DeviceRecord(slots, s));
    if (page == nullptr || EntryOf(page) == nullptr) CreatePageForSlot(slots, s);

    const bool attached =
        slot.collectionRole == kRoleInput ? AttachInput(slots, s) : AttachProtocol(slots, s);
    if (attached) env_.watcher.MarkAttached(s, true);
    if (env_.bringToFront) env_.bringToFront();
}

void DeviceList::CreatePageForSlot(const std::vector<InterfaceSlot>& slots, std::size_t s) {
    // The page is made for the device's protocol collection.
    const InterfaceSlot& slot = slots[s];
    const auto protocol = ProtocolSlot(slots, slot.vendorId, slot.productId, slot.kind);
    if (!protocol) return;
    const InterfaceSlot& p = slots[*protocol];
    uint16_t vendorId = p.vendorId;
    uint16_t productId = p.productId;
    uint16_t kind = p.kind;
    if (kind == device_kind::kMouseReceiver) {
        kind = device_kind::kMouse;
        if (p.paired != 0 && p.partner < slots.size()) {
            vendorId = slots[p.partner].vendorId;
            productId = slots[p.partner].productId;
        }
    }
    const auto row = FindDeviceOptionRow(vendorId, productId, kind, 0);
    if (!row) return;
    CreatePage(*row, DeviceRecord(slots, *protocol));
}

COvantisUSBDevice* DeviceList::CreatePage(std::size_t row, const InterfaceSlot& identity) {
    const DeviceOptionRow& option = DeviceOptionTable()[row];
    const DeviceLayoutRow& layout = DeviceLayoutTable()[row];
    std::unique_ptr<COvantisUSBDevice> made = MakePage(option.kind, env_.backend);
    if (!made) {
        Trace("no page class for the " + std::string(option.name) + " row");
        return nullptr;
    }
    auto* pageTabs = dynamic_cast<ui::CTabLayoutUI*>(env_.manager.FindControl(kPageTabsName));
    auto* powerTabs = dynamic_cast<ui::CTabLayoutUI*>(
        env_.manager.FindControl(std::string_view(option.powerTabLayout)));
    auto* entryList = dynamic_cast<ui::CContainerUI*>(env_.manager.FindControl(kEntryLayoutName));
    if (pageTabs == nullptr || entryList == nullptr) {
        Trace("device page not made: the window has no device_switch or device_select_layout");
        return nullptr;
    }

    // The power display (a plain holder until the power control exists).
    ui::CControlUI* power = nullptr;
    int powerIndex = -1;
    if (powerTabs != nullptr) {
        power = powerTabs->Add(std::make_unique<ui::CVerticalLayoutUI>());
        power->SetName("device_power_" + std::string(option.name));
        powerIndex = powerTabs->GetItemIndex(power);
        powerControls_.push_back(power);
    }

    // The page goes into the window first: it builds and initialises with
    // the window's manager.
    auto* page = static_cast<COvantisUSBDevice*>(pageTabs->Add(std::move(made)));
    ui::CDialogBuilder builder;
    builder.CreateInto(layout.pageLayout, nullptr, env_.manager, *page);
    if (!builder.Error().empty()) Trace("device page layout: " + builder.Error());
    page->SetLayoutFile(std::string(layout.pageLayout));
    page->SetOwnerWindow(env_.ownerWindow);
    page->SetKeyCount(layout.keyEntries);
    page->SetLightCount(layout.lightEntries);
    if (row != kHeadsetPageRow) page->SetOptionIndex(static_cast<int>(row));
    page->SetBatteryFlag(layout.battery);
    page->SetDataFolder(env_.dataRoot);
    page->SetDefaultDataFolder(env_.defaultData);
    page->SetKindName(std::string(option.name));
    page->SetPowerControl(power);
    page->SetIdentity(identity);
    page->SetDefaultsIndex(option.defaultsIndex);
    page->SetLightControlName(std::string(layout.lightControlName));

    auto* entry =
        static_cast<CDeviceOptionUI*>(entryList->Add(std::make_unique<CDeviceOptionUI>()));
    entry->SetVisible(false);
    if (!entry->Build(option.optionLayout)) Trace("device entry layout: " + entry->Error());
    entry->SetOptionIndex(static_cast<int>(row));
    entry->SetSynchro(false);
    entry->SetGroup(option.tabHeaderGroup);
    entry->BindPage(pageTabs, pageTabs->GetItemIndex(page));
    entry->BindPower(powerTabs, powerIndex);
    entry->SetIcons(option.kind, option.variant);
    entry->SetDeviceName(option.name);
    entry->SetDevice(page);
    entry->SetOptionRequest([this](int index, int show) { RequestOption(index, show); });
    page->SetOptionEntry(entry);
    page->Initialize();

    pages_.push_back(page);
    entries_.push_back(entry);
    return page;
}

void DeviceList::RequestOption(int optionIndex, int show) {
    // Through the window's queue when there is one, so that a timer handler
    // does not change the list under itself.
    if (env_.ownerWindow != 0 &&
        env_.manager.Loop().Post(env_.ownerWindow, message::kDeviceOption,
                                 static_cast<uintptr_t>(optionIndex), show)) {
        return;
    }
    OnDeviceOption(optionIndex, show);
}

void DeviceList::OnDeviceOption(int optionIndex, int show) {
    CDeviceOptionUI* entry = Entry(optionIndex);
    if (entry == nullptr) return;
    if (show == 0) {
        DropOption(optionIndex);
    } else if (!entry->IsVisible()) {
        SelectOption(optionIndex, true, true);
    }
}

void DeviceList::SelectOption(int optionIndex, bool visible, bool select) {
    CDeviceOptionUI* entry = Entry(optionIndex);
    if (entry == nullptr) return;
    entry->SetVisible(visible);
    if (select) {
        for (CDeviceOptionUI* other : entries_) {
            if (other != entry) other->SelectEntry(false);
        }
        entry->SelectEntry(true);
    }
    UpdateNoDeviceLink();

    const int visibleCount = VisibleEntryCount();
    if (visibleCount <= 1) {
        for (COvantisUSBDevice* page : pages_) page->SetSyncLighting(false);
    }
    int synchro = 0;
    for (const CDeviceOptionUI* e : entries_) synchro += e->IsVisible() && e->Synchro() ? 1 : 0;
    if (synchro < 2) {
        for (CDeviceOptionUI* e : entries_) e->SetSynchro(false);
    }
}

void DeviceList::UpdateNoDeviceLink() {
    ui::CControlUI* noDevice = env_.manager.FindControl(kNoDeviceName);
    if (VisibleEntryCount() > 0) {
        if (noDevice != nullptr) noDevice->SetVisible(false);
        return;
    }
    if (noDevice != nullptr) noDevice->SetVisible(true);
    for (std::string_view name : {kPageTabsName, kPowerTabsName}) {
        if (auto* tabs = dynamic_cast<ui::CTabLayoutUI*>(env_.manager.FindControl(name))) {
            tabs->SelectItem(0);
        }
    }
}

void DeviceList::DropOption(int optionIndex) {
    CDeviceOptionUI* entry = Entry(optionIndex);
    if (entry == nullptr) return;
    const bool wasSelected = entry->IsVisible() && entry->IsSelectedEntry();
    if (wasSelected && env_.closeSecondaryWindows) env_.closeSecondaryWindows();
    if (wasSelected) entry->SelectEntry(false);
    SelectOption(optionIndex, false, false);
    if (!wasSelected) return;
    for (CDeviceOptionUI* other : entries_) {
        if (other != entry && other->IsVisible()) {
            SelectOption(other->OptionIndex(), true, true);
            return;
        }
    }
}

}  // namespace halvorn
