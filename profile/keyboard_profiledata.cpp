#include "profile/keyboard_profiledata.h"

#include <algorithm>

#include "profile/json_fields.h"
#include "profile/record_json.h"

namespace halvorn {

namespace {

const Json::Value& ColorGroup(const Json::Value& root, int group) {
    return ElementOf(MemberOf(MemberOf(root, "CustomLightMode"), "LightColorInfo"), group);
}

Json::Value& WritableColorGroup(Json::Value& root, int group) {
    return ArrayElement(ArrayMember(ObjectMember(root, "CustomLightMode"), "LightColorInfo"),
                        static_cast<Json::ArrayIndex>(group));
}

}  // namespace

KeyboardSystemRecord CKeyboardProfiledata::GetSystemStages() {
    systemStages_ = KeyboardSystemFromJson(MemberOf(Root(), "SystemStages"));
    return systemStages_;
}

void CKeyboardProfiledata::SetSystemStages(const KeyboardSystemRecord& record) {
    systemStages_ = record;
    WriteKeyboardSystem(ObjectMember(MutableRoot(), "SystemStages"), record);
}

std::vector<LightColorRecord> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
    const int keys = std::clamp(count, 0, static_cast<int>(kMaxWrittenIndex) + 1);
    lightColors_.assign(static_cast<std::size_t>(keys), LightColorRecord{});
    if (!WritableIndex(group)) return lightColors_;

    // Read first, then write: writing may replace values the reads refer to.
    std::vector<Json::ArrayIndex> missing;
    const Json::Value& colors = ColorGroup(Root(), group);
    for (int i = 0; i < keys; ++i) {
        const Json::Value& element = ElementOf(colors, i);
        if (element.isObject()) {
            lightColors_[static_cast<std::size_t>(i)] = LightColorFromJson(element);
        } else {
            missing.push_back(static_cast<Json::ArrayIndex>(i));
        }
    }
    if (!missing.empty() && RootIsObject()) {
        Json::Value& writable = WritableColorGroup(MutableRoot(), group);
        for (Json::ArrayIndex i : missing) {
            Json::Value& element = ObjectElement(writable, i);
            for (const char* key : {"Red", "Green", "Blue", "Alpha"}) WriteInt(element, key, 0);
        }
    }
    return lightColors_;
}

void CKeyboardProfiledata::SetCustomLightColors(std::span<const LightColorRecord> colors,
                                                int group) {
    lightColors_.assign(colors.begin(), colors.end());
    if (!WritableIndex(group) || colors.empty()) return;
    Json::Value& writable = WritableColorGroup(MutableRoot(), group);
    const std::size_t count = std::min<std::size_t>(colors.size(), kMaxWrittenIndex + 1);
    for (std::size_t i = 0; i < count; ++i) {
        WriteLightColor(ObjectElement(writable, static_cast<Json::ArrayIndex>(i)), colors[i]);
    }
}

int32_t CKeyboardProfiledata::GetCustomLightGroupIndex() {
    customGroupIndex_ =
        ReadInt<int32_t>(MemberOf(Root(), "CustomLightMode"), "CustomLightModeGroupIndex");
    return customGroupIndex_;
}

void CKeyboardProfiledata::SetCustomLightGroupIndex(int32_t group) {
    customGroupIndex_ = group;
    WriteInt(ObjectMember(MutableRoot(), "CustomLightMode"), "CustomLightModeGroupIndex", group);
}

}  // namespace halvorn
