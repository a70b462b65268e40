// Design-time property lists: the byte format, a typed builder that writes it, and the mass property setter that
// reads a list against the target's declared properties. Qt-free.
//
// Format: entries follow one another with no header or terminator: key (ASCII), one blank (0x20), then the value,
// whose width comes from the declared type of the property the key names (matched without regard to case):
// Text = u32 LE byte count + UTF-8 bytes; Boolean = 1 byte; Integer, Enumeration = i64 LE; Byte enumeration = u8;
// Single = f32 LE; Double = f64 LE; Colour = u32 LE (0x00RRGGBB).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "framework/object.h"

// A value with the type it is written as.
struct TypedValue {
  PropType type;
  PropValue value;
};
inline TypedValue Text(std::string v) { return {PropType::Text, std::move(v)}; }
inline TypedValue Boolean(bool v) { return {PropType::Boolean, v}; }
inline TypedValue Integer(int64_t v) { return {PropType::Integer, v}; }
inline TypedValue Enumeration(int64_t v) { return {PropType::Enumeration, v}; }
inline TypedValue ByteEnumeration(uint8_t v) { return {PropType::ByteEnumeration, int64_t{v}}; }
inline TypedValue Single(float v) { return {PropType::Single, v}; }
inline TypedValue Double(double v) { return {PropType::Double, v}; }
inline TypedValue Colour(uint32_t v) { return {PropType::Colour, v}; }

struct PropertyEntry {
  std::string key;
  TypedValue value;
};

// One constant list, held as the bytes of the format. Built once from a table of keys and values.
class PropertyList {
 public:
  PropertyList() = default;
  PropertyList(std::initializer_list<PropertyEntry> entries);
  explicit PropertyList(std::string bytes) : bytes_(std::move(bytes)) {}

  const std::string& Bytes() const { return bytes_; }
  size_t Size() const { return bytes_.size(); }

 private:
  std::string bytes_;
};

// Sets every entry's property on the target, in stored order. A key that names no property of the target's class
// or its bases, a list that ends inside a key or a value, or a text count beyond the end raises
// UnsupportedFormatException naming the target's class and the key; no byte past the end is read, and entries
// before the bad one stay applied.
void RuntimeMassPropertySetter(const Ref<Object>& target, std::string_view list);
