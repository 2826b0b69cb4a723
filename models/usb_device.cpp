#include "models/usb_device.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "controls/device_key_button.h"
#include "platform/fs/data_folders.h"
#include "platform/trace/trace.h"
#include "platform/ui/paint_manager.h"
#include "profile/text_utils.h"

namespace halvorn {

namespace {

constexpr std::size_t kFrameBytes = 512;
constexpr int kFrameLights = 170;

ui::CTabLayoutUI* FindTab(ui::CControlUI* page, ui::CControlUI*& cache, std::string_view name) {
    if (cache == nullptr) cache = page->FindSubControl(name);
    return dynamic_cast<ui::CTabLayoutUI*>(cache);
}

}  // namespace

class COvantisUSBDevice::LoopTarget : public loop::MessageTarget {
public:
    explicit LoopTarget(COvantisUSBDevice& device) : device_(device) {}
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        device_.OnDeviceMessage(message, wParam, lParam);
        return 0;
    }

private:
    COvantisUSBDevice& device_;
};

COvantisUSBDevice::COvantisUSBDevice(hid::Backend& backend)
    : commandProtocol_(backend), eventProtocol_(backend) {}

COvantisUSBDevice::~COvantisUSBDevice() {
    if (auto* loop = loopPtr_.load(); loop != nullptr && targetId_.load() != 0) {
        loop->RemoveTarget(targetId_.exchange(0));
    }
    if (notifierAdded_ && GetManager() != nullptr) GetManager()->RemoveNotifier(this);
}

void COvantisUSBDevice::Initialize() {
    RegisterDeviceTarget();
    if (lightControlName_.empty()) {
        keyCount_ = 0;
        lightCount_ = 0;
        keyButtons_.clear();
        lightButtons_.clear();
        return;
    }
    picturePanel_ = FindControl(
        [this](ui::CControlUI* c) { return c != this && c->GetClass() == "SelectPanel"; });
    if (picturePanel_ == nullptr) return;
    picturePanel_->FindControl([this](ui::CControlUI* c) {
        auto* button = dynamic_cast<CDeviceKeyButtonUI*>(c);
        if (button == nullptr) return false;
        std::string prefix;
        int index = 0;
        if (SplitNameIndex(button->GetName(), prefix, index)) {
            if (prefix == "key_" && index >= 0 && index < keyCount_) keyButtons_[index] = button;
            if (prefix == "light_" && index >= 0 && index < lightCount_) {
                lightButtons_[index] = button;
            }
        }
        if (SplitNameIndex(button->GetUserData(), prefix, index) && prefix == "light_" &&
            index >= 0 && index < lightCount_) {
            lightButtons_[index] = button;
        }
        return false;
    });
    for (auto* dot : lightButtons_) {
        if (dot == nullptr) continue;
        dot->SetLightState(255, 255, true);
        dot->SetLightState(0xFFFFFF, 255, true);
    }
}

void COvantisUSBDevice::RegisterDeviceTarget() {
    auto* manager = GetManager();
    if (manager == nullptr) return;
    if (!notifierAdded_) {
        manager->AddNotifier(this);
        notifierAdded_ = true;
    }
    if (targetId_.load() != 0) return;
    loopTarget_ = std::make_unique<LoopTarget>(*this);
    loopPtr_.store(&manager->Loop());
    targetId_.store(manager->Loop().AddTarget(loopTarget_.get()));
}

bool COvantisUSBDevice::PostToDevice(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto* loop = loopPtr_.load();
    auto id = targetId_.load();
    return loop != nullptr && id != 0 && loop->Post(id, message, wParam, lParam);
}

void COvantisUSBDevice::OnDeviceMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    (void)message, (void)wParam, (void)lParam;
}

