#pragma once

#include <json/value.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fs/unique_fd.h"
#include "tools/vdev/faults.h"
#include "tools/vdev/firmware.h"

namespace halvorn::vdev {

struct ReceivedReport {
    int interfaceNumber = 0;
    std::vector<uint8_t> data;
};

// One plugged device: its firmware, the open connections to its interfaces
// and a service thread that reads what the host writes, lets the firmware
// answer and applies the faults. Thread-safe.
class VirtualDevice {
public:
    VirtualDevice(std::string name, std::unique_ptr<Firmware> firmware);
    ~VirtualDevice();  // closes every connection and joins the service thread
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    const std::string& Name() const { return name_; }
    std::string Kind() const;
    hid::Attributes GetAttributes() const;
    std::vector<InterfaceSpec> Interfaces() const;

    // A new connection to one interface (client end of a SOCK_SEQPACKET
    // pair); invalid when the interface does not exist or the device is unplugged.
    UniqueFd Connect(int interfaceNumber);

    // Ends every connection (the host sees the device vanish); idempotent.
    void Unplug();
    bool Plugged() const;

    void SetFaults(const Faults& faults);
    Faults GetFaults() const;
    // Changes the faults in one step with the service thread held off, so
    // that no counter it consumes meanwhile is lost; returns the result.
    Faults ModifyFaults(const std::function<void(Faults&)>& change);

    // Sends an input report on every connection of the interface.
    void SendInputReport(int interfaceNumber, std::vector<uint8_t> report);

    // Lets the firmware carry out an action on the device itself
    // (Firmware::Act) and sends the input reports it causes, after any
    // queued before; `sent` receives them. False with `error` set when the
    // device is unplugged or the firmware refuses the action.
    bool Act(const Json::Value& action, std::string& error,
             std::vector<ReceivedReport>* sent = nullptr);

    // The reports the host wrote, in arrival order (the latest 4096).
    std::vector<ReceivedReport> Requests() const;
    void ClearRequests();

    // Runs `fn` on the firmware while the service thread is held off.
    template <typename F>
    auto WithFirmware(F&& fn) const {
        std::lock_guard lock(mutex_);
        return fn(*firmware_);
    }

    // {"name", "kind", "vendorId", "productId", "plugged", "memory",
    //  "requests": [{"interface", "data": "04 01 00 ..."}]}; the log keeps
    //  the latest 4096 reports.
    Json::Value Dump() const;

private:
    struct Impl;
    std::string name_;
    mutable std::mutex mutex_;  // guards firmware_ and the state in impl_
    std::unique_ptr<Firmware> firmware_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace halvorn::vdev
