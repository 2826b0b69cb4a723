// The halvorn-vdev executable: a server process reached over its Unix
// socket through RemoteHub, and the command-line client's verbs.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/vdev/hex_text.h"
#include "tools/vdev/keyboard_descriptors.h"
#include "tools/vdev/keyboard_firmware.h"
#include "tools/vdev/protocol_frame.h"
#include "tools/vdev/remote_hub.h"

extern char** environ;

namespace halvorn::vdev {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

constexpr auto kStartBound = 10s;
constexpr auto kExitBound = 10s;
constexpr int kReplyWaitMs = 2000;

// The binary: from the test's environment (set by CTest), else beside the
// build tree's tests directory.
std::string VdevBinary() {
    if (const char* path = std::getenv("HALVORN_VDEV"); path && *path) return path;
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return (self.parent_path().parent_path() / "tools" / "halvorn-vdev").string();
}

struct Process {
    pid_t pid = -1;

    // Waits up to `bound` for the exit; the exit status, or nothing.
    std::optional<int> Wait(std::chrono::milliseconds bound) {
        auto deadline = std::chrono::steady_clock::now() + bound;
        while (pid > 0) {
            int status = 0;
            pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (done < 0 || std::chrono::steady_clock::now() > deadline) return std::nullopt;
            std::this_thread::sleep_for(5ms);
        }
        return std::nullopt;
    }

    // Stops the process for sure: SIGTERM, then SIGKILL after the bound.
    std::optional<int> Stop() {
        if (pid <= 0) return std::nullopt;
        ::kill(pid, SIGTERM);
        auto status = Wait(kExitBound);
        if (!status && pid > 0) {
            ::kill(pid, SIGKILL);
            Wait(kExitBound);
        }
        return status;
    }

    ~Process() { Stop(); }
};

// Starts the binary with `args`, stdout and stderr into the given files.
pid_t Spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
    std::vector<std::string> full = {VdevBinary()};
    full.insert(full.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : full) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

class VdevProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/halvorn-vdev-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        socket_ = dir_ + "/hub.sock";
        ASSERT_TRUE(fs::exists(VdevBinary())) << VdevBinary();
    }

    void TearDown() override {
        server_.Stop();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Starts `serve` and waits until it answers.
    void StartServer(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"serve", "--socket", socket_};
        args.insert(args.end(), extra.begin(), extra.end());
        server_.pid = Spawn(args, dir_ + "/server.out", dir_ + "/server.err");
        ASSERT_GT(server_.pid, 0);
        RemoteHub hub(socket_);
        auto deadline = std::chrono::steady_clock::now() + kStartBound;
        while (!hub.ListInterfaces().ok) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline)
                << "server did not start: " << ReadFile(dir_ + "/server.err");
            ASSERT_FALSE(server_.Wait(0ms)) << ReadFile(dir_ + "/server.err");
            std::this_thread::sleep_for(10ms);
        }
    }

    CliResult Cli(const std::vector<std::string>& args) {
        std::vector<std::string> full = {"--socket", socket_};
        full.insert(full.end(), args.begin(), args.end());
        Process cli{Spawn(full, dir_ + "/cli.out", dir_ + "/cli.err")};
        CliResult result;
        result.status = cli.Wait(kExitBound).value_or(-1);
        result.out = ReadFile(dir_ + "/cli.out");
        result.err = ReadFile(dir_ + "/cli.err");
        return result;
    }

    std::string dir_;
    std::string socket_;
    Process server_;
};

Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    std::istringstream in(text);
    Json::CharReaderBuilder builder;
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(builder, in, &value, &errors)) << text;
    return value;
}

std::optional<Bytes> ReadPacket(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
    Bytes packet(256);
    ssize_t n = ::recv(fd, packet.data(), packet.size(), 0);
    if (n < 0) return std::nullopt;
    packet.resize(static_cast<std::size_t>(n));
    return packet;  // empty: end of file
}

