#include "app/message_ids.h"

#include "platform/loop/registered_messages.h"

namespace halvorn {

const RegisteredMessages& Registered() {
    static const RegisteredMessages ids = {
        RegisterMessage(message_name::kInstance),
        RegisterMessage(message_name::kSettingsRelay),
        RegisterMessage(message_name::kLightOwnerNotice),
        RegisterMessage(message_name::kLightOwnerRequest),
        RegisterMessage(message_name::kToolQuery),
        RegisterMessage(message_name::kAudioWindow),
    };
    return ids;
}

uint32_t HookMessageId(std::string_view name) {
    for (const HookMessage& m : kHookAndGameMessages) {
        if (m.name == name) return RegisterMessage(name);
    }
    return 0;
}

bool AdmittedFromOutside(uint32_t id) {
    const RegisteredMessages& r = Registered();
    if (id == r.instance || id == r.settingsRelay || id == r.lightOwnerNotice ||
        id == r.toolQuery) {
        return true;
    }
    // Every hook message (WM_HOOK_*, UWM_*) is admitted; the game messages are not.
    for (const HookMessage& m : kHookAndGameMessages) {
        if (!m.name.starts_with("Game_") && RegisterMessage(m.name) == id) return true;
    }
    return false;
}

}  // namespace halvorn
