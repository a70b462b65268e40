#include "framework/window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>
#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "framework/controls.h"
#include "framework/gui_thread.h"
#include "framework/menu.h"
#include "framework/native.h"
#include "framework/qt_colour.h"
#include "framework/qt_controls.h"

namespace {

class WindowWidget;

// Never destroyed: a window still live when the process ends must not be torn down after its QApplication.
std::vector<Ref<Window>>& LiveWindows() {
  static auto* live = new std::vector<Ref<Window>>;
  return *live;
}

// Clamped before the menu bar's height is added, so that no list value can overflow the sum.
// Qt shows the application's name in the frame of a window whose title is empty; one space shows nothing there.
QString FrameTitle(const std::string& title) {
  return title.empty() ? QStringLiteral(" ") : QString::fromStdString(title);
}

int ToQtSize(int64_t value, int extra = 0) {
  const int64_t clamped = std::clamp<int64_t>(value, 0, QWIDGETSIZE_MAX);
  return static_cast<int>(std::min<int64_t>(clamped + extra, QWIDGETSIZE_MAX));
}

enum class EditCommand { kNone, kUndo, kCut, kCopy, kPaste, kClear, kSelectAll };

EditCommand EditCommandNamed(const std::string& name) {
  static const std::map<std::string, EditCommand> commands = {
      {"EditUndo", EditCommand::kUndo},   {"EditCut", EditCommand::kCut},
      {"EditCopy", EditCommand::kCopy},   {"EditPaste", EditCommand::kPaste},
      {"EditClear", EditCommand::kClear}, {"EditSelectAll", EditCommand::kSelectAll}};
  auto it = commands.find(name);
  return it == commands.end() ? EditCommand::kNone : it->second;
}

bool CanEdit(EditCommand command, const QPlainTextEdit* field) {
  if (!field) return false;
  const bool writable = !field->isReadOnly();
  const bool selection = field->textCursor().hasSelection();
  switch (command) {
    case EditCommand::kUndo:
      return writable && field->document()->isUndoAvailable();
    case EditCommand::kCut:
    case EditCommand::kClear:
      return writable && selection;
    case EditCommand::kCopy:
      return selection;
    case EditCommand::kPaste:
      return writable && field->canPaste();
    case EditCommand::kSelectAll:
      return !field->document()->isEmpty();
    case EditCommand::kNone:
      break;
  }
  return false;
}

void DoEdit(EditCommand command, QPlainTextEdit* field) {
  if (!CanEdit(command, field)) return;
  switch (command) {
    case EditCommand::kUndo:
      field->undo();
      break;
    case EditCommand::kCut:
      field->cut();
      break;
    case EditCommand::kCopy:
      field->copy();
      break;
    case EditCommand::kPaste:
      field->paste();
      break;
    case EditCommand::kClear: {
      QTextCursor cursor = field->textCursor();
      cursor.removeSelectedText();
      field->setTextCursor(cursor);
      break;
    }
    case EditCommand::kSelectAll:
      field->selectAll();
      break;
    case EditCommand::kNone:
      break;
  }
}

}  // namespace

// Everything of a window that Qt holds. The widgets point back through a raw pointer that is cleared when the
// window closes or goes, so a late Qt event finds no window rather than a dangling one.
struct WindowImpl {
  struct MenuEntry {
    QPointer<QAction> action;
    std::string name;
    bool autoEnable = false;
  };

  explicit WindowImpl(Window& w) : window(w) {}
  ~WindowImpl();

  Window& window;
  QPointer<WindowWidget> widget;
  QPointer<QWidget> content;
  QPointer<QMenuBar> qtMenuBar;
  std::vector<MenuEntry> menuEntries;
  std::vector<QPointer<QWidget>> tabOrder;
  // The field the focus was in when the menu bar took it (Alt or a menu's Escape): the Edit commands act on it.
  QPointer<QPlainTextEdit> menuField;
  std::array<QMetaObject::Connection, 3> fieldConnections;
  std::vector<std::pair<std::string, Ref<Object>>> controls;
  std::map<std::string, Ref<Delegate>> menuHandlers;
  Ref<::MenuBar> menuBar;
  bool live = false;
  bool built = false;
  bool closing = false;
  bool closed = false;

