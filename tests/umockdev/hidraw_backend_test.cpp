// The hidraw backend, unmodified, against udev, sysfs and /dev emulated by
// umockdev: the composite keyboard's two interfaces as the kernel would show
// them, with the node's ioctls answered from the keyboard's descriptors.
//
// umockdev 0.17 runs ioctl handlers on a worker thread of its own testbed (a
// GMainLoop it iterates itself), so the test thread needs no main context;
// the handler therefore only touches data guarded by the node's mutex, and it
// completes every request so that no ioctl of the backend can hang.
// umockdev does not emulate poll() on these nodes: transfers are tested on
// socket pairs (tests/unit/packet_io_test.cpp), not here.

#include <glib-object.h>
#include <gtest/gtest.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/hidraw_backend.h"
#include "tools/vdev/keyboard_descriptors.h"
#include "tools/vdev/keyboard_firmware.h"

// umockdev-wrapper preloads its library ahead of the ASan runtime, and GLib's
// type system keeps allocations for the life of the process. Set here rather
// than in the test environment because test discovery runs the binary too.
extern "C" const char* __asan_default_options() {
    return "verify_asan_link_order=0:detect_leaks=0";
}

namespace halvorn::hid {
namespace {

using Bytes = std::vector<uint8_t>;

const vdev::KeyboardOptions kKeyboard;  // the factory identity: 3A17:6E21, version 0105

constexpr char kProtocolPath[] = "hidraw:/dev/hidraw0#vid_3a17&pid_6e21&mi_01&col04";

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

struct GFreeString {
    void operator()(gchar* s) const { g_free(s); }
};

// One emulated /dev/hidrawN: what the kernel answers to HIDIOCGRAWINFO and
// HIDIOCGRDESC*, and the output reports it got through HIDIOCSOUTPUT.
class HidrawNode {
public:
    HidrawNode(uint16_t vendorId, uint16_t productId, std::span<const uint8_t> descriptor)
        : vendorId_(vendorId),
          productId_(productId),
          descriptor_(descriptor.begin(), descriptor.end()),
          handler_(umockdev_ioctl_base_new()) {
        g_signal_connect(handler_.get(), "handle-ioctl", G_CALLBACK(&HidrawNode::OnIoctl), this);
    }
    ~HidrawNode() { g_signal_handlers_disconnect_by_data(handler_.get(), this); }

    UMockdevIoctlBase* Handler() const { return handler_.get(); }

    // The node now belongs to another device than sysfs still tells.
    void SetVendor(uint16_t vendorId) {
        std::lock_guard lock(mutex_);
        vendorId_ = vendorId;
    }
    std::vector<Bytes> OutputReports() const {
        std::lock_guard lock(mutex_);
        return outputReports_;
    }

private:
    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto [result, error] = static_cast<HidrawNode*>(self)->Answer(client);
        umockdev_ioctl_client_complete(client, result, error);
        return TRUE;
    }

    // Copies `bytes` to the caller's argument; false when it points nowhere.
    static bool Store(UMockdevIoctlData* arg, const void* bytes, std::size_t size) {
        UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, size, nullptr);
        if (data == nullptr) return false;
        std::memcpy(data->data, bytes, size);
        return true;
    }

    std::pair<long, int> Answer(UMockdevIoctlClient* client) {
        std::lock_guard lock(mutex_);
        const unsigned long request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        if (request == HIDIOCGRAWINFO) {
            hidraw_devinfo info{};
            info.bustype = 3;  // BUS_USB
            info.vendor = static_cast<int16_t>(vendorId_);
            info.product = static_cast<int16_t>(productId_);
            return Store(arg, &info, sizeof info) ? std::pair(0L, 0) : std::pair(-1L, EFAULT);
        }
        if (request == HIDIOCGRDESCSIZE) {
            int size = static_cast<int>(descriptor_.size());
            return Store(arg, &size, sizeof size) ? std::pair(0L, 0) : std::pair(-1L, EFAULT);
        }
        if (request == HIDIOCGRDESC) {
            UMockdevIoctlData* data =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(hidraw_report_descriptor), nullptr);
            if (data == nullptr) return {-1, EFAULT};
            uint32_t size = 0;
            std::memcpy(&size, data->data, sizeof size);
            if (size > descriptor_.size()) return {-1, EINVAL};
            std::memcpy(data->data + sizeof size, descriptor_.data(), size);
            return {0, 0};
        }
        if (_IOC_TYPE(request) == 'H' && _IOC_NR(request) == _IOC_NR(HIDIOCSOUTPUT(0))) {
            std::size_t size = _IOC_SIZE(request);
            UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, size, nullptr);
            if (data == nullptr) return {-1, EFAULT};
            outputReports_.emplace_back(data->data, data->data + size);
            return {static_cast<long>(size), 0};
        }
        return {-1, ENOTTY};
    }

    mutable std::mutex mutex_;
    uint16_t vendorId_;
    uint16_t productId_;
    Bytes descriptor_;
    std::vector<Bytes> outputReports_;
    GPtr<UMockdevIoctlBase> handler_;
};

class HidrawBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        testbed_.reset(umockdev_testbed_new());
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run under umockdev-wrapper";
        usbDevice_ = AddUsbDevice("1-1", kKeyboard.vendorId, kKeyboard.productId);
        protocolNode_ = AddInterface(usbDevice_, "1-1:1.1", 1, "hidraw0", kKeyboard.vendorId,
                                     kKeyboard.productId, vdev::kKeyboardCompositeDescriptor);
        bootNode_ = AddInterface(usbDevice_, "1-1:1.0", 0, "hidraw1", kKeyboard.vendorId,
                                 kKeyboard.productId, vdev::kKeyboardBootDescriptor);
    }

    void TearDown() override {
        nodes_.clear();  // handlers go before the testbed that calls them
        testbed_.reset();
    }

    std::string AddUsbDevice(const char* name, uint16_t vendorId, uint16_t productId) {
        char vid[8], pid[8], bcd[8];
        std::snprintf(vid, sizeof vid, "%04x", vendorId);
        std::snprintf(pid, sizeof pid, "%04x", productId);
        std::snprintf(bcd, sizeof bcd, "%04x", kKeyboard.version);
        return Owned(umockdev_testbed_add_device(testbed_.get(), "usb", name, nullptr, "idVendor",
                                                 vid, "idProduct", pid, "bcdDevice", bcd, nullptr,
                                                 "DEVTYPE", "usb_device", nullptr));
    }

    // A usb_interface with its hid device and hidraw node below `usbDevice`.
    HidrawNode* AddInterface(const std::string& usbDevice, const char* name, int number,
                             const char* hidraw, uint16_t vendorId, uint16_t productId,
                             std::span<const uint8_t> descriptor) {
        char iface[8], hidName[64], hidId[64];
        std::snprintf(iface, sizeof iface, "%02x", number);
        std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04d", vendorId, productId,
                      static_cast<int>(nodes_.size()) + 1);
        std::snprintf(hidId, sizeof hidId, "0003:%08X:%08X", vendorId, productId);
        std::string intf = Owned(umockdev_testbed_add_device(
            testbed_.get(), "usb", name, usbDevice.c_str(), "bInterfaceNumber", iface, nullptr,
            "DEVTYPE", "usb_interface", nullptr));
        std::string hid = Owned(umockdev_testbed_add_device(
            testbed_.get(), "hid", hidName, intf.c_str(), nullptr, "HID_ID", hidId, nullptr));
        Bytes bytes(descriptor.begin(), descriptor.end());
        umockdev_testbed_set_attribute_binary(testbed_.get(), hid.c_str(), "report_descriptor",
                                              bytes.data(), static_cast<gint>(bytes.size()));
        // The record format is the one way to get a device node in /dev.
        std::string record = "P: " + hid.substr(std::strlen("/sys")) + "/hidraw/" + hidraw +
                             "\nN: " + hidraw + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/" + hidraw +
                             "\nA: dev=241:" + std::to_string(nodes_.size()) + "\n";
        GError* error = nullptr;
        EXPECT_TRUE(umockdev_testbed_add_from_string(testbed_.get(), record.c_str(), &error))
            << (error ? error->message : "");
        if (error) g_error_free(error);

        auto node = std::make_unique<HidrawNode>(vendorId, productId, descriptor);
        std::string devnode = std::string("/dev/") + hidraw;
        EXPECT_TRUE(umockdev_testbed_attach_ioctl(testbed_.get(), devnode.c_str(), node->Handler(),
                                                  nullptr));
        nodes_.push_back(std::move(node));
        return nodes_.back().get();
    }

    static std::string Owned(gchar* text) {
        std::unique_ptr<gchar, GFreeString> owner(text);
        return text ? std::string(text) : std::string();
    }

    std::vector<InterfaceInfo> Enumerate() {
        std::vector<InterfaceInfo> found;
        EXPECT_TRUE(backend_.Enumerate(found));
        return found;
    }

    static const InterfaceInfo* Find(const std::vector<InterfaceInfo>& infos,
                                     const std::string& path) {
        auto it = std::find_if(infos.begin(), infos.end(),
                               [&](const InterfaceInfo& i) { return i.path == path; });
        return it == infos.end() ? nullptr : &*it;
    }

    GPtr<UMockdevTestbed> testbed_;
    std::vector<std::unique_ptr<HidrawNode>> nodes_;
    std::string usbDevice_;
    HidrawNode* protocolNode_ = nullptr;
    HidrawNode* bootNode_ = nullptr;
    HidrawBackend backend_;
};

