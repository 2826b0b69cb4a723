#include "profile/profile_list.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <utility>

#include "platform/fs/file_name.h"
#include "platform/fs/json_file.h"
#include "platform/trace/trace.h"
#include "profile/json_fields.h"
#include "profile/text_utils.h"

namespace halvorn {
namespace fs = std::filesystem;
namespace {

constexpr const char* kEntries = "profilelist";
constexpr const char* kSelect = "profileselect";
constexpr const char* kName = "profilename";
constexpr const char* kUuid = "profileUUID";
// Far above any profile; refuses a wrong file picked by mistake before it is read.
constexpr std::uintmax_t kMaxImportBytes = 16u << 20;

// An object with an array "profilelist": a list the operations can work on.
bool IsList(const Json::Value& doc) { return doc.isObject() && doc[kEntries].isArray(); }

int EntryCount(const Json::Value& list) {
    return IsList(list) ? static_cast<int>(list[kEntries].size()) : 0;
}

const Json::Value& EntryValue(const Json::Value& list, int index) {
    return list[kEntries][static_cast<Json::ArrayIndex>(index)];
}

bool NameTaken(const Json::Value& list, std::string_view name, int except = -1) {
    for (int i = 0; i < EntryCount(list); ++i) {
        if (i != except && SameTextIgnoringCase(ReadString(EntryValue(list, i), kName), name))
            return true;
    }
    return false;
}

// The device profile object "Device"[0] of a profile document, or null.
Json::Value* DeviceProfile(Json::Value& doc) {
    if (!doc.isObject() || !doc.isMember("Device")) return nullptr;
    Json::Value& devices = doc["Device"];
    if (!devices.isArray() || devices.empty() || !devices[0].isObject()) return nullptr;
    return &devices[0];
}

}  // namespace

std::array<TabChange, 8> ProfileTabChanges(int deviceType) {
    constexpr TabChange K = TabChange::kKeep, H = TabChange::kHide, S = TabChange::kShow;
    // Light, key, macro, system, cursor, voice, magic, virtual surround.
    switch (deviceType) {
        case 1:
            return {K, K, K, K, H, K, K, K};
        case 3:
        case 5:
            return {K, H, H, H, H, K, K, K};
        case 4:
            return {K, H, H, K, H, K, K, K};
        case 7:
            return {K, H, H, H, H, S, S, S};
        default:
            return {K, K, K, K, K, K, K, K};
    }
}

std::array<bool, 8> ProfileTabSelection(int number) {
    std::array<bool, 8> selected{};
    if (number >= 1 && number <= 8) selected[static_cast<std::size_t>(number - 1)] = true;
    return selected;
}

ProfileList::ProfileList(fs::path dataFolder, fs::path defaultProfilePath, int deviceType,
                         Clock clock)
    : dataFolder_(std::move(dataFolder)),
      defaultProfilePath_(std::move(defaultProfilePath)),
      deviceType_(deviceType),
      clock_(clock ? std::move(clock) : Clock(&std::chrono::system_clock::now)),
      document_(dataFolder_ / kListFileName, kEntries, "profile list") {}

fs::path ProfileList::ProfilePath(const std::string& uuid) const {
    return dataFolder_ / (uuid + ".Json");
}

Json::Value ProfileList::DefaultProfile() const {
    Json::Value defaults = ReadJsonValue(defaultProfilePath_);
    if (defaults.isObject()) return defaults;
    Trace("default profile unreadable: " + defaultProfilePath_.string());
    return Json::Value(Json::objectValue);
}

std::string ProfileList::NewUuid(const Json::Value& list) const {
    return FreeTimeStampName(clock_(), [&](const std::string& uuid) {
        for (int i = 0; i < EntryCount(list); ++i) {
            if (ReadString(EntryValue(list, i), kUuid) == uuid) return true;
        }
        std::error_code error;
        return fs::exists(ProfilePath(uuid), error) || error;
    });
}

// Writes the new profile's file first and the list after it, so a failure
// of either leaves neither a listed profile without a file nor a stray file.
ProfileResult ProfileList::AppendProfile(Json::Value& list, const std::string& name,
                                         Json::Value profile, bool remember) {
    const std::string uuid = NewUuid(list);
    if (uuid.empty()) return ProfileResult::kWriteFailed;
    if (!profile.isObject()) profile = Json::Value(Json::objectValue);
    profile[kName] = name;
    profile[kUuid] = uuid;

    Json::Value entry(Json::objectValue);
    entry[kName] = name;
    entry[kUuid] = uuid;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    Json::Value& entries = list[kEntries];
    entries.append(entry);
    if (remember) list[kSelect] = static_cast<int>(entries.size()) - 1;

    const fs::path file = ProfilePath(uuid);
    if (!WriteJsonFile(file, profile)) {
        Trace("cannot write the profile file " + file.string());
        return ProfileResult::kWriteFailed;
    }
    if (!document_.Store(list)) {
        std::error_code error;
        fs::remove(file, error);
        return ProfileResult::kWriteFailed;
    }
    return ProfileResult::kDone;
}

void ProfileList::TakeSelection(const Json::Value& list, int index) {
    selected_ = index;
    currentUuid_ = ReadString(EntryValue(list, index), kUuid);
}

bool ProfileList::SelectedEntry(const Json::Value& list, Entry& entry) const {
    if (selected_ < 0 || selected_ >= EntryCount(list)) return false;
    const Json::Value& value = EntryValue(list, selected_);
    entry.name = ReadString(value, kName);
    entry.uuid = ReadString(value, kUuid);
    entry.usable = IsPlainFileName(entry.uuid);
    return entry.usable;
}

ProfileResult ProfileList::Init() {
    selected_ = -1;
    currentUuid_.clear();
    document_.Forget();
    Json::Value list = document_.Load();
    ProfileResult result = ProfileResult::kDone;

    if (EntryCount(list) == 0) {
        // A fresh list; other members of a readable document are kept.
        if (!list.isObject()) list = Json::Value(Json::objectValue);
        list[kEntries] = Json::Value(Json::arrayValue);
        result = AppendProfile(list, "profile1", DefaultProfile(), true);
        document_.Remember(list);  // usable for this run even when it could not be written
    }

    auto usable = [&](int i) { return IsPlainFileName(ReadString(EntryValue(list, i), kUuid)); };
    const Json::Value& stored = std::as_const(list)[kSelect];
    int index = stored.isInt() ? stored.asInt() : -1;
    if (index < 0 || index >= EntryCount(list) || !usable(index)) {
        index = -1;
        for (int i = 0; i < EntryCount(list) && index < 0; ++i) {
            if (usable(i)) index = i;
        }
    }
    if (index < 0) {
        Trace("no profile in the list names a plain file; adding one");
        std::string name = "profile1";
        for (int n = 2; NameTaken(list, name); ++n) name = "profile" + std::to_string(n);
        result = AppendProfile(list, name, DefaultProfile(), true);
        document_.Remember(list);
        index = EntryCount(list) - 1;
    }

    const ProfileResult selected = Select(index);
    return result != ProfileResult::kDone ? result : selected;
}

ProfileResult ProfileList::Select(int index) {
    Json::Value list = document_.Load();
    if (index < 0 || index >= EntryCount(list)) return ProfileResult::kInvalid;
    const std::string uuid = ReadString(EntryValue(list, index), kUuid);
    if (!IsPlainFileName(uuid)) {
        Trace("profile entry " + std::to_string(index) + " does not name a plain file: \"" + uuid +
              "\"");
        return ProfileResult::kInvalid;
    }
    TakeSelection(list, index);
    const Json::Value& stored = std::as_const(list)[kSelect];
    if (stored.isInt() && stored.asInt() == index) return ProfileResult::kDone;
    list[kSelect] = index;
    return document_.Store(list) ? ProfileResult::kDone : ProfileResult::kWriteFailed;
}

ProfileResult ProfileList::Add() {
    Json::Value list = document_.Load();
    if (!IsList(list)) return ProfileResult::kInvalid;
    if (EntryCount(list) >= kMaxProfiles) return ProfileResult::kRefused;
    std::string name = "profile1";
    for (int n = 2; NameTaken(list, name); ++n) name = "profile" + std::to_string(n);
    return AppendProfile(list, name, DefaultProfile(), true);
}

ProfileResult ProfileList::Delete() {
    Json::Value list = document_.Load();
    Entry entry;
    if (!SelectedEntry(list, entry)) return ProfileResult::kRefused;
    const int s = selected_;

    Json::Value removed;
    list[kEntries].removeIndex(static_cast<Json::ArrayIndex>(s), &removed);
    const int count = EntryCount(list);
    auto usable = [&](int i) { return IsPlainFileName(ReadString(EntryValue(list, i), kUuid)); };
    int next = s > 0 ? s - 1 : 0;
    if (next >= count || !usable(next)) {
        next = -1;
        for (int i = 0; i < count && next < 0; ++i) {
            if (usable(i)) next = i;
        }
    }
    if (next < 0) return ProfileResult::kRefused;  // the last usable profile stays
    list[kSelect] = next;
    if (!document_.Store(list)) return ProfileResult::kWriteFailed;

    bool shared = false;
    for (int i = 0; i < count; ++i) {
        shared = shared || ReadString(EntryValue(list, i), kUuid) == entry.uuid;
    }
    if (!shared) {
        std::error_code error;
        fs::remove(ProfilePath(entry.uuid), error);
        if (error) Trace("cannot delete profile file: " + error.message());
    }
    TakeSelection(list, next);
    return ProfileResult::kDone;
}

ProfileResult ProfileList::Copy() {
    Json::Value list = document_.Load();
    Entry entry;
    if (!SelectedEntry(list, entry)) return ProfileResult::kRefused;
    if (EntryCount(list) >= kMaxProfiles) return ProfileResult::kRefused;
    std::string name = entry.name + " copy";
    while (NameTaken(list, name)) name += " copy";
    // A source that cannot be read loads as the defaults, so it copies as them.
    Json::Value source = ReadJsonValue(ProfilePath(entry.uuid));
    if (!source.isObject()) source = DefaultProfile();
    return AppendProfile(list, name, std::move(source), false);
}

ProfileResult ProfileList::Import(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kMaxImportBytes) {
        Trace("profile file unreadable or too large: " + path.string());
        return ProfileResult::kInvalid;
    }
    Json::Value imported = ReadJsonValue(path);
    const Json::Value& view = imported;
    if (!view.isObject() || !view[kName].isString() || !view[kUuid].isString()) {
        Trace("not a profile file: " + path.string());
        return ProfileResult::kInvalid;
    }
    Json::Value list = document_.Load();
    if (!IsList(list)) return ProfileResult::kInvalid;
    if (EntryCount(list) >= kMaxProfiles) return ProfileResult::kRefused;
    std::string name = path.stem().string();
    for (int n = 1; NameTaken(list, name); ++n) name += "(" + std::to_string(n) + ")";
    return AppendProfile(list, name, std::move(imported), false);
}

