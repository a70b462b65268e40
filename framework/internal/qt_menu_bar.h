// Internal to the framework: the Qt side of a window's menus, a non-native QMenuBar built from a MenuBar tree as the
// tree is then. It reports what the user does through its hooks and knows nothing of windows, handlers or the Edit
// commands; the window that owns it decides what a chosen item does and whether an item can act.
#pragma once

#include "framework/internal/internal_only.h"

#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class MenuBar;
class MenuItem;

namespace internal {

class QtMenuBar {
 public:
  struct Hooks {
    std::function<void(const std::string& itemName)> choose;  // the user chose the item
    std::function<bool(const std::string& itemName)> canAct;  // asked for items with AutoEnable
    std::function<void()> aboutToShow;                        // a menu is about to show
    std::function<void()> escaped;                            // Escape closed a menu of the bar
  };

  // Items with children become menus, "-" a separator, CommandKey a shortcut; each action is named after its item.
  QtMenuBar(QWidget& window, const MenuBar& model, Hooks hooks);
  QtMenuBar(const QtMenuBar&) = delete;
  QtMenuBar& operator=(const QtMenuBar&) = delete;
  // Releases the QMenuBar; no hook runs afterwards.
  ~QtMenuBar();

  QMenuBar* Widget() const { return bar_.data(); }
  int Height(int width) const;
  // Shows the bar with that height across the window's top, or hides it for height 0.
  void Place(int width, int height);
  // Items without AutoEnable stay enabled; the others follow the canAct hook.
  void UpdateEnabling();

 private:
  struct Entry {
    QPointer<QAction> action;
    std::string name;
    bool autoEnable = false;
  };

  void AddEntry(QWidget& container, const MenuItem& item);

  Hooks hooks_;
  QPointer<QMenuBar> bar_;
  std::vector<Entry> entries_;
  // The hooks' connections end with this object, though the Qt objects may be deleted only later.
  QObject context_;
};

// Whether the widget is a menu of any kind, the menu bar's or a text field's context menu.
bool IsMenu(const QWidget& widget);

}  // namespace internal
