#include "framework/timer.h"

#include <QTimer>
#include <algorithm>
#include <cstdint>

#include "framework/internal/control_qt.h"
#include "framework/internal/gui_thread.h"
#include "framework/internal/native.h"

namespace {

using P = PropType;
using TimerActionFn = std::function<void(const Ref<Timer>&)>;

// Setting either starts the timer again (or stops it).
void Restart(Control& timer, ControlImpl&, const std::string&) { static_cast<Timer&>(timer).Reset(); }

}  // namespace

const ClassInfo& Timer::ClassRecord() {
  static const ClassInfo& record = internal::DeclareControlClass(
      "Timer", Control::ClassRecord(), [] { return std::make_shared<Timer>(); },
      // RunMode 0 stops the timer, 1 fires once Period ms later, 2 every Period ms; Period 0 stops it too.
      {{{"RunMode", P::Enumeration}, Restart}, {{"Period", P::Integer}, Restart}},
      {internal::MakeControlEvent<TimerActionFn>(
          kAction, "Action", "( Timer )", [](const Delegate& handler, const Ref<Object>& self, EventArgs&) {
            return internal::CallDelegate<TimerActionFn>(handler, RuntimeCheckCast<Timer>(self));
          })});
  return RuntimeRegisterClass(record);
}

void Timer::Reset() {
  internal::RequireGuiThread("Timer.Reset");
  const int64_t mode = IntProperty("RunMode");
  const int64_t period = IntProperty("Period");
  if (mode == 0 || period <= 0) {
    if (impl_->timer) impl_->timer->stop();
    return;
  }
  if (!impl_->timer) {
    auto* timer = new QTimer();
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [weak = weak_from_this()] {
      EventArgs args;
      internal::FireFromQt(weak, kAction, args);
    });
    impl_->timer = timer;
  }
  impl_->timer->setSingleShot(mode == 1);
  impl_->timer->start(static_cast<int>(std::min<int64_t>(period, INT32_MAX)));
}

bool Timer::IsRunning() const {
  internal::RequireGuiThread("Timer.IsRunning");
  return impl_->timer && impl_->timer->isActive();
}

QTimer* internal::Native::Timer(const ::Timer& timer) {
  internal::RequireGuiThread("Timer.NativeTimer");
  return timer.impl_->timer.data();
}
