#include "platform/ipc/qt/bus_instance.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QList>
#include <QVariant>

#include <atomic>
#include <utility>

#include "platform/ipc/qt/device_adaptor.h"

namespace halvorn::ipc {

namespace {

QString ToQ(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToStd(const QString& text) { return text.toStdString(); }

// One connection of its own per endpoint, so that two endpoints in one
// process are two peers on the bus, as two processes would be.
QString NewConnectionName() {
    static std::atomic<int> next{0};
    return QStringLiteral("halvorn-ipc-%1").arg(++next);
}

class BusEndpoint final : public IpcEndpoint {
public:
    BusEndpoint(QDBusConnection connection, QString connectionName, QString busName)
        : connection_(std::move(connection)),
          connectionName_(std::move(connectionName)),
          busName_(std::move(busName)) {}

    ~BusEndpoint() override {
        if (owner_) connection_.interface()->unregisterService(busName_);
        if (registered_) connection_.unregisterObject(ToQ(kObjectPath));
        adaptor_.reset();
        QDBusConnection::disconnectFromBus(connectionName_);
    }

    BusEndpoint(const BusEndpoint&) = delete;
    BusEndpoint& operator=(const BusEndpoint&) = delete;

    // The object goes up before the name, so that a second start that
    // finds the name always finds the object too.
    bool RegisterObject() {
        registered_ = connection_.registerObject(
            ToQ(kObjectPath), adaptor_.get(),
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
        return registered_;
    }

    QDBusConnection& Connection() { return connection_; }
    void SetOwner() { owner_ = true; }

    bool OnBus() const override { return true; }

    void SetTarget(loop::MessageLoop* loop, loop::TargetId target) override {
        adaptor_->SetTarget(loop, target);
    }

    bool NotifyLightOwner(int32_t wParam, int32_t lParam) override {
        return Emit("LightOwnerNotice", {QVariant::fromValue(wParam), QVariant::fromValue(lParam)});
    }

    bool SendToAudioWindow(int32_t item, int32_t value) override {
        return Emit("AudioWindow", {QVariant::fromValue(item), QVariant::fromValue(value)});
    }

    bool SendCopyData(uint32_t kind, std::span<const uint8_t> data) override {
        QByteArray bytes(reinterpret_cast<const char*>(data.data()),
                         static_cast<qsizetype>(data.size()));
        return Emit("CopyDataSent", {QVariant::fromValue(kind), QVariant::fromValue(bytes)});
    }

private:
    // QDBusConnection::send is safe from any thread.
    bool Emit(const char* member, QList<QVariant> arguments) {
        QDBusMessage signal = QDBusMessage::createSignal(ToQ(kObjectPath), ToQ(kInterface),
                                                         QString::fromUtf8(member));
        signal.setArguments(std::move(arguments));
        return connection_.send(signal);
    }

    QDBusConnection connection_;
    const QString connectionName_;
    const QString busName_;
    std::unique_ptr<DeviceAdaptor> adaptor_ = std::make_unique<DeviceAdaptor>();
    bool registered_ = false;
    bool owner_ = false;
};

// The owner may end between our failed request and our call: then the name
// is free again and the caller tries once more.
enum class Activation { kAnswered, kRefused, kOwnerGone };

Activation ActivateOwner(QDBusConnection& connection, const QString& busName,
                         std::chrono::milliseconds timeout, std::string& detail) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(busName, ToQ(kObjectPath), ToQ(kInterface), "Activate");
    // BlockWithGui: the owner may be this very thread (two endpoints in one
    // process); the events it needs keep being handled while we wait.
    const QDBusMessage reply =
        connection.call(call, QDBus::BlockWithGui, static_cast<int>(timeout.count()));
    if (reply.type() != QDBusMessage::ErrorMessage) return Activation::kAnswered;
    detail = ToStd(reply.errorName() + ": " + reply.errorMessage());
    const QString name = reply.errorName();
    if (name == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown") ||
        name == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner")) {
        return Activation::kOwnerGone;
    }
    return Activation::kRefused;
}

}  // namespace

BusAttempt AcquireOnBus(const EndpointOptions& options) {
    BusAttempt attempt;
    if (QCoreApplication::instance() == nullptr) {
        attempt.detail = "no application: the bus is not used";
        return attempt;
    }
    const QString connectionName = NewConnectionName();
    QDBusConnection connection =
        options.busAddress.empty()
            ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)
            : QDBusConnection::connectToBus(QString::fromStdString(options.busAddress),
                                            connectionName);
    if (!connection.isConnected()) {
        attempt.detail = ToStd(connection.lastError().message());
        QDBusConnection::disconnectFromBus(connectionName);
        return attempt;
    }
    auto endpoint = std::make_unique<BusEndpoint>(connection, connectionName,
                                                  QString::fromStdString(options.busName));
    if (!endpoint->RegisterObject()) {
        attempt.detail = "cannot export " + std::string(kObjectPath);
        return attempt;
    }
    const QString busName = QString::fromStdString(options.busName);
    constexpr int kAttempts = 3;
    for (int i = 0; i < kAttempts; ++i) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            endpoint->Connection().interface()->registerService(
                busName, QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            attempt.detail = ToStd(reply.error().name() + ": " + reply.error().message());
            return attempt;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            endpoint->SetOwner();
            attempt.outcome = BusAttempt::Outcome::kOwner;
            attempt.endpoint = std::move(endpoint);
            return attempt;
        }
        const Activation activation =
            ActivateOwner(endpoint->Connection(), busName, options.activateTimeout, attempt.detail);
        if (activation != Activation::kOwnerGone) {
            attempt.outcome = BusAttempt::Outcome::kOtherOwner;
            attempt.activated = activation == Activation::kAnswered;
            return attempt;
        }
    }
    // The name keeps changing hands: somebody else is starting too.
    attempt.outcome = BusAttempt::Outcome::kOtherOwner;
    return attempt;
}

}  // namespace halvorn::ipc
