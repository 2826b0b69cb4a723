#include "platform/ui/controls/edit.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>

#include "platform/ui/notify.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {
namespace {

constexpr size_t kMaxCaretStops = 1024;  // longer one-line texts put a click's caret at the end
constexpr unsigned kHorizontalBits = text_align::kCenter | text_align::kRight;
constexpr unsigned kVerticalBits = text_align::kVCenter | text_align::kBottom;

}  // namespace

CEditUI::CEditUI() = default;

void CEditUI::SetText(std::string_view text) {
    CLabelUI::SetText(text);
    buffer_.SetText(GetRawText());
    Invalidate();
}

void CEditUI::SyncBuffer() {
    if (buffer_.Text() != GetRawText()) buffer_.SetText(GetRawText());
}

void CEditUI::SetReadOnly(bool on) {
    readOnly_ = on;
    Invalidate();
}

void CEditUI::SetPasswordMode(bool on) {
    password_ = on;
    Invalidate();
}

void CEditUI::SetNumberRange(long long min, long long max) {
    minNum_ = std::min(min, max);
    maxNum_ = std::max(min, max);
}

void CEditUI::ClearNumberRange() {
    minNum_.reset();
    maxNum_.reset();
}

void CEditUI::SetCaret(size_t caret) {
    SyncBuffer();
    buffer_.SetCaret(caret);
    Invalidate();
}

void CEditUI::SetTipValue(std::string_view tip) {
    tip_ = std::string(tip);
    Invalidate();
}

void CEditUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CLabelUI::SetAttribute(name, value);
    if (images_.SetAttribute(name, value)) {
        Invalidate();
    } else if (name == "maxchar") {
        SetMaxChar(std::max(0, ParseInt(value, maxChar_)));
    } else if (name == "numberonly") {
        SetNumberOnly(ParseBool(value));
    } else if (name == "minnum") {
        SetMinNum(ParseInt(value, 0));
    } else if (name == "maxnum") {
        SetMaxNum(ParseInt(value, 0));
    } else if (name == "readonly") {
        SetReadOnly(ParseBool(value));
    } else if (name == "password") {
        SetPasswordMode(ParseBool(value));
    } else if (name == "passwordchar" && !value.empty()) {
        SetPasswordChar(FirstCodePoint(value));
    } else if (name == "tipvalue") {
        SetTipValue(value);
    } else if (name == "tipvaluecolor") {
        SetTipValueColor(ParseColor(value));
    }
}

void CEditUI::Changed() {
    CLabelUI::SetText(buffer_.Text());  // not our SetText: the caret stays
    Invalidate();
    Notify(notify_type::kTextChanged);
}

bool CEditUI::ApplyNumberRange() {
    SyncBuffer();
    if (!minNum_ && !maxNum_) return false;
    const std::string& text = buffer_.Text();
    if (text.empty()) return false;
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ptr != end) return false;
    if (ec == std::errc::result_out_of_range) {
        value = text[0] == '-' ? LLONG_MIN : LLONG_MAX;
    } else if (ec != std::errc()) {
        return false;
    }
    long long clamped = value;
    if (minNum_ && clamped < *minNum_) clamped = *minNum_;
    if (maxNum_ && clamped > *maxNum_) clamped = *maxNum_;
    if (clamped == value && ec == std::errc()) return false;
    buffer_.SetText(std::to_string(clamped));
    Changed();
    return true;
}

bool CEditUI::TypeChar(char32_t c) {
    if (readOnly_ || c < 0x20 || c == 0x7F) return false;
    if (numberOnly_ && (c < U'0' || c > U'9')) return false;
    if (maxChar_ > 0 && buffer_.Length() >= static_cast<size_t>(maxChar_)) return false;
    return buffer_.Insert(Utf8Encode(c));
}

