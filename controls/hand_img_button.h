#pragma once

// A button that shows an extra picture (its hand image) over its status
// image. The picture may come from the skin or from any absolute path, so
// that pictures the user chose can be shown. Input is the button's: "click",
// and "msenter" / "msleave" as the pointer comes and goes.
//
// Attributes (besides the button's, names without regard to case):
// handimage (an image string), deletenormalimage and deletehotimage (stored
// only; no state draws them).

#include <string>
#include <string_view>

#include "platform/ui/controls/button.h"

namespace halvorn {

class CHandImgButtonUI : public ui::CButtonUI {
public:
    std::string_view GetClass() const override { return "HandImgButton"; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(ui::Canvas& canvas) override;

    const std::string& HandImage() const { return handImage_; }
    void SetHandImage(std::string_view image);
    const std::string& DeleteNormalImage() const { return deleteNormalImage_; }
    const std::string& DeleteHotImage() const { return deleteHotImage_; }

private:
    std::string handImage_;
    std::string deleteNormalImage_;
    std::string deleteHotImage_;
};

}  // namespace halvorn
