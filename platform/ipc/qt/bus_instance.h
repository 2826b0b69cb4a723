#pragma once

// The bus half of AcquireInstance: the name taken, or its owner activated.

#include <memory>
#include <string>

#include "platform/ipc/ipc_bus.h"

namespace halvorn::ipc {

struct BusAttempt {
    enum class Outcome {
        kOwner,       // `endpoint` holds the name
        kOtherOwner,  // another process holds it; `activated` says whether it answered
        kNoBus,       // no bus, or it refused the name: fall back to the lock
    };
    Outcome outcome = Outcome::kNoBus;
    std::unique_ptr<IpcEndpoint> endpoint;
    bool activated = false;
    std::string detail;  // what went wrong, for the trace
};

BusAttempt AcquireOnBus(const EndpointOptions& options);

}  // namespace halvorn::ipc
