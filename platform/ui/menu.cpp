#include "platform/ui/menu.h"

#include <optional>
#include <utility>

#include "platform/ui/control.h"
#include "platform/ui/ui_context.h"
#include "platform/ui/ui_text.h"
#include "platform/ui/window.h"
#include "platform/ui/xml.h"

namespace halvorn::ui {

namespace {

constexpr int kMaxMenuDepth = 16;

bool ParseItems(const XmlElement& parent, std::vector<MenuItem>& items, int depth,
                std::string& error) {
    if (depth > kMaxMenuDepth) {
        error = "menu nested too deeply at line " + std::to_string(parent.line);
        return false;
    }
    for (const XmlElement& element : parent.children) {
        if (element.name != "MenuElement") continue;  // other skin elements draw, not choose
        MenuItem item;
        item.name = element.AttributeOr("name", "");
        item.text = element.AttributeOr("text", "");
        item.userData = element.AttributeOr("userdata", "");
        item.separator = ParseBool(element.AttributeOr("line", "false"));
        item.checkable = ParseBool(element.AttributeOr("checkitem", "false"));
        item.checked = ParseBool(element.AttributeOr("checked", "false"));
        item.enabled = ParseBool(element.AttributeOr("enabled", "true"));
        item.visible = ParseBool(element.AttributeOr("visible", "true"));
        if (!ParseItems(element, item.children, depth + 1, error)) return false;
        items.push_back(std::move(item));
    }
    return true;
}

const MenuItem* FindIn(const std::vector<MenuItem>& items, std::string_view name) {
    for (const MenuItem& item : items) {
        if (item.name == name) return &item;
        if (const MenuItem* found = FindIn(item.children, name)) return found;
    }
    return nullptr;
}

}  // namespace

Rect PlaceMenu(Point at, Size size, unsigned align, const Rect& screen) {
    int left = (align & menu_align::kRight) ? at.x - size.cx : at.x;
    int top = (align & menu_align::kBottom) ? at.y - size.cy : at.y;
    if (!screen.Empty()) {
        if (left + size.cx > screen.right) left = screen.right - size.cx;
        if (left < screen.left) left = screen.left;
        if (top + size.cy > screen.bottom) top = screen.bottom - size.cy;
        if (top < screen.top) top = screen.top;
    }
    return {left, top, left + size.cx, top + size.cy};
}

std::unique_ptr<CMenuWnd> CMenuWnd::Load(UiContext& context, std::string_view layout,
                                         std::string* error) {
    const std::filesystem::path file = context.SkinPath(context.Resources().Resolve(layout));
    const std::optional<std::string> text = ReadSkinFile(file);
    if (!text) {
        if (error) *error = "cannot read the menu " + file.string();
        return nullptr;
    }
    return FromText(context, *text, error);
}

std::unique_ptr<CMenuWnd> CMenuWnd::FromText(UiContext& context, std::string_view xml,
                                             std::string* error) {
    XmlParse parse = ParseXml(xml);
    std::string problem;
    if (!parse.root) {
        problem = "menu XML line " + std::to_string(parse.line) + ": " + parse.error;
    } else {
        const XmlElement* menu = &*parse.root;
        if (menu->name == "Window") {
            menu = nullptr;
            for (const XmlElement& child : parse.root->children) {
                if (child.name == "Menu") menu = &child;
            }
        }
        if (menu == nullptr || menu->name != "Menu") problem = "no <Menu> element";
        if (problem.empty()) {
            auto result = std::make_unique<CMenuWnd>(context);
            if (ParseItems(*menu, result->items_, 0, problem)) return result;
        }
    }
    if (error) *error = problem;
    return nullptr;
}

CMenuWnd::~CMenuWnd() { Close(); }

MenuItem* CMenuWnd::Find(std::string_view name) {
    return const_cast<MenuItem*>(std::as_const(*this).Find(name));
}

const MenuItem* CMenuWnd::Find(std::string_view name) const {
    return name.empty() ? nullptr : FindIn(items_, name);
}

std::string CMenuWnd::ShownText(const MenuItem& item) const {
    return context_.Language().Has(item.text) ? context_.Language().Text(item.text) : item.text;
}

bool CMenuWnd::Show(WindowImplBase& owner, Point at, unsigned align) {
    if (owner.IsDestroyed()) return false;
    view_.reset();
    owner_ = &owner;
    at_ = at;
    align_ = align;
    shown_ = true;
    view_ = owner.System().ShowMenu(*this, owner.Frame(), at, align);
    return true;
}

void CMenuWnd::Close() {
    shown_ = false;
    view_.reset();
}

bool CMenuWnd::Choose(std::string_view name) {
    if (!shown_ || owner_ == nullptr) return false;
    MenuItem* item = Find(name);
    if (item == nullptr || item->separator || !item->enabled || !item->visible ||
        !item->children.empty()) {
        return false;
    }
    if (item->checkable) item->checked = !item->checked;
    MenuCmd record{item->name, item->userData, ShownText(*item), item->checked};
    WindowImplBase& owner = *owner_;
    Close();
    const intptr_t key = owner.QueueMenuClick(std::move(record));
    if (!owner.PostMessage(window_message::kMenuClick, 0, key)) {
        owner.TakeMenuClick(key);  // the owner is gone from the loop: nothing will take it
        return false;
    }
    return true;
}

}  // namespace halvorn::ui
