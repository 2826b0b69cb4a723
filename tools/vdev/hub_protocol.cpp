#include "tools/vdev/hub_protocol.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <json/reader.h>
#include <json/writer.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tools/vdev/hex_text.h"

namespace halvorn::vdev {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

std::string CompactJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, value);
}

}  // namespace

std::string DefaultSocketPath() {
    if (const char* path = std::getenv("HALVORN_VDEV_SOCKET"); path && *path) return path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        return std::string(runtime) + "/halvorn-vdev.sock";
    }
    return "/tmp/halvorn-vdev-" + std::to_string(::getuid()) + ".sock";
}

UniqueFd ConnectHubSocket(const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "socket path is empty or too long: " + path;
        return {};
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) {
        error = std::string("socket: ") + std::strerror(errno);
        return {};
    }
    // A local connect does not wait: it succeeds or is refused at once.
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "no halvorn-vdev server at " + path + ": " + std::strerror(errno);
        return {};
    }
    return fd;
}

HubChannel::HubChannel(UniqueFd fd) : fd_(std::move(fd)) {}

bool HubChannel::Send(const Json::Value& message, int passFd, int timeoutMs) {
    std::string line = CompactJson(message);
    line.push_back('\n');
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t sent = 0;
    bool fdSent = passFd < 0;
    while (sent < line.size()) {
        pollfd p{fd_.Get(), POLLOUT, 0};
        int ready = ::poll(&p, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return false;

        iovec io{line.data() + sent, line.size() - sent};
        msghdr header{};
        header.msg_iov = &io;
        header.msg_iovlen = 1;
        alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(int))> control{};
        if (!fdSent) {
            header.msg_control = control.data();
            header.msg_controllen = control.size();
            cmsghdr* cmsg = CMSG_FIRSTHDR(&header);
            cmsg->cmsg_level = SOL_SOCKET;
            cmsg->cmsg_type = SCM_RIGHTS;
            cmsg->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(cmsg), &passFd, sizeof(int));
        }
        ssize_t n = ::sendmsg(fd_.Get(), &header, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
            return false;
        }
        sent += static_cast<std::size_t>(n);
        fdSent = true;
    }
    return true;
}

HubChannel::Status HubChannel::Fill() {
    std::string chunk(kReadChunk, '\0');
    iovec io{chunk.data(), chunk.size()};
    msghdr header{};
    header.msg_iov = &io;
    header.msg_iovlen = 1;
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(int) * 4)> control{};
    header.msg_control = control.data();
    header.msg_controllen = control.size();
    ssize_t n = ::recvmsg(fd_.Get(), &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return Status::Timeout;
        return errno == ECONNRESET ? Status::Closed : Status::Error;
    }
    for (cmsghdr* cmsg = CMSG_FIRSTHDR(&header); cmsg; cmsg = CMSG_NXTHDR(&header, cmsg)) {
        if (cmsg->cmsg_level != SOL_SOCKET || cmsg->cmsg_type != SCM_RIGHTS) continue;
        std::size_t count = (cmsg->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd;
            std::memcpy(&fd, CMSG_DATA(cmsg) + i * sizeof(int), sizeof(int));
            fds_.emplace_back(fd);
        }
    }
    if (n == 0) return Status::Closed;
    buffer_.append(chunk.data(), static_cast<std::size_t>(n));
    return Status::Message;
}

HubChannel::Status HubChannel::TakeMessage(Json::Value& message, UniqueFd* passedFd) {
    std::size_t end = buffer_.find('\n');
    if (end == std::string::npos) {
        return buffer_.size() > kMaxMessageSize ? Status::TooLong : Status::Timeout;
    }
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);

    UniqueFd fd;
    if (!fds_.empty()) {
        fd = std::move(fds_.front());
        fds_.pop_front();
    }
    if (passedFd) *passedFd = std::move(fd);

    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    message = Json::Value();
    if (!reader->parse(line.data(), line.data() + line.size(), &message, &errors) ||
        !message.isObject()) {
        return Status::BadJson;
    }
    return Status::Message;
}

HubChannel::Status HubChannel::Receive(Json::Value& message, UniqueFd* passedFd, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Status taken = TakeMessage(message, passedFd);
        if (taken != Status::Timeout) return taken;
        pollfd p{fd_.Get(), POLLIN, 0};
        int ready = ::poll(&p, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Status::Error;
        if (ready == 0) return Status::Timeout;
        Status filled = Fill();
        if (filled == Status::Closed || filled == Status::Error) return filled;
    }
}

