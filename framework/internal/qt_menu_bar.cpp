#include "framework/internal/qt_menu_bar.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <utility>

#include "framework/internal/qt_controls.h"
#include "framework/menu.h"

namespace internal {
namespace {

// A menu of the menu bar: Escape closes it and lets the window give the focus back to the field it was opened on.
class MenuWidget : public QMenu {
 public:
  MenuWidget(const QString& title, QWidget* parent, QObject* context, std::function<void()> escaped)
      : QMenu(title, parent), context_(context), escaped_(std::move(escaped)) {}

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    const bool escape = e->key() == Qt::Key_Escape;
    QMenu::keyPressEvent(e);
    if (escape && qobject_cast<QMenuBar*>(parentWidget()) && context_ && escaped_) escaped_();
  }

 private:
  QPointer<QObject> context_;  // gone once the menu bar that made this menu is released
  std::function<void()> escaped_;
};

}  // namespace

bool IsMenu(const QWidget& widget) { return qobject_cast<const QMenu*>(&widget) != nullptr; }

QtMenuBar::QtMenuBar(QWidget& window, const MenuBar& model, Hooks hooks) : hooks_(std::move(hooks)) {
  bar_ = new QMenuBar(&window);
  bar_->setNativeMenuBar(false);
  for (size_t i = 0; i < model.Count(); ++i) AddEntry(*bar_, *model.Item(i));
  bar_->show();
}

// Widgets must not outlive their QApplication, nor be touched after it is gone.
QtMenuBar::~QtMenuBar() {
  entries_.clear();
  if (bar_ && QCoreApplication::instance()) ReleaseQtObject(bar_.data());
}

int QtMenuBar::Height(int width) const {
  if (!bar_) return 0;
  const int height = bar_->heightForWidth(width);
  return height >= 0 ? height : bar_->sizeHint().height();
}

void QtMenuBar::Place(int width, int height) {
  if (!bar_) return;
  bar_->setVisible(height > 0);
  bar_->setGeometry(0, 0, width, height);
}

void QtMenuBar::UpdateEnabling() {
  for (const Entry& entry : entries_) {
    if (entry.action && entry.autoEnable) entry.action->setEnabled(hooks_.canAct(entry.name));
  }
}

// The connections hold copies of the hooks: a chosen item's handler may release this menu bar while it runs.
void QtMenuBar::AddEntry(QWidget& container, const MenuItem& item) {
  const QString caption = QString::fromStdString(item.Text());
  QAction* action = nullptr;
  if (item.Text() == "-") {
    action = new QAction(&container);
    action->setSeparator(true);
  } else if (item.Count() > 0) {
    auto* menu = new MenuWidget(caption, &container, &context_, hooks_.escaped);
    for (size_t i = 0; i < item.Count(); ++i) AddEntry(*menu, *item.Item(i));
    QObject::connect(menu, &QMenu::aboutToShow, &context_, [aboutToShow = hooks_.aboutToShow] { aboutToShow(); });
    action = menu->menuAction();
  } else {
    action = new QAction(caption, &container);
    if (!item.CommandKey().empty()) {
      action->setShortcut(QKeySequence(QString::fromStdString(item.CommandKey()), QKeySequence::PortableText));
    }
    QObject::connect(action, &QAction::triggered, &context_,
                     [choose = hooks_.choose, name = item.Name()] { choose(name); });
    entries_.push_back({action, item.Name(), item.AutoEnable()});
  }
  action->setObjectName(QString::fromStdString(item.Name()));
  action->setVisible(item.Visible());
  container.addAction(action);
}

}  // namespace internal
