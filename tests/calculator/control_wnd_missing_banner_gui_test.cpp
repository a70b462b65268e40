// The calculator window with its title banner "Pall.png" missing. A binary of its own: the picture accessors keep a
// picture for the life of the process once it has been found, so no other test may have loaded it first.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/credit_line.h"
#include "calculator/control_wnd.h"
#include "framework/picture.h"
#include "framework/runtime.h"
#include "framework/services.h"
#include "tests/support/gui_test_support.h"
#include "windows/about_wnd.h"

namespace {

using testing_support::ContentOf;
using testing_support::WidgetOf;

constexpr QRgb kPicture = 0xff2040c0;

int PixelsOfColour(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour;
  return count;
}

// The credit line's text is drawn when its label holds pixels other than its opaque white ground.
bool ShowsText(QWidget* label) {
  const QImage image = label->grab().toImage();
  return PixelsOfColour(image, 0xffffffff) < image.width() * image.height();
}

TEST(ControlWndMissingBannerTest, BannerIsEmptyAndTheCreditLineStillShowsWithNoMessage) {
  QTemporaryDir dir;
  for (const auto& [name, width, height] : {std::tuple{"Question48.jpg", 29, 43}, {"PallSmall.png", 265, 45}}) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kPicture);
    ASSERT_TRUE(image.save(dir.filePath(name), nullptr, 100));
  }
  std::vector<std::string> asked;
  SetPictureLoaderForTesting([&](const std::string& name) -> Ref<Picture> {
    asked.push_back(name);
    if (name == "Pall.png") return nullptr;
    return Picture::FromFile(dir.filePath(QString::fromStdString(name)).toStdString());
  });
  testing_support::MessageRecorder messages;

  Ref<ControlWnd> window = ControlWnd::Implicit();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(window)));
  ASSERT_NE(std::find(asked.begin(), asked.end(), "Pall.png"), asked.end());

  Ref<Canvas> banner = window->TitlePict();
  ASSERT_NE(banner, nullptr);
  EXPECT_EQ(banner->Backdrop(), nullptr);
  // Where the banner would be, above the credit line, the user sees the window's white ground.
  const QImage content = ContentOf(window)->grab().toImage();
  EXPECT_EQ(QColor(content.pixel(200, 20)).name().toStdString(), "#ffffff");
  EXPECT_EQ(QColor(content.pixel(30, 40)).name().toStdString(), "#ffffff");

  // The credit line and everything built after the banner are there all the same.
  auto* credit = qobject_cast<QLabel*>(WidgetOf(window->copytext()));
  ASSERT_NE(credit, nullptr);
  EXPECT_TRUE(credit->isVisible());
  EXPECT_EQ(credit->text().toStdString(), kCreditLine);
  EXPECT_EQ(credit->geometry(), QRect(136, 48, 200, 22));
  EXPECT_TRUE(ShowsText(credit));
  EXPECT_NE(window->StaticText2(), nullptr);
  EXPECT_NE(window->QCanvas()->Backdrop(), nullptr);

  // The splash window's banner is "PallSmall.png", which is still found.
  Ref<AboutWnd> splash = AboutWnd::Implicit();
  splash->Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(splash)));
  EXPECT_NE(splash->Canvas1()->Backdrop(), nullptr);
  EXPECT_GT(PixelsOfColour(WidgetOf(splash->Canvas1())->grab().toImage(), kPicture), 0);

  EXPECT_TRUE(messages.Messages().empty());
  testing_support::ResetProgramState();
}

}  // namespace
