#pragma once

// Notifications: what controls report to their window ("click",
// "selectchanged", "itemselect", ...), and the receivers that handle them.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/geometry.h"

namespace halvorn::ui {

class CControlUI;

namespace notify_type {
inline constexpr std::string_view kClick = "click";
inline constexpr std::string_view kSelectChanged = "selectchanged";
inline constexpr std::string_view kItemSelect = "itemselect";
inline constexpr std::string_view kValueChanged = "valuechanged";
inline constexpr std::string_view kMoveValueChanged = "movevaluechanged";
inline constexpr std::string_view kTextChanged = "textchanged";
inline constexpr std::string_view kKillFocus = "killfocus";
inline constexpr std::string_view kSetFocus = "setfocus";
inline constexpr std::string_view kItemClick = "itemclick";
inline constexpr std::string_view kItemActivate = "itemactivate";
inline constexpr std::string_view kMenu = "menu";
inline constexpr std::string_view kReturn = "return";
inline constexpr std::string_view kDoubleClick = "dbclick";
inline constexpr std::string_view kMouseEnter = "msenter";
inline constexpr std::string_view kMouseLeave = "msleave";
inline constexpr std::string_view kColorChanged = "colorchanged";
inline constexpr std::string_view kWindowInit = "windowinit";
inline constexpr std::string_view kWindowSize = "windowsize";
inline constexpr std::string_view kTimer = "timer";
inline constexpr std::string_view kTabSelect = "tabselect";
inline constexpr std::string_view kDropDown = "dropdown";
}  // namespace notify_type

struct TNotifyUI {
    std::string type;
    CControlUI* sender = nullptr;
    uint64_t timestamp = 0;  // milliseconds of the window's clock
    Point mouse;
    intptr_t wParam = 0;
    intptr_t lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// A receiver with a notification map: handlers by type, optionally only for
// one sender name. Notify runs every matching handler in the order added.
class CNotifyPump : public INotifyUI {
public:
    using Handler = std::function<void(TNotifyUI&)>;
    void On(std::string_view type, Handler handler);
    void On(std::string_view type, std::string_view senderName, Handler handler);
    // Runs the map; true when some handler ran.
    bool LoopDispatch(TNotifyUI& msg);
    void Notify(TNotifyUI& msg) override { LoopDispatch(msg); }

private:
    struct Entry {
        std::string type;
        std::string sender;  // empty: any
        Handler handler;
    };
    std::vector<Entry> map_;
};

}  // namespace halvorn::ui
