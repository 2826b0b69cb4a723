#include "platform/ui/qt/qt_window_frame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QWindow>
#include <array>
#include <string_view>

#include "platform/ui/qt/qt_canvas.h"
#include "platform/ui/qt/qt_input.h"
#include "platform/ui/qt/qt_window_system.h"

namespace halvorn::ui {

namespace {

QRect ToQRect(const Rect& rect) { return QRect(rect.left, rect.top, rect.Width(), rect.Height()); }
Rect ToRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

// Controls the user works with; a press on anything else in the caption
// area drags the window.
bool TakesClicks(const CControlUI* control) {
    if (control == nullptr) return false;
    static constexpr std::array<std::string_view, 9> kClasses = {
        "Button", "Option", "CheckBox", "Edit", "RichEdit", "Combo", "Slider", "ScrollBar", "Text"};
    const std::string_view cls = control->GetClass();
    for (std::string_view known : kClasses) {
        if (cls == known) return true;
    }
    return cls.ends_with("Button") || cls.ends_with("Option");
}

}  // namespace

QtFrameWidget::QtFrameWidget(WindowImplBase& window, QtImageCache& images, QWidget* parent)
    : QWidget(parent, Qt::Window), window_(&window), images_(images) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setObjectName(QString::fromStdString(window.GetWindowClassName()));
}

void QtFrameWidget::Feed(const HostInput& input) {
    if (window_ != nullptr) window_->PaintManager().HandleInput(input);
}

bool QtFrameWidget::InCaption(QPoint point) const {
    if (window_ == nullptr || !window_->IsFrameless()) return false;
    const CPaintManagerUI& manager = window_->PaintManager();
    const Rect caption = manager.GetCaptionRect();
    // The caption's right edge counts from the window's right edge, as the
    // skin writes it ("0,0,0,36": a strip over the whole width).
    const int left = manager.Scale(caption.left);
    const int right = width() - manager.Scale(caption.right);
    const int top = manager.Scale(caption.top);
    const int bottom = manager.Scale(caption.bottom);
    if (point.x() < left || point.x() >= right || point.y() < top || point.y() >= bottom) {
        return false;
    }
    return !TakesClicks(manager.FindControl(Point{point.x(), point.y()}));
}

void QtFrameWidget::paintEvent(QPaintEvent* event) {
    if (window_ == nullptr) return;
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    UiContext& context = window_->Context();
    QtCanvas canvas(painter, images_, context, context.Dpi() / 96.0);
    window_->PaintManager().Paint(canvas, ToRect(event->rect()));
}

void QtFrameWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    Feed(MouseMoveInput(*event));
}

void QtFrameWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint())) {
        // The desktop moves the window when it can; without a window manager
        // the widget follows the pointer itself.
        if (windowHandle() == nullptr || !windowHandle()->startSystemMove()) {
            dragging_ = true;
            dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
        }
        return;
    }
    for (const HostInput& input : MousePressInput(*event)) Feed(input);
}

void QtFrameWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        return;
    }
    for (const HostInput& input : MouseReleaseInput(*event)) Feed(input);
}

void QtFrameWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint())) return;
    for (const HostInput& input : MouseDoubleClickInput(*event)) Feed(input);
}

void QtFrameWidget::wheelEvent(QWheelEvent* event) {
    for (const HostInput& input : WheelInput(*event)) Feed(input);
}

void QtFrameWidget::keyPressEvent(QKeyEvent* event) {
    for (const HostInput& input : KeyPressInput(*event)) Feed(input);
}

void QtFrameWidget::enterEvent(QEnterEvent* event) {
    (void)event;
    if (window_ != nullptr) window_->HandleMessage(window_message::kMouseHover, 0, 0);
}

void QtFrameWidget::leaveEvent(QEvent* event) {
    (void)event;
    HostInput input;
    input.kind = HostInput::Kind::MouseLeaveWindow;
    Feed(input);
    if (window_ != nullptr) window_->HandleMessage(window_message::kMouseLeave, 0, 0);
}

void QtFrameWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (window_ != nullptr) window_->OnFrameResized({width(), height()});
}

void QtFrameWidget::closeEvent(QCloseEvent* event) {
    // The window decides: the main window only hides itself, others close.
    event->ignore();
    if (window_ != nullptr) window_->HandleMessage(window_message::kClose, 0, 0);
}

void QtFrameWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || window_ == nullptr) return;
    const bool active = isActiveWindow();
    HostInput input;
    input.kind = HostInput::Kind::Activate;
    input.key = active ? 1 : 0;
    Feed(input);
    if (window_ != nullptr) window_->HandleMessage(window_message::kActivate, active ? 1 : 0, 0);
}

bool QtFrameWidget::focusNextPrevChild(bool next) {
    (void)next;
    return false;
}

QtWindowFrame::QtWindowFrame(QtWindowSystem& system, WindowImplBase& window, QtWindowFrame* owner)
    : system_(system), window_(window) {
    QWidget* parent = owner != nullptr ? owner->Widget() : nullptr;
    // Qt owns the widget through its parent, or this frame does (deleteLater
    // in the destructor).
    widget_ = new QtFrameWidget(window, system.Images(), parent);
    if (window.IsFrameless()) widget_->setWindowFlag(Qt::FramelessWindowHint, true);
    const Size minimum = window.PaintManager().GetMinInfo();
    if (minimum.cx > 0 || minimum.cy > 0) widget_->setMinimumSize(minimum.cx, minimum.cy);
    window.PaintManager().AddNotifier(this);
}

