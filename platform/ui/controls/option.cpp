#include "platform/ui/controls/option.h"

#include <vector>

#include "platform/ui/notify.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_text.h"

namespace halvorn::ui {

void COptionUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    CButtonUI::SetAttribute(name, value);
    if (name == "group") {
        SetGroup(value);
    } else if (name == "selected") {
        Selected(ParseBool(value), false);
    } else if (name == "selectedimage") {
        SetSelectedImage(value);
    } else if (name == "selectedhotimage") {
        SetSelectedHotImage(value);
    } else if (name == "selectedpushedimage") {
        selectedPushedImage_ = std::string(value);
    } else if (name == "selectedforeimage") {
        selectedForeImage_ = std::string(value);
    } else if (name == "selectedtextcolor") {
        SetSelectedTextColor(ParseColor(value));
    } else if (name == "selectedbkcolor") {
        SetSelectedBkColor(ParseColor(value));
    }
}

void COptionUI::SetSelectedImage(std::string_view image) {
    selectedImage_ = std::string(image);
    Invalidate();
}

void COptionUI::SetSelectedHotImage(std::string_view image) {
    selectedHotImage_ = std::string(image);
    Invalidate();
}

void COptionUI::SetSelectedBkColor(Color color) {
    selectedBkColor_ = color;
    Invalidate();
}

void COptionUI::Selected(bool selected, bool notify) {
    if (selected_ == selected) return;
    selected_ = selected;
    Invalidate();
    if (!group_.empty()) {
        // The one that leaves a group says nothing: the newcomer reports.
        if (!selected) return;
        UnselectGroupPeers();
    }
    if (notify) Notify(notify_type::kSelectChanged, selected ? 1 : 0);
}

void COptionUI::UnselectGroupPeers() {
    if (manager_ == nullptr || manager_->GetRoot() == nullptr) return;
    std::vector<COptionUI*> peers;
    manager_->GetRoot()->FindControl([&](CControlUI* control) {
        auto* option = dynamic_cast<COptionUI*>(control);
        if (option != nullptr && option != this && option->selected_ && option->group_ == group_) {
            peers.push_back(option);
        }
        return false;  // visit the whole tree
    });
    for (COptionUI* peer : peers) {
        peer->selected_ = false;
        peer->Invalidate();
    }
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    Selected(group_.empty() ? !selected_ : true);
    return true;
}

void COptionUI::PaintStatusImage(Canvas& canvas) {
    if (!selected_) {
        CButtonUI::PaintStatusImage(canvas);
        return;
    }
    if (selectedBkColor_ != 0) canvas.FillRect(GetPos(), selectedBkColor_);
    const std::string* image = nullptr;
    const bool enabled = IsEnabled();
    if (enabled && IsPushed() && !selectedPushedImage_.empty()) {
        image = &selectedPushedImage_;
    } else if (enabled && IsHot() && !selectedHotImage_.empty()) {
        image = &selectedHotImage_;
    } else if (!selectedImage_.empty()) {
        image = &selectedImage_;
    }
    if (image == nullptr) {
        // No selected look for this state: the button's own.
        PaintButtonImages(canvas);
        return;
    }
    DrawImage(canvas, *image);
    const std::string& fore = !selectedForeImage_.empty() ? selectedForeImage_ : foreImage_;
    if (!fore.empty()) DrawImage(canvas, fore);
}

Color COptionUI::StateTextColor() const {
    if (selected_ && IsEnabled() && selectedTextColor_ != 0) return selectedTextColor_;
    return CButtonUI::StateTextColor();
}

void CCheckBoxUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = AsciiLower(rawName);
    if (name == "group") return;
    COptionUI::SetAttribute(name, value);
}

}  // namespace halvorn::ui
