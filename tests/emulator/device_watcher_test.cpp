// The device watcher against virtual devices on an in-process bus, reporting
// to a FakeLoop that the test thread runs: which slots arrive and leave, in
// which order, what the handler sees of the slot list, and how the watcher
// stops and recovers.

#include "device/device_watcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/message_ids.h"
#include "platform/hid/virtual_backend.h"
#include "platform/loop/fake_loop.h"
#include "tests/support/virtual_keyboard.h"
#include "tools/vdev/keyboard_firmware.h"
#include "tools/vdev/virtual_bus.h"

namespace halvorn {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using testing::kKeyboardConsumerPath;
using testing::kKeyboardProtocolPath;

constexpr std::size_t kKeyboardProtocolSlot = 0;
constexpr std::size_t kKeyboardInputSlot = 1;
constexpr std::size_t kHeadsetSlot = 10;
constexpr auto kReportWait = 3s;      // far above the 150 ms a report may take
constexpr auto kFewPasses = 350ms;    // three passes and a half
constexpr auto kPromptStop = 1000ms;  // what the main window waits for a thread

// One application collection with an 8-bit input report of its own ID.
Bytes Collection(uint16_t usagePage, uint8_t usage, uint8_t reportId) {
    Bytes d;
    if (usagePage > 0xFF) {
        d = {0x06, static_cast<uint8_t>(usagePage), static_cast<uint8_t>(usagePage >> 8)};
    } else {
        d = {0x05, static_cast<uint8_t>(usagePage)};
    }
    Bytes rest = {0x09, usage, 0xA1, 0x01, 0x85, reportId, 0x15, 0x00, 0x26, 0xFF,
                  0x00, 0x75,  0x08, 0x95, 0x01, 0x09,     0x01, 0x81, 0x02, 0xC0};
    d.insert(d.end(), rest.begin(), rest.end());
    return d;
}

// A device that only describes itself: enough for discovery.
class DescribedFirmware : public vdev::Firmware {
public:
    DescribedFirmware(uint16_t vendorId, uint16_t productId, int interfaceNumber, Bytes descriptor)
        : attributes_{vendorId, productId, 0x0100}, interface_{interfaceNumber, descriptor} {}

    std::string Kind() const override { return "described"; }
    hid::Attributes Attributes() const override { return attributes_; }
    std::vector<vdev::InterfaceSpec> Interfaces() const override { return {interface_}; }
    void OnReport(int, std::span<const uint8_t>, vdev::ReportSink&) override {}
    Json::Value DumpMemory() const override { return Json::Value(); }

private:
    hid::Attributes attributes_;
    vdev::InterfaceSpec interface_;
};

// The keyboard's interface 1 except that collection 4 has another usage page.
std::unique_ptr<vdev::Firmware> KeyboardLookAlike() {
    Bytes d = Collection(0x01, 0x06, 1);
    for (const Bytes& c :
         {Collection(0x01, 0x80, 2), Collection(0x0C, 0x01, 3), Collection(0xFF1D, 0x92, 4)}) {
        d.insert(d.end(), c.begin(), c.end());
    }
    return std::make_unique<DescribedFirmware>(0x3A17, 0x6E21, 1, d);
}

std::unique_ptr<vdev::Firmware> Headset() {
    return std::make_unique<DescribedFirmware>(0x2B54, 0x1D07, 3, Collection(0x0C, 0x01, 1));
}

// Forwards to the virtual backend, counting what the watcher asks, and
// fails enumeration on demand.
class CountingBackend : public hid::Backend {
public:
    struct OpenCall {
        std::string path;
        bool access;  // read or write: a probe; neither: an existence check
    };

    explicit CountingBackend(hid::Backend& inner) : inner_(inner) {}

    bool Enumerate(std::vector<hid::InterfaceInfo>& out) override {
        ++enumerations;
        return !failEnumeration.load() && inner_.Enumerate(out);
    }
    std::unique_ptr<hid::Device> Open(std::string_view path, const hid::OpenFlags& flags) override {
        {
            std::lock_guard lock(mutex_);
            opens_.push_back({std::string(path), flags.read || flags.write});
        }
        return inner_.Open(path, flags);
    }
    std::vector<OpenCall> Opens() const {
        std::lock_guard lock(mutex_);
        return opens_;
    }

