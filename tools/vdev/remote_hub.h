#pragma once

// The client of a halvorn-vdev server: the VirtualHub the program's virtual
// backend uses when the emulators run in another process, and the calls the
// command-line client makes. Each call opens its own short connection, so a
// server that restarts is simply found again; every wait is bounded.

#include <json/value.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/fs/unique_fd.h"
#include "platform/hid/virtual_hub.h"
#include "tools/vdev/hub_protocol.h"

namespace halvorn::vdev {

struct HubReply {
    bool ok = false;
    Json::Value body;   // the whole answer
    std::string error;  // why not ok: the server's message, or the connection's failure
    UniqueFd fd;        // the descriptor that came with the answer, if any
};

class RemoteHub : public hid::VirtualHub {
public:
    static constexpr int kDefaultTimeoutMs = 5000;

    explicit RemoteHub(std::string socketPath = DefaultSocketPath(),
                       int timeoutMs = kDefaultTimeoutMs);

    const std::string& SocketPath() const { return path_; }

    // None when the server is unreachable.
    std::vector<hid::VirtualInterface> List() override;
    UniqueFd Connect(const std::string& device, int interfaceNumber) override;

    // One request and its answer.
    HubReply Call(const Json::Value& request) const;

    HubReply ListInterfaces() const;  // "interfaces"
    HubReply Plug(const std::string& kind, const std::string& name,
                  const Json::Value& options = Json::Value()) const;  // "name"
    HubReply Unplug(const std::string& name) const;
    HubReply Dump(const std::string& name) const;                                     // "dump"
    HubReply ChangeFaults(const std::string& name, const Json::Value& faults) const;  // "faults"
    HubReply SendInput(const std::string& device, int interfaceNumber,
                       std::span<const uint8_t> report) const;
    // An action on the device itself ({"action": NAME, ...}); "reports".
    HubReply Act(const std::string& device, const Json::Value& action) const;

private:
    std::string path_;
    int timeoutMs_;
};

}  // namespace halvorn::vdev
