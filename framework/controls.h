// The control classes a window holds: TextArea, Label, Canvas, PushButton and Timer, on the base Control and
// RectControl. Each keeps every property of its design-time list, readable by name, and applies to its Qt widget
// those that Qt has a counterpart for. This header only gathers the classes' own headers. Qt-free header.
#pragma once

#include "framework/canvas.h"
#include "framework/control.h"
#include "framework/label.h"
#include "framework/push_button.h"
#include "framework/text_area.h"
#include "framework/timer.h"
