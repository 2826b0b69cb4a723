#include "panels/register_panels.h"

#include <memory>

#include "panels/device_profile_ui.h"
#include "platform/ui/ui_context.h"

namespace halvorn {

void RegisterPanelControls(ui::ControlFactory& factory) {
    // By their C++ names; the factory knows them by their class strings.
    factory.Register("CDeviceProfileUI", [] { return std::make_unique<CDeviceProfileUI>(); });
}

}  // namespace halvorn