bool CEditUI::HandleKey(const UIEvent& event) {
    const bool control = (event.modifiers & modifier::kControl) != 0;
    bool moved = false;
    switch (event.key) {
        case key::kBackspace:
            if (!readOnly_ && buffer_.Backspace()) Changed();
            return true;
        case key::kDelete:
            if (!readOnly_ && buffer_.Delete()) Changed();
            return true;
        case key::kLeft:
            moved = buffer_.Left();
            break;
        case key::kRight:
            moved = buffer_.Right();
            break;
        case key::kHome:
            if (control || !multiLine_) {
                buffer_.SetCaret(0);
                moved = true;
            } else {
                moved = buffer_.Home();
            }
            break;
        case key::kEnd:
            if (control || !multiLine_) {
                buffer_.SetCaret(buffer_.Length());
                moved = true;
            } else {
                moved = buffer_.End();
            }
            break;
        case key::kUp:
        case key::kDown:
            if (!multiLine_) return false;
            moved = event.key == key::kUp ? buffer_.Up() : buffer_.Down();
            break;
        case key::kReturn:
            if (multiLine_ && wantReturn_) {
                if (!readOnly_ &&
                    (maxChar_ == 0 || buffer_.Length() < static_cast<size_t>(maxChar_))) {
                    buffer_.Insert("\n");
                    Changed();
                }
            } else {
                ApplyNumberRange();
                Notify(notify_type::kReturn);
            }
            return true;
        default:
            return false;
    }
    if (moved) Invalidate();
    return true;
}