ProfileResult ProfileList::Export(const fs::path& path) {
    Entry entry;
    if (!SelectedEntry(document_.Load(), entry)) return ProfileResult::kRefused;
    const Json::Value profile = ReadJsonValue(ProfilePath(entry.uuid));
    if (!profile.isObject()) {
        Trace("profile file unreadable: " + ProfilePath(entry.uuid).string());
        return ProfileResult::kInvalid;
    }
    return WriteJsonFile(path, profile) ? ProfileResult::kDone : ProfileResult::kWriteFailed;
}

RenameResult ProfileList::Rename(std::string_view name) {
    if (IsBlank(name)) return RenameResult::kBlank;
    Json::Value list = document_.Load();
    Entry entry;
    if (!SelectedEntry(list, entry)) return RenameResult::kFailed;
    if (NameTaken(list, name, selected_)) return RenameResult::kTaken;

    const std::string text(name);
    list[kEntries][static_cast<Json::ArrayIndex>(selected_)][kName] = text;
    if (!document_.Store(list)) return RenameResult::kFailed;

    // The list holds the name; the file's copy follows when the file is readable.
    const fs::path file = ProfilePath(entry.uuid);
    Json::Value profile = ReadJsonValue(file);
    if (profile.isObject()) {
        profile[kName] = text;
        if (!WriteJsonFile(file, profile)) Trace("cannot write " + file.string());
    }
    return RenameResult::kRenamed;
}

