#pragma once

// The keyboard's firmware model: a composite keyboard whose interface 1 has
// four top-level collections, the third consumer control (0x0C/0x01, report
// ID 3, one 16-bit usage) and the fourth the vendor protocol collection
// (0xFF1C/0x92, report ID 4, 64-byte reports both ways).

#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "tools/vdev/firmware.h"
#include "tools/vdev/keyboard_layout.h"

namespace halvorn::vdev {

struct KeyboardOptions {
    uint16_t vendorId = 0x3A17;
    uint16_t productId = 0x6E21;
    uint16_t version = 0x0105;
    int keyCount = 0;            // n of the information block; 0: the factory layout's own count
    uint8_t macroUnits = 32;     // information byte 6: macro memory in units of 128 bytes
    int profileCount = 5;        // on-board profiles in the settings memory
    bool hasFnKey = true;        // the factory key table holds A0 01 00
    bool receiverLinked = true;  // command 0xAA answers 0xFF in byte 8
};

class KeyboardFirmware : public Firmware {
public:
    static constexpr int kProtocolInterface = 1;
    static constexpr int kConsumerCollection = 3;
    static constexpr uint8_t kConsumerReportId = 3;
    static constexpr uint8_t kProtocolReportId = 4;
    static constexpr std::size_t kReportSize = 64;
    static constexpr std::size_t kLightHistorySize = 64;  // complete frames kept for tests

    // Usages the consumer collection reports.
    static constexpr uint16_t kSyncUsage = 0x401;        // re-read the settings
    static constexpr uint16_t kSyncReloadUsage = 0x402;  // ... and the profile too
    static constexpr uint16_t kKeyPressUsage = 0x500;    // + key index
    static constexpr uint16_t kKeyReleaseUsage = 0x600;  // + key index
    static constexpr uint8_t kProfileUsagePage = 0x10;   // high byte; low 4 bits the profile
    static constexpr uint8_t kProfileUsagePageAlt = 0x11;

    explicit KeyboardFirmware(KeyboardOptions options = {});

    std::string Kind() const override { return "keyboard"; }
    hid::Attributes Attributes() const override;
    std::vector<InterfaceSpec> Interfaces() const override;
    int ProtocolInterface() const override { return kProtocolInterface; }
    void OnReport(int interfaceNumber, std::span<const uint8_t> report, ReportSink& sink) override;
    Json::Value DumpMemory() const override;
    // {"action": "profile", "profile": P, "page"?: 0x10 | 0x11},
    // {"action": "sync", "usage"?: 0x401 | 0x402},
    // {"action": "key", "key": K, "event": "press" | "release" | "tap"}.
    bool Act(const Json::Value& action, ReportSink& sink, std::string& error) override;

    // What a user does on the keyboard itself; each sends its consumer
    // report through `sink`. False with `error` set, nothing changed and
    // nothing sent, when the arguments do not fit this keyboard.
    //
    // The profile button: makes `profile` the active on-board profile
    // (settings byte 0) and reports (page << 8) | profile.
    bool SwitchProfile(int profile, ReportSink& sink, std::string& error,
                       uint8_t page = kProfileUsagePage);
    // Asks the host to re-read the settings: kSyncUsage or kSyncReloadUsage.
    bool RequestSync(uint16_t usage, ReportSink& sink, std::string& error);
    // A key of this keyboard (a key index its key table holds) goes down or
    // up; a key is pressed once before it is released.
    bool PressKey(int keyIndex, ReportSink& sink, std::string& error);
    bool ReleaseKey(int keyIndex, ReportSink& sink, std::string& error);

    // The memory, for tests and dumps.
    const std::array<uint8_t, 34>& InfoBlock() const { return info_; }
    const std::vector<uint8_t>& SettingsMemory() const { return settings_; }
    const std::vector<uint8_t>& KeyTable() const { return keyTable_; }
    const std::vector<uint8_t>& FactoryKeyTable() const { return factoryKeyTable_; }
    const std::vector<uint8_t>& KeyAuxTable() const { return keyAux_; }
    const std::array<uint8_t, 21>& KeyMask() const { return keyMask_; }
    const std::vector<uint8_t>& MacroMemory() const { return macro_; }
    bool MacroBlockValid() const { return macroValid_; }
    // Why the last complete macro block was refused; empty when none was.
    const std::string& MacroBlockProblem() const { return macroProblem_; }
    const std::vector<uint8_t>& LightFrame() const { return lightFrame_; }
    int LightFrameCount() const { return lightFrames_; }
    // The latest complete frames, oldest first (at most kLightHistorySize).
    const std::deque<std::vector<uint8_t>>& LightFrameHistory() const { return lightHistory_; }
    uint8_t ActiveProfile() const { return settings_[0]; }
    // Whether the key index has a switch on this keyboard.
    bool HasKey(int keyIndex) const;
    bool IsKeyDown(int keyIndex) const;
    int ConfigDepth() const { return configOpen_; }       // BeginConfig minus EndConfig seen
    bool HostLightControl() const { return hostLight_; }  // command 0x1C was received
    uint8_t LedState() const { return leds_; }            // the boot keyboard's LED output report

    void SetReceiverLinked(bool linked) { options_.receiverLinked = linked; }

    // Input reports of the consumer-control collection: 0x401 and 0x402 ask
    // the host to re-read the settings, 0x1000 | p reports on-board profile p.
    static std::vector<uint8_t> ConsumerReport(uint16_t usage);

private:
    struct Reply;
    Reply Handle(uint8_t command, uint8_t length, uint16_t offset,
                 std::span<const uint8_t> payload);
    Reply WriteLightChunk(uint16_t offset, std::span<const uint8_t> data);
    Reply WriteMacroChunk(uint16_t offset, std::span<const uint8_t> data);
    void CheckMacroBlock();
    bool CheckKey(int keyIndex, std::string& error) const;

    KeyboardOptions options_;
    std::array<uint8_t, 34> info_{};
    std::vector<uint8_t> settings_;
    std::vector<uint8_t> factoryKeyTable_;
    std::vector<uint8_t> keyTable_;
    std::vector<uint8_t> keyAux_;
    std::array<uint8_t, 21> keyMask_{};
    std::vector<uint8_t> macro_;   // the whole macro memory
    std::size_t macroUsed_ = 0;    // end of the highest byte written
    std::size_t macroCursor_ = 0;  // bytes of the current block received in order
    bool macroValid_ = false;
    std::string macroProblem_;
    std::vector<uint8_t> lightFrame_;  // the last complete frame
    std::vector<uint8_t> lightStaging_;
    std::size_t lightCursor_ = 0;  // bytes of the current frame received in order
    int lightFrames_ = 0;
    std::deque<std::vector<uint8_t>> lightHistory_;
    std::bitset<kKeyIndexCount> keysDown_;
    int configOpen_ = 0;
    bool hostLight_ = false;
    uint8_t leds_ = 0;
};

std::unique_ptr<Firmware> MakeKeyboard(KeyboardOptions options = {});

}  // namespace halvorn::vdev
