#pragma once

// Registers the program's picture control classes with the skin's factory.

namespace halvorn::ui {
class ControlFactory;
}

namespace halvorn {

void RegisterPictureControls(ui::ControlFactory& factory);

}  // namespace halvorn
