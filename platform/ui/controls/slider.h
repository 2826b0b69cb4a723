#pragma once

// A slider: a progress bar with a thumb the user drags.
//
// The left button going down on the thumb grabs it; going down elsewhere on
// the bar moves the thumb there and grabs it. While held, every move that
// changes the value sends "movevaluechanged" (unless sendmove is false);
// releasing sends one "valuechanged" when the value differs from the one at
// the press. The wheel and the arrow keys (Home / End: min / max) change the
// value by step and send "valuechanged". Both carry the new value in wParam
// and the one before in lParam. SetValue reports nothing.
//
// Attributes (besides the progress bar's): step, thumbsize, thumbimage,
// thumbhotimage, thumbpushedimage, sendmove.

#include <string>
#include <string_view>

#include "platform/ui/controls/paint_util.h"
#include "platform/ui/controls/progress.h"

namespace halvorn::ui {

class CSliderUI : public CProgressUI {
public:
    std::string_view GetClass() const override { return "Slider"; }

    int GetChangeStep() const { return step_; }
    void SetChangeStep(int step) { step_ = step > 0 ? step : 1; }
    Size GetThumbSize() const { return thumbSize_; }  // skin pixels
    void SetThumbSize(Size size);
    void SetThumbImage(std::string_view image);
    void SetThumbHotImage(std::string_view image);
    void SetThumbPushedImage(std::string_view image);
    bool IsSendMove() const { return sendMove_; }
    void SetSendMove(bool on) { sendMove_ = on; }

    // Where the thumb is, in window pixels.
    Rect GetThumbRect() const;
    bool IsDragging() const { return captured_; }
    // The value the thumb would have with its centre at `point`.
    int ValueAt(Point point) const;

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UIEvent& event) override;
    void PaintStatusImage(Canvas& canvas) override;

private:
    void MoveTo(int value);
    void StepBy(int delta);

    StateImages thumb_;
    Size thumbSize_{10, 10};
    int step_ = 1;
    bool sendMove_ = true;
    bool captured_ = false;
    bool thumbHot_ = false;
    int pressValue_ = 0;
    int grabOffset_ = 0;  // pointer minus thumb centre along the bar, while held
};

}  // namespace halvorn::ui
