// The frame every window class shares: the class accessor, the creation steps of one control driven by the
// window's control table, control accessors, the event query, and the window-owned timer class.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "framework/controls.h"
#include "framework/delegate.h"
#include "framework/picture.h"
#include "framework/property_list.h"
#include "framework/window.h"

// Hands the list on to the mass property setter unchanged.
void SetProperties_(const Ref<Object>& target, const PropertyList& list);

// The record of a program class C: its full name (C::kFullName), its base, a factory of new, not yet constructed
// objects, and the window-event entries it fills. The caller keeps it in a static and registers it.
template <class C>
ClassInfo ProgramClassInfo(const ClassInfo& base, std::map<int, EventEntry> events = {}) {
  return {.fullName = C::kFullName,
          .base = &base,
          .factory = [] { return std::make_shared<C>(); },
          .events = std::move(events)};
}

// The event binding of one control: the event's number in the control's class, the handler's signature text and a
// maker of the delegate over the window's handler (flag 1: the delegate holds the window weakly).
template <class W>
struct EventBinding {
  int event = -1;
  const char* signature = nullptr;
  std::function<Ref<Delegate>(const Ref<W>& window, const char* signature)> make;
};

template <class W, class R, class... A>
EventBinding<W> Bind(int event, const char* signature, R (W::*handler)(A...)) {
  return {event, signature,
          [handler](const Ref<W>& window, const char* sig) { return RuntimeCreateDelegate(handler, window, sig, 1); }};
}

// The Index of a control that is not part of a control array.
inline constexpr int64_t kNoIndex = -2147483648LL;

// One row of a window's control table, in creation order.
template <class W>
struct ControlSpec {
  const char* name;
  const ClassInfo& (*cls)();
  const PropertyList* properties;
  Ref<Picture> (*backdrop)() = nullptr;  // canvases only
  EventBinding<W> binding = {};
  // The class the registry's object is cast to when fetched back; none means the row's own class. A window-owned
  // timer is fetched as a Timer.
  const ClassInfo& (*castTo)() = nullptr;
};

template <class W>
class WindowFrame : public Window {
 public:
  // The live window of the class, or a new one built now. Nothing is stored: the framework holds the window.
  static Ref<W> Implicit() {
    Ref<Window> window = GetImplicitWindow_(W::kFullName);
    if (!window) {
      Ref<W> fresh = RuntimeNewObject<W>();
      fresh->Constructor();
      // A handler of its own (Open) may have closed it already; a closed window is never handed out.
      if (fresh->IsLive()) window = fresh;
    }
    return RuntimeCheckCast<W>(window);
  }

  bool IsEventImplemented(const std::string& eventName) {
    return RuntimeIsEventHandled_(shared_from_this(), W::kFullName, eventName, true);
  }

 protected:
  // A control accessor: asks the registry on every call; none when no control has the name.
  template <class C>
  Ref<C> ControlAs(const char* name) const {
    return RuntimeCheckCast<C>(ControlByName_(name));
  }

  // The creation steps of every control, in table order, each control completely before the next: make,
  // construct, register, fetch back, backdrop (canvases), property list, binding. A failure stops here and passes on.
  // A table declared with more rows than it was given has empty ones at its end: building stops there with a word.
  void BuildControls(std::span<const ControlSpec<W>> table) {
    Ref<W> self = RuntimeCheckCast<W>(shared_from_this());
    for (const ControlSpec<W>& row : table) {
      if (!row.name || !row.cls || !row.properties) {
        throw NilObjectException(std::string("an empty row in the control table of ") + W::kFullName);
      }
      {
        Ref<Object> made = New_(row.cls());
        static_cast<Control&>(*made).Constructor();
        AddControl_(row.name, made);
      }
      Ref<Object> control = Fetch(row);
      if (row.backdrop) {
        RuntimeCheckCast<Canvas>(control)->Backdrop(row.backdrop());
        control = Fetch(row);
      }
      SetProperties_(control, *row.properties);
      if (row.binding.make) {
        control = Fetch(row);
        RuntimeAddEventHandler(control, row.binding.event, row.binding.make(self, row.binding.signature));
      }
    }
  }

 private:
  Ref<Object> Fetch(const ControlSpec<W>& row) const {
    const ClassInfo& target = row.castTo ? row.castTo() : row.cls();
    return RequireObject(RuntimeCheckCast(ControlByName_(row.name), target), row.name);
  }
};

// A timer that sits on a window like a control. It holds its window only weakly, so it never keeps a closed
// window alive. Each window declares its own subclass with its own full name.
class WindowOwnedTimer : public Timer, public PaneChild {
 public:
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }
  void Constructor() override {}

  void SetWindow_(const Ref<::Window>& window) override;
  Ref<::Window> Window() const override;
  int64_t Index_() const override { return index_; }
  void SetIndex_(int64_t index) override { index_ = index; }

 private:
  int64_t index_ = 0;
  Ref<WeakRef> ownerWindow_;
};
