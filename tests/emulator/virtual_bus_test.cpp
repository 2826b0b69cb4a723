// The emulator framework: connections, faults, input reports and plugging,
// seen from the host's end of the connections.

#include "tools/vdev/virtual_bus.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "tools/vdev/keyboard_descriptors.h"
#include "tools/vdev/keyboard_firmware.h"
#include "tools/vdev/protocol_frame.h"

namespace halvorn::vdev {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

constexpr int kReplyWaitMs = 2000;
constexpr int kQuietMs = 100;  // how long "nothing arrives" is watched

enum class ReadResult { Packet, Nothing, EndOfFile };

ReadResult ReadPacket(int fd, int timeoutMs, Bytes* packet = nullptr) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return ReadResult::Nothing;
    Bytes buffer(256);
    ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (n == 0) return ReadResult::EndOfFile;
    if (n < 0) return ReadResult::Nothing;
    buffer.resize(static_cast<std::size_t>(n));
    if (packet) *packet = std::move(buffer);
    return ReadResult::Packet;
}

bool Listed(VirtualBus& bus, const std::string& name) {
    auto list = bus.List();
    return std::any_of(list.begin(), list.end(), [&](auto& i) { return i.device == name; });
}

class VirtualBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        device_ = bus_.Plug("kb", MakeKeyboard());
        fd_ = bus_.Connect("kb", KeyboardFirmware::kProtocolInterface);
        ASSERT_TRUE(fd_.Valid());
    }

    void Write(uint8_t command, uint8_t length = 0, uint16_t offset = 0, const Bytes& data = {}) {
        Bytes request = BuildFrame(command, length, offset, 0, data);
        ASSERT_EQ(::send(fd_.Get(), request.data(), request.size(), 0), 64);
    }

    // Every reply that arrives until the line stays quiet.
    std::vector<Bytes> Replies(int firstWaitMs = kReplyWaitMs) {
        std::vector<Bytes> replies;
        Bytes packet;
        int wait = firstWaitMs;
        while (ReadPacket(fd_.Get(), wait, &packet) == ReadResult::Packet) {
            replies.push_back(packet);
            wait = kQuietMs;
        }
        return replies;
    }

    VirtualBus bus_;
    std::shared_ptr<VirtualDevice> device_;
    UniqueFd fd_;
};

TEST_F(VirtualBusTest, ListGivesEveryInterfaceWithItsDescriptor) {
    auto list = bus_.List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].device, "kb");
    EXPECT_EQ(list[0].interfaceNumber, 0);
    EXPECT_EQ(list[1].interfaceNumber, 1);
    EXPECT_EQ(list[1].attributes.vendorId, 0x3A17);
    EXPECT_EQ(list[1].attributes.productId, 0x6E21);
    EXPECT_EQ(list[1].reportDescriptor,
              Bytes(kKeyboardCompositeDescriptor.begin(), kKeyboardCompositeDescriptor.end()));
    EXPECT_FALSE(bus_.Connect("kb", 2).Valid());
    EXPECT_FALSE(bus_.Connect("nobody", 1).Valid());
}

TEST_F(VirtualBusTest, NamesInUseGetASuffixAndFreedNamesAreReused) {
    EXPECT_EQ(bus_.Plug("kb", MakeKeyboard())->Name(), "kb-2");
    EXPECT_EQ(bus_.Plug("kb", MakeKeyboard())->Name(), "kb-3");
    EXPECT_TRUE(bus_.Unplug("kb"));
    EXPECT_FALSE(bus_.Unplug("kb"));
    EXPECT_EQ(bus_.Names(), (std::vector<std::string>{"kb-2", "kb-3"}));
    EXPECT_EQ(bus_.Plug("kb", MakeKeyboard())->Name(), "kb");
}

TEST_F(VirtualBusTest, FaultsChangeTheReplies) {
    struct Case {
        const char* what;
        Faults faults;
        // Expected replies: command byte and status of each.
        std::vector<std::pair<uint8_t, uint8_t>> replies;
    };
    const Case cases[] = {
        {"none", {}, {{0x01, 0x00}}},
        {"silent", {.silentReplies = 1}, {}},
        {"wrong command", {.wrongCommandReplies = 1}, {{0x02, 0x00}}},
        {"stray first", {.strayReplies = 1}, {{0x02, 0x00}, {0x01, 0x00}}},
        {"two foreign", {.wrongCommandReplies = 1, .strayReplies = 1}, {{0x02, 0}, {0x02, 0}}},
        {"reject ff", {.rejectReplies = 1}, {{0x01, 0xFF}}},
        {"reject fe", {.rejectReplies = 1, .rejectStatus = 0xFE}, {{0x01, 0xFE}}},
        {"unreachable", {.unreachableReplies = 1}, {{0xAA, 0x00}}},
    };
    for (const Case& c : cases) {
        device_->SetFaults(c.faults);
        Write(0x01);
        std::vector<std::pair<uint8_t, uint8_t>> got;
        for (const Bytes& reply : Replies(c.replies.empty() ? 2 * kQuietMs : kReplyWaitMs)) {
            ASSERT_EQ(reply.size(), 64u) << c.what;
            got.emplace_back(reply[3], reply[7]);
        }
        EXPECT_EQ(got, c.replies) << c.what;
        // Each fault is spent on one request: the next is answered plainly.
        Write(0x02);
        auto after = Replies();
        ASSERT_EQ(after.size(), 1u) << c.what;
        EXPECT_EQ(after[0][3], 0x02) << c.what;
        EXPECT_EQ(after[0][7], 0x00) << c.what;
    }
    // Every request is logged, answered or not.
    EXPECT_EQ(device_->Requests().size(), 2 * std::size(cases));
}

