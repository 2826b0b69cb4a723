#pragma once

// The base of every control of the skin's control tree. No Qt here: the tree
// is built, laid out, driven and tested headless; platform/ui/qt only shows it.
//
// Class strings follow the skin's convention: a class CFooUI reports "Foo"
// (GetClass), and the factory and the builder know it by "Foo".

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/canvas.h"
#include "platform/ui/event.h"
#include "platform/ui/geometry.h"
#include "platform/ui/notify.h"

namespace halvorn::ui {

class CPaintManagerUI;

// Flags of FindControl. With kHitTest, `match` tests a position (the point
// inside the control): a container that fails it is not looked into (its
// children are clipped to it), and only mouse-enabled controls are returned,
// children before their container; a container taking no mouse still lets
// its children be found. Invisible (kVisible) or disabled (kEnabled)
// controls are skipped with their subtrees.
namespace find {
inline constexpr unsigned kAll = 0;
inline constexpr unsigned kVisible = 1;
inline constexpr unsigned kEnabled = 2;
inline constexpr unsigned kHitTest = 4;   // mouse-enabled, point inside
inline constexpr unsigned kTopFirst = 8;  // later children first (they paint on top)
}  // namespace find

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // "Control", "Button", ... (see the header comment).
    virtual std::string_view GetClass() const { return "Control"; }

    // Tree.
    CControlUI* GetParent() const { return parent_; }
    CPaintManagerUI* GetManager() const { return manager_; }
    // Called when the control joins (or leaves, with null) a window's tree;
    // containers pass it on to their children.
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    // Called once, after the whole tree has its manager ("init" of the skin).
    virtual void DoInit() {}
    // Runs DoInit the first time only (the manager calls it when the control
    // joins a window's tree).
    void Init();
    // Visits this control and its subtree, top-down; the first control for
    // which `match` returns true is returned.
    virtual CControlUI* FindControl(const std::function<bool(CControlUI*)>& match,
                                    unsigned flags = find::kAll);
    CControlUI* FindSubControl(std::string_view name);  // by name within this subtree

    // Identity and text.
    const std::string& GetName() const { return name_; }
    virtual void SetName(std::string_view name);
    // The shown text: the translation of the language key in language-key
    // mode ("resourcetext" / SetResourceText), else the text itself.
    virtual std::string GetText() const;
    virtual void SetText(std::string_view text);
    const std::string& GetRawText() const { return text_; }
    bool IsResourceText() const { return resourceText_; }
    void SetResourceText(bool on);
    // In language-key mode the tooltip is a language key too.
    std::string GetToolTip() const;
    void SetToolTip(std::string_view text);
    const std::string& GetUserData() const { return userData_; }
    void SetUserData(std::string_view data) { userData_ = std::string(data); }
    uintptr_t GetTag() const { return tag_; }
    void SetTag(uintptr_t tag) { tag_ = tag; }

    // State.
    bool IsVisible() const { return visible_ && internVisible_; }
    virtual void SetVisible(bool visible);
    // Set by a container hiding its subtree (a tab page not shown).
    virtual void SetInternVisible(bool visible);
    bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    bool IsMouseEnabled() const { return mouseEnabled_; }
    void SetMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    bool IsKeyboardEnabled() const { return keyboardEnabled_; }
    void SetKeyboardEnabled(bool enabled) { keyboardEnabled_ = enabled; }
    bool IsFocused() const { return focused_; }
    void SetFocus();  // through the manager, with killfocus / setfocus
    void SetFocusedState(bool focused) { focused_ = focused; }  // the manager's side
    bool IsHot() const { return hot_; }
    void SetHot(bool hot) { hot_ = hot; }

