// The picture accessors keep their state for the life of the process, so each accessor's whole story (failure,
// absence, presence, cached) runs as one ordered test. The real resource manager is tested through FromFile and
// an absent name.
#include "app/pictures.h"
#include "framework/internal/native.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <map>
#include <stdexcept>
#include <string>

namespace {

enum class Answer { Throw, Absent, Present };

// A loader that counts the requests for each name and answers as it is told.
struct FakeResourceManager {
  std::map<std::string, int> asked;
  std::map<std::string, Answer> answer;
  std::map<std::string, Ref<Picture>> made;

  FakeResourceManager() {
    SetPictureLoaderForTesting([this](const std::string& name) -> Ref<Picture> {
      ++asked[name];
      switch (answer[name]) {
        case Answer::Throw:
          throw OutOfBoundsException("resource manager failed for " + name);
        case Answer::Absent:
          return nullptr;
        case Answer::Present:
          break;
      }
      auto picture = std::make_shared<Picture>();
      made[name] = picture;
      return picture;
    });
  }
  ~FakeResourceManager() { SetPictureLoaderForTesting(nullptr); }
};

struct Accessor {
  const char* label;
  Ref<Picture> (*get)();
  const char* fileName;
};

const Accessor kAccessors[] = {
    {"Question48", Question48, "Question48.jpg"},
    {"PallSmall", PallSmall, "PallSmall.png"},
    {"Pall", Pall, "Pall.png"},
};

TEST(PictureAccessors, AskUntilFoundThenNeverAgainEachOnItsOwn) {
  FakeResourceManager manager;
  for (const Accessor& a : kAccessors) manager.answer[a.fileName] = Answer::Throw;

  for (const Accessor& a : kAccessors) {
    SCOPED_TRACE(a.label);
    const std::string name = a.fileName;

    manager.answer[name] = Answer::Throw;
    EXPECT_THROW(a.get(), OutOfBoundsException);
    EXPECT_EQ(manager.asked[name], 1);

    manager.answer[name] = Answer::Absent;
    EXPECT_EQ(a.get(), nullptr) << "a failure leaves nothing cached";
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(manager.asked[name], 3) << "absent: asked again on every call";

    manager.answer[name] = Answer::Present;
    const Ref<Picture> first = a.get();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, manager.made[name]);
    EXPECT_EQ(manager.asked[name], 4);

    manager.answer[name] = Answer::Throw;  // would fail if asked
    EXPECT_EQ(a.get(), first) << "once found, the same object and no further request";
    EXPECT_EQ(manager.asked[name], 4);
  }

  // Each accessor was asked only for its own file, and the ones found earlier were not asked again later.
  EXPECT_EQ(manager.asked.size(), 3u);
  for (const Accessor& a : kAccessors) {
    EXPECT_NE(a.get(), nullptr);
    EXPECT_EQ(manager.asked[a.fileName], 4) << a.label;
  }
}

TEST(PictureFiles, FromFileReadsWhatQtReadsAndRefusesTheRest) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QImage image(7, 5, QImage::Format_RGB32);
  image.fill(QColor(0x12, 0x34, 0x56));
  image.setPixelColor(6, 4, QColor(0xff, 0, 0));
  const QString png = dir.filePath("p.png");
  ASSERT_TRUE(image.save(png));
  const QString jpg = dir.filePath("p.jpg");
  ASSERT_TRUE(image.save(jpg, "JPG"));
  // The reader that the suffix names fails on it; the format is then guessed from the contents.
  const QString misnamed = dir.filePath("png-named.jpg");
  ASSERT_TRUE(image.save(misnamed, "PNG"));
  const QString junk = dir.filePath("junk.png");
  {
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
  }

  const Ref<Picture> picture = Picture::FromFile(png.toStdString());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 7);
  EXPECT_EQ(picture->Height(), 5);
  const auto* native = static_cast<const QImage*>(internal::Native::Image(*picture));
  EXPECT_EQ(native->pixelColor(6, 4), QColor(0xff, 0, 0));
  EXPECT_EQ(native->pixelColor(0, 0), QColor(0x12, 0x34, 0x56));

  EXPECT_NE(Picture::FromFile(jpg.toStdString()), nullptr);
  EXPECT_NE(Picture::FromFile(misnamed.toStdString()), nullptr);
  EXPECT_EQ(Picture::FromFile(junk.toStdString()), nullptr);
  EXPECT_EQ(Picture::FromFile(dir.filePath("missing.png").toStdString()), nullptr);
  EXPECT_EQ(Picture::FromFile(""), nullptr);
}

TEST(PictureFiles, ResourceManagerGivesNoneForANameItCannotFind) {
  SetPictureLoaderForTesting(nullptr);
  EXPECT_EQ(RuntimeGetPictureFromResourceManager_("NoSuchPicture-4f1c.png"), nullptr);
  EXPECT_EQ(RuntimeGetPictureFromResourceManager_("../NoSuchPicture-4f1c.png"), nullptr);
  EXPECT_EQ(RuntimeGetPictureFromResourceManager_(""), nullptr);
}

}  // namespace
