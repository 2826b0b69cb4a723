// The main window's device list against a virtual keyboard plugged into and
// out of an in-process bus, with the real device watcher reporting to the
// window's fake loop: pages, entries, the "no device" notice and the entry's
// connect timer.

#include "app/device_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/device_option.h"
#include "app/message_ids.h"
#include "controls/picture_controls.h"
#include "device/device_watcher.h"
#include "models/keyboard_device.h"
#include "platform/hid/virtual_backend.h"
#include "platform/ui/controls/layouts.h"
#include "tests/support/profile_test_files.h"
#include "tests/support/ui_actions.h"
#include "tests/support/virtual_keyboard.h"
#include "tools/vdev/keyboard_firmware.h"
#include "tools/vdev/virtual_bus.h"

namespace halvorn {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kProtocolSlot = 0;
constexpr std::size_t kInputSlot = 1;

std::filesystem::path RepoFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

constexpr const char* kWindowXml =
    "<Window size=\"900,700\"><VerticalLayout>"
    "<HorizontalLayout name=\"device_select_layout\" height=\"64\"/>"
    "<Label name=\"No_device_Link\" text=\"no device\" height=\"20\"/>"
    "<TabLayout name=\"device_power_switch\" height=\"20\"><Control name=\"no_power\"/></TabLayout>"
    "<TabLayout name=\"device_switch\"><Control name=\"no_device_page\"/></TabLayout>"
    "</VerticalLayout></Window>";

class DeviceListTest : public ::testing::Test, public loop::MessageTarget {
protected:
    void SetUp() override {
        RegisterPictureControls(ui.context.Factory());
        ui.context.SetSkinFolder(RepoFolder() / "skin");
        ASSERT_NE(ui.Show(kWindowXml, {900, 700}), nullptr) << ui.builder.Error();
        target = ui.loop.AddTarget(this);
        list = std::make_unique<DeviceList>(DeviceListEnvironment{
            .manager = ui.manager,
            .root = ui.manager.GetRoot(),
            .backend = backend,
            .watcher = watcher,
            .dataRoot = data.Path(),
            .defaultData = RepoFolder() / "DefaultData",
            .skinFolder = RepoFolder() / "skin",
            .ownerWindow = target,
            .bringToFront = [this] { ++broughtToFront; },
        });
        list->CreateStartPages();
    }

    void TearDown() override {
        watcher.Stop();
        list.reset();
        ui.loop.RemoveTarget(target);
    }

    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        if (message == message::kDeviceArrived) list->OnDeviceArrived(wParam);
        if (message == message::kDeviceRemoved) list->OnDeviceRemoved(wParam);
        if (message == message::kDeviceOption) {
            list->OnDeviceOption(static_cast<int>(wParam), static_cast<int>(lParam));
        }
        if (message == Registered().instance) ++firstScans;
        return 1;
    }

    // Runs the window's loop until `done`; the fake clock moves only when asked.
    bool PumpUntil(const std::function<bool()>& done, bool advance = false) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            ui.loop.RunPendingWithin(10ms);
            if (advance) ui.loop.Advance(10ms);
        }
        return true;
    }
    void StartWatcher() {
        ASSERT_TRUE(watcher.Start(ui.loop, target));
        ASSERT_TRUE(PumpUntil([&] { return firstScans > 0; }));
    }
    void Plug() {
        keyboard = bus.Plug("keyboard", vdev::MakeKeyboard());
        ASSERT_TRUE(PumpUntil(
            [&] { return watcher.Attached(kProtocolSlot) && watcher.Attached(kInputSlot); }));
    }
    void Unplug() {
        ASSERT_TRUE(bus.Unplug("keyboard"));
        ASSERT_TRUE(PumpUntil([&] {
            const auto slots = watcher.Slots();
            return slots[kProtocolSlot].occupied == 0 && slots[kInputSlot].occupied == 0;
        }));
        ui.loop.RunPending();
    }

    // The commands the keyboard received on its protocol collection.
    std::vector<int> Commands() const {
        std::vector<int> out;
        for (const auto& r : keyboard->Requests()) {
            if (r.interfaceNumber == vdev::KeyboardFirmware::kProtocolInterface &&
                r.data.size() > 3 && r.data[0] == vdev::KeyboardFirmware::kProtocolReportId) {
                out.push_back(r.data[3]);
            }
        }
        return out;
    }
    bool Received(int command) const {
        const auto commands = Commands();
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }

    COvantisUSBDevice* KeyboardPage() const {
        const auto pages = list->PagesOfKind(device_kind::kKeyboard);
        return pages.size() == 1 ? pages[0] : nullptr;
    }
    bool NoDeviceShown() const { return ui.Find("No_device_Link")->IsVisible(); }

    vdev::VirtualBus bus;
    hid::VirtualBackend backend{bus};
    test::TempDir data;
    ui::testing::HeadlessUi ui;
    loop::TargetId target = 0;
    std::unique_ptr<DeviceList> list;
    std::shared_ptr<vdev::VirtualDevice> keyboard;
    int firstScans = 0;
    int broughtToFront = 0;
    DeviceWatcher watcher{backend};  // last: stopped before the rest goes
};

