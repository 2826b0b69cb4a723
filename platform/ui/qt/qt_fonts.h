#pragma once

// The program's own fonts, installed for this process only so that skin
// layouts can name their faces.

#include <filesystem>
#include <string>
#include <vector>

namespace halvorn::ui {

// Adds each of `names` in `folder` to the application's fonts; files that
// are missing or unreadable are skipped. Returns the font families added.
// A QGuiApplication must exist.
std::vector<std::string> LoadPrivateFonts(const std::filesystem::path& folder,
                                          const std::vector<std::string>& names);

}  // namespace halvorn::ui
