#include "app/pallastrovane.h"

const ClassInfo& Pallastrovane::ClassRecord() {
  static const ClassInfo record{
      .fullName = "Pallastrovane",
      .base = &Application::ClassRecord(),
      .factory = [] { return std::make_shared<Pallastrovane>(); },
  };
  return RuntimeRegisterClass(record);
}
