// The keyboard emulator at the protocol level: requests written to a
// connection from the bus, replies read back, memory checked.

#include "tools/vdev/keyboard_firmware.h"

#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/value.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <numeric>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>

#include "tests/support/virtual_keyboard.h"
#include "tools/vdev/keyboard_layout.h"
#include "tools/vdev/protocol_frame.h"
#include "tools/vdev/virtual_bus.h"

namespace halvorn::vdev {
namespace {

using Bytes = std::vector<uint8_t>;
using Code = std::tuple<uint8_t, uint8_t, uint8_t>;

constexpr int kReplyWaitMs = 2000;

std::optional<Bytes> ReadPacket(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
    Bytes packet(256);
    ssize_t n = ::recv(fd, packet.data(), packet.size(), 0);
    if (n <= 0) return std::nullopt;
    packet.resize(static_cast<std::size_t>(n));
    return packet;
}

uint16_t Offset(const Bytes& frame) { return static_cast<uint16_t>(frame[5] | frame[6] << 8); }

Bytes Payload(const Bytes& frame) {
    return {frame.begin() + 8, frame.begin() + 8 + std::min<std::size_t>(frame[4], 56)};
}

class KeyboardFirmwareTest : public ::testing::Test {
protected:
    void Plug(KeyboardOptions options = {}) {
        bus_.Unplug("kb");  // frees the name for the new keyboard
        device_ = bus_.Plug("kb", MakeKeyboard(options));
        ASSERT_EQ(device_->Name(), "kb");
        fd_ = bus_.Connect("kb", KeyboardFirmware::kProtocolInterface);
        ASSERT_TRUE(fd_.Valid());
    }
    void SetUp() override { Plug(); }

    Bytes SendRaw(const Bytes& request) {
        EXPECT_EQ(::send(fd_.Get(), request.data(), request.size(), 0),
                  static_cast<ssize_t>(request.size()));
        auto reply = ReadPacket(fd_.Get(), kReplyWaitMs);
        EXPECT_TRUE(reply.has_value()) << "no reply";
        return reply.value_or(Bytes(64, 0));
    }

    Bytes Send(uint8_t command, uint8_t length, uint16_t offset, const Bytes& payload = {}) {
        Bytes reply = SendRaw(BuildFrame(command, length, offset, 0, payload));
        EXPECT_EQ(reply.size(), 64u);
        EXPECT_EQ(reply[0], 4);
        EXPECT_EQ(reply[3], command);
        EXPECT_EQ(reply[4], length);
        EXPECT_EQ(Offset(reply), offset);
        return reply;
    }

    // A chunked read of `total` bytes; empty when a chunk was refused.
    Bytes ReadChunked(uint8_t command, std::size_t total, std::size_t chunk) {
        Bytes data;
        for (std::size_t p = 0; p < total; p += chunk) {
            auto length = static_cast<uint8_t>(std::min(chunk, total - p));
            Bytes reply = Send(command, length, static_cast<uint16_t>(p));
            if (reply[7] != kStatusOk) return {};
            Bytes part = Payload(reply);
            data.insert(data.end(), part.begin(), part.end());
        }
        return data;
    }

    // A chunked write; the status of the first refused chunk, else 0.
    uint8_t WriteChunked(uint8_t command, const Bytes& data, std::size_t chunk, uint16_t base = 0) {
        for (std::size_t p = 0; p < data.size(); p += chunk) {
            std::size_t length = std::min(chunk, data.size() - p);
            Bytes part(data.begin() + static_cast<std::ptrdiff_t>(p),
                       data.begin() + static_cast<std::ptrdiff_t>(p + length));
            Bytes reply =
                Send(command, static_cast<uint8_t>(length), static_cast<uint16_t>(base + p), part);
            if (reply[7] != kStatusOk) return reply[7];
        }
        return 0;
    }

    template <typename F>
    auto Firmware(F&& fn) {
        return device_->WithFirmware(
            [&](vdev::Firmware& fw) { return fn(static_cast<KeyboardFirmware&>(fw)); });
    }

