// The hidraw backend walks sysfs only after udev reported a hidraw change:
// umockdev emulates sysfs and /dev, and sends uevents to libudev monitors
// (adding a node announces it; a removal is announced by hand).

#include <glib-object.h>
#include <gtest/gtest.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/hid/hidraw_backend.h"
#include "tools/vdev/keyboard_descriptors.h"

// See hidraw_backend_test.cpp: umockdev's preload and GLib's type system.
extern "C" const char* __asan_default_options() {
    return "verify_asan_link_order=0:detect_leaks=0";
}

namespace halvorn::hid {
namespace {

using namespace std::chrono_literals;
using Policy = HidrawBackend::ChangeMonitor;

constexpr char kFirstPath[] = "hidraw:/dev/hidraw0#vid_3a17&pid_6e21&mi_01&col04";
constexpr char kSecondPath[] = "hidraw:/dev/hidraw1#vid_3a17&pid_6e21&mi_01&col04";
constexpr auto kEventWait = 2s;

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

std::string Owned(gchar* text) {
    std::string s = text ? text : "";
    g_free(text);
    return s;
}

class HidrawChangeMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        testbed_.reset(umockdev_testbed_new());
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run under umockdev-wrapper";
        firstUsb_ = AddKeyboard("1-1", 0);
    }

    // A keyboard's protocol interface: USB device, interface, HID device and
    // hidraw node, as sysfs shows them. Returns the USB device's path.
    std::string AddKeyboard(const char* name, int node) {
        std::string usb = Owned(umockdev_testbed_add_device(
            testbed_.get(), "usb", name, nullptr, "idVendor", "3a17", "idProduct", "6e21",
            "bcdDevice", "0105", nullptr, "DEVTYPE", "usb_device", nullptr));
        std::string intfName = std::string(name) + ":1.1";
        std::string intf = Owned(umockdev_testbed_add_device(
            testbed_.get(), "usb", intfName.c_str(), usb.c_str(), "bInterfaceNumber", "01", nullptr,
            "DEVTYPE", "usb_interface", nullptr));
        char hidName[32];
        std::snprintf(hidName, sizeof hidName, "0003:3A17:6E21.%04d", node + 1);
        std::string hid =
            Owned(umockdev_testbed_add_device(testbed_.get(), "hid", hidName, intf.c_str(), nullptr,
                                              "HID_ID", "0003:00003A17:00006E21", nullptr));
        std::vector<uint8_t> descriptor(std::begin(vdev::kKeyboardCompositeDescriptor),
                                        std::end(vdev::kKeyboardCompositeDescriptor));
        umockdev_testbed_set_attribute_binary(testbed_.get(), hid.c_str(), "report_descriptor",
                                              descriptor.data(),
                                              static_cast<gint>(descriptor.size()));
        const std::string hidraw = "hidraw" + std::to_string(node);
        hidrawPaths_.push_back(hid + "/hidraw/" + hidraw);
        std::string record = "P: " + hid.substr(std::strlen("/sys")) + "/hidraw/" + hidraw +
                             "\nN: " + hidraw + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/" + hidraw +
                             "\nA: dev=241:" + std::to_string(node) + "\n";
        GError* error = nullptr;
        EXPECT_TRUE(umockdev_testbed_add_from_string(testbed_.get(), record.c_str(), &error))
            << (error ? error->message : "");
        if (error) g_error_free(error);
        return usb;
    }

    static bool Lists(const std::vector<InterfaceInfo>& infos, const char* path) {
        return std::any_of(infos.begin(), infos.end(),
                           [&](const InterfaceInfo& i) { return i.path == path; });
    }

    static std::vector<InterfaceInfo> Enumerate(HidrawBackend& backend) {
        std::vector<InterfaceInfo> found;
        EXPECT_TRUE(backend.Enumerate(found));
        return found;
    }

    // Calls Enumerate, as the watcher's passes do, until `wanted` holds for
    // what it returns.
    template <typename Wanted>
    static bool EnumerateUntil(HidrawBackend& backend, Wanted wanted) {
        const auto deadline = std::chrono::steady_clock::now() + kEventWait;
        while (!wanted(Enumerate(backend))) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    std::unique_ptr<UMockdevTestbed, GObjectUnref> testbed_;
    std::string firstUsb_;
    std::vector<std::string> hidrawPaths_;
};

TEST_F(HidrawChangeMonitorTest, IdleCallsReuseTheFirstWalk) {
    HidrawBackend backend(Policy::kAlways);
    const auto first = Enumerate(backend);
    EXPECT_TRUE(Lists(first, kFirstPath));
    EXPECT_EQ(backend.SysfsWalks(), 1u);

    // Events of other subsystems are no hidraw change.
    umockdev_testbed_uevent(testbed_.get(), firstUsb_.c_str(), "change");
    for (int pass = 0; pass < 5; ++pass) {
        const auto again = Enumerate(backend);
        ASSERT_EQ(again.size(), first.size());
        EXPECT_TRUE(std::equal(again.begin(), again.end(), first.begin(),
                               [](auto& a, auto& b) { return a.path == b.path; }));
    }
    EXPECT_EQ(backend.SysfsWalks(), 1u);
}

TEST_F(HidrawChangeMonitorTest, AddedAndRemovedNodesAreSeenAfterTheirEvents) {
    HidrawBackend backend(Policy::kAlways);
    ASSERT_FALSE(Lists(Enumerate(backend), kSecondPath));

    std::string second = AddKeyboard("2-1", 1);  // announced as it is added
    ASSERT_TRUE(
        EnumerateUntil(backend, [](const auto& infos) { return Lists(infos, kSecondPath); }));
    EXPECT_EQ(backend.SysfsWalks(), 2u);
    Enumerate(backend);
    EXPECT_EQ(backend.SysfsWalks(), 2u);

    // The kernel announces a removal after sysfs dropped the device; the
    // testbed needs the device still there to send the event, and the walk
    // happens only at the next call anyway.
    umockdev_testbed_uevent(testbed_.get(), hidrawPaths_[1].c_str(), "remove");
    umockdev_testbed_remove_device(testbed_.get(), second.c_str());
    ASSERT_TRUE(
        EnumerateUntil(backend, [](const auto& infos) { return !Lists(infos, kSecondPath); }));
    EXPECT_EQ(backend.SysfsWalks(), 3u);
    EXPECT_TRUE(Lists(Enumerate(backend), kFirstPath));
}

TEST_F(HidrawChangeMonitorTest, WithoutATrustedMonitorEveryCallWalks) {
    // Without udevd, libudev's monitors stay silent: its control socket is
    // not part of what umockdev emulates, so this follows the host.
    const bool udevRuns = ::access("/run/udev/control", F_OK) == 0;
    struct Case {
        Policy policy;
        bool walksEveryCall;
    };
    for (const Case c : {Case{Policy::kNever, true}, Case{Policy::kWhenUdevRuns, !udevRuns}}) {
        SCOPED_TRACE(static_cast<int>(c.policy));
        HidrawBackend backend(c.policy);
        for (int pass = 0; pass < 3; ++pass) EXPECT_TRUE(Lists(Enumerate(backend), kFirstPath));
        EXPECT_EQ(backend.SysfsWalks(), c.walksEveryCall ? 3u : 1u);
    }
}

}  // namespace
}  // namespace halvorn::hid
