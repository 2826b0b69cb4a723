#include "platform/ui/qt/qt_window_system.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "platform/ui/controls/combo.h"
#include "platform/ui/menu.h"
#include "platform/ui/qt/qt_combo_popup.h"
#include "platform/ui/qt/qt_menu.h"
#include "platform/ui/qt/qt_tray_icon.h"
#include "platform/ui/qt/qt_window_frame.h"

namespace halvorn::ui {

QtWindowSystem::QtWindowSystem() {
    // The program ends by its loop's Quit, not when its last window hides
    // (the main window lives on in the tray).
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

QtWindowSystem::~QtWindowSystem() = default;

std::unique_ptr<IWindowFrame> QtWindowSystem::CreateFrame(WindowImplBase& window,
                                                          IWindowFrame* owner) {
    return std::make_unique<QtWindowFrame>(*this, window, dynamic_cast<QtWindowFrame*>(owner));
}

Size QtWindowSystem::ScreenSize(const IWindowFrame* frame) const {
    QScreen* screen = nullptr;
    if (const auto* qtFrame = dynamic_cast<const QtWindowFrame*>(frame)) {
        if (QWidget* widget = qtFrame->Widget()) screen = widget->screen();
    }
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const QRect geometry = screen->geometry();
    return {geometry.width(), geometry.height()};
}

Point QtWindowSystem::CursorPos() const {
    const QPoint pos = QCursor::pos();
    return {pos.x(), pos.y()};
}

std::unique_ptr<IMenuView> QtWindowSystem::ShowMenu(CMenuWnd& menu, IWindowFrame* owner, Point at,
                                                    unsigned align) {
    QWidget* parent = nullptr;
    if (auto* qtFrame = dynamic_cast<QtWindowFrame*>(owner)) parent = qtFrame->Widget();
    return std::make_unique<QtMenuView>(menu, parent, at, align);
}

std::unique_ptr<ITrayIcon> QtWindowSystem::CreateTrayIcon(loop::MessageLoop& loop,
                                                          loop::TargetId owner,
                                                          const TrayIconSpec& trayIcon) {
    return std::make_unique<QtTrayIcon>(loop, owner, trayIcon);
}

void QtWindowSystem::ClosePopupsOf(const QtWindowFrame& frame) {
    if (popup_ && popupFrame_ == &frame) {
        popup_.reset();
        popupFrame_ = nullptr;
    }
}

void QtWindowSystem::FrameGone(const QtWindowFrame& frame) { ClosePopupsOf(frame); }

}  // namespace halvorn::ui

namespace halvorn::ui {

QtComboPopup* QtWindowSystem::ActivePopup() const {
    return popup_ && popup_->IsOpen() ? popup_.get() : nullptr;
}

namespace {

// Whether `control` is still in the window's tree (compared, never touched).
bool InTree(WindowImplBase& window, const CControlUI* control) {
    CControlUI* root = window.PaintManager().GetRoot();
    return root != nullptr &&
           root->FindControl([control](CControlUI* c) { return c == control; }) != nullptr;
}

}  // namespace

void QtWindowSystem::ShowComboPopup(QtWindowFrame& frame, CControlUI& control) {
    auto* combo = dynamic_cast<CComboUI*>(&control);
    QtFrameWidget* widget = frame.Widget();
    if (combo == nullptr || widget == nullptr || widget->Window() == nullptr) return;
    WindowImplBase& window = *widget->Window();
    CPaintManagerUI& manager = window.PaintManager();
    popup_.reset();
    popupFrame_ = nullptr;

    // Hidden items are not offered; rows map back to the combo's indexes.
    std::vector<std::string> texts;
    std::vector<int> indexes;
    int selectedRow = -1;
    int rowHeight = 0;
    for (int i = 0; i < combo->GetCount(); ++i) {
        CControlUI* item = combo->GetItemAt(i);
        if (item == nullptr || !item->IsVisible()) continue;
        if (i == combo->GetCurSel()) selectedRow = static_cast<int>(indexes.size());
        texts.push_back(item->GetText());
        indexes.push_back(i);
        if (rowHeight == 0 && item->GetFixedHeight() > 0) rowHeight = item->GetFixedHeight();
    }
    if (rowHeight == 0) rowHeight = 30;
    const Rect pos = combo->GetPos();
    const Size box = combo->GetDropBoxSize();
    const int width = box.cx > 0 ? manager.Scale(box.cx) : pos.Width();
    const int maxHeight = box.cy > 0 ? manager.Scale(box.cy) : manager.Scale(150);
    const Point at = frame.ClientToScreen({pos.left, pos.bottom});

    auto pick = [&window, combo, indexes](int row) {
        if (row < 0 || row >= static_cast<int>(indexes.size()) || !InTree(window, combo)) return;
        combo->PickFromDropDown(indexes[static_cast<size_t>(row)]);
    };
    auto closed = [&window, combo] {
        if (InTree(window, combo)) combo->CloseDropDown();
    };
    popup_ = std::make_unique<QtComboPopup>(widget, texts, selectedRow, QPoint(at.x, at.y), width,
                                            manager.Scale(rowHeight), maxHeight, pick, closed);
    popupFrame_ = &frame;
}

}  // namespace halvorn::ui
