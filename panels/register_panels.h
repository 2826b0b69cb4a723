#pragma once

// Registers the program's panel classes with the skin's factory, so that
// layout files can make them ("DeviceProfile", ...).

namespace halvorn::ui {
class ControlFactory;
}

namespace halvorn {

void RegisterPanelControls(ui::ControlFactory& factory);

}  // namespace halvorn
