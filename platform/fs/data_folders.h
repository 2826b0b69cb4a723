#pragma once

// Where the program keeps its files on Linux:
//   user data   $XDG_DATA_HOME/Halvorn Device/<kind>/   (default ~/.local/share)
//   settings    $XDG_CONFIG_HOME/Halvorn Device/        (default ~/.config)
//   temporary   $XDG_CACHE_HOME/Halvorn Device/         (default ~/.cache)
//   defaults    the read-only "DefaultData" folder shipped with the program
// The path builders take the environment as an argument so that they can be
// tested without touching the real home folder.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace halvorn {

inline constexpr std::string_view kAppFolderName = "Halvorn Device";

// The per-kind folder names of the user data folder.
inline constexpr std::string_view kKeyboardFolder = "keyboard";
inline constexpr std::string_view kMouseFolder = "mouse";
inline constexpr std::string_view kMousePadFolder = "MousePad";
inline constexpr std::string_view kHeadsetFolder = "HD";

// The environment values the folders depend on; an empty string is unset.
struct FolderEnvironment {
    std::string home;           // $HOME, else the password database's home folder
    std::string xdgDataHome;    // $XDG_DATA_HOME
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME
    std::string xdgCacheHome;   // $XDG_CACHE_HOME
    std::string dataDir;        // $HALVORN_DATA_DIR: the DefaultData folder to use

    static FolderEnvironment FromProcess();
};

// Each gives an empty path when neither the XDG variable (which counts only
// when it is an absolute path, as the XDG rules say) nor the home folder
// gives a base.
std::filesystem::path UserDataRoot(const FolderEnvironment& env);
std::filesystem::path ConfigRoot(const FolderEnvironment& env);
std::filesystem::path TempRoot(const FolderEnvironment& env);

// UserDataRoot/<kindFolder>; empty when the root is unknown or `kindFolder`
// is not a plain file name.
std::filesystem::path DeviceDataFolder(const FolderEnvironment& env, std::string_view kindFolder);

// Creates `folder` and its missing parents (mode 0700, as the XDG rules ask).
// An empty error when the folder exists afterwards; otherwise the reason,
// also traced with the folder's path.
std::error_code CreateFolder(const std::filesystem::path& folder);

// The places searched for "DefaultData", in this order:
//   1. $HALVORN_DATA_DIR (the DefaultData folder itself), when set
//   2. <executable folder>/DefaultData (a build or unpacked tree)
//   3. <executable folder>/../share/halvorn-device/DefaultData (an install)
//   4. `sourceFolder`, the source tree's DefaultData of a development build,
//      when not empty
// Empty entries are left out.
std::vector<std::filesystem::path> DefaultDataCandidates(const FolderEnvironment& env,
                                                         const std::filesystem::path& exeFolder,
                                                         const std::filesystem::path& sourceFolder);

// The first of `candidates` that is an existing folder; empty when none is.
std::filesystem::path FirstExistingFolder(const std::vector<std::filesystem::path>& candidates);

// The folder of the running executable (from /proc/self/exe); empty when it
// cannot be read.
std::filesystem::path ExecutableFolder();

// The program's DefaultData folder, searched as DefaultDataCandidates says
// with the process environment; empty (and traced) when there is none.
std::filesystem::path FindDefaultDataFolder();

}  // namespace halvorn
