#include "tools/vdev/keyboard_firmware.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "tools/vdev/hex_text.h"
#include "tools/vdev/keyboard_descriptors.h"
#include "tools/vdev/keyboard_layout.h"
#include "tools/vdev/keyboard_memory.h"
#include "tools/vdev/protocol_frame.h"

namespace halvorn::vdev {

namespace {

enum Command : uint8_t {
    kBeginConfig = 0x01,
    kEndConfig = 0x02,
    kReadInfo = 0x03,
    kReadMemory = 0x05,
    kWriteMemory = 0x06,
    kReadKeyTable = 0x07,
    kWriteKeyTable = 0x09,
    kWriteMask = 0x0B,
    kStreamLight = 0x12,
    kWriteMacro = 0x15,
    kWriteShoot = 0x17,
    kReadPower = 0x1A,
    kReadKeyAux = 0x1B,
    kTakeLight = 0x1C,
    kReceiverLink = 0xAA,
};

constexpr std::size_t kMacroUnitBytes = 128;
constexpr std::size_t kKeyTablePage = 512;
constexpr std::size_t kNoCursor = std::numeric_limits<std::size_t>::max();

// A cable-powered keyboard: level 100 %, charge state 0 (powered).
constexpr std::array<uint8_t, 6> kPowerBlock = {100, 0, 0, 0, 0, 0};

int EffectiveKeyCount(int keyCount) {
    if (keyCount <= 0) return kMatrixPositions;
    return std::min(keyCount, kMaxKeyCount);
}

bool InRange(uint16_t offset, std::size_t length, std::size_t size) {
    return static_cast<std::size_t>(offset) + length <= size;
}

}  // namespace

struct KeyboardFirmware::Reply {
    uint8_t status = kStatusOk;
    std::vector<uint8_t> data;
};

KeyboardFirmware::KeyboardFirmware(KeyboardOptions options) : options_(options) {
    options_.keyCount = EffectiveKeyCount(options_.keyCount);
    options_.profileCount = std::clamp(options_.profileCount, 1, kMaxProfiles);
    info_ = FactoryInfoBlock(options_, options_.keyCount, options_.profileCount);
    settings_ = FactorySettings(options_.profileCount);
    factoryKeyTable_ = vdev::FactoryKeyTable(options_.keyCount, options_.hasFnKey);
    keyTable_ = factoryKeyTable_;
    keyAux_ = FactoryKeyAuxTable(options_.keyCount, options_.hasFnKey);
    macro_.assign(options_.macroUnits * kMacroUnitBytes, 0);
    lightFrame_.assign(keyTable_.size(), 0);
    lightStaging_.assign(keyTable_.size(), 0);
}

hid::Attributes KeyboardFirmware::Attributes() const {
    return {options_.vendorId, options_.productId, options_.version};
}

std::vector<InterfaceSpec> KeyboardFirmware::Interfaces() const {
    return {
        {0, {kKeyboardBootDescriptor.begin(), kKeyboardBootDescriptor.end()}},
        {kProtocolInterface,
         {kKeyboardCompositeDescriptor.begin(), kKeyboardCompositeDescriptor.end()}},
    };
}

void KeyboardFirmware::OnReport(int interfaceNumber, std::span<const uint8_t> report,
                                ReportSink& sink) {
    if (interfaceNumber == 0) {
        // The boot keyboard's only output report: one byte of LED bits, no report ID.
        if (!report.empty()) leds_ = report.back();
        return;
    }
    if (interfaceNumber != kProtocolInterface) return;
    RequestFrame request = ParseRequest(report);
    if (request.error == FrameError::NotProtocol) return;
    if (request.error != FrameError::None) {
        sink.Send(kProtocolInterface, BadFrameReply(request));
        return;
    }
    Reply reply = Handle(request.command, request.length, request.offset, request.Data());
    sink.Send(kProtocolInterface, BuildFrame(request.command, request.length, request.offset,
                                             reply.status, reply.data));
}

KeyboardFirmware::Reply KeyboardFirmware::Handle(uint8_t command, uint8_t length, uint16_t offset,
                                                 std::span<const uint8_t> payload) {
    const Reply rejected{kStatusRejected, {}};
    auto read = [&](std::span<const uint8_t> memory) {
        if (!InRange(offset, length, memory.size())) return rejected;
        auto first = memory.begin() + offset;
        return Reply{kStatusOk, {first, first + length}};
    };
    auto write = [&](std::span<uint8_t> memory) {
        if (!InRange(offset, payload.size(), memory.size())) return rejected;
        std::copy(payload.begin(), payload.end(), memory.begin() + offset);
        return Reply{};
    };

    switch (command) {
        case kBeginConfig:
            ++configOpen_;
            return {};
        case kEndConfig:
            if (configOpen_ > 0) --configOpen_;
            return {};
        case kReadInfo:
            return read(info_);
        case kReadMemory:
            return read(settings_);
        case kWriteMemory:
            return write(settings_);
        case kReadKeyTable:
            return read(keyTable_);
        case kWriteKeyTable: {
            // The table is received into a 512-byte page (page 0; offsets of
            // page 1 and up are refused unless the table itself is that
            // long); bytes past the n entries are dropped.
            std::size_t page = std::max<std::size_t>(kKeyTablePage, keyTable_.size());
            if (!InRange(offset, payload.size(), page)) return rejected;
            for (std::size_t i = 0; i < payload.size() && offset + i < keyTable_.size(); ++i) {
                keyTable_[offset + i] = payload[i];
            }
            return {};
        }
        case kWriteMask:
            return write(keyMask_);
        case kStreamLight:
            return WriteLightChunk(offset, payload);
        case kWriteMacro:
            return WriteMacroChunk(offset, payload);
        case kWriteShoot:
            return rejected;  // a keyboard has no recoil memory
        case kReadPower:
            return read(kPowerBlock);
        case kReadKeyAux:
            return read(keyAux_);
        case kTakeLight:
            hostLight_ = true;
            return {};
        case kReceiverLink:
            return {kStatusOk, {static_cast<uint8_t>(options_.receiverLinked ? 0xFF : 0x00)}};
        default:
            return rejected;
    }
}

KeyboardFirmware::Reply KeyboardFirmware::WriteLightChunk(uint16_t offset,
                                                          std::span<const uint8_t> data) {
    if (!InRange(offset, data.size(), lightStaging_.size())) return {kStatusRejected, {}};
    std::copy(data.begin(), data.end(), lightStaging_.begin() + offset);
    // A frame counts once its chunks have covered it in order from offset 0.
    if (offset == 0) lightCursor_ = 0;
    if (lightCursor_ != kNoCursor && offset == lightCursor_) {
        lightCursor_ += data.size();
        if (lightCursor_ == lightStaging_.size()) {
            lightFrame_ = lightStaging_;
            ++lightFrames_;
            if (lightHistory_.size() == kLightHistorySize) lightHistory_.pop_front();
            lightHistory_.push_back(lightFrame_);
            lightCursor_ = kNoCursor;
        }
    } else {
        lightCursor_ = kNoCursor;
    }
    return {};
}

KeyboardFirmware::Reply KeyboardFirmware::WriteMacroChunk(uint16_t offset,
                                                          std::span<const uint8_t> data) {
    if (!InRange(offset, data.size(), macro_.size())) return {kStatusRejected, {}};
    std::copy(data.begin(), data.end(), macro_.begin() + offset);
    macroUsed_ = std::max(macroUsed_, offset + data.size());
    if (offset == 0) {
        macroCursor_ = 0;
        macroValid_ = false;
        macroProblem_.clear();
    }
    if (macroCursor_ != kNoCursor && offset == macroCursor_) {
        macroCursor_ += data.size();
        CheckMacroBlock();
    } else {
        macroCursor_ = kNoCursor;
    }
    return {};
}

void KeyboardFirmware::CheckMacroBlock() {
    if (macroCursor_ < 4) return;
    std::span<const uint8_t> received(macro_.data(), macroCursor_);
    std::size_t declared = DeclaredMacroLength(received);
    if (declared > macro_.size()) {
        macroValid_ = false;
        macroProblem_ = "declared length beyond the macro memory";
        return;
    }
    if (declared >= 16 && macroCursor_ < declared) return;  // more chunks to come
    MacroBlockCheck check = vdev::CheckMacroBlock(received);
    macroValid_ = check.valid;
    macroProblem_ = check.problem;
}

Json::Value KeyboardFirmware::DumpMemory() const {
    Json::Value memory(Json::objectValue);
    memory["info"] = HexText(info_);
    memory["activeProfile"] = settings_.empty() ? 0 : settings_[0];
    memory["settings"] = HexText(settings_);
    memory["keyTable"] = HexText(keyTable_);
    memory["keyTableChanged"] = keyTable_ != factoryKeyTable_;
    memory["keyAuxTable"] = HexText(keyAux_);
    memory["keyMask"] = HexText(keyMask_);
    memory["macroMemory"] = HexText(std::span<const uint8_t>(macro_).first(macroUsed_));
    memory["macroCapacity"] = static_cast<Json::UInt>(macro_.size());
    memory["macroBlockValid"] = macroValid_;
    memory["macroBlockProblem"] = macroProblem_;
    memory["lightFrame"] = HexText(lightFrame_);
    memory["lightFrameCount"] = lightFrames_;
    Json::Value& history = memory["lightFrameHistory"] = Json::Value(Json::arrayValue);
    for (const std::vector<uint8_t>& frame : lightHistory_) history.append(HexText(frame));
    Json::Value& down = memory["keysDown"] = Json::Value(Json::arrayValue);
    for (int k = 0; k < kKeyIndexCount; ++k) {
        if (keysDown_[static_cast<std::size_t>(k)]) down.append(k);
    }
    memory["configDepth"] = configOpen_;
    memory["hostLightControl"] = hostLight_;
    memory["receiverLinked"] = options_.receiverLinked;
    memory["leds"] = leds_;
    return memory;
}

bool KeyboardFirmware::HasKey(int keyIndex) const {
    if (keyIndex < 0 || keyIndex >= kKeyIndexCount) return false;
    const auto& matrix = FactoryMatrix();
    for (std::size_t q = 0; q < keyAux_.size() && q < matrix.size(); ++q) {
        if (keyAux_[q] != 0 && matrix[q] == keyIndex) return true;
    }
    return false;
}

bool KeyboardFirmware::IsKeyDown(int keyIndex) const {
    return keyIndex >= 0 && keyIndex < kKeyIndexCount &&
           keysDown_[static_cast<std::size_t>(keyIndex)];
}

bool KeyboardFirmware::SwitchProfile(int profile, ReportSink& sink, std::string& error,
                                     uint8_t page) {
    if (page != kProfileUsagePage && page != kProfileUsagePageAlt) {
        error = "a profile switch is reported with usage page 0x10 or 0x11";
        return false;
    }
    if (profile < 0 || profile >= options_.profileCount) {
        error = "profile " + std::to_string(profile) + " out of range 0.." +
                std::to_string(options_.profileCount - 1);
        return false;
    }
    settings_[0] = static_cast<uint8_t>(profile);
    sink.Send(kProtocolInterface, ConsumerReport(static_cast<uint16_t>(page << 8 | profile)));
    return true;
}

bool KeyboardFirmware::RequestSync(uint16_t usage, ReportSink& sink, std::string& error) {
    if (usage != kSyncUsage && usage != kSyncReloadUsage) {
        error = "a sync request is 0x401 or 0x402";
        return false;
    }
    sink.Send(kProtocolInterface, ConsumerReport(usage));
    return true;
}

bool KeyboardFirmware::CheckKey(int keyIndex, std::string& error) const {
    if (HasKey(keyIndex)) return true;
    error = "this keyboard has no key " + std::to_string(keyIndex);
    return false;
}

bool KeyboardFirmware::PressKey(int keyIndex, ReportSink& sink, std::string& error) {
    if (!CheckKey(keyIndex, error)) return false;
    if (IsKeyDown(keyIndex)) {
        error = "key " + std::to_string(keyIndex) + " is already down";
        return false;
    }
    keysDown_.set(static_cast<std::size_t>(keyIndex));
    sink.Send(kProtocolInterface, ConsumerReport(static_cast<uint16_t>(kKeyPressUsage + keyIndex)));
    return true;
}

bool KeyboardFirmware::ReleaseKey(int keyIndex, ReportSink& sink, std::string& error) {
    if (!CheckKey(keyIndex, error)) return false;
    if (!IsKeyDown(keyIndex)) {
        error = "key " + std::to_string(keyIndex) + " is not down";
        return false;
    }
    keysDown_.reset(static_cast<std::size_t>(keyIndex));
    sink.Send(kProtocolInterface,
              ConsumerReport(static_cast<uint16_t>(kKeyReleaseUsage + keyIndex)));
    return true;
}

bool KeyboardFirmware::Act(const Json::Value& action, ReportSink& sink, std::string& error) {
    if (!action.isObject() || !action["action"].isString()) {
        error = "an action needs an \"action\" name";
        return false;
    }
    // An integer argument; `fallback` when it is absent and optional.
    auto integer = [&](const char* key, std::optional<int> fallback) -> std::optional<int> {
        const Json::Value& value = action[key];
        if (value.isNull() && fallback) return fallback;
        if (value.isInt()) return value.asInt();
        error = std::string("the action needs an integer \"") + key + "\"";
        return std::nullopt;
    };
    const std::string name = action["action"].asString();
    if (name == "profile") {
        auto profile = integer("profile", std::nullopt);
        if (!profile) return false;
        auto page = integer("page", kProfileUsagePage);
        if (!page) return false;
        // Out of a byte's range: 0, which SwitchProfile refuses as any other wrong page.
        auto pageByte = static_cast<uint8_t>(*page >= 0 && *page <= 0xFF ? *page : 0);
        return SwitchProfile(*profile, sink, error, pageByte);
    }
    if (name == "sync") {
        auto usage = integer("usage", kSyncUsage);
        if (!usage) return false;
        auto usage16 = static_cast<uint16_t>(*usage >= 0 && *usage <= 0xFFFF ? *usage : 0);
        return RequestSync(usage16, sink, error);
    }
    if (name == "key") {
        auto key = integer("key", std::nullopt);
        if (!key) return false;
        const std::string event = action["event"].isString() ? action["event"].asString() : "";
        if (event == "press") return PressKey(*key, sink, error);
        if (event == "release") return ReleaseKey(*key, sink, error);
        if (event == "tap") {
            // Both reports or neither: a tap needs the key up to start with.
            if (!CheckKey(*key, error)) return false;
            if (IsKeyDown(*key)) {
                error = "key " + std::to_string(*key) + " is already down";
                return false;
            }
            return PressKey(*key, sink, error) && ReleaseKey(*key, sink, error);
        }
        error = "a key event is press, release or tap";
        return false;
    }
    error = "a keyboard has no action " + name;
    return false;
}

std::vector<uint8_t> KeyboardFirmware::ConsumerReport(uint16_t usage) {
    return {kConsumerReportId, static_cast<uint8_t>(usage & 0xFF),
            static_cast<uint8_t>(usage >> 8)};
}

std::unique_ptr<Firmware> MakeKeyboard(KeyboardOptions options) {
    return std::make_unique<KeyboardFirmware>(options);
}

}  // namespace halvorn::vdev
