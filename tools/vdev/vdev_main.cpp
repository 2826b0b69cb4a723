// halvorn-vdev: runs the device emulators as a server on a Unix socket, and
// talks to a running server from the command line.

#include <json/writer.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "tools/vdev/firmware_factory.h"
#include "tools/vdev/hex_text.h"
#include "tools/vdev/hub_protocol.h"
#include "tools/vdev/hub_server.h"
#include "tools/vdev/remote_hub.h"
#include "tools/vdev/virtual_bus.h"

namespace {

using halvorn::vdev::HubReply;
using halvorn::vdev::RemoteHub;

constexpr int kExitError = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage:\n"
    "  halvorn-vdev serve [--socket PATH] [--plug KIND[:NAME]]...\n"
    "  halvorn-vdev [--socket PATH] list\n"
    "  halvorn-vdev [--socket PATH] plug KIND [NAME] [OPTION=VALUE]...\n"
    "  halvorn-vdev [--socket PATH] unplug NAME\n"
    "  halvorn-vdev [--socket PATH] dump NAME\n"
    "  halvorn-vdev [--socket PATH] fault NAME KEY=VALUE... | reset\n"
    "  halvorn-vdev [--socket PATH] input NAME INTERFACE HEX\n"
    "  halvorn-vdev [--socket PATH] profile NAME PROFILE [0x10|0x11]\n"
    "  halvorn-vdev [--socket PATH] sync NAME [0x401|0x402]\n"
    "  halvorn-vdev [--socket PATH] key NAME KEY press|release|tap\n"
    "\n"
    "The socket defaults to $HALVORN_VDEV_SOCKET, else $XDG_RUNTIME_DIR/halvorn-vdev.sock,\n"
    "else /tmp/halvorn-vdev-<uid>.sock.\n"
    "Keyboard options: vendorId productId version keyCount macroUnits profileCount\n"
    "hasFnKey receiverLinked.\n"
    "Faults: silent wrong stray reject status unreachable unplugAfter latency (e.g. 1ms, 500us)\n"
    "or their full names (silentReplies, ..., latencyUs).\n"
    "profile, sync and key act on the keyboard itself and print the input reports it sent:\n"
    "profile makes PROFILE the on-board profile and reports 0x1000 + PROFILE (0x1100 + PROFILE\n"
    "with 0x11); sync asks the host to re-read the settings (0x401, the default) or the\n"
    "settings and the profile (0x402); key sends 0x500 + KEY (press) or 0x600 + KEY (release)\n"
    "for a key index the keyboard has.\n";

int UsageError(const std::string& message) {
    std::cerr << "halvorn-vdev: " << message << "\n" << kUsage;
    return kExitUsage;
}

int Failure(const std::string& message) {
    std::cerr << "halvorn-vdev: " << message << "\n";
    return kExitError;
}

void PrintJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    std::cout << Json::writeString(builder, value) << "\n";
}

std::optional<long long> ParseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return value;
}

// "true"/"false", an integer (decimal or 0x...), else the text itself.
Json::Value OptionValue(const std::string& text) {
    if (text == "true") return true;
    if (text == "false") return false;
    if (auto number = ParseInteger(text)) return static_cast<Json::Int64>(*number);
    return text;
}

bool SplitAssignment(const std::string& arg, std::string& key, std::string& value) {
    auto equals = arg.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    key = arg.substr(0, equals);
    value = arg.substr(equals + 1);
    return true;
}

// A latency with an optional unit: "1ms", "500us", "2s"; bare numbers are microseconds.
std::optional<long long> ParseLatencyUs(std::string text) {
    long long scale = 1;
    auto strip = [&text](const std::string& suffix) {
        if (text.size() > suffix.size() &&
            text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
            text.resize(text.size() - suffix.size());
            return true;
        }
        return false;
    };
    if (strip("ms")) {
        scale = 1000;
    } else if (strip("us")) {
        scale = 1;
    } else if (strip("s")) {
        scale = 1000000;
    }
    auto number = ParseInteger(text);
    if (!number || *number < 0) return std::nullopt;
    return *number * scale;
}

