// Menus: MenuItem is one item of a tree whose root is a MenuBar. A window that is given a menu bar shows it as a
// real Qt menu bar. Items named EditUndo, EditCut, EditCopy, EditPaste, EditClear and EditSelectAll carry out the
// standard Edit commands on the focused text field, through the system clipboard. Qt-free header.
#pragma once

#include <string>
#include <vector>

#include "framework/object.h"

class MenuItem : public Object {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  virtual void Constructor() {}

  void Name(const std::string& name) { name_ = name; }
  const std::string& Name() const { return name_; }
  // The caption; & marks the access key, "-" makes a separator.
  void Text(const std::string& text) { text_ = text; }
  const std::string& Text() const { return text_; }
  void AutoEnable(bool on) { autoEnable_ = on; }
  bool AutoEnable() const { return autoEnable_; }
  void Visible(bool on) { visible_ = on; }
  bool Visible() const { return visible_; }
  // A shortcut such as "Ctrl+Z"; the empty text means none.
  void CommandKey(const std::string& key) { commandKey_ = key; }
  const std::string& CommandKey() const { return commandKey_; }

  // Appends the item as the last child.
  void AddMenu(const Ref<MenuItem>& item);
  // The direct child of that name, or none.
  Ref<MenuItem> Child(const std::string& name) const;
  // The item of that name anywhere below this one, or none.
  Ref<MenuItem> Lookup_(const std::string& name) const;
  size_t Count() const { return children_.size(); }
  Ref<MenuItem> Item(size_t index) const;  // OutOfBoundsException past the end

 private:
  std::string name_, text_, commandKey_;
  bool autoEnable_ = false, visible_ = true;
  std::vector<Ref<MenuItem>> children_;
};

class MenuBar : public MenuItem {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};
