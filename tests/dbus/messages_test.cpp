// Calls from other programs reach the loop as the registered messages of the
// same names with the same parameters; data copies arrive whole or not at
// all; what the program tells its companions goes out as signals.

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QList>
#include <QObject>
#include <QVariant>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/message_ids.h"
#include "dbus_support.h"
#include "platform/ipc/copy_data.h"

namespace halvorn::ipc::dbus_test {
namespace {

// Another peer on the bus: its calls go through the bus daemon like any
// other program's, and are answered while the loop turns.
class Client {
public:
    Client() : connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, kName)) {}
    ~Client() { QDBusConnection::disconnectFromBus(kName); }

    QDBusPendingCall Call(const QString& method, const QList<QVariant>& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.halvorn.Device", "/org/halvorn/Device", "org.halvorn.Device1", method);
        call.setArguments(arguments);
        return connection_.asyncCall(call);
    }

    QDBusConnection& Connection() { return connection_; }

private:
    static constexpr const char* kName = "dbus-test-client";
    QDBusConnection connection_;
};

class SignalCatcher : public QObject {
    Q_OBJECT

public:
    std::vector<QDBusMessage> signals_;

public Q_SLOTS:
    void OnSignal(const QDBusMessage& message) { signals_.push_back(message); }
};

QByteArray LittleEndianInts(const std::vector<int32_t>& values) {
    QByteArray bytes;
    for (int32_t v : values) {
        const auto u = static_cast<uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8) bytes.append(static_cast<char>(u >> shift));
    }
    return bytes;
}

using MessagesTest = BusTest;

struct CallCase {
    const char* method;
    QStringList arguments;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

TEST_F(MessagesTest, GdbusCallsArriveAsTheRegisteredMessages) {
    if (Gdbus().isEmpty()) GTEST_SKIP() << "gdbus is not installed";
    auto endpoint = First();
    ASSERT_TRUE(endpoint && endpoint->OnBus());
    const RegisteredMessages& r = Registered();
    const std::vector<CallCase> cases = {
        {"Game_Start", {"0", "3"}, HookMessageId("Game_Start"), 0, 3},
        {"Game_End", {"1", "5"}, HookMessageId("Game_End"), 1, 5},
        {"Game_Kill", {"2", "2147483647"}, HookMessageId("Game_Kill"), 2, 2147483647},
        {"Game_Death", {"0", "0"}, HookMessageId("Game_Death"), 0, 0},
        {"SettingsRelay", {"4", "57"}, r.settingsRelay, 4, 57},
        {"LightOwnerRequest", {"1", "0"}, r.lightOwnerRequest, 1, 0},
        {"ToolQuery", {"0", "0"}, r.toolQuery, 0, 0},
        {"Activate", {}, r.instance, 0, 1},
    };
    for (const CallCase& c : cases) {
        SCOPED_TRACE(c.method);
        recorder->received.clear();
        Program gdbus(Gdbus(), GdbusCall(c.method, c.arguments));
        ASSERT_TRUE(recorder->RunUntil([&] { return gdbus.Finished(); }));
        EXPECT_TRUE(gdbus.ExitedWith(0)) << gdbus.Err();
        ASSERT_EQ(recorder->received.size(), 1u);
        EXPECT_EQ(recorder->received[0].message, c.message);
        EXPECT_EQ(recorder->received[0].wParam, c.wParam);
        EXPECT_EQ(recorder->received[0].lParam, c.lParam);
    }
}

TEST_F(MessagesTest, NegativeParametersKeepTheirValue) {
    auto endpoint = First();
    Client client;
    QDBusPendingCall call = client.Call(
        "Game_Start", {QVariant::fromValue(int32_t{-1}), QVariant::fromValue(int32_t{-7})});
    ASSERT_TRUE(recorder->RunUntil([&] { return call.isFinished(); }));
    ASSERT_FALSE(call.isError()) << call.error().message().toStdString();
    ASSERT_EQ(recorder->received.size(), 1u);
    EXPECT_EQ(static_cast<int>(recorder->received[0].wParam), -1);
    EXPECT_EQ(recorder->received[0].lParam, -7);
}

TEST_F(MessagesTest, LevelFrameFromGdbusArrivesIntact) {
    if (Gdbus().isEmpty()) GTEST_SKIP() << "gdbus is not installed";
    auto endpoint = First();
    std::vector<int32_t> levels(500);
    for (size_t i = 0; i < levels.size(); ++i) {
        levels[i] = static_cast<int32_t>(i * 7919) - 1000000;  // signed, every byte varies
    }
    const QByteArray bytes = LittleEndianInts(levels);
    QStringList byteTexts;
    for (char b : bytes) byteTexts << QString::number(static_cast<uint8_t>(b));

    Program gdbus(Gdbus(), GdbusCall("CopyData", {"1", "[" + byteTexts.join(",") + "]"}));
    ASSERT_TRUE(recorder->RunUntil([&] { return gdbus.Finished(); }));
    EXPECT_TRUE(gdbus.ExitedWith(0)) << gdbus.Err();
    ASSERT_EQ(recorder->received.size(), 1u);
    const Received& got = recorder->received[0];
    EXPECT_EQ(got.message, kCopyDataMessage);
    EXPECT_EQ(got.kind, copy_kind::kAudioLevels);
    ASSERT_EQ(got.data.size(), kAudioLevelsSize);
    EXPECT_EQ(std::memcmp(got.data.data(), bytes.constData(), got.data.size()), 0);
}

TEST_F(MessagesTest, MalformedCallsGetAnErrorAndDeliverNothing) {
    auto endpoint = First();
    Client client;
    const QString invalid = QDBusError::errorString(QDBusError::InvalidArgs);
    struct Bad {
        const char* what;
        QString method;
        QList<QVariant> arguments;
        QString error;  // empty: any error
    };
    auto copy = [](uint32_t kind, qsizetype size) {
        return QList<QVariant>{QVariant::fromValue(kind),
                               QVariant::fromValue(QByteArray(size, '\x5a'))};
    };
    const std::vector<Bad> cases = {
        {"levels one byte short", "CopyData", copy(1, 1999), invalid},
        {"levels one value long", "CopyData", copy(1, 2004), invalid},
        {"levels empty", "CopyData", copy(1, 0), invalid},
        {"six values short", "CopyData", copy(2, 23), invalid},
        {"six values as a level frame", "CopyData", copy(2, 2000), invalid},
        {"an outgoing kind", "CopyData", copy(10, 40), invalid},
        {"an unknown kind", "CopyData", copy(0xffffffffu, 24), invalid},
        {"strings for integers", "Game_Start", {QString("0"), QString("3")}, {}},
        {"one integer", "Game_Start", {QVariant::fromValue(int32_t{0})}, {}},
        {"no such method", "Game_Pause", {}, {}},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.what);
        QDBusPendingCall call = client.Call(c.method, c.arguments);
        ASSERT_TRUE(recorder->RunUntil([&] { return call.isFinished(); }));
        ASSERT_TRUE(call.isError());
        if (!c.error.isEmpty()) {
            EXPECT_EQ(call.error().name(), c.error);
        }
    }
    EXPECT_TRUE(recorder->received.empty());

