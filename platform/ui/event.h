#pragma once

// Input that a window host (the Qt renderer, or a test acting as a user)
// feeds into a paint manager, which routes it to controls as UIEvents.

#include <cstdint>

#include "platform/ui/geometry.h"

namespace halvorn::ui {

class CControlUI;

enum class UIEventType {
    MouseMove,
    MouseEnter,
    MouseLeave,
    ButtonDown,  // left button
    ButtonUp,
    DoubleClick,
    RightButtonDown,
    RightButtonUp,
    ScrollWheel,  // wheelDelta: positive away from the user
    KeyDown,      // key: one of the Key codes below, or a character code
    Char,         // character: one UTF-32 code point typed
    SetFocus,
    KillFocus,
    Timer,  // timerId
    ContextMenu,
};

namespace key {
inline constexpr uint32_t kBackspace = 0x08;
inline constexpr uint32_t kTab = 0x09;
inline constexpr uint32_t kReturn = 0x0D;
inline constexpr uint32_t kEscape = 0x1B;
inline constexpr uint32_t kLeft = 0x25;
inline constexpr uint32_t kUp = 0x26;
inline constexpr uint32_t kRight = 0x27;
inline constexpr uint32_t kDown = 0x28;
inline constexpr uint32_t kHome = 0x24;
inline constexpr uint32_t kEnd = 0x23;
inline constexpr uint32_t kDelete = 0x2E;
}  // namespace key

namespace modifier {
inline constexpr uint32_t kShift = 1;
inline constexpr uint32_t kControl = 2;
inline constexpr uint32_t kAlt = 4;
}  // namespace modifier

struct UIEvent {
    UIEventType type = UIEventType::MouseMove;
    CControlUI* sender = nullptr;
    Point point{};
    uint32_t key = 0;
    char32_t character = 0;
    int wheelDelta = 0;
    uint32_t modifiers = 0;
    int timerId = 0;
};

}  // namespace halvorn::ui
