#include "controls/redio_macro_button.h"

#include "platform/ui/ui_text.h"

namespace halvorn {

void CRedioMacroButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ui::AsciiLower(rawName);
    CButtonUI::SetAttribute(name, value);
    if (name == "redioimage") redioImage_ = std::string(value);
}

}  // namespace halvorn
