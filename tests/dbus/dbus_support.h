#pragma once

// What the bus tests share: one QCoreApplication per executable, a target
// that records what the loop hands it, runs of the Qt loop bounded by a
// safety timer, and other programs (gdbus, the instance probe) started
// without blocking the loop that has to answer them.
//
// Each test runs on a private bus: ctest starts the executable under
// dbus-run-session, which ends the bus with it.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ipc/ipc_bus.h"
#include "platform/loop/qt/qt_message_loop.h"

namespace halvorn::ipc::dbus_test {

using namespace std::chrono_literals;

constexpr auto kBound = 10s;  // only reached when something is broken
constexpr int kSafetyTimer = 999;
constexpr int kPollTimer = 998;
constexpr int kSafetyCode = -99;

// Ends the application before the process's exit handlers run.
class AppEnvironment : public ::testing::Environment {
public:
    void TearDown() override { app.reset(); }
    std::unique_ptr<QCoreApplication> app;
};
inline AppEnvironment* const kAppEnvironment =
    static_cast<AppEnvironment*>(::testing::AddGlobalTestEnvironment(new AppEnvironment));

inline QCoreApplication& App() {
    if (!kAppEnvironment->app) {
        static int argc = 1;
        static char name[] = "halvorn_dbus_test";
        static char* argv[] = {name, nullptr};
        kAppEnvironment->app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return *kAppEnvironment->app;
}

struct Received {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t kind = 0;          // data copies only
    std::vector<uint8_t> data;  // data copies only
};

// Records every message but its own timers; RunUntil turns the loop until a
// condition holds (checked every few milliseconds) or the bound passes.
class Recorder : public loop::MessageTarget {
public:
    explicit Recorder(loop::QtMessageLoop& loop) : loop_(loop), id(loop.AddTarget(this)) {}
    ~Recorder() override { loop_.RemoveTarget(id); }

    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        if (message == loop::kTimerMessage && wParam == kSafetyTimer) {
            loop_.Quit(kSafetyCode);
            return 0;
        }
        if (message == loop::kTimerMessage && wParam == kPollTimer) {
            if (until_ && until_()) loop_.Quit(0);
            return 0;
        }
        Received r{message, wParam, lParam, 0, {}};
        if (message == kCopyDataMessage) {
            const auto* copy = reinterpret_cast<const CopyData*>(lParam);
            r.kind = copy->kind;
            r.data.assign(copy->data.begin(), copy->data.end());
        }
        received.push_back(std::move(r));
        return 1;
    }

    // True when the condition came true, false when the bound passed first.
    bool RunUntil(std::function<bool()> condition) {
        until_ = std::move(condition);
        loop_.SetTimer(id, kSafetyTimer, kBound);
        loop_.SetTimer(id, kPollTimer, 5ms);
        const int code = loop_.Run();
        loop_.KillTimer(id, kPollTimer);
        loop_.KillTimer(id, kSafetyTimer);
        until_ = nullptr;
        return code == 0;
    }

    // Turns the loop a little longer, for messages that must not come.
    void Settle() {
        const uint64_t end = loop_.NowMs() + 100;
        RunUntil([&] { return loop_.NowMs() >= end; });
    }

private:
    loop::QtMessageLoop& loop_;

public:
    const loop::TargetId id;
    std::vector<Received> received;

private:
    std::function<bool()> until_;
};

// Another program, started at once and left to run while the loop turns.
class Program {
public:
    Program(const QString& path, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        process_.setProcessEnvironment(environment);
        process_.start(path, arguments);
    }
    ~Program() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool Finished() const { return process_.state() == QProcess::NotRunning; }
    bool ExitedWith(int code) const {
        return Finished() && process_.exitStatus() == QProcess::NormalExit &&
               process_.exitCode() == code;
    }
    std::string Out() { return process_.readAllStandardOutput().toStdString(); }
    std::string Err() { return process_.readAllStandardError().toStdString(); }

private:
    QProcess process_;
};

inline QString Gdbus() { return QStandardPaths::findExecutable("gdbus"); }

// `gdbus call` of one of the interface's methods on the running instance.
inline QStringList GdbusCall(const QString& method, const QStringList& arguments = {}) {
    QStringList all = {
        "call",          "--session",           "--dest",   "org.halvorn.Device",
        "--object-path", "/org/halvorn/Device", "--method", "org.halvorn.Device1." + method};
    return all + arguments;
}

class BusTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        if (address == nullptr || address[0] == '\0') {
            GTEST_SKIP() << "no private bus: run under dbus-run-session (ctest does)";
        }
        loop = std::make_unique<loop::QtMessageLoop>();
        recorder = std::make_unique<Recorder>(*loop);
    }

    // The endpoint of a first instance on the session bus, delivering to the recorder.
    std::unique_ptr<IpcEndpoint> First(const EndpointOptions& options = {}) {
        Instance instance = AcquireInstance(options);
        EXPECT_EQ(instance.role, Role::kFirst);
        if (instance.endpoint) instance.endpoint->SetTarget(loop.get(), recorder->id);
        return std::move(instance.endpoint);
    }

    std::unique_ptr<loop::QtMessageLoop> loop;
    std::unique_ptr<Recorder> recorder;  // goes before the loop
};

}  // namespace halvorn::ipc::dbus_test
