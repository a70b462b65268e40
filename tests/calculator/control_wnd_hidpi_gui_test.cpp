// The calculator at the screen scale factor that CTest gives this process (QT_SCALE_FACTOR, which Qt reads once,
// when the application is made; the test is registered once for each factor). Every field keeps its whole border,
// and pictures come from their double-size variants on screens above 1x, at the logical size of the plain file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QTest>
#include <QWidget>
#include <cmath>
#include <string>

#include "calculator/control_wnd.h"
#include "framework/internal/native.h"
#include "framework/picture.h"
#include "tests/support/gui_test_support.h"

namespace {

using testing_support::ContentOf;
using testing_support::WidgetOf;

double ScaleFactor() {
  bool ok = false;
  const double factor = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble(&ok);
  return ok ? factor : 1.0;
}

Ref<ControlWnd> OpenCalculator() {
  Ref<ControlWnd> window = ControlWnd::Implicit();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(window)));
  return window;
}

// The device pixels that one logical unit [from, from + 1) covers, at least one.
std::pair<int, int> DevicePixels(int from, double scale) {
  const int first = static_cast<int>(std::floor(from * scale));
  return {first, std::max(first + 1, static_cast<int>(std::ceil((from + 1) * scale)))};
}

// How many device rows (for a left or right edge) or columns (top, bottom) along one edge of the control show no
// border pixel in the outermost logical unit there. The corners are left out, and so is what lies under another
// control (the "Probability Values" label sits on the p-value field's first row); text never reaches the edge unit.
int LinesWithoutBorder(const QImage& image, const QRect& control, Qt::Edge edge, const QRegion& covered) {
  const double s = image.devicePixelRatio();
  const bool vertical = edge == Qt::LeftEdge || edge == Qt::RightEdge;
  const int unit = edge == Qt::LeftEdge    ? control.left()
                   : edge == Qt::RightEdge ? control.right()
                   : edge == Qt::TopEdge   ? control.top()
                                           : control.bottom();
  const auto [bandFrom, bandTo] = DevicePixels(unit, s);
  const int alongFrom = static_cast<int>(std::ceil(((vertical ? control.top() : control.left()) + 2) * s));
  const int alongTo = static_cast<int>(std::floor(((vertical ? control.bottom() : control.right()) - 1) * s));
  int missing = 0;
  for (int along = alongFrom; along < alongTo; ++along) {
    const int logical = static_cast<int>(std::floor((along + 0.5) / s));
    if (covered.contains(vertical ? QPoint(unit, logical) : QPoint(logical, unit))) continue;
    bool found = false;
    for (int across = bandFrom; across < bandTo && !found; ++across) {
      const QPoint at = vertical ? QPoint(across, along) : QPoint(along, across);
      // The border is a mid grey; the field and the window are white, the window's own colour a light grey.
      found = image.rect().contains(at) && qGray(image.pixel(at)) < 0xd8;
    }
    missing += found ? 0 : 1;
  }
  return missing;
}

class ControlWndHidpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPictureLoaderForTesting([](const std::string&) { return Ref<Picture>(); });
  }
  void TearDown() override { testing_support::ResetProgramState(); }
};

