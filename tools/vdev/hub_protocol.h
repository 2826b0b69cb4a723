#pragma once

// The hub's wire format between halvorn-vdev and its clients: one JSON object
// per line on a SOCK_STREAM Unix socket. A client sends {"op": ..., ...}; the
// server answers {"ok": true, ...} or {"ok": false, "error": "..."}. The
// answer to "connect" carries the client end of the new SOCK_SEQPACKET
// connection as SCM_RIGHTS ancillary data and says so with "fd": true.
//
// Operations:
//   {"op":"list"}                               -> "interfaces": [{"device", "interface",
//                                                  "vendorId", "productId", "version",
//                                                  "reportDescriptor": hex}]
//   {"op":"connect","device","interface"}       -> "fd": true
//   {"op":"plug","kind","name"?,"options"?}     -> "name": the name given on the bus
//   {"op":"unplug","name"}
//   {"op":"dump","name"}                        -> "dump": the device's dump
//   {"op":"faults","name","faults"?: {...}}     -> "faults": the device's faults after the
//                                                  change; only the keys given change,
//                                                  "reset": true clears all first
//   {"op":"input","device","interface","report": hex}
//   {"op":"act","name","action": {"action": NAME, ...}}
//                                               -> "reports": [{"interface", "data": hex}], the
//                                                  input reports the action sent

#include <json/value.h>

#include <deque>
#include <string>

#include "platform/fs/unique_fd.h"
#include "platform/hid/virtual_hub.h"
#include "tools/vdev/faults.h"

namespace halvorn::vdev {

// $HALVORN_VDEV_SOCKET, else $XDG_RUNTIME_DIR/halvorn-vdev.sock, else
// /tmp/halvorn-vdev-<uid>.sock.
std::string DefaultSocketPath();

// A connected stream socket to `path`; invalid with `error` set when nothing
// listens there.
UniqueFd ConnectHubSocket(const std::string& path, std::string& error);

// One end of a hub connection.
class HubChannel {
public:
    // Longest message accepted; a dump of a busy device stays far below.
    static constexpr std::size_t kMaxMessageSize = 16u << 20;

    enum class Status { Message, Timeout, Closed, Error, TooLong, BadJson };

    explicit HubChannel(UniqueFd fd);
    int Fd() const { return fd_.Get(); }

    // Sends `message` as one line, with `passFd` attached when it is valid;
    // waits at most `timeoutMs` for room.
    bool Send(const Json::Value& message, int passFd, int timeoutMs);

    // Waits up to `timeoutMs` for the next message. A descriptor that came
    // with it goes to `passedFd` (when given; else it is closed).
    Status Receive(Json::Value& message, UniqueFd* passedFd, int timeoutMs);

    // For a poll loop: reads what has arrived without waiting (Message when
    // something was read), then TakeMessage yields each complete line.
    Status Fill();
    Status TakeMessage(Json::Value& message, UniqueFd* passedFd);

private:
    UniqueFd fd_;
    std::string buffer_;
    std::deque<UniqueFd> fds_;  // received and not yet handed out, in arrival order
};

Json::Value FaultsToJson(const Faults& faults);
// Changes the faults named in `json` (the keys of FaultsToJson, "reset"
// first); false with `error` set on an unknown key or a bad value, leaving
// `faults` unchanged.
bool ApplyFaultsJson(const Json::Value& json, Faults& faults, std::string& error);

Json::Value InterfaceToJson(const hid::VirtualInterface& interface);
bool InterfaceFromJson(const Json::Value& json, hid::VirtualInterface& interface);

}  // namespace halvorn::vdev
