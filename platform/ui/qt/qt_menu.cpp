#include "platform/ui/qt/qt_menu.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <string>

namespace halvorn::ui {

QtMenuView::QtMenuView(CMenuWnd& menu, QWidget* owner, Point at, unsigned align) : model_(menu) {
    // Deleted by this view (later), or with its owner's widget.
    menu_ = new QMenu(owner);
    menu_->setObjectName(QStringLiteral("menu"));
    Fill(*menu_, model_.Items());

    std::weak_ptr<bool> alive = alive_;
    CMenuWnd* model = &model_;
    QObject::connect(menu_.data(), &QMenu::aboutToHide, menu_.data(), [alive, model] {
        // A chosen item's action runs after the menu hides: look again once
        // it had its turn.
        QTimer::singleShot(0, [alive, model] {
            if (!alive.expired()) model->ViewClosed();
        });
    });

    const QPoint point(at.x, at.y);
    QScreen* screen = QGuiApplication::screenAt(point);
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    Rect area;
    if (screen != nullptr) {
        const QRect g = screen->availableGeometry();
        area = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    }
    const QSize hint = menu_->sizeHint();
    const Rect placed = PlaceMenu(at, {hint.width(), hint.height()}, align, area);
    menu_->popup(QPoint(placed.left, placed.top));
}

QtMenuView::~QtMenuView() {
    alive_.reset();
    if (menu_) {
        menu_->disconnect();
        menu_->hide();
        menu_->deleteLater();
    }
}

void QtMenuView::Fill(QMenu& target, const std::vector<MenuItem>& items) {
    std::weak_ptr<bool> alive = alive_;
    CMenuWnd* model = &model_;
    for (const MenuItem& item : items) {
        if (!item.visible) continue;
        if (item.separator) {
            target.addSeparator();
            continue;
        }
        const QString text = QString::fromStdString(model_.ShownText(item));
        if (!item.children.empty()) {
            QMenu* sub = target.addMenu(text);
            sub->setEnabled(item.enabled);
            Fill(*sub, item.children);
            continue;
        }
        QAction* action = target.addAction(text);
        action->setObjectName(QString::fromStdString(item.name));
        action->setEnabled(item.enabled);
        action->setCheckable(item.checkable);
        action->setChecked(item.checked);
        const std::string name = item.name;
        QObject::connect(action, &QAction::triggered, &target, [alive, model, name] {
            if (!alive.expired()) model->Choose(name);
        });
    }
}

}  // namespace halvorn::ui
