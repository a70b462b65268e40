// The application class: it carries the program's version data and handles no application event.
#pragma once

#include "framework/runtime.h"

class Pallastrovane : public Application {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }
  void Constructor() override {}
};
