#pragma once

// Single instance without a bus: an exclusive flock on a file in the user's
// runtime folder. The kernel drops the lock when the holder ends, however it
// ends, so a crash leaves nothing stale behind.

#include <filesystem>
#include <string>

#include "platform/fs/unique_fd.h"

namespace halvorn::ipc {

inline constexpr std::string_view kLockFileName = "org.halvorn.Device.lock";

// $XDG_RUNTIME_DIR; without it a folder of this user's own in /tmp
// ("halvorn-device-<uid>", made 0700). Empty when neither can be used (the
// /tmp folder belongs to someone else, is a symlink or is open to others).
std::filesystem::path DefaultLockDirectory();

struct LockAttempt {
    enum class Outcome { kTaken, kHeldElsewhere, kFailed };
    Outcome outcome = Outcome::kFailed;
    UniqueFd fd;        // holds the lock while open (kTaken)
    std::string error;  // kFailed: why
};

// Opens (creating) `file` and tries to lock it without waiting.
LockAttempt TryLockInstance(const std::filesystem::path& file);

}  // namespace halvorn::ipc
