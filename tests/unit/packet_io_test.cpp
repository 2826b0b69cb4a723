// The I/O core on a real descriptor with packet semantics: one end of a
// SOCK_SEQPACKET pair, the other end played by the test.

#include "platform/hid/packet_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <numeric>
#include <stop_token>
#include <thread>
#include <vector>

#include "platform/hid/packet_device.h"
#include "platform/hid/report_descriptor.h"
#include "tools/vdev/keyboard_descriptors.h"

namespace halvorn::hid {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// Far beyond any wait these tests expect to end early.
constexpr int kLongTimeoutMs = 10000;
constexpr auto kLongTimeout = std::chrono::milliseconds(kLongTimeoutMs);

class PacketIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        host_.Reset(fds[0]);
        peer_.Reset(fds[1]);
    }

    std::unique_ptr<PacketIo> MakeIo() { return std::make_unique<PacketIo>(std::move(host_)); }

    void PeerSend(const Bytes& packet) {
        ASSERT_EQ(::send(peer_.Get(), packet.data(), packet.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(packet.size()));
    }

    // The next packet the host wrote, or nothing after `timeoutMs`.
    Bytes PeerReceive(int timeoutMs = 1000) {
        pollfd p{peer_.Get(), POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1) return {};
        Bytes packet(8192);
        ssize_t n = ::recv(peer_.Get(), packet.data(), packet.size(), MSG_DONTWAIT);
        packet.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return packet;
    }

    UniqueFd host_;
    UniqueFd peer_;
};

Bytes Packet(uint8_t id, std::size_t size) {
    Bytes p(size);
    std::iota(p.begin(), p.end(), id);
    return p;
}

TEST_F(PacketIoTest, ReadTimesOutOnSilentPeerAndLosesNoLaterPacket) {
    auto io = MakeIo();
    std::array<uint8_t, 64> buffer{};
    std::size_t got = 99;
    auto start = Clock::now();
    EXPECT_EQ(io->Read(buffer, got, 100), IoStatus::Timeout);
    EXPECT_GE(Clock::now() - start, 100ms);
    EXPECT_EQ(got, 0u);

    // No read stayed outstanding to swallow what comes next.
    PeerSend(Packet(4, 64));
    ASSERT_EQ(io->Read(buffer, got, 1000), IoStatus::Ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + got), Packet(4, 64));
    EXPECT_EQ(io->Read(buffer, got, 0), IoStatus::Timeout);
}

TEST_F(PacketIoTest, AbortEndsPendingReadAtOnceAndStaysRaised) {
    for (int timeout : {kLongTimeoutMs, -1}) {
        SCOPED_TRACE(timeout);
        SetUp();
        auto io = MakeIo();
        IoStatus status = IoStatus::Ok;
        auto start = Clock::now();
        std::jthread reader([&] {
            std::array<uint8_t, 64> buffer{};
            std::size_t got = 0;
            status = io->Read(buffer, got, timeout);
        });
        std::this_thread::sleep_for(50ms);
        io->Abort();
        reader.join();
        EXPECT_EQ(status, IoStatus::Cancelled);
        EXPECT_LT(Clock::now() - start, kLongTimeout);

        // Later transfers end too, even with a packet waiting.
        PeerSend(Packet(1, 8));
        std::array<uint8_t, 64> buffer{};
        std::size_t got = 0;
        EXPECT_TRUE(io->Aborted());
        EXPECT_EQ(io->Read(buffer, got, kLongTimeoutMs), IoStatus::Cancelled);
        EXPECT_EQ(io->Write(Packet(4, 64), got, kLongTimeoutMs), IoStatus::Cancelled);
        EXPECT_TRUE(PeerReceive(0).empty());
    }
}

TEST_F(PacketIoTest, ReadWithoutLimitWaitsForPacket) {
    auto io = MakeIo();
    std::jthread sender([this] {
        std::this_thread::sleep_for(50ms);
        PeerSend(Packet(2, 3));
    });
    std::array<uint8_t, 16> buffer{};
    std::size_t got = 0;
    ASSERT_EQ(io->Read(buffer, got, -1), IoStatus::Ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + got), Packet(2, 3));
}

TEST_F(PacketIoTest, ReadDropsPacketsOfOtherReportIds) {
    auto io = MakeIo();
    PeerSend(Packet(1, 17));
    PeerSend(Packet(4, 64));
    PeerSend(Packet(3, 3));
    PeerSend(Packet(4, 64));
    const uint8_t accept[] = {3};
    std::array<uint8_t, 64> buffer{};
    std::size_t got = 0;
    ASSERT_EQ(io->Read(buffer, got, 1000, accept), IoStatus::Ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + got), Packet(3, 3));

    // Only foreign packets left: the deadline still holds.
    auto start = Clock::now();
    EXPECT_EQ(io->Read(buffer, got, 100, accept), IoStatus::Timeout);
    EXPECT_GE(Clock::now() - start, 100ms);
}

