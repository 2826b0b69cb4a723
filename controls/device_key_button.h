#pragma once

// One key or one light dot on a device picture. A lit dot draws its light
// image tinted with the colour the device page computes; a key whose
// assignment differs from its default shows the key-set marker. A double
// click pushes the key and sends "dbclick"; the rest is the button's.
//
// Attributes (besides the button's, names without regard to case):
// lightimage, keysetimage, keyunsetimage (stored only), gmnametextcolor
// (accepted, no effect).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui/controls/button.h"

namespace halvorn {

class CDeviceKeyButtonUI : public ui::CButtonUI {
public:
    std::string_view GetClass() const override { return "DeviceKeyButton"; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(ui::UIEvent& event) override;
    void PaintStatusImage(ui::Canvas& canvas) override;

    // colour: red + 256 * green + 65536 * blue as the pages compute it
    // (byte 0 the first channel of the image tint); opacity 0..255. Repaints
    // the dot when the state changes.
    void SetLightState(uint32_t colour, uint32_t opacity, bool lit);
    uint32_t LightColor() const { return lightColor_; }
    uint32_t LightOpacity() const { return lightOpacity_; }
    bool IsLit() const { return lit_; }

    // Repaints when the flag changes.
    void SetKeyDefault(bool isDefault);
    bool IsKeyDefault() const { return keyDefault_; }

    void SetSelected(bool selected) { selected_ = selected; }
    bool IsSelected() const { return selected_; }

    const std::string& LightImage() const { return lightImage_; }
    const std::string& KeySetImage() const { return keySetImage_; }
    const std::string& KeyUnsetImage() const { return keyUnsetImage_; }

private:
    void PaintLightGlow(ui::Canvas& canvas);

    std::string lightImage_;
    std::string keySetImage_;
    std::string keyUnsetImage_;
    uint32_t lightColor_ = 255;
    uint32_t lightOpacity_ = 200;
    bool lit_ = false;
    bool keyDefault_ = true;
    bool selected_ = false;
};

}  // namespace halvorn
