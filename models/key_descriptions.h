#pragma once

// What a key button of the keyboard picture says about the key's assignment:
// a description of the assignment, the key's own name, and whether the key
// still does what its name says.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "profile/profile_records.h"

namespace halvorn::keyboard {

// Turns a language key into the text of the current language.
using TranslateFn = std::function<std::string(std::string_view languageKey)>;

// The translated description of an assignment, or nullopt when it has none.
// Keyboard keys with no exact row name every modifier bit and the key's
// usage, joined by "+"; macros give the macro's name as it stands; types
// the program does not know give the fixed text "关闭".
std::optional<std::string> DescribeAssignment(const KeyCode& assignment,
                                              std::span<const std::string> macroNames,
                                              const TranslateFn& translate);

// The language key of a key index's own (factory) function, empty when the
// index is out of range or its code names no key.
std::string_view KeyOwnNameKey(int keyIndex);

struct KeyButtonText {
    std::string title;        // the translated own name
    std::string tooltip;      // own name, "Key_Set", description
    bool keyDefault = false;  // the description is the own name (ignoring case)
};

// The texts of key index `keyIndex`'s button for `assignment`; nullopt when
// the assignment has no description (the button is left as it is).
std::optional<KeyButtonText> DescribeKeyButton(int keyIndex, const KeyCode& assignment,
                                               std::span<const std::string> macroNames,
                                               const TranslateFn& translate);

}  // namespace halvorn::keyboard