TEST_F(PacketIoTest, ForeignPacketsDuringWaitDoNotExtendDeadline) {
    auto io = MakeIo();
    // A packet of another collection every 20 ms for up to 3 s: a wait that
    // restarted its timeout on each would last as long as the sender.
    std::jthread sender([this](std::stop_token stop) {
        for (int i = 0; i < 150 && !stop.stop_requested(); ++i) {
            PeerSend(Packet(1, 17));
            std::this_thread::sleep_for(20ms);
        }
    });
    const uint8_t accept[] = {3};
    std::array<uint8_t, 64> buffer{};
    std::size_t got = 0;
    auto start = Clock::now();
    EXPECT_EQ(io->Read(buffer, got, 200, accept), IoStatus::Timeout);
    auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 200ms);
    EXPECT_LT(elapsed, 2s);
}

TEST_F(PacketIoTest, PeerGoneIsClosedAfterQueuedPackets) {
    auto io = MakeIo();
    PeerSend(Packet(4, 64));
    peer_.Reset();
    std::array<uint8_t, 64> buffer{};
    std::size_t got = 0;
    ASSERT_EQ(io->Read(buffer, got, 1000), IoStatus::Ok);  // nothing sent before is lost
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(io->Read(buffer, got, kLongTimeoutMs), IoStatus::Closed);
    // A write to the vanished peer must not raise SIGPIPE either.
    EXPECT_EQ(io->Write(Packet(4, 64), got, 1000), IoStatus::Closed);
}

TEST_F(PacketIoTest, LongPacketIsCutToBuffer) {
    auto io = MakeIo();
    PeerSend(Packet(4, 100));
    PeerSend(Packet(5, 2));
    std::array<uint8_t, 10> small{};
    std::size_t got = 0;
    ASSERT_EQ(io->Read(small, got, 1000), IoStatus::Ok);
    const Bytes head = Packet(4, 10);  // the first ten bytes of Packet(4, 100)
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(Bytes(small.begin(), small.end()), head);
    // The rest of the long packet is gone; the next read gets the next packet.
    ASSERT_EQ(io->Read(small, got, 1000), IoStatus::Ok);
    EXPECT_EQ(Bytes(small.begin(), small.begin() + got), Packet(5, 2));
}

TEST_F(PacketIoTest, WriteSendsOnePacket) {
    auto io = MakeIo();
    std::size_t sent = 0;
    ASSERT_EQ(io->Write(Packet(4, 64), sent, 1000), IoStatus::Ok);
    EXPECT_EQ(sent, 64u);
    EXPECT_EQ(PeerReceive(), Packet(4, 64));
    EXPECT_EQ(io->Write({}, sent, 1000), IoStatus::Error);  // would read as end of file
}

TEST_F(PacketIoTest, WriteWaitsForRoomUntilTimeoutOrAbort) {
    // Fill the host's send queue while the peer reads nothing.
    ASSERT_EQ(::fcntl(host_.Get(), F_SETFL, O_NONBLOCK), 0);
    Bytes packet = Packet(4, 64);
    while (::send(host_.Get(), packet.data(), packet.size(), MSG_DONTWAIT) > 0) {
    }
    auto io = MakeIo();
    std::size_t sent = 0;
    auto start = Clock::now();
    EXPECT_EQ(io->Write(packet, sent, 100), IoStatus::Timeout);
    EXPECT_GE(Clock::now() - start, 100ms);

    IoStatus status = IoStatus::Ok;
    std::jthread writer([&] {
        std::size_t n = 0;
        status = io->Write(packet, n, kLongTimeoutMs);
    });
    std::this_thread::sleep_for(50ms);
    io->Abort();
    writer.join();
    EXPECT_EQ(status, IoStatus::Cancelled);
}

TEST_F(PacketIoTest, WriteGoesOutOnceRoomIsMade) {
    ASSERT_EQ(::fcntl(host_.Get(), F_SETFL, O_NONBLOCK), 0);
    Bytes filler = Packet(1, 64);
    int queued = 0;
    while (::send(host_.Get(), filler.data(), filler.size(), MSG_DONTWAIT) > 0) ++queued;
    auto io = MakeIo();
    std::jthread drain([&] {
        std::this_thread::sleep_for(50ms);
        for (int i = 0; i < queued; ++i) PeerReceive();
    });
    std::size_t sent = 0;
    EXPECT_EQ(io->Write(Packet(4, 64), sent, kLongTimeoutMs), IoStatus::Ok);
}

