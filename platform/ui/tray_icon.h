#pragma once

// The icon in the desktop's notification area. It is made through the
// window system (IWindowSystem::CreateTrayIcon) with an icon file, a tooltip
// and a callback message, and reports the user's clicks to its owner by
// posting that message with (icon id, mouse message): kLeftButtonUp for a
// left click, kRightButtonUp for a right click (the context-menu request).
// Destroying the object removes the icon.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "platform/loop/message_loop.h"

namespace halvorn::ui {

namespace tray_event {
inline constexpr intptr_t kLeftButtonUp = 514;
inline constexpr intptr_t kRightButtonUp = 517;
}  // namespace tray_event

struct TrayIconSpec {
    std::filesystem::path icon;  // an image file; a missing one shows the system's default
    std::string toolTip;
    uint32_t callbackMessage = 0;
    uintptr_t id = 0;  // the wParam of the callback
};

class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    // Whether the desktop shows it (false where there is no notification area).
    virtual bool IsShown() const = 0;
    virtual void SetToolTip(std::string_view text) = 0;
    virtual std::string ToolTip() const = 0;
};

// What every tray icon does with a click.
class TrayIconReporter {
public:
    TrayIconReporter(loop::MessageLoop& loop, loop::TargetId owner, TrayIconSpec trayIcon)
        : loop_(loop), owner_(owner), spec_(std::move(trayIcon)) {}
    // False when the owner is gone.
    bool Report(intptr_t mouseMessage) const {
        return loop_.Post(owner_, spec_.callbackMessage, spec_.id, mouseMessage);
    }
    const TrayIconSpec& Settings() const { return spec_; }

private:
    loop::MessageLoop& loop_;
    loop::TargetId owner_;
    TrayIconSpec spec_;
};

}  // namespace halvorn::ui
