#include "device/report_protocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <numeric>
#include <thread>

#include "tests/support/virtual_keyboard.h"

namespace halvorn {
namespace {

using namespace std::chrono_literals;
using testing::VirtualKeyboard;

struct Chunk {
    uint8_t command;
    uint8_t length;
    uint16_t offset;
    bool operator==(const Chunk&) const = default;
};

std::vector<Chunk> Chunks(const std::vector<std::vector<uint8_t>>& requests) {
    std::vector<Chunk> out;
    for (const auto& r : requests) {
        out.push_back({r[3], r[4], static_cast<uint16_t>(r[5] | (r[6] << 8))});
    }
    return out;
}

class ReportProtocolTest : public ::testing::Test {
protected:
    void OpenCable() {
        ASSERT_TRUE(
            protocol.WiredChannel().Open(testing::kKeyboardProtocolPath, true, true, true, false));
        protocol.SetOpen(true);
        protocol.SetChannelMode(1);
    }
    void OpenReceiver() {
        ASSERT_TRUE(protocol.ReceiverChannel().Open(testing::kKeyboardProtocolPath, true, true,
                                                    true, false));
        protocol.SetOpen(true);
        protocol.SetChannelMode(2);
    }
    void SetFaults(const vdev::Faults& faults) { kb.device->SetFaults(faults); }

