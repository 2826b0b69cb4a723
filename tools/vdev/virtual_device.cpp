#include "tools/vdev/virtual_device.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>

#include "tools/vdev/hex_text.h"
#include "tools/vdev/protocol_frame.h"

namespace halvorn::vdev {

namespace {

// The log keeps the latest reports only, so that a long-running emulator fed
// light frames does not grow without bound.
constexpr std::size_t kMaxLoggedRequests = 4096;
constexpr std::size_t kReceiveBufferSize = 4096;

using Outgoing = std::pair<int, std::vector<uint8_t>>;

class CollectingSink : public ReportSink {
public:
    void Send(int interfaceNumber, std::vector<uint8_t> report) override {
        reports.emplace_back(interfaceNumber, std::move(report));
    }
    std::vector<Outgoing> reports;
};

bool IsProtocolFrame(std::span<const uint8_t> report) {
    return report.size() == kFrameSize && report[0] == kFrameReportId;
}

// A command byte that is neither `command` nor the receiver's "unreachable".
uint8_t OtherCommand(uint8_t command) {
    auto other = static_cast<uint8_t>(command + 1);
    if (other == kUnreachableCommand) ++other;
    return other;
}

// The faults that act on one protocol request: every counter above zero
// counts it. The reply is replaced by the first of unreachable, silent and
// reject; a wrong command byte and a stray reply change what is then sent.
struct RequestFaults {
    bool unreachable = false;
    bool silent = false;
    bool reject = false;
    bool wrongCommand = false;
    bool stray = false;
    bool Any() const { return unreachable || silent || reject || wrongCommand || stray; }
};

RequestFaults TakeFaults(Faults& faults) {
    auto take = [](int& counter) {
        if (counter <= 0) return false;
        --counter;
        return true;
    };
    RequestFaults taken;
    taken.unreachable = take(faults.unreachableReplies);
    taken.silent = take(faults.silentReplies);
    taken.reject = take(faults.rejectReplies);
    taken.wrongCommand = take(faults.wrongCommandReplies);
    taken.stray = take(faults.strayReplies);
    return taken;
}

}  // namespace

struct VirtualDevice::Impl {
    struct Connection {
        int interfaceNumber = 0;
        UniqueFd fd;
        bool dead = false;
    };

    // Set at construction, read-only afterwards.
    UniqueFd wake;
    std::vector<InterfaceSpec> interfaces;
    int protocolInterface = -1;

    // Guarded by VirtualDevice::mutex_. Only the service thread erases
    // connections, so the descriptors it polls stay open while it polls.
    std::vector<Connection> connections;
    std::deque<Outgoing> pendingInput;
    std::deque<ReceivedReport> requests;
    Faults faults;
    bool plugged = true;

    std::mutex sleepMutex;
    std::condition_variable_any sleepCondition;
    std::jthread thread;  // started last, joined first

    void Wake() const {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wake.Get(), &one, sizeof one);
    }

    void SleepFor(std::chrono::microseconds duration, std::stop_token stop) {
        if (duration <= std::chrono::microseconds::zero()) return;
        std::unique_lock lock(sleepMutex);
        sleepCondition.wait_for(lock, stop, duration, [] { return false; });
    }

    bool HasInterface(int number) const {
        return std::any_of(interfaces.begin(), interfaces.end(),
                           [number](const InterfaceSpec& iface) { return iface.number == number; });
    }

    bool IsProtocolRequest(int interfaceNumber, std::span<const uint8_t> report) const {
        return (protocolInterface < 0 || interfaceNumber == protocolInterface) &&
               IsProtocolFrame(report);
    }

    void UnplugLocked() {
        if (!plugged) return;
        plugged = false;
        pendingInput.clear();
        // shutdown, not close: the service thread may be polling these
        // descriptors; it closes them once it wakes. The host sees end of file now.
        for (Connection& c : connections) ::shutdown(c.fd.Get(), SHUT_RDWR);
        Wake();
    }

