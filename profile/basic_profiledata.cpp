#include "profile/basic_profiledata.h"

#include <algorithm>

#include "platform/fs/json_file.h"
#include "platform/trace/trace.h"
#include "profile/json_fields.h"
#include "profile/light_effect_file.h"
#include "profile/profile_file.h"
#include "profile/record_json.h"

namespace halvorn {

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) defaultPath_ = path;
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    if (WritableIndex(index)) deviceIndex_ = index;
}

Json::Value CBasicProfiledata::LoadProfile(const std::filesystem::path& path) {
    root_ = LoadProfileElement(path, defaultPath_, DeviceIndex());
    return root_;
}

Json::Value CBasicProfiledata::LoadSecondaryProfile(const std::filesystem::path& path) {
    secondary_ = LoadProfileElement(path, defaultPath_, DeviceIndex());
    return secondary_;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    lightConfig_ = ParseJsonFile(path);
    lightFolder_ = path.parent_path();
    return lightConfig_;
}

bool CBasicProfiledata::SaveProfile() { return SaveProfileTo(root_, profilePath_); }

bool CBasicProfiledata::SaveProfileTo(const Json::Value& value, const std::filesystem::path& path) {
    if (path.empty()) return false;
    return StoreProfileElement(path, value, DeviceIndex());
}

bool CBasicProfiledata::SaveSecondaryTo(const std::filesystem::path& path) {
    return SaveProfileTo(secondary_, path);
}

bool CBasicProfiledata::WriteJson(const Json::Value& value, const std::filesystem::path& path) {
    if (path.empty()) return false;
    return WriteJsonFile(path, value);
}

LightModeRecord CBasicProfiledata::GetLightInfo() {
    // A missing member reads as the empty light mode: all zero.
    currentLightMode_ = LightInfoFromJson(MemberOf(root_, "LightInfo"));
    return currentLightMode_;
}

void CBasicProfiledata::SetLightInfo(const LightModeRecord& record) {
    currentLightMode_ = record;
    AsObject(root_)["LightInfo"] = LightInfoToJson(record);
}

AudioLightRecord CBasicProfiledata::GetAudioLightInfo() {
    currentAudioLight_ = AudioLightFromJson(MemberOf(root_, "AudioLightInfo"));
    return currentAudioLight_;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightRecord& record) {
    currentAudioLight_ = record;
    AsObject(root_)["AudioLightInfo"] = AudioLightToJson(record);
}

std::vector<LightModeRecord> CBasicProfiledata::GetLightList() {
    lightList_.clear();
    const Json::Value& list = MemberOf(root_, "LightList");
    if (list.isArray()) {
        lightList_.reserve(list.size());
        // By index: an array built in memory may have gaps, which read as null.
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            lightList_.push_back(LightListEntryFromJson(list[i]));
        }
    }
    return lightList_;
}

std::vector<LightEffectStep> CBasicProfiledata::GetCustomLightEffects() {
    customEffects_.clear();
    const Json::Value& modes = ElementOf(MemberOf(lightConfig_, "LightInfo"), deviceIndex_);
    const Json::Value& mode = ElementOf(modes, currentLightMode_.selectItem);
    if (!MemberOf(mode, "Guid").isString()) return customEffects_;
    const std::string guid = ReadString(mode, "Guid");
    const auto file = LightEffectFilePath(guid, lightFolder_);
    if (!file) {
        Trace("light effect refused: " + guid);
        return customEffects_;
    }
    customEffects_ = ReadLightEffectFile(*file);
    return customEffects_;
}

std::vector<KeyAssignRecord> CBasicProfiledata::ReadKeyList(const Json::Value& profile) {
    std::vector<KeyAssignRecord> keys;
    const Json::Value& list = MemberOf(profile, "KeyList");
    if (!list.isArray()) return keys;
    keys.reserve(list.size());
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        keys.push_back(KeyAssignFromJson(list[i], static_cast<uint16_t>(i)));
    }
    return keys;
}

void CBasicProfiledata::WriteKeyList(Json::Value& profile, std::span<const KeyAssignRecord> keys) {
    if (keys.empty()) return;
    Json::Value& list = ArrayMember(profile, "KeyList");
    const std::size_t count = std::min<std::size_t>(keys.size(), kMaxWrittenIndex + 1);
    for (std::size_t i = 0; i < count; ++i) {
        WriteKeyAssignment(ObjectElement(list, static_cast<Json::ArrayIndex>(i)), keys[i]);
    }
}

std::vector<KeyAssignRecord> CBasicProfiledata::GetKeyList() {
    keyList_ = ReadKeyList(root_);
    return keyList_;
}

void CBasicProfiledata::SetKeyList(std::span<const KeyAssignRecord> keys) {
    keyList_.assign(keys.begin(), keys.end());
    WriteKeyList(root_, keys);
}

std::vector<KeyAssignRecord> CBasicProfiledata::GetSecondaryKeyList() {
    secondaryKeyList_ = ReadKeyList(secondary_);
    return secondaryKeyList_;
}

void CBasicProfiledata::SetSecondaryKeyList(std::span<const KeyAssignRecord> keys) {
    secondaryKeyList_.assign(keys.begin(), keys.end());
    WriteKeyList(secondary_, keys);
}

}  // namespace halvorn
