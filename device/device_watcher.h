#pragma once

// The device watcher: a worker thread that binds the supported HID
// interfaces to their slots and tells the main window about each change by
// a blocking send: message::kDeviceArrived or message::kDeviceRemoved, with
// the slot index as wParam and 0 as lParam.
//
// Every 100 ms a pass runs. While some slot is free it enumerates the
// interface paths; a path whose vendor, product, interface and collection
// fit a free slot is probed (opened read-only), and when the device's own
// identifiers and its collection's usage fit that slot's row, the slot is
// marked occupied with the path and the arrival is sent. Then every occupied
// slot's path is opened without access rights; when that fails the slot is
// freed and the removal is sent. A slot changes only before the report about
// it, and the thread waits while the report is handled, so the handler reads
// a settled slot list.
//
// After its first pass, whatever it found, the watcher posts the instance
// message (Registered().instance, 0 / 0) once: the main window shows itself
// then, as it does when a second start asks it to.
//
// A report that is not handled (given up at a stop, its target gone, the
// loop ended) is undone on the slot, so that the slot list stays what the
// window knows and a new start reports it again; when nobody is left to
// tell, the thread ends. A failed enumeration only skips the search of that
// pass; removals are still checked, and the next pass tries again.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "device/hid_channel.h"
#include "device/supported_interfaces.h"
#include "platform/hid/backend.h"
#include "platform/loop/message_loop.h"

namespace halvorn {

class DeviceWatcher {
public:
    static constexpr std::chrono::milliseconds kPassPeriod{100};

    // The slot list starts as a copy of the supported-interface table, every
    // slot free. `backend` must outlive the watcher.
    explicit DeviceWatcher(hid::Backend& backend);
    ~DeviceWatcher();  // stops
    DeviceWatcher(const DeviceWatcher&) = delete;
    DeviceWatcher& operator=(const DeviceWatcher&) = delete;

    // Starts the thread, which reports to `target` on `loop` (both must
    // outlive the thread). False when it already runs. Slots keep their
    // state across a stop and a new start.
    bool Start(loop::MessageLoop& loop, loop::TargetId target);
    // Raises the stop token and joins. A report waiting to be handled is
    // given up at once, so this returns promptly even when called from the
    // loop thread. Any thread but the watcher's.
    void Stop();
    // False before Start, after Stop, and after the thread ended by itself.
    bool Running() const;

    // A copy of the slot list, or of one slot, taken under the lock.
    std::vector<InterfaceSlot> Slots() const;
    std::optional<InterfaceSlot> Slot(std::size_t index) const;
    std::size_t SlotCount() const { return kSupportedInterfaceCount; }

    // Frees a slot without a removal report: the next pass probes its
    // interface again and reports a new arrival if it is there (for an
    // attach that failed and should be tried again). False for a bad index.
    bool MarkFree(std::size_t index);
    // Whether the main window attached the slot to a device page; the
    // watcher clears it whenever the slot is freed. Setting it on a free
    // slot or a bad index is refused.
    bool MarkAttached(std::size_t index, bool attached);
    bool Attached(std::size_t index) const;

private:
    enum class Outcome { kDone, kStopped, kUndelivered };

    void Run(std::stop_token stop);
    Outcome SearchFreeSlots(std::stop_token stop);
    Outcome ProbeCandidate(const std::string& path, std::stop_token stop);
    Outcome CheckOccupiedSlots(std::stop_token stop);
    Outcome Report(uint32_t message, std::size_t slot, std::stop_token stop);
    bool AnySlotFree() const;
    bool FreeSlotFits(uint16_t vendorId, uint16_t productId, uint16_t interfaceNumber,
                      uint16_t collectionNumber) const;

    hid::Backend& backend_;
    HidChannel probe_;  // the watcher thread's own

    mutable std::mutex mutex_;  // guards slots_ and attached_
    std::vector<InterfaceSlot> slots_;
    std::vector<bool> attached_;

    loop::MessageLoop* loop_ = nullptr;  // set before the thread starts
    loop::TargetId target_ = 0;
    std::atomic<bool> running_{false};
    bool enumerationFailing_ = false;  // watcher thread only
    std::jthread thread_;
};

}  // namespace halvorn
