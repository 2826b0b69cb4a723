#include "platform/ui/controls/builtin_controls.h"

#include <memory>

#include "platform/ui/container.h"
#include "platform/ui/controls/button.h"
#include "platform/ui/controls/color_palette.h"
#include "platform/ui/controls/combo.h"
#include "platform/ui/controls/edit.h"
#include "platform/ui/controls/label.h"
#include "platform/ui/controls/layouts.h"
#include "platform/ui/controls/list.h"
#include "platform/ui/controls/list_item.h"
#include "platform/ui/controls/option.h"
#include "platform/ui/controls/progress.h"
#include "platform/ui/controls/slider.h"
#include "platform/ui/ui_context.h"

namespace halvorn::ui {
namespace {

template <typename T>
void Add(ControlFactory& factory) {
    T probe;
    factory.Register(probe.GetClass(), [] { return std::make_unique<T>(); });
}

}  // namespace

void RegisterBuiltinControls(ControlFactory& factory) {
    Add<CControlUI>(factory);
    Add<CContainerUI>(factory);
    Add<CVerticalLayoutUI>(factory);
    Add<CHorizontalLayoutUI>(factory);
    Add<CTabLayoutUI>(factory);
    Add<CLabelUI>(factory);
    Add<CTextUI>(factory);
    Add<CButtonUI>(factory);
    Add<COptionUI>(factory);
    Add<CCheckBoxUI>(factory);
    Add<CComboUI>(factory);
    Add<CListLabelElementUI>(factory);
    Add<CListContainerElementUI>(factory);
    Add<CListUI>(factory);
    Add<CEditUI>(factory);
    Add<CRichEditUI>(factory);
    Add<CProgressUI>(factory);
    Add<CSliderUI>(factory);
    Add<CColorPaletteUI>(factory);
}

}  // namespace halvorn::ui