    VirtualKeyboard kb;
    ReportProtocol protocol{kb.backend};
};

TEST_F(ReportProtocolTest, BeginConfigSendsTheExactRequestBytes) {
    OpenCable();
    ASSERT_EQ(protocol.BeginConfig(), kResultOk);
    auto requests = kb.ProtocolRequests();
    ASSERT_EQ(requests.size(), 1u);
    std::vector<uint8_t> expected(64, 0);
    expected[0] = 0x04;
    expected[1] = 0x01;
    expected[3] = 0x01;
    EXPECT_EQ(requests[0], expected);
    EXPECT_FALSE(protocol.Busy());
}

TEST_F(ReportProtocolTest, InformationBlockIsOneReportOnTheCableAndTwoOnTheReceiver) {
    struct Case {
        bool receiver;
        std::vector<Chunk> chunks;
    };
    for (const Case& c :
         {Case{false, {{0x03, 34, 0}}}, Case{true, {{0x03, 24, 0}, {0x03, 10, 24}}}}) {
        VirtualKeyboard board;
        ReportProtocol p(board.backend);
        HidChannel& channel = c.receiver ? p.ReceiverChannel() : p.WiredChannel();
        ASSERT_TRUE(channel.Open(testing::kKeyboardProtocolPath, true, true, true, false));
        p.SetOpen(true);
        p.SetChannelMode(c.receiver ? 2 : 1);

        std::array<uint8_t, ReportProtocol::kInfoSize> info{};
        ASSERT_EQ(p.ReadDeviceInfo(info), kResultOk);
        EXPECT_EQ(Chunks(board.ProtocolRequests()), c.chunks) << "receiver " << c.receiver;
        EXPECT_EQ(info, board.Firmware([](auto& fw) { return fw.InfoBlock(); }));
    }
}

TEST_F(ReportProtocolTest, KeyTableWriteGoesOutInFiftySixByteChunksWithAShortLastOne) {
    OpenCable();
    ASSERT_EQ(protocol.DataLength(), 512);
    std::vector<uint8_t> table(512);
    std::iota(table.begin(), table.end(), 0);
    ASSERT_EQ(protocol.WriteKeyTable(table, 0), kResultOk);

    std::vector<Chunk> expected;
    for (uint16_t offset = 0; offset < 504; offset += 56) expected.push_back({0x09, 56, offset});
    expected.push_back({0x09, 8, 504});
    auto requests = kb.ProtocolRequests();
    EXPECT_EQ(Chunks(requests), expected);
    // Each chunk carries its slice of the table.
    EXPECT_EQ(requests.back()[8], static_cast<uint8_t>(504 & 0xFF));
}

TEST_F(ReportProtocolTest, SettingsAndTablesRoundTripThroughTheKeyboard) {
    OpenCable();
    std::array<uint8_t, ReportProtocol::kInfoSize> info{};
    ASSERT_EQ(protocol.ReadDeviceInfo(info), kResultOk);
    const int keys = info[5];
    ASSERT_GT(keys, 0);
    ASSERT_EQ(protocol.SetDataLength(static_cast<uint16_t>(keys * 3)), 1);

    std::vector<uint8_t> table(keys * 3);
    ASSERT_EQ(protocol.ReadKeyTable(table), kResultOk);
    EXPECT_EQ(table, kb.Firmware([](auto& fw) { return fw.FactoryKeyTable(); }));
    std::vector<uint8_t> aux(keys);
    ASSERT_EQ(protocol.ReadKeyAuxTable(aux), kResultOk);
    EXPECT_EQ(aux, kb.Firmware([](auto& fw) { return fw.KeyAuxTable(); }));

    // Profile 1's block is written as 26 bytes at offset 25 and reads back.
    std::vector<uint8_t> block(26);
    std::iota(block.begin(), block.end(), 1);
    ASSERT_EQ(protocol.WriteMemory(block, 25), kResultOk);
    std::vector<uint8_t> back(26);
    ASSERT_EQ(protocol.ReadMemory(back, 25), kResultOk);
    EXPECT_EQ(back, block);
}

TEST_F(ReportProtocolTest, AForeignReplyBeforeTheRightOneIsSkipped) {
    OpenCable();
    SetFaults({.strayReplies = 1});
    EXPECT_EQ(protocol.BeginConfig(), kResultOk);
    EXPECT_EQ(kb.ProtocolRequests().size(), 1u);
}

TEST_F(ReportProtocolTest, TwoForeignRepliesAreNoReply) {
    OpenCable();
    SetFaults({.wrongCommandReplies = 1, .strayReplies = 1});
    Report reply{};
    std::size_t received = 0;
    const Report request = BuildRequest(command::kBeginConfig, 0, 0);
    // The caller must not take some other command's reply for its answer.
    EXPECT_EQ(protocol.Transact(request, reply, &received), kResultNoReply);
    // The exchange after it is not confused by what came before.
    EXPECT_EQ(protocol.BeginConfig(), kResultOk);
}

TEST_F(ReportProtocolTest, RejectionsAndUnreachableReceiverMapToTheirCodes) {
    struct Case {
        bool receiver;
        vdev::Faults faults;
        int expected;
    };
    const Case cases[] = {
        {false, {.rejectReplies = 1, .rejectStatus = 0xFF}, kResultRejected},
        {false, {.rejectReplies = 1, .rejectStatus = 0xFE}, kResultRejectedFe},
        {true, {.unreachableReplies = 1}, kResultUnreachable},
    };
    for (const Case& c : cases) {
        VirtualKeyboard board;
        ReportProtocol p(board.backend);
        HidChannel& channel = c.receiver ? p.ReceiverChannel() : p.WiredChannel();
        ASSERT_TRUE(channel.Open(testing::kKeyboardProtocolPath, true, true, true, false));
        p.SetOpen(true);
        p.SetChannelMode(c.receiver ? 2 : 1);
        board.device->SetFaults(c.faults);
        std::vector<uint8_t> data(200, 0x11);
        EXPECT_EQ(p.WriteMacroData(data), c.expected);
        // A chunked write stops at the first rejected chunk.
        EXPECT_EQ(board.ProtocolRequests().size(), 1u);
    }
}

TEST_F(ReportProtocolTest, ReceiverLinkIsAskedOnlyOnTheReceiver) {
    // On the cable the answer is yes at once, even unopened, without any I/O.
    EXPECT_TRUE(protocol.QueryReceiverLink());
    OpenCable();
    EXPECT_TRUE(protocol.QueryReceiverLink());
    EXPECT_TRUE(kb.ProtocolRequests().empty());

    protocol.WiredChannel().Close();
    OpenReceiver();
    EXPECT_TRUE(protocol.QueryReceiverLink());
    kb.Firmware([](auto& fw) {
        fw.SetReceiverLinked(false);
        return 0;
    });
    EXPECT_FALSE(protocol.QueryReceiverLink());
    EXPECT_EQ(Chunks(kb.ProtocolRequests()), (std::vector<Chunk>{{0xAA, 0, 0}, {0xAA, 0, 0}}));
}

TEST_F(ReportProtocolTest, ShootDataUsesFiftySixByteChunksOnTheReceiverToo) {
    OpenReceiver();
    EXPECT_EQ(protocol.ChunkSize(), 24);
    std::vector<uint8_t> data(100, 0x5A);
    protocol.WriteShootData(data);  // the keyboard may refuse it; the chunking is what counts
    auto chunks = Chunks(kb.ProtocolRequests());
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ(chunks[0], (Chunk{0x17, 56, 0}));
    if (chunks.size() > 1) {
        EXPECT_EQ(chunks[1], (Chunk{0x17, 44, 56}));
    }
}

TEST_F(ReportProtocolTest, LightPacketsAreDroppedWhileATransactionWaits) {
    OpenCable();
    // The first chunk of the key table gets no reply: the write waits its
    // whole timeout with the transaction in flight.
    SetFaults({.silentReplies = 1});
    std::vector<uint8_t> table(512, 0x20);
    auto write = std::async(std::launch::async, [&] { return protocol.WriteKeyTable(table, 0); });
    while (!protocol.Busy()) std::this_thread::sleep_for(1ms);

    std::vector<uint8_t> frame(30, 0x7F);
    EXPECT_EQ(protocol.StreamLightData(frame), kResultOk);  // counts as sent
    EXPECT_EQ(write.get(), kResultNoReply);
    for (const Chunk& c : Chunks(kb.ProtocolRequests())) EXPECT_NE(c.command, 0x12);

    // Once nothing is in flight the frame goes out.
    EXPECT_EQ(protocol.StreamLightData(frame), kResultOk);
    auto chunks = Chunks(kb.ProtocolRequests());
    EXPECT_EQ(chunks.back(), (Chunk{0x12, 30, 0}));
}

TEST_F(ReportProtocolTest, LightPacketsAreNotSentOnTheReceiver) {
    OpenReceiver();
    std::vector<uint8_t> frame(72, 1);
    EXPECT_EQ(protocol.StreamLightData(frame), kResultOk);
    EXPECT_TRUE(kb.ProtocolRequests().empty());
}

TEST_F(ReportProtocolTest, ASilentDeviceTimesOutAndLeavesNothingOutstanding) {
    OpenCable();
    SetFaults({.silentReplies = 1});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(protocol.BeginConfig(), kResultNoReply);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms);
    EXPECT_FALSE(protocol.WiredChannel().ReadPending());
    EXPECT_FALSE(protocol.Busy());
    // The next exchange gets its own reply, not a late one.
    EXPECT_EQ(protocol.EndConfig(), kResultOk);
}

TEST_F(ReportProtocolTest, NothingIsWrittenWhenNotOpenOrForABadPage) {
    ASSERT_TRUE(
        protocol.WiredChannel().Open(testing::kKeyboardProtocolPath, true, true, true, false));
    protocol.SetChannelMode(1);
    EXPECT_EQ(protocol.BeginConfig(), kResultNoReply);  // open flag not set
    protocol.SetOpen(true);
    std::vector<uint8_t> table(512);
    EXPECT_EQ(protocol.WriteKeyTable(table, 1), kResultBadArgument);
    EXPECT_EQ(protocol.SetDataLength(513), 0);
    EXPECT_EQ(protocol.DataLength(), 512);
    std::vector<uint8_t> mask(57);
    EXPECT_EQ(protocol.WriteMaskBlock(mask, 0), kResultBadArgument);
    EXPECT_TRUE(kb.ProtocolRequests().empty());
}

TEST_F(ReportProtocolTest, UnplugDuringATransferEndsItWithoutHanging) {
    OpenCable();
    SetFaults({.unplugAfterRequests = 2});
    std::vector<uint8_t> table(512, 1);
    const int result = protocol.WriteKeyTable(table, 0);
    EXPECT_TRUE(result == kResultNoReply || result == kResultWriteFailed) << result;
    EXPECT_EQ(protocol.BeginConfig() <= 0, true);
}

TEST_F(ReportProtocolTest, ClosingDuringAPendingReadEndsItAtOnce) {
    OpenCable();
    HidChannel& channel = protocol.WiredChannel();
    auto read = std::async(std::launch::async, [&] {
        std::array<uint8_t, 64> buffer{};
        return channel.Read(buffer, nullptr, 20000);
    });
    while (!channel.ReadPending()) std::this_thread::sleep_for(1ms);
    const auto start = std::chrono::steady_clock::now();
    channel.Close();
    ASSERT_EQ(read.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(read.get(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(protocol.BeginConfig(), kResultWriteFailed);
}

}  // namespace
}  // namespace halvorn