uint64_t COvantisUSBDevice::NowMs() const {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void COvantisUSBDevice::Notify(ui::TNotifyUI& msg) {
    if (msg.sender == nullptr || msg.sender->GetName().empty()) return;
    if (FindSubControl(msg.sender->GetName()) != msg.sender) return;
    Trace("测试成功   、n");
    LoopDispatch(msg);
}

// --- Lighting -----------------------------------------------------------------

LightModeRecord COvantisUSBDevice::LightRecord() const {
    std::lock_guard lock(recordLock_);
    return lightRecord_;
}

void COvantisUSBDevice::StoreLightRecord(const LightModeRecord& record) {
    std::lock_guard lock(recordLock_);
    lightRecord_ = record;
}

LightModeRecord COvantisUSBDevice::GetLightInfo() const { return LightRecord(); }

void COvantisUSBDevice::SetLightInfo(const LightModeRecord& record) { StoreLightRecord(record); }

void COvantisUSBDevice::RunBaseStep(BaseStep step) {
    const auto record = LightRecord();
    const auto now = NowMs();
    WithLeds([&](lighting::LedSpan leds) { step(baseEffect_, record, now, leds); });
}

void COvantisUSBDevice::StepBreathing() { RunBaseStep(lighting::StepBreathing); }
void COvantisUSBDevice::StepBreathingFourColours() {
    RunBaseStep(lighting::StepBreathingFourColours);
}
void COvantisUSBDevice::StepStatic() { RunBaseStep(lighting::StepStatic); }
void COvantisUSBDevice::StepSpectrum() { RunBaseStep(lighting::StepSpectrum); }
void COvantisUSBDevice::StepBlink() { RunBaseStep(lighting::StepBlink); }
void COvantisUSBDevice::StepBlinkFourColours() { RunBaseStep(lighting::StepBlinkFourColours); }

void COvantisUSBDevice::StepOff() {
    WithLeds([](lighting::LedSpan leds) { lighting::StepOff(leds); });
}

void COvantisUSBDevice::RefreshLightFrame() {
    if (!LightControl()) return;
    const auto leds = LedSnapshot();
    std::array<uint8_t, kFrameBytes> frame{};
    for (std::size_t i = 0; i < leds.size(); ++i) {
        const auto& led = leds[i];
        if (i < lightButtons_.size() && lightButtons_[i] != nullptr &&
            lightButtons_[i]->IsVisible()) {
            lightButtons_[i]->SetLightState(LightColorWord(led), led.brightness, true);
        }
        if (i < static_cast<std::size_t>(kFrameLights)) {
            frame[3 * i] = lighting::Scale(led.red, led.brightness);
            frame[3 * i + 1] = lighting::Scale(led.green, led.brightness);
            frame[3 * i + 2] = lighting::Scale(led.blue, led.brightness);
        }
    }
    if (commandProtocol_.ReceiverMode() || lightCount_ == 0) return;
    const auto length = std::min<std::size_t>(3 * static_cast<std::size_t>(lightCount_),
                                              3 * static_cast<std::size_t>(kFrameLights));
    if (commandProtocol_.StreamLightData(std::span(frame).first(length)) != 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

void COvantisUSBDevice::SetLedEntry(int index, const lighting::LedEntry& entry) {
    std::lock_guard lock(ledLock_);
    if (index >= 0 && index < static_cast<int>(ledColours_.size())) ledColours_[index] = entry;
}

lighting::LedEntry COvantisUSBDevice::GetLedEntry(int index) const {
    std::lock_guard lock(ledLock_);
    if (index >= 0 && index < static_cast<int>(ledColours_.size())) return ledColours_[index];
    return {};
}

std::vector<lighting::LedEntry> COvantisUSBDevice::LedSnapshot() const {
    std::lock_guard lock(ledLock_);
    return ledColours_;
}

void COvantisUSBDevice::SetCustomLights(std::vector<lighting::CustomLightEntry> list) {
    std::lock_guard lock(listLock_);
    customLights_ = std::move(list);
}

void COvantisUSBDevice::PlayCustomLights(uint64_t nowMs) {
    std::optional<lighting::CustomLightEntry> entry;
    {
        std::lock_guard lock(listLock_);
        entry = customPlayer_.Current(customLights_);
    }
    if (!entry) {
        StepOff();
        return;
    }
    const int speed = LightRecord().speed;
    WithLeds([&](lighting::LedSpan leds) { customPlayer_.Render(*entry, speed, nowMs, leds); });
    if (customPlayer_.Expired(*entry, nowMs)) {
        std::lock_guard lock(listLock_);
        customPlayer_.Advance(nowMs);
    }
}

void COvantisUSBDevice::SetPerLightRecords(std::vector<LightModeRecord> records, uint64_t nowMs) {
    std::lock_guard lock(reactiveLock_);
    perLightRecords_ = std::move(records);
    if (perLightRecords_.size() > static_cast<std::size_t>(lighting::kKeyLightCount)) {
        perLightRecords_.resize(lighting::kKeyLightCount);
    }
    perLightModes_.Reset(perLightRecords_, nowMs);
    // Inactive breathing and colour-wheel lights are left alone; a list of
    // only those writes nothing and needs no pass.
    perLightInUse_ =
        std::any_of(perLightRecords_.begin(), perLightRecords_.end(), [](const LightModeRecord& r) {
            return r.valid != 0 || r.selectItem == 1 || r.selectItem == 2 || r.selectItem == 4;
        });
}

void COvantisUSBDevice::RunPerLightModes(uint64_t nowMs) {
    std::lock_guard lock(reactiveLock_);
    if (!perLightInUse_) return;
    WithLeds([&](lighting::LedSpan leds) { perLightModes_.Pass(perLightRecords_, nowMs, leds); });
}

void COvantisUSBDevice::FadeReactiveKeys(int key, int effect) {
    std::lock_guard lock(reactiveLock_);
    lighting::FadeReactiveKey(reactive_, key, effect);
}

void COvantisUSBDevice::MarkPressedKeys() {
    std::lock_guard lock(reactiveLock_);
    lighting::MarkPressedKeys(reactive_);
}

void COvantisUSBDevice::RotateWaveRing(bool forward) {
    std::lock_guard lock(reactiveLock_);
    lighting::RotateWaveRing(reactive_, forward);
}

void COvantisUSBDevice::ClearReactiveState() {
    std::lock_guard lock(reactiveLock_);
    lighting::ClearReactiveState(reactive_);
}

// --- Page -----------------------------------------------------------------------

void COvantisUSBDevice::SetFunctionSwitch(int type) {
    functionMode_ = type;
    auto* functions = FindTab(this, functionSwitch_, "device_function_switch");
    auto* keyFunctions = FindTab(this, keyFunctionSwitch_, "device_key_function_switch");
    auto select = [](ui::CTabLayoutUI* tab, int page) {
        if (tab != nullptr) tab->SelectItem(page);
    };
    if (type == 4 && kind_ != device_kind::kKeyboard && kind_ != device_kind::kMouse) type = 7;
    switch (type) {
        case 2:
        case 6:
            select(functions, 0);
            select(keyFunctions, 1);
            break;
        case 3:
        case 8:
            select(functions, 1);
            break;
        case 5:
            select(functions, 2);
            break;
        case 4:
            select(functions, 3);
            break;
        case 7:
            select(functions, 0);
            select(keyFunctions, 2);
            break;
        default:
            select(functions, 0);
            select(keyFunctions, 0);
            break;
    }
}

void COvantisUSBDevice::SetAudioLightRecord(int a, int b, int c) { audioLightRecord_ = {a, b, c}; }

std::array<int, 3> COvantisUSBDevice::GetAudioLightRecord() { return audioLightRecord_; }

void COvantisUSBDevice::SetKeyCount(int count) {
    keyCount_ = std::max(0, count);
    keyButtons_.assign(static_cast<std::size_t>(keyCount_), nullptr);
}

void COvantisUSBDevice::SetLightCount(int count) {
    lightCount_ = std::max(0, count);
    lightButtons_.assign(static_cast<std::size_t>(lightCount_), nullptr);
    {
        std::lock_guard lock(ledLock_);
        ledColours_.assign(static_cast<std::size_t>(lightCount_), {});
    }
    std::lock_guard lock(reactiveLock_);
    perLightRecords_.assign(
        std::min<std::size_t>(static_cast<std::size_t>(lightCount_), lighting::kKeyLightCount), {});
    perLightInUse_ = false;
}

void COvantisUSBDevice::SetBatteryFlag(bool flag) { hasBattery_ = flag; }

void COvantisUSBDevice::SetPowerControl(ui::CControlUI* control) { powerControl_ = control; }

void COvantisUSBDevice::SetIdentity(const InterfaceSlot& slot) {
    identity_ = slot;
    kind_ = slot.kind;
    collectionRole_ = slot.collectionRole;
}

void COvantisUSBDevice::SetLightControl(bool on) {
    lightControl_.store(on ? 1 : 0);
    if (on && kind_ == device_kind::kKeyboard && commandProtocol_.IsOpen()) {
        commandProtocol_.TakeLightControl();
    }
}

void COvantisUSBDevice::SetPowerPollPaused(bool paused) {
    if (hasBattery_) powerPollPaused_.store(paused ? 1 : 0);
}

uint16_t COvantisUSBDevice::FirmwareVersion() const {
    auto& wired = const_cast<ReportProtocol&>(commandProtocol_).WiredChannel();
    return commandProtocol_.IsOpen() && wired.IsOpen() ? wired.GetAttributes().version : 0;
}

std::filesystem::path COvantisUSBDevice::DeviceDataFolder() const {
    if (dataRoot_.empty() || kindName_.empty()) return {};
    auto folder = dataRoot_ / kindName_;
    CreateFolder(folder);
    return folder;
}

std::filesystem::path COvantisUSBDevice::DefaultProfilePath() const {
    if (defaultData_.empty() || kindName_.empty()) return {};
    return defaultData_ / (kindName_ + ".Json");
}

CDeviceKeyButtonUI* COvantisUSBDevice::KeyButton(int index) const {
    return index >= 0 && index < static_cast<int>(keyButtons_.size()) ? keyButtons_[index]
                                                                      : nullptr;
}

CDeviceKeyButtonUI* COvantisUSBDevice::LightButton(int index) const {
    return index >= 0 && index < static_cast<int>(lightButtons_.size()) ? lightButtons_[index]
                                                                        : nullptr;
}

// --- Timers ---------------------------------------------------------------------

void COvantisUSBDevice::StartDeviceTimer(int id, int elapseMs) {
    if (GetManager() == nullptr) return;
    GetManager()->SetTimer(optionEntry_ != nullptr ? optionEntry_ : this, id, elapseMs);
}

void COvantisUSBDevice::StopDeviceTimer(int id) {
    if (GetManager() == nullptr) return;
    GetManager()->KillTimer(optionEntry_ != nullptr ? optionEntry_ : this, id);
}

void COvantisUSBDevice::OnDeviceTimer(int id) {
    switch (id) {
        case device_timer::kRefreshLights:
            RefreshLightFrame();
            break;
        case device_timer::kConnect:
            StopDeviceTimer(id);
            Connect();
            break;
        case device_timer::kSyncRequest:
            StopDeviceTimer(id);
            HandleSyncRequest();
            break;
        case device_timer::kPowerStatus:
            if (!PowerPollPaused()) ReadPowerStatus();
            break;
        default:
            break;
    }
}

void COvantisUSBDevice::DoEvent(ui::UIEvent& event) {
    if (event.type == ui::UIEventType::Timer && event.sender == this) {
        OnDeviceTimer(event.timerId);
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

COvantisUSBDevice* DeviceOf(ui::CControlUI* control) {
    for (auto* c = control; c != nullptr; c = c->GetParent()) {
        if (auto* device = dynamic_cast<COvantisUSBDevice*>(c)) return device;
    }
    return nullptr;
}

}  // namespace halvorn
