// Host input routed to the controls: hot tracking, the pushed control
// (capture), focus on a press, wheel, keys, and the tooltip delay.

#include "platform/ui/paint_manager.h"

namespace halvorn::ui {

void CPaintManagerUI::DispatchEvent(CControlUI* control, UIEvent event) {
    if (!InTree(control)) return;
    event.sender = control;
    control->DoEvent(event);
}

void CPaintManagerUI::SetHot(CControlUI* control) {
    if (control == hot_) return;
    CancelToolTip();
    CControlUI* old = hot_;
    hot_ = control;
    if (old) DispatchEvent(old, {.type = UIEventType::MouseLeave, .point = mouse_});
    // The leave handler may have moved on (or taken the new control away).
    if (control && hot_ == control) {
        DispatchEvent(control, {.type = UIEventType::MouseEnter, .point = mouse_});
    }
}

void CPaintManagerUI::HandleInput(const HostInput& input) {
    DispatchScope scope(*this);
    using Kind = HostInput::Kind;
    const UIEvent base{.point = input.point,
                       .key = input.key,
                       .character = input.character,
                       .wheelDelta = input.wheelDelta,
                       .modifiers = input.modifiers};
    auto event = [&](UIEventType type) {
        UIEvent e = base;
        e.type = type;
        return e;
    };

    switch (input.kind) {
        case Kind::MouseMove: {
            mouse_ = input.point;
            SetHot(FindControl(mouse_));
            // The tooltip waits for the pointer to rest; one shown stays
            // while the pointer is over its control.
            if (!toolTipShown_) StartToolTipTimer();
            if (CControlUI* target = pushed_ ? pushed_ : hot_) {
                DispatchEvent(target, event(UIEventType::MouseMove));
            }
            break;
        }
        case Kind::MouseLeaveWindow:
            SetHot(nullptr);
            CancelToolTip();
            break;
        case Kind::ButtonDown:
        case Kind::DoubleClick:
        case Kind::RightButtonDown: {
            mouse_ = input.point;
            CancelToolTip();
            CControlUI* over = FindControl(mouse_);
            SetHot(over);  // a press may come without a move before it
            Watch target(*this, over);
            if (!over) {
                SetFocus(nullptr);
                break;
            }
            const bool left = input.kind != Kind::RightButtonDown;
            if (left) {
                pushed_ = over;
                if (host_) host_->SetCapture(true);
            }
            SetFocus(over->IsKeyboardEnabled() ? over : nullptr);
            if (!target.get()) break;  // a focus handler took it away
            const UIEventType type = input.kind == Kind::ButtonDown ? UIEventType::ButtonDown
                                     : input.kind == Kind::DoubleClick
                                         ? UIEventType::DoubleClick
                                         : UIEventType::RightButtonDown;
            DispatchEvent(target.get(), event(type));
            break;
        }
        case Kind::ButtonUp: {
            mouse_ = input.point;
            CControlUI* target = pushed_;
            if (!target) break;
            pushed_ = nullptr;
            if (host_) host_->SetCapture(false);
            DispatchEvent(target, event(UIEventType::ButtonUp));
            break;
        }
        case Kind::RightButtonUp: {
            mouse_ = input.point;
            Watch target(*this, FindControl(mouse_));
            if (!target.get()) break;
            DispatchEvent(target.get(), event(UIEventType::RightButtonUp));
            if (target.get()) DispatchEvent(target.get(), event(UIEventType::ContextMenu));
            break;
        }
        case Kind::Wheel: {
            mouse_ = input.point;
            CancelToolTip();
            // The control under the pointer, then (through DoEvent) its
            // parents until one scrolls.
            if (CControlUI* over = FindControl(mouse_)) {
                DispatchEvent(over, event(UIEventType::ScrollWheel));
            }
            break;
        }
        case Kind::KeyDown:
            CancelToolTip();
            if (keyFilter_ && keyFilter_(input.key, input.modifiers)) break;
            if (focus_) DispatchEvent(focus_, event(UIEventType::KeyDown));
            break;
        case Kind::Char:
            if (focus_) DispatchEvent(focus_, event(UIEventType::Char));
            break;
        case Kind::Activate:
            if (input.key == 0) {
                // Deactivated: no button is held any more as far as we know.
                CancelToolTip();
                if (pushed_) {
                    pushed_ = nullptr;
                    if (host_) host_->SetCapture(false);
                }
            }
            break;
    }
}

}  // namespace halvorn::ui
