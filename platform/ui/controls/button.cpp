#include "platform/ui/controls/button.h"

#include "platform/ui/notify.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

CButtonUI::CButtonUI() {
    SetTextAlign(text_align::kCenter | text_align::kVCenter | text_align::kSingleLine);
}

void CButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CLabelUI::SetAttribute(name, value);
    if (images_.SetAttribute(name, value) || textColors_.SetAttribute(name, value)) {
        Invalidate();
    } else if (name == "foreimage") {
        SetForeImage(value);
    } else if (name == "hotforeimage") {
        hotForeImage_ = std::string(value);
    } else if (name == "hotbkcolor") {
        hotBkColor_ = ParseColor(value);
    } else if (name == "pushedbkcolor") {
        pushedBkColor_ = ParseColor(value);
    }
}

void CButtonUI::SetNormalImage(std::string_view image) {
    images_.normal = std::string(image);
    Invalidate();
}
void CButtonUI::SetHotImage(std::string_view image) {
    images_.hot = std::string(image);
    Invalidate();
}
void CButtonUI::SetPushedImage(std::string_view image) {
    images_.pushed = std::string(image);
    Invalidate();
}
void CButtonUI::SetFocusedImage(std::string_view image) {
    images_.focused = std::string(image);
    Invalidate();
}
void CButtonUI::SetDisabledImage(std::string_view image) {
    images_.disabled = std::string(image);
    Invalidate();
}
void CButtonUI::SetForeImage(std::string_view image) {
    foreImage_ = std::string(image);
    Invalidate();
}

void CButtonUI::DoEvent(UIEvent& event) {
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::DoubleClick:
            if (IsEnabled() && GetPos().Contains(event.point)) {
                captured_ = true;
                pushed_ = true;
                Invalidate();
            }
            return;
        case UIEventType::MouseMove:
            if (captured_) {
                bool over = GetPos().Contains(event.point);
                if (over != pushed_) {
                    pushed_ = over;
                    Invalidate();
                }
                return;
            }
            break;
        case UIEventType::ButtonUp:
            if (captured_) {
                captured_ = false;
                pushed_ = false;
                Invalidate();
                if (GetPos().Contains(event.point)) Activate();
                return;
            }
            break;
        case UIEventType::KeyDown:
            if (IsEnabled() && IsKeyboardEnabled() &&
                (event.key == key::kReturn || event.key == U' ')) {
                Activate();
                return;
            }
            break;
        default:
            break;
    }
    CLabelUI::DoEvent(event);
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    Notify(notify_type::kClick);
    return true;
}

void CButtonUI::PaintButtonImages(Canvas& canvas) {
    const bool enabled = IsEnabled();
    if (enabled && pushed_ && pushedBkColor_ != 0) {
        canvas.FillRect(GetPos(), pushedBkColor_);
    } else if (enabled && IsHot() && hotBkColor_ != 0) {
        canvas.FillRect(GetPos(), hotBkColor_);
    }
    const std::string& image = images_.Pick(enabled, pushed_, IsHot(), IsFocused());
    if (!image.empty()) DrawImage(canvas, image);
    const std::string& fore = IsHot() && !hotForeImage_.empty() ? hotForeImage_ : foreImage_;
    if (!fore.empty()) DrawImage(canvas, fore);
}

void CButtonUI::PaintStatusImage(Canvas& canvas) { PaintButtonImages(canvas); }

Color CButtonUI::StateTextColor() const { return textColors_.Pick(*this, pushed_, IsHot()); }

void CButtonUI::PaintText(Canvas& canvas) { DrawLabelText(canvas, GetText(), StateTextColor()); }

}  // namespace halvorn::ui
