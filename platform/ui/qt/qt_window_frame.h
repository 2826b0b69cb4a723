#pragma once

// One window of the control tree as a real Qt window. The widget paints the
// tree with a QtCanvas and feeds the user's input to the window's paint
// manager (HandleInput); the frame answers what the window asks of it. A
// frameless window (the skin draws its own title bar) is moved by dragging
// its caption area.
//
// Lifetimes: the frame belongs to its WindowImplBase. The widget belongs to
// the frame, or to the owner's widget when there is an owner (Qt deletes
// child windows with their parent; the frame then goes inert). It is
// deleted later, never inside one of its own event handlers, so a handler
// may close or even delete its window.

#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include "platform/ui/notify.h"
#include "platform/ui/window.h"

namespace halvorn::ui {

class QtWindowSystem;
class QtImageCache;

class QtFrameWidget : public QWidget {
public:
    QtFrameWidget(WindowImplBase& window, QtImageCache& images, QWidget* parent);
    void Detach() { window_ = nullptr; }
    WindowImplBase* Window() const { return window_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;  // Tab is the tree's key

private:
    void Feed(const HostInput& input);
    bool InCaption(QPoint point) const;

    WindowImplBase* window_;
    QtImageCache& images_;
    bool dragging_ = false;
    QPoint dragOffset_;
};

class QtWindowFrame : public IWindowFrame, private INotifyUI {
public:
    QtWindowFrame(QtWindowSystem& system, WindowImplBase& window, QtWindowFrame* owner);
    ~QtWindowFrame() override;
    QtWindowFrame(const QtWindowFrame&) = delete;
    QtWindowFrame& operator=(const QtWindowFrame&) = delete;

    void Show(bool show, bool activate) override;
    bool IsShown() const override;
    void SetTitle(std::string_view title) override;
    void Resize(Size size) override;
    Size ClientSize() const override;
    void MoveTo(Point topLeft) override;
    void Center() override;
    Rect ScreenRect() const override;
    void Raise() override;
    void SetTopmost(bool topmost) override;
    void Minimize() override;
    bool IsMinimized() const override;
    void Restore() override;
    Point ClientToScreen(Point point) const override;
    int RunModal() override;
    void EndModal(int result) override;
    void Destroy() override;

    void Invalidate(const Rect& rect) override;
    void ShowToolTip(std::string_view text, Point at) override;
    void HideToolTip() override;
    void SetCapture(bool capture) override { captured_ = capture; }
    bool IsCaptured() const { return captured_; }

    // Null once Qt deleted it with its owner.
    QtFrameWidget* Widget() const { return widget_.data(); }

private:
    // Watches for combos dropping down, to show their lists.
    void Notify(TNotifyUI& msg) override;

    QtWindowSystem& system_;
    WindowImplBase& window_;
    QPointer<QtFrameWidget> widget_;
    QPointer<QEventLoop> modalLoop_;
    Size size_;
    bool modalEnded_ = false;
    int modalResult_ = 0;
    bool captured_ = false;
    bool destroyed_ = false;
};

}  // namespace halvorn::ui
