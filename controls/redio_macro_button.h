#pragma once

// A plain button that carries one more image attribute for the macro pages'
// layouts: redioimage (any case), stored only; no state draws it.

#include <string>
#include <string_view>

#include "platform/ui/controls/button.h"

namespace halvorn {

class CRedioMacroButtonUI : public ui::CButtonUI {
public:
    std::string_view GetClass() const override { return "RedioMacroButton"; }

    void SetAttribute(std::string_view name, std::string_view value) override;

    const std::string& RedioImage() const { return redioImage_; }

private:
    std::string redioImage_;
};

}  // namespace halvorn
