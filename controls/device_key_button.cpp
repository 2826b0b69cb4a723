#include "controls/device_key_button.h"

#include <algorithm>
#include <optional>

#include "platform/ui/controls/paint_util.h"
#include "platform/ui/image_string.h"
#include "platform/ui/notify.h"
#include "platform/ui/ui_text.h"

namespace halvorn {

namespace {

// The pages' colour word (red in the low byte) as the tint's opaque ARGB.
ui::Color TintOf(uint32_t colour) {
    const uint32_t red = colour & 0xFF;
    const uint32_t green = (colour >> 8) & 0xFF;
    const uint32_t blue = (colour >> 16) & 0xFF;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

}  // namespace

void CDeviceKeyButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ui::AsciiLower(rawName);
    // The base keeps every attribute's text; it acts on none of these.
    CButtonUI::SetAttribute(name, value);
    if (name == "lightimage") {
        lightImage_ = std::string(value);
        Invalidate();
    } else if (name == "keysetimage") {
        keySetImage_ = std::string(value);
        Invalidate();
    } else if (name == "keyunsetimage") {
        keyUnsetImage_ = std::string(value);
    }
    // "gmnametextcolor": layouts still carry it; nothing shows the text it was for.
}

void CDeviceKeyButtonUI::DoEvent(ui::UIEvent& event) {
    if (event.type == ui::UIEventType::DoubleClick && IsEnabled() &&
        GetPos().Contains(event.point)) {
        // The button's own press handling pushes and captures it.
        CButtonUI::DoEvent(event);
        Notify(ui::notify_type::kDoubleClick);
        return;
    }
    CButtonUI::DoEvent(event);
}

// Without a light image the colour itself shows: a dot ("light_N") is
// filled, a key gets a lit rim and an underglow bar, so that its legend
// stays readable.
void CDeviceKeyButtonUI::PaintLightGlow(ui::Canvas& canvas) {
    const ui::Rect& pos = GetPos();
    if (pos.Empty()) return;
    const uint32_t alpha = std::min<uint32_t>(lightOpacity_, 255);
    const ui::Color colour = alpha << 24 | (TintOf(lightColor_) & 0xFFFFFFu);
    if (GetName().starts_with("light_")) {
        canvas.FillRoundRect(pos, {pos.Width(), pos.Height()}, colour);
        return;
    }
    const int bar = std::max(2, Scaled(3));
    const ui::Rect glow{pos.left + bar, pos.bottom - 2 * bar, pos.right - bar, pos.bottom - bar};
    canvas.FillRoundRect(glow, {bar, bar}, colour);
    canvas.DrawBorder(pos, 1, colour, GetBorderRound());
}

void CDeviceKeyButtonUI::PaintStatusImage(ui::Canvas& canvas) {
    CButtonUI::PaintStatusImage(canvas);
    if (lit_ && !lightImage_.empty()) {
        if (std::optional<ui::ImageSpec> image = ui::ParseImageString(lightImage_)) {
            image->tint = TintOf(lightColor_);
            image->tintOpacity = static_cast<int>(std::min<uint32_t>(lightOpacity_, 255));
            image->lit = true;
            const ui::Rect where = ui::ImageDestination(*image, GetPos(), ui::ScaleFactor(*this));
            image->dest.reset();  // resolved into `where`
            if (!where.Empty()) canvas.DrawImage(where, *image);
        }
    } else if (lit_ && lightOpacity_ > 0) {
        PaintLightGlow(canvas);
    }
    if (!keyDefault_ && !keySetImage_.empty()) DrawImage(canvas, keySetImage_);
}

void CDeviceKeyButtonUI::SetLightState(uint32_t colour, uint32_t opacity, bool lit) {
    if (colour == lightColor_ && opacity == lightOpacity_ && lit == lit_) return;
    lightColor_ = colour;
    lightOpacity_ = opacity;
    lit_ = lit;
    // Only a dot that changed is painted again: the pages refresh their
    // lights every 5 ms, and a whole picture each time would keep a core busy.
    Invalidate();
}

void CDeviceKeyButtonUI::SetKeyDefault(bool isDefault) {
    if (isDefault == keyDefault_) return;
    keyDefault_ = isDefault;
    Invalidate();
}

}  // namespace halvorn
