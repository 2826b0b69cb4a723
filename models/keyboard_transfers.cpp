// The keyboard's transfers: reading the device at connection, the settings
// block, the key table with its macro slots, the macro block and the power
// block, and the sequence that applies a profile to the keyboard.

#include <new>

#include "models/keyboard_device.h"
#include "platform/trace/trace.h"
#include "profile/macro_store.h"
#include "profile/profile_list.h"

namespace halvorn {

namespace {

constexpr std::size_t kMacroUnitBytes = 128;
constexpr int kMaxProfiles = 16;  // the profile-switch event carries 4 bits
constexpr std::size_t kPowerBlockSize = 6;
constexpr int kCustomKeysEffect = 21;
constexpr uint32_t kSyncReloadEvent = 0x402;  // the keyboard asks for the profile too

// One begin/end configuration bracket. Whatever happens in between, the
// keyboard sees EndConfig: a keyboard left inside a configuration exchange
// stops answering normally until it is replugged.
class ConfigExchange {
public:
    explicit ConfigExchange(ReportProtocol& protocol) : protocol_(protocol) {
        Note(protocol_.BeginConfig());
    }
    ~ConfigExchange() { Finish(); }
    ConfigExchange(const ConfigExchange&) = delete;
    ConfigExchange& operator=(const ConfigExchange&) = delete;

