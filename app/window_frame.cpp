#include "app/window_frame.h"

// Abstract: each window declares its own timer subclass with its own full name and factory.
const ClassInfo& WindowOwnedTimer::ClassRecord() {
  static const ClassInfo record{.fullName = "WindowOwnedTimer", .base = &Timer::ClassRecord()};
  return RuntimeRegisterClass(record);
}

// The argument is not tested: none stores a weak reference to none.
void WindowOwnedTimer::SetWindow_(const Ref<::Window>& window) { ownerWindow_ = std::make_shared<WeakRef>(window); }

Ref<::Window> WindowOwnedTimer::Window() const {
  if (!ownerWindow_) return nullptr;
  Ref<Object> owner = ownerWindow_->Value();
  if (!owner) return nullptr;
  return RuntimeCheckCast<::Window>(owner);
}
