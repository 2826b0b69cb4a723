#include "platform/hid/packet_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <utility>

namespace halvorn::hid {
namespace {

using Clock = std::chrono::steady_clock;

// hidraw hands out at most one report per read; our descriptors cap reports
// at 4096 bytes, so one packet always fits here.
constexpr std::size_t kMaxPacket = 4096;

// Milliseconds left until `deadline`, rounded up so that a wait never ends
// before it; -1 (no limit) when there is no deadline.
int RemainingMs(bool limited, Clock::time_point deadline) {
    if (!limited) return -1;
    auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<long long>(ms, 0x7FFFFFFF));
}

// errno values that mean the device (or the emulator's end) is gone.
bool IsGone(int error) {
    return error == ENODEV || error == ECONNRESET || error == ESHUTDOWN || error == ENOTCONN;
}

}  // namespace

const char* IoStatusText(IoStatus status) {
    switch (status) {
        case IoStatus::Ok:
            return "ok";
        case IoStatus::Timeout:
            return "timeout";
        case IoStatus::Cancelled:
            return "cancelled";
        case IoStatus::Closed:
            return "closed";
        case IoStatus::Error:
            return "error";
    }
    return "unknown";
}

AbortSignal::AbortSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void AbortSignal::Raise() {
    raised_.store(true, std::memory_order_release);
    // The counter is never read back, so the eventfd stays readable.
    uint64_t one = 1;
    while (fd_.Valid() && ::write(fd_.Get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool AbortSignal::Raised() const { return raised_.load(std::memory_order_acquire); }

PacketIo::PacketIo(UniqueFd fd) : fd_(std::move(fd)) {
    if (!fd_) return;
    struct stat st {};
    isSocket_ = ::fstat(fd_.Get(), &st) == 0 && S_ISSOCK(st.st_mode);
    // poll() may report a packet that another reader takes first; a blocking
    // read() would then wait past every timeout and Abort.
    int fl = ::fcntl(fd_.Get(), F_GETFL);
    if (fl >= 0 && !(fl & O_NONBLOCK)) ::fcntl(fd_.Get(), F_SETFL, fl | O_NONBLOCK);
}

IoStatus PacketIo::WaitFor(short events, int timeoutMs) {
    if (abort_.Raised()) return IoStatus::Cancelled;
    // Without its eventfd a wait could not be cancelled: refuse to wait at all.
    if (!fd_.Valid() || abort_.Fd() < 0) return IoStatus::Error;

    const bool limited = timeoutMs >= 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    for (;;) {
        std::array<pollfd, 2> fds{{{abort_.Fd(), POLLIN, 0}, {fd_.Get(), events, 0}}};
        int n = ::poll(fds.data(), fds.size(), RemainingMs(limited, deadline));
        if (n < 0) {
            if (errno == EINTR) continue;
            return IoStatus::Error;
        }
        if (fds[0].revents != 0 || abort_.Raised()) return IoStatus::Cancelled;
        if (n == 0) return IoStatus::Timeout;
        const short got = fds[1].revents;
        // Data still queued is delivered before the hang-up is reported.
        if (got & events) return IoStatus::Ok;
        if (got & POLLNVAL) return IoStatus::Error;
        if (got & (POLLHUP | POLLERR)) return IoStatus::Closed;
    }
}

IoStatus PacketIo::Read(std::span<uint8_t> buffer, std::size_t& transferred, int timeoutMs,
                        std::span<const uint8_t> acceptIds) {
    transferred = 0;
    const bool limited = timeoutMs >= 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    std::array<uint8_t, kMaxPacket> packet;
    for (bool first = true;; first = false) {
        int wait = RemainingMs(limited, deadline);
        // A stream of foreign packets must not hold the caller past its deadline.
        if (!first && wait == 0) return IoStatus::Timeout;
        IoStatus status = WaitFor(POLLIN, wait);
        if (status != IoStatus::Ok) return status;

        ssize_t n = ::read(fd_.Get(), packet.data(), packet.size());
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            // hidraw answers EIO once its device is unplugged and the queue is empty.
            return IsGone(errno) || errno == EIO ? IoStatus::Closed : IoStatus::Error;
        }
        if (n == 0) return IoStatus::Closed;  // end of file: the peer is gone
        if (!acceptIds.empty() &&
            std::find(acceptIds.begin(), acceptIds.end(), packet[0]) == acceptIds.end()) {
            continue;  // another collection's report
        }
        transferred = std::min(static_cast<std::size_t>(n), buffer.size());
        std::copy_n(packet.begin(), transferred, buffer.begin());
        return IoStatus::Ok;
    }
}

IoStatus PacketIo::Write(std::span<const uint8_t> packet, std::size_t& transferred, int timeoutMs) {
    transferred = 0;
    if (packet.empty()) return IoStatus::Error;  // an empty packet reads as end of file
    const bool limited = timeoutMs >= 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    for (bool first = true;; first = false) {
        int wait = RemainingMs(limited, deadline);
        if (!first && wait == 0) return IoStatus::Timeout;
        IoStatus status = WaitFor(POLLOUT, wait);
        if (status != IoStatus::Ok) return status;

        // On a socket, a gone peer must not raise SIGPIPE in the program.
        ssize_t n = isSocket_ ? ::send(fd_.Get(), packet.data(), packet.size(), MSG_NOSIGNAL)
                              : ::write(fd_.Get(), packet.data(), packet.size());
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            // EPIPE from a USB device is a stall, not a vanished device.
            if (IsGone(errno) || (isSocket_ && errno == EPIPE)) return IoStatus::Closed;
            return IoStatus::Error;
        }
        transferred = static_cast<std::size_t>(n);
        return transferred == packet.size() ? IoStatus::Ok : IoStatus::Error;
    }
}

}  // namespace halvorn::hid
