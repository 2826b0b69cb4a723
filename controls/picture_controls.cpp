#include "controls/picture_controls.h"

#include <memory>

#include "controls/device_key_button.h"
#include "controls/hand_img_button.h"
#include "controls/hand_img_select_button.h"
#include "controls/redio_macro_button.h"
#include "controls/select_panel.h"
#include "platform/ui/ui_context.h"

namespace halvorn {

namespace {

template <typename T>
void Add(ui::ControlFactory& factory, std::string_view className) {
    factory.Register(className, [] { return std::make_unique<T>(); });
}

}  // namespace

void RegisterPictureControls(ui::ControlFactory& factory) {
    // By their C++ names; the factory knows them by their class strings.
    Add<CDeviceKeyButtonUI>(factory, "CDeviceKeyButtonUI");
    Add<CSelectPanelUI>(factory, "CSelectPanelUI");
    Add<CHandImgButtonUI>(factory, "CHandImgButtonUI");
    Add<CHandImgSelectButtonUI>(factory, "CHandImgSelectButtonUI");
    Add<CRedioMacroButtonUI>(factory, "CRedioMacroButtonUI");
}

}  // namespace halvorn
