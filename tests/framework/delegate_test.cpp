#include "framework/delegate.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Button;
using KeyCallable = std::function<bool(const Ref<Button>&, const std::string&)>;
constexpr const char* kKeySignature = "( Button, String ) as Boolean";
constexpr const char* kActionSignature = "( Button )";

class Button : public Object {
 public:
  enum Event : int { kKeyDown = 9, kAction = 15 };
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "Button",
                                  .base = &Object::ClassRecord(),
                                  .controlEvents = {{kKeyDown, {"KeyDown", kKeySignature, typeid(KeyCallable)}},
                                                    {kAction, {"Action", kActionSignature}}}};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};

// Inherits its events from its base's record.
class ToggleButton : public Button {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "ToggleButton", .base = &Button::ClassRecord()};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};

class Panel : public Object {
 public:
  bool KeyDown(const Ref<Button>&, const std::string& key) {
    keys += key;
    return key == "x";
  }
  void Action(const Ref<Button>&) { ++actions; }
  std::string keys;
  int actions = 0;
};

bool FireKey(const Ref<Button>& button, const std::string& key) {
  Ref<Delegate> bound = RuntimeEventHandler(*button, Button::kKeyDown);
  return bound && internal::RuntimeRunHandler(
                      [&] { return bound->Call<bool, const Ref<Button>&, const std::string&>(button, key); });
}

TEST(Delegate, BindingChecksTheEventAndItsSignature) {
  auto panel = std::make_shared<Panel>();
  enum class Outcome { Bound, TypeMismatch, OutOfBounds };
  struct {
    const char* name;
    Ref<Button> control;
    int event;
    Ref<Delegate> delegate;
    Outcome outcome;
  } const cases[] = {
      {"key handler", std::make_shared<Button>(), Button::kKeyDown,
       RuntimeCreateDelegate(&Panel::KeyDown, panel, kKeySignature, 1), Outcome::Bound},
      {"event of the base class", std::make_shared<ToggleButton>(), Button::kKeyDown,
       RuntimeCreateDelegate(&Panel::KeyDown, panel, kKeySignature, 1), Outcome::Bound},
      {"event that checks no callable type", std::make_shared<Button>(), Button::kAction,
       RuntimeCreateDelegate(&Panel::Action, panel, kActionSignature, 1), Outcome::Bound},
      {"another signature text", std::make_shared<Button>(), Button::kKeyDown,
       RuntimeCreateDelegate(&Panel::KeyDown, panel, "( TextArea, String ) as Boolean", 1), Outcome::TypeMismatch},
      {"right text over the wrong callable", std::make_shared<Button>(), Button::kKeyDown,
       RuntimeCreateDelegate(&Panel::Action, panel, kKeySignature, 1), Outcome::TypeMismatch},
      {"unknown event number", std::make_shared<Button>(), 3,
       RuntimeCreateDelegate(&Panel::KeyDown, panel, kKeySignature, 1), Outcome::OutOfBounds},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Outcome outcome = Outcome::Bound;
    try {
      RuntimeAddEventHandler(c.control, c.event, c.delegate);
    } catch (const TypeMismatchException& e) {
      outcome = Outcome::TypeMismatch;
      EXPECT_NE(std::string(e.what()).find(c.delegate->Signature()), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(kKeySignature), std::string::npos) << e.what();
    } catch (const OutOfBoundsException&) {
      outcome = Outcome::OutOfBounds;
    }
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(RuntimeEventHandler(*c.control, c.event) == c.delegate, c.outcome == Outcome::Bound);
  }
}

TEST(Delegate, TrueResultMarksTheEventHandled) {
  auto panel = std::make_shared<Panel>();
  auto button = std::make_shared<Button>();
  RuntimeAddEventHandler(button, Button::kKeyDown, RuntimeCreateDelegate(&Panel::KeyDown, panel, kKeySignature, 1));
  EXPECT_TRUE(FireKey(button, "x"));
  EXPECT_FALSE(FireKey(button, "y"));
  EXPECT_EQ(panel->keys, "xy");
}

TEST(Delegate, EventBindingHoldsItsTargetWeakly) {
  auto panel = std::make_shared<Panel>();
  std::weak_ptr<Panel> watch = panel;
  auto button = std::make_shared<Button>();
  RuntimeAddEventHandler(button, Button::kKeyDown, RuntimeCreateDelegate(&Panel::KeyDown, panel, kKeySignature, 1));
  panel.reset();
  EXPECT_TRUE(watch.expired());
  EXPECT_FALSE(FireKey(button, "x"));
}

class Frame : public Object {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "Frame",
                                  .base = &Object::ClassRecord(),
                                  .eventNames = {"Open", "Close", "KeyDown", "Paint"},
                                  .events = {{0, [](Object&, EventArgs&) { return false; }}}};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};

class AboutFrame : public Frame {
 public:
  static const ClassInfo& ClassRecord() {
    static const ClassInfo record{.fullName = "AboutFrame.AboutFrame",
                                  .base = &Frame::ClassRecord(),
                                  .events = {{2, [](Object&, EventArgs&) { return true; }}}};
    return RuntimeRegisterClass(record);
  }
  const ClassInfo& GetClass() const override { return ClassRecord(); }
};

TEST(Delegate, IsEventHandledAnswersFromTheFilledEntries) {
  const Ref<Object> frame = std::make_shared<AboutFrame>();
  struct {
    const char* name;
    const char* fullName;
    const char* event;
    bool ownClassOnly;
    bool handled;
  } const cases[] = {
      {"own entry", "AboutFrame.AboutFrame", "KeyDown", true, true},
      {"base's entry, own class only", "AboutFrame.AboutFrame", "Open", true, false},
      {"base's entry, bases too", "AboutFrame.AboutFrame", "Open", false, true},
      {"base asked by its own name", "Frame", "Open", true, true},
      {"empty entry", "AboutFrame.AboutFrame", "Paint", false, false},
      {"unknown event name", "AboutFrame.AboutFrame", "Resized", false, false},
      {"unknown class", "Nowhere.Nowhere", "KeyDown", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RuntimeIsEventHandled_(frame, c.fullName, c.event, c.ownClassOnly), c.handled);
  }
}

}  // namespace
