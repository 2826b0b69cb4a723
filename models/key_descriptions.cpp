#include "models/key_descriptions.h"

#include <array>
#include <utility>

#include "models/keyboard_keys.h"
#include "panels/keys/assignable_keys.h"
#include "profile/text_utils.h"

namespace halvorn::keyboard {
namespace {

constexpr const char* kCloseText = "close_text";

using Names = std::initializer_list<std::pair<uint8_t, const char*>>;

std::optional<std::string> Lookup(uint8_t value, Names names, const TranslateFn& translate) {
    for (const auto& [key, name] : names) {
        if (key == value) return translate(name);
    }
    return std::nullopt;
}

// Keyboard keys: the exact row, else every modifier bit and the usage named
// separately. Modifier bits are matched as bits and a usage of 0 names no
// key, so that Ctrl+Shift reads "LCtrl+LShift" and not every modifier.
std::optional<std::string> DescribeKeyboardKey(uint8_t p1, uint8_t p2,
                                               const TranslateFn& translate) {
    const auto& table = AssignableKeyTable();
    for (int row = 0; row < kKeyboardKeyRows; ++row) {
        if (table[row].param1 == p1 && table[row].param2 == p2) {
            return translate(AssignableKeyName(row));
        }
    }
    if (p1 == 0 && p2 == 0) return translate(kCloseText);
    std::string joined;
    for (int row = 0; row < kKeyboardKeyRows; ++row) {
        const bool modifier = (table[row].param1 & p1) != 0;
        const bool usage = p2 != 0 && table[row].param2 == p2;
        if (!modifier && !usage) continue;
        if (!joined.empty()) joined += '+';
        joined += translate(AssignableKeyName(row));
    }
    if (joined.empty()) return std::nullopt;
    return joined;
}

std::optional<std::string> DescribeMedia(uint8_t p1, uint8_t p2, const TranslateFn& translate) {
    struct Media {
        uint16_t usage;
        const char* name;
    };
    static constexpr Media kMedia[] = {
        {0x0183, "media_text"},    {0x00CD, "media_play"},   {0x00B7, "media_stop"},
        {0x00B6, "media_prev"},    {0x00B5, "media_next"},   {0x00EA, "media_vol_sub"},
        {0x00E9, "media_vol_add"}, {0x00E2, "media_mute"},   {0x0223, "web_text"},
        {0x0227, "web_refresh"},   {0x0226, "wed_stop"},     {0x0224, "wed_back"},
        {0x0225, "wed_forward"},   {0x022A, "wed_favorite"}, {0x0221, "web_search"},
        {0x0194, "media_mypc"},    {0x0192, "media_calc"},   {0x018A, "media_mail"},
    };
    const uint16_t usage = static_cast<uint16_t>(p2 << 8 | p1);
    for (const Media& media : kMedia) {
        if (media.usage == usage) return translate(media.name);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> DescribeAssignment(const KeyCode& assignment,
                                              std::span<const std::string> macroNames,
                                              const TranslateFn& translate) {
    const uint8_t p1 = assignment.high;
    const uint8_t p2 = assignment.low;
    switch (assignment.type) {
        case 0x00:
        case 0x20:
            return DescribeKeyboardKey(p1, p2, translate);
        case 0x10:
            return Lookup(p1,
                          {{0x01, "mouse_key_left"},
                           {0x04, "mouse_key_middle"},
                           {0x02, "mouse_key_right"},
                           {0x10, "mouse_key_forward"},
                           {0x08, "mouse_key_back"}},
                          translate);
        case 0x11:
            return translate((p2 & 0x80) ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
        case 0x12:
            return translate((p2 & 0x80) ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
        case 0x13:
            return Lookup(
                p1, {{1, "mouse_key_DPI_add"}, {2, "mouse_key_DPI_sub"}, {3, "mouse_key_DPI_loop"}},
                translate);
        case 0x14:
            return translate("mouse_key_fire_key");
        case 0x16:
            return translate("mouse_key_DPI_shift");
        case 0x22: {
            static constexpr std::array<const char*, 9> kEdits = {
                "custem_cut",  "custem_copy", "custem_paste", "custem_undo", "custem_select_all",
                "custem_find", "custem_new",  "custem_save",  "custem_open"};
            if (p1 != 0 || p2 >= kEdits.size()) return std::nullopt;
            return translate(kEdits[p2]);
        }
        case 0x23:
            if (p1 != 0 || p2 != 0) return std::nullopt;
            return translate("show_window");
        case 0x30:
            return DescribeMedia(p1, p2, translate);
        case 0x40:
            return Lookup(
                p1, {{0x01, "system_power"}, {0x02, "system_sleep"}, {0x04, "system_wake_up"}},
                translate);
        case 0x70:
        case 0x71:
            if (p1 >= macroNames.size()) return std::nullopt;
            return macroNames[p1];
        case 0xA0:
        case 0xD0: {
            if (assignment.type == 0xA0 && p1 == 0x02) return translate("mouse_key_smart_key");
            if (assignment.type == 0xA0 && p1 == 0) return translate(kCloseText);
            const int row = FindAssignableKey(assignment.type, p1, p2);
            if (row < 0) return std::nullopt;
            return translate(AssignableKeyName(row));
        }
        case 0x15:
        case 0x21:
        case 0x50:
        case 0x60:
        case 0xB0:
        case 0xC0:
            return std::nullopt;
        default:
            return std::string("关闭");
    }
}

std::string_view KeyOwnNameKey(int keyIndex) {
    if (keyIndex < 0 || keyIndex >= kKeyIndexCount) return {};
    const KeyCode& code = KeyCodeTable()[static_cast<std::size_t>(keyIndex)];
    return AssignableKeyName(FindAssignableKey(code.type, code.high, code.low));
}

std::optional<KeyButtonText> DescribeKeyButton(int keyIndex, const KeyCode& assignment,
                                               std::span<const std::string> macroNames,
                                               const TranslateFn& translate) {
    std::optional<std::string> description = DescribeAssignment(assignment, macroNames, translate);
    if (!description) return std::nullopt;
    const std::string_view ownKey = KeyOwnNameKey(keyIndex);
    KeyButtonText text;
    text.title = ownKey.empty() ? std::string() : translate(ownKey);
    text.keyDefault = SameTextIgnoringCase(text.title, *description);
    text.tooltip = text.title + translate("Key_Set") + *description;
    return text;
}

}  // namespace halvorn::keyboard
