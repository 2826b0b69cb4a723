#pragma once

// One connected keyboard: its page, its memory map and the translation
// between the profile and that memory (settings blocks, key table with macro
// slots, macro block, key mask, light frames), its software lighting and its
// listener threads.
//
// keyboard_device.cpp holds the page and the profile, keyboard_transfers.cpp
// the transfers, keyboard_listeners.cpp the event listeners;
// keyboard_lighting.cpp the light thread, the effect steps and the frames.

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "models/keyboard_images.h"
#include "models/keyboard_keys.h"
#include "models/lighting/lighting_engine.h"
#include "models/usb_device.h"
#include "models/worker_thread.h"
#include "profile/keyboard_profiledata.h"

namespace halvorn {

namespace keyboard_message {
// Posted by a listener to the device's own loop target.
inline constexpr uint32_t kSyncRequest = 0x0400 + 0x41;  // wParam: the event value
inline constexpr uint32_t kProfileSwitch = 0x0400 + 0x42;
// wParam: the key index, lParam: 1 press, 2 release.
inline constexpr uint32_t kKeyEvent = 0x0400 + 0x43;
}  // namespace keyboard_message

class COvantisKeyboardDevice : public COvantisUSBDevice {
public:
    static constexpr int kListenerStopBoundMs = 500;
    static constexpr int kLightStopBoundMs = 1000;
    static constexpr int kLightWakeMs = 8;

    explicit COvantisKeyboardDevice(hid::Backend& backend);
    ~COvantisKeyboardDevice() override;

    std::string_view GetClass() const override { return "OvantisKeyboardDevice"; }

    // --- The device interface. -------------------------------------------------
    void Initialize() override;
    int ApplyProfile() override;
    void RefreshLightFrame() override;
    int LightRefreshMs() const override;
    void Connect() override;
    void HandleSyncRequest() override;
    void ReadPowerStatus() override;
    bool IsLinked() override;
    int LoadProfile() override;
    void RefreshPage() override;
    void ValidateMacroKeys() override;
    void LoadDefaultProfile() override;
    std::vector<int> CollectUsedMacros() override;
    int WriteKeyTableFor(int table, std::span<const KeyAssignRecord> keys) override;
    int WriteCurrentKeyTable(int table) override;
    int WriteMacros(std::span<const int> macros) override;
    int WriteSettings(int profile, int activeValue, int flag, int width, int height) override;
    void LoadDefaults() override;
    void SetFunctionSwitch(int type) override;
    void LoadProfileFiles() override;
    std::string GetProfileId() const override { return profileUuid_; }
    void SaveProfile() override;
    void SetLightInfo(const LightModeRecord& record) override;
    void SetAudioLightRecord(int a, int b, int c) override;
    void SelectKey(int index) override;
    void AudioSpectrumInput(std::span<const int32_t> values) override;
    void AudioLevelsInput(std::span<const int32_t> values) override;
    void BuildKeyLightMap() override;
    LightModeRecord GetLightInfo() const override;
    bool AttachInputChannel(const std::string& path, uint16_t kind) override;
    void DetachInputChannel(uint16_t kind) override;
    void StopThreads() override;
    void OnDeviceTimer(int id) override;

    // --- The keyboard's own operations. ---------------------------------------
    // The profile the page shows (set by the profile panel).
    void SetProfileUuid(std::string uuid) { profileUuid_ = std::move(uuid); }
    CKeyboardProfiledata& Profile() { return profile_; }
    std::filesystem::path ProfilePath() const;

    // The transfer sequence run when a profile is applied: load, validate,
    // refresh; settings; macros (a positive result shows "message_text_16"
    // with the count and stops, -1 shows "message_text_7" and goes on); key
    // table 0. `show(textId, argument)` shows a message. Returns the macro
    // result.
    using ShowMessageFn = std::function<void(const std::string& textId, int argument)>;
    int ApplyProfileToDevice(const ShowMessageFn& show);

