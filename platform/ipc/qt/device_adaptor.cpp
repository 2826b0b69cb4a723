#include "platform/ipc/qt/device_adaptor.h"

#include <QDBusError>
#include <QString>

#include <span>
#include <string>

#include "app/message_ids.h"
#include "platform/ipc/copy_data.h"
#include "platform/ipc/ipc_bus.h"
#include "platform/loop/registered_messages.h"
#include "platform/trace/trace.h"

namespace halvorn::ipc {

namespace {

// A second start's message: the same parameters a second instance broadcast.
constexpr int kActivateWParam = 0;
constexpr int kActivateLParam = 1;

}  // namespace

DeviceAdaptor::DeviceAdaptor() = default;

void DeviceAdaptor::SetTarget(loop::MessageLoop* loop, loop::TargetId target) {
    loop_ = loop;
    target_ = loop == nullptr ? 0 : target;
}

void DeviceAdaptor::Activate() {
    Deliver(RegisterMessage(message_name::kInstance), kActivateWParam, kActivateLParam);
}

void DeviceAdaptor::SettingsRelay(int wParam, int lParam) {
    Deliver(RegisterMessage(message_name::kSettingsRelay), wParam, lParam);
}

void DeviceAdaptor::LightOwnerRequest(int wParam, int lParam) {
    Deliver(RegisterMessage(message_name::kLightOwnerRequest), wParam, lParam);
}

void DeviceAdaptor::ToolQuery(int wParam, int lParam) {
    Deliver(RegisterMessage(message_name::kToolQuery), wParam, lParam);
}

void DeviceAdaptor::Game_Start(int wParam, int lParam) {
    Deliver(RegisterMessage("Game_Start"), wParam, lParam);
}

void DeviceAdaptor::Game_End(int wParam, int lParam) {
    Deliver(RegisterMessage("Game_End"), wParam, lParam);
}

void DeviceAdaptor::Game_Kill(int wParam, int lParam) {
    Deliver(RegisterMessage("Game_Kill"), wParam, lParam);
}

void DeviceAdaptor::Game_Death(int wParam, int lParam) {
    Deliver(RegisterMessage("Game_Death"), wParam, lParam);
}

void DeviceAdaptor::CopyData(uint kind, const QByteArray& data) {
    const std::string refused = CheckIncomingCopy(kind, static_cast<size_t>(data.size()));
    if (!refused.empty()) {
        Trace("ipc: " + refused + "\n");
        sendErrorReply(QDBusError::InvalidArgs, QString::fromStdString(refused));
        return;
    }
    // Sent, as the desktop sent its data copies: the bytes stay ours only
    // while the handler runs, so it must run here and now.
    if (loop_ == nullptr || !loop_->OnLoopThread()) {
        RefuseUndelivered("no target on this thread takes data copies");
        return;
    }
    const ipc::CopyData copy{kind, std::span(reinterpret_cast<const uint8_t*>(data.constData()),
                                             static_cast<size_t>(data.size()))};
    if (!loop_->Send(target_, kCopyDataMessage, 0, reinterpret_cast<intptr_t>(&copy))) {
        RefuseUndelivered("the target is gone");
    }
}

void DeviceAdaptor::Deliver(uint32_t message, int wParam, int lParam) {
    // Sign-extended, so that a handler reading the int back gets what was sent.
    const auto w = static_cast<uintptr_t>(static_cast<intptr_t>(wParam));
    if (loop_ == nullptr) {
        RefuseUndelivered("no target takes messages yet");
    } else if (!loop_->Post(target_, message, w, lParam)) {
        RefuseUndelivered("the target is gone");
    }
}

void DeviceAdaptor::RefuseUndelivered(const char* why) {
    Trace(std::string("ipc: ") + why + "\n");
    sendErrorReply(QString::fromUtf8(kNotDeliveredError.data(), kNotDeliveredError.size()),
                   QString::fromUtf8(why));
}

}  // namespace halvorn::ipc
