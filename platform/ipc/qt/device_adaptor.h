#pragma once

// The object exported at /org/halvorn/Device: its slots are the interface's
// methods and turn each call into the registered message of the same name on
// the program's loop. The signals are declared for the introspection data
// only; the endpoint sends them itself, from any thread.

#include <QByteArray>
#include <QDBusContext>
#include <QObject>

#include "platform/loop/message_loop.h"

namespace halvorn::ipc {

class DeviceAdaptor : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.halvorn.Device1")

public:
    DeviceAdaptor();

    // On the adaptor's thread.
    void SetTarget(loop::MessageLoop* loop, loop::TargetId target);

public Q_SLOTS:
    void Activate();
    void SettingsRelay(int wParam, int lParam);
    void LightOwnerRequest(int wParam, int lParam);
    void ToolQuery(int wParam, int lParam);
    void Game_Start(int wParam, int lParam);
    void Game_End(int wParam, int lParam);
    void Game_Kill(int wParam, int lParam);
    void Game_Death(int wParam, int lParam);
    void CopyData(uint kind, const QByteArray& data);

Q_SIGNALS:
    void LightOwnerNotice(int wParam, int lParam);
    void AudioWindow(int item, int value);
    void CopyDataSent(uint kind, const QByteArray& data);

private:
    void Deliver(uint32_t message, int wParam, int lParam);
    void RefuseUndelivered(const char* why);

    loop::MessageLoop* loop_ = nullptr;
    loop::TargetId target_ = 0;
};

}  // namespace halvorn::ipc
