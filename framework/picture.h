// Pictures loaded by file name through the resource manager. Qt-free header.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "framework/object.h"

struct PictureImpl;
namespace internal {
struct Native;
}  // namespace internal

class Picture : public Object {
 public:
  Picture();
  ~Picture() override;
  static const ClassInfo& ClassRecord();
  const ClassInfo& GetClass() const override { return ClassRecord(); }

  // In logical units: a double-size variant ("Pall@2x.png") has half as many units as pixels.
  int64_t Width() const;
  int64_t Height() const;
  // Reads a file in any format Qt's image plugins read; none when it cannot.
  static Ref<Picture> FromFile(const std::string& path);

 private:
  friend struct internal::Native;
  std::unique_ptr<PictureImpl> impl_;
};

// Looks the file name up in resources/ beside the executable, then in the program's picture folder relative to it
// (RuntimeProgramFiles). On a screen above 1x a double-size variant beside the file ("Pall@2x.png" for "Pall.png")
// is taken first.
// Not found is no failure: it gives none.
Ref<Picture> RuntimeGetPictureFromResourceManager_(const std::string& fileName);

// Tests replace the resource manager: the loader is called in its place (an empty function restores it).
void SetPictureLoaderForTesting(std::function<Ref<Picture>(const std::string&)> loader);
