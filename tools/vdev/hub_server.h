#pragma once

// Serves a VirtualBus on a Unix socket (the messages of hub_protocol.h), so
// that other processes can list, connect to, plug, unplug, dump and fault its
// devices.

#include <json/value.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <thread>

#include "platform/fs/unique_fd.h"
#include "tools/vdev/virtual_bus.h"

namespace halvorn::vdev {

class HubServer {
public:
    HubServer(VirtualBus& bus, std::string socketPath);
    ~HubServer();  // Stop()
    HubServer(const HubServer&) = delete;
    HubServer& operator=(const HubServer&) = delete;

    // Binds the socket and starts serving. A stale socket file left by a
    // server that died is replaced; a live server at the path, or a file that
    // is not a socket, is an error.
    bool Start(std::string& error);

    // Ends the service thread and every client connection and removes the
    // socket file; idempotent.
    void Stop();

    const std::string& SocketPath() const { return path_; }

    // The answer to one request; `passFd` receives the descriptor to send
    // with it ("connect").
    Json::Value Handle(const Json::Value& request, UniqueFd& passFd);

private:
    void Serve(std::stop_token stop);

    VirtualBus& bus_;
    std::string path_;
    UniqueFd listen_;
    UniqueFd wake_;
    ino_t socketInode_ = 0;  // removed on Stop only while the path is still ours
    std::jthread thread_;
};

}  // namespace halvorn::vdev
