#include "framework/internal/qt_window.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>

#include "framework/controls.h"
#include "framework/internal/native.h"
#include "framework/internal/qt_colour.h"
#include "framework/internal/qt_controls.h"
#include "framework/internal/qt_menu_bar.h"
#include "framework/menu.h"

namespace {

// Qt shows the application's name in the frame of a window whose title is empty; one space shows nothing there.
QString FrameTitle(const std::string& title) {
  return title.empty() ? QStringLiteral(" ") : QString::fromStdString(title);
}

// Clamped before the menu bar's height is added, so that no list value can overflow the sum.
int ToQtSize(int64_t value, int extra = 0) {
  const int64_t clamped = std::clamp<int64_t>(value, 0, QWIDGETSIZE_MAX);
  return static_cast<int>(std::min<int64_t>(clamped + extra, QWIDGETSIZE_MAX));
}

}  // namespace

WindowImpl::WindowImpl(Object& w, RaiseCall raiseCall, std::function<void()> closeCall)
    : window(w), raise(std::move(raiseCall)), close(std::move(closeCall)) {}

WindowImpl::~WindowImpl() {
  editTarget.Forget();
  controls.clear();
  // Widgets must not outlive their QApplication, nor be touched after it is gone.
  if (QCoreApplication::instance()) {
    ReleaseNative();
  } else if (widget) {
    widget->owner = nullptr;
  }
}

bool WindowImpl::EnsureNative() {
  if (widget) return true;
  if (closed) return false;
  widget = new internal::WindowWidget(this);
  widget->setWindowTitle(FrameTitle(std::string()));
  widget->setAttribute(Qt::WA_QuitOnClose, true);
  content = new internal::ContentWidget(widget);
  content->setFocusPolicy(Qt::NoFocus);
  ApplyFrame();
  return true;
}

void WindowImpl::ReleaseNative() {
  menus.reset();
  if (internal::WindowWidget* w = widget.data()) {
    w->owner = nullptr;
    widget = nullptr;
    content = nullptr;
    ReleaseQtObject(w);
  }
}

// The widgets go later when one of our handlers is on the stack.
void WindowImpl::Release() {
  editTarget.Forget();
  menus.reset();
  tabOrder.clear();
  std::vector<std::pair<std::string, Ref<Object>>> released;
  released.swap(controls);
  menuHandlers.clear();
  menuBar.reset();
  released.clear();
  ReleaseNative();
}

QWidget* WindowImpl::QtMenuBarWidget() const { return menus ? menus->Widget() : nullptr; }

int WindowImpl::MenuBarHeight(int width) const {
  if (!menus || !window.BoolProperty("MenuBarVisible", true)) return 0;
  return menus->Height(width);
}

// A shown window takes a new size only once the window system confirms it, so the size is passed in.
void WindowImpl::LayOutChildren(QSize size) {
  if (!widget) return;
  const int bar = MenuBarHeight(size.width());
  if (menus) menus->Place(size.width(), bar);
  content->setGeometry(0, bar, size.width(), std::max(0, size.height() - bar));
}

// Width and Height are the content area's: the menu bar, when shown, comes on top of them.
void WindowImpl::ApplyGeometry() {
  if (!widget) return;
  const int width = ToQtSize(window.IntProperty("Width", content->width()));
  const int height = ToQtSize(window.IntProperty("Height", content->height()));
  const int bar = MenuBarHeight(width);
  const QSize wanted(width, height + bar);
  if (!window.BoolProperty("Resizeable", true)) {
    widget->setFixedSize(wanted);
  } else {
    widget->setMinimumSize(ToQtSize(window.IntProperty("MinimumWidth", 0)),
                           ToQtSize(window.IntProperty("MinimumHeight", 0), bar));
    widget->setMaximumSize(ToQtSize(window.IntProperty("MaximumWidth", QWIDGETSIZE_MAX)),
                           ToQtSize(window.IntProperty("MaximumHeight", QWIDGETSIZE_MAX), bar));
    widget->resize(wanted);
  }
  LayOutChildren(wanted.expandedTo(widget->minimumSize()).boundedTo(widget->maximumSize()));
}

void WindowImpl::ApplyTitle() {
  if (widget) widget->setWindowTitle(FrameTitle(window.TextProperty("Title")));
}

void WindowImpl::ApplyFrame() {
  if (!widget) return;
  // Type 2 is a dialog-style frame; it is still shown modelessly.
  Qt::WindowFlags flags = window.IntProperty("Type", 0) == 2 ? Qt::Dialog : Qt::Window;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
  if (window.BoolProperty("HasCloseButton", true)) flags |= Qt::WindowCloseButtonHint;
  if (window.BoolProperty("HasMinimizeButton", true)) flags |= Qt::WindowMinimizeButtonHint;
  if (window.BoolProperty("HasMaximizeButton", true)) flags |= Qt::WindowMaximizeButtonHint;
  if (widget->windowFlags() == flags) return;
  const bool visible = widget->isVisible();
  widget->setWindowFlags(flags);  // hides a shown window
  if (visible) widget->show();
}

