// Type-checked access to JSON values read from files: reads never throw and fall back to
// zero, false or empty text; writes turn a value of the wrong kind into the kind needed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <json/value.h>

namespace vpc::data::json {

// The member `key` of an object; a null value for anything else or when absent.
const Json::Value& Member(const Json::Value& object, std::string_view key);

// Element `index` of an array; a null value for anything else or when out of range.
const Json::Value& Element(const Json::Value& array, long long index);

// Number of elements of an array, 0 for anything else.
Json::ArrayIndex ArraySize(const Json::Value& array);

// Integer conversion: null and false are 0, true is 1, integers as they are (unsigned values
// above the signed range keep their low 64 bits), finite reals in range are truncated.
// Everything else (text, arrays, objects, reals out of range) gives `fallback`.
std::int64_t ToInt64(const Json::Value& value, std::int64_t fallback = 0);

// Narrowing keeps the low bits, as the device fields expect.
inline std::uint8_t ToByte(const Json::Value& value) {
    return static_cast<std::uint8_t>(ToInt64(value));
}
inline std::uint16_t ToUInt16(const Json::Value& value) {
    return static_cast<std::uint16_t>(ToInt64(value));
}
inline std::int32_t ToInt32(const Json::Value& value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ToInt64(value)));
}
inline std::uint32_t ToUInt32(const Json::Value& value) {
    return static_cast<std::uint32_t>(ToInt64(value));
}

// Boolean conversion: non-zero numbers and true are true; everything else is false.
bool ToBool(const Json::Value& value);

// Text of a string value; empty for anything else.
std::string ToText(const Json::Value& value);

// The object member `key` for writing. A `parent` that is not an object becomes an empty
// object first.
Json::Value& WritableMember(Json::Value& parent, const char* key);

// Element `index` of an array for writing, growing the array as needed. A `parent` that is
// not an array becomes an empty array first. Callers range-check `index`.
Json::Value& WritableElement(Json::Value& parent, Json::ArrayIndex index);

} // namespace vpc::data::json