    std::atomic<int> enumerations{0};
    std::atomic<bool> failEnumeration{false};

private:
    hid::Backend& inner_;
    mutable std::mutex mutex_;
    std::vector<OpenCall> opens_;
};

struct Report {
    uint32_t message;
    std::size_t slot;
    InterfaceSlot seen;  // the slot as the handler read it
    bool operator==(const Report& o) const { return message == o.message && slot == o.slot; }
};

class DeviceWatcherTest : public ::testing::Test, public loop::MessageTarget {
protected:
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t) override {
        if (message == Registered().instance) {
            ++firstScanNotices_;
        } else if (message == message::kDeviceArrived || message == message::kDeviceRemoved) {
            Report r{message, wParam, watcher_.Slot(wParam).value_or(InterfaceSlot{})};
            reports_.push_back(r);
            if (onReport_) onReport_(r);
        }
        return 1;
    }

    // Handles what the watcher sends until `done` holds; false after the limit.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds limit = kReportWait) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            loop_.RunPendingWithin(10ms);
        }
        return true;
    }
    void PumpFor(std::chrono::milliseconds span) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) loop_.RunPendingWithin(10ms);
    }
    bool PumpUntilReports(std::size_t count) {
        return PumpUntil([&] { return reports_.size() >= count; });
    }
    void StartAndWaitFirstScan() {
        ASSERT_TRUE(watcher_.Start(loop_, target_));
        ASSERT_TRUE(PumpUntil([&] { return firstScanNotices_ > 0; }));
    }

    static Report Arrived(std::size_t slot) { return {message::kDeviceArrived, slot, {}}; }
    static Report Removed(std::size_t slot) { return {message::kDeviceRemoved, slot, {}}; }

    vdev::VirtualBus bus_;
    hid::VirtualBackend virtualBackend_{bus_};
    CountingBackend backend_{virtualBackend_};
    loop::FakeLoop loop_;
    loop::TargetId target_ = loop_.AddTarget(this);
    std::vector<Report> reports_;
    int firstScanNotices_ = 0;
    std::function<void(const Report&)> onReport_;
    DeviceWatcher watcher_{backend_};  // last: stopped before the rest goes
};

TEST_F(DeviceWatcherTest, WithoutDevicesOnlyTheEndOfTheFirstScanIsAnnounced) {
    const auto table = SupportedInterfaces();
    const auto slots = watcher_.Slots();
    ASSERT_EQ(slots.size(), table.size());
    for (std::size_t i = 0; i < slots.size(); ++i) {
        EXPECT_TRUE(slots[i].SameInterface(table[i])) << i;
        EXPECT_EQ(slots[i].occupied, 0) << i;
        EXPECT_TRUE(slots[i].path.empty()) << i;
    }

    StartAndWaitFirstScan();
    const int enumerations = backend_.enumerations.load();
    PumpFor(kFewPasses);
    EXPECT_TRUE(reports_.empty());
    EXPECT_EQ(firstScanNotices_, 1);
    EXPECT_GE(backend_.enumerations.load(), enumerations + 2);  // passes go on while slots are free
    EXPECT_TRUE(watcher_.Running());
}