void CEditUI::DoEvent(UIEvent& event) {
    SyncBuffer();
    switch (event.type) {
        case UIEventType::Char:
            if (IsEnabled()) {
                bool shortcut =
                    (event.modifiers & modifier::kControl) && !(event.modifiers & modifier::kAlt);
                if (!shortcut && TypeChar(event.character)) Changed();
                return;
            }
            break;
        case UIEventType::KeyDown:
            if (IsEnabled() && HandleKey(event)) return;
            break;
        case UIEventType::ButtonDown:
        case UIEventType::DoubleClick:
            if (IsEnabled() && GetPos().Contains(event.point)) {
                size_t caret = buffer_.Length();
                if (!caretStops_.empty()) {
                    auto nearest =
                        std::min_element(caretStops_.begin(), caretStops_.end(), [&](int a, int b) {
                            return std::abs(a - event.point.x) < std::abs(b - event.point.x);
                        });
                    caret = static_cast<size_t>(nearest - caretStops_.begin());
                }
                buffer_.SetCaret(caret);
                Invalidate();
            }
            return;
        case UIEventType::SetFocus:
            buffer_.SetCaret(buffer_.Length());
            Invalidate();
            break;
        case UIEventType::KillFocus:
            // Before the window reports "killfocus": handlers see the limited number.
            ApplyNumberRange();
            Invalidate();
            break;
        default:
            break;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::PaintStatusImage(Canvas& canvas) {
    const std::string* image = &images_.normal;
    if (!IsEnabled()) {
        if (!images_.disabled.empty()) image = &images_.disabled;
    } else if (IsFocused() && !images_.focused.empty()) {
        image = &images_.focused;
    } else if (IsHot() && !images_.hot.empty()) {
        image = &images_.hot;
    }
    if (!image->empty()) DrawImage(canvas, *image);
}

std::string CEditUI::ShownText() const {
    if (!password_) return buffer_.Text();
    std::string mask;
    std::string one = Utf8Encode(passwordChar_);
    for (size_t i = 0; i < buffer_.Length(); ++i) mask += one;
    return mask;
}

void CEditUI::PaintText(Canvas& canvas) {
    SyncBuffer();
    FontSpec font = FontOf(*this, GetFont());
    Color color = IsEnabled() ? ColorOr(GetTextColor(), kDefaultTextColor)
                              : ColorOr(GetDisabledTextColor(), kDefaultDisabledTextColor);
    std::string shown = ShownText();
    if (shown.empty() && !tip_.empty()) {
        canvas.DrawText(TextRect(), tip_, font, tipColor_, GetTextAlign());
    }
    if (multiLine_) {
        PaintMultiLine(canvas, shown, font, color);
    } else {
        PaintSingleLine(canvas, shown, font, color);
    }
}

void CEditUI::PaintSingleLine(Canvas& canvas, const std::string& shown, const FontSpec& font,
                              Color color) {
    const Rect r = TextRect();
    const unsigned align = GetTextAlign();
    const int textWidth = shown.empty() ? 0 : canvas.MeasureText(shown, font).cx;
    const int caretX =
        canvas
            .MeasureText(std::string_view(shown).substr(0, Utf8Offset(shown, buffer_.Caret())),
                         font)
            .cx;
    const int room = std::max(0, r.Width());
    int origin = r.left;
    if (textWidth > room) {
        // Too long for the box: left aligned, moved so that the caret stays in view.
        scroll_ =
            std::clamp(scroll_, std::max(0, caretX - room), std::min(caretX, textWidth - room));
        origin = r.left - scroll_;
    } else {
        scroll_ = 0;
        if (align & text_align::kCenter) origin = r.left + (room - textWidth) / 2;
        if (align & text_align::kRight) origin = r.right - textWidth;
    }
    if (!shown.empty()) {
        canvas.PushClip(r);
        Rect where{origin, r.top, std::max(r.right, origin + textWidth + Scaled(4)), r.bottom};
        canvas.DrawText(
            where, shown, font, color,
            (align & ~(kHorizontalBits | text_align::kWordBreak | text_align::kEndEllipsis)) |
                text_align::kSingleLine);
        canvas.PopClip();
    }
    caretStops_.clear();
    size_t length = Utf8Length(shown);
    if (length <= kMaxCaretStops) {
        for (size_t i = 0; i <= length; ++i) {
            std::string_view prefix = std::string_view(shown).substr(0, Utf8Offset(shown, i));
            caretStops_.push_back(origin + (i == 0 ? 0 : canvas.MeasureText(prefix, font).cx));
        }
    }
    if (IsFocused() && IsEnabled() && !readOnly_) {
        int h = std::max(1, font.size);
        int top = r.top;
        if (align & text_align::kVCenter) top = (r.top + r.bottom - h) / 2;
        if (align & text_align::kBottom) top = r.bottom - h;
        int x = origin + caretX;
        canvas.DrawLine({x, top}, {x, top + h}, 1, color);
    }
}

void CEditUI::PaintMultiLine(Canvas& canvas, const std::string& shown, const FontSpec& font,
                             Color color) {
    const Rect r = TextRect();
    caretStops_.clear();
    if (!shown.empty()) {
        canvas.PushClip(r);
        canvas.DrawText(r, shown, font, color, GetTextAlign() & ~kVerticalBits);
        canvas.PopClip();
    }
    if (!IsFocused() || !IsEnabled() || readOnly_) return;
    // The caret follows the text's own lines (wrapped lines are not counted).
    int lineHeight = std::max(1, canvas.MeasureText("Ag", font).cy);
    size_t line = buffer_.CaretLine();
    size_t column = buffer_.CaretColumn();
    size_t caretByte = Utf8Offset(shown, buffer_.Caret());
    size_t lineByte = Utf8Offset(shown, buffer_.Caret() - column);
    int x =
        r.left +
        canvas.MeasureText(std::string_view(shown).substr(lineByte, caretByte - lineByte), font).cx;
    int top = r.top + static_cast<int>(line) * lineHeight;
    canvas.DrawLine({x, top}, {x, top + lineHeight}, 1, color);
}

// ---------------------------------------------------------------------------
// CRichEditUI

CRichEditUI::CRichEditUI() {
    multiLine_ = true;
    wantReturn_ = true;
    SetMaxChar(32767);
    SetTextAlign(text_align::kLeft | text_align::kTop | text_align::kWordBreak);
}

void CRichEditUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CEditUI::SetAttribute(name, value);
    if (name == "multiline") {
        multiLine_ = ParseBool(value);
    } else if (name == "wantreturn") {
        wantReturn_ = ParseBool(value);
    }
}

}  // namespace halvorn::ui
