#include "framework/internal/image_file.h"

#include <QFileInfo>
#include <QImageReader>

// Guessing the format from the contents first would load every image format plugin to ask it, which costs
// start-up milliseconds and megabytes.
QImage internal::ReadImageFile(const QString& path) {
  QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
  reader.setAutoDetectImageFormat(false);
  QImage image = reader.read();
  if (image.isNull()) image.load(path);
  return image;
}