TEST_F(DeviceWatcherTest, KeyboardArrivesAndLeavesThroughItsTwoSlots) {
    StartAndWaitFirstScan();
    onReport_ = [&](const Report& r) {
        if (r.message == message::kDeviceArrived) {
            EXPECT_TRUE(watcher_.MarkAttached(r.slot, true));
        }
    };

    // Enumeration lists the collections in order: the input collection (3)
    // comes before the protocol collection (4).
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "plug" : "replug");
        reports_.clear();
        bus_.Plug("keyboard", vdev::MakeKeyboard());
        ASSERT_TRUE(PumpUntilReports(2));
        EXPECT_EQ(reports_,
                  (std::vector{Arrived(kKeyboardInputSlot), Arrived(kKeyboardProtocolSlot)}));
        // The handler already sees the slot bound to the path it reports.
        EXPECT_EQ(reports_[0].seen.occupied, 1);
        EXPECT_EQ(reports_[0].seen.path, kKeyboardConsumerPath);
        EXPECT_EQ(reports_[1].seen.path, kKeyboardProtocolPath);
        EXPECT_TRUE(watcher_.Attached(kKeyboardProtocolSlot));

        reports_.clear();
        bus_.Unplug("keyboard");
        ASSERT_TRUE(PumpUntilReports(2));
        EXPECT_EQ(reports_,
                  (std::vector{Removed(kKeyboardProtocolSlot), Removed(kKeyboardInputSlot)}));
        EXPECT_EQ(reports_[0].seen.occupied, 0);
        EXPECT_TRUE(reports_[0].seen.path.empty());
        EXPECT_FALSE(watcher_.Attached(kKeyboardProtocolSlot));
        EXPECT_FALSE(watcher_.Attached(kKeyboardInputSlot));
    }
    PumpFor(kFewPasses);
    EXPECT_EQ(reports_.size(), 2u);  // nothing more, nothing twice
    EXPECT_EQ(firstScanNotices_, 1);
}

TEST_F(DeviceWatcherTest, DevicePresentAtStartArrivesBeforeTheFirstScanEnds) {
    bus_.Plug("keyboard", vdev::MakeKeyboard());
    onReport_ = [&](const Report&) { EXPECT_EQ(firstScanNotices_, 0); };
    ASSERT_TRUE(watcher_.Start(loop_, target_));
    ASSERT_TRUE(PumpUntil([&] { return firstScanNotices_ > 0; }));
    EXPECT_EQ(reports_.size(), 2u);
}

TEST_F(DeviceWatcherTest, SingleCollectionHeadsetBindsItsSlot) {
    bus_.Plug("headset", Headset());
    StartAndWaitFirstScan();
    ASSERT_EQ(reports_, std::vector{Arrived(kHeadsetSlot)});
    EXPECT_EQ(reports_[0].seen.path, "virtual:headset#vid_2b54&pid_1d07&mi_03");
}

TEST_F(DeviceWatcherTest, BoundDevicesCostOnlyExistenceChecks) {
    bus_.Plug("keyboard", vdev::MakeKeyboard());
    StartAndWaitFirstScan();
    ASSERT_EQ(reports_.size(), 2u);
    const std::size_t before = backend_.Opens().size();
    PumpFor(kFewPasses);
    const auto opens = backend_.Opens();
    ASSERT_GT(opens.size(), before);
    for (std::size_t i = before; i < opens.size(); ++i) {
        SCOPED_TRACE(opens[i].path);
        EXPECT_FALSE(opens[i].access);
        EXPECT_TRUE(opens[i].path == kKeyboardProtocolPath ||
                    opens[i].path == kKeyboardConsumerPath);
    }
}

TEST_F(DeviceWatcherTest, CollectionWithAnotherUsagePageIsProbedEveryPassButNeverBound) {
    bus_.Plug("keyboard", KeyboardLookAlike());
    StartAndWaitFirstScan();
    constexpr const char* kLookAlike = "virtual:keyboard#vid_3a17&pid_6e21&mi_01&col04";
    auto probes = [&] {
        int n = 0;
        for (const auto& call : backend_.Opens()) n += call.access && call.path == kLookAlike;
        return n;
    };
    const int first = probes();
    EXPECT_GE(first, 1);
    PumpFor(kFewPasses);
    EXPECT_GE(probes(), first + 2);
    EXPECT_EQ(reports_, std::vector{Arrived(kKeyboardInputSlot)});
    EXPECT_EQ(watcher_.Slot(kKeyboardProtocolSlot)->occupied, 0);
}

