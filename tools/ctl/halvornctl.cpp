// halvornctl: the command-line face of the device layer.

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/report_protocol.h"
#include "device/supported_interfaces.h"
#include "platform/hid/hidraw_backend.h"
#include "platform/hid/virtual_backend.h"
#include "tools/vdev/keyboard_firmware.h"
#include "tools/vdev/remote_hub.h"
#include "tools/vdev/virtual_bus.h"

namespace halvorn {
namespace {

constexpr const char* kUsage =
    "usage: halvornctl [--virtual | --vdev[=SOCKET]] COMMAND\n"
    "\n"
    "  list   the supported HID interfaces found: path, device kind, collection role\n"
    "  info   the keyboard's 34-byte information block, in hexadecimal\n"
    "\n"
    "  --virtual  use an emulated keyboard in this process instead of /dev/hidraw*\n"
    "  --vdev     use the devices of a running halvorn-vdev (default socket: "
    "$HALVORN_VDEV_SOCKET,\n"
    "             else $XDG_RUNTIME_DIR/halvorn-vdev.sock)\n"
    "  --all      (list) also show interfaces the program does not drive\n";

enum class Source { Hidraw, InProcess, Vdev };

// Where the devices come from: the system's hidraw nodes, or emulators.
struct Devices {
    std::unique_ptr<hid::VirtualHub> hub;
    std::unique_ptr<hid::Backend> backend;
};

Devices OpenDevices(Source source, const std::string& socket) {
    Devices d;
    switch (source) {
        case Source::InProcess: {
            auto bus = std::make_unique<vdev::VirtualBus>();
            bus->Plug("keyboard", vdev::MakeKeyboard());
            d.hub = std::move(bus);
            break;
        }
        case Source::Vdev: {
            auto remote = socket.empty() ? std::make_unique<vdev::RemoteHub>()
                                         : std::make_unique<vdev::RemoteHub>(socket);
            if (vdev::HubReply reply = remote->ListInterfaces(); !reply.ok) {
                std::fprintf(stderr, "halvornctl: cannot reach halvorn-vdev at %s: %s\n",
                             remote->SocketPath().c_str(), reply.error.c_str());
                return d;
            }
            d.hub = std::move(remote);
            break;
        }
        case Source::Hidraw:
            d.backend = std::make_unique<hid::HidrawBackend>();
            return d;
    }
    d.backend = std::make_unique<hid::VirtualBackend>(*d.hub);
    return d;
}

struct Match {
    hid::InterfaceInfo info;
    std::optional<std::size_t> row;
};

std::optional<std::vector<Match>> Scan(hid::Backend& backend) {
    std::vector<hid::InterfaceInfo> found;
    if (!backend.Enumerate(found)) return std::nullopt;
    std::vector<Match> matches;
    for (hid::InterfaceInfo& info : found) {
        auto row = FindSupportedRow(info.attributes.vendorId, info.attributes.productId,
                                    static_cast<uint16_t>(info.interfaceNumber),
                                    static_cast<uint16_t>(info.collectionNumber), info.usagePage,
                                    info.usage);
        matches.push_back({std::move(info), row});
    }
    return matches;
}

int List(hid::Backend& backend, bool all) {
    auto matches = Scan(backend);
    if (!matches) {
        std::fprintf(stderr, "halvornctl: cannot enumerate the HID interfaces\n");
        return 1;
    }
    int shown = 0;
    for (const Match& m : *matches) {
        if (!m.row && !all) continue;
        std::string kind = "-", role = "-";
        if (m.row) {
            const InterfaceSlot& slot = SupportedInterfaces()[*m.row];
            kind = DeviceKindName(slot.kind);
            role = slot.collectionRole == kRoleProtocol ? "protocol" : "input";
        }
        std::printf("%-60s %-20s %-9s %04x:%04x\n", m.info.path.c_str(), kind.c_str(), role.c_str(),
                    m.info.usagePage, m.info.usage);
        ++shown;
    }
    if (shown == 0) std::fprintf(stderr, "halvornctl: no supported interface found\n");
    return 0;
}

int Info(hid::Backend& backend) {
    auto matches = Scan(backend);
    if (!matches) {
        std::fprintf(stderr, "halvornctl: cannot enumerate the HID interfaces\n");
        return 1;
    }
    const Match* keyboard = nullptr;
    for (const Match& m : *matches) {
        if (!m.row) continue;
        const InterfaceSlot& slot = SupportedInterfaces()[*m.row];
        if (slot.collectionRole == kRoleProtocol &&
            (slot.kind == device_kind::kKeyboard || slot.kind == device_kind::kKeyboardReceiver)) {
            keyboard = &m;
            break;
        }
    }
    if (!keyboard) {
        std::fprintf(stderr, "halvornctl: no keyboard found\n");
        return 1;
    }
    ReportProtocol protocol(backend);
    const bool receiver =
        SupportedInterfaces()[*keyboard->row].kind == device_kind::kKeyboardReceiver;
    HidChannel& channel = receiver ? protocol.ReceiverChannel() : protocol.WiredChannel();
    if (!channel.Open(keyboard->info.path, true, true, true, false)) {
        std::fprintf(stderr, "halvornctl: cannot open %s (permissions?)\n",
                     keyboard->info.path.c_str());
        return 1;
    }
    protocol.SetOpen(true);
    protocol.SetChannelMode(receiver ? 2 : 1);

    std::array<uint8_t, ReportProtocol::kInfoSize> info{};
    const int result = protocol.ReadDeviceInfo(info);
    if (result != kResultOk) {
        std::fprintf(stderr, "halvornctl: reading the information block failed (%d)\n", result);
        return 1;
    }
    std::printf("%s\n", keyboard->info.path.c_str());
    for (std::size_t i = 0; i < info.size(); ++i) {
        std::printf("%02x%c", info[i], (i % 16 == 15 || i + 1 == info.size()) ? '\n' : ' ');
    }
    std::printf("keys %u, macro memory %u bytes\n", info[5], info[6] * 128u);
    return 0;
}

}  // namespace
}  // namespace halvorn

int main(int argc, char** argv) {
    halvorn::Source source = halvorn::Source::Hidraw;
    std::string socket;
    bool all = false;
    std::string_view command;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--virtual") {
            source = halvorn::Source::InProcess;
        } else if (arg == "--vdev" || arg.starts_with("--vdev=")) {
            source = halvorn::Source::Vdev;
            if (arg.size() > 7) socket = std::string(arg.substr(7));
        } else if (arg == "--all") {
            all = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(halvorn::kUsage, stdout);
            return 0;
        } else if (command.empty() && !arg.starts_with("-")) {
            command = arg;
        } else {
            std::fprintf(stderr, "halvornctl: unexpected argument '%s'\n%s", argv[i],
                         halvorn::kUsage);
            return 2;
        }
    }
    if (command.empty()) {
        std::fputs(halvorn::kUsage, stderr);
        return 2;
    }
    halvorn::Devices devices = halvorn::OpenDevices(source, socket);
    if (!devices.backend) return 1;
    if (command == "list") return halvorn::List(*devices.backend, all);
    if (command == "info") return halvorn::Info(*devices.backend);
    std::fprintf(stderr, "halvornctl: unknown command '%.*s'\n%s", static_cast<int>(command.size()),
                 command.data(), halvorn::kUsage);
    return 2;
}
