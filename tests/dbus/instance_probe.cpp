// A second start as a separate process: acquires the instance as the program
// does at start-up and says which role it got. Exits 0 either way, as the
// program does when it finds itself second.

#include <QCoreApplication>
#include <cstdio>

#include "platform/ipc/ipc_bus.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const halvorn::ipc::Instance instance = halvorn::ipc::AcquireInstance();
    if (instance.role == halvorn::ipc::Role::kSecond) {
        std::puts("second");
    } else {
        std::puts(instance.endpoint->OnBus() ? "first bus" : "first lock");
    }
    return 0;
}
