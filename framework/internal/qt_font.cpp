#include "framework/internal/qt_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <algorithm>
#include <cmath>
#include <string>

#include "framework/object.h"

namespace internal {

// "System" is the application's UI font; "Courier" and "times" are matched by style hint, so that a machine without
// those exact families still gets a fixed-pitch or a serif face.
QFont ControlFont(const Object& object) {
  QFont font = QApplication::font();
  const std::string name = object.TextProperty("FontName");
  if (EqualsIgnoringAsciiCase(name, "Courier")) {
    font.setFamilies({QStringLiteral("Courier"), QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
  } else if (EqualsIgnoringAsciiCase(name, "times")) {
    font.setFamilies({QStringLiteral("Times")});
    font.setStyleHint(QFont::Serif);
  } else if (!name.empty() && !EqualsIgnoringAsciiCase(name, "System")) {
    font.setFamilies({QString::fromStdString(name)});
  }
  // FontUnit 0, the only unit in use: points of a layout at 72 units per inch, so one point is one logical unit,
  // the unit of the controls' positions and sizes. The lists size their controls for that: a 47-column report in
  // Courier 10 fits the 315-unit p-value field. Qt's points (at 96 dpi) would be a third larger and spill over.
  const double size = object.NumberProperty("FontSize", 0);
  if (size > 0) font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
  font.setBold(object.BoolProperty("Bold"));
  font.setItalic(object.BoolProperty("Italic"));
  font.setUnderline(object.BoolProperty("Underline"));
  return font;
}

}  // namespace internal
