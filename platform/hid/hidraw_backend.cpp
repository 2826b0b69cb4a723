#include "platform/hid/hidraw_backend.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/fs/unique_fd.h"
#include "platform/hid/interface_path.h"
#include "platform/hid/packet_device.h"

namespace halvorn::hid {
namespace {

constexpr std::string_view kScheme = "hidraw";
constexpr std::string_view kNodePrefix = "/dev/hidraw";
constexpr int kOutputReportTimeoutMs = 1000;

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
};
struct UdevEnumerateUnref {
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
struct UdevDeviceUnref {
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
struct UdevMonitorUnref {
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
struct UdevQueueUnref {
    void operator()(udev_queue* q) const { udev_queue_unref(q); }
};
using UdevPtr = std::unique_ptr<udev, UdevUnref>;
using UdevEnumeratePtr = std::unique_ptr<udev_enumerate, UdevEnumerateUnref>;
using UdevDevicePtr = std::unique_ptr<udev_device, UdevDeviceUnref>;
using UdevMonitorPtr = std::unique_ptr<udev_monitor, UdevMonitorUnref>;
using UdevQueuePtr = std::unique_ptr<udev_queue, UdevQueueUnref>;

// Events taken per call before the rest are taken for a change anyway, so
// that a flood of events cannot keep one call busy.
constexpr int kMaxEventsPerCall = 256;

// What sysfs tells about one hidraw node.
struct NodeInfo {
    std::string devnode;
    Attributes attributes;
    int interfaceNumber = 0;
    std::vector<uint8_t> descriptor;
};

// "BBBB:VVVVVVVV:PPPPPPPP", hexadecimal.
bool ParseHidId(const char* text, Attributes& attributes) {
    unsigned bus = 0, vendor = 0, product = 0;
    if (text == nullptr || std::sscanf(text, "%x:%x:%x", &bus, &vendor, &product) != 3) {
        return false;
    }
    attributes.vendorId = static_cast<uint16_t>(vendor);
    attributes.productId = static_cast<uint16_t>(product);
    return true;
}

// A sysfs attribute holding hexadecimal text ("01", "0105").
std::optional<unsigned> HexAttribute(udev_device* device, const char* name) {
    const char* text = device ? udev_device_get_sysattr_value(device, name) : nullptr;
    if (text == nullptr) return std::nullopt;
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 16);
    if (end == text) return std::nullopt;
    return static_cast<unsigned>(value);
}

// The descriptor is binary, so it is read from the file rather than through
// udev's string attributes, which would stop at the first zero byte.
std::vector<uint8_t> ReadReportDescriptor(const char* hidSyspath) {
    std::string path = std::string(hidSyspath) + "/report_descriptor";
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::vector<uint8_t> bytes;
    if (!fd) return bytes;
    bytes.resize(HID_MAX_DESCRIPTOR_SIZE);
    std::size_t used = 0;
    while (used < bytes.size()) {
        ssize_t n = ::read(fd.Get(), bytes.data() + used, bytes.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    return bytes;
}

std::optional<NodeInfo> DescribeNode(udev_device* hidraw) {
    const char* devnode = udev_device_get_devnode(hidraw);
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    if (devnode == nullptr || hid == nullptr) return std::nullopt;
    NodeInfo info;
    info.devnode = devnode;
    if (!ParseHidId(udev_device_get_property_value(hid, "HID_ID"), info.attributes)) {
        return std::nullopt;
    }
    info.descriptor = ReadReportDescriptor(udev_device_get_syspath(hid));
    if (info.descriptor.empty()) return std::nullopt;
    // Parents are owned by the child device; they need no unref.
    udev_device* usbInterface =
        udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_interface");
    info.interfaceNumber =
        static_cast<int>(HexAttribute(usbInterface, "bInterfaceNumber").value_or(0));
    udev_device* usbDevice =
        udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device");
    info.attributes.version =
        static_cast<uint16_t>(HexAttribute(usbDevice, "bcdDevice").value_or(0));
    return info;
}

// The kernel names hidraw nodes after their sysfs device, so "/dev/hidraw3"
// is found as hidraw device "hidraw3"; the node recorded there must agree.
std::optional<NodeInfo> DescribeNodeAt(udev* context, const std::string& devnode) {
    std::string sysname = devnode.substr(devnode.rfind('/') + 1);
    UdevDevicePtr device(
        udev_device_new_from_subsystem_sysname(context, "hidraw", sysname.c_str()));
    if (!device) return std::nullopt;
    auto info = DescribeNode(device.get());
    if (!info || info->devnode != devnode) return std::nullopt;
    return info;
}

bool IsHidrawNode(std::string_view location) {
    if (location.size() <= kNodePrefix.size() ||
        location.substr(0, kNodePrefix.size()) != kNodePrefix) {
        return false;
    }
    std::string_view number = location.substr(kNodePrefix.size());
    return std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IoctlRetrying(int fd, unsigned long request, void* arg) {
    int r;
    do {
        r = ::ioctl(fd, request, arg);
    } while (r < 0 && errno == EINTR);
    return r >= 0;
}

std::optional<std::vector<uint8_t>> ReadDescriptorFromNode(int fd) {
    int size = 0;
    if (!IoctlRetrying(fd, HIDIOCGRDESCSIZE, &size) || size <= 0 ||
        size > HID_MAX_DESCRIPTOR_SIZE) {
        return std::nullopt;
    }
    auto raw = std::make_unique<hidraw_report_descriptor>();
    raw->size = static_cast<uint32_t>(size);
    if (!IoctlRetrying(fd, HIDIOCGRDESC, raw.get())) return std::nullopt;
    return std::vector<uint8_t>(raw->value, raw->value + size);
}

// hidraw wants the report-ID byte on every write, 0 for a descriptor without
// IDs (the kernel drops it), while reads of such a descriptor come bare.
class HidrawDevice final : public PacketDevice {
public:
    using PacketDevice::PacketDevice;

    IoStatus Write(std::span<const uint8_t> report, std::size_t& transferred,
                   int timeoutMs) override {
        transferred = 0;
        if (Io() == nullptr || report.empty()) return IoStatus::Error;
        if (!UsesReportIds() && report[0] != 0) return IoStatus::Error;
        return Io()->Write(report, transferred, timeoutMs);
    }

    // Over the control pipe; kernels without HIDIOCSOUTPUT get a plain write.
    // The ioctl cannot be cancelled; the kernel bounds the control transfer.
    IoStatus SetOutputReport(std::span<const uint8_t> report) override {
        std::size_t transferred = 0;
        if (Io() == nullptr || report.empty() || report.size() > HID_MAX_DESCRIPTOR_SIZE) {
            return IoStatus::Error;
        }
        if (!UsesReportIds() && report[0] != 0) return IoStatus::Error;
        if (Io()->Aborted()) return IoStatus::Cancelled;
        std::vector<uint8_t> copy(report.begin(), report.end());
        if (IoctlRetrying(Io()->Fd(), HIDIOCSOUTPUT(copy.size()), copy.data())) {
            return IoStatus::Ok;
        }
        if (errno == ENOTTY || errno == EINVAL) {
            return Write(report, transferred, kOutputReportTimeoutMs);
        }
        return errno == ENODEV || errno == ESHUTDOWN ? IoStatus::Closed : IoStatus::Error;
    }
};

// 0-based collection index for the path's "&col" number: 0 names the only
// collection, N the N-th; none when out of range.
std::optional<int> CollectionIndex(int collectionNumber, std::size_t collectionCount) {
    if (collectionNumber == 0) {
        return collectionCount == 1 ? std::optional<int>(0) : std::nullopt;
    }
    if (static_cast<std::size_t>(collectionNumber) > collectionCount) return std::nullopt;
    return collectionNumber - 1;
}

// Every collection of every hidraw node that sysfs shows; false when udev
// cannot be asked.
bool WalkSysfs(std::vector<InterfaceInfo>& found) {
    UdevPtr context(udev_new());
    if (!context) return false;
    UdevEnumeratePtr enumerate(udev_enumerate_new(context.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumerate.get()) < 0) {
        return false;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        UdevDevicePtr device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!device) continue;  // gone since the scan
        auto node = DescribeNode(device.get());
        if (!node) continue;
        DescriptorParse parse = ParseReportDescriptor(node->descriptor);
        if (!parse.descriptor) continue;  // nothing we could describe or open
        const auto& collections = parse.descriptor->collections;
        for (std::size_t i = 0; i < collections.size(); ++i) {
            InterfaceInfo info;
            info.interfaceNumber = node->interfaceNumber;
            info.collectionNumber = collections.size() > 1 ? static_cast<int>(i) + 1 : 0;
            info.path = MakeInterfacePath(kScheme, node->devnode, node->attributes.vendorId,
                                          node->attributes.productId, info.interfaceNumber,
                                          info.collectionNumber);
            info.attributes = node->attributes;
            info.usagePage = collections[i].usagePage;
            info.usage = collections[i].usage;
            found.push_back(std::move(info));
        }
    }
    return true;
}

}  // namespace

// Tells whether udev announced a hidraw node coming, going or changing.
class HidrawBackend::Monitor {
public:
    static std::unique_ptr<Monitor> Create(ChangeMonitor policy) {
        if (policy == ChangeMonitor::kNever) return nullptr;
        UdevPtr context(udev_new());
        if (!context) return nullptr;
        if (policy == ChangeMonitor::kWhenUdevRuns) {
            UdevQueuePtr queue(udev_queue_new(context.get()));
            if (!queue || udev_queue_get_udev_is_active(queue.get()) <= 0) return nullptr;
        }
        UdevMonitorPtr monitor(udev_monitor_new_from_netlink(context.get(), "udev"));
        if (!monitor ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor.get()) < 0 ||
            udev_monitor_get_fd(monitor.get()) < 0) {
            return nullptr;
        }
        return std::make_unique<Monitor>(std::move(context), std::move(monitor));
    }

    Monitor(UdevPtr context, UdevMonitorPtr monitor)
        : context_(std::move(context)), monitor_(std::move(monitor)) {}

    // Takes every pending event without waiting: true when there was one, or
    // when some may have been lost (a full socket buffer, an error).
    bool TakeChanges() {
        pollfd ready{udev_monitor_get_fd(monitor_.get()), POLLIN, 0};
        int r;
        do {
            r = ::poll(&ready, 1, 0);
        } while (r < 0 && errno == EINTR);
        if (r < 0) return true;
        if (r == 0) return false;
        bool changed = (ready.revents & POLLIN) == 0;  // only an error condition
        for (int i = 0; i < kMaxEventsPerCall; ++i) {
            errno = 0;
            UdevDevicePtr event(udev_monitor_receive_device(monitor_.get()));
            if (event) {
                changed = true;
                continue;
            }
            // libudev skips what its filter drops and says EAGAIN when done.
            return changed || (errno != EAGAIN && errno != EWOULDBLOCK);
        }
        return true;
    }

private:
    UdevPtr context_;
    UdevMonitorPtr monitor_;
};

HidrawBackend::HidrawBackend(ChangeMonitor monitor) : monitorPolicy_(monitor) {}

HidrawBackend::~HidrawBackend() = default;

bool HidrawBackend::ChangedSinceLastWalk() {
    if (!monitorTried_) {
        // Made before the first walk, so that nothing that happens during
        // it goes unnoticed.
        monitorTried_ = true;
        monitor_ = Monitor::Create(monitorPolicy_);
    }
    const bool changed = monitor_ == nullptr || monitor_->TakeChanges();
    return changed || !listValid_;
}

bool HidrawBackend::Enumerate(std::vector<InterfaceInfo>& out) {
    std::lock_guard lock(mutex_);
    if (ChangedSinceLastWalk()) {
        std::vector<InterfaceInfo> found;
        ++walks_;
        if (!WalkSysfs(found)) {
            listValid_ = false;  // and walk again next time
            return false;
        }
        list_ = std::move(found);
        listValid_ = true;
    }
    out.insert(out.end(), list_.begin(), list_.end());
    return true;
}

uint64_t HidrawBackend::SysfsWalks() const {
    std::lock_guard lock(mutex_);
    return walks_;
}

std::unique_ptr<Device> HidrawBackend::Open(std::string_view path, const OpenFlags& flags) {
    auto parts = SplitInterfacePath(path);
    if (!parts || parts->scheme != kScheme || !IsHidrawNode(parts->location)) return nullptr;
    const uint16_t vendorId = PathVendorId(path);
    const uint16_t productId = PathProductId(path);
    const int interfaceNumber = PathInterfaceNumber(path);
    const int collectionNumber = PathCollectionNumber(path);

    // sysfs must still know the node as the interface the path names: after
    // an unplug the number may belong to another device or interface.
    UdevPtr context(udev_new());
    if (!context) return nullptr;
    auto sys = DescribeNodeAt(context.get(), parts->location);
    if (!sys || sys->attributes.vendorId != vendorId || sys->attributes.productId != productId ||
        sys->interfaceNumber != interfaceNumber) {
        return nullptr;
    }

    std::unique_ptr<PacketIo> io;
    Attributes attributes = sys->attributes;
    std::vector<uint8_t> descriptorBytes;
    if (!flags.read && !flags.write) {
        // Description only: no handle is kept, so sysfs supplies the
        // descriptor; the node itself must still be there.
        struct stat st {};
        if (::stat(parts->location.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return nullptr;
        descriptorBytes = std::move(sys->descriptor);
    } else {
        int mode = flags.read && flags.write ? O_RDWR : flags.read ? O_RDONLY : O_WRONLY;
        UniqueFd fd(::open(parts->location.c_str(), mode | O_CLOEXEC | O_NONBLOCK));
        if (!fd) return nullptr;
        hidraw_devinfo raw{};
        if (!IoctlRetrying(fd.Get(), HIDIOCGRAWINFO, &raw) ||
            static_cast<uint16_t>(raw.vendor) != vendorId ||
            static_cast<uint16_t>(raw.product) != productId) {
            return nullptr;
        }
        auto bytes = ReadDescriptorFromNode(fd.Get());
        if (!bytes) return nullptr;
        descriptorBytes = std::move(*bytes);
        if (flags.exclusive && ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return nullptr;
        io = std::make_unique<PacketIo>(std::move(fd));
    }

    DescriptorParse parse = ParseReportDescriptor(descriptorBytes);
    if (!parse.descriptor) return nullptr;
    auto index = CollectionIndex(collectionNumber, parse.descriptor->collections.size());
    if (!index) return nullptr;
    return std::make_unique<HidrawDevice>(std::move(io), attributes, std::move(*parse.descriptor),
                                          *index, interfaceNumber, collectionNumber);
}

}  // namespace halvorn::hid