    // Effect 21 only: gives a key the light record's colour, selects it,
    // stores the group in the profile and writes the key mask.
    void ToggleCustomKey(int keyIndex);
    // A key event of the keyboard: position and 1 press / 2 release.
    void KeyEvent(int position, int action);
    // Resets the effect state and runs the current effect's initialiser.
    void RestartEffect();
    // The code the keyboard uses for the current SelectItem.
    int EffectCode() const;
    // The engine's effect number (the effect code of the last restart).
    int CurrentEffect() const { return effectCode_.load(); }

    const keyboard::KeyPositionMap& KeyPositions() const { return keyPositions_; }
    const keyboard::KeyPositionMap& LightPositions() const { return lightPositions_; }
    const std::vector<uint8_t>& DeviceKeyTable() const { return deviceKeyTable_; }
    const std::vector<uint8_t>& KeyAuxTable() const { return keyAuxTable_; }
    const keyboard::SettingsTransfer& LastReadSettings() const { return lastReadSettings_; }
    const std::vector<keyboard::EffectListEntry>& EffectList() const { return effectList_; }
    const std::vector<std::string>& MacroNames() const { return macroNames_; }
    const std::vector<std::string>& AreaNames() const { return areaNames_; }
    const std::vector<std::string>& UserLightNames() const { return userLightNames_; }
    const std::vector<KeyAssignRecord>& KeyList() const { return keyList_; }
    const KeyboardSystemRecord& SystemSettings() const { return system_; }
    uint32_t LastEvent() const { return lastEvent_.load(); }
    int ActiveProfile() const { return activeProfile_.load(); }
    // The last 6-byte power block read with command 0x1A.
    const std::array<uint8_t, 6>& PowerStatus() const { return powerStatus_; }
    bool LightThreadRunning() const { return lightThread_.Running(); }
    int64_t LightThreadCpuNs() { return lightThread_.CpuTimeNs(); }

    // Rebuilds the key buttons' descriptions from the key list.
    void RebuildKeyDescriptions();

    void StartLightThread();
    void StopLightThread();

private:
    // keyboard_lighting.cpp
    void LightThreadBody(std::stop_token stop);
    // One pass per millisecond tick from `from` to `to`.
    void LightPasses(uint64_t from, uint64_t to);
    void LoadCustomKeyColours();
    void WriteKeyMask();
    // keyboard_listeners.cpp, keyboard_transfers.cpp, keyboard_device.cpp
    void ListenerBody(std::stop_token stop, int which);
    void HandleEvent(uint32_t value);
    void ReadSettings();
    void OnDeviceMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    int MacroCount() const;
    void TakeProfileRecords();

    CKeyboardProfiledata profile_;
    std::string profileUuid_;
    keyboard::KeyPositionMap keyPositions_{};
    keyboard::KeyPositionMap lightPositions_{};
    std::vector<uint8_t> deviceKeyTable_;
    std::vector<uint8_t> keyAuxTable_;
    keyboard::SettingsTransfer lastReadSettings_{};
    std::vector<keyboard::EffectListEntry> effectList_;
    std::vector<std::string> macroNames_;
    std::vector<std::string> areaNames_;
    std::vector<std::string> userLightNames_;
    std::vector<KeyAssignRecord> keyList_;
    KeyboardSystemRecord system_;
    AudioLightRecord audioLight_;
    std::atomic<int> activeProfile_{0};
    std::atomic<uint32_t> lastEvent_{0};
    std::array<uint8_t, 6> powerStatus_{};

    // The engine and its inputs, under engineLock (light thread and UI thread).
    mutable std::mutex engineLock_;
    lighting::LightingEngine engine_;
    AudioLightRecord engineAudio_;  // the music style the light thread renders
    std::atomic<int> effectCode_{0};
    WorkerThread lightThread_;
    WorkerThread listeners_[2];  // wired and receiver event interfaces
    std::mutex eventOwner_;      // guards opening and closing of the event channels
};

}  // namespace halvorn