    // Geometry. Sizes are in unscaled skin pixels; GetPos is the laid-out
    // rectangle in window pixels (scaled).
    const Rect& GetPos() const { return pos_; }
    virtual void SetPos(const Rect& rect, bool needInvalidate = true);
    // Skin pixels in window pixels at the window's UI scale (unchanged
    // without a window): what layouts use for sizes, paddings and insets.
    int Scaled(int value) const;
    Size Scaled(Size size) const;
    Rect Scaled(const Rect& rect) const;
    // The size this control asks of its container; 0 in a direction means
    // "whatever is left". Scaled.
    virtual Size EstimateSize(Size available);
    int GetFixedWidth() const { return fixedSize_.cx; }
    int GetFixedHeight() const { return fixedSize_.cy; }
    void SetFixedWidth(int cx);
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return minSize_.cx; }
    int GetMinHeight() const { return minSize_.cy; }
    int GetMaxWidth() const { return maxSize_.cx; }
    int GetMaxHeight() const { return maxSize_.cy; }
    void SetMinWidth(int cx) { minSize_.cx = cx; }
    void SetMinHeight(int cy) { minSize_.cy = cy; }
    void SetMaxWidth(int cx) { maxSize_.cx = cx; }
    void SetMaxHeight(int cy) { maxSize_.cy = cy; }
    const Rect& GetPadding() const { return padding_; }  // outer margin inside the parent
    void SetPadding(const Rect& padding);
    bool IsFloat() const { return float_; }
    void SetFloat(bool on) { float_ = on; }
    // Position of a float control relative to its parent ("pos" attribute).
    const Rect& GetFloatPos() const { return floatPos_; }
    void SetFloatPos(const Rect& pos) { floatPos_ = pos; }

    // Looks.
    Color GetBkColor() const { return bkColor_; }
    void SetBkColor(Color color);
    // With a second colour the background is a vertical gradient.
    Color GetBkColor2() const { return bkColor2_; }
    void SetBkColor2(Color color);
    const std::string& GetBkImage() const { return bkImage_; }
    void SetBkImage(std::string_view image);
    Color GetBorderColor() const { return borderColor_; }
    void SetBorderColor(Color color) { borderColor_ = color; }
    int GetBorderSize() const { return borderSize_; }
    void SetBorderSize(int size) { borderSize_ = size; }
    Size GetBorderRound() const { return borderRound_; }
    void SetBorderRound(Size round) { borderRound_ = round; }
    Color GetTextColor() const { return textColor_; }
    void SetTextColor(Color color) { textColor_ = color; }
    Color GetDisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(Color color) { disabledTextColor_ = color; }
    int GetFont() const { return font_; }  // index into the window's fonts; -1 default
    void SetFont(int index) { font_ = index; }
    unsigned GetTextAlign() const { return textAlign_; }
    void SetTextAlign(unsigned align) { textAlign_ = align; }
    const Rect& GetTextPadding() const { return textPadding_; }
    void SetTextPadding(const Rect& padding) { textPadding_ = padding; }

    // Attributes as the skin writes them. Known ones also set the fields
    // above; every one is kept as text and can be read back.
    virtual void SetAttribute(std::string_view name, std::string_view value);
    std::string GetAttribute(std::string_view name) const;
    const std::map<std::string, std::string, std::less<>>& Attributes() const {
        return attributes_;
    }
    // A ';'-separated list of name="value" pairs (the skin's "Default" styles).
    void ApplyAttributeList(std::string_view list);

    // Input, routed by the paint manager. The base handles hot tracking
    // (MouseEnter / MouseLeave set the hot state and send "msenter" /
    // "msleave" for enabled controls), focus changes (repaint), timers (a
    // "timer" notification with the id in wParam), the context menu ("menu"
    // when the attribute menu="true"), and hands everything else to the
    // parent, so that a wheel or a key nobody below wanted bubbles up.
    virtual void DoEvent(UIEvent& event);
    // What a click does ("click" for buttons); false when it does nothing.
    // The base only says whether the control can act: visible and enabled.
    virtual bool Activate();

    // The sender's own handling of its notifications: after the window's
    // notifiers. The base runs the handlers added with AddNotifyHandler.
    virtual void OnNotify(TNotifyUI& msg);
    void AddNotifyHandler(std::function<void(TNotifyUI&)> handler);

    // Painting: background colour, background image, status images, text,
    // border, in that order (the skin library's order).
    virtual void DoPaint(Canvas& canvas, const Rect& dirty);
    virtual void PaintBkColor(Canvas& canvas);
    virtual void PaintBkImage(Canvas& canvas);
    virtual void PaintStatusImage(Canvas& canvas) { (void)canvas; }
    virtual void PaintText(Canvas& canvas) { (void)canvas; }
    virtual void PaintBorder(Canvas& canvas);
    // Draws an image string over this control; false when it cannot be drawn.
    bool DrawImage(Canvas& canvas, std::string_view imageString);

    void Invalidate();
    // Asks the container to lay out again (size or visibility changed).
    void NeedParentUpdate();
    void NeedUpdate();
    bool IsUpdateNeeded() const { return updateNeeded_; }

    // Per-control timers on the window's loop; they arrive as Timer events.
    bool SetTimer(int id, int elapseMs);
    void KillTimer(int id);

protected:
    void Notify(std::string_view type, intptr_t wParam = 0, intptr_t lParam = 0);

    CPaintManagerUI* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    bool updateNeeded_ = true;

private:
    std::string name_;
    std::string text_;
    std::string toolTip_;
    std::string userData_;
    uintptr_t tag_ = 0;
    bool resourceText_ = false;
    bool initDone_ = false;
    bool visible_ = true;
    bool internVisible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool keyboardEnabled_ = true;
    bool focused_ = false;
    bool hot_ = false;
    bool float_ = false;
    Rect pos_;
    Rect floatPos_;
    Size fixedSize_;
    Size minSize_;
    Size maxSize_{9999, 9999};
    Rect padding_;
    Color bkColor_ = 0;
    Color bkColor2_ = 0;
    std::string bkImage_;
    Color borderColor_ = 0;
    int borderSize_ = 0;
    Size borderRound_;
    Color textColor_ = 0;
    Color disabledTextColor_ = 0;
    int font_ = -1;
    unsigned textAlign_ = text_align::kLeft | text_align::kVCenter | text_align::kSingleLine;
    Rect textPadding_;
    std::map<std::string, std::string, std::less<>> attributes_;
    std::vector<std::function<void(TNotifyUI&)>> notifyHandlers_;
};

// Attribute value parsers shared by the controls. Malformed text gives 0
// (colours, missing rectangle or size parts), false, or the fallback.
Color ParseColor(std::string_view text);  // "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB"
Rect ParseRect(std::string_view text);    // "l,t,r,b"
Size ParseSize(std::string_view text);    // "cx,cy"
bool ParseBool(std::string_view text);    // "true" / "1" (any case); anything else false
int ParseInt(std::string_view text, int fallback = 0);
// "left|center|right|top|vcenter|bottom" words (also ',' or ' ' between
// them) applied over `align`: a horizontal word replaces the horizontal
// flags, a vertical one the vertical flags.
unsigned ParseAlign(std::string_view text, unsigned align);

}  // namespace halvorn::ui