    // Keeps the first failing code; returns `result`.
    int Note(int result) {
        if (result_ == kResultOk && result != kResultOk) result_ = result;
        return result;
    }
    bool Failed() const { return result_ != kResultOk; }
    // Ends the exchange (once); the first failing code, or 1.
    int Finish() {
        if (!finished_) {
            finished_ = true;
            Note(protocol_.EndConfig());
        }
        return result_;
    }

private:
    ReportProtocol& protocol_;
    int result_ = kResultOk;
    bool finished_ = false;
};

// What the keyboard tells at connection.
struct DeviceState {
    std::array<uint8_t, ReportProtocol::kInfoSize> info{};
    bool infoRead = false;
    std::vector<uint8_t> keyTable;  // empty when it could not be read
    std::vector<uint8_t> auxTable;
};

DeviceState ReadDeviceState(ReportProtocol& protocol) {
    DeviceState state;
    ConfigExchange exchange(protocol);
    if (exchange.Failed()) return state;
    if (exchange.Note(protocol.ReadDeviceInfo(state.info)) != kResultOk) return state;
    state.infoRead = true;
    const int keys = state.info[5];
    if (protocol.SetDataLength(static_cast<uint16_t>(3 * keys)) != 1) {
        Trace("keyboard key table of " + std::to_string(keys) + " keys exceeds 512 bytes");
        return state;
    }
    std::vector<uint8_t> table(3 * static_cast<std::size_t>(keys));
    if (exchange.Note(protocol.ReadKeyTable(table)) != kResultOk) return state;
    std::vector<uint8_t> aux(static_cast<std::size_t>(keys));
    if (exchange.Note(protocol.ReadKeyAuxTable(aux)) == kResultOk) state.auxTable = std::move(aux);
    state.keyTable = std::move(table);
    return state;
}

}  // namespace

void COvantisKeyboardDevice::Connect() {
    if (!commandProtocol_.IsOpen()) return;
    DeviceState state = ReadDeviceState(commandProtocol_);
    if (state.infoRead) deviceInfo_ = state.info;
    deviceKeyTable_ = std::move(state.keyTable);
    keyAuxTable_ = std::move(state.auxTable);
    keyPositions_.fill(keyboard::kNoPosition);
    lightPositions_.fill(keyboard::kNoPosition);
    // Without the keyboard's own table no key has a position (not even Fn).
    if (!deviceKeyTable_.empty()) {
        keyPositions_ = keyboard::BuildKeyPositionMap(deviceKeyTable_);
        for (std::size_t i = 0; i < keyPositions_.size(); ++i) {
            if (keyPositions_[i] != keyboard::kNoPosition) lightPositions_[i] = keyPositions_[i];
        }
    }
    LoadProfile();
    ReadSettings();
    RefreshPage();
    StartLightThread();
}

void COvantisKeyboardDevice::HandleSyncRequest() {
    if (lastEvent_.load() == kSyncReloadEvent) {
        // The profile panel's selection may have moved: take it again.
        const auto folder = DeviceDataFolder();
        if (!folder.empty()) {
            ProfileList list(folder, DefaultProfilePath(), device_kind::kKeyboard);
            list.Init();
            if (!list.CurrentUuid().empty()) profileUuid_ = list.CurrentUuid();
        }
        LoadProfile();
    }
    ReadSettings();
    RefreshPage();
}

void COvantisKeyboardDevice::ReadSettings() {
    if (!commandProtocol_.IsOpen()) return;
    uint8_t active = 0;
    if (commandProtocol_.ReadMemory(std::span(&active, 1), 0) != kResultOk) return;
    keyboard::SettingsTransfer transfer{};
    const auto base = static_cast<uint16_t>(keyboard::kProfileBlockSize * active);
    // A failed read keeps what the object holds rather than taking zeros.
    if (commandProtocol_.ReadMemory(transfer, base) != kResultOk) return;

    const LightModeRecord before = LightRecord();
    const keyboard::SettingsRead read =
        keyboard::ParseSettingsTransfer(transfer, active, before, system_, effectList_);
    lastReadSettings_ = read.block;
    activeProfile_.store(active);
    StoreLightRecord(read.light);
    system_ = read.system;
    if (read.light.selectItem != before.selectItem || EffectCode() == kCustomKeysEffect) {
        RestartEffect();
    }
    profile_.SetSystemStages(system_);
    profile_.SetLightInfo(read.light);
    SaveProfile();
}

int COvantisKeyboardDevice::WriteSettings(int profile, int activeValue, int flag, int width,
                                          int height) {
    (void)flag, (void)width, (void)height;
    if (profile < 0 || profile >= kMaxProfiles) return kResultBadArgument;
    const auto transfer =
        keyboard::BuildSettingsTransfer(profile_.GetLightInfo(), profile_.GetSystemStages(),
                                        effectList_, static_cast<uint8_t>(activeValue));
    if (!commandProtocol_.IsOpen()) return kResultNoReply;
    ConfigExchange exchange(commandProtocol_);
    if (!exchange.Failed()) {
        exchange.Note(commandProtocol_.WriteMemory(
            transfer, static_cast<uint16_t>(keyboard::kProfileBlockSize * profile)));
    }
    return exchange.Finish();
}

std::vector<int> COvantisKeyboardDevice::CollectUsedMacros() {
    return keyboard::CollectUsedMacros(keyList_, keyPositions_, MacroCount());
}

int COvantisKeyboardDevice::WriteKeyTableFor(int table, std::span<const KeyAssignRecord> keys) {
    // Refused before anything is sent, so no exchange is left open.
    if (table != 0) return kResultBadArgument;
    if (!commandProtocol_.IsOpen()) return kResultNoReply;
    if (deviceKeyTable_.empty()) {
        Trace("keyboard key table unknown: nothing written");
        return kResultNoReply;
    }
    commandProtocol_.ReadDeviceInfo(deviceInfo_);
    const auto image =
        keyboard::BuildKeyTableImage(deviceKeyTable_, keys, keyPositions_, MacroCount());
    ConfigExchange exchange(commandProtocol_);
    if (!exchange.Failed()) exchange.Note(commandProtocol_.WriteKeyTable(image, table));
    return exchange.Finish();
}

int COvantisKeyboardDevice::WriteCurrentKeyTable(int table) {
    return WriteKeyTableFor(table, keyList_);
}

int COvantisKeyboardDevice::WriteMacros(std::span<const int> macros) {
    if (commandProtocol_.IsOpen()) commandProtocol_.ReadDeviceInfo(deviceInfo_);
    const auto folder = DeviceDataFolder();
    if (folder.empty() || macros.empty()) return 0;
    MacroStore store(folder);
    const int known = store.Count();
    // No readable macro list: every macro key falls back to its default.
    if (known == 0) return 0;
    try {
        std::vector<std::vector<MacroEvent>> events;
        events.reserve(macros.size());
        for (int number : macros) {
            // A number the list does not hold keeps its slot, empty.
            events.push_back(number >= 0 && number < known ? store.Read(number)
                                                           : std::vector<MacroEvent>{});
        }
        const std::size_t capacity = deviceInfo_[6] * kMacroUnitBytes;
        if (int over = keyboard::MacroOverflow(keyboard::MacroBlockLength(events), capacity);
            over > 0) {
            return over;
        }
        const auto block = keyboard::BuildMacroBlock(events);
        if (!commandProtocol_.IsOpen()) return 0;
        ConfigExchange exchange(commandProtocol_);
        if (!exchange.Failed()) exchange.Note(commandProtocol_.WriteMacroData(block));
        if (int result = exchange.Finish(); result != kResultOk) {
            // The callers know 0, -1 and counts only; the failure is traced.
            Trace("keyboard macro block not written: " + std::to_string(result));
        }
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

void COvantisKeyboardDevice::ReadPowerStatus() {
    if (!commandProtocol_.IsOpen() || !commandProtocol_.QueryReceiverLink()) return;
    std::array<uint8_t, kPowerBlockSize> block{};
    if (commandProtocol_.ReadPowerBlock(block, 0) != kResultOk) return;
    block[3] = commandProtocol_.ReceiverMode() ? 1 : 0;
    powerStatus_ = block;
    // The page's power display takes the block here once it has one.
}

bool COvantisKeyboardDevice::IsLinked() {
    return commandProtocol_.IsOpen() && commandProtocol_.ReceiverMode() &&
           commandProtocol_.QueryReceiverLink();
}

int COvantisKeyboardDevice::ApplyProfileToDevice(const ShowMessageFn& show) {
    LoadProfile();
    ValidateMacroKeys();
    RefreshPage();
    WriteSettings(0, 0, 1, 0, 0);
    const auto used = CollectUsedMacros();
    const int result = WriteMacros(used);
    if (result > 0) {
        if (show) show("message_text_16", result);
        return result;
    }
    if (result == -1 && show) show("message_text_7", 0);
    WriteCurrentKeyTable(0);
    return result;
}

}  // namespace halvorn
