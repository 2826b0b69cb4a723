#include "platform/ui/controls/slider.h"

#include <algorithm>

#include "platform/ui/notify.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {
namespace {

constexpr Color kTrackColor = 0xFFC0C4CC;
constexpr Color kTrackFillColor = 0xFF3A8EE6;
constexpr Color kThumbColor = 0xFFF5F5F5;
constexpr Color kThumbBorderColor = 0xFF8C8C8C;

}  // namespace

void CSliderUI::SetThumbSize(Size size) {
    thumbSize_ = size;
    Invalidate();
}

void CSliderUI::SetThumbImage(std::string_view image) {
    thumb_.normal = std::string(image);
    Invalidate();
}

void CSliderUI::SetThumbHotImage(std::string_view image) {
    thumb_.hot = std::string(image);
    Invalidate();
}

void CSliderUI::SetThumbPushedImage(std::string_view image) {
    thumb_.pushed = std::string(image);
    Invalidate();
}

void CSliderUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CProgressUI::SetAttribute(name, value);
    if (thumb_.SetAttribute(name, value, "thumb")) {
        Invalidate();
    } else if (name == "step") {
        SetChangeStep(ParseInt(value, 1));
    } else if (name == "thumbsize") {
        SetThumbSize(ParseSize(value));
    } else if (name == "sendmove") {
        SetSendMove(ParseBool(value));
    }
}

Rect CSliderUI::GetThumbRect() const {
    const Rect& r = GetPos();
    const int tw = Scaled(thumbSize_.cx);
    const int th = Scaled(thumbSize_.cy);
    const long long span = static_cast<long long>(GetMaxValue()) - GetMinValue();
    const long long part = static_cast<long long>(GetValue()) - GetMinValue();
    if (IsHorizontal()) {
        int travel = std::max(0, r.Width() - tw);
        int left = r.left + (span > 0 ? static_cast<int>(travel * part / span) : 0);
        int top = r.top + (r.Height() - th) / 2;
        return {left, top, left + tw, top + th};
    }
    int travel = std::max(0, r.Height() - th);
    int top = r.bottom - th - (span > 0 ? static_cast<int>(travel * part / span) : 0);
    int left = r.left + (r.Width() - tw) / 2;
    return {left, top, left + tw, top + th};
}

int CSliderUI::ValueAt(Point point) const {
    const Rect& r = GetPos();
    const long long span = static_cast<long long>(GetMaxValue()) - GetMinValue();
    if (span <= 0) return GetMinValue();
    const int thumb = Scaled(IsHorizontal() ? thumbSize_.cx : thumbSize_.cy);
    const int travel = (IsHorizontal() ? r.Width() : r.Height()) - thumb;
    if (travel <= 0) return GetMinValue();
    long long along = IsHorizontal() ? point.x - grabOffset_ - r.left - thumb / 2
                                     : r.bottom - thumb / 2 - (point.y - grabOffset_);
    along = std::clamp<long long>(along, 0, travel);
    return GetMinValue() + static_cast<int>((along * span + travel / 2) / travel);
}

void CSliderUI::MoveTo(int value) {
    int old = GetValue();
    SetValue(value);
    if (GetValue() != old && sendMove_) {
        Notify(notify_type::kMoveValueChanged, GetValue(), old);
    }
}

void CSliderUI::StepBy(int delta) {
    int old = GetValue();
    SetValue(std::clamp(old + delta, GetMinValue(), std::max(GetMinValue(), GetMaxValue())));
    if (GetValue() != old) Notify(notify_type::kValueChanged, GetValue(), old);
}

void CSliderUI::DoEvent(UIEvent& event) {
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::DoubleClick:
            if (IsEnabled() && GetPos().Contains(event.point)) {
                captured_ = true;
                pressValue_ = GetValue();
                Rect thumb = GetThumbRect();
                if (thumb.Contains(event.point)) {
                    grabOffset_ = IsHorizontal() ? event.point.x - (thumb.left + thumb.right) / 2
                                                 : event.point.y - (thumb.top + thumb.bottom) / 2;
                } else {
                    grabOffset_ = 0;
                    MoveTo(ValueAt(event.point));
                }
                Invalidate();
            }
            return;
        case UIEventType::MouseMove:
            if (captured_) {
                MoveTo(ValueAt(event.point));
                return;
            }
            if (bool hot = GetThumbRect().Contains(event.point); hot != thumbHot_) {
                thumbHot_ = hot;
                Invalidate();
            }
            break;
        case UIEventType::ButtonUp:
            if (captured_) {
                SetValue(ValueAt(event.point));
                captured_ = false;
                grabOffset_ = 0;
                Invalidate();
                if (GetValue() != pressValue_) {
                    Notify(notify_type::kValueChanged, GetValue(), pressValue_);
                }
                return;
            }
            break;
        case UIEventType::ScrollWheel:
            if (IsEnabled()) {
                StepBy(event.wheelDelta > 0 ? step_ : -step_);
                return;
            }
            break;
        case UIEventType::KeyDown:
            if (!IsEnabled()) break;
            if (event.key == key::kRight || event.key == key::kUp) {
                StepBy(step_);
                return;
            }
            if (event.key == key::kLeft || event.key == key::kDown) {
                StepBy(-step_);
                return;
            }
            if (event.key == key::kHome || event.key == key::kEnd) {
                StepBy(event.key == key::kHome ? GetMinValue() - GetValue()
                                               : GetMaxValue() - GetValue());
                return;
            }
            break;
        case UIEventType::MouseLeave:
            thumbHot_ = false;
            Invalidate();
            break;
        default:
            break;
    }
    CProgressUI::DoEvent(event);
}

void CSliderUI::PaintStatusImage(Canvas& canvas) {
    const Rect& pos = GetPos();
    const Rect thumb = GetThumbRect();
    const bool plain =
        GetBkImage().empty() && GetBkColor() == 0 && GetForeImage().empty() && GetForeColor() == 0;
    if (plain) {
        // No skin for the bar: a thin track, filled up to the thumb.
        int t = std::max(1, Scaled(2));
        if (IsHorizontal()) {
            int cy = (pos.top + pos.bottom) / 2;
            canvas.FillRect({pos.left, cy - t / 2, pos.right, cy - t / 2 + t}, kTrackColor);
            canvas.FillRect({pos.left, cy - t / 2, (thumb.left + thumb.right) / 2, cy - t / 2 + t},
                            kTrackFillColor);
        } else {
            int cx = (pos.left + pos.right) / 2;
            canvas.FillRect({cx - t / 2, pos.top, cx - t / 2 + t, pos.bottom}, kTrackColor);
            canvas.FillRect(
                {cx - t / 2, (thumb.top + thumb.bottom) / 2, cx - t / 2 + t, pos.bottom},
                kTrackFillColor);
        }
    } else {
        CProgressUI::PaintStatusImage(canvas);
    }
    const std::string& image = thumb_.Pick(IsEnabled(), captured_, thumbHot_, false);
    if (image.empty() || !DrawImageIn(canvas, *this, image, thumb)) {
        Size round{thumb.Width() / 2, thumb.Height() / 2};
        canvas.FillRoundRect(thumb, round, kThumbColor);
        canvas.DrawBorder(thumb, 1, kThumbBorderColor, round);
    }
}

}  // namespace halvorn::ui