    void SendLocked(int interfaceNumber, std::span<const uint8_t> report) {
        for (Connection& c : connections) {
            if (c.dead || c.interfaceNumber != interfaceNumber) continue;
            // A host that reads nothing loses reports, as with a full hidraw
            // queue. A closed connection is noticed by the reading side,
            // after the requests it wrote before closing have been served.
            [[maybe_unused]] ssize_t n =
                ::send(c.fd.Get(), report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        }
    }

    void MarkDeadLocked(int fd) {
        for (Connection& c : connections) {
            if (c.fd.Get() == fd) c.dead = true;
        }
    }

    void LogLocked(int interfaceNumber, std::span<const uint8_t> report) {
        if (requests.size() == kMaxLoggedRequests) requests.pop_front();
        requests.push_back({interfaceNumber, {report.begin(), report.end()}});
    }

    // What the device answers to one report, faults applied; under the lock.
    std::vector<Outgoing> AnswerLocked(Firmware& firmware, int interfaceNumber,
                                       std::span<const uint8_t> report) {
        RequestFaults fault;
        if (IsProtocolRequest(interfaceNumber, report)) {
            if (faults.unplugAfterRequests == 0) {
                faults.unplugAfterRequests = -1;
                UnplugLocked();
                return {};
            }
            if (faults.unplugAfterRequests > 0) --faults.unplugAfterRequests;
            fault = TakeFaults(faults);
        }
        if (fault.silent && !fault.unreachable) return {};

        std::vector<Outgoing> replies;
        if (fault.unreachable || fault.reject) {
            // The receiver answers for a device it cannot reach, or the
            // device refuses: either way the firmware never sees the request.
            auto offset = static_cast<uint16_t>(report[5] | report[6] << 8);
            replies.emplace_back(
                interfaceNumber,
                fault.unreachable ? BuildFrame(kUnreachableCommand, report[4], offset, 0)
                                  : BuildFrame(report[3], report[4], offset, faults.rejectStatus));
        } else {
            CollectingSink sink;
            firmware.OnReport(interfaceNumber, report, sink);
            replies = std::move(sink.reports);
        }
        if (!fault.wrongCommand && !fault.stray) return replies;

        std::vector<Outgoing> out;
        bool applied = false;
        for (Outgoing& reply : replies) {
            bool target =
                !applied && reply.first == interfaceNumber && IsProtocolFrame(reply.second);
            if (target && fault.stray) {
                out.emplace_back(reply.first, BuildFrame(OtherCommand(reply.second[3]), 0, 0, 0));
            }
            if (target && fault.wrongCommand) {
                reply.second[3] = OtherCommand(reply.second[3]);
                RefreshChecksum(reply.second);
            }
            applied = applied || target;
            out.push_back(std::move(reply));
        }
        return out;
    }

    void Handle(VirtualDevice& device, int interfaceNumber, std::span<const uint8_t> report,
                std::stop_token stop) {
        std::chrono::microseconds latency;
        {
            std::lock_guard lock(device.mutex_);
            latency = faults.latency;
        }
        SleepFor(latency, stop);
        std::vector<Outgoing> out;
        {
            std::lock_guard lock(device.mutex_);
            if (!plugged) return;
            LogLocked(interfaceNumber, report);
            out = AnswerLocked(*device.firmware_, interfaceNumber, report);
        }
        for (const Outgoing& reply : out) {
            SleepFor(latency, stop);
            if (stop.stop_requested()) return;
            std::lock_guard lock(device.mutex_);
            if (!plugged) return;
            SendLocked(reply.first, reply.second);
        }
    }

    void Serve(VirtualDevice& device, std::stop_token stop) {
        std::vector<pollfd> fds;
        std::vector<int> fdInterfaces;
        std::vector<uint8_t> buffer(kReceiveBufferSize);
        while (!stop.stop_requested()) {
            fds.assign(1, pollfd{wake.Get(), POLLIN, 0});
            fdInterfaces.assign(1, -1);
            {
                std::lock_guard lock(device.mutex_);
                if (!plugged) {
                    connections.clear();
                    return;
                }
                while (!pendingInput.empty()) {
                    SendLocked(pendingInput.front().first, pendingInput.front().second);
                    pendingInput.pop_front();
                }
                std::erase_if(connections, [](const Connection& c) { return c.dead; });
                for (const Connection& c : connections) {
                    fds.push_back({c.fd.Get(), POLLIN, 0});
                    fdInterfaces.push_back(c.interfaceNumber);
                }
            }
            // Unbounded on purpose: stop, unplug, new connections and input
            // reports all write the eventfd.
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[0].revents & POLLIN) {
                uint64_t count;
                [[maybe_unused]] ssize_t n = ::read(wake.Get(), &count, sizeof count);
            }
            for (std::size_t i = 1; i < fds.size() && !stop.stop_requested(); ++i) {
                if (fds[i].revents == 0) continue;
                ssize_t n = -1;
                if (fds[i].revents & POLLIN) {
                    n = ::recv(fds[i].fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
                    if (n > 0) {
                        Handle(device, fdInterfaces[i],
                               std::span<const uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                               stop);
                        continue;
                    }
                    // ECONNRESET: the host closed with replies unread; what it
                    // wrote before is still queued and read next.
                    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ||
                                  errno == ECONNRESET)) {
                        continue;
                    }
                }
                std::lock_guard lock(device.mutex_);
                MarkDeadLocked(fds[i].fd);  // end of file, hang-up or error: the host closed it
            }
        }
    }
};

