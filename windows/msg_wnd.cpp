#include "windows/msg_wnd.h"

#include "platform/trace/trace.h"
#include "platform/ui/control.h"
#include "platform/ui/controls/button.h"
#include "platform/ui/event.h"
#include "platform/ui/notify.h"

namespace halvorn {

namespace {

constexpr std::string_view kTitleLabel = "MessageTitle";
constexpr std::string_view kTextLabel = "MessageText";
constexpr std::string_view kConfirmButton = "confirm_btn";
constexpr std::string_view kCancelButton = "cancel_btn";
constexpr std::string_view kCloseButton = "closebtn";

constexpr int kConfirmed = 1;
constexpr int kCancelled = 0;

}  // namespace

CMsgWnd::CMsgWnd(const MessageEnv& env) : WindowImplBase(env.context, env.loop, env.system) {
    using ui::TNotifyUI;
    Pump().On(ui::notify_type::kClick, kConfirmButton, [this](TNotifyUI&) { Close(kConfirmed); });
    Pump().On(ui::notify_type::kClick, kCancelButton, [this](TNotifyUI&) { Close(kCancelled); });
    Pump().On(ui::notify_type::kClick, kCloseButton, [this](TNotifyUI&) { Close(kCancelled); });
    // Frame buttons, when the skin has them. The frame seam has no maximised
    // state, so a "maxbtn" does nothing.
    Pump().On(ui::notify_type::kClick, "minbtn", [this](TNotifyUI&) {
        if (Frame()) Frame()->Minimize();
    });
    Pump().On(ui::notify_type::kClick, "restorebtn", [this](TNotifyUI&) {
        if (Frame()) Frame()->Restore();
    });
}

void CMsgWnd::InitWindow() {
    PaintManager().SetKeyFilter([this](uint32_t key, uint32_t) { return OnKey(key); });
    // Return confirms from the start, as in any message box.
    if (ui::CControlUI* confirm = PaintManager().FindControl(kConfirmButton)) confirm->SetFocus();
}

bool CMsgWnd::OnKey(uint32_t key) {
    if (key == ui::key::kEscape) {
        Close(kCancelled);
        return true;
    }
    // A focused button answers Return itself (cancel_btn cancels).
    if (key == ui::key::kReturn &&
        dynamic_cast<ui::CButtonUI*>(PaintManager().GetFocus()) == nullptr) {
        Close(kConfirmed);
        return true;
    }
    return false;
}

intptr_t CMsgWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                      bool& handled) {
    (void)lParam;
    handled = false;
    if (message == kDpiChangedMessage) {
        Rescale(static_cast<int>(wParam & 0xFFFF));
        CenterWindow();
        handled = true;
    }
    return 0;
}

void CMsgWnd::SetTitle(std::string_view title) {
    if (title.empty()) return;
    if (ui::CControlUI* label = PaintManager().FindControl(kTitleLabel)) {
        label->SetResourceText(false);
        label->SetText(title);
    }
}

void CMsgWnd::SetMessage(std::string_view text, MessageText kind) {
    if (text.empty()) return;
    ui::CControlUI* label = PaintManager().FindControl(kTextLabel);
    if (label == nullptr) return;
    if (kind == MessageText::kKey && !Context().Language().Has(text)) {
        // The key itself is shown: better than an empty box.
        Trace("msgwnd: no text for " + std::string(text));
    }
    label->SetResourceText(kind == MessageText::kKey);
    label->SetText(text);
}

void CMsgWnd::SetButtons(MessageButtons buttons) {
    if (ui::CControlUI* cancel = PaintManager().FindControl(kCancelButton)) {
        cancel->SetVisible(buttons == MessageButtons::kConfirmCancel);
    }
    if (ui::CControlUI* confirm = PaintManager().FindControl(kConfirmButton)) {
        confirm->SetVisible(true);
    }
}

void CMsgWnd::ApplyDpi(int dpi) { Rescale(dpi); }

void CMsgWnd::Rescale(int dpi) {
    if (!Context().SetDpi(dpi)) {
        Trace("MSG_WND DPI SET ERROR");
        dpi = kDefaultDpi;
        Context().SetDpi(dpi);
    }
    dpi_ = dpi;
    const ui::Size size = PaintManager().GetInitSize();
    if (Frame() != nullptr && !IsDestroyed() && size.cx > 0 && size.cy > 0) Frame()->Resize(size);
}

int ShowMessage(const MessageEnv& env, ui::WindowImplBase* parent, std::string_view title,
                std::string_view text, int dpi, MessageText kind, MessageButtons buttons) {
    CMsgWnd window(env);
    if (!window.Create(parent, "msgwnd")) {
        Trace("msgwnd: cannot show " + std::string(text) + ": " + window.CreateError());
        return kCancelled;
    }
    window.SetTitle(title);
    window.SetMessage(text, kind);
    window.ApplyDpi(dpi);
    window.SetButtons(buttons);
    window.CenterWindow();
    // -1: the run ended without an answer.
    return window.ShowModal() == kConfirmed ? kConfirmed : kCancelled;
}

int ShowMessage(ui::WindowImplBase& parent, std::string_view title, std::string_view text, int dpi,
                MessageText kind, MessageButtons buttons) {
    return ShowMessage(MessageEnv::Of(parent), &parent, title, text, dpi, kind, buttons);
}

std::string FormatMessageText(std::string_view format, long long value) {
    std::string out;
    out.reserve(format.size() + 20);
    bool filled = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        if (c == '%' && next == '%') {
            out += '%';
            ++i;
        } else if (c == '%' && !filled && (next == 'd' || next == 'i')) {
            out += std::to_string(value);
            filled = true;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

int ShowFormattedMessage(const MessageEnv& env, ui::WindowImplBase* parent, std::string_view key,
                         long long value, int dpi) {
    if (!env.context.Language().Has(key)) Trace("msgwnd: no text for " + std::string(key));
    const std::string text = FormatMessageText(env.context.Language().Text(key), value);
    return ShowMessage(env, parent, {}, text, dpi, MessageText::kPlain, MessageButtons::kConfirm);
}

}  // namespace halvorn
