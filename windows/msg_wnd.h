#pragma once

// The program's modal message box: a title, a text and a confirm button,
// optionally a cancel button. Every confirmation and error shown to the user
// goes through ShowMessage; the texts are language keys of the skin
// ("message_text_7"), so the program holds none of them.
//
// Results: 1 when the user confirmed ("confirm_btn", or Return while no
// button has the focus), 0 for everything else: "cancel_btn", "closebtn",
// Escape, the desktop closing the window, and a window that could not be
// made at all (a question nobody saw is no yes).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/loop/message_loop.h"
#include "platform/ui/ui_context.h"
#include "platform/ui/window.h"

namespace halvorn {

// Whether ShowMessage's text is a language key or the text itself (already
// translated and formatted by the caller).
enum class MessageText { kKey, kPlain };
enum class MessageButtons { kConfirm, kConfirmCancel };

// What a message window is made with: the program's UI context, loop and
// window system (a test's headless ones in tests).
struct MessageEnv {
    ui::UiContext& context;
    loop::MessageLoop& loop;
    ui::IWindowSystem& system;

    static MessageEnv Of(ui::WindowImplBase& window) {
        return {window.Context(), window.Loop(), window.System()};
    }
};

class CMsgWnd : public ui::WindowImplBase {
public:
    // The scale change the desktop reports while the window is open: wParam's
    // low word is the new DPI.
    static constexpr uint32_t kDpiChangedMessage = 0x02E0;
    static constexpr int kDefaultDpi = 96;

    explicit CMsgWnd(const MessageEnv& env);

    std::string GetWindowClassName() const override { return "MsgWnd"; }
    std::string GetSkinFile() const override { return "XML_MSG"; }
    void InitWindow() override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;

    // An empty title keeps the skin's own.
    void SetTitle(std::string_view title);
    // An empty text keeps the skin's own. A key shows its translation, and
    // follows a language switch while the window is open.
    void SetMessage(std::string_view text, MessageText kind);
    void SetButtons(MessageButtons buttons);
    // The UI scale of every window of the process: 96, 120, 144, 168 or 192;
    // any other value is traced and 96 is used. The window takes the
    // layout's size at the new scale.
    void ApplyDpi(int dpi);
    int Dpi() const { return dpi_; }

private:
    bool OnKey(uint32_t key);
    void Rescale(int dpi);

    int dpi_ = kDefaultDpi;
};

// Shows a message modally over `parent` (or on its own without one) and
// returns 1 or 0 as above. `title` may be empty (the skin's title stays).
int ShowMessage(const MessageEnv& env, ui::WindowImplBase* parent, std::string_view title,
                std::string_view text, int dpi, MessageText kind, MessageButtons buttons);
// The same with everything taken from the parent.
int ShowMessage(ui::WindowImplBase& parent, std::string_view title, std::string_view text, int dpi,
                MessageText kind, MessageButtons buttons);

// `format` (a translated text) with its first integer placeholder ("%d" or
// "%i") replaced by `value` and "%%" by "%". Nothing else is interpreted: a
// translation is data, so a stray "%s" stays as written instead of reading
// an argument that is not there. Without a placeholder the text is returned
// as it is.
std::string FormatMessageText(std::string_view format, long long value);

// The message of `key` with its integer filled in, confirm button only: how
// callers report a failure code ("message_text_16").
int ShowFormattedMessage(const MessageEnv& env, ui::WindowImplBase* parent, std::string_view key,
                         long long value, int dpi);

}  // namespace halvorn
