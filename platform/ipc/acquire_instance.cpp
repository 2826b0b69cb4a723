#include <string>
#include <utility>

#include "platform/ipc/instance_lock.h"
#include "platform/ipc/ipc_bus.h"
#include "platform/ipc/qt/bus_instance.h"
#include "platform/trace/trace.h"

namespace halvorn::ipc {

namespace {

// The running instance without a bus: it holds the lock (or nothing, when
// even the lock could not be had) and has nobody to talk to.
class LockEndpoint final : public IpcEndpoint {
public:
    explicit LockEndpoint(UniqueFd lock) : lock_(std::move(lock)) {}

    bool OnBus() const override { return false; }
    void SetTarget(loop::MessageLoop*, loop::TargetId) override {}
    bool NotifyLightOwner(int32_t, int32_t) override { return false; }
    bool SendToAudioWindow(int32_t, int32_t) override { return false; }
    bool SendCopyData(uint32_t, std::span<const uint8_t>) override { return false; }

private:
    UniqueFd lock_;
};

Instance AcquireByLock(const EndpointOptions& options) {
    const std::filesystem::path dir = options.lockDirectory.empty()
                                          ? DefaultLockDirectory()
                                          : std::filesystem::path(options.lockDirectory);
    if (dir.empty()) {
        Trace("ipc: no folder for the instance lock; running unguarded\n");
        return {Role::kFirst, std::make_unique<LockEndpoint>(UniqueFd())};
    }
    LockAttempt lock = TryLockInstance(dir / kLockFileName);
    switch (lock.outcome) {
        case LockAttempt::Outcome::kTaken:
            return {Role::kFirst, std::make_unique<LockEndpoint>(std::move(lock.fd))};
        case LockAttempt::Outcome::kHeldElsewhere:
            Trace("ipc: another instance holds " + (dir / kLockFileName).string() +
                  "; without a bus it cannot be brought to the front\n");
            return {Role::kSecond, nullptr};
        case LockAttempt::Outcome::kFailed:
            break;
    }
    Trace("ipc: " + lock.error + "; running unguarded\n");
    return {Role::kFirst, std::make_unique<LockEndpoint>(UniqueFd())};
}

}  // namespace

Instance AcquireInstance(const EndpointOptions& options) {
    BusAttempt bus = AcquireOnBus(options);
    switch (bus.outcome) {
        case BusAttempt::Outcome::kOwner:
            return {Role::kFirst, std::move(bus.endpoint)};
        case BusAttempt::Outcome::kOtherOwner:
            if (!bus.activated) {
                Trace("ipc: the running instance did not answer Activate: " + bus.detail + "\n");
            }
            return {Role::kSecond, nullptr};
        case BusAttempt::Outcome::kNoBus:
            break;
    }
    Trace("ipc: no session bus (" + bus.detail + "); single instance by file lock\n");
    return AcquireByLock(options);
}

}  // namespace halvorn::ipc
