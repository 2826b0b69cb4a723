#pragma once

// The base of every device page. A device object is at once the UI page that
// shows one device (a container of the skin, built from the page layout) and
// the owner of that device's two report protocols, its lighting state, its
// identity, its profile files and its worker threads. The main window, the
// device list and the panels drive any device through the virtual
// operations below without knowing its kind.
//
// Threads: the UI thread configures, transfers and paints; the device's
// light thread runs the effect steps; listener threads read the event
// protocol. The per-light colours are guarded by ledLock (a frame is always
// copied whole), the custom light list by listLock and the per-light records
// by reactiveLock.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "device/report_protocol.h"
#include "device/supported_interfaces.h"
#include "models/lighting/base_effects.h"
#include "models/lighting/custom_light_player.h"
#include "models/lighting/led_entry.h"
#include "models/lighting/reactive_keys.h"
#include "platform/loop/message_loop.h"
#include "platform/ui/controls/layouts.h"
#include "platform/ui/notify.h"
#include "profile/profile_records.h"

namespace halvorn {

class CDeviceKeyButtonUI;

// The page timers of a device (run by its entry in the device list).
namespace device_timer {
inline constexpr int kRefreshLights = 1000;  // every 5 ms on the cable, 500 ms on the receiver
inline constexpr int kConnect = 1001;        // once, after attach
inline constexpr int kSyncRequest = 1002;    // once, 50 ms after a sync request
inline constexpr int kPowerStatus = 1005;    // every 5 s with a power display
inline constexpr int kReceiverLinkWatch =
    1007;  // 2 s, then every 3 s on the receiver (the entry's)
}  // namespace device_timer

class COvantisUSBDevice : public ui::CHorizontalLayoutUI, public ui::CNotifyPump {
public:
    static constexpr int kStreamRefreshMs = 5;
    static constexpr int kPreviewRefreshMs = 16;

    explicit COvantisUSBDevice(hid::Backend& backend);
    ~COvantisUSBDevice() override;

    std::string_view GetClass() const override { return "OvantisUSBDevice"; }

    // --- The device interface, in slot order. -------------------------------
    virtual void Initialize();
    virtual int ApplyProfile() { return 0; }
    virtual void StepBreathing();
    virtual void StepBreathingFourColours();
    virtual void StepStatic();
    virtual void StepSpectrum();
    virtual void StepBlink();
    virtual void StepBlinkFourColours();
    virtual void StepOff();
    virtual void RefreshLightFrame();
    virtual void SetLedEntry(int index, const lighting::LedEntry& entry);
    virtual lighting::LedEntry GetLedEntry(int index) const;
    // The period of the light refresh on the cable: 5 ms while frames are
    // streamed, else the picture's 60 Hz.
    virtual int LightRefreshMs() const { return kPreviewRefreshMs; }
    virtual void Connect() {}
    virtual void HandleSyncRequest() {}
    virtual void ReadPowerStatus() {}
    virtual bool IsLinked() { return true; }
    virtual int LoadProfile() { return 0; }
    virtual void RefreshPage() {}
    virtual void ValidateMacroKeys() {}
    virtual void LoadDefaultProfile() {}
    virtual std::vector<int> CollectUsedMacros() { return {}; }
    virtual int WriteKeyTableFor(int table, std::span<const KeyAssignRecord> keys) {
        (void)table;
        (void)keys;
        return 0;
    }
    virtual int WriteCurrentKeyTable(int table) {
        (void)table;
        return 0;
    }
    // 0 written, -1 no memory for the block, n > 0: n - 1 events too many.
    virtual int WriteMacros(std::span<const int> macros) {
        (void)macros;
        return 0;
    }
    // The lighting and game-event handlers pass 0, 0, 1 and the primary
    // screen size; the device classes say which bytes the values fill.
    virtual int WriteSettings(int profile, int activeValue, int flag, int width, int height) {
        (void)profile, (void)activeValue, (void)flag, (void)width, (void)height;
        return 0;
    }
    virtual void LoadDefaults() {}
    virtual void SetKeyTextMap(std::map<int, std::string> map) { keyTextMap_ = std::move(map); }
    virtual void FadeReactiveKeys(int key, int effect);
    virtual void MarkPressedKeys();
    virtual void RotateWaveRing(bool forward);
    virtual void ClearReactiveState();
    virtual void SetFunctionSwitch(int type);
    virtual int GetFunctionSwitch() const { return functionMode_.load(); }
    virtual void LoadProfileFiles() {}
    virtual std::string GetProfileId() const { return {}; }
    virtual void SaveProfile() {}
    virtual void SetDefaultsIndex(int index) { defaultsIndex_ = index; }
    virtual int GetDefaultsIndex() const { return defaultsIndex_; }
    virtual void SetLightInfo(const LightModeRecord& record);
    virtual void SetAudioLightRecord(int a, int b, int c);
    virtual std::array<int, 3> GetAudioLightRecord();
    virtual void SelectKey(int index) { selectedKey_ = index; }
    // Called on the UI thread with the audio companion's data.
    virtual void AudioSpectrumInput(std::span<const int32_t> values) { (void)values; }
    virtual void AudioLevelsInput(std::span<const int32_t> values) { (void)values; }
    // Kind-specific: the key and light maps of the page's own layout element,
    // and the light record.
    virtual void BuildKeyLightMap() {}
    virtual LightModeRecord GetLightInfo() const;

