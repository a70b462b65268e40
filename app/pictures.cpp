#include "app/pictures.h"

namespace {

// One accessor's state: its first-use flag and its cache. The three accessors share this behaviour and nothing else.
class CachedPicture {
 public:
  explicit CachedPicture(const char* fileName) : fileName_(fileName) {}

  Ref<Picture> Get() {
    if (!used_) {
      used_ = true;
      cache_ = nullptr;
    }
    // An exception leaves the cache empty, so the next call asks again.
    if (!cache_) cache_ = RuntimeGetPictureFromResourceManager_(fileName_);
    return cache_;
  }

 private:
  const char* fileName_;
  bool used_ = false;
  Ref<Picture> cache_;
};

}  // namespace

Ref<Picture> Question48() {
  static CachedPicture picture("Question48.jpg");
  return picture.Get();
}

Ref<Picture> PallSmall() {
  static CachedPicture picture("PallSmall.png");
  return picture.Get();
}

Ref<Picture> Pall() {
  static CachedPicture picture("Pall.png");
  return picture.Get();
}