TEST_F(VdevProcessTest, ServesDevicesOverItsSocket) {
    StartServer({"--plug", "keyboard:kb"});
    RemoteHub hub(socket_);

    auto list = hub.List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].device, "kb");
    EXPECT_EQ(list[1].interfaceNumber, 1);
    EXPECT_EQ(list[1].attributes.productId, 0x6E21);
    EXPECT_EQ(list[1].reportDescriptor,
              Bytes(kKeyboardCompositeDescriptor.begin(), kKeyboardCompositeDescriptor.end()));

    HubReply plugged = hub.Plug("keyboard", "small", ParseJson(R"({"keyCount": 104})"));
    ASSERT_TRUE(plugged.ok) << plugged.error;
    EXPECT_EQ(plugged.body["name"].asString(), "small");
    EXPECT_EQ(hub.List().size(), 4u);
    EXPECT_FALSE(hub.Plug("mouse", "m").ok);
    EXPECT_FALSE(hub.Plug("keyboard", "bad", ParseJson(R"({"keys": 1})")).ok);

    // A request through a descriptor that came over the socket.
    UniqueFd fd = hub.Connect("small", 1);
    ASSERT_TRUE(fd.Valid());
    Bytes request = BuildFrame(0x03, 34, 0, 0);
    ASSERT_EQ(::send(fd.Get(), request.data(), request.size(), 0), 64);
    auto reply = ReadPacket(fd.Get(), kReplyWaitMs);
    ASSERT_TRUE(reply && reply->size() == 64u);
    EXPECT_EQ((*reply)[3], 0x03);
    EXPECT_EQ((*reply)[8 + 5], 104);
    EXPECT_FALSE(hub.Connect("small", 7).Valid());
    EXPECT_FALSE(hub.Connect("nobody", 1).Valid());

    // Faults and input reports by message.
    HubReply faults = hub.ChangeFaults("small", ParseJson(R"({"rejectReplies": 1})"));
    ASSERT_TRUE(faults.ok) << faults.error;
    EXPECT_EQ(faults.body["faults"]["rejectReplies"].asInt(), 1);
    ASSERT_EQ(::send(fd.Get(), request.data(), request.size(), 0), 64);
    reply = ReadPacket(fd.Get(), kReplyWaitMs);
    ASSERT_TRUE(reply && reply->size() == 64u);
    EXPECT_EQ((*reply)[7], 0xFF);
    EXPECT_FALSE(hub.ChangeFaults("small", ParseJson(R"({"loud": 1})")).ok);

    ASSERT_TRUE(hub.SendInput("small", 1, KeyboardFirmware::ConsumerReport(0x402)).ok);
    reply = ReadPacket(fd.Get(), kReplyWaitMs);
    EXPECT_EQ(reply, (Bytes{3, 0x02, 0x04}));

    // Unplugged: the connection ends, the list forgets it, the dump remains.
    ASSERT_TRUE(hub.Unplug("small").ok);
    EXPECT_EQ(ReadPacket(fd.Get(), kReplyWaitMs), Bytes{});
    EXPECT_EQ(hub.List().size(), 2u);
    EXPECT_FALSE(hub.Unplug("small").ok);
    HubReply dump = hub.Dump("small");
    ASSERT_TRUE(dump.ok) << dump.error;
    EXPECT_FALSE(dump.body["dump"]["plugged"].asBool());
    ASSERT_EQ(dump.body["dump"]["requests"].size(), 2u);
    EXPECT_EQ(dump.body["dump"]["requests"][0]["data"].asString(), HexText(request));
    EXPECT_EQ(dump.body["dump"]["memory"]["info"].asString().substr(15, 2), "68");
    EXPECT_FALSE(hub.Dump("nobody").ok);

    // SIGTERM ends the server cleanly and removes its socket.
    EXPECT_EQ(server_.Stop(), 0);
    EXPECT_FALSE(fs::exists(socket_));
    EXPECT_TRUE(hub.List().empty());
    EXPECT_FALSE(hub.ListInterfaces().ok);
}

