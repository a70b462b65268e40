// The program's one menu bar: a single Edit menu whose items carry the framework's standard Edit command names,
// so the framework carries them out on the focused text field. Built on first use and kept for the program's life.
#pragma once

#include "framework/menu.h"

class MenuBar1 : public MenuBar {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  // The shared instance, built on first use. A failure while building leaves none stored and passes on, so the
  // next call starts again.
  static Ref<MenuBar1> Implicit();

  void Constructor() override;
  // Builds the Edit menu into this menu bar.
  virtual void Untitled0();
  // Adds the Edit items to the Edit menu already on this bar; NilObjectException when the bar has none.
  void AddEditItems();
};
