#pragma once

// A picture larger than the control that the user pans by dragging: the
// control shows the part of the image under it (its source rectangle, in
// image pixels, as large as the control) and dragging to the left uncovers
// more of the image's right part. At the left and top the source stops at
// 0; at the right and bottom it stops once it has reached the image's size
// (the last step may carry it past the edge, which the drawing clips). An
// image that fits inside the control is drawn whole and does not move.
// Releasing the button sends no "click"; "msenter" and "msleave" come as
// the pointer comes and goes.
//
// Attributes (besides the button's, names without regard to case):
// handimage (a file name: skin-relative or absolute), cursor (arrow, ibeam,
// wait, cross, uparrow, size, icon, sizenwse, sizenesw, sizewe, sizens,
// sizeall, no, hand; another value leaves the cursor as it was).

#include <string>
#include <string_view>

#include "platform/ui/controls/button.h"

namespace halvorn {

class CHandImgSelectButtonUI : public ui::CButtonUI {
public:
    std::string_view GetClass() const override { return "HandImgSelectButton"; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(ui::UIEvent& event) override;
    bool Activate() override;
    void PaintStatusImage(ui::Canvas& canvas) override;
    // The image's size is read once the control is in a window (the skin
    // folder is known then); a new size of the control starts the view
    // again at the image's top-left corner.
    void SetManager(ui::CPaintManagerUI* manager, ui::CControlUI* parent,
                    bool init = true) override;
    void SetPos(const ui::Rect& rect, bool needInvalidate = true) override;

    // Shows the file from its top-left corner. A file that cannot be read
    // as an image leaves the control drawing no picture.
    void SetHandImage(std::string_view fileName);
    const std::string& HandImage() const { return imageName_; }
    // The image string painted; empty while there is no image to show.
    const std::string& DrawString() const { return drawString_; }
    // 0 x 0 while no image is loaded.
    ui::Size ImageSize() const { return imageSize_; }
    const ui::Rect& Source() const { return source_; }
    bool IsDragActive() const { return dragActive_; }

    // The pointer shape the window should show over the control, one of the
    // names above; empty for the window's own.
    const std::string& Cursor() const { return cursor_; }

private:
    void LoadImage();
    // The view at the image's top-left corner, as large as the control.
    void ResetSource();
    void Pan(ui::Point to);
    // Lets go of the button's capture without its click.
    void EndDrag(ui::UIEvent& release);
    std::string SourceString() const;
    ui::Size ViewSize() const;

    std::string imageName_;
    std::string drawString_;
    ui::Size imageSize_{};
    ui::Rect source_{};
    bool dragActive_ = false;
    bool releasing_ = false;  // inside the button's release handling: no click
    ui::Point last_{};
    std::string cursor_;
};

}  // namespace halvorn
