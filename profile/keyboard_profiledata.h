#pragma once

// A keyboard's profile: the common records plus "SystemStages" and the
// per-key colours of the custom light mode ("CustomLightMode").

#include <span>
#include <vector>

#include "profile/basic_profiledata.h"

namespace halvorn {

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    // "SystemStages"; all zero when missing.
    KeyboardSystemRecord GetSystemStages();
    void SetSystemStages(const KeyboardSystemRecord& record);

    // `count` colours of "CustomLightMode"."LightColorInfo"[group], in key
    // order. A key whose element is missing gets zeros, and "Red", "Green",
    // "Blue" and "Alpha" = 0 are written into the profile for it, so that
    // the next save holds a complete group. A group or count outside
    // 0..1023 reads zeros and writes nothing.
    std::vector<LightColorRecord> GetCustomLightColors(int group, int count);
    // Writes the five members of every colour into the group.
    void SetCustomLightColors(std::span<const LightColorRecord> colors, int group);

    // "CustomLightMode"."CustomLightModeGroupIndex"; 0 when missing.
    int32_t GetCustomLightGroupIndex();
    void SetCustomLightGroupIndex(int32_t group);

private:
    KeyboardSystemRecord systemStages_;
    std::vector<LightColorRecord> lightColors_;
    int32_t customGroupIndex_ = 0;
};

}  // namespace halvorn
