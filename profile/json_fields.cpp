#include "profile/json_fields.h"

#include <cmath>

#include "profile/text_utils.h"

namespace halvorn {

namespace {

const Json::Value& NullValue() {
    static const Json::Value kNull;
    return kNull;
}

}  // namespace

std::optional<int64_t> JsonToInt64(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return value.asInt64();
        case Json::uintValue:
            return static_cast<int64_t>(value.asUInt64());
        case Json::booleanValue:
            return value.asBool() ? 1 : 0;
        case Json::realValue: {
            // -2^63 <= d < 2^63, written so that NaN fails too.
            const double d = value.asDouble();
            if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return std::nullopt;
            return static_cast<int64_t>(std::trunc(d));
        }
        default:
            return std::nullopt;
    }
}

bool JsonToBool(const Json::Value& value) {
    switch (value.type()) {
        case Json::booleanValue:
            return value.asBool();
        case Json::intValue:
            return value.asInt64() != 0;
        case Json::uintValue:
            return value.asUInt64() != 0;
        case Json::realValue:
            return value.asDouble() != 0.0;
        default:
            return false;
    }
}

const Json::Value& MemberOf(const Json::Value& object, const char* key) {
    if (!object.isObject()) return NullValue();
    const Json::Value* found = object.find(key, key + std::char_traits<char>::length(key));
    return found ? *found : NullValue();
}

const Json::Value& ElementOf(const Json::Value& array, int64_t index) {
    if (!array.isArray() || index < 0 || static_cast<uint64_t>(index) >= array.size()) {
        return NullValue();
    }
    return array[static_cast<Json::ArrayIndex>(index)];
}

bool HasMember(const Json::Value& object, const char* key) {
    return !MemberOf(object, key).isNull();
}

uint8_t ReadBool(const Json::Value& object, const char* key) {
    return JsonToBool(MemberOf(object, key)) ? 1 : 0;
}

std::string ReadString(const Json::Value& object, const char* key) {
    const Json::Value& member = MemberOf(object, key);
    if (!member.isString()) return {};
    const char* begin = nullptr;
    const char* end = nullptr;
    member.getString(&begin, &end);
    return SanitizeUtf8(std::string_view(begin, static_cast<std::size_t>(end - begin)));
}

Json::Value& AsObject(Json::Value& value) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value;
}

Json::Value& AsArray(Json::Value& value) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value;
}

Json::Value& ObjectMember(Json::Value& parent, const char* key) {
    return AsObject(AsObject(parent)[key]);
}

Json::Value& ArrayMember(Json::Value& parent, const char* key) {
    return AsArray(AsObject(parent)[key]);
}

Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index) {
    return AsObject(AsArray(array)[index]);
}

Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index) {
    return AsArray(AsArray(array)[index]);
}

void WriteBool(Json::Value& object, const char* key, bool value) {
    AsObject(object)[key] = Json::Value(value ? 1 : 0);
}

}  // namespace halvorn
