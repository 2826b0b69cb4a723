#pragma once

// Text entry: a one-line edit and a multi-line rich edit.
//
// Typing arrives as Char events (one code point each), editing keys as
// KeyDown (Backspace, Delete, Left, Right, Home, End; Up and Down in a
// multi-line edit; Windows virtual-key codes). Every change the user makes
// sends "textchanged"; SetText does not. Return sends "return", unless a
// multi-line edit wants returns (it then starts a new line). "setfocus" and
// "killfocus" come from the window's focus handling.
//
// Limits: maxchar (code points the user may type, default 255; text set by
// the program is not cut), numberonly (only the digits 0-9 can be typed),
// minnum / maxnum: when the edit loses the focus or Return is pressed, a
// number outside the range is replaced by the nearest limit (with
// "textchanged", before "killfocus" or "return" go out); an empty text or
// one that is no number is left alone for the program to judge.
//
// Attributes (besides the label's): maxchar, numberonly, minnum, maxnum,
// readonly, password, passwordchar, tipvalue, tipvaluecolor, normalimage,
// hotimage, focusedimage, disabledimage; the rich edit also multiline and
// wantreturn.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/controls/label.h"
#include "platform/ui/controls/paint_util.h"
#include "platform/ui/controls/text_edit_buffer.h"

namespace halvorn::ui {

class CEditUI : public CLabelUI {
public:
    CEditUI();
    std::string_view GetClass() const override { return "Edit"; }

    // The caret goes to the end; nothing is reported.
    void SetText(std::string_view text) override;

    int GetMaxChar() const { return maxChar_; }
    void SetMaxChar(int count) { maxChar_ = count; }  // 0: no limit
    bool IsNumberOnly() const { return numberOnly_; }
    void SetNumberOnly(bool on) { numberOnly_ = on; }
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    bool IsPasswordMode() const { return password_; }
    void SetPasswordMode(bool on);
    void SetPasswordChar(char32_t c) { passwordChar_ = c; }

    std::optional<long long> GetMinNum() const { return minNum_; }
    std::optional<long long> GetMaxNum() const { return maxNum_; }
    void SetMinNum(long long value) { minNum_ = value; }
    void SetMaxNum(long long value) { maxNum_ = value; }
    void SetNumberRange(long long min, long long max);
    void ClearNumberRange();
    // Brings a number outside minnum / maxnum to the nearest limit; true
    // (after "textchanged") when the text changed.
    bool ApplyNumberRange();

    size_t GetCaret() const { return buffer_.Caret(); }
    void SetCaret(size_t caret);

    const std::string& GetTipValue() const { return tip_; }
    void SetTipValue(std::string_view tip);
    void SetTipValueColor(Color color) { tipColor_ = color; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UIEvent& event) override;
    void PaintStatusImage(Canvas& canvas) override;
    void PaintText(Canvas& canvas) override;

protected:
    bool multiLine_ = false;
    bool wantReturn_ = false;

private:
    // The text may have been set through the base; take it over.
    void SyncBuffer();
    // A user edit happened: store it and report it.
    void Changed();
    bool TypeChar(char32_t c);
    bool HandleKey(const UIEvent& event);
    void PaintSingleLine(Canvas& canvas, const std::string& shown, const FontSpec& font,
                         Color color);
    void PaintMultiLine(Canvas& canvas, const std::string& shown, const FontSpec& font,
                        Color color);
    std::string ShownText() const;

    TextEditBuffer buffer_;
    int maxChar_ = 255;
    bool numberOnly_ = false;
    bool readOnly_ = false;
    bool password_ = false;
    char32_t passwordChar_ = U'*';
    std::optional<long long> minNum_;
    std::optional<long long> maxNum_;
    std::string tip_;
    Color tipColor_ = 0xFFBAC0C5;
    StateImages images_;
    int scroll_ = 0;               // pixels the one-line text is moved left
    std::vector<int> caretStops_;  // x of every caret position, from the last paint
};

// A multi-line edit; Return starts a new line unless wantreturn is false.
// The tip text (tipvalue, in tipvaluecolor) shows while it is empty.
class CRichEditUI : public CEditUI {
public:
    CRichEditUI();
    std::string_view GetClass() const override { return "RichEdit"; }

    bool IsWantReturn() const { return wantReturn_; }
    void SetWantReturn(bool on) { wantReturn_ = on; }
    bool IsMultiLine() const { return multiLine_; }

    void SetAttribute(std::string_view name, std::string_view value) override;
};

}  // namespace halvorn::ui
