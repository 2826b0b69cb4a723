// The skin's attributes of every control, and the value parsers the
// controls share.

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "platform/ui/control.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

namespace {

// Up to `n` comma-separated integers; missing ones stay 0.
template <size_t N>
std::array<int, N> ParseInts(std::string_view text) {
    std::array<int, N> out{};
    for (size_t i = 0; i < N; ++i) {
        const size_t comma = text.find(',');
        out[i] = ParseInt(text.substr(0, comma), 0);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return out;
}

uint32_t ExpandNibbles(uint32_t v, int digits) {
    uint32_t out = 0;
    for (int i = digits - 1; i >= 0; --i) {
        const uint32_t nibble = (v >> (4 * i)) & 0xF;
        out = (out << 8) | (nibble << 4) | nibble;
    }
    return out;
}

}  // namespace

Color ParseColor(std::string_view text) {
    text = TrimSpace(text);
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 8) return 0;
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return 0;
    switch (text.size()) {
        case 3:  // RGB
            return 0xFF000000u | ExpandNibbles(value, 3);
        case 4:  // ARGB
            return ExpandNibbles(value, 4);
        case 6:  // RRGGBB: opaque, as a reader of the skin would expect
            return 0xFF000000u | value;
        default:
            return value;
    }
}

Rect ParseRect(std::string_view text) {
    const auto v = ParseInts<4>(text);
    return {v[0], v[1], v[2], v[3]};
}

Size ParseSize(std::string_view text) {
    const auto v = ParseInts<2>(text);
    return {v[0], v[1]};
}

bool ParseBool(std::string_view text) {
    text = TrimSpace(text);
    return EqualsIgnoreCase(text, "true") || text == "1";
}

int ParseInt(std::string_view text, int fallback) {
    text = TrimSpace(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc()) return fallback;  // no digits, or out of range
    (void)end;                               // trailing units ("12px") are ignored
    return value;
}

unsigned ParseAlign(std::string_view text, unsigned align) {
    constexpr unsigned kHorizontal = text_align::kCenter | text_align::kRight;
    constexpr unsigned kVertical = text_align::kVCenter | text_align::kBottom;
    while (!text.empty()) {
        const size_t end = text.find_first_of("|, ");
        const std::string word = AsciiLower(TrimSpace(text.substr(0, end)));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (word == "left") {
            align = (align & ~kHorizontal) | text_align::kLeft;
        } else if (word == "center" || word == "hcenter") {
            align = (align & ~kHorizontal) | text_align::kCenter;
        } else if (word == "right") {
            align = (align & ~kHorizontal) | text_align::kRight;
        } else if (word == "top") {
            align = (align & ~kVertical) | text_align::kTop;
        } else if (word == "vcenter") {
            align = (align & ~kVertical) | text_align::kVCenter;
        } else if (word == "bottom") {
            align = (align & ~kVertical) | text_align::kBottom;
        } else if (word == "singleline") {
            align = (align & ~text_align::kWordBreak) | text_align::kSingleLine;
        } else if (word == "wordbreak") {
            align = (align & ~text_align::kSingleLine) | text_align::kWordBreak;
        } else if (word == "endellipsis") {
            align |= text_align::kEndEllipsis;
        }
    }
    return align;
}

void CControlUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    attributes_[name] = std::string(value);
    if (name == "name") {
        SetName(value);
    } else if (name == "text") {
        SetText(value);
    } else if (name == "tooltip") {
        SetToolTip(value);
    } else if (name == "userdata") {
        SetUserData(value);
    } else if (name == "tag") {
        SetTag(static_cast<uintptr_t>(ParseInt(value)));
    } else if (name == "resourcetext") {
        SetResourceText(ParseBool(value));
    } else if (name == "visible") {
        SetVisible(ParseBool(value));
    } else if (name == "enabled") {
        SetEnabled(ParseBool(value));
    } else if (name == "mouse") {
        SetMouseEnabled(ParseBool(value));
    } else if (name == "keyboard") {
        SetKeyboardEnabled(ParseBool(value));
    } else if (name == "pos") {
        // Also the control's size, as in the skin library: a float control
        // sits at "pos", any other takes its width and height from it.
        const Rect pos = ParseRect(value);
        SetFloatPos(pos);
        SetFixedWidth(std::max(0, pos.right - pos.left));
        SetFixedHeight(std::max(0, pos.bottom - pos.top));
        NeedParentUpdate();
    } else if (name == "float") {
        SetFloat(ParseBool(value));
        NeedParentUpdate();
    } else if (name == "width") {
        SetFixedWidth(ParseInt(value));
    } else if (name == "height") {
        SetFixedHeight(ParseInt(value));
    } else if (name == "minwidth") {
        SetMinWidth(ParseInt(value));
    } else if (name == "minheight") {
        SetMinHeight(ParseInt(value));
    } else if (name == "maxwidth") {
        SetMaxWidth(ParseInt(value, 9999));
    } else if (name == "maxheight") {
        SetMaxHeight(ParseInt(value, 9999));
    } else if (name == "padding") {
        SetPadding(ParseRect(value));
    } else if (name == "bkcolor" || name == "bkcolor1") {
        SetBkColor(ParseColor(value));
    } else if (name == "bkcolor2") {
        SetBkColor2(ParseColor(value));
    } else if (name == "bkimage") {
        SetBkImage(value);
    } else if (name == "bordercolor") {
        SetBorderColor(ParseColor(value));
    } else if (name == "bordersize") {
        SetBorderSize(std::max(0, ParseInt(value)));
    } else if (name == "borderround") {
        SetBorderRound(ParseSize(value));
    } else if (name == "textcolor") {
        SetTextColor(ParseColor(value));
    } else if (name == "disabledtextcolor") {
        SetDisabledTextColor(ParseColor(value));
    } else if (name == "font") {
        SetFont(ParseInt(value, -1));
    } else if (name == "align" || name == "valign") {
        // "center" in valign means the vertical centre.
        const std::string words = AsciiLower(value);
        SetTextAlign(ParseAlign(
            name == "valign" && TrimSpace(words) == "center" ? "vcenter" : words, GetTextAlign()));
    } else if (name == "endellipsis") {
        SetTextAlign(ParseBool(value) ? GetTextAlign() | text_align::kEndEllipsis
                                      : GetTextAlign() & ~text_align::kEndEllipsis);
    } else if (name == "multiline" || name == "wordbreak") {
        SetTextAlign(ParseAlign(ParseBool(value) ? "wordbreak" : "singleline", GetTextAlign()));
    } else if (name == "textpadding") {
        SetTextPadding(ParseRect(value));
    }
    Invalidate();
}

std::string CControlUI::GetAttribute(std::string_view name) const {
    const auto it = attributes_.find(AsciiLower(name));
    return it == attributes_.end() ? std::string() : it->second;
}

void CControlUI::ApplyAttributeList(std::string_view list) {
    // name="value" pairs (or name='value'), separated by spaces or ';'.
    size_t i = 0;
    auto skipSeparators = [&] {
        while (i < list.size() &&
               (list[i] == ';' || std::isspace(static_cast<unsigned char>(list[i])))) {
            ++i;
        }
    };
    while (true) {
        skipSeparators();
        if (i >= list.size()) return;
        const size_t nameStart = i;
        while (i < list.size() && list[i] != '=' && list[i] != ';' &&
               !std::isspace(static_cast<unsigned char>(list[i]))) {
            ++i;
        }
        const std::string_view name = list.substr(nameStart, i - nameStart);
        while (i < list.size() && list[i] == ' ') ++i;
        if (i >= list.size() || list[i] != '=') return;  // malformed: stop here
        ++i;
        while (i < list.size() && list[i] == ' ') ++i;
        std::string_view value;
        if (i < list.size() && (list[i] == '"' || list[i] == '\'')) {
            const char quote = list[i++];
            const size_t close = list.find(quote, i);
            if (close == std::string_view::npos) return;
            value = list.substr(i, close - i);
            i = close + 1;
        } else {
            const size_t start = i;
            while (i < list.size() && list[i] != ';' &&
                   !std::isspace(static_cast<unsigned char>(list[i]))) {
                ++i;
            }
            value = list.substr(start, i - start);
        }
        if (!name.empty()) SetAttribute(name, value);
    }
}

}  // namespace halvorn::ui