constexpr OpenFlags kReadWrite{true, true, true, false};
constexpr OpenFlags kDescriptionOnly{false, false, false, false};
constexpr OpenFlags kExclusive{true, true, true, true};

TEST_F(HidrawBackendTest, EnumeratesEveryCollectionOfEveryInterface) {
    struct Expected {
        std::string path;
        int interfaceNumber, collectionNumber;
        uint16_t usagePage, usage;
    };
    const Expected expected[] = {
        {"hidraw:/dev/hidraw0#vid_3a17&pid_6e21&mi_01&col01", 1, 1, 0x01, 0x06},
        {"hidraw:/dev/hidraw0#vid_3a17&pid_6e21&mi_01&col02", 1, 2, 0x01, 0x80},
        {"hidraw:/dev/hidraw0#vid_3a17&pid_6e21&mi_01&col03", 1, 3, 0x0C, 0x01},
        {kProtocolPath, 1, 4, 0xFF1C, 0x92},
        {"hidraw:/dev/hidraw1#vid_3a17&pid_6e21&mi_00", 0, 0, 0x01, 0x06},
    };
    auto infos = Enumerate();
    EXPECT_EQ(infos.size(), std::size(expected));
    for (const auto& e : expected) {
        SCOPED_TRACE(e.path);
        const InterfaceInfo* info = Find(infos, e.path);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->interfaceNumber, e.interfaceNumber);
        EXPECT_EQ(info->collectionNumber, e.collectionNumber);
        EXPECT_EQ(info->usagePage, e.usagePage);
        EXPECT_EQ(info->usage, e.usage);
        EXPECT_EQ(info->attributes.vendorId, 0x3A17);
        EXPECT_EQ(info->attributes.productId, 0x6E21);
        EXPECT_EQ(info->attributes.version, 0x0105);
    }
}

TEST_F(HidrawBackendTest, OpensProtocolCollectionFromNode) {
    auto device = backend_.Open(kProtocolPath, kReadWrite);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Caps().usagePage, 0xFF1C);
    EXPECT_EQ(device->Caps().usage, 0x92);
    EXPECT_EQ(device->Caps().ReportLength(ReportKind::Input), 64);
    EXPECT_EQ(device->Caps().ReportLength(ReportKind::Output), 64);
    EXPECT_EQ(device->GetAttributes().vendorId, 0x3A17);
    EXPECT_EQ(device->GetAttributes().productId, 0x6E21);
    EXPECT_EQ(device->GetAttributes().version, 0x0105);
    EXPECT_EQ(device->InterfaceNumber(), 1);
    EXPECT_EQ(device->CollectionNumber(), 4);

    auto boot = backend_.Open("hidraw:/dev/hidraw1#vid_3a17&pid_6e21&mi_00", kReadWrite);
    ASSERT_TRUE(boot);
    EXPECT_EQ(boot->Caps().usage, 0x06);
    EXPECT_EQ(boot->CollectionNumber(), 0);
}

TEST_F(HidrawBackendTest, DescriptionOnlyOpenDescribesWithoutTransfers) {
    auto device = backend_.Open(kProtocolPath, kDescriptionOnly);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Caps().usagePage, 0xFF1C);
    EXPECT_EQ(device->GetAttributes().version, 0x0105);
    std::vector<uint8_t> buffer(64);
    std::size_t got = 0;
    EXPECT_EQ(device->Read(buffer, got, 0), IoStatus::Error);
    EXPECT_EQ(device->SetOutputReport(buffer), IoStatus::Error);
}

