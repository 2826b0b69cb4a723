#pragma once

// The drop-down list of a combo: a pop-up window under the combo with one
// row per item; a click (or Return) on a row picks it, Escape or a click
// elsewhere closes the list without a pick. Either way the list reports
// once: `pick` with the row, or `closed`.

#include <QListWidget>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace halvorn::ui {

class QtComboPopup {
public:
    using Pick = std::function<void(int row)>;
    using Closed = std::function<void()>;
    // Screen pixels: the list's top-left corner, its width, a row's height
    // and the most the list may take (rows beyond it scroll).
    QtComboPopup(QWidget* owner, const std::vector<std::string>& rows, int selected, QPoint at,
                 int width, int rowHeight, int maxHeight, Pick pick, Closed closed);
    ~QtComboPopup();  // closes the list (deleted later: this may run in its signal)
    QtComboPopup(const QtComboPopup&) = delete;
    QtComboPopup& operator=(const QtComboPopup&) = delete;

    bool IsOpen() const { return list_ && list_->isVisible(); }
    // Screen rectangle of row `index` (for tests that click it), empty when none.
    QRect RowRect(int index) const;
    QListWidget* List() const { return list_.data(); }

private:
    class HideWatch;
    void Report(int row);

    QPointer<QListWidget> list_;
    std::unique_ptr<HideWatch> watch_;
    Pick pick_;
    Closed closed_;
    bool reported_ = false;
};

}  // namespace halvorn::ui
