#pragma once

// One device's profile in memory: the profile object loaded from its file,
// typed getters and setters of its records, and the saving back. The mouse
// pad uses this class itself; the keyboard, mouse and headset classes add
// their records. Getters read the loaded object (falling back to the
// record's default when a member is missing or of a wrong type) and keep the
// result as the last value; setters change the object in memory only.
// Nothing reaches the disk until SaveProfile.
//
// Single-threaded: owned by a device object and used on the UI thread.

#include <json/value.h>

#include <filesystem>
#include <span>
#include <vector>

#include "profile/profile_records.h"

namespace halvorn {

class CBasicProfiledata {
public:
    CBasicProfiledata() = default;
    // Virtual so that a device can own its profile through this class.
    virtual ~CBasicProfiledata() = default;

    // Paths and identity, set by the device right after construction and
    // whenever the selected profile changes. Empty profile and default paths
    // are ignored.
    void SetProfilePath(const std::filesystem::path& path);
    std::filesystem::path GetProfilePath() const { return profilePath_; }
    void SetDefaultProfilePath(const std::filesystem::path& path);
    std::filesystem::path GetDefaultProfilePath() const { return defaultPath_; }
    void SetLightConfigPath(const std::filesystem::path& path) { lightConfigPath_ = path; }
    std::filesystem::path GetLightConfigPath() const { return lightConfigPath_; }
    // The element of "Device" this profile lives in; every device uses 0.
    // Values outside 0..1023 are ignored.
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return deviceIndex_; }

    // Loads the profile object from the file at `path`, falling back to the
    // default profile and repairing the file (see LoadProfileElement), and
    // returns a copy of it. The record caches stay until the next getter.
    Json::Value LoadProfile(const std::filesystem::path& path);
    // The same into the secondary object, used to edit another profile file
    // (the macro editor's key list updates, profile copies).
    Json::Value LoadSecondaryProfile(const std::filesystem::path& path);
    // Reads the light configuration (null when unreadable) and returns a
    // copy. Relative ".light" GUIDs in it resolve against this file's folder.
    Json::Value LoadLightConfig(const std::filesystem::path& path);

    // Saving. Each returns false when nothing was written; the file on disk is
    // then unchanged (writes are atomic).
    // SaveProfileTo(root, profile path).
    virtual bool SaveProfile();
    // Stores `value` as "Device"[device index] of the file, keeping the rest.
    virtual bool SaveProfileTo(const Json::Value& value, const std::filesystem::path& path);
    // SaveProfileTo(secondary, path).
    virtual bool SaveSecondaryTo(const std::filesystem::path& path);
    // Writes `value` as the whole file, with no "Device" wrapping.
    virtual bool WriteJson(const Json::Value& value, const std::filesystem::path& path);

    const Json::Value& Root() const { return root_; }
    const Json::Value& Secondary() const { return secondary_; }
    const Json::Value& LightConfig() const { return lightConfig_; }

    // "LightInfo"; all zero when missing. Also kept as the current light mode.
    LightModeRecord GetLightInfo();
    void SetLightInfo(const LightModeRecord& record);
    // The last value read or written by GetLightInfo / SetLightInfo.
    const LightModeRecord& CurrentLightMode() const { return currentLightMode_; }

    // "AudioLightInfo"; all zero when missing.
    AudioLightRecord GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightRecord& record);

    // "LightList", one record per element; a null element has valid = 0.
    std::vector<LightModeRecord> GetLightList();

    // The steps of the ".light" file of the current light mode's custom
    // mode (light configuration "LightInfo"[device index][SelectItem]
    // ."Guid"); empty when there is none or it cannot be read.
    std::vector<LightEffectStep> GetCustomLightEffects();

    // "KeyList"; element i has position i. The setters write only
    // "Assignment": "DefaultAssignment" belongs to the defaults.
    std::vector<KeyAssignRecord> GetKeyList();
    void SetKeyList(std::span<const KeyAssignRecord> keys);
    std::vector<KeyAssignRecord> GetSecondaryKeyList();
    void SetSecondaryKeyList(std::span<const KeyAssignRecord> keys);

protected:
    // The loaded object, for the subclasses' setters.
    Json::Value& MutableRoot() { return root_; }
    // True when a getter may write its defaults back: there is a profile
    // object to write into (a profile that failed to load is not
    // manufactured by reading it).
    bool RootIsObject() const { return root_.isObject(); }
    Json::ArrayIndex DeviceIndex() const { return static_cast<Json::ArrayIndex>(deviceIndex_); }

private:
    static std::vector<KeyAssignRecord> ReadKeyList(const Json::Value& profile);
    static void WriteKeyList(Json::Value& profile, std::span<const KeyAssignRecord> keys);

    std::filesystem::path profilePath_;
    std::filesystem::path defaultPath_;
    std::filesystem::path lightConfigPath_;
    std::filesystem::path lightFolder_;  // folder of the loaded light configuration
    int deviceIndex_ = 0;

    Json::Value root_;
    Json::Value secondary_;
    Json::Value lightConfig_;

    LightModeRecord currentLightMode_;
    AudioLightRecord currentAudioLight_;
    std::vector<LightModeRecord> lightList_;
    std::vector<LightEffectStep> customEffects_;
    std::vector<KeyAssignRecord> keyList_;
    std::vector<KeyAssignRecord> secondaryKeyList_;
};

}  // namespace halvorn
