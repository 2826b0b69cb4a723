#pragma once

// The headset's profile: "SystemSetStages", the equaliser presets by slot,
// the custom equalisers and their names. Nothing is cached: the accessors
// work on the profile object directly.

#include <span>
#include <string>
#include <vector>

#include "profile/basic_profiledata.h"

namespace halvorn {

class CZo6533Profiledata : public CBasicProfiledata {
public:
    // The "EQHzValueInfo" slot of an equaliser type: 1..12 are their own
    // slot, 13 (the custom equaliser) has none (-1), and 0 or anything else
    // uses slot 1.
    static int EqSlotForType(int eqType);

    // "SystemSetStages"; all zero when missing.
    HeadsetSystemRecord GetSystemSetStages();
    void SetSystemSetStages(const HeadsetSystemRecord& record);

    // The ten bands of the type's slot; empty for type 13. When the slot is
    // missing the bands read 0 and are written into the profile as 0, so the
    // next save holds them.
    std::vector<int32_t> GetEqValues(int eqType);
    // Writes bands 0..9 (as many as given, at most ten); nothing for type 13.
    void SetEqValues(int eqType, std::span<const int32_t> values);

    // The same on "CustomEQHzValueInfo"[number], with no slot mapping. A
    // number outside 0..1023 reads ten zeros and writes nothing.
    std::vector<int32_t> GetCustomEqValues(int number);
    void SetCustomEqValues(int number, std::span<const int32_t> values);

    // "CustomEQNameInfo": one {"Name"} per custom equaliser, UTF-8.
    std::vector<std::string> GetCustomEqNames();
    // Replaces the whole array.
    void SetCustomEqNames(std::span<const std::string> names);

private:
    std::vector<int32_t> ReadBands(const char* member, int index);
    void WriteBands(const char* member, int index, std::span<const int32_t> values);
};

}  // namespace halvorn
