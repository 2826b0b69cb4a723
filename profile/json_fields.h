#pragma once

// Typed access to JSON members that never throws. jsoncpp's asInt(),
// operator[] on the wrong kind of value and the like throw (or assert) on a
// type mismatch; a profile edited by hand or written by another version must
// never bring the program down, so every read here checks the type first and
// falls back to the record's default (0, false, "").
//
// Integer rule: an integer member is taken as a 64-bit value and narrowed to
// the field by keeping its low bits (300 in a byte field reads 44, -1 reads
// 255, 4294967295 in a 32-bit signed field reads -1). An unsigned value above
// INT64_MAX keeps its bit pattern. A real is truncated toward zero (3.7 reads
// 3) when it lies in the 64-bit range, and reads as the default otherwise.
// true and false read as 1 and 0. Strings, arrays, objects and null read as
// the default.
//
// Bool rule: true, or any non-zero number, is true.

#include <json/value.h>

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

namespace halvorn {

// The largest array index that profile code writes. A larger index (from a
// damaged file, or a caller's bad argument) writes nothing: jsoncpp would
// grow the array with nulls up to it and the next save would fill the disk.
inline constexpr Json::ArrayIndex kMaxWrittenIndex = 1023;

// The 64-bit integer value of `value` by the rule above; empty for types that
// are not numbers or booleans, and for reals outside the 64-bit range.
std::optional<int64_t> JsonToInt64(const Json::Value& value);

// `value` by the bool rule above.
bool JsonToBool(const Json::Value& value);

// Keeps the low bits of `value` that fit T.
template <std::integral T>
constexpr T NarrowToField(int64_t value) {
    using U = std::make_unsigned_t<T>;
    return static_cast<T>(static_cast<U>(static_cast<uint64_t>(value)));
}

// Member `key` of `object`, or a null value when `object` is not an object
// or has no such member. Never modifies anything.
const Json::Value& MemberOf(const Json::Value& object, const char* key);

// Element `index` of `array`, or a null value when `array` is not an array,
// the index is negative or past its end.
const Json::Value& ElementOf(const Json::Value& array, int64_t index);

// True when `object` is an object whose member `key` exists and is not null.
bool HasMember(const Json::Value& object, const char* key);

// Integer member narrowed to T, 0 when missing or of a wrong type.
template <std::integral T>
T ReadInt(const Json::Value& object, const char* key) {
    return NarrowToField<T>(JsonToInt64(MemberOf(object, key)).value_or(0));
}

// Bool member as 0 or 1.
uint8_t ReadBool(const Json::Value& object, const char* key);

// String member as valid UTF-8 (invalid sequences become U+FFFD), "" when
// missing or not a string.
std::string ReadString(const Json::Value& object, const char* key);

// Writers: they create what is missing on the way. A value of the wrong kind
// in the way (a number where an object belongs) is replaced, since nothing
// could be stored under it.

// Makes `value` an object if it is not one, and returns it.
Json::Value& AsObject(Json::Value& value);
// Makes `value` an array if it is not one, and returns it.
Json::Value& AsArray(Json::Value& value);
// Member `key` of `parent` (made an object), itself made an object.
Json::Value& ObjectMember(Json::Value& parent, const char* key);
// Member `key` of `parent` (made an object), itself made an array.
Json::Value& ArrayMember(Json::Value& parent, const char* key);
// Element `index` of `array` (made an array), made an object. The caller
// keeps `index` within kMaxWrittenIndex.
Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index);
// Element `index` of `array` (made an array), made an array.
Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index);

// Stores an integer member; unsigned fields are stored from their unsigned
// value, so a JSON integer always comes out.
template <std::integral T>
void WriteInt(Json::Value& object, const char* key, T value) {
    AsObject(object)[key] = Json::Value(static_cast<Json::Int64>(value));
}

// Stores a bool member as the integer 0 or 1.
void WriteBool(Json::Value& object, const char* key, bool value);

// True when `index` may be written by the rule of kMaxWrittenIndex.
constexpr bool WritableIndex(int64_t index) {
    return index >= 0 && index <= static_cast<int64_t>(kMaxWrittenIndex);
}

}  // namespace halvorn
