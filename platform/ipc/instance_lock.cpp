#include "platform/ipc/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace halvorn::ipc {

namespace {

// A folder in /tmp is only ours when we made it or it is already ours and
// closed to others; anything else could be a trap laid by another user.
bool OwnPrivateFolder(const std::filesystem::path& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0077) == 0;
}

}  // namespace

std::filesystem::path DefaultLockDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return runtime;
    std::filesystem::path dir =
        std::filesystem::path("/tmp") / ("halvorn-device-" + std::to_string(::getuid()));
    return OwnPrivateFolder(dir) ? dir : std::filesystem::path();
}

LockAttempt TryLockInstance(const std::filesystem::path& file) {
    LockAttempt attempt;
    attempt.fd.Reset(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!attempt.fd) {
        attempt.error = "cannot open " + file.string() + ": " + std::strerror(errno);
        return attempt;
    }
    int rc;
    do {
        rc = ::flock(attempt.fd.Get(), LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        attempt.outcome = LockAttempt::Outcome::kTaken;
        return attempt;
    }
    const int error = errno;
    attempt.fd.Reset();
    if (error == EWOULDBLOCK) {
        attempt.outcome = LockAttempt::Outcome::kHeldElsewhere;
    } else {
        attempt.error = "cannot lock " + file.string() + ": " + std::strerror(error);
    }
    return attempt;
}

}  // namespace halvorn::ipc
