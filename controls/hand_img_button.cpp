#include "controls/hand_img_button.h"

#include "platform/ui/ui_text.h"

namespace halvorn {

void CHandImgButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ui::AsciiLower(rawName);
    // The base keeps every attribute's text; it acts on none of these.
    CButtonUI::SetAttribute(name, value);
    if (name == "handimage") {
        SetHandImage(value);
    } else if (name == "deletenormalimage") {
        deleteNormalImage_ = std::string(value);
    } else if (name == "deletehotimage") {
        deleteHotImage_ = std::string(value);
    }
}

void CHandImgButtonUI::SetHandImage(std::string_view image) {
    if (image == handImage_) return;
    handImage_ = std::string(image);
    Invalidate();
}

void CHandImgButtonUI::PaintStatusImage(ui::Canvas& canvas) {
    CButtonUI::PaintStatusImage(canvas);
    if (!handImage_.empty()) DrawImage(canvas, handImage_);
}

}  // namespace halvorn