    VirtualBus bus_;
    std::shared_ptr<VirtualDevice> device_;
    UniqueFd fd_;
};

TEST_F(KeyboardFirmwareTest, HandBuiltBeginConfigIsAccepted) {
    // Checksum of a request with only command byte 1: 01 00.
    Bytes request(64, 0);
    request[0] = 0x04;
    request[1] = 0x01;
    request[3] = 0x01;
    Bytes reply = SendRaw(request);
    EXPECT_EQ(reply[3], 0x01);
    EXPECT_EQ(reply[7], kStatusOk);
    EXPECT_EQ(Firmware([](auto& fw) { return fw.ConfigDepth(); }), 1);
    Send(0x02, 0, 0);
    Send(0x02, 0, 0);  // an extra end does not go negative
    EXPECT_EQ(Firmware([](auto& fw) { return fw.ConfigDepth(); }), 0);
}

TEST_F(KeyboardFirmwareTest, MalformedRequestsAreAnsweredWithFe) {
    Bytes badSum = BuildFrame(0x05, 1, 0, 0);
    badSum[1] ^= 0x01;
    Bytes tooLong = BuildFrame(0x06, 57, 0, 0, Bytes(56, 1));
    Bytes shortReport = BuildFrame(0x05, 1, 0, 0);
    shortReport.resize(40);
    for (const Bytes& request : {badSum, tooLong, shortReport}) {
        Bytes reply = SendRaw(request);
        EXPECT_EQ(reply[3], request[3]);
        EXPECT_EQ(reply[7], kStatusBadFrame);
    }
    EXPECT_EQ(Firmware([](auto& fw) { return fw.SettingsMemory()[1]; }), 1);  // nothing written
}

TEST_F(KeyboardFirmwareTest, UnknownAndUnsupportedCommandsAreRefused) {
    for (uint8_t command : {0x04, 0x42, 0x17}) {
        EXPECT_EQ(Send(command, 4, 0, {1, 2, 3, 4})[7], kStatusRejected) << int(command);
    }
}

TEST_F(KeyboardFirmwareTest, InformationBlockGivesKeyCountAndMacroMemory) {
    struct Case {
        KeyboardOptions options;
        uint8_t keys;
        uint8_t macroUnits;
    };
    for (const Case& c :
         {Case{{}, kMatrixPositions, 32}, Case{{.keyCount = 104, .macroUnits = 1}, 104, 1},
          Case{{.keyCount = 200}, 200, 32}}) {
        Plug(c.options);
        // Once whole, and in receiver-sized chunks: the same 34 bytes.
        Bytes whole = ReadChunked(0x03, 34, 56);
        ASSERT_EQ(whole.size(), 34u);
        EXPECT_EQ(ReadChunked(0x03, 34, 24), whole);
        EXPECT_EQ(whole[5], c.keys);
        EXPECT_EQ(whole[6], c.macroUnits);
        EXPECT_EQ(Send(0x03, 11, 24)[7], kStatusRejected);  // past the block
        // The key table has 3n bytes, the per-key table n.
        EXPECT_EQ(ReadChunked(0x07, 3u * c.keys, 56).size(), 3u * c.keys);
        EXPECT_EQ(Send(0x07, 1, static_cast<uint16_t>(3 * c.keys))[7], kStatusRejected);
        EXPECT_EQ(ReadChunked(0x1B, c.keys, 56).size(), c.keys);
    }
}

TEST_F(KeyboardFirmwareTest, FactoryKeyTableHoldsAFullSizeBoardInItsOwnOrder) {
    Bytes table = ReadChunked(0x07, 3 * kMatrixPositions, 24);
    ASSERT_EQ(table.size(), 3u * kMatrixPositions);
    EXPECT_EQ(table, Firmware([](auto& fw) { return fw.FactoryKeyTable(); }));

    std::set<Code> known;
    for (int i = 0; i < kKeyIndexCount; ++i) {
        KeyCode c = FactoryKeyCode(i);
        known.insert({c.type, c.byte1, c.byte2});
    }
    std::vector<Code> keys;
    for (std::size_t q = 0; q < table.size(); q += 3) {
        Code code{table[q], table[q + 1], table[q + 2]};
        if (code != Code{0x20, 0, 0}) keys.push_back(code);
    }
    // 104 keys, Fn, two function keys and five media keys, each once, all
    // from the key code table.
    EXPECT_EQ(keys.size(), 112u);
    EXPECT_EQ(std::set<Code>(keys.begin(), keys.end()).size(), keys.size());
    for (const Code& code : keys) EXPECT_TRUE(known.count(code));
    for (Code code : {Code{0x20, 0, 0x29}, Code{0xA0, 0x01, 0}, Code{0x20, 0x02, 0},
                      Code{0x20, 0, 0x2C}, Code{0xD0, 0xA2, 0x05}, Code{0x20, 0x80, 0}}) {
        EXPECT_NE(std::find(keys.begin(), keys.end(), code), keys.end());
    }
    // No ISO or Japanese keys.
    for (Code code : {Code{0x20, 0, 0x32}, Code{0x20, 0, 0x64}, Code{0x20, 0, 0x87}}) {
        EXPECT_EQ(std::find(keys.begin(), keys.end(), code), keys.end());
    }
    // Not the key index order: Escape does not lead.
    EXPECT_NE((Code{table[0], table[1], table[2]}), (Code{0x20, 0, 0x29}));

    // Without an Fn key its place is empty; the table keeps its size.
    Plug({.hasFnKey = false});
    Bytes noFn = ReadChunked(0x07, 3 * kMatrixPositions, 56);
    ASSERT_EQ(noFn.size(), table.size());
    for (std::size_t q = 0; q < noFn.size(); q += 3) {
        EXPECT_NE((Code{noFn[q], noFn[q + 1], noFn[q + 2]}), (Code{0xA0, 0x01, 0}));
    }
    EXPECT_EQ(std::count(noFn.begin(), noFn.end(), 0xA0) + 1,
              std::count(table.begin(), table.end(), 0xA0));
}

TEST_F(KeyboardFirmwareTest, SettingsRoundTripWithinBoundsOnly) {
    const std::size_t size = 1 + 25 * 5;
    Bytes memory = ReadChunked(0x05, size, 56);
    ASSERT_EQ(memory.size(), size);
    EXPECT_EQ(memory[0], 0);  // active profile
    for (int p = 0; p < 5; ++p) EXPECT_EQ(memory[1 + 25 * p + 1], 4) << "brightness of " << p;

    // The host's 26-byte transfer at 25p, for the last profile too.
    Bytes block(26);
    std::iota(block.begin(), block.end(), 0x40);
    EXPECT_EQ(WriteChunked(0x06, block, 24, 25 * 4), 0);
    Send(0x06, 1, 0, {3});
    Bytes back = ReadChunked(0x05, size, 24);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), back.begin() + 100));
    EXPECT_EQ(back[0], 3);

    // One byte past the end: refused and nothing written.
    EXPECT_EQ(Send(0x06, 26, 101, Bytes(26, 0xEE))[7], kStatusRejected);
    EXPECT_EQ(Send(0x05, 26, 101)[7], kStatusRejected);
    EXPECT_EQ(Send(0x05, 1, 0xFFFF)[7], kStatusRejected);
    EXPECT_EQ(ReadChunked(0x05, size, 56), back);
}

