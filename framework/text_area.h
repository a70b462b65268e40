// A text field: plain text with CR LF line breaks outside, a selection counted in characters, bold on a
// selection, a character limit for typing and a KeyDown event that sees every key first. It does no validation
// of its own (ValidationMask, Format and the data binding are only kept). Qt-free header.
#pragma once

#include <cstdint>
#include <string>

#include "framework/control.h"

class TextArea : public RectControl {
 public:
  enum Event : int { kKeyDown = 9 };
  // The type a KeyDown delegate wraps: bool (const Ref<TextArea>&, const std::string& key).
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  std::string Text() const;  // line breaks as CR LF
  void Text(const std::string& text);
  int64_t SelectionStart() const;
  void SelectionStart(int64_t start);
  int64_t SelectionLength() const;
  void SelectionLength(int64_t length);
  bool SelBold() const;  // true when every selected character is bold
  void SelBold(bool bold);

 protected:
  void CreateNative(const internal::NativeParent& parent) override;
};
