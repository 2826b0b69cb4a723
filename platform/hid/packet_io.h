#pragma once

// The I/O core shared by every backend: one descriptor with packet semantics
// (a hidraw node, or one end of a SOCK_SEQPACKET pair served by a device
// emulator). Every wait is bounded by a timeout and ends at once on Abort.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/fs/unique_fd.h"

namespace halvorn::hid {

enum class IoStatus {
    Ok = 0,
    Timeout,    // nothing arrived (or could be sent) in time; nothing stays outstanding
    Cancelled,  // Abort was called
    Closed,     // the device is gone (end of file, ENODEV, peer closed)
    Error,      // any other failure of the system call
};

const char* IoStatusText(IoStatus status);

// An eventfd that stays signalled once set: every current and later wait on
// it ends. One per open device handle, so a new open starts unsignalled.
class AbortSignal {
public:
    AbortSignal();
    void Raise();
    bool Raised() const;
    int Fd() const { return fd_.Get(); }

private:
    UniqueFd fd_;
    std::atomic<bool> raised_{false};
};

class PacketIo {
public:
    explicit PacketIo(UniqueFd fd);

    // Reads the next packet whose first byte is in `acceptIds` (any packet
    // when `acceptIds` is empty), dropping the others, until `timeoutMs` has
    // passed (negative: no limit). A packet longer than `buffer` is cut to
    // its length. `transferred` receives the bytes stored.
    IoStatus Read(std::span<uint8_t> buffer, std::size_t& transferred, int timeoutMs,
                  std::span<const uint8_t> acceptIds = {});

    // Writes `packet` as one packet, waiting up to `timeoutMs` for room.
    IoStatus Write(std::span<const uint8_t> packet, std::size_t& transferred, int timeoutMs);

    // Ends every current and later Read and Write with Cancelled; thread-safe.
    void Abort() { abort_.Raise(); }
    bool Aborted() const { return abort_.Raised(); }

    int Fd() const { return fd_.Get(); }

private:
    // Waits until `fd_` has `events` ready; Ok, Timeout, Cancelled or Closed/Error.
    IoStatus WaitFor(short events, int timeoutMs);

    UniqueFd fd_;
    AbortSignal abort_;
    bool isSocket_ = false;  // send() with MSG_NOSIGNAL instead of write()
};

}  // namespace halvorn::hid
