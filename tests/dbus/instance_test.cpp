// Single instance: the first start owns the bus name, a second one wakes it
// and ends; without a bus a file lock keeps the second out.

#include <sys/stat.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/message_ids.h"
#include "dbus_support.h"
#include "platform/ipc/instance_lock.h"

namespace halvorn::ipc::dbus_test {
namespace {

QString Probe() {
    const char* probe = std::getenv("HALVORN_IPC_PROBE");
    return probe == nullptr ? QString() : QString::fromLocal8Bit(probe);
}

bool NameOwned() {
    const char* name = "dbus-test-observer";
    bool owned = false;
    {
        QDBusConnection observer = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        owned = observer.interface()->isServiceRegistered("org.halvorn.Device").value();
    }
    QDBusConnection::disconnectFromBus(name);
    return owned;
}

using InstanceTest = BusTest;

TEST_F(InstanceTest, TheFirstOwnsTheNameUntilItEnds) {
    auto endpoint = First();
    ASSERT_TRUE(endpoint);
    EXPECT_TRUE(endpoint->OnBus());
    EXPECT_TRUE(NameOwned());
    endpoint.reset();
    EXPECT_FALSE(NameOwned());
    // The next start is first again.
    EXPECT_TRUE(First());
}

TEST_F(InstanceTest, ASecondAcquireFailsAndActivatesTheFirst) {
    auto endpoint = First();
    Instance second = AcquireInstance();
    EXPECT_EQ(second.role, Role::kSecond);
    EXPECT_EQ(second.endpoint, nullptr);
    ASSERT_TRUE(recorder->RunUntil([&] { return !recorder->received.empty(); }));
    ASSERT_EQ(recorder->received.size(), 1u);
    EXPECT_EQ(recorder->received[0].message, Registered().instance);
    EXPECT_EQ(recorder->received[0].wParam, 0u);
    EXPECT_EQ(recorder->received[0].lParam, 1);
    EXPECT_TRUE(NameOwned());
}

TEST_F(InstanceTest, ASecondStartIsSecondEvenWhenTheFirstCannotAnswerYet) {
    Instance first = AcquireInstance();  // no target yet, as early in start-up
    ASSERT_EQ(first.role, Role::kFirst);
    EXPECT_EQ(AcquireInstance().role, Role::kSecond);
}

TEST_F(InstanceTest, ASecondProcessWakesTheFirstAndExitsZero) {
    if (Probe().isEmpty()) GTEST_SKIP() << "HALVORN_IPC_PROBE is not set";
    auto endpoint = First();
    Program probe(Probe(), {});
    ASSERT_TRUE(
        recorder->RunUntil([&] { return probe.Finished() && !recorder->received.empty(); }));
    EXPECT_TRUE(probe.ExitedWith(0)) << probe.Err();
    EXPECT_EQ(probe.Out(), "second\n");
    ASSERT_EQ(recorder->received.size(), 1u);
    EXPECT_EQ(recorder->received[0].message, Registered().instance);
    EXPECT_EQ(recorder->received[0].lParam, 1);
}

class LockFallbackTest : public BusTest {
protected:
    void SetUp() override {
        BusTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(dir_.isValid());
        options.busAddress = "unix:path=" + (dir_.path() + "/no-bus").toStdString();
        options.lockDirectory = dir_.path().toStdString();
    }

    QProcessEnvironment WithoutBus() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString(options.busAddress));
        env.insert("XDG_RUNTIME_DIR", dir_.path());
        env.insert("HALVORN_TRACE", "1");
        env.remove("DISPLAY");  // no autolaunched bus either
        return env;
    }

    QTemporaryDir dir_;
    EndpointOptions options;
};

TEST_F(LockFallbackTest, WithoutABusTheLockKeepsASecondOut) {
    Instance first = AcquireInstance(options);
    ASSERT_EQ(first.role, Role::kFirst);
    ASSERT_TRUE(first.endpoint);
    EXPECT_FALSE(first.endpoint->OnBus());
    EXPECT_TRUE(std::filesystem::exists(dir_.path().toStdString() + "/org.halvorn.Device.lock"));
    // Nobody to tell, and no failure either.
    first.endpoint->SetTarget(loop.get(), recorder->id);
    EXPECT_FALSE(first.endpoint->NotifyLightOwner(1, 1));
    EXPECT_FALSE(first.endpoint->SendCopyData(5, {}));

    EXPECT_EQ(AcquireInstance(options).role, Role::kSecond);
    first.endpoint.reset();
    EXPECT_EQ(AcquireInstance(options).role, Role::kFirst);
}

TEST_F(LockFallbackTest, ASecondProcessWithoutABusExitsZeroWithATrace) {
    if (Probe().isEmpty()) GTEST_SKIP() << "HALVORN_IPC_PROBE is not set";
    Instance first = AcquireInstance(options);
    ASSERT_EQ(first.role, Role::kFirst);
    {
        Program probe(Probe(), {}, WithoutBus());
        ASSERT_TRUE(recorder->RunUntil([&] { return probe.Finished(); }));
        EXPECT_TRUE(probe.ExitedWith(0));
        EXPECT_EQ(probe.Out(), "second\n");
        EXPECT_NE(probe.Err().find("cannot be brought to the front"), std::string::npos);
    }
    first.endpoint.reset();
    Program probe(Probe(), {}, WithoutBus());
    ASSERT_TRUE(recorder->RunUntil([&] { return probe.Finished(); }));
    EXPECT_TRUE(probe.ExitedWith(0));
    EXPECT_EQ(probe.Out(), "first lock\n");
}

TEST(InstanceLockTest, LockFolderIsTheRuntimeFolderOrAPrivateOneInTmp) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string restore = saved == nullptr ? "" : saved;
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(DefaultLockDirectory(), "/run/user/4242");

    ::unsetenv("XDG_RUNTIME_DIR");
    const std::filesystem::path dir = DefaultLockDirectory();
    EXPECT_EQ(dir, "/tmp/halvorn-device-" + std::to_string(::getuid()));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (saved != nullptr) ::setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
}

TEST(InstanceLockTest, AFileThatCannotBeOpenedIsAFailureNotASecondInstance) {
    const LockAttempt attempt = TryLockInstance("/nonexistent-folder/org.halvorn.Device.lock");
    EXPECT_EQ(attempt.outcome, LockAttempt::Outcome::kFailed);
    EXPECT_FALSE(attempt.fd);
    EXPECT_FALSE(attempt.error.empty());
}

}  // namespace
}  // namespace halvorn::ipc::dbus_test
