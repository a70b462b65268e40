// Internal to the framework. Drawing a text field's printed block on any Qt paint device: PrintTextAreaBlock draws
// it on the printer, tests on an image. It opens no dialog.
#pragma once

#include "framework/internal/internal_only.h"

#include "framework/controls.h"

class QPaintDevice;

namespace internal {

// Draws the block that PrintTextAreaBlock prints, with the given device units to a point: the text is laid out in
// points, one to a logical unit as on screen, and scaled to the device. Returns whether it drew.
bool DrawTextAreaBlock(const Ref<TextArea>& field, QPaintDevice* device, double unitsPerPoint, int width, int height);

}  // namespace internal
