#include "app/window_frame.h"

void SetProperties_(const Ref<Object>& target, const PropertyList& list) {
  RuntimeMassPropertySetter(target, list.Bytes());
}