std::optional<Json::Value> FaultsFromArgs(const std::vector<std::string>& args,
                                          std::string& error) {
    static const std::pair<const char*, const char*> kAliases[] = {
        {"silent", "silentReplies"},
        {"wrong", "wrongCommandReplies"},
        {"stray", "strayReplies"},
        {"reject", "rejectReplies"},
        {"status", "rejectStatus"},
        {"unreachable", "unreachableReplies"},
        {"unplugAfter", "unplugAfterRequests"},
        {"latency", "latencyUs"},
    };
    Json::Value faults(Json::objectValue);
    for (const std::string& arg : args) {
        if (arg == "reset") {
            faults["reset"] = true;
            continue;
        }
        std::string key, value;
        if (!SplitAssignment(arg, key, value)) {
            error = "expected KEY=VALUE, got " + arg;
            return std::nullopt;
        }
        for (const auto& [alias, name] : kAliases) {
            if (key == alias) key = name;
        }
        if (key == "latencyUs") {
            auto us = ParseLatencyUs(value);
            if (!us) {
                error = "bad latency " + value;
                return std::nullopt;
            }
            faults[key] = static_cast<Json::Int64>(*us);
        } else {
            faults[key] = OptionValue(value);
        }
    }
    return faults;
}

// Prints `member` of a successful answer (the whole answer when empty).
int Report(const HubReply& reply, const char* member) {
    if (!reply.ok) return Failure(reply.error);
    if (member && *member) {
        PrintJson(reply.body[member]);
    } else {
        Json::Value ok(Json::objectValue);
        ok["ok"] = true;
        PrintJson(ok);
    }
    return 0;
}

int Serve(const std::string& socketPath, const std::vector<std::string>& plugs) {
    // Block the stop signals in every thread; the main thread takes them with sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    halvorn::vdev::VirtualBus bus;
    for (const std::string& plug : plugs) {
        auto colon = plug.find(':');
        std::string kind = plug.substr(0, colon);
        std::string name = colon == std::string::npos ? "" : plug.substr(colon + 1);
        std::string error;
        auto firmware = halvorn::vdev::MakeFirmware(kind, Json::Value(), error);
        if (!firmware) return Failure(error);
        bus.Plug(name, std::move(firmware));
    }
    halvorn::vdev::HubServer server(bus, socketPath);
    std::string error;
    if (!server.Start(error)) return Failure(error);
    std::cerr << "halvorn-vdev: serving on " << socketPath << std::endl;

    int received = 0;
    while (sigwait(&stopSignals, &received) != 0) {
    }
    server.Stop();
    return 0;
}

