#include "models/key_descriptions.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "models/keyboard_keys.h"

namespace halvorn::keyboard {
namespace {

// Marks translated text, so that raw names show as such.
std::string Bracket(std::string_view key) { return "[" + std::string(key) + "]"; }

const std::vector<std::string> kMacros = {"macro_1", "Macro Two"};

TEST(DescribeAssignment, NamesEachKindOfAssignment) {
    struct Case {
        KeyCode code;
        std::optional<std::string> description;
    };
    const std::optional<std::string> none;
    const Case cases[] = {
        // keyboard keys, also under type 0
        {{0x20, 0x00, 0x04}, "[keyboard_key_A]"},
        {{0x00, 0x00, 0x04}, "[keyboard_key_A]"},
        {{0x20, 0x01, 0x00}, "[keyboard_key_LCtrl]"},
        {{0x20, 0x00, 0x00}, "[close_text]"},
        {{0x00, 0x00, 0x00}, "[close_text]"},
        // modifier combinations, in row order
        {{0x20, 0x01, 0x04}, "[keyboard_key_LCtrl]+[keyboard_key_A]"},
        {{0x20, 0x03, 0x00}, "[keyboard_key_LCtrl]+[keyboard_key_LShift]"},
        {{0x20, 0x12, 0x06}, "[keyboard_key_LShift]+[keyboard_key_RCtrl]+[keyboard_key_C]"},
        {{0x20, 0x01, 0x70}, "[keyboard_key_LCtrl]"},
        {{0x20, 0x00, 0x70}, none},  // F21: no such key
        // mouse
        {{0x10, 0x04, 0x00}, "[mouse_key_middle]"},
        {{0x10, 0x08, 0x00}, "[mouse_key_back]"},
        {{0x10, 0x03, 0x00}, none},
        {{0x11, 0x21, 0x85}, "[mouse_key_right_Swing]"},
        {{0x11, 0x21, 0x05}, "[mouse_key_left_Swing]"},
        {{0x12, 0x00, 0x80}, "[mouse_key_down_Swing]"},
        {{0x12, 0x00, 0x7F}, "[mouse_key_up_Swing]"},
        {{0x13, 0x03, 0x00}, "[mouse_key_DPI_loop]"},
        {{0x13, 0x04, 0x00}, none},
        {{0x14, 0x0A, 0x03}, "[mouse_key_fire_key]"},
        {{0x16, 0x00, 0x00}, "[mouse_key_DPI_shift]"},
        // edit commands and the window
        {{0x22, 0x00, 0x00}, "[custem_cut]"},
        {{0x22, 0x00, 0x08}, "[custem_open]"},
        {{0x22, 0x00, 0x09}, none},
        {{0x22, 0x01, 0x00}, none},
        {{0x23, 0x00, 0x00}, "[show_window]"},
        {{0x23, 0x00, 0x01}, none},
        // media and system
        {{0x30, 0xCD, 0x00}, "[media_play]"},
        {{0x30, 0x83, 0x01}, "[media_text]"},
        {{0x30, 0x21, 0x02}, "[web_search]"},
        {{0x30, 0x26, 0x02}, "[wed_stop]"},
        {{0x30, 0x8A, 0x01}, "[media_mail]"},
        {{0x30, 0xCD, 0x01}, none},
        {{0x40, 0x04, 0x00}, "[system_wake_up]"},
        {{0x40, 0x08, 0x00}, none},
        // macros: names as they stand
        {{0x70, 0x01, 0x00}, "Macro Two"},
        {{0x71, 0x00, 0x05}, "macro_1"},
        {{0x70, 0x02, 0x00}, none},
        // the keyboard's own functions
        {{0xA0, 0x02, 0x00}, "[mouse_key_smart_key]"},
        {{0xA0, 0x00, 0x00}, "[close_text]"},
        {{0xA0, 0x01, 0x00}, "[keyboard_key_FN]"},
        {{0xA0, 0x1B, 0x00}, "[keyboard_key_GM]"},
        {{0xD0, 0xA2, 0x03}, "[keyboard_key_M3]"},
        {{0xA0, 0x24, 0x00}, none},
        {{0xD0, 0x00, 0x00}, none},
        // types without a description, and unknown types
        {{0x15, 0x00, 0x00}, none},
        {{0x21, 0x00, 0x00}, none},
        {{0x50, 0x00, 0x00}, none},
        {{0x60, 0x00, 0x00}, none},
        {{0xB0, 0x00, 0x00}, none},
        {{0xC0, 0x00, 0x00}, none},
        {{0x72, 0x00, 0x00}, "关闭"},
        {{0xFF, 0x01, 0x02}, "关闭"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescribeAssignment(c.code, kMacros, Bracket), c.description)
            << std::hex << c.code.Packed();
    }
}

TEST(KeyOwnNameKey, NamesTheFactoryFunctionOfAKeyIndex) {
    struct Case {
        int index;
        const char* key;
    };
    const Case cases[] = {
        {0, "keyboard_key_Esc"},
        {16, "keyboard_key_GM"},
        {17, ""},
        {18, ""},
        {64, "keyboard_key_A"},
        {84, "keyboard_key_LShift"},
        {108, "keyboard_key_Space"},
        {110, "keyboard_key_FN"},
        {120, "keyboard_key_M1"},
        {126, ""},
        {-1, ""},
        {170, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(KeyOwnNameKey(c.index), c.key) << c.index;
}

TEST(KeyOwnNameKey, EveryKeyOfTheLayoutHasAName) {
    for (int i = 0; i < kKeyIndexCount; ++i) {
        const KeyCode& code = KeyCodeTable()[i];
        const bool keyless = code == KeyCode{0x20, 0, 0} || code == KeyCode{0xA0, 0x24, 0};
        EXPECT_EQ(KeyOwnNameKey(i).empty(), keyless) << i;
    }
}

TEST(DescribeKeyButton, BuildsTitleTooltipAndTheKeyDefaultFlag) {
    const std::map<std::string, std::string, std::less<>> texts = {
        {"keyboard_key_Esc", "Esc"}, {"keyboard_key_B", "B"}, {"Key_Set", " : "}};
    const TranslateFn translate = [&](std::string_view key) {
        const auto it = texts.find(key);
        return it == texts.end() ? Bracket(key) : it->second;
    };
    const std::vector<std::string> macros = {"ESC"};

    struct Case {
        int index;
        KeyCode assignment;
        const char* title;
        const char* tooltip;
        bool keyDefault;
    };
    const Case cases[] = {
        {0, {0x20, 0x00, 0x29}, "Esc", "Esc : Esc", true},
        {0, {0x20, 0x00, 0x05}, "Esc", "Esc : B", false},
        {0, {0x70, 0x00, 0x00}, "Esc", "Esc : ESC", true},  // case is ignored
        {17, {0x20, 0x00, 0x00}, "", " : [close_text]", false},
    };
    for (const Case& c : cases) {
        const auto text = DescribeKeyButton(c.index, c.assignment, macros, translate);
        ASSERT_TRUE(text) << c.index;
        EXPECT_EQ(text->title, c.title) << c.index;
        EXPECT_EQ(text->tooltip, c.tooltip) << c.index;
        EXPECT_EQ(text->keyDefault, c.keyDefault) << c.index;
    }
    EXPECT_FALSE(DescribeKeyButton(0, {0x15, 0, 0}, macros, translate));
}

}  // namespace
}  // namespace halvorn::keyboard
