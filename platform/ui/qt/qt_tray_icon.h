#pragma once

// The tray icon over QSystemTrayIcon: a left click reports kLeftButtonUp,
// the context-menu request (right click) kRightButtonUp.

#include <QSystemTrayIcon>
#include <memory>

#include "platform/ui/tray_icon.h"

namespace halvorn::ui {

class QtTrayIcon : public ITrayIcon {
public:
    QtTrayIcon(loop::MessageLoop& loop, loop::TargetId owner, TrayIconSpec trayIcon);
    ~QtTrayIcon() override;

    bool IsShown() const override;
    void SetToolTip(std::string_view text) override;
    std::string ToolTip() const override;
    QSystemTrayIcon& Icon() { return *icon_; }

private:
    TrayIconReporter reporter_;
    std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace halvorn::ui
