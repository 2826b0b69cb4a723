#pragma once

// The inter-process seam: what other programs on the desktop tell this one
// (a second start, game events, lighting requests, the diagnostic tool's
// query, the audio companion's level frames) and what this one tells them.
// It lives on the D-Bus session bus:
//
//   name       org.halvorn.Device      owned by the running instance
//   path       /org/halvorn/Device
//   interface  org.halvorn.Device1
//
// Methods, each delivered to the program's loop as the registered message of
// the same name (RegisterMessage), with the same two integers:
//   Activate()                                  "Halvorn Device", 0 / 1
//   SettingsRelay(i wParam, i lParam)           the settings relay GUID
//   LightOwnerRequest(i wParam, i lParam)       the lighting-ownership request GUID
//   ToolQuery(i wParam, i lParam)               the tool query GUID
//   Game_Start, Game_End, Game_Kill, Game_Death (i wParam, i lParam)
//   CopyData(u kind, ay data)                   a data copy (copy_data.h), sent, not posted
// Signals, for companions to subscribe to (nothing waits for them):
//   LightOwnerNotice(i wParam, i lParam)        broadcast: who drives the lighting
//   AudioWindow(i item, i value)                for the audio companion
//   CopyDataSent(u kind, ay data)               kind 5 for the tool, 10 for the audio companion
//
// A call that cannot be delivered gets an error reply: InvalidArgs for a data
// copy of an unknown kind or the wrong size, org.halvorn.Device1.Error.NotDelivered
// while no target takes messages.
//
// Single instance is ownership of the name: a second start calls Activate on
// the owner and ends. Without a reachable bus it is an exclusive flock on
// org.halvorn.Device.lock in $XDG_RUNTIME_DIR (instance_lock.h); the running
// instance cannot then be woken, so a second start only traces and ends.

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/loop/message_loop.h"

namespace halvorn::ipc {

inline constexpr std::string_view kBusName = "org.halvorn.Device";
inline constexpr std::string_view kObjectPath = "/org/halvorn/Device";
inline constexpr std::string_view kInterface = "org.halvorn.Device1";
inline constexpr std::string_view kNotDeliveredError = "org.halvorn.Device1.Error.NotDelivered";

// A data copy arrives as this message, sent to the target: lParam points at a
// CopyData that lives only while the handler runs; wParam is 0.
inline constexpr uint32_t kCopyDataMessage = 0x004A;
struct CopyData {
    uint32_t kind;
    std::span<const uint8_t> data;
};

struct EndpointOptions {
    std::string busAddress;  // empty: the session bus of the environment
    std::string busName = std::string(kBusName);
    std::string lockDirectory;  // empty: DefaultLockDirectory()
    std::chrono::milliseconds activateTimeout{2000};
};

// The running instance's end of the seam. It holds the name (or the lock)
// for its life. Made, used and destroyed on the loop thread, except the
// outgoing calls, which any thread may make.
class IpcEndpoint {
public:
    virtual ~IpcEndpoint() = default;

    // Whether the name is held on a bus; false when the lock stands in.
    virtual bool OnBus() const = 0;

    // From now on incoming calls go to `target` on `loop` (the loop of the
    // thread that acquired the instance); a null loop stops delivery.
    virtual void SetTarget(loop::MessageLoop* loop, loop::TargetId target) = 0;

    // Outgoing signals; false when there is no bus or sending failed.
    virtual bool NotifyLightOwner(int32_t wParam, int32_t lParam) = 0;
    virtual bool SendToAudioWindow(int32_t item, int32_t value) = 0;
    virtual bool SendCopyData(uint32_t kind, std::span<const uint8_t> data) = 0;
};

enum class Role {
    kFirst,   // this process runs; `endpoint` holds the instance
    kSecond,  // another instance runs (and was activated when a bus was there): exit 0
};

struct Instance {
    Role role = Role::kFirst;
    std::unique_ptr<IpcEndpoint> endpoint;  // set for kFirst only
};

// Takes the single-instance name, or finds the running instance and calls its
// Activate (bounded by activateTimeout). A QCoreApplication must exist; this
// thread becomes the thread on which incoming calls are handled. When neither
// the bus nor the lock can be had, the program runs anyway, unguarded (kFirst,
// traced): refusing to start would serve nobody.
Instance AcquireInstance(const EndpointOptions& options = {});

}  // namespace halvorn::ipc
