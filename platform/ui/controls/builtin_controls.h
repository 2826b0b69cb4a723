#pragma once

// The control classes the skin library itself provides, by class string.

namespace halvorn::ui {

class ControlFactory;

void RegisterBuiltinControls(ControlFactory& factory);

}  // namespace halvorn::ui
