#include "models/lighting/LightJsonValues.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/JsonHelpers.h"

namespace ivra::light {

namespace {

// The value as an integer clamped to 0..limit; 0 for anything that is not an
// integral number or a boolean.
uint64_t Clamped(const Json::Value& value, uint64_t limit) {
    if (value.isBool()) return value.asBool() ? std::min<uint64_t>(1, limit) : 0;
    // isInt64/isUInt64 also accept reals with an integral value in range.
    if (value.isInt64()) {
        const int64_t number = value.asInt64();
        if (number <= 0) return 0;
        return std::min(static_cast<uint64_t>(number), limit);
    }
    if (value.isUInt64()) return std::min(value.asUInt64(), limit);
    // What is left of the numbers: fractions, which are not integers, and
    // whole numbers beyond 64 bits, which are simply too large.
    if (value.isDouble()) {
        const double number = value.asDouble();
        if (std::isfinite(number) && number > 0 && number == std::floor(number)) return limit;
    }
    return 0;
}

}  // namespace

uint8_t ByteValue(const Json::Value& value) {
    return static_cast<uint8_t>(Clamped(value, std::numeric_limits<uint8_t>::max()));
}

uint32_t Uint32Value(const Json::Value& value) {
    return static_cast<uint32_t>(Clamped(value, std::numeric_limits<uint32_t>::max()));
}

bool FlagValue(const Json::Value& value) {
    if (value.isBool()) return value.asBool();
    if (value.isInt64()) return value.asInt64() != 0;
    if (value.isUInt64()) return value.asUInt64() != 0;
    return false;
}

uint8_t ByteMember(const Json::Value& object, const char* key) {
    return ByteValue(MemberOf(object, key));
}
uint32_t Uint32Member(const Json::Value& object, const char* key) {
    return Uint32Value(MemberOf(object, key));
}
bool FlagMember(const Json::Value& object, const char* key) {
    return FlagValue(MemberOf(object, key));
}

}  // namespace ivra::light
