#include "platform/ui/qt/qt_combo_popup.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <utility>

namespace halvorn::ui {

// Tells the popup when its list goes away without a pick.
class QtComboPopup::HideWatch : public QObject {
public:
    explicit HideWatch(QtComboPopup& popup) : popup_(popup) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) popup_.Report(-1);
        return QObject::eventFilter(watched, event);
    }

private:
    QtComboPopup& popup_;
};

QtComboPopup::QtComboPopup(QWidget* owner, const std::vector<std::string>& rows, int selected,
                           QPoint at, int width, int rowHeight, int maxHeight, Pick pick,
                           Closed closed)
    : watch_(std::make_unique<HideWatch>(*this)),
      pick_(std::move(pick)),
      closed_(std::move(closed)) {
    rowHeight = std::max(rowHeight, 8);
    // Deleted by this object (later), or with its owner's widget.
    list_ = new QListWidget(owner);
    list_->setWindowFlags(Qt::Popup);
    // A click outside only closes the list (a click on the combo would open it again).
    list_->setAttribute(Qt::WA_NoMouseReplay);
    list_->setObjectName(QStringLiteral("combo_popup"));
    list_->setUniformItemSizes(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const std::string& text : rows) {
        auto* row = new QListWidgetItem(QString::fromStdString(text), list_.data());
        row->setSizeHint(QSize(width, rowHeight));
    }
    if (selected >= 0 && selected < list_->count()) list_->setCurrentRow(selected);

    QListWidget* list = list_.data();
    auto choose = [this, list](QListWidgetItem* item) { Report(list->row(item)); };
    QObject::connect(list, &QListWidget::itemClicked, list, choose);
    QObject::connect(list, &QListWidget::itemActivated, list, choose);
    list->installEventFilter(watch_.get());

    const int frame = 2 * list_->frameWidth();
    const int fit = std::max(1, (std::max(maxHeight, rowHeight + frame) - frame) / rowHeight);
    const int shown = std::clamp(static_cast<int>(rows.size()), 1, fit);
    const QSize size(std::max(width, 40), shown * rowHeight + frame);
    QPoint where = at;
    if (QScreen* screen = QGuiApplication::screenAt(at)) {
        // Above the combo when there is no room below it.
        const QRect area = screen->availableGeometry();
        if (where.y() + size.height() > area.bottom()) where.ry() -= size.height();
        where.setX(
            std::clamp(where.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    }
    list_->setGeometry(QRect(where, size));
    list_->show();
    list_->setFocus();
}

QtComboPopup::~QtComboPopup() {
    reported_ = true;  // going away is no user's answer
    if (list_) {
        list_->removeEventFilter(watch_.get());
        list_->disconnect();
        list_->hide();
        list_->deleteLater();
    }
}

void QtComboPopup::Report(int row) {
    if (reported_) return;
    reported_ = true;
    // Copies: the answer may close (and destroy) this popup.
    Pick pick = pick_;
    Closed closed = closed_;
    if (list_ && list_->isVisible()) list_->hide();
    if (row >= 0) {
        if (pick) pick(row);
    } else if (closed) {
        closed();
    }
}

QRect QtComboPopup::RowRect(int index) const {
    if (!list_ || index < 0 || index >= list_->count()) return {};
    const QRect local = list_->visualItemRect(list_->item(index));
    return QRect(list_->viewport()->mapToGlobal(local.topLeft()), local.size());
}

}  // namespace halvorn::ui