int Client(const std::string& socketPath, const std::vector<std::string>& args) {
    const std::string& verb = args[0];
    const std::size_t count = args.size() - 1;
    RemoteHub hub(socketPath);
    if (verb == "list") {
        if (count != 0) return UsageError("list takes no arguments");
        return Report(hub.ListInterfaces(), "interfaces");
    }
    if (verb == "plug") {
        if (count < 1) return UsageError("plug needs a KIND");
        std::string name;
        std::size_t next = 2;
        if (count >= 2 && args[2].find('=') == std::string::npos) {
            name = args[2];
            next = 3;
        }
        Json::Value options(Json::objectValue);
        for (std::size_t i = next; i < args.size(); ++i) {
            std::string key, value;
            if (!SplitAssignment(args[i], key, value)) {
                return UsageError("expected OPTION=VALUE, got " + args[i]);
            }
            options[key] = OptionValue(value);
        }
        HubReply reply = hub.Plug(args[1], name, options);
        if (!reply.ok) return Failure(reply.error);
        Json::Value out(Json::objectValue);
        out["name"] = reply.body["name"];
        PrintJson(out);
        return 0;
    }
    if (verb == "unplug") {
        if (count != 1) return UsageError("unplug needs a NAME");
        return Report(hub.Unplug(args[1]), "");
    }
    if (verb == "dump") {
        if (count != 1) return UsageError("dump needs a NAME");
        return Report(hub.Dump(args[1]), "dump");
    }
    if (verb == "fault") {
        if (count < 2) return UsageError("fault needs a NAME and KEY=VALUE settings");
        std::string error;
        auto faults = FaultsFromArgs({args.begin() + 2, args.end()}, error);
        if (!faults) return UsageError(error);
        return Report(hub.ChangeFaults(args[1], *faults), "faults");
    }
    if (verb == "profile") {
        if (count != 2 && count != 3) return UsageError("profile needs NAME PROFILE [0x10|0x11]");
        auto profile = ParseInteger(args[2]);
        if (!profile || *profile < 0 || *profile > 255) return UsageError("bad profile " + args[2]);
        Json::Value action(Json::objectValue);
        action["action"] = "profile";
        action["profile"] = static_cast<int>(*profile);
        if (count == 3) {
            auto page = ParseInteger(args[3]);
            if (!page || (*page != 0x10 && *page != 0x11)) {
                return UsageError("bad usage page " + args[3] + " (0x10 or 0x11)");
            }
            action["page"] = static_cast<int>(*page);
        }
        return Report(hub.Act(args[1], action), "reports");
    }
    if (verb == "sync") {
        if (count != 1 && count != 2) return UsageError("sync needs NAME [0x401|0x402]");
        Json::Value action(Json::objectValue);
        action["action"] = "sync";
        if (count == 2) {
            auto usage = ParseInteger(args[2]);
            if (!usage || (*usage != 0x401 && *usage != 0x402)) {
                return UsageError("bad sync usage " + args[2] + " (0x401 or 0x402)");
            }
            action["usage"] = static_cast<int>(*usage);
        }
        return Report(hub.Act(args[1], action), "reports");
    }
    if (verb == "key") {
        if (count != 3) return UsageError("key needs NAME KEY press|release|tap");
        auto key = ParseInteger(args[2]);
        if (!key || *key < 0 || *key > 255) return UsageError("bad key index " + args[2]);
        if (args[3] != "press" && args[3] != "release" && args[3] != "tap") {
            return UsageError("bad key event " + args[3] + " (press, release or tap)");
        }
        Json::Value action(Json::objectValue);
        action["action"] = "key";
        action["key"] = static_cast<int>(*key);
        action["event"] = args[3];
        return Report(hub.Act(args[1], action), "reports");
    }
    if (verb == "input") {
        if (count != 3) return UsageError("input needs NAME INTERFACE HEX");
        auto interfaceNumber = ParseInteger(args[2]);
        auto report = halvorn::vdev::ParseHexText(args[3]);
        if (!interfaceNumber || *interfaceNumber < 0 || *interfaceNumber > 255) {
            return UsageError("bad interface number " + args[2]);
        }
        if (!report || report->empty()) return UsageError("bad report " + args[3]);
        return Report(hub.SendInput(args[1], static_cast<int>(*interfaceNumber), *report), "");
    }
    return UsageError("unknown command " + verb);
}

}  // namespace

int main(int argc, char** argv) {
    std::string socketPath = halvorn::vdev::DefaultSocketPath();
    std::vector<std::string> plugs;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--socket" || arg == "--plug") {
            if (i + 1 >= argc) return UsageError(arg + " needs a value");
            (arg == "--socket" ? socketPath : plugs.emplace_back()) = argv[++i];
        } else if (arg.rfind("--socket=", 0) == 0) {
            socketPath = arg.substr(9);
        } else if (arg.rfind("--plug=", 0) == 0) {
            plugs.push_back(arg.substr(7));
        } else {
            args.push_back(std::move(arg));
        }
    }
    if (args.empty()) return UsageError("no command given");
    if (args[0] == "serve") {
        if (args.size() != 1) return UsageError("serve takes only --socket and --plug");
        return Serve(socketPath, plugs);
    }
    if (!plugs.empty()) return UsageError("--plug belongs to serve");
    return Client(socketPath, args);
}