    // --- Configuration (UI thread). ------------------------------------------
    void SetLayoutFile(std::string file) { layoutFile_ = std::move(file); }
    const std::string& LayoutFile() const { return layoutFile_; }
    void SetOwnerWindow(loop::TargetId owner) { ownerWindow_ = owner; }
    loop::TargetId OwnerWindow() const { return ownerWindow_; }
    void SetKeyCount(int count);
    int KeyCount() const { return keyCount_; }
    void SetLightCount(int count);
    int LightCount() const { return lightCount_; }
    void SetOptionIndex(int index) { optionIndex_ = index; }
    int OptionIndex() const { return optionIndex_; }
    void SetBatteryFlag(bool flag);
    bool HasBattery() const { return hasBattery_; }
    // Folders: dataRoot the user data folder ("Halvorn Device"), defaultData
    // the program's "DefaultData"; the device's own folder is dataRoot/kindName.
    void SetDataFolder(std::filesystem::path dataRoot) { dataRoot_ = std::move(dataRoot); }
    void SetDefaultDataFolder(std::filesystem::path folder) { defaultData_ = std::move(folder); }
    void SetKindName(std::string name) { kindName_ = std::move(name); }
    const std::string& KindName() const { return kindName_; }
    std::filesystem::path DeviceDataFolder() const;  // created when missing
    std::filesystem::path DefaultDataFolder() const { return defaultData_; }
    std::filesystem::path DefaultProfilePath() const;  // DefaultData/<kind>.Json
    void SetPowerControl(ui::CControlUI* control);
    ui::CControlUI* PowerControl() const { return powerControl_; }
    void SetIdentity(const InterfaceSlot& slot);
    const InterfaceSlot& Identity() const { return identity_; }
    uint16_t Kind() const { return kind_; }
    void SetLightControlName(std::string name) { lightControlName_ = std::move(name); }
    const std::string& LightControlName() const { return lightControlName_; }
    void SetLightControl(bool on);
    bool LightControl() const { return lightControl_.load() != 0; }
    void SetWindowActive(bool active) { windowActive_.store(active ? 1 : 0); }
    bool WindowActive() const { return windowActive_.load() != 0; }
    void SetPowerPollPaused(bool paused);
    bool PowerPollPaused() const { return powerPollPaused_.load() != 0; }
    void SetSyncLighting(bool on) { syncLighting_.store(on ? 1 : 0); }
    bool SyncLighting() const { return syncLighting_.load() != 0; }
    // The device's entry in the device list: its page timers run there.
    void SetOptionEntry(ui::CControlUI* entry) { optionEntry_ = entry; }
    ui::CControlUI* OptionEntry() const { return optionEntry_; }
    void SetLightPanel(ui::CControlUI* panel) { lightPanel_ = panel; }
    ui::CControlUI* LightPanel() const { return lightPanel_; }
    // The input collections; each device class opens and listens.
    virtual bool AttachInputChannel(const std::string& path, uint16_t kind) {
        (void)path, (void)kind;
        return false;
    }
    virtual void DetachInputChannel(uint16_t kind) { (void)kind; }
    // Stops every thread of the device (teardown; the page stays usable).
    virtual void StopThreads() {}

    ReportProtocol& CommandProtocol() { return commandProtocol_; }
    ReportProtocol& EventProtocol() { return eventProtocol_; }
    // The firmware version of the cable channel; 0 while closed.
    uint16_t FirmwareVersion() const;

    int SelectedKey() const { return selectedKey_; }
    const std::array<uint8_t, ReportProtocol::kInfoSize>& DeviceInfo() const { return deviceInfo_; }
    CDeviceKeyButtonUI* KeyButton(int index) const;
    CDeviceKeyButtonUI* LightButton(int index) const;
    ui::CControlUI* PicturePanel() const { return picturePanel_; }

    // A copy of the per-light colours, taken whole.
    std::vector<lighting::LedEntry> LedSnapshot() const;

    // Starts a page timer on the device's entry (or on the page itself while
    // it has none); OnDeviceTimer runs when it fires. UI thread.
    void StartDeviceTimer(int id, int elapseMs);
    void StopDeviceTimer(int id);
    virtual void OnDeviceTimer(int id);

