#pragma once

// Menus from the skin's menu layouts:
//
//   <Menu>
//     <MenuElement name="about_menu" text="about_text" userdata="..."/>
//     <MenuElement line="true"/>
//     <MenuElement name="more" text="more_text">
//       <MenuElement name="lock" text="lock_text" checkitem="true" checked="false"/>
//     </MenuElement>
//     <MenuElement name="exit" text="exit_text"/>
//   </Menu>
//
// (a <Window> around the <Menu> is allowed). Texts are language keys when
// the language table knows them, else shown as written. A menu is a model:
// the window system shows it (a QMenu in the program, nothing in tests) and
// the user's choice comes back through Choose, which reports the item to
// the owner window as window_message::kMenuClick. The record stays with the
// owner until it takes it: TakeMenuClick(lParam) (see window.h), so a
// message that is dropped or handled twice loses nothing and frees nothing
// twice.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/geometry.h"

namespace halvorn::ui {

class UiContext;
class WindowImplBase;
class IMenuView;

// The corner of the menu that lies at the point it is shown at; a sum of
// these. Right wins over left and bottom over top; no flag is left or top.
namespace menu_align {
inline constexpr unsigned kLeft = 2;
inline constexpr unsigned kTop = 4;
inline constexpr unsigned kRight = 8;
inline constexpr unsigned kBottom = 16;
}  // namespace menu_align

struct MenuItem {
    std::string name;
    std::string text;  // as written: a language key or the text itself
    std::string userData;
    bool separator = false;  // line="true"
    bool checkable = false;  // checkitem="true": choosing it toggles `checked`
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    std::vector<MenuItem> children;  // a sub-menu
};

// What the owner receives for a chosen item.
struct MenuCmd {
    std::string name;
    std::string userData;
    std::string text;  // as shown
    bool checked = false;
    bool operator==(const MenuCmd&) const = default;
};

// The screen rectangle of a menu of `size` shown at `at` with `align`,
// moved inside `screen` when it would leave it (an empty screen moves nothing).
Rect PlaceMenu(Point at, Size size, unsigned align, const Rect& screen);

class CMenuWnd {
public:
    // A menu from a layout (resource name of "res.xml" or skin file), or from
    // XML text; null with `error` set when it cannot be read or parsed.
    static std::unique_ptr<CMenuWnd> Load(UiContext& context, std::string_view layout,
                                          std::string* error = nullptr);
    static std::unique_ptr<CMenuWnd> FromText(UiContext& context, std::string_view xml,
                                              std::string* error = nullptr);
    explicit CMenuWnd(UiContext& context) : context_(context) {}  // an empty menu
    ~CMenuWnd();                                                  // closes it
    CMenuWnd(const CMenuWnd&) = delete;
    CMenuWnd& operator=(const CMenuWnd&) = delete;

    const std::vector<MenuItem>& Items() const { return items_; }
    // The first item of that name at any depth, or null.
    MenuItem* Find(std::string_view name);
    const MenuItem* Find(std::string_view name) const;
    std::string ShownText(const MenuItem& item) const;

    // Shows the menu for `owner` (which must outlive it) at `at`, screen
    // pixels, through the owner's window system; a menu shown again moves.
    bool Show(WindowImplBase& owner, Point at, unsigned align);
    bool IsShown() const { return shown_; }
    Point ShownAt() const { return at_; }
    unsigned ShownAlign() const { return align_; }
    void Close();
    // The user chose `name`: a visible, enabled item that is no line and no
    // sub-menu of a shown menu. Toggles a check item, closes the menu and
    // posts kMenuClick to the owner; false (and nothing sent) otherwise.
    bool Choose(std::string_view name);
    // The view's side: the menu went away without a choice.
    void ViewClosed() { shown_ = false; }

private:
    UiContext& context_;
    std::vector<MenuItem> items_;
    WindowImplBase* owner_ = nullptr;
    std::unique_ptr<IMenuView> view_;
    bool shown_ = false;
    Point at_;
    unsigned align_ = 0;
};

}  // namespace halvorn::ui
