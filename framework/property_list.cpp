#include "framework/property_list.h"

#include <bit>
#include <limits>

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "the list format stores IEEE 754 values");

namespace {

void AppendLittleEndian(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t ReadLittleEndian(std::string_view bytes, size_t at, int count) {
  uint64_t value = 0;
  for (int i = 0; i < count; ++i) value |= uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
  return value;
}

template <class T>
const T& Held(const TypedValue& value, const char* typeName) {
  const T* held = std::get_if<T>(&value.value);
  if (!held) throw TypeMismatchException(std::string("a ") + typeName + " property value holds another type");
  return *held;
}

// Bytes a value of the type takes after its key, for the fixed-width types.
size_t FixedWidth(PropType type) {
  switch (type) {
    case PropType::Boolean:
    case PropType::ByteEnumeration:
      return 1;
    case PropType::Single:
    case PropType::Colour:
    case PropType::Text:  // the count; the text's own bytes follow
      return 4;
    case PropType::Integer:
    case PropType::Enumeration:
    case PropType::Double:
      return 8;
  }
  return 0;
}

// Encodes one value as the format stores it.
std::string EncodePropertyValue(const TypedValue& value) {
  std::string out;
  switch (value.type) {
    case PropType::Text: {
      const std::string& text = Held<std::string>(value, "Text");
      if (text.size() > std::numeric_limits<uint32_t>::max()) {
        throw OutOfBoundsException("a text of " + std::to_string(text.size()) + " bytes does not fit a property list");
      }
      AppendLittleEndian(out, text.size(), 4);
      out += text;
      break;
    }
    case PropType::Boolean:
      out.push_back(Held<bool>(value, "Boolean") ? 1 : 0);
      break;
    case PropType::Integer:
      AppendLittleEndian(out, static_cast<uint64_t>(Held<int64_t>(value, "Integer")), 8);
      break;
    case PropType::Enumeration:
      AppendLittleEndian(out, static_cast<uint64_t>(Held<int64_t>(value, "Enumeration")), 8);
      break;
    case PropType::ByteEnumeration: {
      int64_t member = Held<int64_t>(value, "Byte enumeration");
      if (member < 0 || member > 0xFF) {
        throw OutOfBoundsException("byte enumeration member " + std::to_string(member) + " is not a byte");
      }
      out.push_back(static_cast<char>(member));
      break;
    }
    case PropType::Single:
      AppendLittleEndian(out, std::bit_cast<uint32_t>(Held<float>(value, "Single")), 4);
      break;
    case PropType::Double:
      AppendLittleEndian(out, std::bit_cast<uint64_t>(Held<double>(value, "Double")), 8);
      break;
    case PropType::Colour:
      AppendLittleEndian(out, Held<uint32_t>(value, "Colour"), 4);
      break;
  }
  return out;
}

}  // namespace

PropertyList::PropertyList(std::initializer_list<PropertyEntry> entries) {
  for (const PropertyEntry& entry : entries) {
    // A key with a blank in it, or none at all, would make the list unreadable.
    if (entry.key.empty() || entry.key.find(' ') != std::string::npos) {
      throw UnsupportedFormatException("property list key '" + entry.key + "' is empty or holds a blank");
    }
    bytes_ += entry.key;
    bytes_ += ' ';
    bytes_ += EncodePropertyValue(entry.value);
  }
}

void RuntimeMassPropertySetter(const Ref<Object>& target, std::string_view list) {
  RequireObject(target, "property list target");
  const ClassInfo& cls = target->GetClass();
  auto refuse = [&](std::string_view key, const std::string& problem) {
    return UnsupportedFormatException("property list of " + cls.fullName + ", key '" + std::string(key) +
                                      "': " + problem);
  };

  size_t at = 0;
  while (at < list.size()) {
    size_t blank = list.find(' ', at);
    if (blank == std::string_view::npos) throw refuse(list.substr(at), "the list ends inside the key");
    std::string_view key = list.substr(at, blank - at);
    const PropertyDecl* decl = cls.FindProperty(key);
    if (!decl) throw refuse(key, "no such property");
    at = blank + 1;

    // Every width check is a comparison with what is left, so no sum can overflow.
    const size_t left = list.size() - at;
    const size_t width = FixedWidth(decl->type);
    if (left < width) throw refuse(key, "the list ends inside the value");
    PropValue value;
    switch (decl->type) {
      case PropType::Text: {
        const uint64_t count = ReadLittleEndian(list, at, 4);
        if (count > left - 4) {
          throw refuse(key, "the text's count " + std::to_string(count) + " runs past the end of the list");
        }
        value = std::string(list.substr(at + 4, count));
        at += 4 + count;
        break;
      }
      case PropType::Boolean:
        value = list[at] != 0;
        break;
      case PropType::Integer:
      case PropType::Enumeration:
        value = static_cast<int64_t>(ReadLittleEndian(list, at, 8));
        break;
      case PropType::ByteEnumeration:
        value = static_cast<int64_t>(ReadLittleEndian(list, at, 1));
        break;
      case PropType::Single:
        value = std::bit_cast<float>(static_cast<uint32_t>(ReadLittleEndian(list, at, 4)));
        break;
      case PropType::Double:
        value = std::bit_cast<double>(ReadLittleEndian(list, at, 8));
        break;
      case PropType::Colour:
        value = static_cast<uint32_t>(ReadLittleEndian(list, at, 4));
        break;
    }
    if (decl->type != PropType::Text) at += width;
    target->SetProperty(decl->name, value);
  }
}
