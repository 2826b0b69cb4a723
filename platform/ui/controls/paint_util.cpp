#include "platform/ui/controls/paint_util.h"

#include "platform/ui/paint_manager.h"

namespace halvorn::ui {

double ScaleFactor(const CControlUI& control) {
    CPaintManagerUI* manager = control.GetManager();
    return manager != nullptr ? manager->GetDpi() / 96.0 : 1.0;
}

FontSpec FontOf(const CControlUI& control, int index) {
    CPaintManagerUI* manager = control.GetManager();
    return manager != nullptr ? manager->GetFont(index) : FontSpec{};
}

bool DrawImageIn(Canvas& canvas, const CControlUI& control, std::string_view imageString,
                 const Rect& target) {
    std::optional<ImageSpec> image = ParseImageString(imageString);
    if (!image || target.Empty()) return false;
    Rect where = ImageDestination(*image, target, ScaleFactor(control));
    // The canvas takes the destination as given; the dest key is resolved here.
    image->dest.reset();
    return canvas.DrawImage(where, *image);
}

bool StateImages::SetAttribute(std::string_view name, std::string_view value,
                               std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix) return false;
    std::string_view rest = name.substr(prefix.size());
    std::string* slot = nullptr;
    if (rest == "image" || rest == "normalimage") {
        slot = &normal;
    } else if (rest == "hotimage") {
        slot = &hot;
    } else if (rest == "pushedimage") {
        slot = &pushed;
    } else if (rest == "focusedimage") {
        slot = &focused;
    } else if (rest == "disabledimage") {
        slot = &disabled;
    }
    // A bare "image" only counts with a prefix ("thumbimage"); for the
    // control itself it is not a status image.
    if (slot == nullptr || (rest == "image" && prefix.empty())) return false;
    *slot = std::string(value);
    return true;
}

const std::string& StateImages::Pick(bool enabled, bool isPushed, bool isHot,
                                     bool isFocused) const {
    if (!enabled) return disabled.empty() ? normal : disabled;
    if (isPushed && !pushed.empty()) return pushed;
    if (isHot && !hot.empty()) return hot;
    if (isFocused && !focused.empty()) return focused;
    return normal;
}

bool StateTextColors::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "hottextcolor") {
        hot = ParseColor(value);
    } else if (name == "pushedtextcolor") {
        pushed = ParseColor(value);
    } else if (name == "focusedtextcolor") {
        focused = ParseColor(value);
    } else {
        return false;
    }
    return true;
}

Color StateTextColors::Pick(const CControlUI& control, bool isPushed, bool isHot) const {
    if (!control.IsEnabled()) {
        return ColorOr(control.GetDisabledTextColor(), kDefaultDisabledTextColor);
    }
    if (isPushed && pushed != 0) return pushed;
    if (isHot && hot != 0) return hot;
    if (control.IsFocused() && focused != 0) return focused;
    return ColorOr(control.GetTextColor(), kDefaultTextColor);
}

size_t Utf8Length(std::string_view text) {
    size_t n = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++n;
    }
    return n;
}

size_t Utf8Offset(std::string_view text, size_t n) {
    size_t offset = 0;
    while (offset < text.size() && n > 0) {
        ++offset;
        while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80) {
            ++offset;
        }
        --n;
    }
    return offset;
}

std::string Utf8Encode(char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

char32_t FirstCodePoint(std::string_view text) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return lead;
    const size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (n == 0 || text.size() < n) return 0xFFFD;
    char32_t c = lead & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
    }
    return c;
}

}  // namespace halvorn::ui
