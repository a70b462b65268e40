// Arbitrary bytes as a design-time property list: the setter must refuse what it cannot read, and read nothing
// past the end, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "framework/property_list.h"

namespace {

class FuzzTarget : public Object {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "FuzzTarget.FuzzTarget",
                                  .base = &Object::ClassRecord(),
                                  .properties = {{"Name", PropType::Text},
                                                 {"MultiLine", PropType::Boolean},
                                                 {"Left", PropType::Integer},
                                                 {"TextAlignment", PropType::Enumeration},
                                                 {"FontUnit", PropType::ByteEnumeration},
                                                 {"FontSize", PropType::Single},
                                                 {"LineSpacing", PropType::Double},
                                                 {"TextColor", PropType::Colour},
                                                 {"MacProcId", PropType::Integer}}};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto target = std::make_shared<FuzzTarget>();
  try {
    RuntimeMassPropertySetter(target, std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const UnsupportedFormatException&) {
  }
  return 0;
}
