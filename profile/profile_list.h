#pragma once

// The profile list of one device kind: "ProfileList.ini" in the kind's data
// folder (a JSON document despite its extension) and the operations the
// profile panel offers on it. Each entry names a profile file in the same
// folder, the entry's UUID followed by ".Json"; a UUID is the TimeStampString()
// of the profile's creation.
//
// The list file is re-read before every change and written right after it,
// so members this program does not know survive and the file always matches
// what Names() reports. When the file has become unreadable since it was last
// read, the last good list is used instead (and written by the next change);
// a file that cannot be parsed is kept as "ProfileList.ini.broken" before it
// is replaced. The data folder itself is made by the caller (CreateFolder).
//
// An entry whose UUID is not a plain file name ("../x", "a/b", empty, over
// long) is kept in the list and shown, but it is never selected and no file
// is ever read, written or deleted for it.
//
// The class also keeps the selection a panel shows. "profileselect" in the
// file normally follows it, with one exception: Add() remembers the new
// profile for the next start without selecting it now.

#include <json/value.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "profile/list_document.h"

namespace halvorn {

enum class ProfileResult {
    kDone,
    kRefused,      // a limit of the list: 50 profiles, the last usable profile, nothing selected
    kInvalid,      // not a profile: a bad import, a missing default or source, an unusable entry
    kWriteFailed,  // a file could not be written; the list file is as it was
};

// The codes of the rename operation; the panel shows "message_text_5" for
// kTaken and "message_text_25" for kBlank.
enum class RenameResult : int { kFailed = -1, kTaken = 0, kRenamed = 1, kBlank = 2 };

// The eight setting tabs, numbered 1 to 8 in this order by SelectTab.
inline constexpr std::array<std::string_view, 8> kProfileTabNames = {
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

// What a panel does to each tab (all start visible) for a device type.
enum class TabChange { kKeep, kHide, kShow };
std::array<TabChange, 8> ProfileTabChanges(int deviceType);

// Which tabs are selected after selecting tab `number` (1 to 8); none for
// any other number.
std::array<bool, 8> ProfileTabSelection(int number);

class ProfileList {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    static constexpr int kMaxProfiles = 50;
    static constexpr int kHeadsetType = 7;
    static constexpr const char* kListFileName = "ProfileList.ini";

    // `dataFolder` is the kind's data folder, `defaultProfilePath` its
    // default profile file; `clock` (system time when empty) dates new UUIDs.
    ProfileList(std::filesystem::path dataFolder, std::filesystem::path defaultProfilePath,
                int deviceType, Clock clock = {});

    // Reads the list, or starts a fresh one holding "profile1" (with its
    // profile file made from the defaults) when the file is missing, broken
    // or empty, then selects "profileselect". When no entry is usable a new
    // profile is added and selected, keeping the others. The selection is
    // set up even when a write fails (kWriteFailed).
    ProfileResult Init();

    // Selects entry `index`, makes its UUID current and stores
    // "profileselect". kInvalid for an index out of range or an unusable
    // entry; kWriteFailed when the selection could not be stored (it is made
    // all the same).
    ProfileResult Select(int index);

    // Appends "profile%d" (the smallest free number, names compared ignoring
    // case) with a profile file from the defaults; "profileselect" is set to
    // it, but the selection and the current UUID stay.
    ProfileResult Add();

    // Removes the selected entry and deletes its file (unless another entry
    // names the same file); "profileselect", the selection and the current
    // UUID move to the entry before it, or to entry 0. kRefused when no other
    // usable profile would remain.
    ProfileResult Delete();

    // Appends "<name> copy" (" copy" repeated until free) with a copy of the
    // selected profile's file; the selection stays.
    ProfileResult Copy();

    // Appends a profile from a file holding a JSON object with string members
    // "profilename" and "profileUUID", named after the file (without folder
    // and extension, "(1)", "(2)", ... appended while taken) with a new UUID.
    ProfileResult Import(const std::filesystem::path& path);

    // Writes the selected profile's document to `path`.
    ProfileResult Export(const std::filesystem::path& path);

    // Renames the selected profile. A name taken by another entry (ignoring
    // case) is kTaken; its own name is accepted.
    RenameResult Rename(std::string_view name);

    // Replaces the selected profile's file by the defaults, keeping its name
    // and UUID; a headset keeps its custom equalisers. The list is unchanged.
    ProfileResult Reset();

    // These re-read the list.
    int Count();
    std::vector<std::string> Names();
    // The data folder + UUID + ".Json" of entry `index`; empty when out of
    // range or unusable.
    std::filesystem::path ProfilePathAt(int index);

    int SelectedIndex() const { return selected_; }
    const std::string& CurrentUuid() const { return currentUuid_; }
    int DeviceType() const { return deviceType_; }
    std::filesystem::path ListPath() const { return dataFolder_ / kListFileName; }

private:
    struct Entry {
        std::string name;
        std::string uuid;
        bool usable = false;
    };

    Json::Value DefaultProfile() const;
    std::filesystem::path ProfilePath(const std::string& uuid) const;
    std::string NewUuid(const Json::Value& list) const;
    ProfileResult AppendProfile(Json::Value& list, const std::string& name, Json::Value profile,
                                bool remember);
    void TakeSelection(const Json::Value& list, int index);
    // The selected entry of `list`, or none when the selection is not there.
    bool SelectedEntry(const Json::Value& list, Entry& entry) const;

    std::filesystem::path dataFolder_;
    std::filesystem::path defaultProfilePath_;
    int deviceType_;
    Clock clock_;
    ListDocument document_;
    int selected_ = -1;
    std::string currentUuid_;
};

}  // namespace halvorn
