#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid/backend.h"

namespace halvorn::hid {

// The Backend over Linux hidraw: libudev enumerates the "hidraw" subsystem
// (vendor and product from the parent HID device, the interface number from
// the USB interface, the collections from the report descriptor) and each
// collection gets a path "hidraw:/dev/hidrawN#vid_..&pid_..&mi_..[&col..]".
// Open reads HIDIOCGRAWINFO and HIDIOCGRDESC from the node itself.
//
// Walking sysfs is the costly part of a scan, and the device watcher scans
// every 100 ms, so Enumerate walks only when a libudev monitor on "hidraw"
// has reported a change since the previous walk (the first call always
// walks) and otherwise returns the list it found last. Open never uses that
// list: it always asks sysfs and the node.
class HidrawBackend : public Backend {
public:
    enum class ChangeMonitor {
        // Trust the monitor only while udevd runs: without it libudev's
        // monitors stay silent and the list would never change again.
        kWhenUdevRuns,
        kAlways,  // trust it whenever it can be created (umockdev sends the events itself)
        kNever,   // walk on every call
    };

    explicit HidrawBackend(ChangeMonitor monitor = ChangeMonitor::kWhenUdevRuns);
    ~HidrawBackend() override;
    HidrawBackend(const HidrawBackend&) = delete;
    HidrawBackend& operator=(const HidrawBackend&) = delete;

    // Any thread; calls are serialised.
    bool Enumerate(std::vector<InterfaceInfo>& out) override;
    std::unique_ptr<Device> Open(std::string_view path, const OpenFlags& flags) override;

    // How often Enumerate walked sysfs, for tests and diagnostics.
    uint64_t SysfsWalks() const;

private:
    class Monitor;

    // A change was reported (or may have been missed) since the last walk.
    bool ChangedSinceLastWalk();

    const ChangeMonitor monitorPolicy_;
    mutable std::mutex mutex_;  // guards everything below
    bool monitorTried_ = false;
    std::unique_ptr<Monitor> monitor_;  // null: walk on every call
    bool listValid_ = false;
    std::vector<InterfaceInfo> list_;
    uint64_t walks_ = 0;
};

}  // namespace halvorn::hid
