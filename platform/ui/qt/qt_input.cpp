#include "platform/ui/qt/qt_input.h"

#include <QString>

namespace halvorn::ui {

namespace {

Point ToPoint(const QPointF& point) { return {point.toPoint().x(), point.toPoint().y()}; }

HostInput Mouse(HostInput::Kind kind, const QSinglePointEvent& event) {
    HostInput input;
    input.kind = kind;
    input.point = ToPoint(event.position());
    input.modifiers = ToModifiers(event.modifiers());
    return input;
}

}  // namespace

uint32_t ToKeyCode(int qtKey) {
    // Letters, digits and space share their codes with the characters.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
        qtKey == Qt::Key_Space) {
        return static_cast<uint32_t>(qtKey);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return 0x70 + static_cast<uint32_t>(qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
        case Qt::Key_Backspace:
            return key::kBackspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return key::kTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return key::kReturn;
        case Qt::Key_Escape:
            return key::kEscape;
        case Qt::Key_Left:
            return key::kLeft;
        case Qt::Key_Up:
            return key::kUp;
        case Qt::Key_Right:
            return key::kRight;
        case Qt::Key_Down:
            return key::kDown;
        case Qt::Key_Home:
            return key::kHome;
        case Qt::Key_End:
            return key::kEnd;
        case Qt::Key_Delete:
            return key::kDelete;
        case Qt::Key_PageUp:
            return 0x21;
        case Qt::Key_PageDown:
            return 0x22;
        case Qt::Key_Insert:
            return 0x2D;
        case Qt::Key_Shift:
            return 0x10;
        case Qt::Key_Control:
            return 0x11;
        case Qt::Key_Alt:
            return 0x12;
        default:
            return 0;
    }
}

uint32_t ToModifiers(Qt::KeyboardModifiers modifiers) {
    uint32_t result = 0;
    if (modifiers & Qt::ShiftModifier) result |= modifier::kShift;
    if (modifiers & Qt::ControlModifier) result |= modifier::kControl;
    if (modifiers & Qt::AltModifier) result |= modifier::kAlt;
    return result;
}

std::vector<HostInput> KeyPressInput(const QKeyEvent& event) {
    std::vector<HostInput> inputs;
    const uint32_t modifiers = ToModifiers(event.modifiers());
    if (const uint32_t code = ToKeyCode(event.key())) {
        HostInput down;
        down.kind = HostInput::Kind::KeyDown;
        down.key = code;
        down.modifiers = modifiers;
        inputs.push_back(down);
    }
    // Typed text; with Control held the text is a control code, not typing.
    if (!(event.modifiers() & Qt::ControlModifier)) {
        for (char32_t c : event.text().toUcs4()) {
            if (c < 0x20 || c == 0x7F) continue;
            HostInput typed;
            typed.kind = HostInput::Kind::Char;
            typed.character = c;
            typed.modifiers = modifiers;
            inputs.push_back(typed);
        }
    }
    return inputs;
}

std::vector<HostInput> MousePressInput(const QMouseEvent& event) {
    if (event.button() == Qt::LeftButton) return {Mouse(HostInput::Kind::ButtonDown, event)};
    if (event.button() == Qt::RightButton) return {Mouse(HostInput::Kind::RightButtonDown, event)};
    return {};
}

std::vector<HostInput> MouseReleaseInput(const QMouseEvent& event) {
    if (event.button() == Qt::LeftButton) return {Mouse(HostInput::Kind::ButtonUp, event)};
    if (event.button() == Qt::RightButton) return {Mouse(HostInput::Kind::RightButtonUp, event)};
    return {};
}

std::vector<HostInput> MouseDoubleClickInput(const QMouseEvent& event) {
    if (event.button() == Qt::LeftButton) return {Mouse(HostInput::Kind::DoubleClick, event)};
    if (event.button() == Qt::RightButton) return {Mouse(HostInput::Kind::RightButtonDown, event)};
    return {};
}

HostInput MouseMoveInput(const QMouseEvent& event) {
    return Mouse(HostInput::Kind::MouseMove, event);
}

std::vector<HostInput> WheelInput(const QWheelEvent& event) {
    const int delta = event.angleDelta().y();
    if (delta == 0) return {};
    HostInput input = Mouse(HostInput::Kind::Wheel, event);
    input.wheelDelta = delta;  // 120 a notch, positive away from the user
    return {input};
}

}  // namespace halvorn::ui
