#pragma once

// The desktop's open-file and save-file dialogs. A filter is a description
// as the user reads it ("Profile Files(*.json)") and its patterns joined by
// ';' ("*.json;"). Both calls block until the user answers and return the
// chosen path, or none when the user cancelled. The program uses the Qt
// dialogs (platform/ui/qt); tests answer with a recording double.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvorn::ui {

class IWindowFrame;

struct FileFilter {
    std::string description;
    std::string pattern;
    bool operator==(const FileFilter&) const = default;
};

struct FileDialogOptions {
    IWindowFrame* owner = nullptr;  // the dialog stays over this window
    std::vector<FileFilter> filters;
    int filterIndex = 1;        // from 1, as the filter list counts
    std::string defaultSuffix;  // added to a saved name that has none ("json")
    std::string initialName;
    std::filesystem::path initialFolder;  // empty: the dialog's own choice
};

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual std::optional<std::filesystem::path> OpenFile(const FileDialogOptions& options) = 0;
    // Asks before replacing an existing file.
    virtual std::optional<std::filesystem::path> SaveFile(const FileDialogOptions& options) = 0;
};

// The patterns of "*.json;*.JSON;" (empty entries and blanks dropped).
inline std::vector<std::string> FilterPatterns(std::string_view pattern) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= pattern.size()) {
        size_t end = pattern.find(';', start);
        if (end == std::string_view::npos) end = pattern.size();
        std::string_view part = pattern.substr(start, end - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        if (!part.empty()) result.emplace_back(part);
        start = end + 1;
    }
    return result;
}

// A filter list written as "description|pattern|description|pattern||"
// (the form the skin frame uses); blanks around the parts are dropped and
// the list ends at the first empty description.
inline std::vector<FileFilter> ParseFilterList(std::string_view list) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find('|', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view part = list.substr(start, end - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        parts.emplace_back(part);
        start = end + 1;
    }
    std::vector<FileFilter> filters;
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        filters.push_back({parts[i], parts[i + 1]});
    }
    return filters;
}

}  // namespace halvorn::ui
