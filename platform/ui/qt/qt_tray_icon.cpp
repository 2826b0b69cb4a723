#include "platform/ui/qt/qt_tray_icon.h"

#include <QIcon>
#include <QString>
#include <utility>

namespace halvorn::ui {

QtTrayIcon::QtTrayIcon(loop::MessageLoop& loop, loop::TargetId owner, TrayIconSpec trayIcon)
    : reporter_(loop, owner, std::move(trayIcon)), icon_(std::make_unique<QSystemTrayIcon>()) {
    const TrayIconSpec& s = reporter_.Settings();
    icon_->setIcon(QIcon(QString::fromStdString(s.icon.string())));
    icon_->setToolTip(QString::fromStdString(s.toolTip));
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger) {
                             reporter_.Report(tray_event::kLeftButtonUp);
                         } else if (reason == QSystemTrayIcon::Context) {
                             reporter_.Report(tray_event::kRightButtonUp);
                         }
                     });
    icon_->show();
}

QtTrayIcon::~QtTrayIcon() {
    icon_->disconnect();
    icon_->hide();
}

bool QtTrayIcon::IsShown() const {
    return QSystemTrayIcon::isSystemTrayAvailable() && icon_->isVisible();
}

void QtTrayIcon::SetToolTip(std::string_view text) {
    icon_->setToolTip(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::string QtTrayIcon::ToolTip() const { return icon_->toolTip().toStdString(); }

}  // namespace halvorn::ui
