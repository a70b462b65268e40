#include "framework/picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "framework/internal/image_file.h"
#include "framework/internal/native.h"
#include "framework/runtime.h"

struct PictureImpl {
  QImage image;
};

namespace {

std::function<Ref<Picture>(const std::string&)>& TestLoader() {
  static std::function<Ref<Picture>(const std::string&)> loader;
  return loader;
}

// Without an application (a tool, or before start-up made one) the executable is found through /proc.
QString ExecutableDir() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return QString();
  return QString::fromStdString(exe.parent_path().string());
}

// Resource names are bare file names: nothing outside the resource folders is reachable through one.
bool IsBareFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

// "Pall.png" -> "Pall@2x.png": the name under which Qt's own icons and pixmaps find their double-size variant.
QString DoubleSizeName(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? name + QStringLiteral("@2x") : name.left(dot) + QStringLiteral("@2x") + name.mid(dot);
}

// A screen above 1x draws the double-size variant where there is one, so that the picture is not upscaled; the
// variant's logical size is that of the plain file, so the layout stays as it is.
Ref<Picture> LoadFromFolder(const QDir& folder, const QString& name) {
  const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app && app->devicePixelRatio() > 1) {
    const QFileInfo variant(folder.filePath(DoubleSizeName(name)));
    if (variant.isFile()) {
      if (Ref<Picture> picture = Picture::FromFile(variant.filePath().toStdString())) return picture;
    }
  }
  const QFileInfo file(folder.filePath(name));
  if (!file.isFile()) return nullptr;
  return Picture::FromFile(file.filePath().toStdString());
}

}  // namespace

Picture::Picture() : impl_(std::make_unique<PictureImpl>()) {}
Picture::~Picture() = default;

const ClassInfo& Picture::ClassRecord() {
  static const ClassInfo record = [] {
    ClassInfo info;
    info.fullName = "Picture";
    info.base = &Object::ClassRecord();
    info.factory = [] { return std::make_shared<Picture>(); };
    return info;
  }();
  return RuntimeRegisterClass(record);
}

// Logical units: a double-size variant has the size of its plain file.
int64_t Picture::Width() const { return std::lround(impl_->image.deviceIndependentSize().width()); }
int64_t Picture::Height() const { return std::lround(impl_->image.deviceIndependentSize().height()); }
const QImage* internal::Native::Image(const Picture& picture) { return &picture.impl_->image; }

Ref<Picture> Picture::FromFile(const std::string& path) {
  if (path.empty()) return nullptr;
  QImage image = internal::ReadImageFile(QString::fromStdString(path));
  if (image.isNull()) return nullptr;
  if (QFileInfo(QString::fromStdString(path)).completeBaseName().endsWith(QStringLiteral("@2x"))) {
    image.setDevicePixelRatio(2);
  }
  auto picture = std::make_shared<Picture>();
  picture->impl_->image = std::move(image);
  return picture;
}

Ref<Picture> RuntimeGetPictureFromResourceManager_(const std::string& fileName) {
  if (const auto& loader = TestLoader()) return loader(fileName);
  if (!IsBareFileName(fileName)) return nullptr;
  const QString dir = ExecutableDir();
  if (dir.isEmpty()) return nullptr;
  const QString name = QString::fromStdString(fileName);
  for (const QString& folder :
       {QStringLiteral("resources"), QString::fromStdString(RuntimeProgramFiles().pictureFolder)}) {
    if (folder.isEmpty()) continue;
    if (Ref<Picture> picture = LoadFromFolder(QDir(QDir(dir).filePath(folder)), name)) return picture;
  }
  return nullptr;
}

void SetPictureLoaderForTesting(std::function<Ref<Picture>(const std::string&)> loader) {
  TestLoader() = std::move(loader);
}
