#pragma once

// The small JSON settings file that holds on Linux what the registry key
// "SOFTWARE\Halvorn Device" of the current user holds elsewhere:
// $XDG_CONFIG_HOME/Halvorn Device/settings.json (default ~/.config).

#include <filesystem>
#include <string>

#include "platform/fs/data_folders.h"

namespace halvorn {

inline constexpr const char* kLanguageValue = "LANGUAGE";

class SettingsFile {
public:
    explicit SettingsFile(std::filesystem::path path);

    // ConfigRoot(env)/settings.json; empty when the environment gives no base.
    static std::filesystem::path DefaultPath(const FolderEnvironment& env);

    const std::filesystem::path& Path() const { return path_; }

    // The integer value `name`; `fallback` when the file is missing or broken
    // or the value is missing or not an integer.
    int GetInt(const std::string& name, int fallback) const;

    // Stores the integer value `name`, keeping every other member of the
    // file, and creates the folder when missing. False (traced) when the file
    // cannot be written; the old file is then left as it was.
    bool SetInt(const std::string& name, int value);

    int Language(int fallback) const { return GetInt(kLanguageValue, fallback); }
    bool SetLanguage(int value) { return SetInt(kLanguageValue, value); }

private:
    std::filesystem::path path_;
};

}  // namespace halvorn