TEST_F(VdevProcessTest, CommandLineVerbsPrintJsonAndFailClearly) {
    CliResult none = Cli({"list"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no halvorn-vdev server"), std::string::npos) << none.err;

    StartServer();
    CliResult plug = Cli({"plug", "keyboard", "kb", "hasFnKey=false"});
    ASSERT_EQ(plug.status, 0) << plug.err;
    EXPECT_EQ(ParseJson(plug.out)["name"].asString(), "kb");

    CliResult list = Cli({"list"});
    ASSERT_EQ(list.status, 0) << list.err;
    Json::Value interfaces = ParseJson(list.out);
    ASSERT_EQ(interfaces.size(), 2u);
    EXPECT_EQ(interfaces[0]["device"].asString(), "kb");

    CliResult fault = Cli({"fault", "kb", "silent=2", "latency=1ms"});
    ASSERT_EQ(fault.status, 0) << fault.err;
    EXPECT_EQ(ParseJson(fault.out)["silentReplies"].asInt(), 2);
    EXPECT_EQ(ParseJson(fault.out)["latencyUs"].asInt(), 1000);

    EXPECT_EQ(Cli({"input", "kb", "1", "03 01 04"}).status, 0);
    CliResult dump = Cli({"dump", "kb"});
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(ParseJson(dump.out)["memory"]["keyTable"].asString().find("a0 01 00"),
              std::string::npos);

    struct Failing {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Failing failing[] = {
        {{"dump", "nobody"}, 1, "unknown device nobody"},
        {{"unplug", "nobody"}, 1, "unknown device nobody"},
        {{"plug", "toaster"}, 1, "unknown device kind toaster"},
        {{"input", "kb", "1", "zz"}, 2, "bad report"},
        {{"fault", "kb", "silent"}, 2, "KEY=VALUE"},
        {{"frobnicate"}, 2, "unknown command"},
    };
    for (const Failing& f : failing) {
        CliResult r = Cli(f.args);
        EXPECT_EQ(r.status, f.status) << f.args[0];
        EXPECT_NE(r.err.find(f.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }

    ASSERT_EQ(Cli({"unplug", "kb"}).status, 0);
    EXPECT_EQ(ParseJson(Cli({"list"}).out).size(), 0u);
}

TEST_F(VdevProcessTest, KeyboardActionsFromTheCommandLineReachTheHost) {
    StartServer({"--plug", "keyboard:kb"});
    UniqueFd fd = RemoteHub(socket_).Connect("kb", 1);
    ASSERT_TRUE(fd.Valid());

    struct Acting {
        std::vector<std::string> args;
        std::vector<Bytes> reports;  // what the host receives, in order
    };
    const Acting acting[] = {
        {{"profile", "kb", "2"}, {{3, 0x02, 0x10}}},
        {{"profile", "kb", "1", "0x11"}, {{3, 0x01, 0x11}}},
        {{"sync", "kb"}, {{3, 0x01, 0x04}}},
        {{"sync", "kb", "0x402"}, {{3, 0x02, 0x04}}},
        {{"key", "kb", "51", "press"}, {{3, 0x33, 0x05}}},
        {{"key", "kb", "51", "release"}, {{3, 0x33, 0x06}}},
        {{"key", "kb", "0", "tap"}, {{3, 0x00, 0x05}, {3, 0x00, 0x06}}},
    };
    for (const Acting& a : acting) {
        CliResult r = Cli(a.args);
        ASSERT_EQ(r.status, 0) << a.args[0] << ": " << r.err;
        Json::Value printed = ParseJson(r.out);
        ASSERT_EQ(printed.size(), a.reports.size()) << r.out;
        for (std::size_t i = 0; i < a.reports.size(); ++i) {
            EXPECT_EQ(printed[static_cast<int>(i)]["data"].asString(), HexText(a.reports[i]));
            EXPECT_EQ(ReadPacket(fd.Get(), kReplyWaitMs), a.reports[i]) << a.args[0];
        }
    }
    EXPECT_EQ(ParseJson(Cli({"dump", "kb"}).out)["memory"]["activeProfile"].asInt(), 1);

    struct Failing {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Failing failing[] = {
        {{"profile", "kb", "5"}, 1, "out of range"},
        {{"profile", "kb", "two"}, 2, "bad profile"},
        {{"profile", "kb", "1", "0x12"}, 2, "bad usage page"},
        {{"profile", "nobody", "1"}, 1, "unknown device nobody"},
        {{"sync", "kb", "0x403"}, 2, "bad sync usage"},
        {{"key", "kb", "51", "release"}, 1, "not down"},
        {{"key", "kb", "18", "tap"}, 1, "no key 18"},
        {{"key", "kb", "51", "hold"}, 2, "bad key event"},
        {{"key", "kb", "51"}, 2, "key needs"},
    };
    for (const Failing& f : failing) {
        CliResult r = Cli(f.args);
        EXPECT_EQ(r.status, f.status) << f.args[0];
        EXPECT_NE(r.err.find(f.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_EQ(ReadPacket(fd.Get(), 50), std::nullopt);  // nothing more was sent
}

TEST_F(VdevProcessTest, ASecondServerOnALiveSocketRefusesAndAStaleOneIsReplaced) {
    // A socket file that nobody listens on, as a crashed server leaves it.
    {
        UniqueFd stale(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socket_.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(stale.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ASSERT_TRUE(fs::exists(socket_));
    StartServer({"--plug", "keyboard"});

    Process second{Spawn({"serve", "--socket", socket_}, dir_ + "/2.out", dir_ + "/2.err")};
    EXPECT_EQ(second.Wait(kExitBound), 1);
    EXPECT_NE(ReadFile(dir_ + "/2.err").find("already serves"), std::string::npos);
    // The first one is untouched.
    EXPECT_EQ(RemoteHub(socket_).List().size(), 2u);
}

}  // namespace
}  // namespace halvorn::vdev
