#include "platform/settings/settings_file.h"

#include <json/value.h>

#include <utility>

#include "platform/fs/json_file.h"
#include "platform/trace/trace.h"

namespace halvorn {

SettingsFile::SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

std::filesystem::path SettingsFile::DefaultPath(const FolderEnvironment& env) {
    std::filesystem::path root = ConfigRoot(env);
    return root.empty() ? root : root / "settings.json";
}

int SettingsFile::GetInt(const std::string& name, int fallback) const {
    const Json::Value root = ReadJsonValue(path_);
    if (!root.isObject()) return fallback;
    const Json::Value& value = root[name];
    return value.isInt() ? value.asInt() : fallback;
}

bool SettingsFile::SetInt(const std::string& name, int value) {
    if (path_.empty()) return false;
    Json::Value root = ReadJsonValue(path_);
    // A file that is not an object holds nothing we could keep.
    if (!root.isObject()) root = Json::Value(Json::objectValue);
    root[name] = value;
    if (path_.has_parent_path() && CreateFolder(path_.parent_path())) return false;
    if (!WriteJsonFile(path_, root)) {
        Trace("cannot write settings " + path_.string());
        return false;
    }
    return true;
}

}  // namespace halvorn
