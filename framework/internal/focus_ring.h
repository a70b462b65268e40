// Internal to the framework: the focus ring, a frame in the highlight colour over the edge of a field or a button
// while it has the keyboard focus, since the styles show that focus faintly or not at all (Fusion draws none on a
// field). It takes no mouse presses and no focus, and changes nothing of the widget it marks.
#pragma once

#include "framework/internal/internal_only.h"

#include <QWidget>

namespace internal {

// Follows its widget's focus and size once made; the widget owns it.
class FocusRing : public QWidget {
 public:
  explicit FocusRing(QWidget* target);

  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Puts the focus ring on a field or button, or takes it away.
void ShowFocusRing(QWidget* widget, bool show);

}  // namespace internal
