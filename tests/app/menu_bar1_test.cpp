#include "app/menu_bar1.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MenuBar1, BuildsTheEditMenuWithTheStandardCommands) {
  Ref<MenuBar1> bar = RuntimeNewObject<MenuBar1>();
  bar->Constructor();
  ASSERT_EQ(bar->Count(), 1u);
  Ref<MenuItem> edit = bar->Child("EditMenu");
  ASSERT_NE(edit, nullptr);
  std::vector<std::string> names;
  for (size_t i = 0; i < edit->Count(); ++i) names.push_back(edit->Item(i)->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"EditUndo", "UntitledMenu1", "EditCut", "EditCopy", "EditPaste",
                                             "EditClear", "UntitledMenu0", "EditSelectAll"}));
}

// The items go into the menu found by name; a bar without it is the run-time's nil-object failure, not a crash.
TEST(MenuBar1, ItemsForABarWithoutItsEditMenuRaiseNilObjectException) {
  Ref<MenuBar1> bar = RuntimeNewObject<MenuBar1>();
  try {
    bar->AddEditItems();
    ADD_FAILURE() << "items added to a bar without an Edit menu";
  } catch (const NilObjectException& e) {
    EXPECT_NE(std::string(e.what()).find("EditMenu"), std::string::npos) << e.what();
  }
  EXPECT_EQ(bar->Count(), 0u);
}

}  // namespace
