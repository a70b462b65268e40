// The calculator window with its question-mark picture missing. A binary of its own: the picture accessors keep a
// picture for the life of the process once it has been found, so no other test may have loaded it first.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "calculator/control_wnd.h"
#include "framework/internal/native.h"
#include "framework/picture.h"
#include "framework/runtime.h"
#include "framework/services.h"
#include "windows/description_wnd.h"

namespace {

QWidget* WidgetOf(const Ref<Control>& control) { return (internal::Native::Widget(*control)); }

TEST(ControlWndMissingPictureTest, QuestionMarkShowsNoPictureNoMessageAndKeepsItsTooltipAndClick) {
  QTemporaryDir dir;
  QImage banner(435, 54, QImage::Format_RGB32);
  banner.fill(0xffc02020);
  ASSERT_TRUE(banner.save(dir.filePath("Pall.png")));
  std::vector<std::string> asked, messages;
  SetPictureLoaderForTesting([&](const std::string& name) -> Ref<Picture> {
    asked.push_back(name);
    if (name == "Question48.jpg") return nullptr;
    return Picture::FromFile(dir.filePath(QString::fromStdString(name)).toStdString());
  });
  SetMessagePresenterForTesting([&](const std::string& text) { messages.push_back(text); });

  Ref<ControlWnd> window = ControlWnd::Implicit();
  ASSERT_TRUE(QTest::qWaitForWindowExposed((internal::Native::WindowWidget(*window))));
  Ref<Canvas> canvas = window->QCanvas();
  QWidget* widget = WidgetOf(canvas);

  EXPECT_EQ(asked.front(), "Question48.jpg");
  EXPECT_EQ(canvas->Backdrop(), nullptr);
  // What the user sees there is the window's white ground.
  auto* content = (internal::Native::Content(*window));
  EXPECT_EQ(content->grab(widget->geometry()).toImage().pixelColor(14, 21).name().toStdString(), "#ffffff");
  EXPECT_NE(window->TitlePict()->Backdrop(), nullptr);
  EXPECT_EQ(widget->toolTip().toStdString(), "Description of Pallastrovane");
  EXPECT_EQ(widget->geometry(), QRect(318, 123, 29, 43));
  EXPECT_NE(RuntimeEventHandler(*canvas, Canvas::kMouseDown), nullptr);

  QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(14, 21));
  EXPECT_NE(GetImplicitWindow_(DescriptionWnd::kFullName), nullptr);
  EXPECT_TRUE(messages.empty());

  for (const Ref<Window>& live : RuntimeLiveWindows()) live->Close();
  QTest::qWait(0);
  SetMessagePresenterForTesting({});
  SetPictureLoaderForTesting({});
  RuntimeResetForTesting();
}

}  // namespace
