// How the light files' numbers are read: a member of the wrong type reads as
// 0, and a value is kept as written except where the byte (or the 32-bit
// field) it lands in cannot hold it, where it is clamped. Integers and
// booleans read interchangeably (true is 1, a nonzero integer is true), so a
// file that wrote one where the other is expected keeps its meaning.
#pragma once

#include <cstdint>

#include <json/value.h>

namespace ivra::light {

// 0..255; negative reads 0, larger reads 255. Strings, arrays, objects, null
// and non-integral numbers read 0.
uint8_t ByteValue(const Json::Value& value);
// 0..4294967295, clamped the same way.
uint32_t Uint32Value(const Json::Value& value);
// A boolean, or an integer that is nonzero; anything else is false.
bool FlagValue(const Json::Value& value);

// The same for a member of an object (a missing member or a non-object reads
// as 0 / false).
uint8_t ByteMember(const Json::Value& object, const char* key);
uint32_t Uint32Member(const Json::Value& object, const char* key);
bool FlagMember(const Json::Value& object, const char* key);

}  // namespace ivra::light
