#include "platform/fs/data_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/fs/file_name.h"
#include "platform/trace/trace.h"

namespace halvorn {
namespace fs = std::filesystem;
namespace {

std::string EnvValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string PasswordHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    return found->pw_dir;
}

// $XDG_..._HOME when it is absolute, else HOME/<fallback>, then our folder.
fs::path AppFolderUnder(const std::string& xdgValue, const std::string& home,
                        const char* homeFallback) {
    fs::path base;
    if (!xdgValue.empty() && fs::path(xdgValue).is_absolute()) {
        base = xdgValue;
    } else if (!home.empty()) {
        base = fs::path(home) / homeFallback;
    } else {
        return {};
    }
    return base / kAppFolderName;
}

}  // namespace

FolderEnvironment FolderEnvironment::FromProcess() {
    FolderEnvironment env;
    env.home = EnvValue("HOME");
    if (env.home.empty()) env.home = PasswordHome();
    env.xdgDataHome = EnvValue("XDG_DATA_HOME");
    env.xdgConfigHome = EnvValue("XDG_CONFIG_HOME");
    env.xdgCacheHome = EnvValue("XDG_CACHE_HOME");
    env.dataDir = EnvValue("HALVORN_DATA_DIR");
    return env;
}

fs::path UserDataRoot(const FolderEnvironment& env) {
    return AppFolderUnder(env.xdgDataHome, env.home, ".local/share");
}

fs::path ConfigRoot(const FolderEnvironment& env) {
    return AppFolderUnder(env.xdgConfigHome, env.home, ".config");
}

fs::path TempRoot(const FolderEnvironment& env) {
    return AppFolderUnder(env.xdgCacheHome, env.home, ".cache");
}

fs::path DeviceDataFolder(const FolderEnvironment& env, std::string_view kindFolder) {
    fs::path root = UserDataRoot(env);
    if (root.empty() || !IsPlainFileName(kindFolder)) return {};
    return root / kindFolder;
}

std::error_code CreateFolder(const fs::path& folder) {
    std::error_code error;
    if (folder.empty()) {
        error = std::make_error_code(std::errc::invalid_argument);
    } else {
        // Each missing level in turn, from the root down.
        fs::path partial;
        for (const fs::path& part : folder) {
            partial /= part;
            if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
                error = std::error_code(errno, std::generic_category());
                break;
            }
        }
        if (!error && !fs::is_directory(folder, error) && !error) {
            error = std::make_error_code(std::errc::not_a_directory);
        }
    }
    if (error) Trace("cannot create folder " + folder.string() + ": " + error.message());
    return error;
}

std::vector<fs::path> DefaultDataCandidates(const FolderEnvironment& env, const fs::path& exeFolder,
                                            const fs::path& sourceFolder) {
    std::vector<fs::path> candidates;
    if (!env.dataDir.empty()) candidates.emplace_back(env.dataDir);
    if (!exeFolder.empty()) {
        candidates.push_back(exeFolder / "DefaultData");
        candidates.push_back(
            (exeFolder / ".." / "share" / "halvorn-device" / "DefaultData").lexically_normal());
    }
    if (!sourceFolder.empty()) candidates.push_back(sourceFolder);
    return candidates;
}

fs::path FirstExistingFolder(const std::vector<fs::path>& candidates) {
    for (const fs::path& candidate : candidates) {
        std::error_code error;
        if (fs::is_directory(candidate, error)) return candidate;
    }
    return {};
}

fs::path ExecutableFolder() {
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return exe.parent_path();
}

fs::path FindDefaultDataFolder() {
#ifdef HALVORN_SOURCE_DATA_DIR
    const fs::path sourceFolder = HALVORN_SOURCE_DATA_DIR;
#else
    const fs::path sourceFolder;
#endif
    const FolderEnvironment env = FolderEnvironment::FromProcess();
    const std::vector<fs::path> candidates =
        DefaultDataCandidates(env, ExecutableFolder(), sourceFolder);
    fs::path found = FirstExistingFolder(candidates);
    if (!env.dataDir.empty() && found != fs::path(env.dataDir)) {
        Trace("HALVORN_DATA_DIR is not a folder: " + env.dataDir);
    }
    if (found.empty()) Trace("no DefaultData folder found");
    return found;
}

}  // namespace halvorn
