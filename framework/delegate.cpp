#include "framework/delegate.h"

namespace {

// The class of that full name: on the object's own record chain first, so an unregistered fixture class answers too.
const ClassInfo* FindNamedClass(const Ref<Object>& object, const std::string& fullName) {
  if (object) {
    for (const ClassInfo* c = &object->GetClass(); c; c = c->base) {
      if (c->fullName == fullName) return c;
    }
  }
  return RuntimeFindClass(fullName);
}

}  // namespace

const ClassInfo& Delegate::ClassRecord() {
  static const ClassInfo record{.fullName = "Delegate", .base = &Object::ClassRecord()};
  return RuntimeRegisterClass(record);
}

void RuntimeAddEventHandler(const Ref<Object>& control, int eventNumber, const Ref<Delegate>& delegate) {
  RequireObject(control, "event handler's control");
  RequireObject(delegate, "event handler's delegate");
  const ClassInfo& cls = control->GetClass();
  const ControlEventDecl* event = cls.FindControlEvent(eventNumber);
  if (!event) {
    throw OutOfBoundsException("class " + cls.fullName + " has no event number " + std::to_string(eventNumber));
  }
  const bool callableDiffers =
      event->callable != std::type_index(typeid(void)) && delegate->CallableType() != event->callable;
  if (delegate->Signature() != event->signature || callableDiffers) {
    throw TypeMismatchException("delegate " + delegate->Signature() + " cannot handle " + cls.fullName + "." +
                                event->name + ", which is " + event->signature);
  }
  control->handlers_[eventNumber] = delegate;
}

Ref<Delegate> RuntimeEventHandler(const Object& control, int eventNumber) {
  auto it = control.handlers_.find(eventNumber);
  return it == control.handlers_.end() ? nullptr : it->second;
}

bool RuntimeIsEventHandled_(const Ref<Object>& object, const std::string& fullName, const std::string& eventName,
                            bool ownClassOnly) {
  const ClassInfo* cls = FindNamedClass(object, fullName);
  if (!cls) return false;
  int number = -1;
  for (const ClassInfo* c = cls; c && number < 0; c = c->base) {
    for (size_t i = 0; i < c->eventNames.size(); ++i) {
      if (c->eventNames[i] == eventName) {
        number = static_cast<int>(i);
        break;
      }
    }
    if (!c->eventNames.empty()) break;  // the nearest table is the class's numbering
  }
  if (number < 0) return false;
  for (const ClassInfo* c = cls; c; c = ownClassOnly ? nullptr : c->base) {
    if (c->events.count(number)) return true;
  }
  return false;
}
