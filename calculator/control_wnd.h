// The calculator window: three fields for the count, the error rate and the p values, Calculate and Clear, the
// question mark that opens the description window, and the shared Edit menu. It keeps no state of its own beyond
// its fields' texts; the computation is CalculateReport's, and the window only wires the fields to it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/window_frame.h"
#include "framework/controls.h"
#include "framework/menu.h"

class ControlWnd : public WindowFrame<ControlWnd> {
 public:
  static constexpr const char* kFullName = "ControlWnd.ControlWnd";
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  void Layout();
  void CreateControls();
  void CreateControls0_();

  Ref<Canvas> QCanvas() const;
  Ref<TextArea> Nvariables() const;
  Ref<TextArea> ErrorFld() const;
  Ref<TextArea> InputFld1() const;
  Ref<PushButton> ClearBtn() const;
  Ref<PushButton> CalculateBtn() const;
  Ref<Label> StaticText1() const;
  Ref<Label> StaticText3() const;
  Ref<Canvas> TitlePict() const;
  Ref<Label> StaticText2() const;
  Ref<Label> copytext() const;

  bool QCanvas_MouseDown(const Ref<Canvas>& canvas, int64_t x, int64_t y);
  // The key filters: true drops the key (with a beep), false lets the field have it.
  bool Nvariables_KeyDown(const Ref<TextArea>& field, const std::string& key);
  bool ErrorFld_KeyDown(const Ref<TextArea>& field, const std::string& key);
  void ClearBtn_Action(const Ref<PushButton>& button);
  void CalculateBtn_Action(const Ref<PushButton>& button);

  Ref<MenuItem> EditMenu() const;
  Ref<MenuItem> EditSelectAll() const;
  Ref<MenuItem> UntitledMenu0() const;
  Ref<MenuItem> EditClear() const;
  Ref<MenuItem> EditPaste() const;
  Ref<MenuItem> EditCopy() const;
  Ref<MenuItem> EditCut() const;
  Ref<MenuItem> UntitledMenu1() const;
  Ref<MenuItem> EditUndo() const;

  void AddMenuHandlers(const Ref<Window>& window);
  void Event_Close();
  void Event_Activate();
  // Handlers for menu items that no menu holds; registered all the same, so a menu that gains them works.
  bool DescriptionMenuItem_Action_();
  bool AboutPall_Action_();

 private:
  // The window's own list and its control table: data, defined in control_wnd_lists.cpp.
  static const PropertyList kWindowList;
  static const std::array<ControlSpec<ControlWnd>, 11> kControls;

  Ref<MenuItem> MenuItemNamed(const char* name) const;
};
