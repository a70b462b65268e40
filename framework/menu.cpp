#include "framework/menu.h"

const ClassInfo& MenuItem::ClassRecord() {
  static const ClassInfo record{
      .fullName = "MenuItem", .base = &Object::ClassRecord(), .factory = [] { return std::make_shared<MenuItem>(); }};
  return RuntimeRegisterClass(record);
}

const ClassInfo& MenuBar::ClassRecord() {
  static const ClassInfo record{
      .fullName = "MenuBar", .base = &MenuItem::ClassRecord(), .factory = [] { return std::make_shared<MenuBar>(); }};
  return RuntimeRegisterClass(record);
}

void MenuItem::AddMenu(const Ref<MenuItem>& item) { children_.push_back(RequireObject(item, "menu item to add")); }

Ref<MenuItem> MenuItem::Child(const std::string& name) const {
  for (const Ref<MenuItem>& child : children_) {
    if (child->Name() == name) return child;
  }
  return nullptr;
}

Ref<MenuItem> MenuItem::Lookup_(const std::string& name) const {
  for (const Ref<MenuItem>& child : children_) {
    if (child->Name() == name) return child;
    if (Ref<MenuItem> below = child->Lookup_(name)) return below;
  }
  return nullptr;
}

Ref<MenuItem> MenuItem::Item(size_t index) const {
  if (index >= children_.size()) {
    throw OutOfBoundsException("menu " + name_ + " has " + std::to_string(children_.size()) + " items, not item " +
                               std::to_string(index));
  }
  return children_[index];
}
