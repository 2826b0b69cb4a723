#pragma once

// Every message identifier that crosses a window or process boundary.

#include <array>
#include <cstdint>
#include <string_view>

namespace halvorn {

// The name that identifies the program: the registered instance message, the
// main window's title, the tray tooltip and the settings key.
inline constexpr std::string_view kProgramName = "Halvorn Device";

// Names of the registered messages exchanged with other processes.
namespace message_name {
inline constexpr std::string_view kInstance = kProgramName;
inline constexpr std::string_view kSettingsRelay = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr std::string_view kLightOwnerNotice = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr std::string_view kLightOwnerRequest = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr std::string_view kToolQuery = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
// Note the E before the 19: the audio window's GUID differs in one more digit.
inline constexpr std::string_view kAudioWindow = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";
}  // namespace message_name

// The five GUID-named messages, in the order they are registered at start-up.
inline constexpr std::array<std::string_view, 5> kGuidMessageNames = {
    message_name::kSettingsRelay, message_name::kLightOwnerNotice, message_name::kLightOwnerRequest,
    message_name::kToolQuery, message_name::kAudioWindow};

struct HookMessage {
    std::string_view name;
    bool handled;  // the main window acts on it; the others are only admitted
};

// Posted by the input-hook layer and by companion programs. The list names
// "UWM_MOUSERBUTTONDOWN_USER_MSG" twice; both entries hold one identifier.
inline constexpr std::array<HookMessage, 24> kHookAndGameMessages = {{
    {"WM_HOOK_KEY_SINGLEKEY_MSG", true},
    {"WM_HOOK_KEY_HITKEY_MSG", false},
    {"WM_HOOK_KEY_KBMACRO_MSG", true},
    {"WM_HOOK_KEY_KBMACROSINGLE_MSG", true},
    {"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", true},
    {"WM_HOOK_KEY_KBMACROLATER_MSG", true},
    {"WM_HOOK_KEY_MSMACRO_MSG", true},
    {"WM_HOOK_KEY_MSMACROSINGLE_MSG", true},
    {"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", true},
    {"WM_HOOK_KEY_MSMACROLATER_MSG", true},
    {"WM_HOOK_MOU_SINGLEKEY_MSG", false},
    {"WM_HOOK_MOU_HITKEY_MSG", false},
    {"WM_HOOK_MOU_KBMACRO_MSG", false},
    {"WM_HOOK_MOU_MSMACRO_MSG", false},
    {"UWM_MOUSERBUTTONDOWN_USER_MSG", false},
    {"UWM_MOUSELBUTTONUP_USER_MSG", false},
    {"UWM_MOUSELBUTTONDOWN_USER_MSG", false},
    {"UWM_MOUSERBUTTONDOWN_USER_MSG", false},
    {"UWM_MOUSERBUTTONUP_USER_MSG", false},
    {"UWM_MOUSEMOVE_USER_MSG", false},
    {"Game_Start", true},
    {"Game_End", true},
    {"Game_Kill", true},
    {"Game_Death", true},
}};

// Numeric private messages; other windows of the program post them by number.
namespace message {
inline constexpr uint32_t kUser = 0x0400;             // first private number
inline constexpr uint32_t kTrayIcon = kUser + 1;      // 1025: icon id / mouse message
inline constexpr uint32_t kHookControl = kUser + 30;  // 1054: 1 install, 0 remove hooks
inline constexpr uint32_t kMenuClick = kUser + 121;   // 1145: chosen menu item record
inline constexpr uint32_t kDpiTrace = kUser + 200;    // 1224: trace only
inline constexpr uint32_t kShowProgress = 3072;
inline constexpr uint32_t kSetLanguage = 3089;    // language index / 0
inline constexpr uint32_t kDeviceArrived = 3090;  // slot index / 0, blocking send
inline constexpr uint32_t kDeviceRemoved = 3091;  // slot index / 0, blocking send
inline constexpr uint32_t kShowSettings = 3093;
inline constexpr uint32_t kUpdateSeen = 3094;
inline constexpr uint32_t kDeviceProfileChanged = 3328;  // profile value / 0; no action
inline constexpr uint32_t kPowerRead = 3329;             // battery level / 0; no action
inline constexpr uint32_t kReserved3330 = 3330;          // accepted, no action
inline constexpr uint32_t kDeviceOption = 3331;          // option index / 0 drop, 1 select
}  // namespace message

// Tray callback mouse messages.
inline constexpr uint32_t kTrayLeftButtonUp = 514;
inline constexpr uint32_t kTrayRightButtonUp = 517;

// The registered identifiers, computed once per process.
struct RegisteredMessages {
    uint32_t instance;
    uint32_t settingsRelay;
    uint32_t lightOwnerNotice;
    uint32_t lightOwnerRequest;
    uint32_t toolQuery;
    uint32_t audioWindow;
};
const RegisteredMessages& Registered();

// The identifier of a hook or game message by name; 0 when unknown.
uint32_t HookMessageId(std::string_view name);

// Whether a registered message is admitted from lower-privileged senders.
bool AdmittedFromOutside(uint32_t id);

}  // namespace halvorn
