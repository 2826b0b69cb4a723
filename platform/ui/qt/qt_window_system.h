#pragma once

// The window system of the program: every WindowImplBase as a Qt Widgets
// window, menus as QMenus, the tray icon as a QSystemTrayIcon, and the
// drop-down lists of combos as pop-up windows. A QApplication must exist
// for the system's whole life, and the system must outlive its frames.

#include <memory>
#include <vector>

#include "platform/ui/qt/qt_image_cache.h"
#include "platform/ui/window.h"

namespace halvorn::ui {

class QtWindowFrame;
class QtComboPopup;
class CControlUI;

class QtWindowSystem : public IWindowSystem {
public:
    QtWindowSystem();
    ~QtWindowSystem() override;
    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    std::unique_ptr<IWindowFrame> CreateFrame(WindowImplBase& window, IWindowFrame* owner) override;
    Size ScreenSize(const IWindowFrame* frame) const override;
    Point CursorPos() const override;
    std::unique_ptr<IMenuView> ShowMenu(CMenuWnd& menu, IWindowFrame* owner, Point at,
                                        unsigned align) override;
    std::unique_ptr<ITrayIcon> CreateTrayIcon(loop::MessageLoop& loop, loop::TargetId owner,
                                              const TrayIconSpec& trayIcon) override;

    QtImageCache& Images() { return images_; }

    // The open drop-down list, or null (one at a time, as the desktop's are).
    QtComboPopup* ActivePopup() const;

    // The frames' side.
    void ShowComboPopup(QtWindowFrame& frame, CControlUI& combo);
    void ClosePopupsOf(const QtWindowFrame& frame);
    void FrameGone(const QtWindowFrame& frame);

private:
    QtImageCache images_;
    std::unique_ptr<QtComboPopup> popup_;
    const QtWindowFrame* popupFrame_ = nullptr;
};

}  // namespace halvorn::ui