TEST_F(DeviceWatcherTest, StopReturnsPromptlyWhileAReportWaitsUnhandled) {
    bus_.Plug("keyboard", vdev::MakeKeyboard());
    ASSERT_TRUE(watcher_.Start(loop_, target_));
    ASSERT_TRUE(loop_.WaitPending(kReportWait));  // the arrival waits; the loop never runs it

    const auto start = std::chrono::steady_clock::now();
    watcher_.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, kPromptStop);
    EXPECT_FALSE(watcher_.Running());
    loop_.RunPending();
    EXPECT_TRUE(reports_.empty());  // given up, so never handled

    // The arrival given up was undone, so a new start reports it again.
    ASSERT_TRUE(watcher_.Start(loop_, target_));
    ASSERT_TRUE(PumpUntilReports(2));
    EXPECT_EQ(reports_, (std::vector{Arrived(kKeyboardInputSlot), Arrived(kKeyboardProtocolSlot)}));
}

TEST_F(DeviceWatcherTest, RemovalGivenUpAtStopIsReportedAfterANewStart) {
    bus_.Plug("keyboard", vdev::MakeKeyboard());
    StartAndWaitFirstScan();
    ASSERT_EQ(reports_.size(), 2u);
    bus_.Unplug("keyboard");
    ASSERT_TRUE(loop_.WaitPending(kReportWait));
    watcher_.Stop();
    loop_.RunPending();
    EXPECT_EQ(reports_.size(), 2u);
    // The window still holds the keyboard, and so does the slot list.
    EXPECT_EQ(watcher_.Slot(kKeyboardProtocolSlot)->path, kKeyboardProtocolPath);

    ASSERT_TRUE(watcher_.Start(loop_, target_));
    ASSERT_TRUE(PumpUntilReports(4));
    EXPECT_EQ(reports_[2], Removed(kKeyboardProtocolSlot));
    EXPECT_EQ(reports_[3], Removed(kKeyboardInputSlot));
}

TEST_F(DeviceWatcherTest, ReportsThatCannotBeDeliveredEndTheWatcher) {
    loop_.RemoveTarget(target_);
    bus_.Plug("keyboard", vdev::MakeKeyboard());
    ASSERT_TRUE(watcher_.Start(loop_, target_));
    ASSERT_TRUE(PumpUntil([&] { return !watcher_.Running(); }));
    EXPECT_TRUE(reports_.empty());
    for (const InterfaceSlot& slot : watcher_.Slots()) {
        EXPECT_EQ(slot.occupied, 0);  // nobody learned of a binding, so none is kept
    }
}

TEST_F(DeviceWatcherTest, FailedEnumerationIsRetriedWhileRemovalsGoOn) {
    backend_.failEnumeration = true;
    StartAndWaitFirstScan();  // the window is shown even so
    bus_.Plug("keyboard", vdev::MakeKeyboard());
    PumpFor(kFewPasses);
    EXPECT_TRUE(reports_.empty());

    backend_.failEnumeration = false;
    ASSERT_TRUE(PumpUntilReports(2));

    backend_.failEnumeration = true;
    bus_.Unplug("keyboard");
    ASSERT_TRUE(PumpUntilReports(4));
    EXPECT_EQ(reports_[2], Removed(kKeyboardProtocolSlot));
    EXPECT_EQ(reports_[3], Removed(kKeyboardInputSlot));
    EXPECT_TRUE(watcher_.Running());
}

TEST_F(DeviceWatcherTest, FreedSlotArrivesAgainWithoutARemoval) {
    bus_.Plug("keyboard", vdev::MakeKeyboard());
    StartAndWaitFirstScan();
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_FALSE(watcher_.MarkAttached(kHeadsetSlot, true));  // nothing bound there
    EXPECT_FALSE(watcher_.MarkFree(watcher_.SlotCount()));

    reports_.clear();
    ASSERT_TRUE(watcher_.MarkFree(kKeyboardProtocolSlot));
    ASSERT_TRUE(PumpUntilReports(1));
    EXPECT_EQ(reports_, std::vector{Arrived(kKeyboardProtocolSlot)});
    EXPECT_EQ(reports_[0].seen.path, kKeyboardProtocolPath);
}

}  // namespace
}  // namespace halvorn
