#pragma once

// The questions and messages the panels put to the user. The main window
// answers them with its modal message window; tests answer with a double.
// Texts are language keys of the skin, resolved by whoever shows them.

#include <optional>
#include <string_view>

namespace halvorn {

namespace message_text {
inline constexpr std::string_view kNameTaken = "message_text_5";
// Writing to the device failed with -1; the key table is still written.
inline constexpr std::string_view kDeviceWriteFailed = "message_text_7";
// Writing to the device failed with another result: one integer placeholder.
inline constexpr std::string_view kDeviceWriteError = "message_text_16";
inline constexpr std::string_view kConfirmReset = "message_text_22";
inline constexpr std::string_view kBlankName = "message_text_25";
}  // namespace message_text

class IPrompts {
public:
    virtual ~IPrompts() = default;
    // Confirm and cancel buttons; true when the user confirmed.
    virtual bool Confirm(std::string_view textId) = 0;
    // A confirm button only; `arg` fills the text's one integer placeholder.
    virtual void Inform(std::string_view textId, std::optional<int> arg) = 0;
};

}  // namespace halvorn
