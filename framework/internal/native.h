// Internal to the framework: the Qt objects behind its windows, controls and pictures, for the framework's own
// .cpp files and for tests. The program never includes it, so its headers stay free of Qt.
#pragma once

#include "framework/internal/internal_only.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

class Control;
class Picture;
class Timer;
class Window;

namespace internal {

// Where a control makes its widget: the content widget of its window.
struct NativeParent {
  QWidget* widget = nullptr;
};

struct Native {
  static QWidget* Widget(const Control& control);  // none for a timer
  static QTimer* Timer(const ::Timer& timer);      // none before the timer first runs
  // The top-level widget and the content widget below the menu bar; none before the window's Qt side is made.
  // Asking makes nothing.
  static QWidget* WindowWidget(const Window& window);
  static QWidget* Content(const Window& window);
  // Whether the window has finished building (its Open has run).
  static bool Built(const Window& window);
  static const QImage* Image(const Picture& picture);
};

}  // namespace internal