class PacketDeviceTest : public PacketIoTest {
protected:
    std::unique_ptr<PacketDevice> MakeDevice(std::span<const uint8_t> descriptorBytes,
                                             int collectionIndex, bool withIo = true) {
        DescriptorParse parse = ParseReportDescriptor(descriptorBytes);
        EXPECT_TRUE(parse.descriptor.has_value()) << DescriptorErrorText(parse.error);
        if (!parse.descriptor) return nullptr;
        return std::make_unique<PacketDevice>(
            withIo ? MakeIo() : nullptr, Attributes{0x3A17, 0x6E21, 0x0105},
            std::move(*parse.descriptor), collectionIndex, 1, collectionIndex + 1);
    }
};

TEST_F(PacketDeviceTest, WithoutReportIdsReadPrependsAndWriteStripsZeroByte) {
    auto device = MakeDevice(vdev::kKeyboardBootDescriptor, 0);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Caps().usagePage, 0x01);
    EXPECT_EQ(device->Caps().usage, 0x06);

    const Bytes keys = {0x02, 0x00, 0x04, 0, 0, 0, 0, 0};
    PeerSend(keys);
    std::array<uint8_t, 9> buffer{};
    std::size_t got = 0;
    ASSERT_EQ(device->Read(buffer, got, 1000), IoStatus::Ok);
    Bytes expected = {0x00};
    expected.insert(expected.end(), keys.begin(), keys.end());
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + got), expected);

    std::size_t sent = 0;
    ASSERT_EQ(device->Write(Bytes{0x00, 0x05}, sent, 1000), IoStatus::Ok);
    EXPECT_EQ(sent, 2u);
    EXPECT_EQ(PeerReceive(), Bytes{0x05});
    // A leading byte other than 0 names a report this descriptor cannot have.
    EXPECT_EQ(device->Write(Bytes{0x01, 0x05}, sent, 1000), IoStatus::Error);
    EXPECT_TRUE(PeerReceive(0).empty());
}

TEST_F(PacketDeviceTest, ReadDeliversOnlyItsCollectionsReports) {
    auto device = MakeDevice(vdev::kKeyboardCompositeDescriptor, 2);  // "&col03"
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Caps().usagePage, 0x0C);
    EXPECT_EQ(device->Caps().reportIds, Bytes{3});

    PeerSend(Packet(1, 17));
    PeerSend(Packet(4, 64));
    PeerSend(Bytes{3, 0x01, 0x04});
    PeerSend(Packet(2, 2));
    std::array<uint8_t, 64> buffer{};
    std::size_t got = 0;
    ASSERT_EQ(device->Read(buffer, got, 1000), IoStatus::Ok);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + got), (Bytes{3, 0x01, 0x04}));
    EXPECT_EQ(device->Read(buffer, got, 100), IoStatus::Timeout);
}

TEST_F(PacketDeviceTest, WithReportIdsWriteAndOutputReportSendReportUnchanged) {
    auto device = MakeDevice(vdev::kKeyboardCompositeDescriptor, 3);  // "&col04"
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Caps().ReportLength(ReportKind::Output), 64);
    std::size_t sent = 0;
    ASSERT_EQ(device->Write(Packet(4, 64), sent, 1000), IoStatus::Ok);
    EXPECT_EQ(PeerReceive(), Packet(4, 64));
    ASSERT_EQ(device->SetOutputReport(Packet(4, 64)), IoStatus::Ok);
    EXPECT_EQ(PeerReceive(), Packet(4, 64));
}

TEST_F(PacketDeviceTest, DescriptionOnlyDeviceDescribesButCannotTransfer) {
    auto device = MakeDevice(vdev::kKeyboardCompositeDescriptor, 3, /*withIo=*/false);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Caps().usagePage, 0xFF1C);
    EXPECT_EQ(device->GetAttributes().vendorId, 0x3A17);
    EXPECT_EQ(device->CollectionNumber(), 4);
    std::array<uint8_t, 64> buffer{};
    std::size_t got = 0;
    EXPECT_EQ(device->Read(buffer, got, 0), IoStatus::Error);
    EXPECT_EQ(device->Write(Packet(4, 64), got, 0), IoStatus::Error);
    EXPECT_EQ(device->SetOutputReport(Packet(4, 64)), IoStatus::Error);
    device->Abort();
}

}  // namespace
}  // namespace halvorn::hid