VirtualDevice::VirtualDevice(std::string name, std::unique_ptr<Firmware> firmware)
    : name_(std::move(name)), firmware_(std::move(firmware)), impl_(std::make_unique<Impl>()) {
    impl_->wake.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!impl_->wake) throw std::system_error(errno, std::generic_category(), "eventfd");
    impl_->interfaces = firmware_->Interfaces();
    impl_->protocolInterface = firmware_->ProtocolInterface();
    impl_->thread = std::jthread([this](std::stop_token stop) { impl_->Serve(*this, stop); });
}

VirtualDevice::~VirtualDevice() {
    impl_->thread.request_stop();
    impl_->Wake();
    if (impl_->thread.joinable()) impl_->thread.join();
}

std::string VirtualDevice::Kind() const {
    std::lock_guard lock(mutex_);
    return firmware_->Kind();
}

hid::Attributes VirtualDevice::GetAttributes() const {
    std::lock_guard lock(mutex_);
    return firmware_->Attributes();
}

std::vector<InterfaceSpec> VirtualDevice::Interfaces() const { return impl_->interfaces; }

UniqueFd VirtualDevice::Connect(int interfaceNumber) {
    std::lock_guard lock(mutex_);
    if (!impl_->plugged || !impl_->HasInterface(interfaceNumber)) return {};
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return {};
    impl_->connections.push_back({interfaceNumber, UniqueFd(ends[0]), false});
    impl_->Wake();
    return UniqueFd(ends[1]);
}

void VirtualDevice::Unplug() {
    std::lock_guard lock(mutex_);
    impl_->UnplugLocked();
}

bool VirtualDevice::Plugged() const {
    std::lock_guard lock(mutex_);
    return impl_->plugged;
}

void VirtualDevice::SetFaults(const Faults& faults) {
    std::lock_guard lock(mutex_);
    impl_->faults = faults;
}

Faults VirtualDevice::GetFaults() const {
    std::lock_guard lock(mutex_);
    return impl_->faults;
}

Faults VirtualDevice::ModifyFaults(const std::function<void(Faults&)>& change) {
    std::lock_guard lock(mutex_);
    change(impl_->faults);
    return impl_->faults;
}

void VirtualDevice::SendInputReport(int interfaceNumber, std::vector<uint8_t> report) {
    std::lock_guard lock(mutex_);
    if (!impl_->plugged || !impl_->HasInterface(interfaceNumber)) return;
    impl_->pendingInput.emplace_back(interfaceNumber, std::move(report));
    impl_->Wake();
}

bool VirtualDevice::Act(const Json::Value& action, std::string& error,
                        std::vector<ReceivedReport>* sent) {
    std::lock_guard lock(mutex_);
    if (!impl_->plugged) {
        error = "device " + name_ + " is unplugged";
        return false;
    }
    CollectingSink sink;
    if (!firmware_->Act(action, sink, error)) return false;
    for (Outgoing& report : sink.reports) {
        if (!impl_->HasInterface(report.first)) continue;
        if (sent) sent->push_back({report.first, report.second});
        impl_->pendingInput.push_back(std::move(report));
    }
    impl_->Wake();
    return true;
}

std::vector<ReceivedReport> VirtualDevice::Requests() const {
    std::lock_guard lock(mutex_);
    return {impl_->requests.begin(), impl_->requests.end()};
}

void VirtualDevice::ClearRequests() {
    std::lock_guard lock(mutex_);
    impl_->requests.clear();
}

Json::Value VirtualDevice::Dump() const {
    std::lock_guard lock(mutex_);
    Json::Value dump(Json::objectValue);
    hid::Attributes attributes = firmware_->Attributes();
    dump["name"] = name_;
    dump["kind"] = firmware_->Kind();
    dump["vendorId"] = attributes.vendorId;
    dump["productId"] = attributes.productId;
    dump["plugged"] = impl_->plugged;
    dump["memory"] = firmware_->DumpMemory();
    Json::Value& requests = dump["requests"] = Json::Value(Json::arrayValue);
    for (const ReceivedReport& report : impl_->requests) {
        Json::Value entry(Json::objectValue);
        entry["interface"] = report.interfaceNumber;
        entry["data"] = HexText(report.data);
        requests.append(std::move(entry));
    }
    return dump;
}

}  // namespace halvorn::vdev
