#include "controls/hand_img_select_button.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/ui/image_size.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_text.h"

namespace halvorn {

namespace {

constexpr std::array<std::string_view, 14> kCursors = {
    "arrow",    "ibeam",    "wait",   "cross",  "uparrow", "size", "icon",
    "sizenwse", "sizenesw", "sizewe", "sizens", "sizeall", "no",   "hand"};

// One step of one axis: the view follows the pointer from `last` to `now`.
void PanAxis(int now, int last, int extent, int& low, int& high) {
    if (now < last) {
        if (high < extent) {
            low += last - now;
            high += last - now;
        }
    } else if (low > 0) {
        // Never before the image's start, and the view keeps its size.
        const int step = std::min(now - last, low);
        low -= step;
        high -= step;
    }
}

}  // namespace

void CHandImgSelectButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ui::AsciiLower(rawName);
    // The base keeps every attribute's text; it acts on none of these.
    CButtonUI::SetAttribute(name, value);
    if (name == "handimage") {
        SetHandImage(value);
    } else if (name == "cursor" && !value.empty()) {
        const std::string shape = ui::AsciiLower(ui::TrimSpace(value));
        if (std::find(kCursors.begin(), kCursors.end(), shape) != kCursors.end()) cursor_ = shape;
    }
}

void CHandImgSelectButtonUI::SetHandImage(std::string_view fileName) {
    imageName_ = std::string(fileName);
    imageSize_ = {};
    source_ = {};
    drawString_.clear();
    LoadImage();
    Invalidate();
}

void CHandImgSelectButtonUI::LoadImage() {
    if (imageName_.empty() || !manager_) return;
    const std::optional<ui::Size> size =
        ui::ReadImageSize(manager_->Context().SkinPath(ui::TrimSpace(imageName_)));
    if (!size) return;
    imageSize_ = *size;
    ResetSource();
}

ui::Size CHandImgSelectButtonUI::ViewSize() const {
    const ui::Rect& pos = GetPos();
    if (!pos.Empty()) return {pos.Width(), pos.Height()};
    // Not laid out yet: the size the layout will give it.
    return Scaled(ui::Size{GetFixedWidth(), GetFixedHeight()});
}

void CHandImgSelectButtonUI::ResetSource() {
    const ui::Size view = ViewSize();
    source_ = {0, 0, view.cx, view.cy};
    const bool fits = view.cx >= imageSize_.cx && view.cy >= imageSize_.cy;
    drawString_ = fits ? imageName_ : SourceString();
}

std::string CHandImgSelectButtonUI::SourceString() const {
    // A name with a single quote in it is quoted with double quotes.
    const char quote = imageName_.find('\'') == std::string::npos ? '\'' : '"';
    return "file=" + std::string(1, quote) + imageName_ + quote + " source='" +
           std::to_string(source_.left) + "," + std::to_string(source_.top) + "," +
           std::to_string(source_.right) + "," + std::to_string(source_.bottom) + "'";
}

void CHandImgSelectButtonUI::SetManager(ui::CPaintManagerUI* manager, ui::CControlUI* parent,
                                        bool init) {
    CButtonUI::SetManager(manager, parent, init);
    if (manager && imageSize_ == ui::Size{}) LoadImage();
}

void CHandImgSelectButtonUI::SetPos(const ui::Rect& rect, bool needInvalidate) {
    const ui::Size before = ViewSize();
    CButtonUI::SetPos(rect, needInvalidate);
    if (imageSize_ != ui::Size{} && ViewSize() != before) ResetSource();
}

void CHandImgSelectButtonUI::DoEvent(ui::UIEvent& event) {
    switch (event.type) {
        case ui::UIEventType::ButtonDown:
        case ui::UIEventType::DoubleClick:
            // Only a press the button takes starts a drag, so that a move
            // never pans from a stale position.
            if (IsEnabled() && GetPos().Contains(event.point)) {
                CButtonUI::DoEvent(event);  // pushed, captured, repainted
                last_ = event.point;
                dragActive_ = true;
            }
            return;
        case ui::UIEventType::ButtonUp:
            if (dragActive_) {
                EndDrag(event);
                return;
            }
            break;
        case ui::UIEventType::MouseMove:
            // The window lost the held button (it was deactivated meanwhile):
            // the drag is over, the pointer only hovers now.
            if (dragActive_ && manager_ && manager_->GetPushed() != this) {
                ui::UIEvent release = event;
                release.type = ui::UIEventType::ButtonUp;
                EndDrag(release);
            }
            if (dragActive_) {
                Pan(event.point);
                CButtonUI::DoEvent(event);  // pushed exactly while inside
                Invalidate();
                return;
            }
            break;
        default:
            break;
    }
    CButtonUI::DoEvent(event);
}

void CHandImgSelectButtonUI::EndDrag(ui::UIEvent& release) {
    dragActive_ = false;
    releasing_ = true;
    CButtonUI::DoEvent(release);  // releases the capture, repaints
    releasing_ = false;
}

bool CHandImgSelectButtonUI::Activate() {
    if (releasing_) return false;  // letting go of a drag is no click
    return CButtonUI::Activate();
}

void CHandImgSelectButtonUI::Pan(ui::Point to) {
    if (imageSize_ == ui::Size{}) return;  // nothing shown, nothing to move
    PanAxis(to.x, last_.x, imageSize_.cx, source_.left, source_.right);
    PanAxis(to.y, last_.y, imageSize_.cy, source_.top, source_.bottom);
    last_ = to;
    drawString_ = SourceString();
}

void CHandImgSelectButtonUI::PaintStatusImage(ui::Canvas& canvas) {
    CButtonUI::PaintStatusImage(canvas);
    if (!drawString_.empty()) DrawImage(canvas, drawString_);
}

}  // namespace halvorn
