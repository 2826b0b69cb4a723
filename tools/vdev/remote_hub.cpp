#include "tools/vdev/remote_hub.h"

#include "tools/vdev/hex_text.h"

namespace halvorn::vdev {

namespace {

Json::Value Request(const char* op) {
    Json::Value request(Json::objectValue);
    request["op"] = op;
    return request;
}

const char* StatusText(HubChannel::Status status) {
    switch (status) {
        case HubChannel::Status::Timeout:
            return "the server did not answer in time";
        case HubChannel::Status::Closed:
            return "the server closed the connection";
        case HubChannel::Status::TooLong:
            return "the answer is too long";
        case HubChannel::Status::BadJson:
            return "the answer is not a JSON object";
        default:
            return "the connection failed";
    }
}

}  // namespace

RemoteHub::RemoteHub(std::string socketPath, int timeoutMs)
    : path_(std::move(socketPath)), timeoutMs_(timeoutMs) {}

HubReply RemoteHub::Call(const Json::Value& request) const {
    HubReply reply;
    UniqueFd socket = ConnectHubSocket(path_, reply.error);
    if (!socket) return reply;
    HubChannel channel(std::move(socket));
    if (!channel.Send(request, -1, timeoutMs_)) {
        reply.error = "cannot send to the server at " + path_;
        return reply;
    }
    HubChannel::Status status = channel.Receive(reply.body, &reply.fd, timeoutMs_);
    if (status != HubChannel::Status::Message) {
        reply.error = StatusText(status);
        return reply;
    }
    reply.ok = reply.body["ok"].isBool() && reply.body["ok"].asBool();
    if (!reply.ok) {
        reply.error = reply.body["error"].isString() ? reply.body["error"].asString()
                                                     : "the server refused the request";
    } else if (reply.body["fd"].asBool() && !reply.fd) {
        reply.ok = false;
        reply.error = "the server's answer lacks its descriptor";
    }
    return reply;
}

std::vector<hid::VirtualInterface> RemoteHub::List() {
    std::vector<hid::VirtualInterface> list;
    HubReply reply = ListInterfaces();
    if (!reply.ok || !reply.body["interfaces"].isArray()) return list;
    for (const Json::Value& entry : reply.body["interfaces"]) {
        hid::VirtualInterface interface;
        if (InterfaceFromJson(entry, interface)) list.push_back(std::move(interface));
    }
    return list;
}

UniqueFd RemoteHub::Connect(const std::string& device, int interfaceNumber) {
    Json::Value request = Request("connect");
    request["device"] = device;
    request["interface"] = interfaceNumber;
    HubReply reply = Call(request);
    return reply.ok ? std::move(reply.fd) : UniqueFd();
}

HubReply RemoteHub::ListInterfaces() const { return Call(Request("list")); }

HubReply RemoteHub::Plug(const std::string& kind, const std::string& name,
                         const Json::Value& options) const {
    Json::Value request = Request("plug");
    request["kind"] = kind;
    if (!name.empty()) request["name"] = name;
    if (!options.isNull()) request["options"] = options;
    return Call(request);
}

HubReply RemoteHub::Unplug(const std::string& name) const {
    Json::Value request = Request("unplug");
    request["name"] = name;
    return Call(request);
}

HubReply RemoteHub::Dump(const std::string& name) const {
    Json::Value request = Request("dump");
    request["name"] = name;
    return Call(request);
}

HubReply RemoteHub::ChangeFaults(const std::string& name, const Json::Value& faults) const {
    Json::Value request = Request("faults");
    request["name"] = name;
    request["faults"] = faults;
    return Call(request);
}

HubReply RemoteHub::SendInput(const std::string& device, int interfaceNumber,
                              std::span<const uint8_t> report) const {
    Json::Value request = Request("input");
    request["device"] = device;
    request["interface"] = interfaceNumber;
    request["report"] = HexText(report);
    return Call(request);
}

HubReply RemoteHub::Act(const std::string& device, const Json::Value& action) const {
    Json::Value request = Request("act");
    request["device"] = device;
    request["action"] = action;
    return Call(request);
}

}  // namespace halvorn::vdev
