// A process killed while it saves a profile leaves the file whole: either the
// document it replaced or the one it wrote, never a mix or a truncated text.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "platform/fs/json_file.h"
#include "profile/basic_profiledata.h"
#include "tests/support/profile_test_files.h"

namespace halvorn {
namespace {

namespace fs = std::filesystem;

Json::Value SmallProfile() {
    Json::Value profile;
    profile["LightInfo"]["SelectItem"] = 1;
    profile["LightInfo"]["Red"] = 255;
    return profile;
}

// Large enough that writing it out takes a good part of a save, so that
// kills land inside the write.
Json::Value LargeProfile() {
    Json::Value profile = SmallProfile();
    profile["Notes"] = std::string(256 << 10, 'x');
    return profile;
}

std::string FileText(const Json::Value& profile) {
    Json::Value doc;
    doc["Device"][0] = profile;
    return StyledJsonText(doc);
}

// Saves the two profiles in turn until killed (or for ten seconds at most),
// writing one byte to `ready` after each save.
[[noreturn]] void SaveLoop(const fs::path& file, int ready) {
    const Json::Value documents[] = {LargeProfile(), SmallProfile()};
    CBasicProfiledata profile;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (unsigned i = 0; std::chrono::steady_clock::now() < deadline; ++i) {
        profile.SaveProfileTo(documents[i % 2], file);
        const char byte = 1;
        if (::write(ready, &byte, 1) != 1 && errno != EAGAIN) ::_exit(2);
    }
    ::_exit(0);
}

// Waits for one byte, at most five seconds.
bool WaitForSave(int fd) {
    pollfd ready{fd, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, 5000) == 1 && ::read(fd, &byte, 1) == 1;
}

constexpr int kRounds = 40;

TEST(ProfileKillSave, KilledSaverLeavesTheOldOrTheNewDocument) {
    test::TempDir dir;
    const fs::path file = dir / "profile.Json";
    const std::string small = FileText(SmallProfile());
    const std::string large = FileText(LargeProfile());
    CBasicProfiledata initial;
    ASSERT_TRUE(initial.SaveProfileTo(SmallProfile(), file));

    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        ASSERT_EQ(::fcntl(fds[1], F_SETFL, O_NONBLOCK), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            SaveLoop(file, fds[1]);
        }
        ::close(fds[1]);
        // Time two saves (large, then small), then kill at a point spread
        // over the next pair: each round hits another part of a save.
        const bool first = WaitForSave(fds[0]);
        const auto start = std::chrono::steady_clock::now();
        const bool second = first && WaitForSave(fds[0]) && WaitForSave(fds[0]);
        const auto pair = std::chrono::steady_clock::now() - start;
        if (second) std::this_thread::sleep_for(pair * (round * 37 % 100) / 100);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(fds[0]);
        ASSERT_TRUE(second) << "the saver did not save";
        EXPECT_TRUE(WIFSIGNALED(status)) << "the saver ended before it was killed";

        const std::string text = test::ReadText(file);
        EXPECT_TRUE(text == small || text == large) << "broken file of " << text.size() << " bytes";
    }
}

}  // namespace
}  // namespace halvorn
