#include "JsonAccess.h"

#include <cmath>
#include <limits>

namespace vpc::data::json {

const Json::Value& Member(const Json::Value& object, std::string_view key) {
    if (!object.isObject())
        return Json::Value::nullSingleton();
    const Json::Value* found = object.find(key.data(), key.data() + key.size());
    return found ? *found : Json::Value::nullSingleton();
}

const Json::Value& Element(const Json::Value& array, long long index) {
    if (!array.isArray() || index < 0 || index >= static_cast<long long>(array.size()))
        return Json::Value::nullSingleton();
    return array[static_cast<Json::ArrayIndex>(index)];
}

Json::ArrayIndex ArraySize(const Json::Value& array) {
    return array.isArray() ? array.size() : 0;
}

std::int64_t ToInt64(const Json::Value& value, std::int64_t fallback) {
    switch (value.type()) {
    case Json::nullValue:
        return 0;
    case Json::booleanValue:
        return value.asBool() ? 1 : 0;
    case Json::intValue:
        return value.asInt64();
    case Json::uintValue:
        return static_cast<std::int64_t>(value.asUInt64());
    case Json::realValue: {
        const double real = value.asDouble();
        // 2^63 is exactly representable; anything at or above it does not fit.
        constexpr double kLimit = 9223372036854775808.0;
        if (!std::isfinite(real) || real >= kLimit || real < -kLimit)
            return fallback;
        return static_cast<std::int64_t>(real);
    }
    default:
        return fallback;
    }
}

bool ToBool(const Json::Value& value) {
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

std::string ToText(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

Json::Value& WritableMember(Json::Value& parent, const char* key) {
    if (!parent.isObject())
        parent = Json::Value(Json::objectValue);
    return parent[key];
}

Json::Value& WritableElement(Json::Value& parent, Json::ArrayIndex index) {
    if (!parent.isArray())
        parent = Json::Value(Json::arrayValue);
    return parent[index];
}

} // namespace vpc::data::json
