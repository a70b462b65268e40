// Internal to the framework: reading an image file as the program's pictures and its window icon are read. It
// knows no resource folders and no double-size variants: the picture loader chooses the file.
#pragma once

#include "framework/internal/internal_only.h"

#include <QImage>
#include <QString>

namespace internal {

// The image by the format that the file's suffix names, or by its contents where the suffix misnames it; a null
// image when the file is missing or unreadable.
QImage ReadImageFile(const QString& path);

}  // namespace internal