std::optional<QColor> WindowImpl::Background() const { return internal::WindowBackground(window); }

// An Edit item acts on the window's focused field; any other item calls the window's handler of its name.
void WindowImpl::BuildMenuBar() {
  menus.reset();
  if (menuBar && widget) {
    internal::QtMenuBar::Hooks hooks{
        .choose = [this](const std::string& name) { ChooseMenuItem(name); },
        .canAct =
            [this](const std::string& name) {
              QPlainTextEdit* field = widget ? editTarget.Field(*widget, QtMenuBarWidget()) : nullptr;
              return internal::CanDoEditCommand(name, field).value_or(menuHandlers.count(name) != 0);
            },
        .aboutToShow = [this] { UpdateMenuEnabling(); },
        .escaped =
            [this] {
              if (widget) editTarget.GiveFocusBack(*widget, QtMenuBarWidget());
            }};
    menus = std::make_unique<internal::QtMenuBar>(*widget, *menuBar, std::move(hooks));
    UpdateMenuEnabling();
  }
  ApplyGeometry();
}

void WindowImpl::ChooseMenuItem(const std::string& name) {
  QtDispatchScope scope;
  Ref<Object> self = Self();
  if (!self || !live) return;
  QPlainTextEdit* field = widget ? editTarget.Field(*widget, QtMenuBarWidget()) : nullptr;
  if (internal::DoEditCommand(name, field)) return;
  auto it = menuHandlers.find(name);
  if (it == menuHandlers.end()) return;
  Ref<Delegate> handler = it->second;
  internal::RuntimeRunHandler([&] { return handler->Call<bool>(); });
}

void WindowImpl::UpdateMenuEnabling() {
  if (menus) menus->UpdateEnabling();
}

// The menu bar and the menus (a field's context menu too) taking the focus leave the field followed, since the Edit
// commands still act on it.
void WindowImpl::FocusMoved(QWidget* now) {
  const bool menu = now && (now == QtMenuBarWidget() || internal::IsMenu(*now));
  if (widget && !menu) editTarget.FocusMoved(now, *widget, [this] { UpdateMenuEnabling(); });
  UpdateMenuEnabling();
}

void WindowImpl::SetTabOrder() {
  std::vector<std::pair<int64_t, QWidget*>> order;
  for (const auto& [name, control] : controls) {
    auto* rect = dynamic_cast<RectControl*>(control.get());
    if (!rect) continue;
    // Qt leaves widgets that take no focus out of the tab order.
    QWidget* w = internal::Native::Widget(*rect);
    if (w && w->focusPolicy() != Qt::NoFocus) order.emplace_back(rect->IntProperty("TabIndex"), w);
  }
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  tabOrder.clear();
  for (const auto& entry : order) tabOrder.emplace_back(entry.second);
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

// Qt 6.4's QWidget::setTabOrder leaves some orders unchanged (moving a widget before a text edit created earlier),
// so Tab and Backtab follow the window's own list; the focus chain keeps creation order for the first focus.
bool WindowImpl::MoveFocus(bool forward) {
  if (tabOrder.empty() || !widget) return false;
  QWidget* focus = widget->focusWidget();
  auto current = std::find_if(tabOrder.begin(), tabOrder.end(), [focus](const QPointer<QWidget>& w) {
    return w && focus && (w == focus || w->isAncestorOf(focus));
  });
  const auto count = static_cast<std::ptrdiff_t>(tabOrder.size());
  std::ptrdiff_t at = current == tabOrder.end() ? (forward ? -1 : count) : current - tabOrder.begin();
  for (std::ptrdiff_t step = 0; step < count; ++step) {
    at = ((forward ? at + 1 : at - 1) % count + count) % count;
    QWidget* candidate = tabOrder[static_cast<size_t>(at)];
    if (candidate && candidate->isVisibleTo(widget) && candidate->isEnabled() &&
        (candidate->focusPolicy() & Qt::TabFocus)) {
      candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return true;
    }
  }
  return false;
}

// The arguments let go of the window while deletion is still deferred, so that a handler closing it cannot make
// the last reference drop inside the widget's own event.
bool WindowImpl::RaiseFromQt(int event, EventArgs& args) {
  QtDispatchScope scope;
  const bool result = internal::RuntimeRunHandler([&] {
    Ref<Object> self = Self();
    if (!self || !live) return false;
    args.sender = self;
    return raise(event, args);
  });
  args.sender.reset();
  return result;
}

// The window is held until the answer is read: closing may drop the last other reference to it.
bool WindowImpl::CloseFromQt() {
  Ref<Object> self = Self();
  if (self) close();
  return live;
}
