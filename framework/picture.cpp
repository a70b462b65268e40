#include "framework/picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <filesystem>
#include <system_error>

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

int64_t Picture::Width() const { return impl_->image.width(); }
int64_t Picture::Height() const { return impl_->image.height(); }
const void* Picture::NativeImage() const { return &impl_->image; }

Ref<Picture> Picture::FromFile(const std::string& path) {
  QImage image;
  if (path.empty() || !image.load(QString::fromStdString(path))) return nullptr;
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
    const QFileInfo file(QDir(dir).filePath(folder + u'/' + name));
    if (!file.isFile()) continue;
    if (Ref<Picture> picture = Picture::FromFile(file.filePath().toStdString())) return picture;
  }
  return nullptr;
}

void SetPictureLoaderForTesting(std::function<Ref<Picture>(const std::string&)> loader) {
  TestLoader() = std::move(loader);
}