    // The page's notification receiver (registered with the window in
    // Initialize): notifications from controls inside this page go through
    // the device's notification map, others are ignored.
    void Notify(ui::TNotifyUI& msg) override;

    void DoEvent(ui::UIEvent& event) override;

    static uint8_t PhaseStep(bool forward, uint8_t period, uint8_t phase, uint8_t step) {
        return lighting::PhaseStep(forward, period, phase, step);
    }

protected:
    // Runs fn(std::span<LedEntry>) under ledLock.
    template <typename F>
    auto WithLeds(F&& fn) {
        std::lock_guard lock(ledLock_);
        return fn(lighting::LedSpan(ledColours_));
    }
    template <typename F>
    auto WithLeds(F&& fn) const {
        std::lock_guard lock(ledLock_);
        return fn(std::span<const lighting::LedEntry>(ledColours_));
    }
    using BaseStep = void (*)(lighting::BaseEffectState&, const LightModeRecord&, uint64_t,
                              lighting::LedSpan);
    void RunBaseStep(BaseStep step);
    // The light record under its lock (the light thread reads it each pass).
    LightModeRecord LightRecord() const;
    void StoreLightRecord(const LightModeRecord& record);

    // One pass of the custom light list player and of the per-light modes;
    // run by the light threads of the device classes.
    void PlayCustomLights(uint64_t nowMs);
    void RunPerLightModes(uint64_t nowMs);
    void SetCustomLights(std::vector<lighting::CustomLightEntry> list);
    void SetPerLightRecords(std::vector<LightModeRecord> records, uint64_t nowMs);

    // Posts `message` to the device's own loop target from any thread; the
    // UI thread runs OnDeviceMessage. False before Initialize.
    bool PostToDevice(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    virtual void OnDeviceMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Registers the loop target; Initialize does it once the page has a manager.
    void RegisterDeviceTarget();
    uint64_t NowMs() const;

    ReportProtocol commandProtocol_;
    ReportProtocol eventProtocol_;
    std::array<uint8_t, ReportProtocol::kInfoSize> deviceInfo_{};

    ui::CControlUI* lightPanel_ = nullptr;
    ui::CControlUI* picturePanel_ = nullptr;
    ui::CControlUI* optionEntry_ = nullptr;
    ui::CControlUI* powerControl_ = nullptr;
    ui::CControlUI* functionSwitch_ = nullptr;
    ui::CControlUI* keyFunctionSwitch_ = nullptr;

    std::string layoutFile_;
    loop::TargetId ownerWindow_ = 0;
    std::string lightControlName_;
    std::string kindName_;
    std::filesystem::path dataRoot_;
    std::filesystem::path defaultData_;
    uint16_t kind_ = 0;
    uint16_t collectionRole_ = 0;
    int keyCount_ = 0;
    int lightCount_ = 0;
    int optionIndex_ = -1;
    int selectedKey_ = -1;
    std::atomic<int> functionMode_{1};  // read by the light thread
    int defaultsIndex_ = 0;
    std::vector<CDeviceKeyButtonUI*> keyButtons_;
    std::vector<CDeviceKeyButtonUI*> lightButtons_;
    std::map<int, std::string> keyTextMap_;
    std::array<int, 3> audioLightRecord_{};
    InterfaceSlot identity_;

    std::atomic<int> syncLighting_{0};
    std::atomic<int> lightControl_{1};
    std::atomic<int> windowActive_{1};
    std::atomic<int> powerPollPaused_{0};
    bool hasBattery_ = false;

    // The light thread's data.
    mutable std::mutex ledLock_;
    std::vector<lighting::LedEntry> ledColours_;
    mutable std::mutex recordLock_;
    LightModeRecord lightRecord_;
    lighting::BaseEffectState baseEffect_;  // light thread only
    std::mutex reactiveLock_;
    lighting::ReactiveKeys reactive_;
    std::vector<LightModeRecord> perLightRecords_;
    lighting::PerLightModes perLightModes_;
    bool perLightInUse_ = false;  // some record writes its light
    std::mutex listLock_;
    std::vector<lighting::CustomLightEntry> customLights_;
    lighting::CustomLightPlayer customPlayer_;  // light thread only

private:
    class LoopTarget;
    std::unique_ptr<LoopTarget> loopTarget_;
    std::atomic<loop::MessageLoop*> loopPtr_{nullptr};
    std::atomic<loop::TargetId> targetId_{0};
    bool notifierAdded_ = false;
};

// The colour word of a light dot: red + 256 * green + 65536 * blue.
constexpr uint32_t LightColorWord(const lighting::LedEntry& led) {
    return static_cast<uint32_t>(led.red) | static_cast<uint32_t>(led.green) << 8 |
           static_cast<uint32_t>(led.blue) << 16;
}

// The device page that holds `control`, or null.
COvantisUSBDevice* DeviceOf(ui::CControlUI* control);

}  // namespace halvorn
