#include "platform/ui/qt/qt_file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "platform/ui/qt/qt_window_frame.h"

namespace halvorn::ui {

namespace {

std::optional<std::filesystem::path> Run(const FileDialogOptions& options, bool save) {
    QWidget* owner = nullptr;
    if (auto* frame = dynamic_cast<QtWindowFrame*>(options.owner)) owner = frame->Widget();
    QFileDialog dialog(owner);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    for (const FileFilter& filter : options.filters) filters << QtFilterText(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = options.filterIndex - 1;
        if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
    }
    if (!options.defaultSuffix.empty()) {
        dialog.setDefaultSuffix(QString::fromStdString(options.defaultSuffix));
    }
    if (!options.initialFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(options.initialFolder.string()));
    }
    if (!options.initialName.empty())
        dialog.selectFile(QString::fromStdString(options.initialName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.front().toStdString());
}

}  // namespace

QString QtFilterText(const FileFilter& filter) {
    const std::vector<std::string> patterns = FilterPatterns(filter.pattern);
    QStringList list;
    for (const std::string& p : patterns) list << QString::fromStdString(p);
    const QString joined = list.join(QLatin1Char(' '));
    const QString description = QString::fromStdString(filter.description).trimmed();
    if (description.endsWith(QLatin1Char('(') + joined + QLatin1Char(')'))) return description;
    if (joined.isEmpty()) return description + QStringLiteral(" (*)");
    return description + QStringLiteral(" (") + joined + QLatin1Char(')');
}

std::optional<std::filesystem::path> QtFileDialogs::OpenFile(const FileDialogOptions& options) {
    return Run(options, false);
}

std::optional<std::filesystem::path> QtFileDialogs::SaveFile(const FileDialogOptions& options) {
    return Run(options, true);
}

}  // namespace halvorn::ui
