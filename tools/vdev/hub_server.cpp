#include "tools/vdev/hub_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "tools/vdev/firmware_factory.h"
#include "tools/vdev/hex_text.h"
#include "tools/vdev/hub_protocol.h"

namespace halvorn::vdev {

namespace {

constexpr std::size_t kMaxClients = 64;
constexpr int kSendTimeoutMs = 2000;

Json::Value Fail(const std::string& error) {
    Json::Value reply(Json::objectValue);
    reply["ok"] = false;
    reply["error"] = error;
    return reply;
}

Json::Value Ok() {
    Json::Value reply(Json::objectValue);
    reply["ok"] = true;
    return reply;
}

// The device a request names, by "name" or "device".
std::string DeviceName(const Json::Value& request) {
    for (const char* key : {"name", "device"}) {
        if (request[key].isString()) return request[key].asString();
    }
    return {};
}

bool BindSocket(int fd, const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "socket path is empty or too long: " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    auto bindOnce = [&] {
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    };
    if (bindOnce()) return true;
    if (errno != EADDRINUSE) {
        error = "cannot bind " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) {
        error = path + " exists and is not a socket";
        return false;
    }
    std::string probeError;
    if (ConnectHubSocket(path, probeError)) {
        error = "a halvorn-vdev server already serves " + path;
        return false;
    }
    // Nobody listens: a server died without removing its socket.
    ::unlink(path.c_str());
    if (!bindOnce()) {
        error = "cannot bind " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

HubServer::HubServer(VirtualBus& bus, std::string socketPath)
    : bus_(bus), path_(std::move(socketPath)) {}

HubServer::~HubServer() { Stop(); }

bool HubServer::Start(std::string& error) {
    if (listen_) {
        error = "already serving";
        return false;
    }
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!fd || !wake) {
        error = std::string("cannot create sockets: ") + std::strerror(errno);
        return false;
    }
    if (!BindSocket(fd.Get(), path_, error)) return false;
    // Only this user may drive the devices.
    ::chmod(path_.c_str(), 0600);
    struct stat info {};
    socketInode_ = ::lstat(path_.c_str(), &info) == 0 ? info.st_ino : 0;
    if (::listen(fd.Get(), 16) != 0) {
        error = "cannot listen on " + path_ + ": " + std::strerror(errno);
        ::unlink(path_.c_str());
        return false;
    }
    listen_ = std::move(fd);
    wake_ = std::move(wake);
    thread_ = std::jthread([this](std::stop_token stop) { Serve(stop); });
    return true;
}

void HubServer::Stop() {
    if (!listen_) return;
    thread_.request_stop();
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_.Get(), &one, sizeof one);
    if (thread_.joinable()) thread_.join();
    listen_.Reset();
    wake_.Reset();
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0 && info.st_ino == socketInode_) ::unlink(path_.c_str());
}

void HubServer::Serve(std::stop_token stop) {
    std::vector<std::unique_ptr<HubChannel>> clients;
    std::vector<pollfd> fds;
    while (!stop.stop_requested()) {
        fds.clear();
        fds.push_back({wake_.Get(), POLLIN, 0});
        fds.push_back({listen_.Get(), POLLIN, 0});
        for (const auto& client : clients) fds.push_back({client->Fd(), POLLIN, 0});
        // Bounded by the eventfd that Stop writes.
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents & POLLIN) continue;  // stop requested
        std::vector<bool> drop(clients.size(), false);
        for (std::size_t i = 0; i < clients.size(); ++i) {
            if (fds[i + 2].revents == 0) continue;
            HubChannel& client = *clients[i];
            HubChannel::Status filled = client.Fill();
            Json::Value request;
            UniqueFd ignored;
            for (;;) {
                HubChannel::Status status = client.TakeMessage(request, &ignored);
                if (status == HubChannel::Status::Timeout) break;
                Json::Value reply;
                UniqueFd passFd;
                if (status == HubChannel::Status::Message) {
                    reply = Handle(request, passFd);
                } else {
                    reply = Fail(status == HubChannel::Status::TooLong ? "message too long"
                                                                       : "not a JSON object");
                }
                if (!client.Send(reply, passFd.Get(), kSendTimeoutMs) ||
                    status == HubChannel::Status::TooLong) {
                    drop[i] = true;
                    break;
                }
            }
            if (filled == HubChannel::Status::Closed || filled == HubChannel::Status::Error) {
                drop[i] = true;
            }
        }
        for (std::size_t i = clients.size(); i-- > 0;) {
            if (drop[i]) clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
        }
        if (fds[1].revents & POLLIN) {
            UniqueFd accepted(::accept4(listen_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (accepted && clients.size() < kMaxClients) {
                clients.push_back(std::make_unique<HubChannel>(std::move(accepted)));
            }
        }
    }
}

Json::Value HubServer::Handle(const Json::Value& request, UniqueFd& passFd) {
    const std::string op = request["op"].isString() ? request["op"].asString() : "";
    const std::string name = DeviceName(request);

    if (op == "list") {
        Json::Value reply = Ok();
        Json::Value& list = reply["interfaces"] = Json::Value(Json::arrayValue);
        for (const hid::VirtualInterface& interface : bus_.List()) {
            list.append(InterfaceToJson(interface));
        }
        return reply;
    }
    if (op == "plug") {
        if (!request["kind"].isString()) return Fail("plug needs a \"kind\"");
        std::string error;
        auto firmware = MakeFirmware(request["kind"].asString(), request["options"], error);
        if (!firmware) return Fail(error);
        auto device = bus_.Plug(name, std::move(firmware));
        Json::Value reply = Ok();
        reply["name"] = device->Name();
        return reply;
    }
    if (op.empty()) return Fail("request without \"op\"");
    if (op != "connect" && op != "unplug" && op != "dump" && op != "faults" && op != "input" &&
        op != "act") {
        return Fail("unknown op " + op);
    }

    std::shared_ptr<VirtualDevice> device = name.empty() ? nullptr : bus_.Find(name);
    if (!device) return Fail("unknown device " + (name.empty() ? std::string("(none)") : name));
    if (op == "dump") {
        Json::Value reply = Ok();
        reply["dump"] = device->Dump();
        return reply;
    }
    if (op == "faults") {
        std::string error;
        bool valid = true;
        Faults faults = device->ModifyFaults(
            [&](Faults& current) { valid = ApplyFaultsJson(request["faults"], current, error); });
        if (!valid) return Fail(error);
        Json::Value reply = Ok();
        reply["faults"] = FaultsToJson(faults);
        return reply;
    }
    if (!device->Plugged()) return Fail("device " + name + " is unplugged");
    if (op == "unplug") {
        device->Unplug();
        return Ok();
    }
    if (op == "act") {
        if (!request["action"].isObject()) return Fail("act needs an \"action\" object");
        std::string error;
        std::vector<ReceivedReport> sent;
        if (!device->Act(request["action"], error, &sent)) return Fail(error);
        Json::Value reply = Ok();
        Json::Value& reports = reply["reports"] = Json::Value(Json::arrayValue);
        for (const ReceivedReport& report : sent) {
            Json::Value entry(Json::objectValue);
            entry["interface"] = report.interfaceNumber;
            entry["data"] = HexText(report.data);
            reports.append(std::move(entry));
        }
        return reply;
    }
    if (!request["interface"].isInt()) return Fail(op + " needs an \"interface\" number");
    int interfaceNumber = request["interface"].asInt();
    bool hasInterface = false;
    for (const InterfaceSpec& iface : device->Interfaces()) {
        hasInterface = hasInterface || iface.number == interfaceNumber;
    }
    if (!hasInterface) {
        return Fail("device " + name + " has no interface " + std::to_string(interfaceNumber));
    }
    if (op == "connect") {
        passFd = device->Connect(interfaceNumber);
        if (!passFd) return Fail("cannot connect to " + name);
        Json::Value reply = Ok();
        reply["fd"] = true;
        return reply;
    }
    // input
    auto report =
        request["report"].isString() ? ParseHexText(request["report"].asString()) : std::nullopt;
    if (!report || report->empty()) return Fail("input needs a \"report\" in hexadecimal");
    device->SendInputReport(interfaceNumber, std::move(*report));
    return Ok();
}

}  // namespace halvorn::vdev