Json::Value FaultsToJson(const Faults& faults) {
    Json::Value json(Json::objectValue);
    json["silentReplies"] = faults.silentReplies;
    json["wrongCommandReplies"] = faults.wrongCommandReplies;
    json["strayReplies"] = faults.strayReplies;
    json["rejectReplies"] = faults.rejectReplies;
    json["rejectStatus"] = faults.rejectStatus;
    json["unreachableReplies"] = faults.unreachableReplies;
    json["unplugAfterRequests"] = faults.unplugAfterRequests;
    json["latencyUs"] = static_cast<Json::Int64>(faults.latency.count());
    return json;
}

bool ApplyFaultsJson(const Json::Value& json, Faults& faults, std::string& error) {
    if (json.isNull()) return true;
    if (!json.isObject()) {
        error = "faults must be a JSON object";
        return false;
    }
    Faults next = faults;
    if (json.isMember("reset")) {
        if (!json["reset"].isBool()) {
            error = "reset must be true or false";
            return false;
        }
        if (json["reset"].asBool()) next = Faults{};
    }
    struct Counter {
        const char* key;
        int Faults::*field;
        int min;
    };
    static constexpr Counter kCounters[] = {
        {"silentReplies", &Faults::silentReplies, 0},
        {"wrongCommandReplies", &Faults::wrongCommandReplies, 0},
        {"strayReplies", &Faults::strayReplies, 0},
        {"rejectReplies", &Faults::rejectReplies, 0},
        {"unreachableReplies", &Faults::unreachableReplies, 0},
        {"unplugAfterRequests", &Faults::unplugAfterRequests, -1},
    };
    for (const std::string& key : json.getMemberNames()) {
        const Json::Value& value = json[key];
        if (key == "reset") continue;
        bool known = false;
        for (const Counter& counter : kCounters) {
            if (key != counter.key) continue;
            known = true;
            if (!value.isInt() || value.asInt() < counter.min) {
                error = key + " must be an integer of at least " + std::to_string(counter.min);
                return false;
            }
            next.*counter.field = value.asInt();
        }
        if (key == "rejectStatus") {
            known = true;
            if (!value.isInt() || value.asInt() < 0 || value.asInt() > 255) {
                error = "rejectStatus must be a byte value";
                return false;
            }
            next.rejectStatus = static_cast<uint8_t>(value.asInt());
        } else if (key == "latencyUs") {
            known = true;
            // Up to ten seconds per report: longer would only look like a hang.
            if (!value.isInt64() || value.asInt64() < 0 || value.asInt64() > 10'000'000) {
                error = "latencyUs must be from 0 to 10000000";
                return false;
            }
            next.latency = std::chrono::microseconds(value.asInt64());
        }
        if (!known) {
            error = "unknown fault " + key;
            return false;
        }
    }
    faults = next;
    return true;
}

Json::Value InterfaceToJson(const hid::VirtualInterface& interface) {
    Json::Value json(Json::objectValue);
    json["device"] = interface.device;
    json["interface"] = interface.interfaceNumber;
    json["vendorId"] = interface.attributes.vendorId;
    json["productId"] = interface.attributes.productId;
    json["version"] = interface.attributes.version;
    json["reportDescriptor"] = HexText(interface.reportDescriptor);
    return json;
}

bool InterfaceFromJson(const Json::Value& json, hid::VirtualInterface& interface) {
    if (!json.isObject() || !json["device"].isString() || !json["interface"].isInt() ||
        !json["reportDescriptor"].isString()) {
        return false;
    }
    auto descriptor = ParseHexText(json["reportDescriptor"].asString());
    if (!descriptor) return false;
    auto word = [&json](const char* key) {
        const Json::Value& v = json[key];
        return static_cast<uint16_t>(v.isUInt() && v.asUInt() <= 0xFFFF ? v.asUInt() : 0);
    };
    interface.device = json["device"].asString();
    interface.interfaceNumber = json["interface"].asInt();
    interface.attributes = {word("vendorId"), word("productId"), word("version")};
    interface.reportDescriptor = std::move(*descriptor);
    return true;
}

}  // namespace halvorn::vdev
