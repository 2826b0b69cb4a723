#include "platform/ui/qt/qt_fonts.h"

#include <QFontDatabase>
#include <QString>
#include <QStringList>
#include <system_error>

namespace halvorn::ui {

std::vector<std::string> LoadPrivateFonts(const std::filesystem::path& folder,
                                          const std::vector<std::string>& names) {
    std::vector<std::string> families;
    for (const std::string& name : names) {
        const std::filesystem::path file = folder / name;
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) continue;
        const int id = QFontDatabase::addApplicationFont(QString::fromStdString(file.string()));
        if (id < 0) continue;
        for (const QString& family : QFontDatabase::applicationFontFamilies(id)) {
            families.push_back(family.toStdString());
        }
    }
    return families;
}

}  // namespace halvorn::ui
