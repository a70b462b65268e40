// The description window: the program's explanatory text in a read-only field, its title line bold. The user
// reads it and closes it; nothing in the program changes, hides or closes it.
#pragma once

#include "app/window_frame.h"
#include "framework/controls.h"

class DescriptionWnd : public WindowFrame<DescriptionWnd> {
 public:
  static constexpr const char* kFullName = "DescriptionWnd.DescriptionWnd";
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout();
  void CreateControls();
  void CreateControls0_();

  // The blank field beneath, and the field above it that shows the text.
  Ref<TextArea> DescribeFld() const;
  Ref<TextArea> DescribeFld2() const;

  void AddMenuHandlers(const Ref<Window>& window);
  void Event_Open();
  // Handlers for menu items that no menu holds; registered all the same, so a menu that gains them works.
  bool ControlMenuItem_Action_();
  bool AboutMenuItem_Action_();
  bool Print_Action_();
};
