#pragma once

// Small text helpers of the control tree: ASCII case folding for class and
// attribute names, trimming, and reading a skin file whole.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace halvorn::ui {

inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

inline std::string_view TrimSpace(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// Skin files are small; anything above this is refused rather than read.
inline constexpr std::uintmax_t kMaxSkinFileBytes = 16 * 1024 * 1024;

// The whole file, or none when it is missing, unreadable, not a regular
// file or larger than kMaxSkinFileBytes.
std::optional<std::string> ReadSkinFile(const std::filesystem::path& file);

}  // namespace halvorn::ui