TEST_F(ControlWndHidpiTest, EveryFieldShowsItsWholeBorder) {
  Ref<ControlWnd> window = OpenCalculator();
  window->Nvariables()->Text("999");
  window->ErrorFld()->Text(".05");
  window->InputFld1()->Text(".04\r\n.01\r\n.03");
  QCoreApplication::processEvents();

  // The whole window as the screen shows it: below the menu bar the content starts at a row of its own, and the
  // rounding to device pixels differs with it.
  QWidget* top = WidgetOf(window);
  const QImage image = top->grab().toImage();
  ASSERT_DOUBLE_EQ(image.devicePixelRatio(), ScaleFactor()) << "the scale factor did not reach the window";

  const struct {
    const char* name;
    Ref<TextArea> field;
  } fields[] = {
      {"Nvariables", window->Nvariables()}, {"ErrorFld", window->ErrorFld()}, {"InputFld1", window->InputFld1()}};
  const struct {
    const char* name;
    Qt::Edge edge;
  } edges[] = {{"left", Qt::LeftEdge}, {"top", Qt::TopEdge}, {"right", Qt::RightEdge}, {"bottom", Qt::BottomEdge}};
  for (const auto& field : fields) {
    QWidget* widget = WidgetOf(field.field);
    const QRect geometry(widget->mapTo(top, QPoint(0, 0)), widget->size());
    QRegion covered;
    for (QWidget* other : ContentOf(window)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      // A unit's margin: the other control's rounded device pixels may reach into the next unit.
      if (other != widget && other->isVisible()) {
        covered += QRect(other->mapTo(top, QPoint(0, 0)), other->size()).adjusted(-1, -1, 1, 1);
      }
    }
    for (const auto& edge : edges) {
      EXPECT_EQ(LinesWithoutBorder(image, geometry, edge.edge, covered), 0)
          << field.name << ": device lines without its " << edge.name << " border at scale " << ScaleFactor();
    }
  }
}

// The real resource manager, on probe files in resources/ beside the test executable (named for this process, as
// each scale factor runs in a process of its own): the plain file at 1x, the double-size variant above, at the
// plain file's logical size, and drawn on a canvas pixel for pixel at 2x.
TEST_F(ControlWndHidpiTest, PicturesComeFromTheirDoubleSizeVariantAboveOneX) {
  SetPictureLoaderForTesting(nullptr);
  QDir dir(QCoreApplication::applicationDirPath());
  ASSERT_TRUE(dir.mkpath(QStringLiteral("resources")));
  dir.cd(QStringLiteral("resources"));
  const QString base = QStringLiteral("HidpiProbe-%1").arg(QCoreApplication::applicationPid());
  QImage plain(6, 4, QImage::Format_RGB32);
  plain.fill(QColor(0xc0, 0x20, 0x20));
  QImage twice(12, 8, QImage::Format_RGB32);
  for (int y = 0; y < twice.height(); ++y) {
    for (int x = 0; x < twice.width(); ++x) twice.setPixel(x, y, (x + y) % 2 ? 0xff2040c0 : 0xff20c040);
  }
  ASSERT_TRUE(plain.save(dir.filePath(base + ".png")));
  ASSERT_TRUE(twice.save(dir.filePath(base + "@2x.png")));

  const Ref<Picture> picture = RuntimeGetPictureFromResourceManager_((base + ".png").toStdString());
  QFile::remove(dir.filePath(base + ".png"));
  QFile::remove(dir.filePath(base + "@2x.png"));
  // The folder stays: removing it could pull it from under another scale factor's process between its mkpath and
  // its save.

  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 6);
  EXPECT_EQ(picture->Height(), 4);
  const QImage& loaded = *static_cast<const QImage*>(internal::Native::Image(*picture));
  const bool above1x = qApp->devicePixelRatio() > 1;
  EXPECT_EQ(loaded.size(), above1x ? twice.size() : plain.size());
  EXPECT_EQ(loaded.pixel(0, 0), above1x ? twice.pixel(0, 0) : plain.pixel(0, 0));

  Ref<ControlWnd> window = OpenCalculator();
  window->QCanvas()->Backdrop(picture);
  const QImage shown = WidgetOf(window->QCanvas())->grab().toImage();
  if (ScaleFactor() == 2) {
    EXPECT_EQ(shown.copy(0, 0, 12, 8), twice.convertToFormat(shown.format())) << "drawn without scaling";
  } else if (ScaleFactor() == 1) {
    EXPECT_EQ(shown.copy(0, 0, 6, 4), plain.convertToFormat(shown.format()));
  }
}

}  // namespace
