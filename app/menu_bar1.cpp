#include "app/menu_bar1.h"

#include <array>

namespace {

Ref<MenuBar1> implicitInstance_;

constexpr const char* kEditMenu = "EditMenu";

// The Edit menu's items in order; commandKey none means the item's shortcut is never set (the separators).
struct EditItem {
  const char* name;
  const char* text;
  const char* commandKey;
};

constexpr std::array<EditItem, 8> kEditItems = {{
    {"EditUndo", "&Undo", "Ctrl+Z"},
    {"UntitledMenu1", "-", nullptr},
    {"EditCut", "Cu&t", "Ctrl+X"},
    {"EditCopy", "&Copy", "Ctrl+C"},
    {"EditPaste", "&Paste", "Ctrl+V"},
    {"EditClear", "&Delete", ""},
    {"UntitledMenu0", "-", nullptr},
    {"EditSelectAll", "Select &All", "Ctrl+A"},
}};

}  // namespace

const ClassInfo& MenuBar1::ClassRecord() {
  static const ClassInfo record{.fullName = "MenuBar1.MenuBar1", .base = &MenuBar::ClassRecord(), .factory = [] {
                                  return std::make_shared<MenuBar1>();
                                }};
  return RuntimeRegisterClass(record);
}

Ref<MenuBar1> MenuBar1::Implicit() {
  if (!implicitInstance_) {
    Ref<MenuBar1> built = RuntimeNewObject<MenuBar1>();
    built->Constructor();
    implicitInstance_ = built;
  }
  return implicitInstance_;
}

void MenuBar1::Constructor() { Untitled0(); }

void MenuBar1::Untitled0() {
  {
    Ref<MenuItem> editMenu = RuntimeNewObject<MenuItem>();
    editMenu->Constructor();
    editMenu->Name(kEditMenu);
    editMenu->AutoEnable(true);
    editMenu->Text("&Edit");
    editMenu->Visible(true);
    editMenu->CommandKey("");
    AddMenu(editMenu);
  }
  AddEditItems();
}

void MenuBar1::AddEditItems() {
  for (const EditItem& row : kEditItems) {
    Ref<MenuItem> item = RuntimeNewObject<MenuItem>();
    item->Constructor();
    item->Name(row.name);
    item->AutoEnable(true);
    item->Text(row.text);
    item->Visible(true);
    if (row.commandKey) item->CommandKey(row.commandKey);
    Ref<MenuItem> editMenu = Child(kEditMenu);
    if (!editMenu) throw NilObjectException(std::string("the menu bar has no ") + kEditMenu);
    editMenu->AddMenu(item);
  }
}