  Ref<Window> Self() const { return std::static_pointer_cast<Window>(window.weak_from_this().lock()); }
  bool EnsureNative();
  int MenuBarHeight(int width) const;
  void LayOutChildren(QSize size);
  void ApplyGeometry();
  void ApplyFrame();
  void BuildQtMenuBar();
  void AddMenuEntry(QWidget* container, const MenuItem& item);
  QPlainTextEdit* FocusedField() const;
  void WatchField(QWidget* now);
  void GiveFocusBackToField();
  void UpdateMenuEnabling();
  void ChooseMenuItem(const std::string& name);
  void SetTabOrder();
  bool MoveFocus(bool forward);
  void Discard();
  // Raises a window event from a Qt event: through the exception helper, with Qt deletions deferred.
  bool RaiseFromQt(int event, EventArgs& args);
  static void ReleaseAllWindows();
};

namespace {

class WindowWidget : public QWidget {
 public:
  explicit WindowWidget(WindowImpl* owner) : impl(owner) {}
  // QWidget's destructor hides a visible window, which moves the focus and may change the clipboard owner; the
  // application's signals must not reach this part of the object once it is gone.
  ~WindowWidget() override {
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
  }
  WindowImpl* impl;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::WindowActivate && impl) {
      impl->UpdateMenuEnabling();
      EventArgs args;
      impl->RaiseFromQt(Window::kActivate, args);
    } else if (e->type() == QEvent::WindowDeactivate && impl) {
      EventArgs args;
      impl->RaiseFromQt(Window::kDeactivate, args);
    }
    return QWidget::event(e);
  }

  // The first size a window is shown with is no resizing, nor its first position a move.
  void resizeEvent(QResizeEvent* e) override {
    QWidget::resizeEvent(e);
    if (impl) impl->LayOutChildren(size());
    if (impl && isVisible() && e->oldSize().isValid() && e->oldSize() != e->size()) {
      EventArgs args;
      impl->RaiseFromQt(Window::kResized, args);
    }
  }

  void moveEvent(QMoveEvent* e) override {
    QWidget::moveEvent(e);
    if (impl && isVisible() && e->oldPos() != e->pos()) {
      EventArgs args;
      impl->RaiseFromQt(Window::kMoved, args);
    }
  }

  // Leaving the minimized state is a restore, whatever state the window goes back to.
  void changeEvent(QEvent* e) override {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || !impl) return;
    const Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(e)->oldState(), now = windowState();
    std::optional<Window::Event> event;
    if (now.testFlag(Qt::WindowMinimized) && !before.testFlag(Qt::WindowMinimized)) {
      event = Window::kMinimize;
    } else if (before.testFlag(Qt::WindowMinimized) && !now.testFlag(Qt::WindowMinimized)) {
      event = Window::kRestore;
    } else if (now.testFlag(Qt::WindowMaximized) && !before.testFlag(Qt::WindowMaximized)) {
      event = Window::kMaximize;
    } else if (before.testFlag(Qt::WindowMaximized) && !now.testFlag(Qt::WindowMaximized)) {
      event = Window::kRestore;
    }
    if (!event) return;
    EventArgs args;
    impl->RaiseFromQt(*event, args);
  }

  // The menu bar's height is only final once the window is polished, so the content size is set again then.
  void showEvent(QShowEvent* e) override {
    QWidget::showEvent(e);
    if (impl && !shownOnce_) {
      shownOnce_ = true;
      impl->ApplyGeometry();
    }
  }

  // CancelClose may keep the window open; then the close is refused.
  void closeEvent(QCloseEvent* e) override {
    QtDispatchScope scope;
    if (impl) {
      if (Ref<Window> self = impl->Self()) self->Close();
    }
    if (impl && impl->live) {
      e->ignore();
    } else {
      e->accept();
    }
  }

  // Tab and Backtab from any control come up here.
  bool focusNextPrevChild(bool next) override {
    return (impl && impl->MoveFocus(next)) || QWidget::focusNextPrevChild(next);
  }

  void keyPressEvent(QKeyEvent* e) override {
    std::optional<std::string> text = FrameworkKeyText(*e);
    if (impl && text) {
      keysDown_.insert(e->key());
      EventArgs args;
      args.key = *text;
      if (impl->RaiseFromQt(Window::kKeyDown, args)) {
        e->accept();
        return;
      }
    }
    QWidget::keyPressEvent(e);
  }

  // A field lets every release go on up here; KeyUp comes only for the keys whose press reached KeyDown.
  void keyReleaseEvent(QKeyEvent* e) override {
    if (!e->isAutoRepeat() && keysDown_.erase(e->key()) && impl) {
      if (std::optional<std::string> text = FrameworkKeyText(*e)) {
        EventArgs args;
        args.key = *text;
        impl->RaiseFromQt(Window::kKeyUp, args);
        e->accept();
        return;
      }
    }
    QWidget::keyReleaseEvent(e);
  }

 private:
  bool shownOnce_ = false;
  std::set<int> keysDown_;
};

