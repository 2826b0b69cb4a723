#include "platform/ui/notify.h"

#include "platform/ui/control.h"

namespace halvorn::ui {

void CNotifyPump::On(std::string_view type, Handler handler) {
    On(type, std::string_view(), std::move(handler));
}

void CNotifyPump::On(std::string_view type, std::string_view senderName, Handler handler) {
    if (!handler) return;
    map_.push_back({std::string(type), std::string(senderName), std::move(handler)});
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    bool ran = false;
    // By index, each handler copied: a handler may add entries to the map.
    for (size_t i = 0; i < map_.size(); ++i) {
        if (map_[i].type != msg.type) continue;
        if (!map_[i].sender.empty() && (!msg.sender || msg.sender->GetName() != map_[i].sender)) {
            continue;
        }
        Handler handler = map_[i].handler;
        handler(msg);
        ran = true;
    }
    return ran;
}

}  // namespace halvorn::ui