TEST_F(VirtualBusTest, RejectedWritesChangeNothing) {
    device_->SetFaults({.rejectReplies = 1});
    Write(0x06, 1, 0, {4});
    ASSERT_EQ(Replies().size(), 1u);
    EXPECT_EQ(device_->WithFirmware([](Firmware& fw) {
        return static_cast<KeyboardFirmware&>(fw).SettingsMemory()[0];
    }),
              0);
}

TEST_F(VirtualBusTest, UnplugAfterRequestsEndsEveryConnection) {
    UniqueFd other = bus_.Connect("kb", 0);
    device_->SetFaults({.unplugAfterRequests = 2});
    Write(0x01);
    Write(0x07, 56, 0);
    EXPECT_EQ(Replies().size(), 2u);
    EXPECT_TRUE(Listed(bus_, "kb"));

    Write(0x09, 56, 0, Bytes(56, 1));  // the third request: no answer, the device is gone
    EXPECT_EQ(ReadPacket(fd_.Get(), kReplyWaitMs), ReadResult::EndOfFile);
    EXPECT_EQ(ReadPacket(other.Get(), kReplyWaitMs), ReadResult::EndOfFile);
    EXPECT_FALSE(device_->Plugged());
    EXPECT_FALSE(Listed(bus_, "kb"));
    EXPECT_TRUE(bus_.Names().empty());
    EXPECT_FALSE(bus_.Connect("kb", 1).Valid());
    // The key table was not written, and the device can still be dumped.
    EXPECT_FALSE(device_->WithFirmware([](Firmware& fw) {
        auto& kb = static_cast<KeyboardFirmware&>(fw);
        return kb.KeyTable() != kb.FactoryKeyTable();
    }));
    Json::Value dump = bus_.Find("kb")->Dump();
    EXPECT_FALSE(dump["plugged"].asBool());
    EXPECT_EQ(dump["requests"].size(), 3u);
}

TEST_F(VirtualBusTest, ExplicitUnplugIsSeenAsEndOfFile) {
    EXPECT_TRUE(bus_.Unplug("kb"));
    EXPECT_EQ(ReadPacket(fd_.Get(), kReplyWaitMs), ReadResult::EndOfFile);
    EXPECT_TRUE(bus_.List().empty());
    device_->SendInputReport(1, KeyboardFirmware::ConsumerReport(0x401));  // ignored, no crash
}

TEST_F(VirtualBusTest, InputReportsReachOnlyTheirInterfacesConnections) {
    UniqueFd boot = bus_.Connect("kb", 0);
    UniqueFd consumer = bus_.Connect("kb", 1);
    ASSERT_TRUE(boot.Valid() && consumer.Valid());
    device_->SendInputReport(1, KeyboardFirmware::ConsumerReport(0x1002));
    for (int fd : {fd_.Get(), consumer.Get()}) {
        Bytes packet;
        ASSERT_EQ(ReadPacket(fd, kReplyWaitMs, &packet), ReadResult::Packet);
        EXPECT_EQ(packet, (Bytes{3, 0x02, 0x10}));
    }
    EXPECT_EQ(ReadPacket(boot.Get(), kQuietMs), ReadResult::Nothing);

    // Replies go to every connection of the interface, as on a hidraw node.
    Write(0x01);
    EXPECT_EQ(ReadPacket(consumer.Get(), kReplyWaitMs), ReadResult::Packet);
    EXPECT_EQ(ReadPacket(boot.Get(), kQuietMs), ReadResult::Nothing);
}

TEST_F(VirtualBusTest, AClosedConnectionIsDroppedAndTheOthersGoOn) {
    for (int i = 0; i < 3; ++i) {
        UniqueFd gone = bus_.Connect("kb", 1);
        Bytes request = BuildFrame(0x01, 0, 0, 0);
        ASSERT_EQ(::send(gone.Get(), request.data(), request.size(), 0), 64);
    }  // closed with a reply possibly still in flight
    Write(0x02);
    auto replies = Replies();
    // Ours sees the replies to all four requests (3 begin, 1 end).
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(std::count_if(replies.begin(), replies.end(), [](auto& r) { return r[3] == 0x02; }),
              1);
}

TEST_F(VirtualBusTest, LatencyDelaysEachReplyAndDoesNotDelayStopping) {
    device_->SetFaults({.latency = 30ms});
    auto start = std::chrono::steady_clock::now();
    Write(0x01);
    ASSERT_EQ(Replies().size(), 1u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);  // in and out

    auto slow = std::make_unique<VirtualDevice>("slow", MakeKeyboard());
    UniqueFd fd = slow->Connect(1);
    slow->SetFaults({.latency = 10s});
    Bytes request = BuildFrame(0x01, 0, 0, 0);
    ASSERT_EQ(::send(fd.Get(), request.data(), request.size(), 0), 64);
    std::this_thread::sleep_for(50ms);  // the service thread starts waiting out the latency
    start = std::chrono::steady_clock::now();
    slow.reset();  // must not wait out the 10 s
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(ReadPacket(fd.Get(), kReplyWaitMs), ReadResult::EndOfFile);
}

TEST_F(VirtualBusTest, ModifyFaultsChangesOnlyWhatItTouches) {
    device_->SetFaults({.strayReplies = 2, .latency = 1ms});
    Faults after = device_->ModifyFaults([](Faults& f) { f.silentReplies = 1; });
    EXPECT_EQ(after.strayReplies, 2);
    EXPECT_EQ(after.silentReplies, 1);
    EXPECT_EQ(after.latency, 1ms);
}

}  // namespace
}  // namespace halvorn::vdev