// A menu of the menu bar: Escape closes it and gives the focus back to the field it was opened on.
class MenuWidget : public QMenu {
 public:
  MenuWidget(const QString& title, QWidget* parent, WindowWidget* top) : QMenu(title, parent), top_(top) {}

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    const bool escape = e->key() == Qt::Key_Escape;
    QMenu::keyPressEvent(e);
    if (escape && qobject_cast<QMenuBar*>(parentWidget()) && top_ && top_->impl) top_->impl->GiveFocusBackToField();
  }

 private:
  QPointer<WindowWidget> top_;
};

// The area below the menu bar: the window's Width x Height, the controls' parent.
class ContentWidget : public QWidget {
 public:
  explicit ContentWidget(WindowWidget* parent) : QWidget(parent), top_(parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    WindowImpl* impl = top_ ? top_->impl : nullptr;
    if (!impl || !impl->window.BoolProperty("HasBackgroundColor")) return;
    const auto rgb = static_cast<uint32_t>(impl->window.IntProperty("BackgroundColor"));
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(rgb));
  }

  // Presses on the content itself and those a child control ignores arrive here, in content coordinates.
  void mousePressEvent(QMouseEvent* e) override {
    WindowImpl* impl = top_ ? top_->impl : nullptr;
    if (!impl) {
      e->ignore();
      return;
    }
    const QPoint at = e->position().toPoint();
    EventArgs args;
    args.x = at.x();
    args.y = at.y();
    pressed_ = true;
    impl->RaiseFromQt(Window::kMouseDown, args);
    e->accept();
  }

  // Only the release of a press that reached MouseDown: a control's own press may be released up here too.
  void mouseReleaseEvent(QMouseEvent* e) override {
    WindowImpl* impl = top_ ? top_->impl : nullptr;
    if (!impl || !std::exchange(pressed_, false)) {
      e->ignore();
      return;
    }
    const QPoint at = e->position().toPoint();
    EventArgs args;
    args.x = at.x();
    args.y = at.y();
    impl->RaiseFromQt(Window::kMouseUp, args);
    e->accept();
  }

 private:
  QPointer<WindowWidget> top_;
  bool pressed_ = false;
};

}  // namespace

WindowImpl::~WindowImpl() {
  for (auto& connection : fieldConnections) QObject::disconnect(connection);
  controls.clear();
  if (widget) {
    widget->impl = nullptr;
    // Widgets must not outlive their QApplication, nor be touched after it is gone.
    if (QCoreApplication::instance()) ReleaseQtObject(widget.data());
  }
}