TEST_F(DeviceListTest, WithoutDevicesOnlyTheHiddenKeyboardPageExists) {
    // The mouse row has no page class yet: only the keyboard page is made.
    ASSERT_EQ(list->Pages().size(), 1u);
    COvantisUSBDevice* page = KeyboardPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->KindName(), "keyboard");
    EXPECT_EQ(page->OptionIndex(), 1);
    EXPECT_TRUE(page->Identity().SameInterface(SupportedInterfaces()[kProtocolSlot]));
    EXPECT_NE(page->KeyButton(0), nullptr);  // built from the skin's keyboard layout
    CDeviceOptionUI* entry = list->EntryOf(page);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(page->OptionEntry(), entry);
    EXPECT_EQ(entry->DeviceName(), "keyboard");
    EXPECT_EQ(entry->IconStem(), "kb");

    StartWatcher();
    ui.loop.RunPending();
    EXPECT_EQ(list->VisibleEntryCount(), 0);
    EXPECT_EQ(list->CurrentDevice(), nullptr);
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(broughtToFront, 0);
}

TEST_F(DeviceListTest, PluggingOpensTheProtocolShowsTheEntryAndAttachesTheInput) {
    StartWatcher();
    Plug();
    COvantisUSBDevice* page = KeyboardPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(list->Pages().size(), 1u);
    EXPECT_TRUE(page->CommandProtocol().IsOpen());
    EXPECT_TRUE(page->CommandProtocol().WiredChannel().IsOpen());
    EXPECT_FALSE(page->CommandProtocol().ReceiverMode());
    EXPECT_TRUE(page->EventProtocol().WiredChannel().IsOpen());

    CDeviceOptionUI* entry = list->EntryOf(page);
    EXPECT_TRUE(entry->IsVisible());
    EXPECT_TRUE(entry->IsSelectedEntry());
    EXPECT_EQ(list->CurrentDevice(), page);
    EXPECT_FALSE(NoDeviceShown());
    auto* tabs = ui.Find<ui::CTabLayoutUI>("device_switch");
    EXPECT_EQ(tabs->GetItemAt(tabs->GetCurSel()), page);
    EXPECT_FALSE(page->SyncLighting());
    EXPECT_EQ(broughtToFront, 2);  // every arrival
}

TEST_F(DeviceListTest, TheConnectTimerReadsTheKeyboard) {
    StartWatcher();
    Plug();
    COvantisKeyboardDevice* page = dynamic_cast<COvantisKeyboardDevice*>(KeyboardPage());
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(Received(0x03));  // the attach itself reads nothing
    ui::testing::Wait(ui.loop, CDeviceOptionUI::kConnectDelayMs + 10);
    EXPECT_TRUE(Received(0x03));
    EXPECT_TRUE(page->LightThreadRunning());
    // Once only: later light refreshes read no device info again.
    const auto first = Commands();
    ui::testing::Wait(ui.loop, 100);
    const auto later = Commands();
    EXPECT_EQ(std::count(later.begin(), later.end(), 0x03),
              std::count(first.begin(), first.end(), 0x03));
}

TEST_F(DeviceListTest, UnpluggingHidesTheEntryKeepsThePageAndReplugReusesIt) {
    StartWatcher();
    Plug();
    COvantisUSBDevice* page = KeyboardPage();
    ASSERT_NE(page, nullptr);
    ui::testing::Wait(ui.loop, CDeviceOptionUI::kConnectDelayMs + 10);

    const int arrivals = broughtToFront;
    Unplug();
    EXPECT_EQ(broughtToFront, arrivals);  // leaving raises nothing
    EXPECT_EQ(KeyboardPage(), page);
    EXPECT_FALSE(page->CommandProtocol().IsOpen());
    EXPECT_FALSE(page->CommandProtocol().WiredChannel().IsOpen());
    EXPECT_FALSE(page->EventProtocol().WiredChannel().IsOpen());
    EXPECT_FALSE(list->EntryOf(page)->IsVisible());
    EXPECT_EQ(list->CurrentDevice(), nullptr);
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(ui.Find<ui::CTabLayoutUI>("device_switch")->GetCurSel(), 0);
    ui::testing::Wait(ui.loop, 100);  // the light timer ends with the channel

    Plug();
    EXPECT_EQ(list->Pages().size(), 1u);
    EXPECT_EQ(KeyboardPage(), page);
    EXPECT_TRUE(page->CommandProtocol().IsOpen());
    EXPECT_TRUE(list->EntryOf(page)->IsVisible());
    EXPECT_EQ(list->CurrentDevice(), page);
    EXPECT_FALSE(NoDeviceShown());
    ui::testing::Wait(ui.loop, CDeviceOptionUI::kConnectDelayMs + 10);
    EXPECT_TRUE(Received(0x03));
}

TEST_F(DeviceListTest, DeviceOptionMessageDropsAndShowsTheEntry) {
    StartWatcher();
    Plug();
    const int index = list->EntryOf(KeyboardPage())->OptionIndex();
    list->OnDeviceOption(index, 0);
    EXPECT_EQ(list->VisibleEntryCount(), 0);
    EXPECT_TRUE(NoDeviceShown());
    list->OnDeviceOption(index, 1);
    EXPECT_EQ(list->CurrentDevice(), KeyboardPage());
    EXPECT_FALSE(NoDeviceShown());
    list->OnDeviceOption(99, 1);  // no such entry: nothing
    EXPECT_EQ(list->VisibleEntryCount(), 1);
}

TEST(DeviceIconStemTest, KindsAndVariantsChooseTheIcons) {
    struct Case {
        uint16_t kind, variant;
        std::string_view stem;
    };
    for (const Case& c :
         {Case{1, 0, "kb"}, Case{2, 0, "ms"}, Case{3, 0, "hard_mp"}, Case{3, 1, "soft_mp"},
          Case{4, 0, "hd"}, Case{7, 0, "hd"}, Case{9, 0, "unknow"}, Case{0, 0, "unknow"}}) {
        EXPECT_EQ(DeviceIconStem(c.kind, c.variant), c.stem) << c.kind << "/" << c.variant;
    }
}

}  // namespace
}  // namespace halvorn
