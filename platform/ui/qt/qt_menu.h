#pragma once

// A CMenuWnd on the screen as a QMenu (sub-menus, lines, check items,
// disabled items), placed with its aligned corner at the point and kept on
// the screen. Choosing an item calls CMenuWnd::Choose; closing it otherwise
// tells the menu ViewClosed.

#include <QMenu>
#include <QPointer>
#include <memory>

#include "platform/ui/menu.h"
#include "platform/ui/window.h"

namespace halvorn::ui {

class QtMenuView : public IMenuView {
public:
    QtMenuView(CMenuWnd& menu, QWidget* owner, Point at, unsigned align);
    ~QtMenuView() override;  // closes the QMenu (deleted later: this may run in its signal)

    QMenu* Menu() const { return menu_.data(); }

private:
    void Fill(QMenu& target, const std::vector<MenuItem>& items);

    CMenuWnd& model_;
    QPointer<QMenu> menu_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace halvorn::ui
