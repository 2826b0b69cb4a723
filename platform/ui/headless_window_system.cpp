#include "platform/ui/headless_window_system.h"

#include <algorithm>
#include <utility>

#include "platform/ui/menu.h"

namespace halvorn::ui {

namespace {

std::string SizeText(Size size) { return std::to_string(size.cx) + "x" + std::to_string(size.cy); }

}  // namespace

HeadlessFrame::HeadlessFrame(HeadlessWindowSystem& system, WindowImplBase& window,
                             HeadlessFrame* owner)
    : system_(system), window_(window), owner_(owner) {
    system_.frames_.push_back(this);
}

HeadlessFrame::~HeadlessFrame() {
    std::erase(system_.frames_, this);
    for (HeadlessFrame* frame : system_.frames_) {
        if (frame->owner_ == this) frame->owner_ = nullptr;
    }
}

void HeadlessFrame::Show(bool show, bool activate) {
    if (destroyed_) return;
    shown_ = show;
    active_ = show && activate;
    if (show) minimized_ = false;
    log_.push_back(show ? "show" : "hide");
}

void HeadlessFrame::SetTitle(std::string_view title) {
    title_ = std::string(title);
    log_.push_back("title " + title_);
}

void HeadlessFrame::Resize(Size size) {
    if (destroyed_) return;
    size_ = size;
    log_.push_back("resize " + SizeText(size));
    window_.OnFrameResized(size);
}

void HeadlessFrame::MoveTo(Point topLeft) {
    position_ = topLeft;
    log_.push_back("move " + std::to_string(topLeft.x) + "," + std::to_string(topLeft.y));
}

void HeadlessFrame::Center() {
    Rect around{0, 0, system_.screen_.cx, system_.screen_.cy};
    if (owner_ != nullptr) around = owner_->ScreenRect();
    position_ = {around.left + (around.Width() - size_.cx) / 2,
                 around.top + (around.Height() - size_.cy) / 2};
    log_.push_back("center");
}

Rect HeadlessFrame::ScreenRect() const {
    return {position_.x, position_.y, position_.x + size_.cx, position_.y + size_.cy};
}

void HeadlessFrame::Raise() { log_.push_back("raise"); }

void HeadlessFrame::SetTopmost(bool topmost) {
    topmost_ = topmost;
    log_.push_back(topmost ? "topmost 1" : "topmost 0");
}

void HeadlessFrame::Minimize() {
    minimized_ = true;
    active_ = false;
    log_.push_back("minimize");
}

void HeadlessFrame::Restore() {
    minimized_ = false;
    shown_ = !destroyed_;
    log_.push_back("restore");
}

Point HeadlessFrame::ClientToScreen(Point point) const {
    return {position_.x + point.x, position_.y + point.y};
}

int HeadlessFrame::RunModal() {
    log_.push_back("modal");
    if (!modalEnded_ && !destroyed_) {
        inModal_ = true;
        Show(true, true);
        // A copy: the script may replace the system's script for inner runs.
        if (auto script = system_.modalScript_) script(*this);
        for (int round = 0; !modalEnded_ && round < HeadlessWindowSystem::kModalPumpLimit;
             ++round) {
            if (!system_.PumpOnce()) break;
        }
        inModal_ = false;
    }
    const int result = modalEnded_ ? modalResult_ : -1;  // -1: nothing could end it
    modalEnded_ = false;
    return result;
}

void HeadlessFrame::EndModal(int result) {
    log_.push_back("endmodal " + std::to_string(result));
    modalEnded_ = true;
    modalResult_ = result;
}

void HeadlessFrame::Destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    shown_ = false;
    active_ = false;
    log_.push_back("destroy");
}

void HeadlessFrame::Invalidate(const Rect& rect) {
    (void)rect;
    ++invalidations_;
}

void HeadlessFrame::ShowToolTip(std::string_view text, Point at) {
    (void)at;
    toolTip_ = std::string(text);
}

HeadlessTrayIcon::HeadlessTrayIcon(HeadlessWindowSystem& system, loop::MessageLoop& loop,
                                   loop::TargetId owner, TrayIconSpec trayIcon)
    : system_(system),
      reporter_(loop, owner, std::move(trayIcon)),
      toolTip_(reporter_.Settings().toolTip) {
    system_.trayIcons_.push_back(this);
}

HeadlessTrayIcon::~HeadlessTrayIcon() { std::erase(system_.trayIcons_, this); }

HeadlessWindowSystem::HeadlessWindowSystem(Pump pump) : pump_(std::move(pump)) {}

HeadlessWindowSystem::HeadlessWindowSystem(loop::FakeLoop& loop)
    : pump_([&loop] { return loop.RunPending() > 0; }) {}

HeadlessWindowSystem::~HeadlessWindowSystem() = default;

HeadlessFrame* HeadlessWindowSystem::FrameOf(const WindowImplBase& window) const {
    auto found = std::find_if(frames_.begin(), frames_.end(),
                              [&window](HeadlessFrame* f) { return &f->Window() == &window; });
    return found == frames_.end() ? nullptr : *found;
}

std::unique_ptr<IWindowFrame> HeadlessWindowSystem::CreateFrame(WindowImplBase& window,
                                                                IWindowFrame* owner) {
    return std::make_unique<HeadlessFrame>(*this, window, dynamic_cast<HeadlessFrame*>(owner));
}

Size HeadlessWindowSystem::ScreenSize(const IWindowFrame* frame) const {
    (void)frame;
    return screen_;
}

std::unique_ptr<IMenuView> HeadlessWindowSystem::ShowMenu(CMenuWnd& menu, IWindowFrame* owner,
                                                          Point at, unsigned align) {
    (void)owner;
    menus_.push_back({&menu, at, align});
    return nullptr;
}

std::unique_ptr<ITrayIcon> HeadlessWindowSystem::CreateTrayIcon(loop::MessageLoop& loop,
                                                                loop::TargetId owner,
                                                                const TrayIconSpec& trayIcon) {
    return std::make_unique<HeadlessTrayIcon>(*this, loop, owner, trayIcon);
}

}  // namespace halvorn::ui
