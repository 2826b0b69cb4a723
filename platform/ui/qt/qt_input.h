#pragma once

// Qt's input as the paint manager's HostInput: key codes in the desktop's
// numbering (letters and digits as their upper-case characters, arrows,
// editing keys, F-keys), modifiers, and the characters a key press types.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <vector>

#include "platform/ui/paint_manager.h"

namespace halvorn::ui {

// The key code for a Qt key, 0 for keys the tree has no code for.
uint32_t ToKeyCode(int qtKey);
uint32_t ToModifiers(Qt::KeyboardModifiers modifiers);

// KeyDown (when the key has a code) followed by one Char per character typed;
// control characters travel as KeyDown only.
std::vector<HostInput> KeyPressInput(const QKeyEvent& event);
// None for buttons other than left and right.
std::vector<HostInput> MousePressInput(const QMouseEvent& event);
std::vector<HostInput> MouseReleaseInput(const QMouseEvent& event);
std::vector<HostInput> MouseDoubleClickInput(const QMouseEvent& event);
HostInput MouseMoveInput(const QMouseEvent& event);
// None for a wheel event without a vertical part.
std::vector<HostInput> WheelInput(const QWheelEvent& event);

}  // namespace halvorn::ui