TEST_F(HidrawBackendTest, RefusesPathsThatDoNotNameAPresentCollection) {
    const char* paths[] = {
        "hidraw:/dev/hidraw0#vid_3a17&pid_6e21&mi_01&col05",  // no fifth collection
        "hidraw:/dev/hidraw0#vid_3a17&pid_6e21&mi_01",        // which of four?
        "hidraw:/dev/hidraw0#vid_3a17&pid_6e21&mi_00&col04",  // another interface's node
        "hidraw:/dev/hidraw0#vid_3a17&pid_6e22&mi_01&col04",  // another product
        "hidraw:/dev/hidraw1#vid_3a17&pid_6e21&mi_00&col02",
        "hidraw:/dev/hidraw7#vid_3a17&pid_6e21&mi_01&col04",  // no such node
        "virtual:/dev/hidraw0#vid_3a17&pid_6e21&mi_01&col04",
        "hidraw:/dev/../dev/hidraw0#vid_3a17&pid_6e21&mi_01&col04",
        "hidraw:/dev/hidraw0",
        "",
    };
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(backend_.Open(path, kReadWrite));
        EXPECT_FALSE(backend_.Open(path, kDescriptionOnly));
    }
}

TEST_F(HidrawBackendTest, SecondExclusiveOpenIsRefused) {
    auto first = backend_.Open(kProtocolPath, kExclusive);
    ASSERT_TRUE(first);
    EXPECT_FALSE(backend_.Open(kProtocolPath, kExclusive));
    EXPECT_TRUE(backend_.Open(kProtocolPath, kReadWrite));
    first.reset();
    EXPECT_TRUE(backend_.Open(kProtocolPath, kExclusive));
}

TEST_F(HidrawBackendTest, UnpluggedDeviceIsGone) {
    umockdev_testbed_remove_device(testbed_.get(), usbDevice_.c_str());
    // umockdev leaves the node and its handler behind: sysfs alone tells
    // that the device went, as it does when a node outlives its device.
    EXPECT_TRUE(Enumerate().empty());
    EXPECT_FALSE(backend_.Open(kProtocolPath, kReadWrite));
    EXPECT_FALSE(backend_.Open(kProtocolPath, kDescriptionOnly));
}

TEST_F(HidrawBackendTest, NodeOfAnotherVendorDoesNotOpenAsThePathsDevice) {
    // sysfs still tells the keyboard, the node answers as another device.
    protocolNode_->SetVendor(0x1234);
    EXPECT_FALSE(backend_.Open(kProtocolPath, kReadWrite));

    // A node number taken over by another vendor's device.
    std::string other = AddUsbDevice("2-1", 0x1234, kKeyboard.productId);
    AddInterface(other, "2-1:1.1", 1, "hidraw2", 0x1234, kKeyboard.productId,
                 vdev::kKeyboardCompositeDescriptor);
    const char* stale = "hidraw:/dev/hidraw2#vid_3a17&pid_6e21&mi_01&col04";
    EXPECT_FALSE(backend_.Open(stale, kReadWrite));
    EXPECT_FALSE(backend_.Open(stale, kDescriptionOnly));
    EXPECT_TRUE(backend_.Open("hidraw:/dev/hidraw2#vid_1234&pid_6e21&mi_01&col04", kReadWrite));
}

TEST_F(HidrawBackendTest, SetOutputReportGoesThroughControlPipe) {
    auto device = backend_.Open(kProtocolPath, kReadWrite);
    ASSERT_TRUE(device);
    Bytes report(64, 0);
    report[0] = vdev::KeyboardFirmware::kProtocolReportId;
    report[1] = 0x5A;
    EXPECT_EQ(device->SetOutputReport(report), IoStatus::Ok);
    EXPECT_EQ(protocolNode_->OutputReports(), std::vector<Bytes>{report});

    // Without report IDs the 0 byte still leads: the kernel drops it.
    auto boot = backend_.Open("hidraw:/dev/hidraw1#vid_3a17&pid_6e21&mi_00", kReadWrite);
    ASSERT_TRUE(boot);
    EXPECT_EQ(boot->SetOutputReport(Bytes{0x00, 0x02}), IoStatus::Ok);
    EXPECT_EQ(bootNode_->OutputReports(), std::vector<Bytes>{(Bytes{0x00, 0x02})});
    EXPECT_EQ(boot->SetOutputReport(Bytes{0x01, 0x02}), IoStatus::Error);
}

}  // namespace
}  // namespace halvorn::hid