TEST_F(KeyboardFirmwareTest, KeyTableMaskAndLightFrameWrites) {
    const std::size_t tableSize = 3 * kMatrixPositions;
    // A whole 512-byte page is taken; the bytes past the n entries are dropped.
    Bytes page(512);
    std::iota(page.begin(), page.end(), 0);
    EXPECT_EQ(WriteChunked(0x09, page, 56), 0);
    EXPECT_EQ(Firmware([](auto& fw) { return fw.KeyTable(); }),
              Bytes(page.begin(), page.begin() + tableSize));
    EXPECT_EQ(Send(0x09, 8, 512, Bytes(8, 1))[7], kStatusRejected);  // page 1
    EXPECT_EQ(Send(0x09, 8, 508, Bytes(8, 1))[7], kStatusRejected);  // across its end

    Bytes mask(21, 0);
    mask[1] = 0x02;  // position 22
    EXPECT_EQ(Send(0x0B, 21, 0, mask)[7], kStatusOk);
    EXPECT_EQ(Send(0x0B, 22, 0, Bytes(22, 0xFF))[7], kStatusRejected);
    auto storedMask = Firmware([](auto& fw) { return fw.KeyMask(); });
    EXPECT_TRUE(std::equal(mask.begin(), mask.end(), storedMask.begin()));

    // Frames count only when their chunks cover them in order.
    Bytes frame(tableSize);
    std::iota(frame.begin(), frame.end(), 0);
    EXPECT_EQ(WriteChunked(0x12, frame, 56), 0);
    EXPECT_EQ(WriteChunked(0x12, Bytes(56, 9), 56, 56), 0);  // a stray middle chunk
    EXPECT_EQ(Send(0x12, 2, static_cast<uint16_t>(tableSize - 1), {1, 2})[7], kStatusRejected);
    EXPECT_EQ(Firmware([](auto& fw) { return fw.LightFrameCount(); }), 1);
    EXPECT_EQ(Firmware([](auto& fw) { return fw.LightFrame(); }), frame);
}

