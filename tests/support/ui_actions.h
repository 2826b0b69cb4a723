#pragma once

// Driving a headless control tree as a user would: a window host that
// records what it is asked, a canvas that records what is drawn, and
// actions that go through CPaintManagerUI::HandleInput exactly as the Qt
// host does (pointer moves, presses and releases at a control's centre,
// key presses, typed characters).

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/loop/fake_loop.h"
#include "platform/ui/builder.h"
#include "platform/ui/canvas.h"
#include "platform/ui/control.h"
#include "platform/ui/controls/combo.h"
#include "platform/ui/controls/option.h"
#include "platform/ui/controls/slider.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_context.h"

namespace halvorn::ui::testing {

// ---------------------------------------------------------------------------
// Hosts and canvases.

class HeadlessHost : public IWindowHost {
public:
    void Invalidate(const Rect& rect) override { invalidated.push_back(rect); }
    void ShowToolTip(std::string_view text, Point at) override {
        toolTip = std::string(text);
        toolTipAt = at;
        toolTipShown = true;
    }
    void HideToolTip() override { toolTipShown = false; }
    void SetCapture(bool on) override { captured = on; }

    std::vector<Rect> invalidated;
    std::string toolTip;
    Point toolTipAt;
    bool toolTipShown = false;
    bool captured = false;
};

struct DrawCall {
    enum class Kind { Fill, FillRound, Gradient, Border, Line, Image, Text, PushClip, PopClip };
    Kind kind = Kind::Fill;
    Rect rect{};
    Color color = 0;
    Color color2 = 0;
    std::string text{};  // the text drawn, or the image file
    ImageSpec image{};
    FontSpec font{};
    unsigned align = 0;
    int width = 0;
};

// Records every call; text measures 1/2 of the font size per code point
// wide and the font size high, images always load.
class RecordingCanvas : public Canvas {
public:
    void FillRect(const Rect& rect, Color color) override {
        calls.push_back({.kind = DrawCall::Kind::Fill, .rect = rect, .color = color});
    }
    void FillRoundRect(const Rect& rect, Size round, Color color) override {
        (void)round;
        calls.push_back({.kind = DrawCall::Kind::FillRound, .rect = rect, .color = color});
    }
    void FillGradient(const Rect& rect, Color top, Color bottom) override {
        calls.push_back(
            {.kind = DrawCall::Kind::Gradient, .rect = rect, .color = top, .color2 = bottom});
    }
    void DrawBorder(const Rect& rect, int width, Color color, Size round) override {
        (void)round;
        calls.push_back(
            {.kind = DrawCall::Kind::Border, .rect = rect, .color = color, .width = width});
    }
    void DrawLine(Point from, Point to, int width, Color color) override {
        calls.push_back({.kind = DrawCall::Kind::Line,
                         .rect = {from.x, from.y, to.x, to.y},
                         .color = color,
                         .width = width});
    }
    bool DrawImage(const Rect& rect, const ImageSpec& image) override {
        calls.push_back(
            {.kind = DrawCall::Kind::Image, .rect = rect, .text = image.file, .image = image});
        return true;
    }
    void DrawText(const Rect& rect, std::string_view utf8, const FontSpec& font, Color color,
                  unsigned align) override {
        calls.push_back({.kind = DrawCall::Kind::Text,
                         .rect = rect,
                         .color = color,
                         .text = std::string(utf8),
                         .font = font,
                         .align = align});
    }
    Size MeasureText(std::string_view utf8, const FontSpec& font) override {
        int points = 0;
        for (unsigned char c : utf8) points += (c & 0xC0) != 0x80;
        return {points * font.size / 2, font.size};
    }
    void PushClip(const Rect& rect) override {
        calls.push_back({.kind = DrawCall::Kind::PushClip, .rect = rect});
    }
    void PopClip() override { calls.push_back({.kind = DrawCall::Kind::PopClip}); }

    std::vector<DrawCall> Of(DrawCall::Kind kind) const {
        std::vector<DrawCall> out;
        for (const DrawCall& call : calls) {
            if (call.kind == kind) out.push_back(call);
        }
        return out;
    }

