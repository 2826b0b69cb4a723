// The keyboard page: construction, the page's buttons, the profile, the
// defaults and the key descriptions. The transfers are in
// keyboard_transfers.cpp, the listeners in keyboard_listeners.cpp, the
// lighting in keyboard_lighting.cpp.

#include "models/keyboard_device.h"

#include <cstring>

#include "controls/device_key_button.h"
#include "device/supported_interfaces.h"
#include "models/key_descriptions.h"
#include "platform/fs/json_file.h"
#include "platform/trace/trace.h"
#include "profile/json_fields.h"
#include "profile/macro_store.h"
#include "profile/profile_list.h"
#include "profile/text_utils.h"

namespace halvorn {

namespace {

constexpr const char* kKindName = "keyboard";
constexpr const char* kKeyLightArea = "keyboard_device_key_light";
constexpr const char* kLightConfigFile = "cavrel_light.config";
constexpr const char* kDefaultLightFile = "default_light.json";
constexpr int kMacroTypeA = 0x70;
constexpr int kMacroTypeB = 0x71;
// SetFunctionSwitch types that enable (1) or disable (2) the Fn key's button.
constexpr int kFunctionKeys = 1;
constexpr int kFunctionKeyAssign = 2;

bool IsMacro(const KeyCode& code) { return code.type == kMacroTypeA || code.type == kMacroTypeB; }

// The record rides in the three 32-bit values of the base class, byte 0 in
// the low byte of the first.
std::array<int, 3> PackAudioRecord(const AudioLightRecord& record) {
    std::array<uint8_t, 12> bytes{};
    std::memcpy(bytes.data(), &record, sizeof(record));
    std::array<int, 3> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        uint32_t v = bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 |
                     static_cast<uint32_t>(bytes[4 * i + 3]) << 24;
        out[i] = static_cast<int>(v);
    }
    return out;
}

AudioLightRecord UnpackAudioRecord(int a, int b, int c) {
    std::array<uint8_t, 12> bytes{};
    const std::array<int, 3> in{a, b, c};
    for (std::size_t i = 0; i < in.size(); ++i) {
        const auto v = static_cast<uint32_t>(in[i]);
        for (std::size_t k = 0; k < 4; ++k) bytes[4 * i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    AudioLightRecord record;
    std::memcpy(&record, bytes.data(), sizeof(record));
    return record;
}

const Json::Value& Row(const Json::Value& doc, const char* member, int row) {
    return ElementOf(MemberOf(doc, member), row);
}

std::string NameOf(const Json::Value& element) { return ReadString(element, "LightName"); }

}  // namespace

COvantisKeyboardDevice::COvantisKeyboardDevice(hid::Backend& backend) : COvantisUSBDevice(backend) {
    SetKindName(kKindName);
    SetLightControlName(kKeyLightArea);
    SetKeyCount(keyboard::kKeyIndexCount);
    SetLightCount(keyboard::kKeyIndexCount);
    keyPositions_.fill(keyboard::kNoPosition);
    lightPositions_.fill(keyboard::kNoPosition);
}

COvantisKeyboardDevice::~COvantisKeyboardDevice() {
    // The threads use this object: they end before any member goes.
    StopThreads();
    std::lock_guard lock(eventOwner_);
    eventProtocol_.WiredChannel().Close();
    eventProtocol_.ReceiverChannel().Close();
}

void COvantisKeyboardDevice::Initialize() {
    COvantisUSBDevice::Initialize();
    if (lightControlName_.empty()) return;
    BuildKeyLightMap();
    // The profile, lighting, macro and key-assignment panels
    // ("DeviceProfileItem", "LightControlItem", "MacroControlItem",
    // "KeySetControlItem") get the device kind and folders here once the
    // page has them.
    LoadDefaults();
    if (profileUuid_.empty()) {
        ProfileList list(DeviceDataFolder(), DefaultProfilePath(), device_kind::kKeyboard);
        list.Init();
        profileUuid_ = list.CurrentUuid();
    }
    profile_.SetDefaultProfilePath(DefaultProfilePath());
    profile_.SetProfilePath(ProfilePath());
}

void COvantisKeyboardDevice::BuildKeyLightMap() {
    ui::CControlUI* area = FindSubControl(lightControlName_);
    if (area == nullptr) area = picturePanel_;
    if (area == nullptr) {
        Trace("keyboard page without " + lightControlName_);
        return;
    }
    area->FindControl([this](ui::CControlUI* c) {
        auto* button = dynamic_cast<CDeviceKeyButtonUI*>(c);
        if (button == nullptr) return false;
        std::string prefix;
        int index = 0;
        if (SplitNameIndex(button->GetName(), prefix, index) && index >= 0) {
            if (prefix == "key_" && index < keyCount_) keyButtons_[index] = button;
            if (prefix == "light_" && index < lightCount_) lightButtons_[index] = button;
        }
        if (SplitNameIndex(button->GetUserData(), prefix, index) && prefix == "light_" &&
            index >= 0 && index < lightCount_) {
            lightButtons_[index] = button;
        }
        return false;
    });
    for (auto* dot : lightButtons_) {
        if (dot != nullptr) dot->SetLightState(0xFFFFFF, 255, true);
    }
}

// --- Profile ---------------------------------------------------------------------

std::filesystem::path COvantisKeyboardDevice::ProfilePath() const {
    if (profileUuid_.empty()) return {};
    const auto folder = DeviceDataFolder();
    return folder.empty() ? folder : folder / (profileUuid_ + ".Json");
}

void COvantisKeyboardDevice::LoadProfileFiles() {
    const auto folder = DeviceDataFolder();
    profile_.SetDefaultProfilePath(DefaultProfilePath());
    profile_.SetProfilePath(ProfilePath());
    if (!folder.empty()) profile_.SetLightConfigPath(folder / kLightConfigFile);
    const auto path = ProfilePath();
    if (path.empty()) {
        Trace("keyboard profile without a file: no UUID or data folder");
    } else {
        profile_.LoadProfile(path);
    }
    if (!folder.empty()) profile_.LoadLightConfig(folder / kLightConfigFile);
}

void COvantisKeyboardDevice::SaveProfile() {
    if (!profile_.SaveProfile()) Trace("keyboard profile not saved");
    // The light configuration is written only once it holds something.
    const auto& config = profile_.LightConfig();
    const auto path = profile_.GetLightConfigPath();
    if (config.isObject() && !path.empty()) profile_.WriteJson(config, path);
}

void COvantisKeyboardDevice::TakeProfileRecords() {
    StoreLightRecord(profile_.GetLightInfo());
    keyList_ = profile_.GetKeyList();
    system_ = profile_.GetSystemStages();
    audioLight_ = profile_.GetAudioLightInfo();
    audioLightRecord_ = PackAudioRecord(audioLight_);
}

int COvantisKeyboardDevice::ApplyProfile() {
    const uint8_t before = LightRecord().selectItem;
    TakeProfileRecords();
    if (LightRecord().selectItem != before || EffectCode() == 21 || EffectCode() != effectCode_) {
        RestartEffect();
    } else {
        std::lock_guard lock(engineLock_);
        engineAudio_ = audioLight_;
    }
    SetCustomLights(lighting::CustomLightEntries(profile_.GetCustomLightEffects()));
    SetPerLightRecords(profile_.GetLightList(), NowMs());
    return 1;
}

int COvantisKeyboardDevice::LoadProfile() {
    LoadProfileFiles();
    return ApplyProfile();
}

void COvantisKeyboardDevice::LoadDefaultProfile() {
    const auto defaults = DefaultProfilePath();
    if (defaults.empty() || profile_.LoadProfile(defaults).isNull()) {
        Trace("keyboard default profile missing");
        return;
    }
    ApplyProfile();
    SaveProfile();
    RefreshPage();
}

int COvantisKeyboardDevice::MacroCount() const {
    const auto folder = DeviceDataFolder();
    return folder.empty() ? 0 : MacroStore(folder).Count();
}

void COvantisKeyboardDevice::ValidateMacroKeys() {
    LoadDefaults();
    const auto macros = static_cast<int>(macroNames_.size());
    bool changed = false;
    for (auto& key : keyList_) {
        if (IsMacro(key.assignment) && key.assignment.high >= macros) {
            key.assignment = key.defaultAssignment;
            changed = true;
        }
    }
    if (!changed) return;
    profile_.SetKeyList(keyList_);
    SaveProfile();
    RebuildKeyDescriptions();
}

void COvantisKeyboardDevice::RefreshPage() {
    LoadDefaults();
    RebuildKeyDescriptions();
    // The lighting, audio and system panels take the records here once the
    // page has them.
}

void COvantisKeyboardDevice::LoadDefaults() {
    const auto folder = DeviceDataFolder();
    macroNames_ = folder.empty() ? std::vector<std::string>{} : MacroStore(folder).Names();

    effectList_.clear();
    areaNames_.clear();
    const Json::Value defaults = ReadJsonValue(DefaultDataFolder() / kDefaultLightFile);
    const Json::Value& effects = Row(defaults, "DefaultLightName", defaultsIndex_);
    if (effects.isArray()) {
        for (const Json::Value& e : effects) {
            keyboard::EffectListEntry entry;
            entry.name = NameOf(e);
            entry.visible = ReadBool(e, "visible") != 0;
            entry.code = ReadInt<int>(e, "value");
            effectList_.push_back(std::move(entry));
        }
    }
    const Json::Value& areas = Row(defaults, "AreaLightName", defaultsIndex_);
    if (areas.isArray()) {
        for (const Json::Value& a : areas) areaNames_.push_back(NameOf(a));
    }

    userLightNames_.clear();
    if (folder.empty()) return;
    const Json::Value config = ReadJsonValue(folder / kLightConfigFile);
    const Json::Value& modes = Row(config, "LightInfo", defaultsIndex_);
    if (modes.isArray()) {
        for (const Json::Value& m : modes) userLightNames_.push_back(NameOf(m));
    }
}

// --- Page operations ------------------------------------------------------------------

void COvantisKeyboardDevice::SetFunctionSwitch(int type) {
    COvantisUSBDevice::SetFunctionSwitch(type);
    if (type != kFunctionKeys && type != kFunctionKeyAssign) return;
    if (auto* fn = KeyButton(keyboard::kFnKeyIndex)) fn->SetEnabled(type == kFunctionKeys);
}

void COvantisKeyboardDevice::SetLightInfo(const LightModeRecord& record) {
    const uint8_t before = LightRecord().selectItem;
    COvantisUSBDevice::SetLightInfo(record);
    profile_.SetLightInfo(record);
    if (record.selectItem != before) RestartEffect();
}

void COvantisKeyboardDevice::SetAudioLightRecord(int a, int b, int c) {
    COvantisUSBDevice::SetAudioLightRecord(a, b, c);
    audioLight_ = UnpackAudioRecord(a, b, c);
    profile_.SetAudioLightInfo(audioLight_);
    std::lock_guard lock(engineLock_);
    engineAudio_ = audioLight_;
}

void COvantisKeyboardDevice::SelectKey(int index) {
    COvantisUSBDevice::SelectKey(index);
    // The key-assignment panel shows the key's assignment here once the page
    // has it.
}

LightModeRecord COvantisKeyboardDevice::GetLightInfo() const { return LightRecord(); }

// --- Key descriptions -----------------------------------------------------------------

void COvantisKeyboardDevice::RebuildKeyDescriptions() {
    // Texts are translated as the page shows them: through its hidden label
    // in language-key mode, so that the page's language applies.
    ui::CControlUI* label = FindSubControl("text_test");
    const keyboard::TranslateFn translate = [label](std::string_view key) {
        if (label == nullptr) return std::string(key);
        label->SetResourceText(true);
        label->SetText(key);
        return label->GetText();
    };
    for (std::size_t k = 0; k < keyList_.size(); ++k) {
        auto* button = KeyButton(static_cast<int>(k));
        if (button == nullptr) continue;
        const auto text = keyboard::DescribeKeyButton(static_cast<int>(k), keyList_[k].assignment,
                                                      macroNames_, translate);
        if (!text) continue;
        // The skin's tooltips have no title line: the text starts with it.
        button->SetToolTip(text->tooltip);
        button->SetKeyDefault(text->keyDefault);
    }
    // The system panel's repeat-delay label and try-out hint are refreshed
    // here once the page has them.
}

}  // namespace halvorn