QtWindowFrame::~QtWindowFrame() {
    window_.PaintManager().RemoveNotifier(this);
    system_.FrameGone(*this);
    if (modalLoop_) modalLoop_->quit();
    if (widget_) {
        widget_->Detach();
        widget_->hide();
        widget_->deleteLater();
    }
}

void QtWindowFrame::Show(bool show, bool activate) {
    if (!widget_ || destroyed_) return;
    if (!show) {
        widget_->hide();
        return;
    }
    widget_->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (widget_->isMinimized()) {
        widget_->showNormal();
    } else {
        widget_->show();
    }
    if (activate) {
        widget_->raise();
        widget_->activateWindow();
    }
}

bool QtWindowFrame::IsShown() const { return widget_ && !destroyed_ && widget_->isVisible(); }

void QtWindowFrame::SetTitle(std::string_view title) {
    if (widget_) {
        widget_->setWindowTitle(
            QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    }
}

void QtWindowFrame::Resize(Size size) {
    size_ = size;
    if (widget_) widget_->resize(size.cx, size.cy);
}

Size QtWindowFrame::ClientSize() const {
    if (!widget_) return size_;
    return {widget_->width(), widget_->height()};
}

void QtWindowFrame::MoveTo(Point topLeft) {
    if (widget_) widget_->move(topLeft.x, topLeft.y);
}

void QtWindowFrame::Center() {
    if (!widget_) return;
    QRect around;
    QWidget* owner = widget_->parentWidget();
    if (owner != nullptr && owner->isVisible()) {
        around = owner->frameGeometry();
    } else {
        QScreen* screen = owner != nullptr ? owner->screen() : widget_->screen();
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return;
        around = screen->availableGeometry();
    }
    const QSize size = widget_->frameGeometry().size().expandedTo(widget_->size());
    widget_->move(around.center().x() - size.width() / 2, around.center().y() - size.height() / 2);
}

Rect QtWindowFrame::ScreenRect() const {
    if (!widget_) return {};
    return ToRect(widget_->frameGeometry());
}

void QtWindowFrame::Raise() {
    if (!widget_) return;
    widget_->raise();
    widget_->activateWindow();
}

void QtWindowFrame::SetTopmost(bool topmost) {
    if (!widget_) return;
    // Changing a flag hides a shown window: show it again where it was.
    const bool visible = widget_->isVisible();
    const QPoint where = widget_->pos();
    widget_->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible) {
        widget_->move(where);
        widget_->setAttribute(Qt::WA_ShowWithoutActivating, true);
        widget_->show();
    }
}

void QtWindowFrame::Minimize() {
    if (widget_) widget_->showMinimized();
}

bool QtWindowFrame::IsMinimized() const { return widget_ && widget_->isMinimized(); }

void QtWindowFrame::Restore() {
    if (widget_ && !destroyed_) widget_->showNormal();
}

Point QtWindowFrame::ClientToScreen(Point point) const {
    if (!widget_) return point;
    const QPoint global = widget_->mapToGlobal(QPoint(point.x, point.y));
    return {global.x(), global.y()};
}

int QtWindowFrame::RunModal() {
    if (!modalEnded_ && widget_ && !destroyed_) {
        const bool wasVisible = widget_->isVisible();
        if (wasVisible) widget_->hide();  // modality is taken when shown
        widget_->setWindowModality(Qt::ApplicationModal);
        Show(true, true);
        QEventLoop loop;
        modalLoop_ = &loop;
        // Bounded by the user, the window going away, or the program's quit
        // (which ends every nested loop).
        if (!modalEnded_) loop.exec();
        modalLoop_ = nullptr;
        if (widget_) widget_->setWindowModality(Qt::NonModal);
    }
    const int result = modalEnded_ ? modalResult_ : 0;
    modalEnded_ = false;
    return result;
}

void QtWindowFrame::EndModal(int result) {
    modalEnded_ = true;
    modalResult_ = result;
    if (modalLoop_) modalLoop_->quit();
}

void QtWindowFrame::Destroy() {
    destroyed_ = true;
    if (modalLoop_) modalLoop_->quit();
    system_.ClosePopupsOf(*this);
    if (widget_) widget_->hide();
}

void QtWindowFrame::Invalidate(const Rect& rect) {
    if (!widget_) return;
    if (rect.Empty()) {
        widget_->update();
    } else {
        widget_->update(ToQRect(rect));
    }
}

void QtWindowFrame::ShowToolTip(std::string_view text, Point at) {
    if (!widget_ || text.empty()) return;
    QToolTip::showText(widget_->mapToGlobal(QPoint(at.x, at.y)),
                       QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                       widget_.data());
}

void QtWindowFrame::HideToolTip() { QToolTip::hideText(); }

void QtWindowFrame::Notify(TNotifyUI& msg) {
    if (msg.type == notify_type::kDropDown && msg.sender != nullptr) {
        system_.ShowComboPopup(*this, *msg.sender);
    }
}

}  // namespace halvorn::ui