    std::vector<DrawCall> calls;
};

// ---------------------------------------------------------------------------
// A window without a screen: its loop, context, manager and host.

struct HeadlessUi {
    HeadlessUi() { manager.SetHost(&host); }
    ~HeadlessUi() { manager.SetHost(nullptr); }

    // Builds `xml` as the window's tree and lays it out at `size`; the root,
    // or null (builder.Error() tells why).
    CControlUI* Show(std::string_view xml, Size size = {800, 600},
                     IDialogBuilderCallback* callback = nullptr) {
        std::unique_ptr<CControlUI> root = builder.CreateFromText(xml, callback, manager);
        if (!root) return nullptr;
        manager.AttachDialog(std::move(root));
        manager.SetClientSize(size);
        return manager.GetRoot();
    }

    template <typename T = CControlUI>
    T* Find(std::string_view name) const {
        return dynamic_cast<T*>(manager.FindControl(name));
    }

    std::vector<std::string> RecordedTypes() const {
        std::vector<std::string> types;
        for (const TNotifyUI& n : manager.Recorded()) types.push_back(n.type);
        return types;
    }

    loop::FakeLoop loop;
    UiContext context;
    CPaintManagerUI manager{context, loop};
    HeadlessHost host;
    CDialogBuilder builder;
};

// ---------------------------------------------------------------------------
// Actions. Each returns false when the control is not in a window (or, for
// pointer actions, when the pointer does not land on it or inside it).

inline Point CentreOf(const CControlUI& control) {
    const Rect& r = control.GetPos();
    return {r.left + r.Width() / 2, r.top + r.Height() / 2};
}

// True when the pointer at the control's centre is over the control itself
// or something inside it.
inline bool LandsOn(const CControlUI& control) {
    CPaintManagerUI* manager = control.GetManager();
    if (!manager) return false;
    for (const CControlUI* c = manager->FindControl(CentreOf(control)); c; c = c->GetParent()) {
        if (c == &control) return true;
    }
    return false;
}

inline void Send(CPaintManagerUI& manager, HostInput::Kind kind, Point at = {},
                 uint32_t modifiers = 0) {
    manager.HandleInput({.kind = kind, .point = at, .modifiers = modifiers});
}

inline bool MoveTo(CControlUI& control) {
    CPaintManagerUI* manager = control.GetManager();
    if (!manager) return false;
    Send(*manager, HostInput::Kind::MouseMove, CentreOf(control));
    return LandsOn(control);
}

inline bool Click(CControlUI& control) {
    CPaintManagerUI* manager = control.GetManager();
    if (!manager || !MoveTo(control)) return false;
    const Point at = CentreOf(control);
    Send(*manager, HostInput::Kind::ButtonDown, at);
    Send(*manager, HostInput::Kind::ButtonUp, at);
    return true;
}

// As Qt delivers it: press, release, double-click (a press), release.
inline bool DoubleClick(CControlUI& control) {
    CPaintManagerUI* manager = control.GetManager();
    if (!manager || !Click(control)) return false;
    const Point at = CentreOf(control);
    Send(*manager, HostInput::Kind::DoubleClick, at);
    Send(*manager, HostInput::Kind::ButtonUp, at);
    return true;
}

inline bool RightClick(CControlUI& control) {
    CPaintManagerUI* manager = control.GetManager();
    if (!manager || !MoveTo(control)) return false;
    const Point at = CentreOf(control);
    Send(*manager, HostInput::Kind::RightButtonDown, at);
    Send(*manager, HostInput::Kind::RightButtonUp, at);
    return true;
}

// One notch is 120; positive scrolls away from the user (up).
inline bool Wheel(CControlUI& control, int delta) {
    CPaintManagerUI* manager = control.GetManager();
    if (!manager || !MoveTo(control)) return false;
    manager->HandleInput(
        {.kind = HostInput::Kind::Wheel, .point = CentreOf(control), .wheelDelta = delta});
    return true;
}

// A key press to whatever has the focus.
inline void PressKey(CPaintManagerUI& manager, uint32_t key, uint32_t modifiers = 0) {
    manager.HandleInput({.kind = HostInput::Kind::KeyDown, .key = key, .modifiers = modifiers});
}

// Clicks the control (which focuses it) and types `utf8`, one Char per code point.
inline bool TypeText(CControlUI& control, std::string_view utf8) {
    CPaintManagerUI* manager = control.GetManager();
    if (!manager || !Click(control)) return false;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? lead : lead & (0x3F >> (n - 1));
        for (size_t k = 1; k < n && i + k < utf8.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        manager->HandleInput({.kind = HostInput::Kind::Char, .character = cp});
        i += n;
    }
    return true;
}

// The focus moves away from the control, as when the user clicks a place
// that takes no focus: "killfocus" reaches it.
inline bool Leave(CControlUI& control) {
    CPaintManagerUI* manager = control.GetManager();
    if (!manager || manager->GetFocus() != &control) return false;
    manager->SetFocus(nullptr);
    return true;
}

// Lets `ms` pass on the window's fake loop (timers fire, posts run).
inline void Wait(loop::FakeLoop& loop, int ms) {
    loop.RunPending();
    loop.Advance(std::chrono::milliseconds(ms));
    loop.RunPending();
}

// ---------------------------------------------------------------------------
// Control-specific actions (options, combos, sliders, ...) follow here,
// written with the controls they drive.

// --- Built-in controls (platform/ui/controls) -------------------------------

// Clicks the option; true when it ends up selected (a check box toggles, so
// this is true only when the click ticked it).
inline bool SelectOption(COptionUI& option) { return Click(option) && option.IsSelected(); }

// Opens the combo's drop-down with a click and picks item `index` as the
// window host's pop-up does; true when the item is then the selection.
inline bool PickComboItem(CComboUI& combo, int index) {
    if (!Click(combo) || !combo.IsDroppedDown()) return false;
    combo.PickFromDropDown(index);
    return combo.GetCurSel() == index && !combo.IsDroppedDown();
}

// Where the thumb's centre is when the slider shows `value`.
inline Point SliderPointFor(const CSliderUI& slider, int value) {
    const Rect& r = slider.GetPos();
    const Rect thumb = slider.GetThumbRect();
    const long long span = static_cast<long long>(slider.GetMaxValue()) - slider.GetMinValue();
    const long long part = static_cast<long long>(value) - slider.GetMinValue();
    if (slider.IsHorizontal()) {
        const int travel = r.Width() - thumb.Width();
        const int along = span > 0 ? static_cast<int>((2 * travel * part + span) / (2 * span)) : 0;
        return {r.left + thumb.Width() / 2 + along, (thumb.top + thumb.bottom) / 2};
    }
    const int travel = r.Height() - thumb.Height();
    const int along = span > 0 ? static_cast<int>((2 * travel * part + span) / (2 * span)) : 0;
    return {(thumb.left + thumb.right) / 2, r.bottom - thumb.Height() / 2 - along};
}

// Grabs the thumb, drags it to `value` in `steps` moves and lets go, all
// through HandleInput; true when the slider then shows `value`.
inline bool MoveSlider(CSliderUI& slider, int value, int steps = 4) {
    CPaintManagerUI* manager = slider.GetManager();
    if (!manager) return false;
    const Rect thumb = slider.GetThumbRect();
    const Point from{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    const Point to = SliderPointFor(slider, value);
    Send(*manager, HostInput::Kind::MouseMove, from);
    if (manager->FindControl(from) != &slider) return false;
    Send(*manager, HostInput::Kind::ButtonDown, from);
    for (int i = 1; i <= steps; ++i) {
        const Point at{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        Send(*manager, HostInput::Kind::MouseMove, at);
    }
    Send(*manager, HostInput::Kind::ButtonUp, to);
    return slider.GetValue() == value;
}

}  // namespace halvorn::ui::testing