TEST_F(KeyboardFirmwareTest, PowerLinkAndLightControl) {
    Bytes power = Send(0x1A, 6, 0);
    EXPECT_EQ(Payload(power), (Bytes{100, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Send(0x1A, 7, 0)[7], kStatusRejected);

    EXPECT_EQ(Send(0xAA, 0, 0)[8], 0xFF);
    Firmware([](auto& fw) {
        fw.SetReceiverLinked(false);
        return 0;
    });
    EXPECT_EQ(Send(0xAA, 0, 0)[8], 0x00);

    EXPECT_FALSE(Firmware([](auto& fw) { return fw.HostLightControl(); }));
    EXPECT_EQ(Send(0x1C, 0, 0)[7], kStatusOk);
    EXPECT_TRUE(Firmware([](auto& fw) { return fw.HostLightControl(); }));
}

// Two macros of 3 and 1 events: 16 + 12 + 16 = 44 bytes, records at 20 and 36.
Bytes GoodMacroBlock() {
    Bytes block = {0xAA, 0x55, 44, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 36, 0};
    Bytes first = {3, 0, 0, 0, 10, 0, 0x81, 0x04, 20, 0, 0x01, 0x04, 5, 0, 0x81, 0x05};
    Bytes second = {1, 0, 0, 0, 0, 0, 0x01, 0x05};
    block.insert(block.end(), first.begin(), first.end());
    block.insert(block.end(), second.begin(), second.end());
    return block;
}

TEST_F(KeyboardFirmwareTest, MacroBlockIsCheckedOnceItHasArrived) {
    Bytes good = GoodMacroBlock();
    ASSERT_EQ(good.size(), 44u);
    EXPECT_EQ(WriteChunked(0x15, Bytes(good.begin(), good.begin() + 24), 24), 0);
    EXPECT_FALSE(Firmware([](auto& fw) { return fw.MacroBlockValid(); }));  // not complete yet
    EXPECT_EQ(WriteChunked(0x15, Bytes(good.begin() + 24, good.end()), 24, 24), 0);
    EXPECT_TRUE(Firmware([](auto& fw) { return fw.MacroBlockValid(); }));
    EXPECT_EQ(Firmware([](auto& fw) { return fw.MacroMemory(); }).at(43), 0x05);

    struct Case {
        const char* what;
        std::size_t at;
        uint8_t value;
    };
    const Case cases[] = {
        {"signature", 1, 0x56},
        {"first offset", 16, 21},
        {"second offset past the end", 18, 60},
        {"count larger than the offsets", 4, 9},
        {"event count larger than the block", 20, 9},
        {"declared length longer than the records", 2, 48},
        {"declared length beyond the memory", 3, 0xFF},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        bad[c.at] = c.value;
        if (c.at == 2) bad.resize(48, 0);  // the longer block arrives in full
        EXPECT_EQ(WriteChunked(0x15, bad, 56), 0) << c.what;
        EXPECT_FALSE(Firmware([](auto& fw) { return fw.MacroBlockValid(); })) << c.what;
        EXPECT_FALSE(Firmware([](auto& fw) { return fw.MacroBlockProblem(); }).empty()) << c.what;
    }
    // Writing the good block again makes it valid again.
    EXPECT_EQ(WriteChunked(0x15, good, 56), 0);
    EXPECT_TRUE(Firmware([](auto& fw) { return fw.MacroBlockValid(); }));
}

TEST_F(KeyboardFirmwareTest, MacroWritesBeyondTheMemoryAreRefused) {
    Plug({.macroUnits = 1});
    EXPECT_EQ(Send(0x15, 24, 104, Bytes(24, 1))[7], kStatusOk);  // ends at 128
    EXPECT_EQ(Send(0x15, 24, 112, Bytes(24, 2))[7], kStatusRejected);
    EXPECT_EQ(Firmware([](auto& fw) { return fw.MacroMemory(); }).size(), 128u);
    EXPECT_EQ(Firmware([](auto& fw) { return fw.MacroMemory()[127]; }), 1);
}

TEST_F(KeyboardFirmwareTest, DumpShowsMemoryAndTheRequestLog) {
    Send(0x01, 0, 0);
    Send(0x06, 1, 0, {2});
    Json::Value dump = device_->Dump();
    EXPECT_EQ(dump["name"].asString(), "kb");
    EXPECT_EQ(dump["kind"].asString(), "keyboard");
    EXPECT_EQ(dump["vendorId"].asUInt(), 0x3A17u);
    EXPECT_EQ(dump["productId"].asUInt(), 0x6E21u);
    EXPECT_TRUE(dump["plugged"].asBool());
    const Json::Value& memory = dump["memory"];
    EXPECT_EQ(memory["info"].asString().substr(0, 18), "05 01 01 05 00 93 ");
    EXPECT_EQ(memory["settings"].asString().substr(0, 5), "02 01");
    EXPECT_EQ(memory["activeProfile"].asInt(), 2);
    EXPECT_EQ(memory["configDepth"].asInt(), 1);
    EXPECT_EQ(memory["keyTable"].asString().size(), 3u * kMatrixPositions * 3 - 1);
    for (const char* key : {"keyAuxTable", "keyMask", "macroMemory", "macroBlockValid",
                            "lightFrame", "lightFrameCount"}) {
        EXPECT_TRUE(memory.isMember(key)) << key;
    }
    ASSERT_EQ(dump["requests"].size(), 2u);
    EXPECT_EQ(dump["requests"][1]["interface"].asInt(), 1);
    EXPECT_EQ(dump["requests"][1]["data"].asString().substr(0, 23), "04 09 00 06 01 00 00 00");
}

// The keyboard acting by itself, in-process.
class KeyboardActionTest : public KeyboardFirmwareTest {
protected:
    bool Act(const std::string& json) {
        Json::Value action;
        std::istringstream in(json);
        Json::CharReaderBuilder builder;
        std::string errors;
        EXPECT_TRUE(Json::parseFromStream(builder, in, &action, &errors)) << json;
        error_.clear();
        return device_->Act(action, error_);
    }
    // The consumer reports the host received, until the line goes quiet
    // (after `firstWaitMs` for the first one).
    std::vector<uint16_t> Usages(int firstWaitMs = kReplyWaitMs) {
        std::vector<uint16_t> usages;
        while (auto packet = ReadPacket(fd_.Get(), usages.empty() ? firstWaitMs : 50)) {
            EXPECT_EQ(packet->size(), 3u);
            EXPECT_EQ((*packet)[0], KeyboardFirmware::kConsumerReportId);
            if (packet->size() == 3) usages.push_back(uint16_t((*packet)[1] | (*packet)[2] << 8));
        }
        return usages;
    }
    uint8_t ActiveProfile() { return Payload(Send(0x05, 1, 0)).at(0); }

    std::string error_;
};

TEST_F(KeyboardActionTest, ProfileButtonSwitchesTheOnBoardProfileAndReportsIt) {
    ASSERT_TRUE(Act(R"({"action": "profile", "profile": 3})")) << error_;
    EXPECT_EQ(Usages(), (std::vector<uint16_t>{0x1003}));
    EXPECT_EQ(ActiveProfile(), 3);  // what the host reads back
    ASSERT_TRUE(Act(R"({"action": "profile", "profile": 4, "page": 17})")) << error_;  // 0x11
    EXPECT_EQ(Usages(), (std::vector<uint16_t>{0x1104}));
    EXPECT_EQ(Firmware([](auto& fw) { return fw.ActiveProfile(); }), 4);
    // The host's own write of byte 0 still wins afterwards.
    Send(0x06, 1, 0, {1});
    EXPECT_EQ(ActiveProfile(), 1);

    Plug({.profileCount = 2});
    EXPECT_TRUE(Act(R"({"action": "profile", "profile": 1})")) << error_;
    EXPECT_EQ(Usages(), (std::vector<uint16_t>{0x1001}));
}

TEST_F(KeyboardActionTest, SyncRequestsAndKeyEvents) {
    ASSERT_TRUE(Act(R"({"action": "sync"})")) << error_;
    ASSERT_TRUE(Act(R"({"action": "sync", "usage": 1026})")) << error_;  // 0x402
    EXPECT_EQ(Usages(), (std::vector<uint16_t>{0x401, 0x402}));

    // O (index 51): down, up; then a tap of Space (108) and of Fn (110).
    ASSERT_TRUE(Act(R"({"action": "key", "key": 51, "event": "press"})")) << error_;
    EXPECT_TRUE(Firmware([](auto& fw) { return fw.IsKeyDown(51); }));
    EXPECT_EQ(device_->Dump()["memory"]["keysDown"][0].asInt(), 51);
    ASSERT_TRUE(Act(R"({"action": "key", "key": 51, "event": "release"})")) << error_;
    ASSERT_TRUE(Act(R"({"action": "key", "key": 108, "event": "tap"})")) << error_;
    ASSERT_TRUE(Act(R"({"action": "key", "key": 110, "event": "tap"})")) << error_;
    EXPECT_EQ(Usages(), (std::vector<uint16_t>{0x533, 0x633, 0x56C, 0x66C, 0x56E, 0x66E}));
    EXPECT_FALSE(Firmware([](auto& fw) { return fw.IsKeyDown(51); }));
}

TEST_F(KeyboardActionTest, RefusedActionsChangeAndSendNothing) {
    ASSERT_TRUE(Act(R"({"action": "key", "key": 22, "event": "press"})")) << error_;
    EXPECT_EQ(Usages(), (std::vector<uint16_t>{0x516}));
    struct Case {
        const char* action;
        const char* message;
    };
    const Case cases[] = {
        {R"({"action": "profile", "profile": 5})", "out of range"},
        {R"({"action": "profile", "profile": -1})", "out of range"},
        {R"({"action": "profile"})", "\"profile\""},
        {R"({"action": "profile", "profile": "2"})", "\"profile\""},
        {R"({"action": "profile", "profile": 1, "page": 18})", "0x10 or 0x11"},
        {R"({"action": "profile", "profile": 1, "page": 272})", "0x10 or 0x11"},
        {R"({"action": "sync", "usage": 1027})", "0x401 or 0x402"},
        {R"({"action": "sync", "usage": 66561})", "0x401 or 0x402"},
        {R"({"action": "key", "key": 22, "event": "press"})", "already down"},
        {R"({"action": "key", "key": 22, "event": "tap"})", "already down"},
        {R"({"action": "key", "key": 23, "event": "release"})", "not down"},
        {R"({"action": "key", "key": 18, "event": "tap"})", "no key 18"},    // no key there
        {R"({"action": "key", "key": 62, "event": "tap"})", "no key 62"},    // ISO only
        {R"({"action": "key", "key": 170, "event": "tap"})", "no key 170"},  // past the table
        {R"({"action": "key", "key": 51, "event": "hold"})", "press, release or tap"},
        {R"({"action": "blink"})", "no action blink"},
        {R"({"profile": 1})", "\"action\""},
        {R"([1, 2])", "\"action\""},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Act(c.action)) << c.action;
        EXPECT_NE(error_.find(c.message), std::string::npos) << c.action << ": " << error_;
    }
    EXPECT_TRUE(Usages(100).empty());
    EXPECT_EQ(ActiveProfile(), 0);
    EXPECT_TRUE(Firmware([](auto& fw) { return fw.IsKeyDown(22); }));

    // Without an Fn key, or with a short key table, those keys are not there.
    Plug({.hasFnKey = false});
    EXPECT_FALSE(Act(R"({"action": "key", "key": 110, "event": "tap"})"));
    Plug({.keyCount = 21});  // row 0 of the matrix only
    EXPECT_TRUE(Act(R"({"action": "key", "key": 120, "event": "tap"})")) << error_;
    EXPECT_FALSE(Act(R"({"action": "key", "key": 0, "event": "tap"})"));
    // An unplugged keyboard does nothing.
    device_->Unplug();
    EXPECT_FALSE(Act(R"({"action": "sync"})"));
    EXPECT_NE(error_.find("unplugged"), std::string::npos) << error_;
}

TEST_F(KeyboardFirmwareTest, LightFrameHistoryKeepsTheLatestCompleteFrames) {
    const std::size_t frameSize = 3 * kMatrixPositions;
    const int frames = static_cast<int>(KeyboardFirmware::kLightHistorySize) + 6;
    for (int f = 0; f < frames; ++f) {
        EXPECT_EQ(WriteChunked(0x12, Bytes(frameSize, static_cast<uint8_t>(f)), 56), 0);
        // A torn frame between them: its first chunk only.
        EXPECT_EQ(WriteChunked(0x12, Bytes(56, 0xEE), 56), 0);
    }
    auto history = Firmware([](auto& fw) { return fw.LightFrameHistory(); });
    ASSERT_EQ(history.size(), KeyboardFirmware::kLightHistorySize);
    EXPECT_EQ(history.front(), Bytes(frameSize, 6));
    EXPECT_EQ(history.back(), Bytes(frameSize, static_cast<uint8_t>(frames - 1)));
    EXPECT_EQ(Firmware([](auto& fw) { return fw.LightFrame(); }), history.back());
    EXPECT_EQ(Firmware([](auto& fw) { return fw.LightFrameCount(); }), frames);
    Json::Value dumped = device_->Dump()["memory"]["lightFrameHistory"];
    ASSERT_EQ(dumped.size(), history.size());
    EXPECT_EQ(dumped[0].asString().substr(0, 5), "06 06");
}

TEST_F(KeyboardFirmwareTest, EveryProfileBlockAndTheActiveProfileByteAreKept) {
    // The host's 26-byte transfers at 25p for every profile, profile 0 last:
    // its byte 0 is the active-profile byte and each block keeps its bytes.
    const std::size_t size = 1 + 25 * 5;
    Bytes expected(size, 0);
    for (int p : {4, 3, 2, 1, 0}) {
        Bytes block(26);
        std::iota(block.begin(), block.end(), static_cast<uint8_t>(0x10 * p + 1));
        block[0] = 2;  // the active profile, as the host writes it each time
        EXPECT_EQ(WriteChunked(0x06, block, 24, static_cast<uint16_t>(25 * p)), 0);
        std::copy(block.begin(), block.end(), expected.begin() + 25 * p);
    }
    EXPECT_EQ(ReadChunked(0x05, size, 56), expected);
    EXPECT_EQ(Firmware([](auto& fw) { return fw.ActiveProfile(); }), 2);
}

TEST(VirtualKeyboardHelpers, ActOnTheKeyboardAndShowItsFrames) {
    testing::VirtualKeyboard kb;
    UniqueFd host = kb.bus.Connect("keyboard", KeyboardFirmware::kProtocolInterface);
    ASSERT_TRUE(host.Valid());
    ASSERT_TRUE(kb.SwitchProfile(2)) << kb.error;
    ASSERT_TRUE(kb.SendSync(KeyboardFirmware::kSyncReloadUsage)) << kb.error;
    ASSERT_TRUE(kb.TapKey(0)) << kb.error;
    EXPECT_FALSE(kb.ReleaseKey(0));
    EXPECT_NE(kb.error.find("not down"), std::string::npos) << kb.error;
    for (const Bytes& expected :
         {Bytes{3, 0x02, 0x10}, Bytes{3, 0x02, 0x04}, Bytes{3, 0x00, 0x05}, Bytes{3, 0x00, 0x06}}) {
        EXPECT_EQ(ReadPacket(host.Get(), kReplyWaitMs), expected);
    }
    EXPECT_TRUE(kb.LightFrames().empty());
}

TEST(KeyboardConsumerReport, CarriesTheUsageLowByteFirst) {
    EXPECT_EQ(KeyboardFirmware::ConsumerReport(0x1003), (Bytes{3, 0x03, 0x10}));
    EXPECT_EQ(KeyboardFirmware::ConsumerReport(0x402), (Bytes{3, 0x02, 0x04}));
}

}  // namespace
}  // namespace halvorn::vdev
