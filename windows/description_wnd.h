// The description window: the program's explanatory text in a read-only field, its title line bold. The user
// reads it and closes it; nothing in the program changes, hides or closes it.
#pragma once

#include <array>

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

 private:
  // The window's own list and its control table: data, defined in description_wnd_lists.cpp.
  static const PropertyList kWindowList;
  static const std::array<ControlSpec<DescriptionWnd>, 2> kControls;
};
