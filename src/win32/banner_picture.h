#pragma once

#include "win32/windows_api.h"

namespace verolink::win32 {

// The banner bitmap resource, drawn stretched to the banner's frame.
class BannerPicture {
 public:
  BannerPicture(HINSTANCE instance, int resource);
  ~BannerPicture();
  BannerPicture(const BannerPicture&) = delete;
  BannerPicture& operator=(const BannerPicture&) = delete;

  void Draw(HDC target, const RECT& frame) const;

 private:
  HBITMAP bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace verolink::win32
