#pragma once

// The open-file and save-file dialogs over QFileDialog, modal over their
// owner window.

#include <QString>

#include "platform/ui/file_dialogs.h"

namespace halvorn::ui {

// One filter as Qt writes it: "Profile Files(*.json)" with "*.json;" stays
// as it is (its patterns are in it already); other descriptions get their
// patterns appended: "Pictures (*.png *.jpg)".
QString QtFilterText(const FileFilter& filter);

class QtFileDialogs : public IFileDialogs {
public:
    std::optional<std::filesystem::path> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::filesystem::path> SaveFile(const FileDialogOptions& options) override;
};

}  // namespace halvorn::ui