ProfileResult ProfileList::Reset() {
    Json::Value list = document_.Load();
    Entry entry;
    if (!SelectedEntry(list, entry)) return ProfileResult::kRefused;
    Json::Value fresh = ReadJsonValue(defaultProfilePath_);
    if (!fresh.isObject()) {
        Trace("default profile unreadable: " + defaultProfilePath_.string());
        return ProfileResult::kInvalid;
    }
    fresh[kName] = entry.name;
    fresh[kUuid] = entry.uuid;

    const fs::path file = ProfilePath(entry.uuid);
    if (deviceType_ == kHeadsetType) {
        Json::Value old = ReadJsonValue(file);
        Json::Value* oldProfile = DeviceProfile(old);
        Json::Value* newProfile = DeviceProfile(fresh);
        if (oldProfile != nullptr && newProfile != nullptr) {
            for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
                if (oldProfile->isMember(key) && !(*oldProfile)[key].isNull()) {
                    (*newProfile)[key] = (*oldProfile)[key];
                }
            }
        }
    }
    return WriteJsonFile(file, fresh) ? ProfileResult::kDone : ProfileResult::kWriteFailed;
}

int ProfileList::Count() { return EntryCount(document_.Load()); }

std::vector<std::string> ProfileList::Names() {
    const Json::Value list = document_.Load();
    std::vector<std::string> names;
    for (int i = 0; i < EntryCount(list); ++i)
        names.push_back(ReadString(EntryValue(list, i), kName));
    return names;
}

fs::path ProfileList::ProfilePathAt(int index) {
    const Json::Value list = document_.Load();
    if (index < 0 || index >= EntryCount(list)) return {};
    const std::string uuid = ReadString(EntryValue(list, index), kUuid);
    return IsPlainFileName(uuid) ? ProfilePath(uuid) : fs::path();
}

}  // namespace halvorn
