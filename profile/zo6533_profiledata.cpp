#include "profile/zo6533_profiledata.h"

#include <algorithm>

#include "profile/json_fields.h"
#include "profile/record_json.h"
#include "profile/text_utils.h"

namespace halvorn {

int CZo6533Profiledata::EqSlotForType(int eqType) {
    if (eqType == kCustomEqType) return -1;
    if (eqType >= 1 && eqType <= 12) return eqType;
    return 1;
}

HeadsetSystemRecord CZo6533Profiledata::GetSystemSetStages() {
    return HeadsetSystemFromJson(MemberOf(Root(), "SystemSetStages"));
}

void CZo6533Profiledata::SetSystemSetStages(const HeadsetSystemRecord& record) {
    WriteHeadsetSystem(ObjectMember(MutableRoot(), "SystemSetStages"), record);
}

std::vector<int32_t> CZo6533Profiledata::ReadBands(const char* member, int index) {
    std::vector<int32_t> bands(kEqBandCount, 0);
    if (!WritableIndex(index)) return bands;
    const Json::Value& slot = ElementOf(MemberOf(Root(), member), index);
    if (slot.isArray()) {
        for (std::size_t i = 0; i < kEqBandCount; ++i) {
            bands[i] = ReadInt<int32_t>(ElementOf(slot, static_cast<int64_t>(i)), "value");
        }
        return bands;
    }
    if (RootIsObject()) {
        Json::Value& writable =
            ArrayElement(ArrayMember(MutableRoot(), member), static_cast<Json::ArrayIndex>(index));
        for (Json::ArrayIndex i = 0; i < kEqBandCount; ++i) {
            WriteInt(ObjectElement(writable, i), "value", 0);
        }
    }
    return bands;
}

void CZo6533Profiledata::WriteBands(const char* member, int index,
                                    std::span<const int32_t> values) {
    if (!WritableIndex(index) || values.empty()) return;
    Json::Value& slot =
        ArrayElement(ArrayMember(MutableRoot(), member), static_cast<Json::ArrayIndex>(index));
    const std::size_t count = std::min(values.size(), kEqBandCount);
    for (std::size_t i = 0; i < count; ++i) {
        WriteInt(ObjectElement(slot, static_cast<Json::ArrayIndex>(i)), "value", values[i]);
    }
}

std::vector<int32_t> CZo6533Profiledata::GetEqValues(int eqType) {
    const int slot = EqSlotForType(eqType);
    if (slot < 0) return {};
    return ReadBands("EQHzValueInfo", slot);
}

void CZo6533Profiledata::SetEqValues(int eqType, std::span<const int32_t> values) {
    const int slot = EqSlotForType(eqType);
    if (slot < 0) return;
    WriteBands("EQHzValueInfo", slot, values);
}

std::vector<int32_t> CZo6533Profiledata::GetCustomEqValues(int number) {
    return ReadBands("CustomEQHzValueInfo", number);
}

void CZo6533Profiledata::SetCustomEqValues(int number, std::span<const int32_t> values) {
    WriteBands("CustomEQHzValueInfo", number, values);
}

std::vector<std::string> CZo6533Profiledata::GetCustomEqNames() {
    std::vector<std::string> names;
    const Json::Value& list = MemberOf(Root(), "CustomEQNameInfo");
    if (!list.isArray()) return names;
    names.reserve(list.size());
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) names.push_back(ReadString(list[i], "Name"));
    return names;
}

void CZo6533Profiledata::SetCustomEqNames(std::span<const std::string> names) {
    Json::Value list(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value entry(Json::objectValue);
        entry["Name"] = SanitizeUtf8(name);
        list.append(std::move(entry));
    }
    AsObject(MutableRoot())["CustomEQNameInfo"] = std::move(list);
}

}  // namespace halvorn
