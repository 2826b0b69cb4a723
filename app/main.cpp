// halvorn-device: the configuration program. Start-up in the order the rest
// relies on: fonts, application, single instance, skin, control classes,
// main window, loop; then everything undone in reverse.
//
// HALVORN_VDEV=SOCKET makes the program drive the emulated devices of a
// running halvorn-vdev instead of the system's hidraw nodes.

#include <signal.h>
#include <sys/signalfd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/main_wnd.h"
#include "app/message_ids.h"
#include "controls/picture_controls.h"
#include "panels/register_panels.h"
#include "platform/fs/data_folders.h"
#include "platform/fs/unique_fd.h"
#include "platform/hid/hidraw_backend.h"
#include "platform/hid/virtual_backend.h"
#include "platform/ipc/ipc_bus.h"
#include "platform/loop/qt/qt_message_loop.h"
#include "platform/settings/settings_file.h"
#include "platform/trace/trace.h"
#include "platform/ui/qt/qt_file_dialogs.h"
#include "platform/ui/qt/qt_fonts.h"
#include "platform/ui/qt/qt_window_system.h"
#include "tools/vdev/remote_hub.h"

#ifndef HALVORN_SOURCE_SKIN_DIR
#define HALVORN_SOURCE_SKIN_DIR ""
#endif

namespace halvorn {
namespace {

const std::vector<std::string> kFontFiles = {"Simplified_Chinese.ttf", "Lanterna-Regular.otf",
                                             "NotoSansThai-Regular.ttf",
                                             "NotoSansCJKtc-Regular.otf"};

// The installed program's skin beside it, else the source tree's in a build.
std::filesystem::path FindSkinFolder(const std::filesystem::path& exeFolder) {
    std::vector<std::filesystem::path> candidates;
    if (const char* dir = std::getenv("HALVORN_SKIN_DIR"); dir != nullptr && *dir != '\0') {
        candidates.emplace_back(dir);
    }
    if (!exeFolder.empty()) {
        candidates.push_back(exeFolder / "skin");
        candidates.push_back(exeFolder / ".." / "share" / "halvorn-device" / "skin");
    }
    if (*HALVORN_SOURCE_SKIN_DIR != '\0') candidates.emplace_back(HALVORN_SOURCE_SKIN_DIR);
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate / "res.xml", error)) return candidate;
    }
    return candidates.empty() ? std::filesystem::path() : candidates.front();
}

// The devices: the system's, or a running halvorn-vdev's.
struct Devices {
    std::unique_ptr<hid::VirtualHub> hub;
    std::unique_ptr<hid::Backend> backend;
};

Devices OpenDevices() {
    Devices d;
    const char* socket = std::getenv("HALVORN_VDEV");
    if (socket != nullptr && *socket != '\0') {
        auto remote = std::make_unique<vdev::RemoteHub>(socket);
        if (vdev::HubReply reply = remote->ListInterfaces(); !reply.ok) {
            // It may start later: the watcher keeps looking.
            std::fprintf(stderr, "halvorn-device: halvorn-vdev at %s not reachable yet: %s\n",
                         socket, reply.error.c_str());
        }
        d.hub = std::move(remote);
        d.backend = std::make_unique<hid::VirtualBackend>(*d.hub);
    } else {
        d.backend = std::make_unique<hid::HidrawBackend>();
    }
    return d;
}

// SIGTERM and SIGINT end the loop like "exit" does, so that every thread is
// joined; blocked before any thread starts, so that all inherit the mask.
UniqueFd BlockTerminationSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return UniqueFd();
    return UniqueFd(::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
}

int Run(int argc, char** argv) {
    UniqueFd signalFd = BlockTerminationSignals();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // the tray keeps it running
    const std::filesystem::path exeFolder = ExecutableFolder();
    ui::LoadPrivateFonts(exeFolder / "Font", kFontFiles);

    ipc::Instance instance = ipc::AcquireInstance();
    if (instance.role == ipc::Role::kSecond) return 0;  // the first one came to the front
    Trace("instance message " + std::to_string(Registered().instance));

    ui::UiContext context;
    const std::filesystem::path skin = FindSkinFolder(exeFolder);
    context.SetSkinFolder(skin);
    if (!context.Resources().Load(skin / "res.xml")) {
        Trace("skin index missing: " + (skin / "res.xml").string());
    }
    RegisterPictureControls(context.Factory());
    RegisterPanelControls(context.Factory());

    Devices devices = OpenDevices();
    const FolderEnvironment folders = FolderEnvironment::FromProcess();
    const std::filesystem::path dataRoot = UserDataRoot(folders);
    if (!dataRoot.empty()) CreateFolder(dataRoot);

    loop::QtMessageLoop loop;
    ui::QtWindowSystem system;
    ui::QtFileDialogs dialogs;
    int code = 0;
    {
        CMainWnd window(context, loop, system,
                        MainWndEnvironment{
                            .backend = *devices.backend,
                            .dataRoot = dataRoot,
                            .defaultData = FindDefaultDataFolder(),
                            .settingsFile = SettingsFile::DefaultPath(folders),
                            .ipc = instance.endpoint.get(),
                            .fileDialogs = &dialogs,
                        });
        if (!window.Create(nullptr, kProgramName)) {
            std::fprintf(stderr, "halvorn-device: the main window cannot be made: %s\n",
                         window.CreateError().c_str());
            return 0;
        }
        if (instance.endpoint) instance.endpoint->SetTarget(&loop, window.Id());
        window.CenterWindow();
        std::unique_ptr<QSocketNotifier> onSignal;
        if (signalFd) {
            onSignal = std::make_unique<QSocketNotifier>(signalFd.Get(), QSocketNotifier::Read);
            QObject::connect(onSignal.get(), &QSocketNotifier::activated, [&] {
                signalfd_siginfo info{};
                while (::read(signalFd.Get(), &info, sizeof info) == sizeof info) {
                }
                Trace("ending on a signal");
                loop.Quit(0);
            });
        }
        code = loop.Run();
        if (instance.endpoint) instance.endpoint->SetTarget(nullptr, 0);
        window.Shutdown();  // watcher and device threads joined before the window goes
    }
    (void)code;
    return 0;
}

}  // namespace
}  // namespace halvorn

int main(int argc, char** argv) { return halvorn::Run(argc, argv); }
