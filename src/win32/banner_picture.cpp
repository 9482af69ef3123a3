#include "win32/banner_picture.h"

namespace verolink::win32 {

BannerPicture::BannerPicture(HINSTANCE instance, int resource) {
  bitmap_ = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info{};
  if (bitmap_ != nullptr && GetObjectW(bitmap_, sizeof info, &info) == sizeof info) {
    width_ = info.bmWidth;
    height_ = info.bmHeight;
  }
}

BannerPicture::~BannerPicture() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

void BannerPicture::Draw(HDC target, const RECT& frame) const {
  if (bitmap_ == nullptr || width_ == 0 || height_ == 0) return;
  HDC source = CreateCompatibleDC(target);
  if (source == nullptr) return;
  HGDIOBJ previous = SelectObject(source, bitmap_);
  // The 301 x 98 picture fills the 300 x 100 frame: shrunk by a column,
  // stretched by two rows, with smoothing.
  SetStretchBltMode(target, HALFTONE);
  SetBrushOrgEx(target, 0, 0, nullptr);
  StretchBlt(target, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
             source, 0, 0, width_, height_, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
}

}  // namespace verolink::win32