    // Still serving: a well-formed copy goes through afterwards.
    const QByteArray six = LittleEndianInts({1, -2, 3, -4, 5, -6});
    QDBusPendingCall good =
        client.Call("CopyData", {QVariant::fromValue(uint32_t{2}), QVariant::fromValue(six)});
    ASSERT_TRUE(recorder->RunUntil([&] { return good.isFinished(); }));
    ASSERT_FALSE(good.isError()) << good.error().message().toStdString();
    ASSERT_EQ(recorder->received.size(), 1u);
    EXPECT_EQ(recorder->received[0].kind, copy_kind::kAudioValues);
    EXPECT_EQ(recorder->received[0].data, std::vector<uint8_t>(six.begin(), six.end()));
}

TEST_F(MessagesTest, CallsWithoutATargetAreRefusedNotLost) {
    Instance instance = AcquireInstance();
    ASSERT_EQ(instance.role, Role::kFirst);
    Client client;
    const QString notDelivered = QString::fromUtf8(kNotDeliveredError.data());
    auto expectRefused = [&](const char* method, const QList<QVariant>& arguments) {
        QDBusPendingCall call = client.Call(method, arguments);
        ASSERT_TRUE(recorder->RunUntil([&] { return call.isFinished(); }));
        ASSERT_TRUE(call.isError()) << method;
        EXPECT_EQ(call.error().name(), notDelivered) << method;
    };
    const QList<QVariant> six = {QVariant::fromValue(uint32_t{2}),
                                 QVariant::fromValue(QByteArray(24, '\0'))};

    // Before the program names a target, and after its target went away.
    expectRefused("Activate", {});
    expectRefused("CopyData", six);
    auto gone = std::make_unique<Recorder>(*loop);
    instance.endpoint->SetTarget(loop.get(), gone->id);
    gone.reset();
    expectRefused("Game_End", {QVariant::fromValue(int32_t{0}), QVariant::fromValue(int32_t{1})});
    expectRefused("CopyData", six);
    EXPECT_TRUE(recorder->received.empty());
}

TEST_F(MessagesTest, CompanionsReceiveTheOutgoingSignals) {
    auto endpoint = First();
    Client client;
    SignalCatcher catcher;
    ASSERT_TRUE(client.Connection().connect("org.halvorn.Device", "/org/halvorn/Device",
                                            "org.halvorn.Device1", "", &catcher,
                                            SLOT(OnSignal(QDBusMessage))));
    std::vector<uint8_t> colour(40, 0);
    colour[0] = 200;
    colour[4] = 1;
    colour[8] = 30;
    EXPECT_TRUE(endpoint->NotifyLightOwner(1, 1));
    EXPECT_TRUE(endpoint->SendToAudioWindow(6, 200));
    // Any thread may send.
    bool sent = false;
    std::jthread([&] { sent = endpoint->SendCopyData(copy_kind::kAudioColour, colour); }).join();
    EXPECT_TRUE(sent);

    ASSERT_TRUE(recorder->RunUntil([&] { return catcher.signals_.size() >= 3; }));
    ASSERT_EQ(catcher.signals_.size(), 3u);
    EXPECT_EQ(catcher.signals_[0].member(), "LightOwnerNotice");
    EXPECT_EQ(catcher.signals_[0].arguments(), (QList<QVariant>{1, 1}));
    EXPECT_EQ(catcher.signals_[1].member(), "AudioWindow");
    EXPECT_EQ(catcher.signals_[1].arguments(), (QList<QVariant>{6, 200}));
    EXPECT_EQ(catcher.signals_[2].member(), "CopyDataSent");
    ASSERT_EQ(catcher.signals_[2].arguments().size(), 2);
    EXPECT_EQ(catcher.signals_[2].arguments()[0].toUInt(), copy_kind::kAudioColour);
    const QByteArray got = catcher.signals_[2].arguments()[1].toByteArray();
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.end()), colour);
}

}  // namespace
}  // namespace halvorn::ipc::dbus_test

#include "messages_test.moc"