bool WindowImpl::EnsureNative() {
  if (widget) return true;
  if (closed) return false;
  static const bool postRoutine = [] {
    qAddPostRoutine(&WindowImpl::ReleaseAllWindows);
    return true;
  }();
  (void)postRoutine;
  widget = new WindowWidget(this);
  widget->setWindowTitle(FrameTitle(std::string()));
  widget->setAttribute(Qt::WA_QuitOnClose, true);
  content = new ContentWidget(widget);
  content->setFocusPolicy(Qt::NoFocus);
  ApplyFrame();

  WindowWidget* w = widget.data();
  QObject::connect(qApp, &QApplication::focusChanged, w, [w](QWidget*, QWidget* now) {
    if (w->impl) w->impl->WatchField(now);
  });
  QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, w, [w] {
    if (w->impl) w->impl->UpdateMenuEnabling();
  });
  return true;
}

int WindowImpl::MenuBarHeight(int width) const {
  if (!qtMenuBar || !window.BoolProperty("MenuBarVisible", true)) return 0;
  const int height = qtMenuBar->heightForWidth(width);
  return height >= 0 ? height : qtMenuBar->sizeHint().height();
}

// A shown window takes a new size only once the window system confirms it, so the size is passed in.
void WindowImpl::LayOutChildren(QSize size) {
  if (!widget) return;
  const int bar = MenuBarHeight(size.width());
  if (qtMenuBar) {
    qtMenuBar->setVisible(bar > 0);
    qtMenuBar->setGeometry(0, 0, size.width(), bar);
  }
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

void WindowImpl::BuildQtMenuBar() {
  menuEntries.clear();
  if (qtMenuBar) ReleaseQtObject(qtMenuBar.data());
  qtMenuBar = nullptr;
  if (menuBar && widget) {
    qtMenuBar = new QMenuBar(widget);
    qtMenuBar->setNativeMenuBar(false);
    for (size_t i = 0; i < menuBar->Count(); ++i) AddMenuEntry(qtMenuBar, *menuBar->Item(i));
    qtMenuBar->show();
    UpdateMenuEnabling();
  }
  ApplyGeometry();
}

void WindowImpl::AddMenuEntry(QWidget* container, const MenuItem& item) {
  const QString caption = QString::fromStdString(item.Text());
  QAction* action = nullptr;
  if (item.Text() == "-") {
    action = new QAction(container);
    action->setSeparator(true);
  } else if (item.Count() > 0) {
    auto* menu = new MenuWidget(caption, container, widget.data());
    for (size_t i = 0; i < item.Count(); ++i) AddMenuEntry(menu, *item.Item(i));
    WindowWidget* w = widget.data();
    QObject::connect(menu, &QMenu::aboutToShow, w, [w] {
      if (w->impl) w->impl->UpdateMenuEnabling();
    });
    action = menu->menuAction();
  } else {
    action = new QAction(caption, container);
    if (!item.CommandKey().empty()) {
      action->setShortcut(QKeySequence(QString::fromStdString(item.CommandKey()), QKeySequence::PortableText));
    }
    WindowWidget* w = widget.data();
    QObject::connect(action, &QAction::triggered, w, [w, name = item.Name()] {
      if (w->impl) w->impl->ChooseMenuItem(name);
    });
    menuEntries.push_back({action, item.Name(), item.AutoEnable()});
  }
  action->setObjectName(QString::fromStdString(item.Name()));
  action->setVisible(item.Visible());
  container->addAction(action);
}

// The field the Edit commands act on: the application's focus when it lies in this window, else this window's
// own focus (the window is inactive, as when a test or a late event chooses the item). While the menu bar has the
// focus (a menu opened from the keyboard), the field that had it before.
QPlainTextEdit* WindowImpl::FocusedField() const {
  if (!widget) return nullptr;
  QWidget* focus = QApplication::focusWidget();
  if (!focus || !widget->isAncestorOf(focus)) focus = widget->focusWidget();
  if (!focus || !widget->isAncestorOf(focus)) return nullptr;
  if (focus == qtMenuBar) return menuField;
  return qobject_cast<QPlainTextEdit*>(focus);
}

// Follows the focused field, so that items enable themselves as its selection, text and undo state change and
// their shortcuts work without the menu being opened. The menu bar and its menus taking the focus leave the field
// followed, since the Edit commands still act on it.
void WindowImpl::WatchField(QWidget* now) {
  if (now && (now == qtMenuBar || qobject_cast<QMenu*>(now))) {
    UpdateMenuEnabling();
    return;
  }
  for (auto& connection : fieldConnections) QObject::disconnect(connection);
  menuField = nullptr;
  if (auto* field = qobject_cast<QPlainTextEdit*>(now); field && widget && widget->isAncestorOf(field)) {
    menuField = field;
    WindowWidget* w = widget.data();
    auto update = [w] {
      if (w->impl) w->impl->UpdateMenuEnabling();
    };
    fieldConnections = {QObject::connect(field, &QPlainTextEdit::selectionChanged, w, update),
                        QObject::connect(field, &QPlainTextEdit::textChanged, w, update),
                        QObject::connect(field->document(), &QTextDocument::undoAvailable, w, update)};
  }
  UpdateMenuEnabling();
}

// Qt leaves the menu bar holding the focus after a menu's Escape, waiting for another; the user expects to type on
// in the field instead.
void WindowImpl::GiveFocusBackToField() {
  if (!widget || !qtMenuBar || !menuField || !widget->isAncestorOf(menuField)) return;
  if (QApplication::focusWidget() == qtMenuBar || widget->focusWidget() == qtMenuBar) {
    menuField->setFocus(Qt::MenuBarFocusReason);
  }
}

// Items that do not enable themselves stay enabled; the others can act when their command or handler can.
void WindowImpl::UpdateMenuEnabling() {
  if (menuEntries.empty()) return;
  QPlainTextEdit* field = FocusedField();
  for (const MenuEntry& entry : menuEntries) {
    if (!entry.action || !entry.autoEnable) continue;
    const EditCommand command = EditCommandNamed(entry.name);
    entry.action->setEnabled(command != EditCommand::kNone ? CanEdit(command, field)
                                                           : menuHandlers.count(entry.name) != 0);
  }
}

void WindowImpl::ChooseMenuItem(const std::string& name) {
  QtDispatchScope scope;
  Ref<Window> self = Self();
  if (!self || !live) return;
  if (const EditCommand command = EditCommandNamed(name); command != EditCommand::kNone) {
    DoEdit(command, FocusedField());
    return;
  }
  auto it = menuHandlers.find(name);
  if (it == menuHandlers.end()) return;
  Ref<Delegate> handler = it->second;
  RuntimeRunHandler([&] { return handler->Call<bool>(); });
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

// The window leaves the live windows and lets go of its controls, handlers and menu bar; its widget goes with it
// (later, when one of our handlers is on the stack).
void WindowImpl::Discard() {
  Ref<Window> keep = Self();
  live = false;
  closed = true;
  auto& windows = LiveWindows();
  windows.erase(
      std::remove_if(windows.begin(), windows.end(), [this](const Ref<Window>& w) { return w.get() == &window; }),
      windows.end());
  for (auto& connection : fieldConnections) QObject::disconnect(connection);
  menuEntries.clear();
  tabOrder.clear();
  std::vector<std::pair<std::string, Ref<Object>>> released;
  released.swap(controls);
  menuHandlers.clear();
  menuBar.reset();
  released.clear();
  if (WindowWidget* w = widget.data()) {
    w->impl = nullptr;
    widget = nullptr;
    content = nullptr;
    qtMenuBar = nullptr;
    ReleaseQtObject(w);
  }
}

// The arguments let go of the window while deletion is still deferred, so that a handler closing it cannot make
// the last reference drop inside the widget's own event.
bool WindowImpl::RaiseFromQt(int event, EventArgs& args) {
  QtDispatchScope scope;
  const bool result = RuntimeRunHandler([&] {
    Ref<Window> self = Self();
    if (!self || !live) return false;
    args.sender = self;
    return self->RaiseEvent(event, args);
  });
  args.sender.reset();
  return result;
}

// Runs as the framework's finaliser, and inside the QApplication's destructor where a test made its own application:
// windows still live then are released while Qt can still delete them.
void WindowImpl::ReleaseAllWindows() {
  std::vector<Ref<Window>> windows = LiveWindows();
  for (const Ref<Window>& w : windows) w->impl_->Discard();
}

// ---- Window

Window::Window() : impl_(std::make_unique<WindowImpl>(*this)) {}
Window::~Window() = default;

namespace {

// The window events the framework raises (see window.h); the class records may fill no others.
std::set<int> RaisedWindowEvents() {
  using W = Window;
  return {W::kActivate, W::kAddMenuHandlers, W::kCancelClose, W::kClose,    W::kCreateControls, W::kDeactivate,
          W::kKeyDown,  W::kKeyUp,           W::kLayout,      W::kMaximize, W::kMinimize,       W::kMouseDown,
          W::kMouseUp,  W::kMoved,           W::kOpen,        W::kResized,  W::kRestore};
}

}  // namespace

const ClassInfo& Window::ClassRecord() {
  static const ClassInfo record{.fullName = "Window",
                                .base = &Object::ClassRecord(),
                                .factory = [] { return std::make_shared<Window>(); },
                                .properties = {{"Width", PropType::Integer},
                                               {"Height", PropType::Integer},
                                               {"MinimumWidth", PropType::Integer},
                                               {"MinimumHeight", PropType::Integer},
                                               {"MaximumWidth", PropType::Integer},
                                               {"MaximumHeight", PropType::Integer},
                                               {"Type", PropType::Enumeration},
                                               {"Title", PropType::Text},
                                               {"HasCloseButton", PropType::Boolean},
                                               {"HasMaximizeButton", PropType::Boolean},
                                               {"HasMinimizeButton", PropType::Boolean},
                                               {"HasFullScreenButton", PropType::Boolean},
                                               {"Resizeable", PropType::Boolean},
                                               {"Composite", PropType::Boolean},
                                               {"MacProcId", PropType::Integer},
                                               {"FullScreen", PropType::Boolean},
                                               {"DefaultLocation", PropType::Enumeration},
                                               {"Visible", PropType::Boolean},
                                               {"HasBackgroundColor", PropType::Boolean},
                                               {"BackgroundColor", PropType::Colour},
                                               {"MenuBarVisible", PropType::Boolean},
                                               {"LiveResize", PropType::Boolean}},
                                .eventNames = {"Activate",
                                               "AddMenuHandlers",
                                               "CancelClose",
                                               "Close",
                                               "ConstructContextualMenu",
                                               "ContentsChanged",
                                               "ContextualMenuAction",
                                               "CreateControls",
                                               "Deactivate",
                                               "DragEnter",
                                               "DragExit",
                                               "DragOver",
                                               "DropObject",
                                               "EnableMenuItems",
                                               "KeyDown",
                                               "KeyUp",
                                               "Layout",
                                               "Maximize",
                                               "Minimize",
                                               "MouseDown",
                                               "MouseDrag",
                                               "MouseEnter",
                                               "MouseExit",
                                               "MouseMove",
                                               "MouseUp",
                                               "MouseWheel",
                                               "Moved",
                                               "Open",
                                               "Paint",
                                               "Resized",
                                               "Resizing",
                                               "Restore",
                                               "ScaleFactorChanged",
                                               "SetupBindings"},
                                .raisedEvents = RaisedWindowEvents()};
  return RuntimeRegisterClass(record);
}

void Window::Constructor() {
  internal::RequireGuiThread("Window.Constructor");
  if (impl_->live || impl_->closed) return;
  Ref<Window> self = std::static_pointer_cast<Window>(shared_from_this());
  impl_->EnsureNative();
  impl_->live = true;
  LiveWindows().push_back(self);
  try {
    // Layout first, so that the window has its size before any control is placed and locked to its edges. A
    // handler that closes the window ends the building there: a closed window is neither built on nor shown.
    EventArgs args;
    args.sender = self;
    const auto raise = [&](Event event) {
      RaiseEvent(event, args);
      return !impl_->closed;
    };
    if (!raise(kLayout) || !raise(kCreateControls)) return;
    args.window = self;
    if (!raise(kAddMenuHandlers)) return;
    args.window.reset();
    impl_->SetTabOrder();
    if (!raise(kOpen)) return;
  } catch (...) {
    impl_->Discard();
    throw;
  }
  impl_->built = true;
  if (BoolProperty("Visible", true)) Show();
}

void Window::Show() {
  internal::RequireGuiThread("Window.Show");
  if (!impl_->widget) return;
  impl_->widget->show();
  impl_->widget->raise();
  impl_->widget->activateWindow();
}

void Window::Hide() {
  internal::RequireGuiThread("Window.Hide");
  if (impl_->widget) impl_->widget->hide();
}

void Window::Close() {
  internal::RequireGuiThread("Window.Close");
  if (!impl_->live || impl_->closing) return;
  impl_->closing = true;
  Ref<Window> self = std::static_pointer_cast<Window>(shared_from_this());
  {
    QtDispatchScope scope;
    EventArgs args;
    args.sender = self;
    if (RuntimeRunHandler([&] { return RaiseEvent(kCancelClose, args); })) {
      impl_->closing = false;
      return;
    }
    RuntimeRunHandler([&] { return RaiseEvent(kClose, args); });
  }
  impl_->Discard();
}

bool Window::IsLive() const {
  internal::RequireGuiThread("Window.IsLive");
  return impl_->live;
}

bool Window::IsVisible() const {
  internal::RequireGuiThread("Window.IsVisible");
  return impl_->widget && impl_->widget->isVisible();
}

Ref<Object> Window::New_(const ClassInfo& controlClass) {
  internal::RequireGuiThread("Window.New");
  if (!impl_->EnsureNative()) throw NilObjectException("window " + GetClass().fullName + " is closed");
  Ref<Object> object = RuntimeNewObject(controlClass);
  auto control = std::dynamic_pointer_cast<Control>(object);
  if (!control) {
    throw IllegalCastException("class " + controlClass.fullName + " is no control and cannot sit on a window");
  }
  control->owner_ = std::static_pointer_cast<Window>(shared_from_this());
  control->CreateNative(internal::NativeParent{impl_->content.data()});
  return object;
}

void Window::AddControl_(const std::string& name, const Ref<Object>& control) {
  internal::RequireGuiThread("Window.AddControl");
  RequireObject(control, "control " + name);
  if (impl_->closed) throw NilObjectException("window " + GetClass().fullName + " is closed");
  for (const auto& entry : impl_->controls) {
    if (entry.first == name) {
      throw OutOfBoundsException("window " + GetClass().fullName + " already has a control named " + name);
    }
  }
  impl_->controls.emplace_back(name, control);
  if (auto* child = dynamic_cast<PaneChild*>(control.get())) {
    child->SetWindow_(std::static_pointer_cast<Window>(shared_from_this()));
  }
}

Ref<Object> Window::ControlByName_(const std::string& name) const {
  internal::RequireGuiThread("Window.ControlByName");
  for (const auto& entry : impl_->controls) {
    if (entry.first == name) return entry.second;
  }
  return nullptr;
}

std::vector<std::string> Window::ControlNames() const {
  internal::RequireGuiThread("Window.ControlNames");
  std::vector<std::string> names;
  names.reserve(impl_->controls.size());
  for (const auto& entry : impl_->controls) names.push_back(entry.first);
  return names;
}

void Window::AddMenuHandler_(const std::string& itemName, const Ref<Delegate>& handler) {
  internal::RequireGuiThread("Window.AddMenuHandler");
  RequireObject(handler, "menu handler for " + itemName);
  if (impl_->closed) return;
  impl_->menuHandlers[itemName] = handler;
  impl_->UpdateMenuEnabling();
}

Ref<Delegate> Window::MenuHandler(const std::string& itemName) const {
  internal::RequireGuiThread("Window.MenuHandler");
  auto it = impl_->menuHandlers.find(itemName);
  return it == impl_->menuHandlers.end() ? nullptr : it->second;
}

void Window::MenuBar(const Ref<::MenuBar>& menuBar) {
  internal::RequireGuiThread("Window.MenuBar");
  if (!impl_->EnsureNative()) return;
  impl_->menuBar = menuBar;
  impl_->BuildQtMenuBar();
}

Ref<::MenuBar> Window::MenuBar() const {
  internal::RequireGuiThread("Window.MenuBar");
  return impl_->menuBar;
}

bool Window::RaiseEvent(int event, EventArgs& args) {
  internal::RequireGuiThread("Window.RaiseEvent");
  Ref<Object> keep = weak_from_this().lock();  // a handler may drop the last other reference
  for (const ClassInfo* cls = &GetClass(); cls; cls = cls->base) {
    auto it = cls->events.find(event);
    if (it != cls->events.end()) return it->second(*this, args);
  }
  return false;
}

QWidget* internal::Native::WindowWidget(const Window& window) {
  internal::RequireGuiThread("Window.NativeWindow");
  return window.impl_->widget.data();
}

QWidget* internal::Native::Content(const Window& window) {
  internal::RequireGuiThread("Window.NativeContent");
  return window.impl_->content.data();
}

void Window::PropertyChanged(const std::string& name) {
  internal::RequireGuiThread("Window.SetProperty");
  if (!impl_->EnsureNative()) return;
  QWidget* widget = impl_->widget.data();
  if (name == "Width" || name == "Height" || name == "MinimumWidth" || name == "MinimumHeight" ||
      name == "MaximumWidth" || name == "MaximumHeight" || name == "Resizeable" || name == "MenuBarVisible") {
    impl_->ApplyGeometry();
  } else if (name == "Title") {
    widget->setWindowTitle(FrameTitle(TextProperty("Title")));
  } else if (name == "Type" || name == "HasCloseButton" || name == "HasMinimizeButton" || name == "HasMaximizeButton") {
    impl_->ApplyFrame();
  } else if (name == "HasBackgroundColor" || name == "BackgroundColor") {
    impl_->content->update();
  } else if (name == "Visible" && impl_->built) {
    // While the window is built, Visible only decides whether Constructor shows it at the end.
    if (BoolProperty("Visible")) {
      Show();
    } else {
      Hide();
    }
  }
}

Ref<Window> GetImplicitWindow_(const std::string& fullName) {
  internal::RequireGuiThread("GetImplicitWindow");
  for (const Ref<Window>& window : LiveWindows()) {
    if (window->GetClass().fullName == fullName) return window;
  }
  return nullptr;
}

std::vector<Ref<Window>> RuntimeLiveWindows() {
  internal::RequireGuiThread("RuntimeLiveWindows");
  return LiveWindows();
}

void ReleaseLiveWindows() {
  internal::RequireGuiThread("ReleaseLiveWindows");
  WindowImpl::ReleaseAllWindows();
}
